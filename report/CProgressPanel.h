#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>

class QProgressBar;
class QPushButton;
class QStatusBar;

// The progress of a long piece of work (a file read, a save) in the frame's status bar: a bar
// showing `format` (QProgressBar's, with "%p%" for the percentage) and a Cancel button, there
// until the panel goes. The widgets are named `name` followed by "Progress" and "Cancel". A
// child of the status bar, so it goes with it.
class CProgressPanel : public QObject {
    Q_OBJECT

public:
    CProgressPanel(QStatusBar& bar, const QString& name, const QString& format);
    ~CProgressPanel() override;

    void SetProgress(std::int64_t done, std::int64_t total);

signals:
    // The Cancel button was pressed.
    void Cancelled();

private:
    QPointer<QProgressBar> m_progressBar;
    QPointer<QPushButton> m_cancelButton;
};
