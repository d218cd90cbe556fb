#include "CCallTreeWriter.h"

#include "CStatementColumns.h"
#include "CTableWriter.h"
#include "CTextTable.h"
#include "CTraceAnalyzer.h"
#include "JsonText.h"
#include "TimeText.h"

namespace {

// The row of a node's statement in the list; -1 for one not listed.
std::int64_t ListRow(const CCallTreeRow& row, const CTraceAnalyzer& analyzer) {
    return row.statement.kind == CStatementRef::EKind::Serial
               ? analyzer.RowOfSerial(row.statement.value)
               : -1;
}

// How a node names its statement: its SQL text on one line, or why there is none.
std::string Label(const CCallTreeRow& row, const CTraceAnalyzer& analyzer) {
    const std::string cursor = "cursor #" + std::to_string(row.statement.value);
    switch (row.statement.kind) {
    case CStatementRef::EKind::Hidden:
        return "(statement hidden by the filters, " + cursor + ")";
    case CStatementRef::EKind::Unbound:
        return "(" + cursor + ", no statement in the trace)";
    default:
        break;
    }
    const std::int64_t listRow = ListRow(row, analyzer);
    return listRow < 0 ? std::string("(statement no longer listed)")
                       : CStatementColumns::SqlCell(analyzer.GetRecord(listRow).GetSql());
}

constexpr const char* kKinds[] = {"statement", "hidden", "unbound"};

void AddRows(CTextTable& table, const std::vector<CCallTreeRow>& rows,
             const CTraceAnalyzer& analyzer, std::size_t depth) {
    for (const CCallTreeRow& row : rows) {
        const std::int64_t listRow = ListRow(row, analyzer);
        table.AddRow({FormatSeconds(row.figures.elapsed), FormatSeconds(row.figures.selfElapsed),
                      FormatSeconds(row.figures.selfCpu), std::to_string(row.figures.calls),
                      listRow < 0 ? "" : std::to_string(listRow),
                      std::string(2 * depth, ' ') + Label(row, analyzer)});
        AddRows(table, row.children, analyzer, depth + 1);
    }
}

void AppendNodes(std::string& out, const std::vector<CCallTreeRow>& rows,
                 const CTraceAnalyzer& analyzer) {
    out += '[';
    for (const CCallTreeRow& row : rows) {
        const std::int64_t listRow = ListRow(row, analyzer);
        const bool cursor = row.statement.kind != CStatementRef::EKind::Serial;
        out += "{\"row\":" + (listRow < 0 ? std::string("null") : std::to_string(listRow));
        out += ",\"kind\":";
        AppendJsonString(out, kKinds[static_cast<int>(row.statement.kind)]);
        out += ",\"cursor\":" + (cursor ? std::to_string(row.statement.value) : "null");
        out += ",\"sql\":";
        if (listRow < 0) {
            out += "null";
        } else {
            AppendJsonString(out, analyzer.GetRecord(listRow).GetSql());
        }
        out += ",\"calls\":" + std::to_string(row.figures.calls);
        out += ",\"elapsed\":" + std::to_string(row.figures.elapsed);
        out += ",\"self_elapsed\":" + std::to_string(row.figures.selfElapsed);
        out += ",\"self_cpu\":" + std::to_string(row.figures.selfCpu);
        out += ",\"children\":";
        AppendNodes(out, row.children, analyzer);
        out += &row == &rows.back() ? "}" : "},";
    }
    out += ']';
}

} // namespace

std::string CCallTreeWriter::Write(const std::vector<CCallTreeRow>& tree,
                                   const CTraceAnalyzer& analyzer, COutputFormat format) {
    if (format == COutputFormat::Json) {
        std::string out;
        AppendNodes(out, tree, analyzer);
        return out + "\n";
    }
    CTextTable table({{"Elapsed (s)", true},
                      {"Self (s)", true},
                      {"Self CPU (s)", true},
                      {"Calls", true},
                      {"Row", true},
                      {"Statement", false}});
    AddRows(table, tree, analyzer, 0);
    return table.Text();
}
