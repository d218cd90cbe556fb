#include "CChildFrame.h"

#include "CVelquorView.h"
#include "DisplayText.h"
#include "IViewHost.h"

#include <QEvent>
#include <QWindowStateChangeEvent>

#include <QIcon>
#include <QMdiArea>
#include <QTimer>

CChildFrame::CChildFrame(IViewHost& host, const COpenRequest& request, QWidget* parent)
    : QMdiSubWindow(parent), m_doc(request, host.Catalog(), this) {
    setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(QStringLiteral(":/icons/document.svg")));
    setWindowTitle(DecodeForDisplay(m_doc.GetTitle()));
    m_pView = new CVelquorView(host, m_doc, this);
    setWidget(m_pView);
}

// The view goes first: it shows the document's model and leaves the tab strip; then the
// document ends its worker.
CChildFrame::~CChildFrame() {
    delete m_pView;
}

void CChildFrame::changeEvent(QEvent* event) {
    QMdiSubWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange ||
        static_cast<QWindowStateChangeEvent*>(event)->isOverride() || isMaximized()) {
        return;
    }
    // The area restores the windows behind the current one when it maximises another, so
    // only the current window is put back, once the area has finished its own change.
    QTimer::singleShot(0, this, [this] {
        if (!isMaximized() && mdiArea() != nullptr && mdiArea()->currentSubWindow() == this) {
            showMaximized();
        }
    });
}
