#include "CPlainPass.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

constexpr std::int64_t kPieceBytes = 4 << 20;
// A piece is read with this much more, so that its last line ends in the buffer.
constexpr std::int64_t kOverlapBytes = 64 << 10;

struct CSums {
    std::int64_t count = 0;
    std::int64_t figures[7] = {}; // c, e, p, cr, cu, mis, r
};

std::int64_t Digits(std::string_view text, std::size_t at) {
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
    }
    return value;
}

// The cursor number after the "#" and the figures of the pairs after the ":".
void AddCall(std::string_view line, std::unordered_map<std::uint64_t, CSums>& cursors) {
    static constexpr std::string_view kNames[] = {"c", "e", "p", "cr", "cu", "mis", "r"};
    const std::size_t hash = line.find('#');
    const std::size_t colon = line.find(':', hash);
    if (hash == std::string_view::npos || colon == std::string_view::npos) {
        return;
    }
    CSums& sums = cursors[static_cast<std::uint64_t>(Digits(line, hash + 1))];
    ++sums.count;
    for (std::size_t start = colon + 1; start < line.size();) {
        const std::size_t equals = line.find('=', start);
        if (equals == std::string_view::npos) {
            return;
        }
        const std::string_view name = line.substr(start, equals - start);
        const auto known = std::find(std::begin(kNames), std::end(kNames), name);
        if (known != std::end(kNames)) {
            sums.figures[known - std::begin(kNames)] += Digits(line, equals + 1);
        }
        const std::size_t comma = line.find(',', equals);
        start = comma == std::string_view::npos ? line.size() : comma + 1;
    }
}

std::int64_t Ela(std::string_view line) {
    const std::size_t at = line.find("ela=");
    if (at == std::string_view::npos) {
        return 0;
    }
    std::size_t digits = at + 4;
    while (digits < line.size() && line[digits] == ' ') {
        ++digits;
    }
    return Digits(line, digits);
}

class CPassThread {
public:
    void Line(std::string_view line) {
        if (line.starts_with("WAIT #")) {
            m_nEla += Ela(line);
        } else if (line.starts_with("PARSE #") || line.starts_with("EXEC #") ||
                   line.starts_with("FETCH #") || line.starts_with("CLOSE #")) {
            AddCall(line, m_cursors);
        }
    }

    std::int64_t Checksum() const {
        std::int64_t sum = m_nEla;
        for (const auto& [cursor, sums] : m_cursors) {
            sum += sums.count;
            for (const std::int64_t figure : sums.figures) {
                sum += figure;
            }
        }
        return sum;
    }

private:
    std::unordered_map<std::uint64_t, CSums> m_cursors;
    std::int64_t m_nEla = 0;
};

// The lines that start in [from, from + kPieceBytes) of `text`, which begins at `from` - 1
// (or at 0 for the first piece), so that it shows whether a line starts at `from`.
void PassPiece(std::string_view text, bool first, CPassThread& pass) {
    std::size_t at = 0;
    if (!first) {
        const std::size_t end = text.find('\n');
        at = end == std::string_view::npos ? text.size() : end + 1;
    }
    const std::size_t limit = std::min<std::size_t>(text.size(), kPieceBytes + (first ? 0 : 1));
    while (at < limit) {
        const auto* end =
            static_cast<const char*>(std::memchr(text.data() + at, '\n', text.size() - at));
        const std::size_t stop = end == nullptr ? text.size() : end - text.data();
        std::size_t length = stop - at;
        if (length > 0 && text[at + length - 1] == '\r') {
            --length;
        }
        pass.Line(text.substr(at, length));
        at = stop + 1;
    }
}

} // namespace

CPlainPass::CPlainPass(std::string path) : m_strPath(std::move(path)) {}

std::int64_t CPlainPass::Run() const {
    const int fd = open(m_strPath.c_str(), O_RDONLY);
    struct stat status {};
    if (fd < 0 || fstat(fd, &status) != 0) {
        throw std::runtime_error("cannot read " + m_strPath);
    }
    std::atomic<std::int64_t> next{0};
    std::atomic<std::int64_t> checksum{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        // Each read lands at the same place within a page as it starts at in the file: some
        // processors copy several times slower when the two differ by a few bytes.
        const std::unique_ptr<char, decltype(&std::free)> buffer(
            static_cast<char*>(std::aligned_alloc(4096, kPieceBytes + kOverlapBytes + 8192)),
            &std::free);
        CPassThread pass;
        for (std::int64_t piece = next.fetch_add(kPieceBytes); piece < status.st_size;
             piece = next.fetch_add(kPieceBytes)) {
            const std::int64_t from = std::max<std::int64_t>(0, piece - 1);
            char* const into = buffer.get() + 4096 - (piece - from);
            const ssize_t got = pread(fd, into, kPieceBytes + kOverlapBytes + 1, from);
            if (got < 0) {
                failed = true;
                return;
            }
            PassPiece(std::string_view(into, static_cast<std::size_t>(got)), piece == 0, pass);
        }
        checksum += pass.Checksum();
    };
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i) {
        threads.emplace_back(work);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    close(fd);
    if (failed) {
        throw std::runtime_error("cannot read " + m_strPath);
    }
    return checksum;
}
