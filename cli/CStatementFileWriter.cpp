#include "CStatementFileWriter.h"

#include "CFileReplacer.h"
#include "CTraceAnalyzer.h"

#include <stdexcept>
#include <string_view>

namespace {

constexpr std::string_view kSeparator = "=====================\r\n";

bool WriteRecords(CFileReplacer& file, const CTraceAnalyzer& analyzer, std::int64_t afterRow,
                  CStatementFileWriter::Content content) {
    for (std::int64_t row = afterRow + 1; row < analyzer.GetCount(); ++row) {
        const CStatementRecord& record = analyzer.GetRecord(row);
        const std::string_view text = content == CStatementFileWriter::Content::Sql
                                          ? record.GetSql()
                                          : std::string_view(record.m_strNode);
        if (!file.Write(kSeparator) || !file.Write(text)) {
            return false;
        }
    }
    return true;
}

} // namespace

void CStatementFileWriter::Write(const std::string& path, const CTraceAnalyzer& analyzer,
                                 std::int64_t afterRow, Content content) {
    CFileReplacer file(path);
    if (!file.Open() || !WriteRecords(file, analyzer, afterRow, content) || !file.Commit()) {
        throw std::runtime_error("cannot write '" + path + "': " + file.GetErrorText());
    }
}
