#include "CCallTreeWriter.h"

#include "CSqlReader.h"
#include "CTableWriter.h"
#include "CTextTable.h"
#include "CTraceAnalyzer.h"
#include "JsonText.h"
#include "OutputText.h"
#include "ResponseTimeText.h"
#include "TimeText.h"

namespace {

constexpr const char* kKinds[] = {"statement", "hidden", "unbound"};

// Calls `visit` with every row of the tree and its depth, a row before the rows below it.
template <class Visit>
void Walk(const std::vector<CCallTreeRow>& rows, std::size_t depth, const Visit& visit) {
    for (const CCallTreeRow& row : rows) {
        visit(row, depth);
        Walk(row.children, depth + 1, visit);
    }
}

// A row's cells; its statement's label is given apart.
std::vector<std::string> Cells(const CCallTreeRow& row, std::int64_t listRow,
                               std::string statement) {
    return {FormatSeconds(row.figures.elapsed),         FormatSeconds(row.figures.selfElapsed),
            FormatSeconds(row.figures.selfCpu),         std::to_string(row.figures.calls),
            listRow < 0 ? "" : std::to_string(listRow), std::move(statement)};
}

// The table is written a line at a time. Its columns are fitted without the statements'
// labels, which go last, unpadded.
void WriteTable(std::FILE* out, const std::vector<CCallTreeRow>& tree,
                const CTraceAnalyzer& analyzer, CSqlReader& sqls) {
    CTextTable table({{"Elapsed (s)", true},
                      {"Self (s)", true},
                      {"Self CPU (s)", true},
                      {"Calls", true},
                      {"Row", true},
                      {"Statement", false}});
    Walk(tree, 0, [&](const CCallTreeRow& row, std::size_t) {
        table.Fit(Cells(row, analyzer.RowOfNode(row), ""));
    });
    WriteText(out, table.TitleLine());
    Walk(tree, 0, [&](const CCallTreeRow& row, std::size_t depth) {
        WriteShownText(out,
                       table.Line(Cells(row, analyzer.RowOfNode(row),
                                        std::string(2 * depth, ' ') +
                                            CallTreeLabel(row, analyzer.RecordOfNode(row), sqls))));
    });
}

// Nodes deeper than this are written in the children of their ancestor at this depth, in the
// tree's order, each with its "depth" and no children of its own: JSON nested deeper than a
// few hundred levels is more than common readers take.
constexpr std::size_t kMaxNestedDepth = 100;

// A node at `depth`, with the nodes below it.
void AppendNode(std::string& out, const CCallTreeRow& row, std::size_t depth,
                const CTraceAnalyzer& analyzer, CSqlReader& sqls) {
    const std::int64_t listRow = analyzer.RowOfNode(row);
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
    if (depth > kMaxNestedDepth) {
        out += ",\"depth\":" + std::to_string(depth);
    }
    out += ",\"children\":[";
    bool first = true;
    const auto append = [&](const CCallTreeRow& child, std::size_t childDepth) {
        out += first ? "" : ",";
        first = false;
        AppendNode(out, child, childDepth, analyzer, sqls);
    };
    if (depth < kMaxNestedDepth) {
        for (const CCallTreeRow& child : row.children) {
            append(child, depth + 1);
        }
    } else if (depth == kMaxNestedDepth) {
        Walk(row.children, depth + 1, append);
    }
    out += "]}";
}

} // namespace

void CCallTreeWriter::Write(std::FILE* out, const std::vector<CCallTreeRow>& tree,
                            const CTraceAnalyzer& analyzer, COutputFormat format) {
    // The tree lists its statements by time; their texts are read in the files' order first.
    std::vector<const CStatementRecord*> listed;
    Walk(tree, 0, [&](const CCallTreeRow& row, std::size_t) {
        const std::int64_t listRow = analyzer.RowOfNode(row);
        if (listRow >= 0) {
            listed.push_back(&analyzer.GetRecord(listRow));
        }
    });
    CSqlReader sqls(analyzer.Texts());
    sqls.Prefetch(std::move(listed));
    if (format != COutputFormat::Json) {
        WriteTable(out, tree, analyzer, sqls);
        return;
    }
    // One top-level node at a time, with the nodes below it.
    WriteText(out, "[");
    for (std::size_t i = 0; i < tree.size(); ++i) {
        std::string node;
        AppendNode(node, tree[i], 0, analyzer, sqls);
        node += i + 1 < tree.size() ? "," : "";
        WriteText(out, node);
    }
    WriteText(out, "]\n");
}
