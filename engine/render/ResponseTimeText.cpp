#include "ResponseTimeText.h"

#include "CCallTreeRow.h"
#include "CProfileReport.h"
#include "CSqlReader.h"
#include "CStatementColumns.h"
#include "CStatementRecord.h"
#include "TimeText.h"

std::string DurationText(const CProfileTable& table) {
    if (!table.timed) {
        return "R: none, a trace has no tim values";
    }
    std::string text = "R = " + FormatSeconds(table.duration) + " s";
    if (table.sessions > 1) {
        text += " in " + std::to_string(table.sessions) + " sessions";
        if (table.span) {
            text += " (wall-clock span " + FormatSeconds(*table.span) + " s)";
        }
    }
    const std::string idle = FormatSeconds(table.idleTime);
    return table.idleExcluded ? text + " without " + idle + " s of idle waits"
                              : text + ", of which idle waits " + idle + " s";
}

std::string CutHeading(const CProfileTable& table, ESessionTag cut) {
    const std::string value =
        std::string(CSessionTags::NameOf(cut)) + " \"" + table.cutValue + "\"";
    if (table.process.empty()) {
        return value;
    }
    const std::string process = "process " + table.process;
    return table.cutValue.empty() ? process : process + ", " + value;
}

std::string TransactionsText(const CProfileTable& table) {
    return "Transactions: " + CountOf(table.commits, "commit") + ", " +
           CountOf(table.rollbacks, "rollback") + ", " +
           CountOf(table.readOnlyCommits, "read-only commit");
}

std::string ErrorsText(const CProfileTable& table) {
    std::string text = "Errors:";
    for (const CErrorCount& error : table.errors) {
        text += ' ';
        text += OraName(error.error);
        text += ' ';
        text += CountOf(error.count, "time");
        text += &error == &table.errors.back() ? "" : ",";
    }
    return table.errors.empty() ? text + " none" : text;
}

std::string ComponentText(const CProfileRow& row) {
    return row.Label() + (row.idle ? " (idle)" : "");
}

std::string MeanText(const CProfileRow& row) {
    return FormatSeconds(static_cast<std::int64_t>(row.Mean() + 0.5));
}

std::string CallTreeLabel(const CCallTreeRow& row, const CStatementRecord* listed,
                          CSqlReader& sqls) {
    const std::string cursor = "cursor #" + std::to_string(row.statement.value);
    switch (row.statement.kind) {
    case CStatementRef::EKind::Hidden:
        return "(statement hidden by the filters, " + cursor + ")";
    case CStatementRef::EKind::Unbound:
        return "(" + cursor + ", no statement in the trace)";
    default:
        break;
    }
    return listed == nullptr ? std::string("(statement no longer listed)")
                             : CStatementColumns::SqlCell(sqls.Sql(*listed));
}
