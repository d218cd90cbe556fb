#include "CMainStatusBar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

namespace {

// Keyboard lock states in the X11 modifier state the xcb platform reports with each key.
constexpr quint32 kX11LockMask = 1u << 1;
constexpr quint32 kX11NumLockMask = 1u << 4;

} // namespace

CMainStatusBar::CMainStatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("m_wndStatusBar"));
    m_labelIdle = new QLabel(this);
    m_labelIdle->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred); // a long note
    SetWindowNote({});
    addWidget(m_labelIdle, 1);
    // The bar hides its label under a message only until it lays itself out again (a
    // permanent widget added or removed); hidden explicitly, the label stays hidden.
    connect(this, &QStatusBar::messageChanged, m_labelIdle,
            [this](const QString& message) { m_labelIdle->setVisible(message.isEmpty()); });
    m_indicatorCaps = AddIndicator(QStringLiteral("CAP"));
    m_indicatorNum = AddIndicator(QStringLiteral("NUM"));
    AddIndicator(QStringLiteral("SCRL"));
    qApp->installEventFilter(this);
}

CMainStatusBar::~CMainStatusBar() {
    qApp->removeEventFilter(this);
}

void CMainStatusBar::SetWindowNote(const QString& note) {
    m_labelIdle->setText(note.isEmpty() ? QStringLiteral("Ready") : note);
}

QLabel* CMainStatusBar::AddIndicator(const QString& text) {
    auto* label = new QLabel(text, this);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) + 8);
    label->setEnabled(false); // drawn greyed while the lock is off
    addPermanentWidget(label);
    return label;
}

bool CMainStatusBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        UpdateLockIndicators(static_cast<QKeyEvent*>(event)->nativeModifiers());
    }
    return QStatusBar::eventFilter(watched, event);
}

void CMainStatusBar::UpdateLockIndicators(quint32 nativeModifiers) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return;
    }
    m_indicatorCaps->setEnabled((nativeModifiers & kX11LockMask) != 0);
    m_indicatorNum->setEnabled((nativeModifiers & kX11NumLockMask) != 0);
}
