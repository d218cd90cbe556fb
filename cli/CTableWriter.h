#pragma once

#include "CSqlReader.h"
#include "IRecordWriter.h"

#include <array>
#include <cstdio>
#include <string>
#include <vector>

class CTraceAnalyzer;

// Writes records as an aligned table for people: the row number, list columns with numbers
// right-aligned, and the SQL cell last. Following a folder, an "event" column comes
// first.
class CTableWriter final : public IRecordWriter {
public:
    // SQL texts that stay in their trace file are read through `texts`. `columns` are the list
    // columns to write, in their order but for the SQL cell, which goes last.
    CTableWriter(std::FILE* out, bool withEvents, const CRecordTexts& texts,
                 const std::vector<int>& columns);

    // Widens the columns to the widest cell of every record, before Begin.
    void FitColumns(const CTraceAnalyzer& analyzer);

    void Begin() override;
    void Write(std::int64_t row, const CStatementRecord& record, std::string_view event) override;
    void End() override;

private:
    struct Column {
        std::string title;
        std::size_t width;
        bool number;
    };

    // The SQL cell is left empty unless `withSql`.
    std::vector<std::string> Cells(std::int64_t row, const CStatementRecord& record,
                                   std::string_view event, bool withSql) const;
    void WriteLine(const std::vector<std::string>& cells);

    std::FILE* m_out;
    bool m_bWithEvents;
    std::vector<Column> m_columns;
    mutable CSqlReader m_sqls;
    std::vector<int> m_listed; // the list columns, the SQL cell last when it is one
};
