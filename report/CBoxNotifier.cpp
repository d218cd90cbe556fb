#include "CBoxNotifier.h"

#include "DisplayText.h"

#include <QMessageBox>
#include <QStringList>
#include <QThread>

#include <utility>

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
        if (m_bHeld) {
            m_held.push_back(message);
            return;
        }
        ticket = ++m_nPosted;
    }
    const QString text = DecodeForDisplay(message);
    if (QThread::currentThread() == m_context.thread()) {
        ShowBox(text, ticket); // nobody can wait here: the box just stays open
        return;
    }
    QMetaObject::invokeMethod(
        &m_context, [this, text, ticket] { ShowBox(text, ticket); }, Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    m_closed.wait(lock, [&] { return m_bReleased || m_nClosed >= ticket; });
}

void CBoxNotifier::Hold() {
    const std::lock_guard lock(m_mutex);
    m_bHeld = true;
}

void CBoxNotifier::ShowHeld(const QString& note) {
    std::vector<std::string> held;
    std::uint64_t ticket = 0;
    {
        const std::lock_guard lock(m_mutex);
        m_bHeld = false;
        held = std::exchange(m_held, {});
        if (held.empty() || m_bReleased) {
            return;
        }
        ticket = ++m_nPosted;
    }
    QStringList lines;
    for (const std::string& message : held) {
        lines << DecodeForDisplay(message);
    }
    ShowBox(lines.join(u'\n') % QStringLiteral("\n\n") % note, ticket);
}

void CBoxNotifier::ShowBox(const QString& message, std::uint64_t ticket) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Velquor"), message,
                                QMessageBox::Ok, m_pParent);
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
