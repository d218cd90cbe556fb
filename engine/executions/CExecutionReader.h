#pragma once

#include "CExecution.h"
#include "CExecutionScanner.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class CRecordTexts;
class CStatementRecord;
class ITraceFile;
struct CTraceFileSnapshot;

// Reads the executions of statements from their trace file again, as file mode read it,
// through the checks of CRecordTexts: a file that changed since gives a message instead.
// One statement's are read from the time stamp before the first line its first execution may
// take a bind section from (after its cursor's previous EXEC, found going back from its
// header) to its last call,
// which the statement's own counts tell; when its context changes in between, the file is read
// from its start so that every line's context is known.
class CExecutionReader {
public:
    explicit CExecutionReader(const CRecordTexts& texts) : m_texts(texts) {}

    // The executions of `record`, in the order of the file; false with `error`.
    bool Read(const CStatementRecord& record, std::vector<CExecution>& executions,
              std::string& error) const;
    // The executions of each of `records`, all of one plain file, in one pass over it.
    bool ReadAll(const std::vector<const CStatementRecord*>& records,
                 std::vector<std::vector<CExecution>>& executions, std::string& error) const;

    // The durations of every wait line of `file`, a plain file read as it is, by event.
    bool ReadWaitHistograms(const CTraceFileSnapshot& file,
                            std::map<std::string, CSkewHistogram, std::less<>>& histograms,
                            std::string& error) const;

private:
    // Whether the scan has all it needs; asked after each line.
    using FDone = std::function<bool(const CExecutionScanner&)>;
    struct CScan {
        ITraceFile& open;
        const CTraceFileSnapshot& file;
    };

    bool ReadFrom(const CStatementRecord& record, std::uint64_t start,
                  std::vector<CExecution>& executions, std::string& error, bool& switched) const;
    // Feeds the lines from `start` (a line's start) on to `scanner` until `done`.
    static bool Scan(const CScan& scan, std::uint64_t start, CExecutionScanner& scanner,
                     const FDone& done, std::string& error);
    // Where a read of the statement at `header` starts: at the time stamp before where its
    // first bind section may stand.
    static bool FindStart(const CScan& scan, std::uint64_t header, std::uint64_t& start,
                          std::string& error);
    // The number of LF bytes before `end`.
    static bool CountLineFeeds(const CScan& scan, std::uint64_t end, std::int64_t& count,
                               std::string& error);

    const CRecordTexts& m_texts;
};
