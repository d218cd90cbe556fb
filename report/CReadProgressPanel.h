#pragma once

#include <QObject>
#include <QPointer>

#include <cstdint>

class CProgressPanel;
class CVelquorDoc;
class QStatusBar;

// The progress of a document's file read in the frame's status bar (CProgressPanel, named
// after the window), there until the read ends; a cancelled read leaves a short message that
// only part of the statements is listed.
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
    QPointer<CProgressPanel> m_panel;
};
