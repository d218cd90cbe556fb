#pragma once

#include "CStatementFileWriter.h"

#include <QString>

#include <cstdint>

class CTraceAnalyzer;

// Writes statements to a file: before each record the separator line, then the record's SQL
// text (a ".sql" file) or its whole block (a ".trc" file), byte for byte as the record holds
// it. A ".trc" file so written reads again as a trace with the same statements.
class CStatementSaver {
public:
    enum class Format { Sql, Trace };
    struct Target {
        QString path;
        Format format;
    };

    static constexpr const char* kSeparator = "=====================\r\n";

    // The file and format a chosen name gives: its extension, whatever its letter case, when
    // it is "sql" or "trc"; otherwise the chosen filter's format, with its extension appended.
    static Target ResolveTarget(const QString& chosenPath, const QString& chosenFilter);

    // Writes records `first` to the last into the target. The file is replaced only when
    // everything was written; on failure `error` holds the system's reason and nothing changed.
    // `progress` is told how far the writing is and may stop it (CStatementFileWriter).
    static bool Save(const CTraceAnalyzer& analyzer, std::int64_t first, const Target& target,
                     QString& error, const CStatementFileWriter::FProgress& progress = {});
};
