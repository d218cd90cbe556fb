#include "CTraceDropHelper.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

bool IsTraceFile(const QUrl& url) {
    if (!url.isLocalFile())
        return false;
    const QFileInfo file(url.toLocalFile());
    return file.isFile() && file.suffix().compare(u"trc", Qt::CaseInsensitive) == 0;
}

} // namespace

QStringList CTraceDropHelper::TraceFiles(const QMimeData* pMimeData) {
    QStringList listPaths;
    if (pMimeData == nullptr || !pMimeData->hasUrls())
        return listPaths;
    for (const QUrl& url : pMimeData->urls()) {
        const QString strPath = QFileInfo(url.toLocalFile()).absoluteFilePath();
        if (IsTraceFile(url) && !listPaths.contains(strPath))
            listPaths.append(strPath);
    }
    return listPaths;
}

bool CTraceDropHelper::HasTraceFiles(const QMimeData* pMimeData) {
    return !TraceFiles(pMimeData).isEmpty();
}
