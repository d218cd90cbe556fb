#include "CStatementSaveCommand.h"

#include "CFileDialogs.h"
#include "CStatementSaver.h"
#include "CTraceAnalyzer.h"
#include "CWaitCursor.h"
#include "MessageBox.h"

#include <QFileInfo>
#include <QMessageBox>

void CStatementSaveCommand::Run(const CTraceAnalyzer& analyzer, std::int64_t first,
                                QWidget* parent) {
    const std::optional<CFileDialogs::SaveChoice> choice =
        CFileDialogs::ChooseSaveFile(parent != nullptr ? parent->window() : nullptr);
    if (!choice) {
        return;
    }
    const CStatementSaver::Target target =
        CStatementSaver::ResolveTarget(choice->path, choice->filter);
    const QString caption = QStringLiteral("Velquor");
    if (first >= analyzer.GetCount()) {
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
    QString error;
    bool saved = false;
    {
        const CWaitCursor busy;
        saved = CStatementSaver::Save(analyzer, first, target, error);
    }
    if (!saved) {
        ShowMessageBox(parent, caption,
                       QStringLiteral("Could not save ") % target.path % QStringLiteral(": ") %
                           error);
    }
}
