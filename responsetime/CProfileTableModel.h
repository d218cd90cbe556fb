#pragma once

#include "CProfileReport.h"

#include <QAbstractTableModel>

// The components of one response-time profile, one row each, by time, largest first: the
// component, its time, its share of R, and for calls and waits their count, mean, least and
// greatest time. Idle waits are drawn grey. The time cell also gives the row's share of R
// (kShareRole), which the view draws as a bar.
class CProfileTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum EColumn { Component, Time, Share, Count, Mean, Min, Max, ColumnCount };
    static constexpr int kShareRole = Qt::UserRole;

    explicit CProfileTableModel(QObject* parent = nullptr);

    // Shows another table (a model reset).
    void SetTable(CProfileTable table);
    const CProfileTable& Table() const { return m_table; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString Text(const CProfileRow& row, int column) const;

    CProfileTable m_table;
};
