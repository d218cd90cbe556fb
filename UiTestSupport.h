#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>

class CMainFrame;
class CVelquorView;
class QWidget;

// A cursor block of a trace, with its separator line in front: one parse, execute and
// fetch call whose figures are `base`, `base` + 10 and `base` + 20 for cpu and elapsed.
std::string CursorBlock(int cursor, int uid, int oct, const std::string& sql, int base = 10);

// Writes bytes to a file, failing the test when it cannot.
void WriteBytes(const QString& path, const std::string& bytes);
std::string ReadBytes(const QString& path);

// The real traces beside the project, or an empty list when the folder is absent.
QStringList RealTraces();

// Opens trace files in the frame the way the Open commands do and waits for the rows.
CVelquorView* OpenAndWait(CMainFrame& frame, const QStringList& paths, bool showSys = true);

// Presses, optionally moves, and releases the left button on a widget.
void PressMoveRelease(QWidget* widget, QPoint press, QPoint release);
