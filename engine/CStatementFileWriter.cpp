#include "CStatementFileWriter.h"

#include "CFileReplacer.h"
#include "CSqlReader.h"
#include "CTraceAnalyzer.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view kSeparator = "=====================\r\n";

// false with `textError` set when a block could not be read back from its trace file or the
// progress stopped the writing.
bool WriteRecords(CFileReplacer& file, const CTraceAnalyzer& analyzer, std::int64_t afterRow,
                  CStatementFileWriter::Content content, std::string& textError,
                  const CStatementFileWriter::FProgress& progress) {
    CSqlReader sqls(analyzer.Texts());
    std::string block;
    const std::int64_t first = std::max<std::int64_t>(afterRow + 1, 0);
    const std::int64_t total = std::max<std::int64_t>(analyzer.GetCount() - first, 0);
    for (std::int64_t row = first; row < analyzer.GetCount(); ++row) {
        const std::int64_t written = row - first;
        if (progress && written % CStatementFileWriter::kProgressStep == 0 &&
            !progress(written, total)) {
            textError = "stopped before the end";
            return false;
        }
        const CStatementRecord& record = analyzer.GetRecord(row);
        std::string_view text;
        if (content == CStatementFileWriter::Content::Node) {
            if (!sqls.Block(record, block, textError)) {
                return false;
            }
            text = block;
        } else if (!sqls.Read(record, text, textError)) {
            return false;
        }
        if (!file.Write(kSeparator) || !file.Write(text)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool CStatementFileWriter::Write(const std::string& path, const CTraceAnalyzer& analyzer,
                                 std::int64_t afterRow, Content content, std::string& error,
                                 const FProgress& progress) {
    CFileReplacer file(path);
    std::string textError;
    if (!file.Open() || !WriteRecords(file, analyzer, afterRow, content, textError, progress) ||
        !file.Commit()) {
        error = textError.empty() ? file.GetErrorText() : textError;
        return false;
    }
    return true;
}
