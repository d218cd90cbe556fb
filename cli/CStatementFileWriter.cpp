#include "CStatementFileWriter.h"

#include "CTraceAnalyzer.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kSeparator = "=====================\r\n";

[[noreturn]] void Fail(const std::string& path, int error) {
    throw std::runtime_error("cannot write '" + path + "': " + std::strerror(error));
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A new file gets the usual permissions (0666 less the umask), as if it were created
// directly; a replaced file keeps its own.
mode_t TargetMode(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        return status.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// false with `textError` set when a block could not be read back from its trace file.
bool WriteRecords(int fd, const CTraceAnalyzer& analyzer, std::int64_t afterRow,
                  CStatementFileWriter::Content content, std::string& textError) {
    for (std::int64_t row = afterRow + 1; row < analyzer.GetCount(); ++row) {
        const CStatementRecord& record = analyzer.GetRecord(row);
        std::string text(record.GetSql());
        if (content == CStatementFileWriter::Content::Node &&
            !analyzer.Texts().Block(record, text, textError)) {
            return false;
        }
        if (!WriteAll(fd, kSeparator) || !WriteAll(fd, text)) {
            return false;
        }
    }
    return true;
}

} // namespace

void CStatementFileWriter::Write(const std::string& path, const CTraceAnalyzer& analyzer,
                                 std::int64_t afterRow, Content content) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        Fail(path, errno);
    }
    std::string textError;
    bool ok = ::fchmod(fd, TargetMode(path)) == 0 &&
              WriteRecords(fd, analyzer, afterRow, content, textError);
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        if (!textError.empty()) {
            throw std::runtime_error("cannot write '" + path + "': " + textError);
        }
        Fail(path, error);
    }
}
