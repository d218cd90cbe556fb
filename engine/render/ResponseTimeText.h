#pragma once

#include "CSessionTags.h"

#include <cstdint>
#include <string>

struct CCallTreeRow;
class CSqlReader;
struct CProfileRow;
struct CProfileTable;
class CStatementRecord;

// How the window and the command line word what the time went on, alike.

// "R = 1.234567 s, of which idle waits 0.500000 s", "R = 0.734567 s without 0.500000 s of
// idle waits" when they are left out, or "R: none, a trace has no tim values". R of several
// sessions says so, with the wall-clock span of the traces when the table is not cut: "R =
// 3.000000 s in 2 sessions (wall-clock span 2.000000 s), of which ...".
std::string DurationText(const CProfileTable& table);
// What a table of a profile cut by `cut` is of: `session "36.27"`, `module "SQL*Plus"`; cut by
// session, a table of a trace that states its process names it: `process 24437, session
// "36.27"`, or `process 9850` when the process had no session.
std::string CutHeading(const CProfileTable& table, ESessionTag cut);
// "Transactions: 2 commits, 0 rollbacks, 1 read-only commit".
std::string TransactionsText(const CProfileTable& table);
// "Errors: ORA-01403 1 time, ORA-00942 2 times", or "Errors: none".
std::string ErrorsText(const CProfileTable& table);
// A component's label, with " (idle)" after an idle wait.
std::string ComponentText(const CProfileRow& row);
// A component's mean time in seconds, to the microsecond.
std::string MeanText(const CProfileRow& row);

// How a call-tree node names its statement: its SQL text on one line, or why there is none
// ("(statement hidden by the filters, cursor #7)", "(cursor #7, no statement in the
// trace)", "(statement no longer listed)").
// The SQL text of `listed`, the node's statement as listed (null for none), is read with `sqls`.
std::string CallTreeLabel(const CCallTreeRow& row, const CStatementRecord* listed,
                          CSqlReader& sqls);
