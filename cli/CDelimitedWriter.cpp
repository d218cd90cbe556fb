#include "CDelimitedWriter.h"

#include "CStatementColumns.h"
#include "CStatementRecord.h"
#include "SafeText.h"

namespace {

bool IsTsvSpecial(char c) {
    return c == '\t' || c == '\r' || c == '\n' || c == '\\';
}

} // namespace

CDelimitedWriter::CDelimitedWriter(std::FILE* out, Kind kind, bool withEvents,
                                   const CRecordTexts& texts, std::vector<int> columns)
    : m_out(out), m_kind(kind), m_bWithEvents(withEvents), m_sqls(texts),
      m_columns(std::move(columns)) {}

void CDelimitedWriter::Begin() {
    std::string line;
    if (m_bWithEvents) {
        AppendCell(line, "event", true);
        AppendCell(line, "row", false);
    }
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        AppendCell(line, CStatementColumns::At(m_columns[i]).title, !m_bWithEvents && i == 0);
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), m_out);
}

void CDelimitedWriter::Write(std::int64_t row, const CStatementRecord& record,
                             std::string_view event) {
    std::string line;
    if (m_bWithEvents) {
        AppendCell(line, event, true);
        AppendCell(line, std::to_string(row), false);
    }
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        AppendCell(line, CStatementColumns::Cell(record, m_columns[i], m_sqls),
                   !m_bWithEvents && i == 0);
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), m_out);
}

void CDelimitedWriter::End() {}

// The text between the characters to escape is copied a run at a time.
std::string CDelimitedWriter::EscapeTsv(std::string_view cell) {
    std::string text;
    text.reserve(cell.size() + 1);
    if (IsFormulaLike(cell)) {
        text += '\'';
    }
    std::size_t pos = 0;
    while (pos < cell.size()) {
        std::size_t special = pos;
        while (special < cell.size() && !IsTsvSpecial(cell[special])) {
            ++special;
        }
        text.append(cell.substr(pos, special - pos));
        if (special == cell.size()) {
            break;
        }
        switch (cell[special]) {
        case '\t':
            text += "\\t";
            break;
        case '\r':
            text += "\\r";
            break;
        case '\n':
            text += "\\n";
            break;
        default:
            text += "\\\\";
        }
        pos = special + 1;
    }
    return text;
}

std::string CDelimitedWriter::QuoteCsv(std::string_view cell) {
    if (cell.find_first_of(",\"\r\n") == std::string_view::npos) {
        return SpreadsheetCell(cell);
    }
    std::string text = IsFormulaLike(cell) ? "\"'" : "\"";
    for (char c : cell) {
        text += c;
        if (c == '"') {
            text += '"';
        }
    }
    text += '"';
    return text;
}

void CDelimitedWriter::AppendCell(std::string& line, std::string_view cell, bool first) const {
    if (!first) {
        line += m_kind == Kind::Tsv ? '\t' : ',';
    }
    line += m_kind == Kind::Tsv ? EscapeTsv(cell) : QuoteCsv(cell);
}
