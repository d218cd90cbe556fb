#include "CUserGuideWindow.h"

#include <QUrl>

CUserGuideWindow::CUserGuideWindow(QWidget* pParent) : QTextBrowser(pParent) {
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("userGuideWindow"));
    setOpenExternalLinks(true);
    // Wide enough for the guide's 900-pixel pictures.
    resize(980, 720);
    connect(this, &QTextBrowser::sourceChanged, this, [this] { setWindowTitle(documentTitle()); });
}

CUserGuideWindow* CUserGuideWindow::ShowPage(const QUrl& url, QWidget* pParent) {
    CUserGuideWindow* pWindow =
        pParent == nullptr
            ? nullptr
            : pParent->findChild<CUserGuideWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (pWindow == nullptr)
        pWindow = new CUserGuideWindow(pParent);
    pWindow->setSource(url);
    pWindow->show();
    pWindow->raise();
    pWindow->activateWindow();
    return pWindow;
}
