#include "CStatementFileWriter.h"

#include "CFileReplacer.h"
#include "CSqlReader.h"
#include "CStatementRecord.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view kSeparator = "=====================\r\n";

// false with `textError` set when a block could not be read back from its trace file or the
// progress stopped the writing.
bool WriteRecords(CFileReplacer& file, std::span<CStatementRecord* const> records,
                  const CRecordTexts& texts, CStatementFileWriter::Content content,
                  std::string& textError, const CStatementFileWriter::FProgress& progress) {
    CSqlReader sqls(texts);
    std::string block;
    const auto total = static_cast<std::int64_t>(records.size());
    for (std::int64_t written = 0; written < total; ++written) {
        if (progress && written % CStatementFileWriter::kProgressStep == 0 &&
            !progress(written, total)) {
            textError = "stopped before the end";
            return false;
        }
        const CStatementRecord& record = *records[static_cast<std::size_t>(written)];
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

bool CStatementFileWriter::Write(const std::string& path,
                                 std::span<CStatementRecord* const> records,
                                 const CRecordTexts& texts, Content content, std::string& error,
                                 const FProgress& progress) {
    CFileReplacer file(path);
    std::string textError;
    if (!file.Open() || !WriteRecords(file, records, texts, content, textError, progress) ||
        !file.Commit()) {
        error = textError.empty() ? file.GetErrorText() : textError;
        return false;
    }
    return true;
}
