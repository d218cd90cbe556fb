#pragma once

#include "ITraceNotifier.h"

#include <atomic>

// Prints the reader's file problems on standard error, one line each, and remembers that
// there were some, so a command whose input could not be read fully does not report success.
class CCliNotifier final : public ITraceNotifier {
public:
    void Notify(const std::string& message) override;

    bool HasFailed() const { return m_bFailed; }
    void Reset() { m_bFailed = false; }

private:
    std::atomic<bool> m_bFailed = false;
};
