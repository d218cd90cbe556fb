#pragma once

#include <string>
#include <string_view>

// Texts from a trace made safe for where they are shown: a spreadsheet that opens a CSV or TSV
// file, a terminal that shows a table.

// Whether a spreadsheet would run a cell as a formula: it starts with '=', '+', '-' or '@'
// and is not a number. Only the first byte is looked at unless it is one of those.
bool IsFormulaLike(std::string_view cell);
// A text cell as a spreadsheet takes it as text: a formula-like cell gets a leading "'", so
// that it is never run as a formula. Numbers stay numbers.
std::string SpreadsheetCell(std::string_view cell);

// `text` with its control bytes (C0 but TAB, CR and LF; DEL; C1 as UTF-8) written as "\x1b"
// and the like, so that an escape sequence in a trace shows as text instead of acting on the
// terminal.
std::string TerminalText(std::string_view text);
