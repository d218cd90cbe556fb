#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

// A failed save of the trace list; the message names the file and the system's reason.
class CTraceListFileError final : public std::runtime_error {
public:
    CTraceListFileError(const std::filesystem::path& file, const std::string& reason);
};
