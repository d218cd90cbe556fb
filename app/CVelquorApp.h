#pragma once

#include "CCommandTypeCatalog.h"
#include "COpenRequest.h"

#include <QApplication>

#include <string>

class CMainFrame;

// The application: one instance, reached as `theApp`. It carries the open request (its five
// members are inherited, public) and the command-type catalogue, and handles the commands
// that open trace files.
class CVelquorApp : public QApplication, public COpenRequest {
    Q_OBJECT

public:
    CVelquorApp(int& argc, char** argv);
    ~CVelquorApp() override;

    static CVelquorApp& Instance();

    const CCommandTypeCatalog& Catalog() const { return m_catalog; }
    void SetMainFrame(CMainFrame* frame) { m_pMainWnd = frame; }
    CMainFrame* GetMainFrame() const { return m_pMainWnd; }

    // Open[Show Sys] (TRUE) and Open[Hide Sys] (FALSE): asks for trace files and opens one
    // window for all of them.
    void OpenTraceFiles(bool showSys);
    // Sniffer: the user picks a stored live trace, and a live window follows its folder.
    void OnFileNew();
    // Fills the open request for trace files, as the Open commands do after their dialog.
    void SetTraceFilesRequest(const QStringList& paths, bool showSys);

    // The file name after the last "/" without its last four characters (the ".trc"
    // extension, not checked), with every "|" removed.
    static std::string TraceNameFromPath(const std::string& path);
    // The folder of the program's executable, without a trailing separator.
    static std::string GetProgramFolder();

    static constexpr std::size_t kTitleLength = 40;

private:
    CCommandTypeCatalog m_catalog;
    CMainFrame* m_pMainWnd = nullptr; // not owned
};

#define theApp (CVelquorApp::Instance())
