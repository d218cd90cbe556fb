#include "CStatementListModel.h"

#include "CStatementColumns.h"
#include "CTraceAnalyzer.h"
#include "DisplayText.h"

namespace {

QVariant Alignment(int column) {
    const bool left = CStatementColumns::At(column).align == CStatementColumns::Align::Left;
    return QVariant::fromValue((left ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
}

} // namespace

CStatementListModel::CStatementListModel(CTraceAnalyzer& analyzer, QObject* parent)
    : QAbstractTableModel(parent), m_analyzer(analyzer), m_sqls(analyzer.Texts()),
      m_nRows(static_cast<int>(analyzer.GetCount())) {}

int CStatementListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_nRows;
}

int CStatementListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : CStatementColumns::kCount;
}

QVariant CStatementListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        const CStatementRecord& record = m_analyzer.GetRecord(index.row());
        return DecodeForDisplay(CStatementColumns::Cell(record, index.column(), m_sqls));
    }
    if (role == Qt::TextAlignmentRole) {
        return Alignment(index.column());
    }
    return {};
}

QVariant CStatementListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= CStatementColumns::kCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return DecodeForDisplay(CStatementColumns::At(section).title);
    }
    if (role == Qt::TextAlignmentRole) {
        return Alignment(section);
    }
    return {};
}

CApplyResult CStatementListModel::Apply(CReadBatch&& batch) {
    const bool adds = !batch.appended.IsEmpty();
    const auto first = static_cast<int>(m_analyzer.GetCount());
    const auto last = first + static_cast<int>(batch.appended.Size()) - 1;
    if (adds) {
        beginInsertRows({}, first, last);
    }
    CApplyResult result = m_analyzer.Apply(std::move(batch));
    if (adds) {
        m_nRows = static_cast<int>(m_analyzer.GetCount());
        endInsertRows();
    }
    for (const std::int64_t row : result.updatedRows) {
        const auto r = static_cast<int>(row);
        emit dataChanged(index(r, 0), index(r, CStatementColumns::kCount - 1));
    }
    return result;
}

void CStatementListModel::Clear() {
    beginResetModel();
    m_analyzer.Clear();
    m_nRows = 0;
    endResetModel();
}

void CStatementListModel::Sort(int column, int order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<std::size_t> before =
        m_analyzer.Sort(CStatementColumns::At(column).sortKey, order);
    if (!before.empty()) {
        std::vector<int> rowNow(before.size());
        for (std::size_t row = 0; row < before.size(); ++row) {
            rowNow[before[row]] = static_cast<int>(row);
        }
        const QModelIndexList from = persistentIndexList();
        QModelIndexList to;
        to.reserve(from.size());
        for (const QModelIndex& old : from) {
            to.append(index(rowNow.at(static_cast<std::size_t>(old.row())), old.column()));
        }
        changePersistentIndexList(from, to);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
