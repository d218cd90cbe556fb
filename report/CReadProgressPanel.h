#pragma once

#include <QObject>
#include <QPointer>

#include <cstdint>

class CVelquorDoc;
class QProgressBar;
class QPushButton;
class QStatusBar;

// The progress of a document's file read in the frame's status bar: a bar named after the
// window and a Cancel button, there until the read ends; a cancelled read leaves a short
// message that only part of the statements is listed.
class CReadProgressPanel : public QObject {
    Q_OBJECT

public:
    CReadProgressPanel(CVelquorDoc& doc, QStatusBar& bar);
    ~CReadProgressPanel() override;

private:
    void OnProgress(std::int64_t done, std::int64_t total);
    void OnFinished(bool partial);
    void Remove();

    QStatusBar& m_bar;
    QPointer<QProgressBar> m_progressBar;
    QPointer<QPushButton> m_cancelButton;
};
