#include "CTraceListFileError.h"

CTraceListFileError::CTraceListFileError(const std::filesystem::path& file,
                                         const std::string& reason)
    : std::runtime_error("Cannot save the trace list \"" + file.string() + "\": " + reason) {}
