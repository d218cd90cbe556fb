#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

// A failed save of the trace list; the message names the file and the reason.
class CTraceListFileError final : public std::runtime_error {
public:
    CTraceListFileError(const std::filesystem::path& file, const std::string& reason);
    // The system's reason for error number `error`. A save creates files in the list's
    // folder, so when it was refused the message says that folder must be writable.
    CTraceListFileError(const std::filesystem::path& file, int error);
};
