#include "CSqlGroupModel.h"

#include "CSqlGroupColumns.h"
#include "CTraceAnalyzer.h"
#include "DisplayText.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace {

bool IsText(int column) {
    return CSqlGroupColumns::At(column).unit == CSqlGroupColumns::EUnit::Text;
}

QVariant Alignment(int column) {
    return QVariant::fromValue((IsText(column) ? Qt::AlignLeft : Qt::AlignRight) |
                               Qt::AlignVCenter);
}

} // namespace

CSqlGroupModel::CSqlGroupModel(QObject* parent)
    : QAbstractTableModel(parent), m_nSortColumn(CSqlGroupColumns::kSelfColumn) {}

void CSqlGroupModel::SetGroups(CSqlGroupTable groups, const CTraceAnalyzer* analyzer) {
    beginResetModel();
    m_groups = std::move(groups);
    m_analyzer = analyzer;
    m_sqls = analyzer != nullptr ? std::make_unique<CSqlReader>(analyzer->Texts()) : nullptr;
    ApplyOrder();
    endResetModel();
}

const CSqlGroupRow* CSqlGroupModel::Group(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < m_groups.Size()
               ? &m_groups.Row(static_cast<std::size_t>(row))
               : nullptr;
}

int CSqlGroupModel::RowOfGroup(std::uint64_t firstSerial) const {
    for (std::size_t row = 0; row < m_groups.Size(); ++row) {
        if (m_groups.Row(row).firstSerial == firstSerial) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

int CSqlGroupModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_groups.Size());
}

int CSqlGroupModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : CSqlGroupColumns::kCount;
}

QVariant CSqlGroupModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        const CSqlGroupRow& group = *Group(index.row());
        const bool sql = index.column() == CSqlGroupColumns::kSqlColumn;
        return DecodeForDisplay(
            CSqlGroupColumns::Cell(group, index.column(), sql ? SqlOf(group) : std::string_view()));
    }
    if (role == Qt::TextAlignmentRole) {
        return Alignment(index.column());
    }
    return {};
}

QVariant CSqlGroupModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= CSqlGroupColumns::kCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return DecodeForDisplay(CSqlGroupColumns::At(section).title);
    }
    if (role == Qt::TextAlignmentRole) {
        return Alignment(section);
    }
    return {};
}

// The persistent indexes (the selection among them) stay with their groups.
void CSqlGroupModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= CSqlGroupColumns::kCount) {
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList from = persistentIndexList();
    std::vector<std::uint64_t> serials;
    for (const QModelIndex& index : from) {
        serials.push_back(Group(index.row())->firstSerial);
    }
    m_nSortColumn = column;
    m_sortOrder = order;
    ApplyOrder();
    std::unordered_map<std::uint64_t, int> rowOf;
    for (std::size_t row = 0; row < m_groups.Size(); ++row) {
        rowOf.emplace(m_groups.Row(row).firstSerial, static_cast<int>(row));
    }
    QModelIndexList to;
    for (qsizetype i = 0; i < from.size(); ++i) {
        to.append(index(rowOf.at(serials[static_cast<std::size_t>(i)]), from[i].column()));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// Numbers sort as they are; texts (the key, the SQL) by their bytes, through their rank
// among the groups' texts, equal texts sharing a rank so that they keep their order.
void CSqlGroupModel::ApplyOrder() {
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    const CSqlGroupColumns::CColumn& column = CSqlGroupColumns::At(m_nSortColumn);
    if (column.numberOf != nullptr) {
        m_groups.SortBy(column.numberOf, descending);
        return;
    }
    std::vector<std::pair<std::string, std::uint64_t>> texts;
    texts.reserve(m_groups.Size());
    for (std::size_t row = 0; row < m_groups.Size(); ++row) {
        const CSqlGroupRow& group = m_groups.Row(row);
        texts.emplace_back(m_nSortColumn == CSqlGroupColumns::kSqlColumn
                               ? std::string(SqlOf(group))
                               : CSqlGroupColumns::Key(group),
                           group.firstSerial);
    }
    std::sort(texts.begin(), texts.end());
    std::unordered_map<std::uint64_t, std::int64_t> rank;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const bool same = i > 0 && texts[i].first == texts[i - 1].first;
        rank.emplace(texts[i].second,
                     same ? rank.at(texts[i - 1].second) : static_cast<std::int64_t>(i));
    }
    m_groups.SortBy([&rank](const CSqlGroupRow& group) { return rank.at(group.firstSerial); },
                    descending);
}

std::string_view CSqlGroupModel::SqlOf(const CSqlGroupRow& group) const {
    const std::int64_t row =
        m_analyzer != nullptr ? m_analyzer->RowOfSerial(group.firstSerial) : -1;
    return row < 0 ? std::string_view() : m_sqls->Sql(m_analyzer->GetRecord(row));
}
