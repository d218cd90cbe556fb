#pragma once

#include <QString>

#include <cstdint>

class CVelquorDoc;
class QStatusBar;
class QWidget;

// The Save command of a statement list: asks for the file, writes the document's records from
// `first` on with CStatementSaver, and tells the user when there is nothing to save or the
// file cannot be written. A name that gets its extension only now is asked about before an
// existing file of that name is replaced. The file is written on the document's worker thread
// (CVelquorDoc::WorkOnRecords), as saving a big trace takes seconds: the window answers
// meanwhile under the busy cursor, and what would change the records waits for the save.
class CStatementSaveCommand {
public:
    // `parent` carries the dialogs and message boxes; none, or gone before the save ended:
    // they are centred on the screen. With `status`, the save's progress and a Cancel button
    // stand in that status bar while it runs (CProgressPanel).
    // The Save dialog's title and the status bar say what will be written: all the
    // statements, or those after the row Find found.
    static void Run(CVelquorDoc& doc, std::int64_t first, QWidget* parent,
                    QStatusBar* status = nullptr);

    // "Save all 12 statements", or "Save 3 of 12 statements: rows 10 to 12, after the found
    // row" when the save starts at row `first` (from 0) of `count`.
    static QString Title(std::int64_t first, std::int64_t count);
};
