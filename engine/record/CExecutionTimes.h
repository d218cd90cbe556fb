#pragma once

#include "CExecutionHistogram.h"
#include "CSparse.h"

#include <cstdint>

// The elapsed time of each execution of one statement: an EXEC line and the FETCH lines of
// the same cursor binding up to its next EXEC or PARSE. The times of the lines of one part of
// a file can be joined to those of the part before: FETCH lines before the first EXEC or
// PARSE of a part continue the execution open where the part before ended.
// Almost every statement's executions all fall in one bucket of the histogram and its times
// fit in 32 bits: those are kept packed in a fraction of the room. The times of any other
// statement are kept in full apart, so that every result is the one of 64-bit times.
class CExecutionTimes {
public:
    void Execute(std::int64_t elapsed);
    void Fetch(std::int64_t elapsed);
    void Parse();
    // Adds the times of lines that came after those summed here.
    void Absorb(const CExecutionTimes& later);
    // Adds every execution to `all`, the one still open (more fetches may follow) included.
    void AddTo(CExecutionHistogram& all) const;

    // Equal when the times are, however they are stored.
    bool operator==(const CExecutionTimes& other) const;

private:
    enum class EPhase : std::uint8_t {
        Start,   // no EXEC or PARSE yet: fetches go to lead
        Running, // an EXEC opened an execution: fetches go to open
        Idle     // a PARSE ended it: fetches belong to no execution
    };
    // The times in 64 bits.
    struct CFull {
        CExecutionHistogram closed;
        std::int64_t lead = 0;
        std::int64_t open = 0;

        bool operator==(const CFull&) const = default;
    };

    CFull Unpacked() const;
    const CFull& Full(CFull& unpacked) const;
    // Changes the times in full, then packs them again when they fit.
    template <class TChange> void Change(TChange change);
    void Store(CFull&& full);
    void Fetch(CFull& full, std::int64_t elapsed) const;
    void Close(CFull& full) const;

    CSparse<CFull> m_full; // when m_bFull
    // Unless m_bFull: the closed executions' count, least and greatest time, all in the
    // least time's bucket, and the lead and open times.
    std::int32_t m_nCount = 0;
    std::int32_t m_nMin = 0;
    std::int32_t m_nMax = 0;
    std::int32_t m_nLead = 0;
    std::int32_t m_nOpen = 0;
    EPhase m_phase = EPhase::Start;
    bool m_bFull = false;
};
