#include "CStatementSaver.h"

#include "CFileDialogs.h"
#include "CStatementFileWriter.h"
#include "CTraceAnalyzer.h"

#include <QFile>
#include <QFileInfo>

CStatementSaver::Target CStatementSaver::ResolveTarget(const QString& chosenPath,
                                                       const QString& chosenFilter) {
    const QString suffix = QFileInfo(chosenPath).suffix();
    if (suffix.compare(QStringLiteral("sql"), Qt::CaseInsensitive) == 0) {
        return {chosenPath, Format::Sql};
    }
    if (suffix.compare(QStringLiteral("trc"), Qt::CaseInsensitive) == 0) {
        return {chosenPath, Format::Trace};
    }
    if (chosenFilter == CFileDialogs::kSqlFilter) {
        return {chosenPath + QStringLiteral(".sql"), Format::Sql};
    }
    return {chosenPath + QStringLiteral(".trc"), Format::Trace};
}

bool CStatementSaver::Save(const CTraceAnalyzer& analyzer, std::int64_t first, const Target& target,
                           QString& error, const CStatementFileWriter::FProgress& progress) {
    std::string reason;
    if (!CStatementFileWriter::Write(QFile::encodeName(target.path).toStdString(),
                                     analyzer.ListedRecords(first), analyzer.Texts(),
                                     target.format == Format::Sql
                                         ? CStatementFileWriter::Content::Sql
                                         : CStatementFileWriter::Content::Node,
                                     reason, progress)) {
        error = QString::fromLocal8Bit(reason);
        return false;
    }
    return true;
}
