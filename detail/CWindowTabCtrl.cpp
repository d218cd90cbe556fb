#include "CWindowTabCtrl.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>

namespace {

// The close button's edges as the strip computes them: left and top inclusive, right and
// bottom exclusive, 16 pixels wide.
struct CloseEdges {
    int left;
    int top;
    int right;
    int bottom;
};

CloseEdges CloseButtonEdges(int w, int h) {
    return {w - 18, 2, w - 2, h - 4};
}

QMdiSubWindow* FrameOf(QWidget* view) {
    for (QWidget* widget = view; widget != nullptr; widget = widget->parentWidget()) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(widget)) {
            return frame;
        }
    }
    return nullptr;
}

class CScopedFlag {
public:
    explicit CScopedFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~CScopedFlag() { m_flag = false; }
    CScopedFlag(const CScopedFlag&) = delete;
    CScopedFlag& operator=(const CScopedFlag&) = delete;

private:
    bool& m_flag;
};

} // namespace

CWindowTabCtrl::CWindowTabCtrl(QWidget* parent) : QWidget(parent), m_tabs(this) {
    setObjectName(QStringLiteral("m_wndTabCtrl"));
    m_tabs.setObjectName(QStringLiteral("m_tabs"));
    m_tabs.setExpanding(false);
    m_tabs.setUsesScrollButtons(true);
    m_tabs.setElideMode(Qt::ElideNone);
    connect(&m_tabs, &QTabBar::currentChanged, this, &CWindowTabCtrl::OnSelChange);
}

void CWindowTabCtrl::InsertTab(int index, const QString& title, QWidget* view, const QString& tip) {
    const CScopedFlag changing(m_bChangingTabs);
    const int inserted = m_tabs.insertTab(index, title);
    m_tabs.setTabToolTip(inserted, tip);
    m_tabs.setTabData(inserted, QVariant::fromValue(static_cast<QObject*>(view)));
}

bool CWindowTabCtrl::DeleteTabOf(QWidget* view) {
    for (int i = 0; i < m_tabs.count(); ++i) {
        if (GetTabView(i) == view) {
            const CScopedFlag changing(m_bChangingTabs);
            m_tabs.removeTab(i);
            return true;
        }
    }
    return false;
}

void CWindowTabCtrl::SetCurSel(int index) {
    const CScopedFlag changing(m_bChangingTabs);
    m_tabs.setCurrentIndex(index);
}

QWidget* CWindowTabCtrl::GetTabView(int index) const {
    return qobject_cast<QWidget*>(m_tabs.tabData(index).value<QObject*>());
}

QRect CWindowTabCtrl::CloseButtonRect() const {
    const CloseEdges e = CloseButtonEdges(width(), height());
    return QRect(e.left, e.top, e.right - e.left, e.bottom - e.top);
}

QRect CWindowTabCtrl::RightMarginRect() const {
    return QRect(width() - kRightMargin, 0, kRightMargin, height());
}

void CWindowTabCtrl::OnSelChange(int index) {
    if (m_bChangingTabs || index < 0) {
        return;
    }
    if (QMdiSubWindow* frame = FrameOf(GetTabView(index))) {
        frame->mdiArea()->setActiveSubWindow(frame);
    }
}

void CWindowTabCtrl::CloseSelectedWindow() {
    const int index = m_tabs.currentIndex();
    if (index < 0) {
        return;
    }
    // Destroyed at once, without a question: the view's destruction removes its tab.
    delete FrameOf(GetTabView(index));
}

void CWindowTabCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_tabs.setGeometry(0, 0, std::max(0, width() - kRightMargin), height());
}

void CWindowTabCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton &&
        CloseButtonRect().contains(event->position().toPoint())) {
        m_bPressed = true;
    }
    update();
    event->accept();
}

void CWindowTabCtrl::mouseMoveEvent(QMouseEvent* event) {
    // Once off the button the press is over; coming back does not press it again.
    if (!CloseButtonRect().contains(event->position().toPoint())) {
        m_bPressed = false;
    }
    update();
    event->accept();
}

void CWindowTabCtrl::mouseReleaseEvent(QMouseEvent* event) {
    const bool close = event->button() == Qt::LeftButton && m_bPressed &&
                       CloseButtonRect().contains(event->position().toPoint());
    m_bPressed = false;
    update();
    event->accept();
    if (close) {
        CloseSelectedWindow();
    }
}

void CWindowTabCtrl::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    DrawCloseButton(painter);
}

void CWindowTabCtrl::DrawCloseButton(QPainter& painter) const {
    const CloseEdges e = CloseButtonEdges(width(), height());
    if (m_bPressed) {
        // Sunken: shadow on the top and left edges, highlight on the bottom and right.
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(e.left, e.top, e.right - 1, e.top);
        painter.drawLine(e.left, e.top, e.left, e.bottom - 1);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(e.left, e.bottom - 1, e.right - 1, e.bottom - 1);
        painter.drawLine(e.right - 1, e.top, e.right - 1, e.bottom - 1);
    }
    painter.setPen(QPen(QColor(0x11, 0x11, 0x00), 2));
    const int cx = (e.left + e.right) / 2;
    const int cy = (e.top + e.bottom) / 2;
    painter.drawLine(cx - 4, cy - 4, cx + 4, cy + 4);
    painter.drawLine(cx - 4, cy + 4, cx + 4, cy - 4);
}
