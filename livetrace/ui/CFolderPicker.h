#pragma once

#include <QFileDialog>
#include <QString>

class QLabel;

// Picks a trace folder: a directory-mode file dialog titled "Current Selection" with a
// status line that starts with the initial text and then follows the selected folder.
class CFolderPicker final : public QFileDialog {
    Q_OBJECT

public:
    static constexpr int kStatusLength = 35;

    explicit CFolderPicker(const QString& initialText, QWidget* owner = nullptr);

    // The chosen folder after exec() returned Accepted.
    QString GetResultPath() const;
    QString GetStatusText() const;

    // A text longer than kStatusLength characters becomes its first kStatusLength
    // characters followed by "...".
    static QString ShortenForStatus(const QString& text);

private:
    void AddStatusLine(const QString& initialText);
    void ShowStatus(const QString& path);

    QLabel* m_pStatus = nullptr;
};
