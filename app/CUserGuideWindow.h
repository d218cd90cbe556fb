#pragma once

#include <QTextBrowser>

class QUrl;

// The user guide in a window of Velquor's own, for a desktop with no program for HTML pages.
// Links inside the guide are followed in the window (Alt+Left goes back); links that leave
// it go to the desktop. The window closes with the main window.
class CUserGuideWindow : public QTextBrowser {
    Q_OBJECT

public:
    // Shows the page in the parent's guide window, made when it has none yet, and raises it.
    static CUserGuideWindow* ShowPage(const QUrl& url, QWidget* pParent);

private:
    explicit CUserGuideWindow(QWidget* pParent);
};
