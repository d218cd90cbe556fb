#pragma once

#include "ITraceNotifier.h"

#include <QPointer>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class QMessageBox;
class QObject;
class QWidget;

// Shows the reader's file problems as modal message boxes over `parent` (none: centred on
// the screen). A read runs on a worker thread: Notify posts the box to the user interface
// thread (a queued call on `context`) and waits until the user closes it, or until Release,
// which the window's document calls when it closes, so a closing window never waits for a
// worker that waits for a box. While held (a file read), messages are kept instead, and shown
// together in one box once the read's rows are listed.
class CBoxNotifier final : public ITraceNotifier {
public:
    CBoxNotifier(QObject& context, QWidget* parent);
    ~CBoxNotifier() override;
    CBoxNotifier(const CBoxNotifier&) = delete;
    CBoxNotifier& operator=(const CBoxNotifier&) = delete;

    void Notify(const std::string& message) override;
    // From now on messages are kept, and Notify returns at once.
    void Hold();
    // Ends the hold: the messages kept meanwhile, if any, are shown in one box followed by
    // `note`. User interface thread.
    void ShowHeld(const QString& note);
    // User interface thread: closes the open boxes, wakes a waiting worker and makes every
    // later Notify return at once.
    void Release();

private:
    void ShowBox(const QString& message, std::uint64_t ticket);
    void MarkClosed(std::uint64_t ticket);

    QObject& m_context;
    QWidget* m_pParent; // not owned; lives longer than the notifier
    std::mutex m_mutex;
    std::condition_variable m_closed;
    bool m_bReleased = false;
    bool m_bHeld = false;
    std::vector<std::string> m_held;            // messages kept while held
    std::uint64_t m_nPosted = 0;                // boxes asked for
    std::uint64_t m_nClosed = 0;                // the last box the user closed
    std::vector<QPointer<QMessageBox>> m_boxes; // user interface thread only
};
