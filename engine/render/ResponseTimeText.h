#pragma once

#include <cstdint>
#include <string>

struct CCallTreeRow;
class CSqlReader;
struct CProfileRow;
struct CProfileTable;
class CStatementRecord;

// How the window and the command line word what the time went on, alike.

// "R = 1.234567 s, of which idle waits 0.500000 s", "R = 0.734567 s without 0.500000 s of
// idle waits" when they are left out, or "R: none, a trace has no tim values".
std::string DurationText(const CProfileTable& table);
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
