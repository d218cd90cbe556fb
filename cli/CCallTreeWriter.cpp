#include "CCallTreeWriter.h"

#include "CSqlReader.h"
#include "CTableWriter.h"
#include "CTextTable.h"
#include "CTraceAnalyzer.h"
#include "JsonText.h"
#include "ResponseTimeText.h"
#include "TimeText.h"

namespace {

constexpr const char* kKinds[] = {"statement", "hidden", "unbound"};

// The statements the tree lists, whose texts it writes.
void AddListed(const std::vector<CCallTreeRow>& rows, const CTraceAnalyzer& analyzer,
               std::vector<const CStatementRecord*>& listed) {
    for (const CCallTreeRow& row : rows) {
        const std::int64_t listRow = CallTreeListRow(row, analyzer);
        if (listRow >= 0) {
            listed.push_back(&analyzer.GetRecord(listRow));
        }
        AddListed(row.children, analyzer, listed);
    }
}

void AddRows(CTextTable& table, const std::vector<CCallTreeRow>& rows,
             const CTraceAnalyzer& analyzer, CSqlReader& sqls, std::size_t depth) {
    for (const CCallTreeRow& row : rows) {
        const std::int64_t listRow = CallTreeListRow(row, analyzer);
        table.AddRow({FormatSeconds(row.figures.elapsed), FormatSeconds(row.figures.selfElapsed),
                      FormatSeconds(row.figures.selfCpu), std::to_string(row.figures.calls),
                      listRow < 0 ? "" : std::to_string(listRow),
                      std::string(2 * depth, ' ') + CallTreeLabel(row, analyzer, sqls)});
        AddRows(table, row.children, analyzer, sqls, depth + 1);
    }
}

void AppendNodes(std::string& out, const std::vector<CCallTreeRow>& rows,
                 const CTraceAnalyzer& analyzer, CSqlReader& sqls) {
    out += '[';
    for (const CCallTreeRow& row : rows) {
        const std::int64_t listRow = CallTreeListRow(row, analyzer);
        const bool cursor = row.statement.kind != CStatementRef::EKind::Serial;
        out += "{\"row\":" + (listRow < 0 ? std::string("null") : std::to_string(listRow));
        out += ",\"kind\":";
        AppendJsonString(out, kKinds[static_cast<int>(row.statement.kind)]);
        out += ",\"cursor\":" + (cursor ? std::to_string(row.statement.value) : "null");
        out += ",\"sql\":";
        if (listRow < 0) {
            out += "null";
        } else {
            AppendJsonString(out, sqls.Sql(analyzer.GetRecord(listRow)));
        }
        out += ",\"calls\":" + std::to_string(row.figures.calls);
        out += ",\"elapsed\":" + std::to_string(row.figures.elapsed);
        out += ",\"self_elapsed\":" + std::to_string(row.figures.selfElapsed);
        out += ",\"self_cpu\":" + std::to_string(row.figures.selfCpu);
        out += ",\"children\":";
        AppendNodes(out, row.children, analyzer, sqls);
        out += &row == &rows.back() ? "}" : "},";
    }
    out += ']';
}

} // namespace

std::string CCallTreeWriter::Write(const std::vector<CCallTreeRow>& tree,
                                   const CTraceAnalyzer& analyzer, COutputFormat format) {
    // The tree lists its statements by time; their texts are read in the files' order first.
    std::vector<const CStatementRecord*> listed;
    AddListed(tree, analyzer, listed);
    CSqlReader sqls(analyzer.Texts());
    sqls.Prefetch(std::move(listed));
    if (format == COutputFormat::Json) {
        std::string out;
        AppendNodes(out, tree, analyzer, sqls);
        return out + "\n";
    }
    CTextTable table({{"Elapsed (s)", true},
                      {"Self (s)", true},
                      {"Self CPU (s)", true},
                      {"Calls", true},
                      {"Row", true},
                      {"Statement", false}});
    AddRows(table, tree, analyzer, sqls, 0);
    return table.Text();
}
