#pragma once

#include "CSqlGroupTable.h"
#include "CSqlReader.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <memory>

class CTraceAnalyzer;

// The statements grouped by SQL, one row per group, in the columns of CSqlGroupColumns. The
// order is the one chosen last (at first by self elapsed time, largest first) and holds for
// every new set of groups; sorting by a column is a layout change, so the selection follows
// its group. The SQL cell is read from the analyser's first statement of the group when
// drawn.
class CSqlGroupModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit CSqlGroupModel(QObject* parent = nullptr);

    // Shows new groups of `analyzer`'s records (none: empty), in the current order.
    void SetGroups(CSqlGroupTable groups, const CTraceAnalyzer* analyzer);
    // The group at a row, or nullptr.
    const CSqlGroupRow* Group(int row) const;
    // The row of the group whose first statement has this serial; -1 when there is none.
    int RowOfGroup(std::uint64_t firstSerial) const;
    int SortColumn() const { return m_nSortColumn; }
    Qt::SortOrder SortOrder() const { return m_sortOrder; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    void ApplyOrder();
    std::string_view SqlOf(const CSqlGroupRow& group) const;

    CSqlGroupTable m_groups;
    const CTraceAnalyzer* m_analyzer = nullptr;
    mutable std::unique_ptr<CSqlReader> m_sqls; // of the analyser's texts
    int m_nSortColumn;
    Qt::SortOrder m_sortOrder = Qt::DescendingOrder;
};
