#pragma once

#include "CCallTreeModel.h"

#include <QTreeView>

#include <cstdint>
#include <set>

class CTraceAnalyzer;

// The "Call Tree" tab. A new tree keeps the nodes the user opened, the selected node and the
// scroll position: each is known by its path. A double-click on a node of a listed statement
// names its list row.
class CCallTreePane : public QTreeView {
    Q_OBJECT

public:
    explicit CCallTreePane(QWidget* parent = nullptr);

    // Empties the tab for another analyser (none: stays empty), whose tree the next Show
    // shows; the nodes opened before are forgotten.
    void SetAnalyzer(const CTraceAnalyzer* analyzer);
    // Shows a call tree of the analyser's statements.
    void Show(CCallTreeLayout tree);
    CCallTreeModel& Model() { return m_model; }

signals:
    void StatementActivated(std::int64_t row);

private:
    void SetUpColumns();
    void OnDoubleClick(const QModelIndex& index);

    const CTraceAnalyzer* m_analyzer = nullptr;
    CCallTreeModel m_model;
    std::set<CCallTreeModel::CPath> m_expanded;
};
