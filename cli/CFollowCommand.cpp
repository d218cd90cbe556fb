#include "CFollowCommand.h"

#include "CTraceAnalyzer.h"
#include "IRecordWriter.h"
#include "LiveRefresh.h"

#include <cerrno>
#include <cstdio>
#include <pthread.h>
#include <stdexcept>

// The stop signals are blocked in every thread (the engine's threads inherit the mask) and
// taken only while waiting between reads, so a read always completes.
CFollowCommand::CFollowCommand(CTraceAnalyzer& analyzer, IRecordWriter& writer)
    : m_analyzer(analyzer), m_writer(writer) {
    sigemptyset(&m_stopSignals);
    sigaddset(&m_stopSignals, SIGINT);
    sigaddset(&m_stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &m_stopSignals, &m_previousMask);
}

CFollowCommand::~CFollowCommand() {
    pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
}

void CFollowCommand::Run(const std::string& folder) {
    m_writer.Begin();
    ReadOnce();
    std::fprintf(stderr, "velquor-cli: following %s; press Ctrl-C to stop\n", folder.c_str());
    while (!WaitForStop()) {
        ReadOnce();
    }
    m_writer.End();
}

// A read that throws is reported on stderr; the next period reads again.
void CFollowCommand::ReadOnce() {
    CReadBatch batch;
    try {
        batch = m_analyzer.Reader().ReadFolder();
    } catch (...) {
        m_analyzer.Reader().ReportFailedRead();
        return;
    }
    if (batch.folderChange != CReadBatch::FolderChange::None) {
        std::fprintf(stderr, "velquor-cli: %s\n", batch.folderMessage.c_str());
    }
    const CApplyResult result = m_analyzer.Apply(std::move(batch));
    for (const std::int64_t row : result.updatedRows) {
        m_writer.Write(row, m_analyzer.GetRecord(row), "updated");
    }
    for (std::int64_t i = 0; i < result.appendedCount; ++i) {
        const std::int64_t row = result.firstAppended + i;
        m_writer.Write(row, m_analyzer.GetRecord(row), "appended");
    }
    if (std::fflush(stdout) != 0) {
        throw std::runtime_error("cannot write the output");
    }
}

bool CFollowCommand::WaitForStop() {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(kLiveRefreshPeriod);
    const auto rest =
        std::chrono::duration_cast<std::chrono::nanoseconds>(kLiveRefreshPeriod - seconds);
    const timespec period{static_cast<time_t>(seconds.count()), static_cast<long>(rest.count())};
    while (true) {
        const int signal = sigtimedwait(&m_stopSignals, nullptr, &period);
        if (signal >= 0) {
            return true;
        }
        if (errno == EAGAIN) {
            return false;
        }
        if (errno != EINTR) {
            throw std::runtime_error("cannot wait for the next read");
        }
    }
}
