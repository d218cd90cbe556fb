#pragma once

#include "CSqlGroupModel.h"

#include <QTableView>

#include <cstdint>

class CTraceAnalyzer;

// The "SQL Groups" tab: the statements grouped by SQL, sortable by any column (at first by
// self elapsed time, largest first). A new set of groups keeps the order, the selected group
// and the scroll position. A double-click on a group names the list row of its first
// statement.
class CSqlGroupPane : public QTableView {
    Q_OBJECT

public:
    explicit CSqlGroupPane(QWidget* parent = nullptr);

    // Empties the tab for another analyser (none: stays empty), whose groups the next Show
    // shows.
    void SetAnalyzer(const CTraceAnalyzer* analyzer);
    // Shows groups of the analyser's statements.
    void Show(CSqlGroupTable groups);
    CSqlGroupModel& Model() { return m_model; }

signals:
    void StatementActivated(std::int64_t row);

private:
    void SetUpColumns();
    void OnDoubleClick(const QModelIndex& index);

    const CTraceAnalyzer* m_analyzer = nullptr;
    CSqlGroupModel m_model;
};
