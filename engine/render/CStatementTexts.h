#pragma once

#include <string>
#include <vector>

class CSqlReader;
class CStatementRecord;

// The texts the detail pane and the command-line tool show for a statement, made from the
// record's figures when asked for: the call statistics table, the plan, and the waits with
// the self figures.
class CStatementTexts {
public:
    // Plans deeper than this are drawn at this depth, so a plan's text stays linear in its
    // rows however deep its tree.
    static constexpr long kMaxIndent = 64;

    // The call statistics table; empty for a parse error or a header-only block without
    // calls.
    static std::string CallStats(const CStatementRecord& record);
    // The row source operations, indented by depth, with the rows' operation texts; empty
    // without plan rows.
    static std::string RowSource(const CStatementRecord& record,
                                 const std::vector<std::string>& operations);
    // The same with the operation texts read with `sqls`, or the reason they cannot be read.
    static std::string RowSource(const CStatementRecord& record, CSqlReader& sqls);
    // The plans of the record's plan dumps as a table: "N plan dumps, M plans", then per plan
    // its row sources with their rows in the first dump, on average and at most, their
    // figures and their time less their children's, a row whose estimated and actual rows
    // differ by 10x or more marked; empty without plan rows. `operations` as for RowSource.
    static std::string Plans(const CStatementRecord& record,
                             const std::vector<std::string>& operations);
    // What the PLAN tab shows: the row source of the first dump, then the plans' table, or
    // the reason the texts cannot be read.
    static std::string PlanSection(const CStatementRecord& record, CSqlReader& sqls);
    // The waits by event, then the call statistics without recursive calls; empty for a
    // statement without waits.
    static std::string Waits(const CStatementRecord& record);
    // The SQL text, call statistics, plan and waits under the detail pane's headings, lines
    // ending with CR LF like every text of a record; false with the reason in `error` when a
    // text cannot be read (its file changed or cannot be read).
    static bool Sections(const CStatementRecord& record, CSqlReader& sqls, std::string& text,
                         std::string& error);
};
