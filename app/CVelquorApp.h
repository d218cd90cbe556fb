#pragma once

#include "CCommandTypeCatalog.h"

#include <QApplication>

class CMainFrame;

// The application: one instance, reached as `theApp`. It owns the command-type catalogue
// and handles the commands that open analysis windows: each builds an open request and
// hands it to the main frame, which opens the window.
class CVelquorApp : public QApplication {
    Q_OBJECT

public:
    CVelquorApp(int& argc, char** argv);
    ~CVelquorApp() override;

    static CVelquorApp& Instance();

    const CCommandTypeCatalog& Catalog() const { return m_catalog; }
    void SetMainFrame(CMainFrame* frame) { m_pMainWnd = frame; }

    // Open[Show Sys] (TRUE) and Open[Hide Sys] (FALSE): asks for trace files and opens one
    // window for all of them.
    void OpenTraceFiles(bool showSys);
    // Sniffer: the user picks a stored live trace, and a live window follows its folder.
    void OnFileNew();

private:
    CCommandTypeCatalog m_catalog;
    CMainFrame* m_pMainWnd = nullptr; // not owned
};

#define theApp (CVelquorApp::Instance())
