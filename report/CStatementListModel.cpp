#include "CStatementListModel.h"

#include "CTraceAnalyzer.h"
#include "DisplayText.h"

namespace {

// The SQL cell: the first 128 characters, every line break between lines shown as one space.
QString SqlCellText(std::string_view sql) {
    if (sql.ends_with("\r\n")) {
        sql.remove_suffix(2);
    }
    // A character takes at most 4 bytes; decoding more than that is wasted.
    const std::size_t bytes = static_cast<std::size_t>(CStatementListModel::kSqlCellLength) * 4;
    QString text = DecodeForDisplay(sql.substr(0, bytes));
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.left(CStatementListModel::kSqlCellLength);
}

} // namespace

CStatementListModel::CStatementListModel(CTraceAnalyzer& analyzer, QObject* parent)
    : QAbstractTableModel(parent), m_analyzer(analyzer),
      m_nRows(static_cast<int>(analyzer.GetCount())) {}

int CStatementListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_nRows;
}

int CStatementListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CStatementListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return CellText(index.row(), index.column());
    }
    if (role == Qt::TextAlignmentRole) {
        // Every column is centred except the first, which the list keeps left-aligned.
        const Qt::Alignment horizontal = index.column() == 0 ? Qt::AlignLeft : Qt::AlignHCenter;
        return QVariant::fromValue(horizontal | Qt::AlignVCenter);
    }
    return {};
}

QString CStatementListModel::CellText(int row, int column) const {
    if (row < 0 || row >= m_analyzer.GetCount()) {
        return {};
    }
    const CStatementRecord& record = m_analyzer.GetRecord(row);
    if (column == CStatementColumns::kSqlColumn) {
        return SqlCellText(record.GetSql());
    }
    return DecodeForDisplay(CStatementColumns::Cell(record, column));
}

QVariant CStatementListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        const std::string_view title = GetColumn(section).title;
        return QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size()));
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(section == 0 ? Qt::AlignLeft : Qt::AlignHCenter) |
                                   Qt::AlignVCenter);
    }
    return {};
}

CApplyResult CStatementListModel::Apply(CReadBatch&& batch) {
    const bool adds = !batch.appended.empty();
    const auto first = static_cast<int>(m_analyzer.GetCount());
    const auto last = first + static_cast<int>(batch.appended.size()) - 1;
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
        emit dataChanged(index(r, 0), index(r, kColumnCount - 1));
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
    m_analyzer.Sort(GetColumn(column).sortKey, order);
    if (m_nRows > 0) {
        emit dataChanged(index(0, 0), index(m_nRows - 1, kColumnCount - 1));
    }
}
