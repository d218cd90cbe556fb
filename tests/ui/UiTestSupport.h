#pragma once

#include "RealTraces.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CMainFrame;
class CTraceAnalyzer;
class CVelquorView;
class QWidget;

// A cursor block of a trace, with its separator line in front: one parse, execute and fetch
// call with cpu `base`, `base` + 10 and `base` + 20 (elapsed one more each), disk 1, query 2,
// current 3, parse misses 1, execute rows 2 and fetch rows 5.
std::string CursorBlock(int cursor, int uid, int oct, const std::string& sql, int base = 10);

// The block of the analyser's record at a row, as a saved .trc file holds it.
std::string BlockOf(const CTraceAnalyzer& analyzer, std::int64_t row);

// Writes bytes to a file, failing the test when it cannot.
void WriteBytes(const QString& path, const std::string& bytes);
std::string ReadBytes(const QString& path);

// The real traces beside the project, or an empty list when the folder is absent.
QStringList RealTraces();
// The paths as the file system spells them, as the Open commands hand them to a window.
std::vector<std::string> EncodedPaths(const QStringList& paths);

// Creates the main frame with a command-type catalogue that outlives it, shows it and answers
// whether it was exposed.
bool ShowMainFrame(std::unique_ptr<CMainFrame>& frame);

// Opens trace files in the frame the way the Open commands do and waits for the rows.
CVelquorView* OpenAndWait(CMainFrame& frame, const QStringList& paths, bool showSys = true);

// Presses the left button on a widget, moves with it held, and releases it.
void PressMoveRelease(QWidget* widget, QPoint press, QPoint release);

// Skips a Qt test when the real traces are absent; under continuous integration a missing
// folder fails the test instead.
#define QSKIP_WITHOUT_REAL_TRACES(traces)                                                          \
    if ((traces).isEmpty()) {                                                                      \
        if (RunsUnderCi()) {                                                                       \
            QFAIL("no real traces in " VELQUOR_TRACES_DIR " under CI");                            \
        }                                                                                          \
        QSKIP("no real traces in " VELQUOR_TRACES_DIR);                                            \
    }
