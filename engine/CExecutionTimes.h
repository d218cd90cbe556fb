#pragma once

#include "CExecutionHistogram.h"

#include <cstdint>

// The elapsed time of each execution of one statement: an EXEC line and the FETCH lines of
// the same cursor binding up to its next EXEC or PARSE. The times of the lines of one part of
// a file can be joined to those of the part before: FETCH lines before the first EXEC or
// PARSE of a part continue the execution open where the part before ended.
class CExecutionTimes {
public:
    void Execute(std::int64_t elapsed);
    void Fetch(std::int64_t elapsed);
    void Parse();
    // Adds the times of lines that came after those summed here.
    void Absorb(const CExecutionTimes& later);
    // Adds every execution to `all`, the one still open (more fetches may follow) included.
    void AddTo(CExecutionHistogram& all) const;

    bool operator==(const CExecutionTimes&) const = default;

private:
    enum class EPhase : std::uint8_t {
        Start,   // no EXEC or PARSE yet: fetches go to m_nLead
        Running, // an EXEC opened an execution: fetches go to m_nOpen
        Idle     // a PARSE ended it: fetches belong to no execution
    };

    void Close();

    CExecutionHistogram m_closed;
    std::int64_t m_nLead = 0;
    std::int64_t m_nOpen = 0;
    EPhase m_phase = EPhase::Start;
};
