#include "CStatementTexts.h"

#include "CEventNames.h"
#include "CPlanDumps.h"
#include "CSqlReader.h"
#include "CStatementRecord.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <unordered_map>

namespace {

constexpr const char* kDashes =
    "------- ------  -------- ---------- ---------- ---------- ----------  ----------\r\n";

void AppendRow(std::string& text, const char* title, std::int64_t count, const CSelfFigures& f,
               std::int64_t rows) {
    char row[256];
    std::snprintf(row, sizeof row,
                  "%s%6" PRId64 "  %8" PRId64 " %10" PRId64 " %10" PRId64 " %10" PRId64
                  " %10" PRId64 " %10" PRId64,
                  title, count, f.cpu, f.elapsed, f.disk, f.query, f.current, rows);
    text += row;
}

// The table of the call statistics, with the given cpu, elapsed and buffer figures per kind.
std::string Table(const CStatementRecord& r, const CSelfCalls& figures) {
    std::string text =
        "call     count       cpu    elapsed       disk      query    current       rows\r\n";
    text += kDashes;
    AppendRow(text, "Parse   ", r.Parse().count, figures.parse, 0);
    text += "\r\n";
    AppendRow(text, "Execute ", r.Exec().count, figures.exec, r.Exec().rows);
    text += "\r\n";
    AppendRow(text, "Fetch   ", r.Fetch().count, figures.fetch, r.Fetch().rows);
    text += "\r\n";
    text += kDashes;
    const CCallFigures total = r.Total();
    AppendRow(text, "Total   ", total.count, figures.Total(), total.rows);
    return text;
}

void AppendWaitRow(std::string& text, const CWaitFigures& waits) {
    char row[64];
    std::snprintf(row, sizeof row, " %8" PRId64 "  %10" PRId64 "  %12" PRId64 "\r\n", waits.count,
                  waits.max, waits.total);
    const std::string_view name = CEventNames::Name(waits.event);
    text += "  ";
    text += name;
    if (name.size() < 40) {
        text.append(40 - name.size(), ' ');
    }
    text += row;
}

// A figure in a column of `width`, blank when the lines carry none.
void AppendFigure(std::string& text, std::int64_t value, int width) {
    char cell[32];
    if (value < 0) {
        std::snprintf(cell, sizeof cell, "%*s", width, "");
    } else {
        std::snprintf(cell, sizeof cell, "%*" PRId64, width, value);
    }
    text += cell;
}

void AppendPlan(std::string& text, const CPlanDumps::CPlan& plan, std::size_t number) {
    text += "\r\nPlan " + std::to_string(number) + ", " + std::to_string(plan.dumps) +
            (plan.dumps == 1 ? " dump" : " dumps") + "\r\n";
    text += "Rows (1st) Rows (avg) Rows (max)         cr         pr         pw  time (us)  "
            "self (us)       cost       size       card   Row Source Operation\r\n"
            "---------- ---------- ---------- ---------- ---------- ---------- ---------- "
            "---------- ---------- ---------- ----------   ------------------------------\r\n";
    for (const CPlanSource& source : plan.sources) {
        for (const std::int64_t value :
             {source.rowsFirst, source.rowsAverage, source.rowsMax, source.cr, source.pr, source.pw,
              source.time, source.selfTime, source.cost, source.size, source.card}) {
            AppendFigure(text, value, 10);
            text += ' ';
        }
        text += source.misestimated ? "! " : "  ";
        text.append(static_cast<std::size_t>(std::min(source.depth, CStatementTexts::kMaxIndent)),
                    ' ');
        text += source.operation;
        text += "\r\n";
    }
}

} // namespace

std::string CStatementTexts::CallStats(const CStatementRecord& record) {
    if (!record.HasRest() && record.Total().count == 0) {
        return {};
    }
    const CSelfCalls inclusive{CSelfFigures::Of(record.Parse()), CSelfFigures::Of(record.Exec()),
                               CSelfFigures::Of(record.Fetch())};
    return Table(record, inclusive);
}

// A row's depth is its parent's plus one, the parent being a row listed before it; a row
// whose parent was not seen hangs below an unseen top row.
std::string CStatementTexts::RowSource(const CStatementRecord& record,
                                       const std::vector<std::string>& operations) {
    const std::vector<CPlanRow> plan = record.Plan();
    if (plan.empty()) {
        return {};
    }
    std::unordered_map<std::int64_t, long> depths;
    struct CLine {
        const CPlanRow* row;
        long depth;
        const std::string* operation;
    };
    std::vector<CLine> rows;
    rows.reserve(plan.size());
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const CPlanRow& row = plan[i];
        long depth = 0;
        if (row.parentId != 0) {
            const auto parent = depths.find(row.parentId);
            depth = (parent == depths.end() ? 0 : parent->second) + 1;
        }
        depths.emplace(row.id, depth);
        rows.push_back({&row, depth, &operations.at(i)});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const CLine& a, const CLine& b) { return a.row->id < b.row->id; });
    std::string text = "Rows     Row Source Operation\r\n"
                       "-------  ---------------------------------------------------\r\n";
    for (const CLine& line : rows) {
        char figure[32];
        std::snprintf(figure, sizeof figure, "%7" PRId64 "  ", line.row->rows);
        text += figure;
        text.append(static_cast<std::size_t>(std::min(line.depth, kMaxIndent)), '\t');
        text += *line.operation;
        text += "\r\n";
    }
    return text;
}

std::string CStatementTexts::Plans(const CStatementRecord& record,
                                   const std::vector<std::string>& operations) {
    const CPlanDumps dumps = CPlanDumps::Of(record, operations);
    if (dumps.DumpCount() == 0) {
        return {};
    }
    std::string text = std::to_string(dumps.DumpCount()) +
                       (dumps.DumpCount() == 1 ? " plan dump, " : " plan dumps, ") +
                       std::to_string(dumps.Plans().size()) +
                       (dumps.Plans().size() == 1 ? " plan\r\n" : " plans\r\n");
    for (std::size_t i = 0; i < dumps.Plans().size(); ++i) {
        AppendPlan(text, dumps.Plans()[i], i + 1);
    }
    text += "\r\nTimes and buffers are averages over a plan's dumps; cost, size and card are the "
            "first dump's estimates;\r\n! marks a row whose estimated rows (card) and actual rows "
            "(avg) differ by 10x or more.\r\n";
    return text;
}

std::string CStatementTexts::PlanSection(const CStatementRecord& record, CSqlReader& sqls) {
    std::vector<std::string> operations;
    std::string error;
    if (!sqls.PlanOperations(record, operations, error)) {
        return error + "\r\n";
    }
    const std::string plans = Plans(record, operations);
    return RowSource(record, operations) + (plans.empty() ? "" : "\r\n" + plans);
}

std::string CStatementTexts::Waits(const CStatementRecord& record) {
    const std::vector<CWaitFigures> waits = record.Waits();
    if (waits.empty()) {
        return {};
    }
    std::string text =
        "  Event waited on                             Times   Max. Wait  Total Waited\r\n"
        "  ----------------------------------------   Waited  ----------  ------------\r\n";
    for (const CWaitFigures& wait : waits) {
        AppendWaitRow(text, wait);
    }
    text += "\r\nWithout recursive calls:\r\n";
    text += Table(record, record.Self());
    return text;
}

std::string CStatementTexts::RowSource(const CStatementRecord& record, CSqlReader& sqls) {
    std::vector<std::string> operations;
    std::string error;
    if (!sqls.PlanOperations(record, operations, error)) {
        return error + "\r\n";
    }
    return RowSource(record, operations);
}

bool CStatementTexts::Sections(const CStatementRecord& record, CSqlReader& sqls, std::string& text,
                               std::string& error) {
    std::string_view read;
    if (!sqls.Read(record, read, error)) {
        return false;
    }
    const std::string sql(read);
    std::vector<std::string> operations;
    if (!sqls.PlanOperations(record, operations, error)) {
        return false;
    }
    const std::string callStats = CallStats(record);
    const std::string plans = Plans(record, operations);
    const std::string rowSource =
        RowSource(record, operations) + (plans.empty() ? "" : "\r\n" + plans);
    const std::string waits = Waits(record);
    const std::string_view sections[][2] = {
        {"SQL", sql}, {"COST", callStats}, {"PLAN", rowSource}, {"WAITS", waits}};
    text.clear();
    for (const auto& section : sections) {
        text += "=== " + std::string(section[0]) + " ===\r\n";
        text += section[1];
        if (!section[1].empty() && !section[1].ends_with("\r\n")) {
            text += "\r\n";
        }
    }
    return true;
}
