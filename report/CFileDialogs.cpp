#include "CFileDialogs.h"

#include <QFileDialog>

const QString CFileDialogs::kTraceFilter = QStringLiteral("Oracle trace file(*.trc)");
const QString CFileDialogs::kSqlFilter = QStringLiteral("sql script file (*.sql)");

QStringList CFileDialogs::ChooseTraceFiles(QWidget* parent) {
    if (s_openChooser) {
        return s_openChooser();
    }
    return QFileDialog::getOpenFileNames(parent, QString(), QString(), kTraceFilter);
}

std::optional<CFileDialogs::SaveChoice> CFileDialogs::ChooseSaveFile(QWidget* parent) {
    if (s_saveChooser) {
        return s_saveChooser();
    }
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kTraceFilter, kSqlFilter});
    dialog.selectNameFilter(kTraceFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return SaveChoice{dialog.selectedFiles().constFirst(), dialog.selectedNameFilter()};
}
