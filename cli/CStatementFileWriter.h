#pragma once

#include <cstdint>
#include <string>

class CTraceAnalyzer;

// Writes a saved statement file: for every record after a given row, in list order, the
// separator line "=====================" with CR LF and then the record's SQL text or its
// block text, bytes as they are. The file is saved as CFileReplacer saves: a regular file
// appears under its name only when it was written whole, a link is saved through, a device
// is written into.
class CStatementFileWriter {
public:
    enum class Content { Sql, Node };

    // Throws std::runtime_error when the file cannot be written.
    static void Write(const std::string& path, const CTraceAnalyzer& analyzer,
                      std::int64_t afterRow, Content content);
};
