#pragma once

#include <cstdint>

class CTraceAnalyzer;
class QWidget;

// The Save command of a statement list: asks for the file, writes the records from `first`
// on with CStatementSaver, and tells the user when there is nothing to save or the file
// cannot be written. A name that gets its extension only now is asked about before an
// existing file of that name is replaced.
class CStatementSaveCommand {
public:
    // `parent` carries the dialogs and message boxes; none: they are centred on the screen.
    static void Run(const CTraceAnalyzer& analyzer, std::int64_t first, QWidget* parent);
};
