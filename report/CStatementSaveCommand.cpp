#include "CStatementSaveCommand.h"

#include "CFileDialogs.h"
#include "CStatementSaver.h"
#include "CTraceAnalyzer.h"
#include "CVelquorDoc.h"
#include "MessageBox.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>

namespace {

// From the worker thread, once the file is written or has failed: the user interface thread
// takes the busy cursor back and names the file that could not be written. The application
// carries the call, so the message comes even when the window closed meanwhile.
void TellSaved(bool saved, const QString& path, const QString& error,
               const QPointer<QWidget>& window) {
    QMetaObject::invokeMethod(
        qApp,
        [saved, path, error, window] {
            QGuiApplication::restoreOverrideCursor();
            if (!saved) {
                ShowMessageBox(window.data(), QStringLiteral("Velquor"),
                               QStringLiteral("Could not save ") % path % QStringLiteral(": ") %
                                   error);
            }
        },
        Qt::QueuedConnection);
}

} // namespace

void CStatementSaveCommand::Run(CVelquorDoc& doc, std::int64_t first, QWidget* parent) {
    const std::optional<CFileDialogs::SaveChoice> choice =
        CFileDialogs::ChooseSaveFile(parent != nullptr ? parent->window() : nullptr);
    if (!choice) {
        return;
    }
    const CStatementSaver::Target target =
        CStatementSaver::ResolveTarget(choice->path, choice->filter);
    const QString caption = QStringLiteral("Velquor");
    if (first >= doc.Analyzer().GetCount()) {
        ShowMessageBox(parent, caption, QStringLiteral("No statement to save."));
        return;
    }
    // The dialog asked about the name as chosen; a name that got its extension now is asked
    // about here.
    if (target.path != choice->path && QFileInfo::exists(target.path) &&
        QMessageBox::question(parent, caption,
                              QFileInfo(target.path).fileName() %
                                  QStringLiteral(" already exists.\nDo you want to replace it?")) !=
            QMessageBox::Yes) {
        return;
    }
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    doc.WorkOnRecords([&analyzer = doc.Analyzer(), first, target, window = QPointer(parent)] {
        QString error;
        const bool saved = CStatementSaver::Save(analyzer, first, target, error);
        TellSaved(saved, target.path, error, window);
    });
}
