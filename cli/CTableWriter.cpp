#include "CTableWriter.h"

#include "CStatementColumns.h"
#include "CStatementRecord.h"
#include "CTraceAnalyzer.h"
#include "OutputText.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr std::size_t kMinNumberWidth = 6;

// The columns in table order: the SQL text goes last, where its length disturbs no other
// column.
std::vector<int> TableOrder(const std::vector<int>& columns) {
    std::vector<int> order = columns;
    const auto sql = std::stable_partition(order.begin(), order.end(), [](int column) {
        return column != CStatementColumns::kSqlColumn;
    });
    order.erase(std::next(sql, sql == order.end() ? 0 : 1), order.end());
    return order;
}

} // namespace

CTableWriter::CTableWriter(std::FILE* out, bool withEvents, const CRecordTexts& texts,
                           const std::vector<int>& columns)
    : m_out(out), m_bWithEvents(withEvents), m_sqls(texts), m_listed(TableOrder(columns)) {
    if (m_bWithEvents) {
        m_columns.push_back({"event", 8, false});
    }
    m_columns.push_back({"#", kMinNumberWidth, true});
    for (int column : m_listed) {
        const std::string title(CStatementColumns::At(column).title);
        const bool number = CStatementColumns::At(column).IsNumber();
        m_columns.push_back({title, std::max(title.size(), number ? kMinNumberWidth : 0), number});
    }
}

// The SQL cell, last, is never padded: the texts are not read for it.
void CTableWriter::FitColumns(const CTraceAnalyzer& analyzer) {
    for (std::int64_t row = 0; row < analyzer.GetCount(); ++row) {
        const std::vector<std::string> cells = Cells(row, analyzer.GetRecord(row), "", false);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            m_columns[i].width = std::max(m_columns[i].width, cells[i].size());
        }
    }
}

void CTableWriter::Begin() {
    std::vector<std::string> titles;
    for (const Column& column : m_columns) {
        titles.push_back(column.title);
    }
    WriteLine(titles);
}

void CTableWriter::Write(std::int64_t row, const CStatementRecord& record, std::string_view event) {
    WriteLine(Cells(row, record, event, true));
    if (m_bWithEvents) {
        std::fflush(m_out);
    }
}

void CTableWriter::End() {}

std::vector<std::string> CTableWriter::Cells(std::int64_t row, const CStatementRecord& record,
                                             std::string_view event, bool withSql) const {
    std::vector<std::string> cells;
    if (m_bWithEvents) {
        cells.emplace_back(event);
    }
    cells.push_back(std::to_string(row));
    for (int column : m_listed) {
        const bool sql = column == CStatementColumns::kSqlColumn;
        cells.push_back(sql && !withSql ? std::string()
                                        : CStatementColumns::Cell(record, column, m_sqls));
    }
    return cells;
}

// Pads every cell but the last to its column's width, two blanks apart.
void CTableWriter::WriteLine(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const bool last = i + 1 == cells.size();
        const std::size_t pad =
            last ? 0 : m_columns[i].width - std::min(m_columns[i].width, cells[i].size());
        if (m_columns[i].number) {
            line.append(pad, ' ');
        }
        line += cells[i];
        if (!m_columns[i].number) {
            line.append(pad, ' ');
        }
        line += last ? "\n" : "  ";
    }
    WriteShownText(m_out, line);
}
