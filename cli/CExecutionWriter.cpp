#include "CExecutionWriter.h"

#include "CDelimitedWriter.h"
#include "CTextTable.h"
#include "JsonText.h"
#include "OutputText.h"
#include "TimeText.h"

namespace {

std::vector<CTextTable::CColumn> Columns(bool withBinds) {
    std::vector<CTextTable::CColumn> columns = {
        {"#", true},      {"line", true},  {"start", true},   {"elapsed", true}, {"cpu", true},
        {"disk", true},   {"query", true}, {"current", true}, {"rows", true},    {"fetches", true},
        {"misses", true}, {"plh", true},   {"waits", true}};
    if (withBinds) {
        columns.push_back({"binds", false});
    }
    return columns;
}

std::vector<std::string> Cells(const CExecution& execution, bool withBinds) {
    std::vector<std::string> cells = {
        std::to_string(execution.number),   std::to_string(execution.line),
        std::to_string(execution.start),    FormatSeconds(execution.elapsed),
        FormatSeconds(execution.cpu),       std::to_string(execution.disk),
        std::to_string(execution.query),    std::to_string(execution.current),
        std::to_string(execution.rows),     std::to_string(execution.fetches),
        std::to_string(execution.misses),   std::to_string(execution.plh),
        FormatSeconds(execution.WaitTime())};
    if (withBinds) {
        cells.push_back(CExecutionWriter::BindsCell(execution.binds));
    }
    return cells;
}

std::string Heading(const CExecutionWriter::CStatement& statement) {
    return "row " + std::to_string(statement.row) +
           (statement.sqlId.empty() ? "" : "  sqlid " + statement.sqlId) + "  " +
           CountOf(static_cast<std::int64_t>(statement.executions.size()), "execution") + "\n";
}

void WriteTables(std::FILE* out, const std::vector<CExecutionWriter::CStatement>& statements,
                 bool withBinds) {
    bool first = true;
    for (const CExecutionWriter::CStatement& statement : statements) {
        if (statement.executions.empty()) {
            continue;
        }
        CTextTable table(Columns(withBinds));
        for (const CExecution& execution : statement.executions) {
            table.AddRow(Cells(execution, withBinds));
        }
        WriteText(out, (first ? "" : "\n") + Heading(statement) + table.Text());
        first = false;
    }
}

void WriteDelimited(std::FILE* out, const std::vector<CExecutionWriter::CStatement>& statements,
                    bool withBinds, bool tsv) {
    const auto line = [tsv](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            text += i == 0 ? "" : (tsv ? "\t" : ",");
            text +=
                tsv ? CDelimitedWriter::EscapeTsv(cells[i]) : CDelimitedWriter::QuoteCsv(cells[i]);
        }
        return text + "\n";
    };
    std::vector<std::string> titles = {"row", "sqlid"};
    for (const CTextTable::CColumn& column : Columns(withBinds)) {
        titles.push_back(column.title);
    }
    WriteText(out, line(titles));
    for (const CExecutionWriter::CStatement& statement : statements) {
        for (const CExecution& execution : statement.executions) {
            std::vector<std::string> cells = {std::to_string(statement.row), statement.sqlId};
            for (std::string& cell : Cells(execution, withBinds)) {
                cells.push_back(std::move(cell));
            }
            WriteText(out, line(cells));
        }
    }
}

void AppendBinds(std::string& out, const std::vector<CBindSet>& binds) {
    out += '[';
    for (const CBindSet& set : binds) {
        out += &set == &binds.front() ? "[" : ",[";
        for (const CBindValue& bind : set) {
            out += &bind == &set.front() ? "{" : ",{";
            AppendJsonNumber(out, "position", bind.position);
            out += ",\"type\":";
            AppendJsonString(out, BindTypeName(bind.type));
            out += ",\"value\":";
            if (bind.value.has_value()) {
                AppendJsonString(out, *bind.value);
            } else {
                out += "null";
            }
            out += '}';
        }
        out += ']';
    }
    out += ']';
}

void WriteJson(std::FILE* out, const std::vector<CExecutionWriter::CStatement>& statements,
               bool withBinds) {
    std::string text = "[";
    bool first = true;
    for (const CExecutionWriter::CStatement& statement : statements) {
        if (statement.executions.empty()) {
            continue;
        }
        text += first ? "\n" : ",\n";
        first = false;
        text += '{';
        AppendJsonNumber(text, "row", statement.row);
        text += ",\"sqlid\":";
        if (statement.sqlId.empty()) {
            text += "null";
        } else {
            AppendJsonString(text, statement.sqlId);
        }
        text += ",\"executions\":[";
        for (const CExecution& execution : statement.executions) {
            text += &execution == &statement.executions.front() ? "" : ",";
            CExecutionWriter::AppendJson(text, execution, withBinds);
        }
        text += "]}";
        WriteText(out, text);
        text.clear();
    }
    WriteText(out, text + "\n]\n");
}

} // namespace

void CExecutionWriter::Write(std::FILE* out, const std::vector<CStatement>& statements,
                             COutputFormat format, bool withBinds) {
    switch (format) {
    case COutputFormat::Json:
        WriteJson(out, statements, withBinds);
        return;
    case COutputFormat::Tsv:
    case COutputFormat::Csv:
        WriteDelimited(out, statements, withBinds, format == COutputFormat::Tsv);
        return;
    default:
        WriteTables(out, statements, withBinds);
    }
}

std::string CExecutionWriter::BindsCell(const std::vector<CBindSet>& binds) {
    std::string cell;
    for (const CBindSet& set : binds) {
        cell += &set == &binds.front() ? "" : " | ";
        for (const CBindValue& bind : set) {
            cell += &bind == &set.front() ? ":" : " :";
            cell += std::to_string(bind.position + 1) + "=";
            cell += bind.value.has_value() ? *bind.value : "NULL";
        }
    }
    return cell;
}

void CExecutionWriter::AppendJson(std::string& out, const CExecution& execution, bool withBinds) {
    out += '{';
    AppendJsonNumber(out, "number", execution.number);
    out += ',';
    AppendJsonNumber(out, "line", execution.line);
    out += ',';
    AppendJsonNumber(out, "start", execution.start);
    out += ',';
    AppendJsonNumber(out, "end", execution.end);
    out += ",\"wall\":";
    if (execution.wall.has_value()) {
        AppendJsonString(out, execution.wall->Text());
    } else {
        out += "null";
    }
    out += ',';
    const std::pair<const char*, std::int64_t> figures[] = {
        {"elapsed", execution.elapsed}, {"cpu", execution.cpu},         {"disk", execution.disk},
        {"query", execution.query},     {"current", execution.current}, {"rows", execution.rows},
        {"fetches", execution.fetches}, {"misses", execution.misses},   {"plh", execution.plh}};
    for (const auto& [name, value] : figures) {
        AppendJsonNumber(out, name, value);
        out += ',';
    }
    out += "\"waits\":{";
    for (const CExecutionWait& wait : execution.waits) {
        out += &wait == &execution.waits.front() ? "" : ",";
        AppendJsonString(out, wait.event);
        out += ":{";
        AppendJsonNumber(out, "count", wait.count);
        out += ',';
        AppendJsonNumber(out, "max", wait.max);
        out += ',';
        AppendJsonNumber(out, "total", wait.total);
        out += '}';
    }
    out += '}';
    if (withBinds) {
        out += ",\"binds\":";
        AppendBinds(out, execution.binds);
    }
    out += '}';
}
