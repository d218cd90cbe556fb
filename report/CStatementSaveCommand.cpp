#include "CStatementSaveCommand.h"

#include "CFileDialogs.h"
#include "CProgressPanel.h"
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
#include <QStatusBar>

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

constexpr int kStatusMessageMs = 5000;

// What the end of a save needs on the user interface thread; the widgets may go meanwhile.
struct CSaveRun {
    QString path;
    QPointer<QWidget> window;
    QPointer<QStatusBar> status;
    QPointer<CProgressPanel> panel;
    std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
};

// Tells the panel how far the save is, from the save's thread; answers false once Cancel was
// pressed.
CStatementFileWriter::FProgress ProgressOf(const CSaveRun& run) {
    return
        [cancelled = run.cancelled, panel = run.panel](std::int64_t written, std::int64_t total) {
            QMetaObject::invokeMethod(
                qApp,
                [panel, written, total] {
                    if (panel) {
                        panel->SetProgress(written, total);
                    }
                },
                Qt::QueuedConnection);
            return !cancelled->load();
        };
}

// From the worker thread, once the file is written, has failed or was cancelled: the user
// interface thread takes the busy cursor and the progress back, and names the file that
// could not be written. The application carries the call, so the message comes even when the
// window closed meanwhile.
void TellSaved(bool saved, const QString& error, const CSaveRun& run) {
    QMetaObject::invokeMethod(
        qApp,
        [saved, error, run] {
            QGuiApplication::restoreOverrideCursor();
            delete run.panel.data();
            if (saved) {
                return;
            }
            if (run.cancelled->load()) {
                if (run.status) {
                    run.status->showMessage(
                        QStringLiteral("Saving cancelled: nothing was written."), kStatusMessageMs);
                }
                return;
            }
            ShowMessageBox(run.window.data(), QStringLiteral("Velquor"),
                           QStringLiteral("Could not save ") % run.path % QStringLiteral(": ") %
                               error);
        },
        Qt::QueuedConnection);
}

} // namespace

QString CStatementSaveCommand::Title(std::int64_t first, std::int64_t count) {
    if (first <= 0) {
        return QStringLiteral("Save all ") % QString::number(count) % QStringLiteral(" statements");
    }
    return QStringLiteral("Save ") % QString::number(std::max<std::int64_t>(0, count - first)) %
           QStringLiteral(" of ") % QString::number(count) % QStringLiteral(" statements: rows ") %
           QString::number(first + 1) % QStringLiteral(" to ") % QString::number(count) %
           QStringLiteral(", after the found row");
}

void CStatementSaveCommand::Run(CVelquorDoc& doc, std::int64_t first, QWidget* parent,
                                QStatusBar* status) {
    // The status bar says it too while the dialog is open; the save's progress takes its
    // place once the file is chosen.
    const QString title = Title(first, doc.Analyzer().GetCount());
    if (status != nullptr) {
        status->showMessage(title, kStatusMessageMs);
    }
    const std::optional<CFileDialogs::SaveChoice> choice =
        CFileDialogs::ChooseSaveFile(parent != nullptr ? parent->window() : nullptr, title);
    if (status != nullptr && choice) {
        status->clearMessage();
    }
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
    CSaveRun run{target.path, parent, status, nullptr};
    if (status != nullptr) {
        run.panel = new CProgressPanel(
            *status, QStringLiteral("save"),
            QStringLiteral("Saving ") % QFileInfo(target.path).fileName() % QStringLiteral(" %p%"));
        QObject::connect(run.panel, &CProgressPanel::Cancelled, run.panel,
                         [cancelled = run.cancelled] { *cancelled = true; });
    }
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    doc.WorkOnRecords([&analyzer = doc.Analyzer(), first, target, run] {
        QString error;
        const bool saved = CStatementSaver::Save(analyzer, first, target, error, ProgressOf(run));
        TellSaved(saved, error, run);
    });
}
