#include "CTraceListFileError.h"

#include <cerrno>
#include <system_error>

namespace {

std::string ReasonOf(const std::filesystem::path& file, int error) {
    std::string reason = std::generic_category().message(error != 0 ? error : EIO);
    if (error == EACCES || error == EPERM || error == EROFS) {
        reason +=
            " (saving needs write access to the folder \"" + file.parent_path().string() + "\")";
    }
    return reason;
}

} // namespace

CTraceListFileError::CTraceListFileError(const std::filesystem::path& file,
                                         const std::string& reason)
    : std::runtime_error("Cannot save the trace list \"" + file.string() + "\": " + reason) {}

CTraceListFileError::CTraceListFileError(const std::filesystem::path& file, int error)
    : CTraceListFileError(file, ReasonOf(file, error)) {}
