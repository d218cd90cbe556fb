#include "CFileDialogs.h"

#include <QFileDialog>

const QString CFileDialogs::kTraceFilter = QStringLiteral("Oracle trace file(*.trc)");
const QString CFileDialogs::kSqlFilter = QStringLiteral("sql script file (*.sql)");
const QString CFileDialogs::kCompressedTraceFilter =
    QStringLiteral("Compressed Oracle trace file(*.gz *.xz *.bz2)");
const QString CFileDialogs::kAnyTraceFilter =
    QStringLiteral("Trace files (*.trc *.trc.gz *.gz *.xz *.bz2)");

QStringList CFileDialogs::OpenFilters() {
    return {kAnyTraceFilter, kTraceFilter, kCompressedTraceFilter, QStringLiteral("All files (*)")};
}

QStringList CFileDialogs::ChooseTraceFiles(QWidget* parent) {
    if (s_openChooser) {
        return s_openChooser();
    }
    // Compressed traces are read directly, so the first filter shows them beside plain ones.
    return QFileDialog::getOpenFileNames(parent, QString(), QString(),
                                         OpenFilters().join(QStringLiteral(";;")));
}

std::optional<CFileDialogs::SaveChoice> CFileDialogs::ChooseSaveFile(QWidget* parent,
                                                                     const QString& title) {
    if (s_saveChooser) {
        return s_saveChooser();
    }
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kTraceFilter, kSqlFilter});
    dialog.selectNameFilter(kTraceFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return SaveChoice{dialog.selectedFiles().constFirst(), dialog.selectedNameFilter()};
}
