#include "CUserGuideWindow.h"

#include <QKeySequence>
#include <QShortcut>
#include <QUrl>

CUserGuideWindow::CUserGuideWindow(QWidget* pParent) : QTextBrowser(pParent) {
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("userGuideWindow"));
    setOpenExternalLinks(true);
    // Wide enough for the guide's 900-pixel pictures.
    resize(980, 720);
    connect(this, &QTextBrowser::sourceChanged, this, [this] { setWindowTitle(documentTitle()); });
    // Esc and Ctrl+W close it, as they close a viewer window elsewhere on the desktop.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
    }
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
