#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

// The file dialogs of the opening and saving commands. Tests put choosers in their place so
// they pick files without a dialog.
class CFileDialogs {
public:
    struct SaveChoice {
        QString path;
        QString filter; // the name filter chosen in the dialog
    };
    using OpenChooser = std::function<QStringList()>;
    using SaveChooser = std::function<std::optional<SaveChoice>()>;

    static const QString kTraceFilter;
    static const QString kSqlFilter;
    static const QString kCompressedTraceFilter;
    // The Open dialog's first filter: plain and compressed traces together.
    static const QString kAnyTraceFilter;

    // The Open dialog's filters, the one it starts with first.
    static QStringList OpenFilters();

    // The trace files to open; empty when the user cancelled.
    static QStringList ChooseTraceFiles(QWidget* parent);
    // The file to save statements to, asked under `title`; nothing when the user cancelled.
    static std::optional<SaveChoice> ChooseSaveFile(QWidget* parent, const QString& title);

    static void SetOpenChooser(OpenChooser chooser) { s_openChooser = std::move(chooser); }
    static void SetSaveChooser(SaveChooser chooser) { s_saveChooser = std::move(chooser); }

private:
    static inline OpenChooser s_openChooser;
    static inline SaveChooser s_saveChooser;
};
