#pragma once

#include "CBindSectionReader.h"
#include "CExecution.h"
#include "CSkewHistogram.h"
#include "CTimelineContexts.h"
#include "CWallClock.h"
#include "TraceLines.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Assembles the executions of statements from the lines of a trace, read in order. A
// statement is named by the file offset of its header ("PARSING IN CURSOR #c" or
// "PARSE ERROR #c:" at a block's start), which binds c in the line's context until the next
// header of c there. Every context (CTimelineContexts: the rules the reader of records follows)
// has its own cursors, bind sections and waits.
class CExecutionScanner {
public:
    // What the lines read so far gave one statement.
    struct CStatement {
        std::vector<CExecution> executions;
        std::int64_t execs = 0;   // its EXEC lines
        std::int64_t fetches = 0; // its FETCH lines, within an execution or not
        bool headerRead = false;
        bool rebound = false; // its cursor number was bound to another header since
    };

    // Collects the statements whose headers stand at `headers`.
    explicit CExecutionScanner(const std::vector<std::uint64_t>& headers);
    // Collects every statement.
    CExecutionScanner();

    // The next line, without its line break, at `offset` of the file and on line `number`.
    void Line(std::string_view line, std::uint64_t offset, std::int64_t number);
    // Also keeps a histogram of the durations of every wait line, by event.
    void CollectWaitHistograms() { m_bWaitHistograms = true; }
    std::map<std::string, CSkewHistogram, std::less<>>& WaitHistograms() {
        return m_waitHistograms;
    }
    // Ends the bind section the last lines began, if any.
    void Finish();

    // Whether a line switched the context since the scanner began, once a line of a cursor was
    // read: a read that starts within the file knows no context before that.
    bool ContextSwitched() const { return m_bContextSwitched; }
    // The statement whose header stands at `header`, or nullptr when no line named it.
    const CStatement* Statement(std::uint64_t header) const;
    std::unordered_map<std::uint64_t, CStatement>& Statements() { return m_statements; }

private:
    struct CPendingWait {
        std::string_view event; // in m_events
        std::int64_t elapsed = 0;
        std::int64_t time = 0;
    };
    // What one cursor number of one context holds.
    struct CCursor {
        std::vector<CBindSet> pendingBinds;
        std::vector<CPendingWait> waits; // since its last call
        CStatement* bound = nullptr;     // the statement collected, when it is
        std::vector<std::string> placeholders;
        bool open = false; // the bound statement's last execution takes fetches
    };
    struct CKey {
        std::uint32_t context;
        std::uint64_t cursor;
        bool operator==(const CKey&) const = default;
    };
    struct CKeyHash {
        std::size_t operator()(const CKey& key) const {
            return std::hash<std::uint64_t>()(key.cursor * 1000003u + key.context);
        }
    };

    // A context's wall clock: a time stamp anchors the tim of the context's next call or wait
    // line, and a tim maps to the wall clock from the latest anchor before it.
    struct CClock {
        std::optional<CWallClock> pending;
        std::int64_t anchorTim = 0;
        std::optional<CWallClock> anchor;
    };

    CCursor& CursorOf(std::uint64_t cursor);
    CClock& ClockOf(std::uint32_t context);
    void Anchor(std::string_view line, const CCursorLine& kind);
    void ReadHeader(std::string_view line, std::uint64_t offset, std::uint64_t cursor);
    void ReadCall(std::string_view line, ETraceLine kind, std::uint64_t cursor,
                  std::int64_t number);
    void StartExecution(CCursor& state, std::string_view line, std::int64_t number);
    void AddFetch(CCursor& state, std::string_view line);
    static void TakeWaits(CCursor& state, CExecution& execution);
    void CloseSection();
    void CloseSql();
    // The "*** " lines read since the last other line end their header.
    void EndHeader();
    void NoteContext(std::uint32_t before);

    bool m_bAll = false;
    std::unordered_map<std::uint64_t, CStatement> m_statements;
    std::unordered_map<CKey, CCursor, CKeyHash> m_cursors;
    // The lines of a statement are in the context of the process the trace states for them,
    // so the scanner starts in the context of no process, as the reader of records does.
    CTimelineContexts m_contexts{std::string()};
    bool m_bInHeader = false;
    std::optional<CWallClock> m_headerClock; // the last time stamp of the header being read
    std::vector<CClock> m_clocks;            // by context
    bool m_bContextSwitched = false;
    bool m_bBlockStart = true;
    // The open bind section and whose it is.
    std::optional<CKey> m_section;
    CBindSectionReader m_sectionReader;
    // The SQL text of a collected statement's header, read up to "END OF STMT".
    std::optional<CKey> m_sqlOf;
    std::string m_strSql;
    bool m_bWaitHistograms = false;
    std::map<std::string, CSkewHistogram, std::less<>> m_waitHistograms;
    // Event names, kept once each.
    std::unordered_set<std::string> m_events;
};
