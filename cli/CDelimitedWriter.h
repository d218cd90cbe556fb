#pragma once

#include "CSqlReader.h"
#include "IRecordWriter.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Writes list columns as tab- or comma-separated values, one line per record
// after a line of column titles. Following a folder, the columns "event" and "row" come
// first. In TSV a tab, CR, LF or backslash inside a cell is written \t, \r, \n or \\; in CSV
// a cell holding a comma, quote, CR or LF is quoted with its quotes doubled. A text cell that a
// spreadsheet would take for a formula is written as text (SpreadsheetCell).
class CDelimitedWriter final : public IRecordWriter {
public:
    enum class Kind { Tsv, Csv };

    // SQL texts that stay in their trace file are read through `texts`.
    // `columns` are the list columns to write, in their order.
    CDelimitedWriter(std::FILE* out, Kind kind, bool withEvents, const CRecordTexts& texts,
                     std::vector<int> columns);

    void Begin() override;
    void Write(std::int64_t row, const CStatementRecord& record, std::string_view event) override;
    void End() override;

    static std::string EscapeTsv(std::string_view cell);
    static std::string QuoteCsv(std::string_view cell);

private:
    void AppendCell(std::string& line, std::string_view cell, bool first) const;

    std::FILE* m_out;
    Kind m_kind;
    bool m_bWithEvents;
    CSqlReader m_sqls;
    std::vector<int> m_columns;
};
