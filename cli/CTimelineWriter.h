#pragma once

#include "CCliOptions.h"
#include "CTimeline.h"

#include <cstdio>

// Writes the rows of a time line in time order: the depth-0 calls, waits, think time and gaps
// (every depth when asked) that end within the range. A table gives times as the trace's
// wall clock where one is known and tim values elsewhere, and says so; JSON gives both.
class CTimelineWriter {
public:
    static void Write(std::FILE* out, const CTimeline& timeline, const CCliOptions& options);
};
