#include "CBoxNotifier.h"

#include "DisplayText.h"

#include <QMessageBox>
#include <QThread>

CBoxNotifier::CBoxNotifier(QObject& context, QWidget* parent)
    : m_context(context), m_pParent(parent) {}

CBoxNotifier::~CBoxNotifier() {
    Release();
}

void CBoxNotifier::Notify(const std::string& message) {
    std::uint64_t ticket = 0;
    {
        const std::lock_guard lock(m_mutex);
        if (m_bReleased) {
            return;
        }
        ticket = ++m_nPosted;
    }
    if (QThread::currentThread() == m_context.thread()) {
        ShowBox(message, ticket); // nobody can wait here: the box just stays open
        return;
    }
    QMetaObject::invokeMethod(
        &m_context, [this, message, ticket] { ShowBox(message, ticket); }, Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    m_closed.wait(lock, [&] { return m_bReleased || m_nClosed >= ticket; });
}

void CBoxNotifier::ShowBox(const std::string& message, std::uint64_t ticket) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Velquor"),
                                DecodeForDisplay(message), QMessageBox::Ok, m_pParent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QDialog::finished, box, [this, ticket] { MarkClosed(ticket); });
    std::erase_if(m_boxes, [](const QPointer<QMessageBox>& closed) { return closed.isNull(); });
    m_boxes.emplace_back(box);
    box->open();
}

void CBoxNotifier::MarkClosed(std::uint64_t ticket) {
    const std::lock_guard lock(m_mutex);
    m_nClosed = std::max(m_nClosed, ticket);
    m_closed.notify_all();
}

void CBoxNotifier::Release() {
    {
        const std::lock_guard lock(m_mutex);
        m_bReleased = true;
        m_closed.notify_all();
    }
    for (const QPointer<QMessageBox>& box : m_boxes) {
        if (box) {
            box->disconnect();
            delete box.data();
        }
    }
    m_boxes.clear();
}
