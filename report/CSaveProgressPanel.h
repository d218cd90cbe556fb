#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>

class QProgressBar;
class QPushButton;
class QStatusBar;

// The progress of a Save in the frame's status bar: a bar named after the file and a Cancel
// button that calls `cancel`, there until the panel goes, when the save ends. A child of the
// status bar, so it goes with it.
class CSaveProgressPanel : public QObject {
    Q_OBJECT

public:
    CSaveProgressPanel(QStatusBar& bar, const QString& fileName, std::function<void()> cancel);
    ~CSaveProgressPanel() override;

    void SetProgress(std::int64_t written, std::int64_t total);

private:
    QPointer<QProgressBar> m_progressBar;
    QPointer<QPushButton> m_cancelButton;
};
