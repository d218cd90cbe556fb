#include "CMainFrame.h"
#include "CVelquorApp.h"

// The command line is ignored: the program starts with no analysis window.
int main(int argc, char** argv) {
    CVelquorApp app(argc, argv);
    CMainFrame frame(app.Catalog());
    frame.show();
    return CVelquorApp::exec();
}
