#include "CModalCloser.h"

#include <QApplication>
#include <QMessageBox>

#include <utility>

namespace {

constexpr int kPollMilliseconds = 10;

} // namespace

CModalCloser::CModalCloser(std::function<void(QWidget*)> handler)
    : m_fnHandler(std::move(handler)) {
    connect(&m_timer, &QTimer::timeout, this, &CModalCloser::CloseActiveWindow);
    m_timer.start(kPollMilliseconds);
}

QStringList CModalCloser::TakeMessages() {
    return std::exchange(m_messages, {});
}

QStringList CModalCloser::TakeCaptions() {
    return std::exchange(m_captions, {});
}

void CModalCloser::CloseActiveWindow() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) {
        return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        m_messages << box->text();
        m_captions << box->windowTitle();
        box->done(QMessageBox::Ok);
    } else if (m_fnHandler) {
        m_fnHandler(modal);
    }
}
