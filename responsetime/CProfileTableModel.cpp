#include "CProfileTableModel.h"

#include "DisplayText.h"
#include "ResponseTimeText.h"
#include "TimeText.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

constexpr const char* kTitles[CProfileTableModel::ColumnCount] = {
    "Component", "Time (s)", "Share", "Count", "Mean (s)", "Min (s)", "Max (s)"};

QVariant Alignment(int column) {
    const Qt::Alignment horizontal =
        column == CProfileTableModel::Component ? Qt::AlignLeft : Qt::AlignRight;
    return QVariant::fromValue(horizontal | Qt::AlignVCenter);
}

} // namespace

CProfileTableModel::CProfileTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void CProfileTableModel::SetTable(CProfileTable table) {
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

int CProfileTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_table.rows.size());
}

int CProfileTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CProfileTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const CProfileRow& row = m_table.rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return Text(row, index.column());
    case Qt::TextAlignmentRole:
        return Alignment(index.column());
    case Qt::ForegroundRole:
        if (row.idle) {
            return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        }
        return {};
    case kShareRole:
        if (index.column() == Time && row.share) {
            return *row.share;
        }
        return {};
    default:
        return {};
    }
}

// Unaccounted-for time is no call or wait: it has no count, mean, least or greatest time.
QString CProfileTableModel::Text(const CProfileRow& row, int column) const {
    const bool counted = row.kind != CProfileRow::EKind::Unaccounted;
    switch (column) {
    case Component:
        return DecodeForDisplay(ComponentText(row));
    case Time:
        return QString::fromStdString(FormatSeconds(row.time));
    case Share:
        return row.share ? QString::fromStdString(FormatShare(*row.share)) : QString();
    case Count:
        return counted ? QString::number(row.count) : QString();
    case Mean:
        return counted ? QString::fromStdString(MeanText(row)) : QString();
    case Min:
        return counted ? QString::fromStdString(FormatSeconds(row.min)) : QString();
    default:
        return counted ? QString::fromStdString(FormatSeconds(row.max)) : QString();
    }
}

QVariant CProfileTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(kTitles[section]);
    }
    if (role == Qt::TextAlignmentRole) {
        return Alignment(section);
    }
    return {};
}
