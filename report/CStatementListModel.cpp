#include "CStatementListModel.h"

#include "CTraceAnalyzer.h"
#include "DisplayText.h"

#include <array>

namespace {

using Column = CStatementListModel::Column;

constexpr std::array<Column, CStatementListModel::kColumnCount> kColumns = {{
    {"Command Type", 90, "octName"},
    {"uid", 80, "user_id"},
    {"pid", 80, "pid"},
    {"Sql Statament", 180, "sqlStr"},
    {"Error No", 80, "error_result"},
    {"count", 80, "total_cnt"},
    {"cpu", 80, "total_cpu"},
    {"elapsed", 90, "total_elap"},
    {"disk", 80, "total_disk"},
    {"query", 80, "total_query"},
    {"current", 80, "total_current"},
    {"rows", 80, "total_rows"},
    {"parse misses", 100, "parse_miss"},
    {"execute misses", 100, "exec_miss"},
}};

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

QString NumberText(std::int64_t a, std::int64_t b = 0, std::int64_t c = 0) {
    return QString::number(a + b + c);
}

} // namespace

const Column& CStatementListModel::GetColumn(int column) {
    return kColumns.at(static_cast<std::size_t>(column));
}

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
    const CStatementRecord& r = m_analyzer.GetRecord(row);
    switch (column) {
    case 0:
        return DecodeForDisplay(r.m_strOctName);
    case 1:
        return NumberText(r.m_nUserId);
    case 2:
        return DecodeForDisplay(r.m_strPid);
    case 3:
        return SqlCellText(r.GetSql());
    case 4:
        return DecodeForDisplay(r.m_strError);
    case 5:
        return NumberText(r.m_parse.count, r.m_exec.count, r.m_fetch.count);
    case 6:
        return NumberText(r.m_parse.cpu, r.m_exec.cpu, r.m_fetch.cpu);
    case 7:
        return NumberText(r.m_parse.elapsed, r.m_exec.elapsed, r.m_fetch.elapsed);
    case 8:
        return NumberText(r.m_parse.disk, r.m_exec.disk, r.m_fetch.disk);
    case 9:
        return NumberText(r.m_parse.query, r.m_exec.query, r.m_fetch.query);
    case 10:
        return NumberText(r.m_parse.current, r.m_exec.current, r.m_fetch.current);
    case 11:
        return NumberText(r.m_exec.rows, r.m_fetch.rows); // parse has no rows
    case 12:
        return NumberText(r.m_parse.misses);
    case 13:
        return NumberText(r.m_exec.misses);
    default:
        return {};
    }
}

QVariant CStatementListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(GetColumn(section).title);
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
