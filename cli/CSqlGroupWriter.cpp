#include "CSqlGroupWriter.h"

#include "CDelimitedWriter.h"
#include "CTableWriter.h"
#include "CTextTable.h"
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

std::vector<std::string> Cells(const CSqlGroupRow& g) {
    const CSelfFigures self = g.self.Total();
    std::int64_t waited = 0;
    for (const CWaitFigures& wait : g.waits) {
        waited += wait.total;
    }
    std::int64_t errors = 0;
    for (const CErrorCount& error : g.errors) {
        errors += error.count;
    }
    const CExecutionHistogram& times = g.executionTimes;
    const bool timed = times.Count() > 0;
    return {KeyOf(g),
            std::to_string(g.statements),
            std::to_string(g.executions),
            FormatSeconds(g.total.elapsed),
            FormatSeconds(self.elapsed),
            FormatSeconds(self.cpu),
            std::to_string(self.disk),
            std::to_string(self.query),
            std::to_string(self.current),
            std::to_string(g.total.rows),
            timed ? FormatSeconds(times.Min()) : "",
            timed ? FormatSeconds(times.Percentile(50)) : "",
            timed ? FormatSeconds(times.Percentile(95)) : "",
            timed ? FormatSeconds(times.Max()) : "",
            FormatSeconds(waited),
            std::to_string(errors),
            CTableWriter::OneLine(g.sql)};
}

std::string Delimited(const std::vector<CSqlGroupRow>& groups, bool tsv) {
    const auto line = [tsv](const std::vector<std::string>& cells) {
        std::string text;
        for (const std::string& cell : cells) {
            text += text.empty() && &cell == &cells.front() ? "" : (tsv ? "\t" : ",");
            text += tsv ? CDelimitedWriter::EscapeTsv(cell) : CDelimitedWriter::QuoteCsv(cell);
        }
        return text + "\n";
    };
    std::vector<std::string> titles;
    for (const CTextTable::CColumn& column : kColumns) {
        titles.push_back(column.title);
    }
    std::string text = line(titles);
    for (const CSqlGroupRow& group : groups) {
        text += line(Cells(group));
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

std::string GroupObject(const CSqlGroupRow& g) {
    std::string out = "{\"sql_id\":";
    AppendJsonString(out, g.sqlId);
    out += ',';
    AppendMember(out, "hash_value", g.hashValue);
    out += ",\"sql\":";
    AppendJsonString(out, g.sql);
    out += ',';
    AppendMember(out, "statements", g.statements);
    out += ',';
    AppendMember(out, "executions", g.executions);
    out += ',';
    AppendCalls(out, "parse", g.parse, g.self.parse);
    out += ',';
    AppendCalls(out, "exec", g.exec, g.self.exec);
    out += ',';
    AppendCalls(out, "fetch", g.fetch, g.self.fetch);
    out += ',';
    AppendCalls(out, "total", g.total, g.self.Total());
    const CExecutionHistogram& times = g.executionTimes;
    out += ",\"execution_elapsed\":{";
    AppendMember(out, "count", times.Count());
    out += ',';
    AppendMember(out, "min", times.Min());
    out += ',';
    AppendMember(out, "median", times.Percentile(50));
    out += ',';
    AppendMember(out, "p95", times.Percentile(95));
    out += ',';
    AppendMember(out, "max", times.Max());
    out += "},\"waits\":{";
    for (const CWaitFigures& wait : g.waits) {
        AppendJsonString(out, wait.name);
        out += ":{";
        AppendMember(out, "count", wait.count);
        out += ',';
        AppendMember(out, "max", wait.max);
        out += ',';
        AppendMember(out, "total", wait.total);
        out += &wait == &g.waits.back() ? "}" : "},";
    }
    out += "},\"errors\":{";
    for (const CErrorCount& error : g.errors) {
        AppendMember(out, OraName(error.error), error.count);
        out += &error == &g.errors.back() ? "" : ",";
    }
    return out + "}}";
}

} // namespace

std::string CSqlGroupWriter::Write(const std::vector<CSqlGroupRow>& groups, COutputFormat format) {
    switch (format) {
    case COutputFormat::Tsv:
        return Delimited(groups, true);
    case COutputFormat::Csv:
        return Delimited(groups, false);
    case COutputFormat::Json: {
        std::string out = "[";
        for (const CSqlGroupRow& group : groups) {
            out += (out.size() > 1 ? ",\n" : "\n") + GroupObject(group);
        }
        return out + "\n]\n";
    }
    default: {
        CTextTable table(kColumns);
        for (const CSqlGroupRow& group : groups) {
            table.AddRow(Cells(group));
        }
        return table.Text();
    }
    }
}
