// velquor-gen: writes a realistic trace of a given size for benchmarks and manual tests.

#include "CTraceGenerator.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "Usage: velquor-gen [--seed N] [--crlf] [--append] BYTES FILE\n"
    "Writes at least BYTES bytes (suffix K, M or G for KiB, MiB, GiB) of generated Oracle SQL\n"
    "trace to FILE, ending after a whole statement. The same seed gives the same bytes.\n"
    "  --seed N   seed of the generator (default 1)\n"
    "  --crlf     end lines with CR LF instead of LF\n"
    "  --append   append statements to FILE, without the file header\n";

struct Options {
    std::uint64_t seed = 1;
    bool crlf = false;
    bool append = false;
    std::int64_t bytes = -1;
    std::string path;
};

std::int64_t ParseSize(std::string_view text) {
    std::size_t used = 0;
    const std::string digits(text);
    const long long value = std::stoll(digits, &used);
    const std::string_view suffix = text.substr(used);
    std::int64_t unit = 1;
    if (suffix == "K") {
        unit = 1LL << 10;
    } else if (suffix == "M") {
        unit = 1LL << 20;
    } else if (suffix == "G") {
        unit = 1LL << 30;
    } else if (!suffix.empty()) {
        throw std::invalid_argument("bad size");
    }
    if (value < 0) {
        throw std::invalid_argument("bad size");
    }
    return value * unit;
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--seed" && i + 1 < argc) {
            options.seed = std::stoull(argv[++i]);
        } else if (arg == "--crlf") {
            options.crlf = true;
        } else if (arg == "--append") {
            options.append = true;
        } else if (arg.starts_with("-")) {
            throw std::invalid_argument("unknown option " + std::string(arg));
        } else if (options.bytes < 0) {
            options.bytes = ParseSize(arg);
        } else if (options.path.empty()) {
            options.path = arg;
        } else {
            throw std::invalid_argument("too many arguments");
        }
    }
    if (options.path.empty()) {
        throw std::invalid_argument("BYTES and FILE are needed");
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    Options options;
    try {
        options = ParseOptions(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velquor-gen: %s\n%s", error.what(), kUsage);
        return 2;
    }
    try {
        CTraceGenerator generator(options.seed, options.crlf ? CTraceGenerator::LineEnd::CrLf
                                                             : CTraceGenerator::LineEnd::Lf);
        generator.WriteFile(options.path, options.bytes, options.append);
        const CTraceGenerator::Counts& counts = generator.GetCounts();
        std::fprintf(stderr, "velquor-gen: %lld statements (%lld of SYS), %lld parse errors\n",
                     static_cast<long long>(counts.Statements()),
                     static_cast<long long>(counts.SysStatements()),
                     static_cast<long long>(counts.parseErrors));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velquor-gen: %s\n", error.what());
        return 1;
    }
    return 0;
}
