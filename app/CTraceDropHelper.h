#pragma once

#include <QStringList>

class QMimeData;

// Decides what of a drag-and-drop can be opened as trace files: the local files whose
// names end in ".trc" (in any letter case), in the order they were dropped.
class CTraceDropHelper {
public:
    static QStringList TraceFiles(const QMimeData* pMimeData);
    static bool HasTraceFiles(const QMimeData* pMimeData);
};
