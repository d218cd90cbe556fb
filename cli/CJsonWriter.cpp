#include "CJsonWriter.h"

#include "CPlanDumps.h"
#include "CRecordTexts.h"
#include "CSqlReader.h"
#include "CStatementRecord.h"
#include "CStatementTexts.h"
#include "CallJson.h"
#include "JsonText.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace {

void AppendMember(std::string& out, std::string_view name, std::string_view text) {
    AppendJsonString(out, name);
    out += ':';
    AppendJsonString(out, text);
    out += ',';
}

// "session": the record's "sid.serial", or null when its context has none.
void AppendSession(std::string& out, const std::optional<std::string>& session) {
    out += "\"session\":";
    if (session && !session->empty()) {
        AppendJsonString(out, *session);
    } else {
        out += "null";
    }
    out += ',';
}

void AppendNumber(std::string& out, std::string_view name, std::int64_t value, bool last) {
    AppendJsonString(out, name);
    out += ':';
    out += std::to_string(value);
    if (!last) {
        out += ',';
    }
}

void AppendFigures(std::string& out, std::string_view name, const CCallFigures& figures,
                   ECallJsonCounts counts) {
    AppendJsonString(out, name);
    out += ":{";
    AppendJsonCalls(out, figures, CSelfFigures::Of(figures), counts);
    out += '}';
}

void AppendWaits(std::string& out, const std::vector<CWaitFigures>& waits) {
    AppendJsonString(out, "waits");
    out += ':';
    AppendJsonWaits(out, waits);
}

void AppendSelfFigures(std::string& out, std::string_view name, const CSelfFigures& figures,
                       bool last) {
    AppendJsonString(out, name);
    out += ":{";
    AppendJsonWork(out, figures);
    out += last ? "}" : "},";
}

void AppendSelf(std::string& out, const CSelfCalls& self) {
    AppendJsonString(out, "self");
    out += ":{";
    AppendSelfFigures(out, "parse", self.parse, false);
    AppendSelfFigures(out, "exec", self.exec, false);
    AppendSelfFigures(out, "fetch", self.fetch, false);
    AppendSelfFigures(out, "total", self.Total(), true);
    out += '}';
}

// A figure, null where the plan's lines carry none.
void AppendFigure(std::string& out, std::string_view name, std::int64_t value) {
    AppendJsonString(out, name);
    out += ':';
    out += value < 0 ? "null" : std::to_string(value);
    out += ',';
}

void AppendPlanSource(std::string& out, const CPlanSource& source) {
    out += '{';
    AppendNumber(out, "id", source.id, false);
    AppendNumber(out, "parent_id", source.parentId, false);
    AppendNumber(out, "depth", source.depth, false);
    AppendMember(out, "operation", source.operation);
    AppendNumber(out, "rows_first", source.rowsFirst, false);
    AppendNumber(out, "rows_avg", source.rowsAverage, false);
    AppendNumber(out, "rows_max", source.rowsMax, false);
    AppendFigure(out, "cr", source.cr);
    AppendFigure(out, "pr", source.pr);
    AppendFigure(out, "pw", source.pw);
    AppendFigure(out, "time", source.time);
    AppendFigure(out, "self_time", source.selfTime);
    AppendFigure(out, "cost", source.cost);
    AppendFigure(out, "size", source.size);
    AppendFigure(out, "card", source.card);
    out += source.misestimated ? "\"misestimated\":true}" : "\"misestimated\":false}";
}

// "plan_dumps" and "plans": each plan with its dumps' count and its row sources.
void AppendPlans(std::string& out, const CStatementRecord& record, CSqlReader& sqls) {
    std::vector<std::string> operations;
    std::string error;
    if (!sqls.PlanOperations(record, operations, error)) {
        throw std::runtime_error(error);
    }
    const CPlanDumps dumps = CPlanDumps::Of(record, operations);
    AppendNumber(out, "plan_dumps", static_cast<std::int64_t>(dumps.DumpCount()), false);
    out += "\"plans\":[";
    for (std::size_t i = 0; i < dumps.Plans().size(); ++i) {
        const CPlanDumps::CPlan& plan = dumps.Plans()[i];
        out += i == 0 ? "{" : ",{";
        AppendNumber(out, "dumps", static_cast<std::int64_t>(plan.dumps), false);
        out += "\"row_sources\":[";
        for (std::size_t j = 0; j < plan.sources.size(); ++j) {
            out += j == 0 ? "" : ",";
            AppendPlanSource(out, plan.sources[j]);
        }
        out += "]}";
    }
    out += "],";
}

} // namespace

CJsonWriter::CJsonWriter(std::FILE* out, bool withEvents, const CRecordTexts& texts)
    : m_out(out), m_bWithEvents(withEvents), m_sqls(texts) {}

void CJsonWriter::Begin() {
    if (!m_bWithEvents) {
        std::fputs("[\n", m_out);
    }
}

void CJsonWriter::Write(std::int64_t row, const CStatementRecord& record, std::string_view event) {
    std::string text;
    if (m_bWithEvents) {
        text = "{\"event\":";
        AppendJsonString(text, event);
        text += ",\"row\":" + std::to_string(row) + ",\"record\":";
        text += RecordObject(record, m_sqls);
        text += "}\n";
    } else {
        text = m_bFirst ? "" : ",\n";
        text += RecordObject(record, m_sqls);
    }
    m_bFirst = false;
    std::fwrite(text.data(), 1, text.size(), m_out);
    if (m_bWithEvents) {
        std::fflush(m_out);
    }
}

void CJsonWriter::End() {
    if (!m_bWithEvents) {
        std::fputs(m_bFirst ? "]\n" : "\n]\n", m_out);
    }
}

std::string CJsonWriter::RecordObject(const CStatementRecord& record, CSqlReader& sqls) {
    std::string node;
    std::string error;
    std::string sql;
    if (!sqls.Block(record, node, error) || !CSqlReader::OfBlock(record, node, sql, error)) {
        throw std::runtime_error(error);
    }
    std::string out = "{";
    AppendMember(out, "node", node);
    AppendNumber(out, "user_id", record.UserId(), false);
    AppendMember(out, "pid", record.Pid());
    AppendSession(out, record.Trace().session);
    AppendMember(out, "sql", sql);
    AppendMember(out, "call_stats", CStatementTexts::CallStats(record));
    AppendMember(out, "row_source", CStatementTexts::RowSource(record, sqls));
    AppendPlans(out, record, sqls);
    AppendMember(out, "oct_name", record.OctName());
    AppendMember(out, "error", record.Error());
    AppendFigures(out, "parse", record.Parse(), ECallJsonCounts::Misses);
    out += ',';
    AppendFigures(out, "exec", record.Exec(), ECallJsonCounts::MissesRows);
    out += ',';
    AppendFigures(out, "fetch", record.Fetch(), ECallJsonCounts::Rows);
    out += ',';
    AppendFigures(out, "total", record.Total(), ECallJsonCounts::Rows);
    out += ',';
    AppendWaits(out, record.Waits());
    out += ',';
    AppendSelf(out, record.Self());
    out += '}';
    return out;
}
