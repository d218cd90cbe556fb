#pragma once

#include "CReadFingerprint.h"
#include "ITraceFileSystem.h"

#include <cstdint>
#include <string>

// A trace file as it was when file mode read it. Records of the file keep the positions of
// their texts in it; the texts are read again only while the file is still the same, or has
// only grown: its bytes up to the size read still match the fingerprint taken at that size.
struct CTraceFileSnapshot {
    std::string path;
    CFileStatus status;
    CReadFingerprint fingerprint; // taken at status.size

    bool operator==(const CTraceFileSnapshot&) const = default;
};
