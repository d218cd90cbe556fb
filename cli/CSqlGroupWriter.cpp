#include "CSqlGroupWriter.h"

#include "CDelimitedWriter.h"
#include "CSqlGroupColumns.h"
#include "CSqlReader.h"
#include "CTableWriter.h"
#include "CTextTable.h"
#include "CTraceAnalyzer.h"
#include "CallJson.h"
#include "JsonText.h"
#include "OutputText.h"
#include "TimeText.h"

namespace {

// The statement whose SQL text is the group's.
const CStatementRecord& FirstOf(const CSqlGroupRow& group, const CTraceAnalyzer& analyzer) {
    return analyzer.GetRecord(analyzer.RowOfSerial(group.firstSerial));
}

std::string_view SqlOf(const CSqlGroupRow& group, const CTraceAnalyzer& analyzer,
                       CSqlReader& sqls) {
    return sqls.Sql(FirstOf(group, analyzer));
}

std::vector<std::string> Cells(const CSqlGroupRow& group, std::string_view sql) {
    std::vector<std::string> cells;
    for (int c = 0; c < CSqlGroupColumns::kCount; ++c) {
        cells.push_back(CSqlGroupColumns::Cell(group, c, sql));
    }
    return cells;
}

std::vector<CTextTable::CColumn> Columns() {
    std::vector<CTextTable::CColumn> columns;
    for (int c = 0; c < CSqlGroupColumns::kCount; ++c) {
        const CSqlGroupColumns::CColumn& column = CSqlGroupColumns::At(c);
        columns.push_back(
            {std::string(column.title), column.unit != CSqlGroupColumns::EUnit::Text});
    }
    return columns;
}

void WriteDelimited(std::FILE* out, const CSqlGroupTable& groups, const CTraceAnalyzer& analyzer,
                    CSqlReader& sqls, bool tsv) {
    const auto line = [tsv](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            text += i == 0 ? "" : (tsv ? "\t" : ",");
            text +=
                tsv ? CDelimitedWriter::EscapeTsv(cells[i]) : CDelimitedWriter::QuoteCsv(cells[i]);
        }
        return text + "\n";
    };
    std::vector<std::string> titles;
    for (const CTextTable::CColumn& column : Columns()) {
        titles.push_back(column.title);
    }
    WriteText(out, line(titles));
    for (std::size_t i = 0; i < groups.Size(); ++i) {
        WriteText(out, line(Cells(groups.Row(i), SqlOf(groups.Row(i), analyzer, sqls))));
    }
}

// The table is written a line at a time. Its columns are fitted without the SQL texts, which
// go last, unpadded.
void WriteTable(std::FILE* out, const CSqlGroupTable& groups, const CTraceAnalyzer& analyzer,
                CSqlReader& sqls) {
    CTextTable table(Columns());
    for (std::size_t i = 0; i < groups.Size(); ++i) {
        table.Fit(Cells(groups.Row(i), ""));
    }
    WriteText(out, table.TitleLine());
    for (std::size_t i = 0; i < groups.Size(); ++i) {
        WriteShownText(out, table.Line(Cells(groups.Row(i), SqlOf(groups.Row(i), analyzer, sqls))));
    }
}

void AppendCalls(std::string& out, std::string_view name, const CCallFigures& calls,
                 const CSelfFigures& self) {
    AppendJsonString(out, name);
    out += ":{";
    AppendJsonCalls(out, calls, CSelfFigures::Of(calls), ECallJsonCounts::RowsMisses);
    out += ",\"self\":{";
    AppendJsonWork(out, self);
    out += "}}";
}

std::string GroupObject(const CSqlGroupRow& g, const CTraceAnalyzer& analyzer, CSqlReader& sqls) {
    const CSqlGroupDetail& d = *g.detail;
    std::string out = "{\"sql_id\":";
    AppendJsonString(out, g.sqlId);
    out += ',';
    AppendJsonNumber(out, "hash_value", g.hashValue);
    out += ",\"sql\":";
    AppendJsonString(out, SqlOf(g, analyzer, sqls));
    out += ',';
    AppendJsonNumber(out, "statements", g.statements);
    out += ',';
    AppendJsonNumber(out, "executions", g.executions);
    out += ',';
    AppendCalls(out, "parse", d.parse, d.self.parse);
    out += ',';
    AppendCalls(out, "exec", d.exec, d.self.exec);
    out += ',';
    AppendCalls(out, "fetch", d.fetch, d.self.fetch);
    out += ',';
    AppendCalls(out, "total", g.total, g.self);
    const CExecutionSummary& times = g.executionTimes;
    out += ",\"execution_elapsed\":{";
    AppendJsonNumber(out, "count", times.count);
    out += ',';
    AppendJsonNumber(out, "min", times.min);
    out += ',';
    AppendJsonNumber(out, "median", times.median);
    out += ',';
    AppendJsonNumber(out, "p95", times.p95);
    out += ',';
    AppendJsonNumber(out, "max", times.max);
    out += "},\"waits\":";
    AppendJsonWaits(out, d.waits);
    out += ",\"errors\":{";
    for (const CErrorCount& error : d.errors) {
        AppendJsonNumber(out, OraName(error.error), error.count);
        out += &error == &d.errors.back() ? "" : ",";
    }
    return out + "}}";
}

} // namespace

void CSqlGroupWriter::Write(std::FILE* out, const CSqlGroupTable& groups,
                            const CTraceAnalyzer& analyzer, COutputFormat format) {
    // The groups come by time; their texts are read in the files' order first, each window
    // of the file once, rather than one small read of the file for each group.
    std::vector<const CStatementRecord*> firsts;
    firsts.reserve(groups.Size());
    for (std::size_t i = 0; i < groups.Size(); ++i) {
        firsts.push_back(&FirstOf(groups.Row(i), analyzer));
    }
    CSqlReader sqls(analyzer.Texts());
    sqls.Prefetch(std::move(firsts));
    switch (format) {
    case COutputFormat::Tsv:
        WriteDelimited(out, groups, analyzer, sqls, true);
        return;
    case COutputFormat::Csv:
        WriteDelimited(out, groups, analyzer, sqls, false);
        return;
    case COutputFormat::Json:
        WriteText(out, "[");
        for (std::size_t i = 0; i < groups.Size(); ++i) {
            WriteText(out, (i > 0 ? ",\n" : "\n") + GroupObject(groups.Row(i), analyzer, sqls));
        }
        WriteText(out, "\n]\n");
        return;
    default:
        WriteTable(out, groups, analyzer, sqls);
        return;
    }
}
