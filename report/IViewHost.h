#pragma once

class CCommandTypeCatalog;
class CDetailPaneDlg;
class CWindowTabList;
class QStatusBar;
struct COpenRequest;

// What a statement list view needs from the application and its main frame: the open
// request it sets itself up from, the catalogue, the window tab list, the detail pane and
// the status bar that carries a long read's progress.
class IViewHost {
public:
    virtual ~IViewHost() = default;

    virtual const COpenRequest& OpenRequest() const = 0;
    virtual const CCommandTypeCatalog& Catalog() const = 0;
    virtual CWindowTabList& TabList() = 0;
    virtual CDetailPaneDlg& DetailDlg() = 0;
    virtual QStatusBar& StatusBar() = 0;
};
