#include "CStatementSaver.h"

#include "CFileDialogs.h"
#include "CFileReplacer.h"
#include "CTraceAnalyzer.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <string_view>

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
                           QString& error) {
    CFileReplacer file(QFile::encodeName(target.path).toStdString());
    bool written = file.Open();
    for (std::int64_t i = std::max<std::int64_t>(first, 0); written && i < analyzer.GetCount();
         ++i) {
        const CStatementRecord& record = analyzer.GetRecord(i);
        const std::string_view text =
            target.format == Format::Sql ? record.GetSql() : std::string_view(record.m_strNode);
        written = file.Write(kSeparator) && file.Write(text);
    }
    if (!written || !file.Commit()) {
        error = QString::fromLocal8Bit(file.GetErrorText());
        return false;
    }
    return true;
}
