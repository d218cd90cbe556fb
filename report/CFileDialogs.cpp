#include "CFileDialogs.h"

#include <QFileDialog>

const QString CFileDialogs::kTraceFilter = QStringLiteral("Oracle trace file(*.trc)");
const QString CFileDialogs::kSqlFilter = QStringLiteral("sql script file (*.sql)");
const QString CFileDialogs::kCompressedTraceFilter =
    QStringLiteral("Compressed Oracle trace file(*.gz *.xz *.bz2)");

QStringList CFileDialogs::ChooseTraceFiles(QWidget* parent) {
    if (s_openChooser) {
        return s_openChooser();
    }
    // Compressed traces are read directly; the plain filter stays the first.
    return QFileDialog::getOpenFileNames(parent, QString(), QString(),
                                         kTraceFilter + QStringLiteral(";;") +
                                             kCompressedTraceFilter +
                                             QStringLiteral(";;All files (*)"));
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
