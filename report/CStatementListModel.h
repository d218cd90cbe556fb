#pragma once

#include "CSqlReader.h"

#include <QAbstractTableModel>

class CTraceAnalyzer;
struct CApplyResult;
struct CReadBatch;

// The rows of a statement list: row i shows the analyser's record i, in the columns of
// CStatementColumns. Cells are formatted from the record when asked for; the model keeps no
// text. All its changes of the records (applying a read, clearing, sorting) run on the user
// interface thread.
class CStatementListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit CStatementListModel(CTraceAnalyzer& analyzer, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Appends a read's new records as rows and redraws the records it replaced.
    CApplyResult Apply(CReadBatch&& batch);
    // Drops every row and every record.
    void Clear();
    // Reorders the records by a column's sort key, as a layout change: row i then shows the
    // record now at i, and selections and other persistent indexes follow their records.
    void Sort(int column, int order);

private:
    CTraceAnalyzer& m_analyzer;
    // Reads the SQL texts that stay in their trace file, which it keeps open while the list
    // shows them: cells drawn out of the file's order cost a read each.
    mutable CSqlReader m_sqls;
    int m_nRows = 0;
};
