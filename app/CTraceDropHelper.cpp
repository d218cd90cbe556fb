#include "CTraceDropHelper.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

// A plain trace, or one compressed with gzip, xz or bzip2, which file mode reads directly.
bool IsTraceFile(const QUrl& url) {
    if (!url.isLocalFile())
        return false;
    const QFileInfo file(url.toLocalFile());
    const QString suffix = file.suffix();
    return file.isFile() && (suffix.compare(u"trc", Qt::CaseInsensitive) == 0 ||
                             suffix.compare(u"gz", Qt::CaseInsensitive) == 0 ||
                             suffix.compare(u"xz", Qt::CaseInsensitive) == 0 ||
                             suffix.compare(u"bz2", Qt::CaseInsensitive) == 0);
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
