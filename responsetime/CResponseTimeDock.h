#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class CCallTreePane;
class CProfilePane;
class CSqlGroupPane;
class CTraceAnalyzer;
class CVelquorDoc;
class QTabWidget;

// The "Response Time" dock: where the time of one analysis window went, in the tabs
// "Profile", "SQL Groups" and "Call Tree". It follows the document it is given: after every
// read it makes the figures of the tab in view again (the others when they come into view),
// only while the dock is shown. While a file is still being read it does so at most once a
// period; then and between live reads no sooner than ten times what the last one cost, so
// that a big trace is not read more slowly; the end of a file read is shown at once. The SQL
// groups and the call tree are made on a worker thread, one tab at a time, so the window
// stays responsive however big the trace; the tab shows them when they are done.
class CResponseTimeDock : public QWidget {
    Q_OBJECT

public:
    enum ETab { ProfileTab, GroupsTab, TreeTab, TabCount };
    static constexpr int kReadingPeriodMs = 1000;

    explicit CResponseTimeDock(QWidget* parent = nullptr);
    // Waits for the figures being made, which are handed to it.
    ~CResponseTimeDock() override;

    // Shows the figures of a window's document from now on; nullptr empties the dock. A
    // document that goes empties it too.
    void SetDocument(CVelquorDoc* doc);
    CVelquorDoc* Document() const { return m_doc; }

    QTabWidget& Tabs() { return *m_tabs; }
    CProfilePane& Profile() { return *m_profile; }
    CSqlGroupPane& Groups() { return *m_groups; }
    CCallTreePane& Tree() { return *m_tree; }

signals:
    // A group or a call-tree node was double-clicked: the list row of its statement.
    void StatementActivated(std::int64_t row);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Follow(CVelquorDoc* doc);
    void OnAnalysisChanged();
    void RefreshCurrentTab();
    // Makes figures with `make` on the document's worker thread, and shows them with `show`
    // on this one when its work has ended, unless the dock follows another document by then.
    template <class TFigures>
    void MakeInBackground(std::function<TFigures(const CTraceAnalyzer&)> make,
                          std::function<void(TFigures&&)> show);
    void OnWorkEnded();
    void Refreshed();

    CVelquorDoc* m_doc = nullptr;
    QTabWidget* m_tabs;
    CProfilePane* m_profile;
    CSqlGroupPane* m_groups;
    CCallTreePane* m_tree;
    QTimer m_refreshTimer;
    std::array<bool, TabCount> m_stale{}; // figures older than the document's records
    qint64 m_nLastCostMs = 0;
    QElapsedTimer m_sinceRefresh;     // since the figures were last made
    QElapsedTimer m_making;           // since the figures being made were asked for
    bool m_bMaking = false;           // figures are being made on a worker thread
    std::function<void()> m_showMade; // shows them once made
};
