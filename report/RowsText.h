#pragma once

#include <QString>

class QAbstractItemView;

// The selected rows of a list or tree as tab-separated text: a heading line of the column
// titles, then one line per selected row in the view's order, each cell as the view shows it.
// What Ctrl+C puts on the clipboard from the statement list and the response-time views.
QString SelectedRowsText(const QAbstractItemView& view);

// One cell of copied or exported text. Every cell goes through here, so a rule for cells is
// applied in one place: tabs and line breaks inside a cell become spaces, so a cell never
// splits a line, and a text a spreadsheet would run as a formula gets a leading "'"
// (SpreadsheetCell).
QString RowsTextCell(const QString& text);
