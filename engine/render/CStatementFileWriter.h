#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

class CRecordTexts;
class CStatementRecord;

// Writes a saved statement file, for the window's Save and `velquor-cli save` alike: for
// every record given, in list order, the separator line "=====================" with
// CR LF and then the record's SQL text or its block text, bytes as they are. The file is
// written by CFileReplacer's rule: a regular file appears under its name only when it was
// written whole.
class CStatementFileWriter {
public:
    enum class Content { Sql, Node };
    // Told from the writing thread how many of the records to write are written, every
    // kProgressStep records; answering false stops the writing.
    using FProgress = std::function<bool(std::int64_t written, std::int64_t total)>;
    static constexpr std::int64_t kProgressStep = 1024;

    // false with the reason in `error` when the file cannot be written, a block cannot be
    // read back from its trace file or `progress` stopped the writing; no file changed then.
    static bool Write(const std::string& path, std::span<CStatementRecord* const> records,
                      const CRecordTexts& texts, Content content, std::string& error,
                      const FProgress& progress = {});
};
