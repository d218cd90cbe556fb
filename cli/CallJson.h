#pragma once

#include "CCallFigures.h"
#include "CSelfFigures.h"

#include <string>

// The figures of calls as the JSON formats write them, inside an object whose braces and
// name the caller writes.

// What follows the time and buffers among a call kind's figures, in its order: parse has no
// rows, fetch and the totals no misses; `list` writes misses before rows, `profile` and `sqls`
// rows before misses.
enum class ECallJsonCounts { Misses, Rows, MissesRows, RowsMisses };

// Appends "cpu":N,"elapsed":N,"disk":N,"query":N,"current":N, the figures of `work`.
void AppendJsonWork(std::string& out, const CSelfFigures& work);
// Appends "count":N of `calls`, the time and buffers of `work`, then the misses and rows of
// `calls` as `counts` says.
void AppendJsonCalls(std::string& out, const CCallFigures& calls, const CSelfFigures& work,
                     ECallJsonCounts counts);
