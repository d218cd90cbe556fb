#pragma once

#include "CCallTreeLayout.h"
#include "CSqlReader.h"

#include <QAbstractItemModel>

#include <memory>
#include <vector>

class CTraceAnalyzer;

// The call tree: the top-level statements in the order they were read, each with the
// statements its calls called below it, by inclusive elapsed time. Columns: the statement
// (its SQL cell, or why there is none), inclusive elapsed, self elapsed, self CPU, calls and
// the statement's row in the list, read from the analyser when drawn. A node is named by
// its path: the statements from the top down to it.
class CCallTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum EColumn { Statement, Elapsed, Self, SelfCpu, Calls, Row, ColumnCount };
    using CPath = std::vector<CStatementRef>;

    explicit CCallTreeModel(QObject* parent = nullptr);

    // Shows a new tree of `analyzer`'s records (none: empty); a model reset.
    void SetTree(CCallTreeLayout tree, const CTraceAnalyzer* analyzer);
    // The node an index stands for.
    const CCallTreeRow& Node(const QModelIndex& index) const;
    CPath PathOf(const QModelIndex& index) const;
    // The index of the node at a path; invalid when the tree has no such node.
    QModelIndex IndexOf(const CPath& path) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    int RowInParent(int node) const;
    QString Text(const QModelIndex& index) const;

    CCallTreeLayout m_tree; // a node's number is its index's internal id
    const CTraceAnalyzer* m_analyzer = nullptr;
    mutable std::unique_ptr<CSqlReader> m_sqls; // of the analyser's texts
};
