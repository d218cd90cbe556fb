#include "CStatementSaver.h"

#include "CFileDialogs.h"
#include "CTraceAnalyzer.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <string_view>

namespace {

bool WriteAll(QSaveFile& file, std::string_view bytes) {
    return file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
           static_cast<qint64>(bytes.size());
}

} // namespace

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
    QSaveFile file(target.path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    for (std::int64_t i = std::max<std::int64_t>(first, 0); i < analyzer.GetCount(); ++i) {
        const CStatementRecord& record = analyzer.GetRecord(i);
        const std::string_view text =
            target.format == Format::Sql ? record.GetSql() : std::string_view(record.m_strNode);
        if (!WriteAll(file, kSeparator) || !WriteAll(file, text)) {
            error = file.errorString();
            file.cancelWriting();
            return false;
        }
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
