#pragma once

#include "CDepthTotals.h"
#include "CErrorCount.h"
#include "CSessionTags.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CTraceProfile;

// One component of a trace's duration R: the CPU of one kind of call at depth 0, one wait
// event, or the time neither accounts for. Times in microseconds.
struct CProfileRow {
    enum class EKind { Cpu, Wait, Unaccounted };

    EKind kind = EKind::Wait;
    std::string name; // the event, or the call ("PARSE", "EXEC", "FETCH", "UNMAP", "CLOSE", "LOB")
    bool idle = false;
    std::int64_t time = 0;
    std::optional<double> share; // of R; none without R
    std::int64_t count = 0;      // calls or waits; 0 for unaccounted-for time
    std::int64_t min = 0;
    std::int64_t max = 0;

    // "CPU: FETCH calls", the event's name, or "unaccounted-for time".
    std::string Label() const;
    // Microseconds per call or wait; 0 without any.
    double Mean() const;

    bool operator==(const CProfileRow&) const = default;
};

// The profile of a set of traces, or of the part written under one value of a session tag (cut
// by session: in one context of a trace). R is the sum of the R of its contexts.
struct CProfileTable {
    std::string cutValue;             // the tag's value when the profile is cut by a tag
    std::string process;              // cut by session: the session's process, when stated
    bool timed = false;               // every trace had time stamps: R is known
    std::int64_t duration = 0;        // R, without idle waits when they are left out
    std::size_t sessions = 0;         // the contexts (process, session) whose R adds up to R
    std::optional<std::int64_t> span; // uncut: each trace's wall-clock span, added up
    std::int64_t idleTime = 0;        // the idle waits' time, left out or not
    bool idleExcluded = false;        // idle waits are left out of R and of the rows
    std::vector<CProfileRow> rows;    // by time, largest first
    std::int64_t commits = 0;
    std::int64_t rollbacks = 0;
    std::int64_t readOnlyCommits = 0;
    std::vector<CErrorCount> errors; // by number

    bool operator==(const CProfileTable&) const = default;
};

// Where the time of a set of traces went: the profile as a whole or cut by a session tag,
// and the calls and waits at depth 0 and deeper, without the calls they made.
struct CProfileReport {
    std::vector<CProfileTable> tables; // one, or one per value of the cut in order of the values
    CDepthTotals topLevel;             // waits by total time, largest first
    CDepthTotals recursive;

    // The report of the given trace profiles. The set's R is the sum of the traces' R.
    static CProfileReport Make(const std::vector<const CTraceProfile*>& profiles,
                               std::optional<ESessionTag> cut, bool excludeIdle);

    bool operator==(const CProfileReport&) const = default;
};
