#include "CStaticLink.h"

#include <QCursor>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPalette>
#include <QStringBuilder>
#include <QTimerEvent>

CStaticLink::CStaticLink(QWidget* pParent)
    : QLabel(pParent), m_pLink(std::make_unique<CLinkTarget>()) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    QFont linkFont = font();
    linkFont.setUnderline(false);
    setFont(linkFont);
    SetColor(s_rgbNormal);
}

CStaticLink::~CStaticLink() = default;

void CStaticLink::SetLink(std::unique_ptr<CLinkTarget> pLink) {
    m_pLink = std::move(pLink);
}

// The pointer came over the link: show it red and start watching for the pointer to leave.
void CStaticLink::enterEvent(QEnterEvent* pEvent) {
    QLabel::enterEvent(pEvent);
    if (m_bHover)
        return;
    m_bHover = true;
    SetColor(s_rgbHover);
    m_hoverTimer.start(s_nHoverCheckMs, this);
}

// A left click opens the target; a link without a target opens its own text.
void CStaticLink::mousePressEvent(QMouseEvent* pEvent) {
    if (pEvent->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(pEvent);
        return;
    }
    pEvent->accept();
    if (m_pLink->Target().isEmpty())
        m_pLink->SetTarget(text());
    if (m_pLink->Target().isEmpty())
        return;
    if (m_pLink->Navigate())
        SetColor(s_rgbVisited);
    else
        ShowAddress();
}

// The desktop has no program for the address: it is shown, selectable, for the user to
// copy. The box does not block, so the window under it stays usable.
void CStaticLink::ShowAddress() {
    auto* pBox = new QMessageBox(QMessageBox::Information, QStringLiteral("Velquor"),
                                 QStringLiteral("No program on this desktop opens this address. "
                                                "Copy it from here:\n\n") %
                                     m_pLink->Target(),
                                 QMessageBox::Ok, this);
    pBox->setObjectName(QStringLiteral("linkAddressBox"));
    pBox->setAttribute(Qt::WA_DeleteOnClose);
    pBox->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    pBox->open();
}

// Polls the pointer while hovering, so the link turns blue again even when no leave
// event arrives (a popup or another window took the pointer).
void CStaticLink::timerEvent(QTimerEvent* pEvent) {
    if (pEvent->timerId() != m_hoverTimer.timerId()) {
        QLabel::timerEvent(pEvent);
        return;
    }
    if (IsPointerInside())
        return;
    m_bHover = false;
    m_hoverTimer.stop();
    SetColor(s_rgbNormal);
}

void CStaticLink::SetColor(QRgb color) {
    m_color = color;
    QPalette linkPalette = palette();
    linkPalette.setColor(QPalette::WindowText, QColor(color));
    setPalette(linkPalette);
}

bool CStaticLink::IsPointerInside() const {
    return rect().contains(mapFromGlobal(QCursor::pos()));
}
