#include "CSqlGroupWriter.h"

#include "CDelimitedWriter.h"
#include "CEventNames.h"
#include "CStatementColumns.h"
#include "CTableWriter.h"
#include "CTextTable.h"
#include "CTraceAnalyzer.h"
#include "JsonText.h"
#include "TimeText.h"

namespace {

const std::vector<CTextTable::CColumn> kColumns = {
    {"SQL ID", false},      {"Statements", true},   {"Executions", true},   {"Elapsed (s)", true},
    {"Self (s)", true},     {"Self CPU (s)", true}, {"Disk", true},         {"Query", true},
    {"Current", true},      {"Rows", true},         {"Exec min (s)", true}, {"Median (s)", true},
    {"95th pct (s)", true}, {"Exec max (s)", true}, {"Waits (s)", true},    {"Errors", true},
    {"SQL", false}};

std::string KeyOf(const CSqlGroupRow& group) {
    if (!group.sqlId.empty()) {
        return group.sqlId;
    }
    return group.hashValue != 0 ? "hv=" + std::to_string(group.hashValue) : std::string();
}

std::string_view SqlOf(const CSqlGroupRow& group, const CTraceAnalyzer& analyzer) {
    return analyzer.GetRecord(analyzer.RowOfSerial(group.firstSerial)).GetSql();
}

std::vector<std::string> Cells(const CSqlGroupRow& g, const CTraceAnalyzer& analyzer) {
    const CExecutionSummary& times = g.executionTimes;
    const bool timed = times.count > 0;
    return {KeyOf(g),
            std::to_string(g.statements),
            std::to_string(g.executions),
            FormatSeconds(g.total.elapsed),
            FormatSeconds(g.self.elapsed),
            FormatSeconds(g.self.cpu),
            std::to_string(g.self.disk),
            std::to_string(g.self.query),
            std::to_string(g.self.current),
            std::to_string(g.total.rows),
            timed ? FormatSeconds(times.min) : "",
            timed ? FormatSeconds(times.median) : "",
            timed ? FormatSeconds(times.p95) : "",
            timed ? FormatSeconds(times.max) : "",
            FormatSeconds(g.waitTime),
            std::to_string(g.errorCount),
            CStatementColumns::SqlCell(SqlOf(g, analyzer))};
}

std::string Delimited(const CSqlGroupTable& groups, const CTraceAnalyzer& analyzer, bool tsv) {
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
    for (const CTextTable::CColumn& column : kColumns) {
        titles.push_back(column.title);
    }
    std::string text = line(titles);
    for (std::size_t i = 0; i < groups.Size(); ++i) {
        text += line(Cells(groups.Row(i), analyzer));
    }
    return text;
}

void AppendMember(std::string& out, std::string_view name, std::int64_t value) {
    AppendJsonString(out, name);
    out += ':' + std::to_string(value);
}

void AppendCalls(std::string& out, std::string_view name, const CCallFigures& calls,
                 const CSelfFigures& self) {
    AppendJsonString(out, name);
    out += ":{";
    AppendMember(out, "count", calls.count);
    out += ',';
    AppendMember(out, "cpu", calls.cpu);
    out += ',';
    AppendMember(out, "elapsed", calls.elapsed);
    out += ',';
    AppendMember(out, "disk", calls.disk);
    out += ',';
    AppendMember(out, "query", calls.query);
    out += ',';
    AppendMember(out, "current", calls.current);
    out += ',';
    AppendMember(out, "rows", calls.rows);
    out += ',';
    AppendMember(out, "misses", calls.misses);
    out += ",\"self\":{";
    AppendMember(out, "cpu", self.cpu);
    out += ',';
    AppendMember(out, "elapsed", self.elapsed);
    out += ',';
    AppendMember(out, "disk", self.disk);
    out += ',';
    AppendMember(out, "query", self.query);
    out += ',';
    AppendMember(out, "current", self.current);
    out += "}}";
}

std::string GroupObject(const CSqlGroupRow& g, const CTraceAnalyzer& analyzer) {
    const CSqlGroupDetail& d = *g.detail;
    std::string out = "{\"sql_id\":";
    AppendJsonString(out, g.sqlId);
    out += ',';
    AppendMember(out, "hash_value", g.hashValue);
    out += ",\"sql\":";
    AppendJsonString(out, SqlOf(g, analyzer));
    out += ',';
    AppendMember(out, "statements", g.statements);
    out += ',';
    AppendMember(out, "executions", g.executions);
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
    AppendMember(out, "count", times.count);
    out += ',';
    AppendMember(out, "min", times.min);
    out += ',';
    AppendMember(out, "median", times.median);
    out += ',';
    AppendMember(out, "p95", times.p95);
    out += ',';
    AppendMember(out, "max", times.max);
    out += "},\"waits\":{";
    for (const CWaitFigures& wait : d.waits) {
        AppendJsonString(out, CEventNames::Name(wait.event));
        out += ":{";
        AppendMember(out, "count", wait.count);
        out += ',';
        AppendMember(out, "max", wait.max);
        out += ',';
        AppendMember(out, "total", wait.total);
        out += &wait == &d.waits.back() ? "}" : "},";
    }
    out += "},\"errors\":{";
    for (const CErrorCount& error : d.errors) {
        AppendMember(out, OraName(error.error), error.count);
        out += &error == &d.errors.back() ? "" : ",";
    }
    return out + "}}";
}

} // namespace

std::string CSqlGroupWriter::Write(const CSqlGroupTable& groups, const CTraceAnalyzer& analyzer,
                                   COutputFormat format) {
    switch (format) {
    case COutputFormat::Tsv:
        return Delimited(groups, analyzer, true);
    case COutputFormat::Csv:
        return Delimited(groups, analyzer, false);
    case COutputFormat::Json: {
        std::string out = "[";
        for (std::size_t i = 0; i < groups.Size(); ++i) {
            out += (i > 0 ? ",\n" : "\n") + GroupObject(groups.Row(i), analyzer);
        }
        return out + "\n]\n";
    }
    default: {
        CTextTable table(kColumns);
        for (std::size_t i = 0; i < groups.Size(); ++i) {
            table.AddRow(Cells(groups.Row(i), analyzer));
        }
        return table.Text();
    }
    }
}
