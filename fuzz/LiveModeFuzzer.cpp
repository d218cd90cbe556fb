#include "CCommandTypeCatalog.h"
#include "CFuzzFolder.h"
#include "CPosixFileSystem.h"
#include "CSqlReader.h"
#include "CTraceAnalyzer.h"
#include "FuzzCheck.h"
#include "ITraceNotifier.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

class CCountingNotifier final : public ITraceNotifier {
public:
    void Notify(const std::string&) override { ++m_nMessages; }
    int m_nMessages = 0;
};

// How a trace is read: the input's first byte gives the number of points at which the live
// file is read while it is written (0 to 3, bits 0 and 1), whether SYS statements are shown
// (bit 2) and the bytes read at a time (bits 3 to 5); two bytes per point then give where it
// lies, as a fraction of the trace. The rest is the trace, cut at its first zero byte (where
// file mode stops its text and live mode waits) and ended by a line break (live mode reads
// whole lines only). A trace that starts as a compressed file does gets a line break first:
// file mode would decode it, while live mode reads plain text only.
struct CReading {
    bool showSys = false;
    std::int64_t pieceBytes = 0;
    std::vector<std::size_t> cuts;
    std::string trace;

    CReading(const std::uint8_t* data, std::size_t size) {
        const std::string_view input(reinterpret_cast<const char*>(data), size);
        const unsigned flags = input.empty() ? 0 : static_cast<std::uint8_t>(input[0]);
        const std::size_t points = flags & 3;
        showSys = (flags & 4) != 0;
        static constexpr std::int64_t kPieces[] = {0, 7, 20, 64, 300, 1000, 4096, 65536};
        pieceBytes = kPieces[(flags >> 3) & 7];
        const std::size_t head = std::min(input.size(), 1 + 2 * points);
        trace = input.substr(head);
        trace = trace.substr(0, trace.find('\0'));
        if (!trace.empty() && trace.back() != '\n' && trace.back() != '\r') {
            trace += '\n';
        }
        if (trace.starts_with("\x1f\x8b") || trace.starts_with("\xfd") ||
            trace.starts_with("BZh")) {
            trace.insert(0, 1, '\n');
        }
        for (std::size_t i = 1; i + 1 < head; i += 2) {
            const std::size_t fraction =
                static_cast<std::uint8_t>(input[i]) << 8 | static_cast<std::uint8_t>(input[i + 1]);
            cuts.push_back(fraction * trace.size() >> 16);
        }
        std::sort(cuts.begin(), cuts.end());
        cuts.push_back(trace.size());
    }
};

void Append(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(out.good());
}

void Configure(CTraceAnalyzer& analyzer, const CReading& reading) {
    analyzer.SetShowSys(reading.showSys ? 1 : 0);
    if (reading.pieceBytes > 0) {
        analyzer.Reader().SetPieceBytes(reading.pieceBytes);
    }
}

// A record with its texts copied out of the trace file, and no serial: records of file mode
// and of live mode then compare equal when they say the same.
CStatementRecord Copied(const CTraceAnalyzer& analyzer, const CStatementRecord& record) {
    CStatementRecord copy = record;
    std::string error;
    FUZZ_CHECK(analyzer.Texts().Block(record, copy.EditNode(), error));
    std::vector<std::string> operations;
    FUZZ_CHECK(analyzer.Texts().PlanOperations(record, operations, error));
    std::string_view sql;
    CSqlReader sqls(analyzer.Texts());
    FUZZ_CHECK(sqls.Read(record, sql, error));
    copy.SetSql(CSharedText(sql));
    copy.SetContext(CRecordContext::Make(std::string(record.Pid()), nullptr, record.Tags()));
    copy.m_nBlockOffset = 0;
    copy.m_nBlockBytes = 0;
    copy.m_nSerial = 0;
    copy.CopyPlanTexts(operations);
    return copy;
}

std::vector<CStatementRecord> Records(const CTraceAnalyzer& analyzer) {
    std::vector<CStatementRecord> records;
    for (std::int64_t i = 0; i < analyzer.GetCount(); ++i) {
        records.push_back(Copied(analyzer, analyzer.GetRecord(i)));
    }
    return records;
}

} // namespace

// Any trace, read whole in file mode and followed in live mode while it is written in parts,
// gives the same records.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CCommandTypeCatalog catalog;
    static const CFuzzFolder folder;
    const CReading reading(data, size);
    const fs::path whole = folder.Path() / "whole_ora_1.trc";
    const fs::path live = folder.Path() / "live";
    const fs::path followed = live / "whole_ora_1.trc";
    fs::create_directories(live);
    fs::remove(whole);
    fs::remove(followed);
    Append(whole, reading.trace);

    CPosixFileSystem fileSystem;
    CCountingNotifier notifier;
    CTraceAnalyzer fileMode(catalog, fileSystem, notifier);
    fileMode.SetFiles({whole.string()});
    Configure(fileMode, reading);
    fileMode.ReadFileList();

    CTraceAnalyzer liveMode(catalog, fileSystem, notifier);
    liveMode.SetPath(live.string());
    Configure(liveMode, reading);
    liveMode.ReadFolder();
    std::size_t written = 0;
    for (const std::size_t cut : reading.cuts) {
        Append(followed, std::string_view(reading.trace).substr(written, cut - written));
        written = cut;
        liveMode.ReadFolder();
    }
    FUZZ_CHECK(notifier.m_nMessages == 0);
    FUZZ_CHECK(Records(liveMode) == Records(fileMode));
    return 0;
}
