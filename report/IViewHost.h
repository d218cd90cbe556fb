#pragma once

class CCommandTypeCatalog;
class CDetailPaneDlg;
class CWindowTabList;
class QStatusBar;

// What an analysis window needs from the application and its main frame: the catalogue its
// document filters with, the window tab list, the detail pane and the status bar that
// carries a long read's progress.
class IViewHost {
public:
    virtual ~IViewHost() = default;

    virtual const CCommandTypeCatalog& Catalog() const = 0;
    virtual CWindowTabList& TabList() = 0;
    virtual CDetailPaneDlg& DetailDlg() = 0;
    virtual QStatusBar& StatusBar() = 0;
};
