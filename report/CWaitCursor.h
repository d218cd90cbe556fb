#pragma once

#include <QCursor>
#include <QGuiApplication>

// The wait cursor, from construction to destruction, while the window's thread works through
// a whole big trace (a search) and takes no input meanwhile.
class CWaitCursor {
public:
    CWaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    ~CWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};
