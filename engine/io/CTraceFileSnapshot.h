#pragma once

#include "ITraceFileSystem.h"

#include <cstdint>
#include <string>

// A trace file as it was when file mode read it. Records of the file keep the positions of
// their texts in it; the texts are read again only while the file is still the same.
struct CTraceFileSnapshot {
    std::string path;
    CFileStatus status;

    bool operator==(const CTraceFileSnapshot&) const = default;
};
