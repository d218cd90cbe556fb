#pragma once

#include <csignal>
#include <string>

class CTraceAnalyzer;
class IRecordWriter;

// Live mode on the command line: reads the folder at once (the files already there are
// followed from their end), then every 3000 ms (kLiveRefreshPeriod), and writes every record
// a read appends or updates, until SIGINT or SIGTERM arrives. A read is never cut short by
// the signal. When the folder goes missing, and when it is back, one line on standard error
// says so.
class CFollowCommand {
public:
    CFollowCommand(CTraceAnalyzer& analyzer, IRecordWriter& writer);
    ~CFollowCommand();
    CFollowCommand(const CFollowCommand&) = delete;
    CFollowCommand& operator=(const CFollowCommand&) = delete;

    // Returns when a stop signal arrived.
    void Run(const std::string& folder);

private:
    void ReadOnce();
    bool WaitForStop();

    CTraceAnalyzer& m_analyzer;
    IRecordWriter& m_writer;
    sigset_t m_stopSignals{};
    sigset_t m_previousMask{};
};
