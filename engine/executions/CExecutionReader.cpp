#include "CExecutionReader.h"

#include "CRecordTexts.h"
#include "CStatementRecord.h"
#include "CWallClock.h"
#include "ITraceFile.h"
#include "TraceLines.h"
#include "TraceText.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint64_t kChunkBytes = 1 << 20;

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

// Whether a line switches the context of the lines after it.
bool SwitchesContext(std::string_view line) {
    return line.starts_with("*** [ ") || line.starts_with("*** SESSION ID:(") ||
           line.starts_with("Unix process pid: ") || line.starts_with("Windows thread id: ");
}

std::string NoFileMessage() {
    return "the executions are read from the trace file again, and this statement's file was "
           "not read from disk as it is (a compressed or followed trace)";
}

} // namespace

bool CExecutionReader::Read(const CStatementRecord& record, std::vector<CExecution>& executions,
                            std::string& error) const {
    if (record.File() == nullptr) {
        error = NoFileMessage();
        return false;
    }
    std::unique_ptr<ITraceFile> open = m_texts.Open(*record.File(), error);
    if (open == nullptr) {
        return false;
    }
    std::uint64_t start = 0;
    if (!FindStart({*open, *record.File()}, record.m_nBlockOffset, start, error)) {
        return false;
    }
    bool switched = false;
    if (!ReadFrom(record, start, executions, error, switched)) {
        return false;
    }
    return !switched || ReadFrom(record, 0, executions, error, switched);
}

bool CExecutionReader::ReadFrom(const CStatementRecord& record, std::uint64_t start,
                                std::vector<CExecution>& executions, std::string& error,
                                bool& switched) const {
    std::unique_ptr<ITraceFile> open = m_texts.Open(*record.File(), error);
    if (open == nullptr) {
        return false;
    }
    const CScan scan{*open, *record.File()};
    const std::uint64_t header = record.m_nBlockOffset;
    const std::int64_t execs = record.Exec().count;
    const std::int64_t fetches = record.Fetch().count;
    const bool partial = start != 0;
    CExecutionScanner scanner({header});
    const FDone done = [&](const CExecutionScanner& s) {
        const CExecutionScanner::CStatement& statement = *s.Statement(header);
        return (partial && s.ContextSwitched()) || statement.rebound ||
               (statement.headerRead && statement.execs >= execs && statement.fetches >= fetches);
    };
    if (!Scan(scan, start, scanner, done, error)) {
        return false;
    }
    switched = partial && scanner.ContextSwitched();
    executions = std::move(scanner.Statements()[header].executions);
    return true;
}

bool CExecutionReader::ReadAll(const std::vector<const CStatementRecord*>& records,
                               std::vector<std::vector<CExecution>>& executions,
                               std::string& error) const {
    executions.assign(records.size(), {});
    if (records.empty()) {
        return true;
    }
    const CTraceFileSnapshot* file = records.front()->File();
    if (file == nullptr) {
        error = NoFileMessage();
        return false;
    }
    std::vector<std::uint64_t> headers;
    for (const CStatementRecord* record : records) {
        headers.push_back(record->m_nBlockOffset);
    }
    std::unique_ptr<ITraceFile> open = m_texts.Open(*file, error);
    if (open == nullptr) {
        return false;
    }
    CExecutionScanner scanner(headers);
    if (!Scan(
            {*open, *file}, 0, scanner, [](const CExecutionScanner&) { return false; }, error)) {
        return false;
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        executions[i] = std::move(scanner.Statements()[headers[i]].executions);
    }
    return true;
}

bool CExecutionReader::ReadWaitHistograms(
    const CTraceFileSnapshot& file, std::map<std::string, CSkewHistogram, std::less<>>& histograms,
    std::string& error) const {
    std::unique_ptr<ITraceFile> open = m_texts.Open(file, error);
    if (open == nullptr) {
        return false;
    }
    CExecutionScanner scanner(std::vector<std::uint64_t>{});
    scanner.CollectWaitHistograms();
    if (!Scan(
            {*open, file}, 0, scanner, [](const CExecutionScanner&) { return false; }, error)) {
        return false;
    }
    histograms = std::move(scanner.WaitHistograms());
    return true;
}

// Lines are cut at every run of CR and LF, as the reader of records cuts them; a line's
// number counts the LF bytes before it.
bool CExecutionReader::Scan(const CScan& scan, std::uint64_t start, CExecutionScanner& scanner,
                            const FDone& done, std::string& error) {
    std::int64_t lineFeeds = 0;
    if (!CountLineFeeds(scan, start, lineFeeds, error)) {
        return false;
    }
    const std::uint64_t size = scan.file.status.size;
    std::string text;
    std::uint64_t textOffset = start;
    std::uint64_t next = start;
    while (next < size) {
        std::string chunk;
        const std::uint64_t bytes = std::min(kChunkBytes, size - next);
        if (!CRecordTexts::ReadRange(scan.open, scan.file, next, bytes, chunk, error)) {
            return false;
        }
        next += bytes;
        text += chunk;
        const bool last = next >= size;
        std::size_t p = 0;
        while (true) {
            while (p < text.size() && IsBreak(text[p])) {
                lineFeeds += text[p] == '\n' ? 1 : 0;
                ++p;
            }
            const auto found =
                std::find_if(text.begin() + static_cast<std::ptrdiff_t>(p), text.end(), IsBreak);
            const std::size_t end = static_cast<std::size_t>(found - text.begin());
            if (end == text.size() && !last) {
                break;
            }
            if (end != p) {
                scanner.Line(std::string_view(text).substr(p, end - p), textOffset + p,
                             lineFeeds + 1);
                if (done(scanner)) {
                    scanner.Finish();
                    return true;
                }
            }
            p = end;
            if (p == text.size()) {
                break;
            }
        }
        text.erase(0, p);
        textOffset += p;
    }
    scanner.Finish();
    return true;
}

// Going back from the header, line by line: a bind section of the statement's first
// execution stands after the cursor's last EXEC and after the last line that switched the
// context; the read starts at the time stamp before those, which anchors the wall clock of
// the executions until the next one.
bool CExecutionReader::FindStart(const CScan& scan, std::uint64_t header, std::uint64_t& start,
                                 std::string& error) {
    std::uint64_t cursor = 0;
    {
        std::string line;
        const std::uint64_t bytes = std::min<std::uint64_t>(256, scan.file.status.size - header);
        if (!CRecordTexts::ReadRange(scan.open, scan.file, header, bytes, line, error)) {
            return false;
        }
        const std::size_t hash = line.find('#');
        if (hash == std::string::npos || !ReadCursorNumber(line, hash, cursor)) {
            start = header;
            return true;
        }
    }
    std::string text; // the bytes from `from` to the end of the line searched last
    std::uint64_t from = header;
    bool bindsFound = false;
    while (from > 0) {
        const std::uint64_t bytes = std::min(kChunkBytes, from);
        std::string chunk;
        if (!CRecordTexts::ReadRange(scan.open, scan.file, from - bytes, bytes, chunk, error)) {
            return false;
        }
        from -= bytes;
        text.insert(0, chunk);
        std::size_t end = text.size();
        while (true) {
            std::size_t lineStart = end;
            while (lineStart > 0 && !IsBreak(text[lineStart - 1])) {
                --lineStart;
            }
            if (lineStart == 0 && from > 0) {
                text.resize(end);
                break;
            }
            const std::string_view line = std::string_view(text).substr(lineStart, end - lineStart);
            if (!bindsFound) {
                const CCursorLine kind = ClassifyLine(line);
                bindsFound = (kind.kind == ETraceLine::Exec && kind.cursor == cursor) ||
                             SwitchesContext(line);
            }
            if (bindsFound && line.starts_with("*** ") &&
                CWallClock::OfHeaderLine(line).has_value()) {
                start = from + lineStart;
                return true;
            }
            if (lineStart == 0) {
                break;
            }
            end = lineStart;
            while (end > 0 && IsBreak(text[end - 1])) {
                --end;
            }
        }
    }
    start = 0;
    return true;
}

bool CExecutionReader::CountLineFeeds(const CScan& scan, std::uint64_t end, std::int64_t& count,
                                      std::string& error) {
    count = 0;
    std::string chunk;
    for (std::uint64_t at = 0; at < end;) {
        const std::uint64_t bytes = std::min<std::uint64_t>(4 * kChunkBytes, end - at);
        if (!CRecordTexts::ReadRange(scan.open, scan.file, at, bytes, chunk, error)) {
            return false;
        }
        for (const char* p = chunk.data();
             (p = static_cast<const char*>(
                  std::memchr(p, '\n', chunk.data() + chunk.size() - p))) != nullptr;
             ++p) {
            ++count;
        }
        at += bytes;
    }
    return true;
}
