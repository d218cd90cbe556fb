#pragma once

#include "CTimeRange.h"
#include "CTimeline.h"
#include "CTraceFileSnapshot.h"

#include <cstdint>
#include <optional>
#include <string>

class CTimelineBuilder;
class ITraceFileSystem;

// Reads a trace file again, when its time line is asked for, and makes the time line of its
// lines: the main read keeps no events, so it costs neither time nor memory for them.
class CTimelineScan {
public:
    // A file to scan: a plain file as it was read is read only while it is still that file
    // (the checks texts read back from it pass); a compressed or live file, which has no
    // snapshot, is read as it is now.
    struct CFile {
        std::string path;
        std::optional<CTraceFileSnapshot> snapshot;
    };

    static constexpr std::int64_t kDefaultMinGap = 1000;

    // The time line of `file`, with gaps longer than `minGap` microseconds; false with the
    // reason in `error` when the file cannot be read or is no longer the file that was read.
    static bool Scan(ITraceFileSystem& fileSystem, const CFile& file, std::int64_t minGap,
                     CTimeline& timeline, std::string& error);
    // The text of `file` cut to `range`: every line but the timed ones (calls, waits,
    // transaction ends, errors) that end outside it, each line ending with LF. A profile of
    // the cut text is the profile of the range.
    static bool Cut(ITraceFileSystem& fileSystem, const CFile& file, const CTimeRange& range,
                    std::string& text, std::string& error);

private:
    static bool Read(ITraceFileSystem& fileSystem, const CFile& file, CTimelineBuilder& builder,
                     std::string& error);
};
