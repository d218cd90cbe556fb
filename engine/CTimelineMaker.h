#pragma once

#include "CTimeline.h"

#include <cstdint>
#include <string>

class CMemoryFileSystem;
class CTimeRange;
class CTraceAnalyzer;
class ITraceFileSystem;

// The time line of an analyser's files, made when asked by reading them again: each
// statement knows its row in the analyser's list (a statement the list does not show has
// none).
class CTimelineMaker {
public:
    // False with the reasons in `error` when a file cannot be read again; the time line then
    // holds the files that could.
    static bool Make(const CTraceAnalyzer& analyzer, ITraceFileSystem& fileSystem,
                     std::int64_t minGap, CTimeline& timeline, std::string& error);
    // Each of the analyser's files cut to `range` (CTimelineScan::Cut), into `cut` under its
    // path; false with the reasons in `error` when a file cannot be read again.
    static bool Cut(const CTraceAnalyzer& analyzer, ITraceFileSystem& fileSystem,
                    const CTimeRange& range, CMemoryFileSystem& cut, std::string& error);
};
