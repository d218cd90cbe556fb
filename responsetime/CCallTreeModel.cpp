#include "CCallTreeModel.h"

#include "CTraceAnalyzer.h"
#include "DisplayText.h"
#include "ResponseTimeText.h"
#include "TimeText.h"

#include <algorithm>

namespace {

constexpr const char* kTitles[CCallTreeModel::ColumnCount] = {
    "Statement", "Elapsed (s)", "Self (s)", "Self CPU (s)", "Calls", "Row"};

QVariant Alignment(int column) {
    const Qt::Alignment horizontal =
        column == CCallTreeModel::Statement ? Qt::AlignLeft : Qt::AlignRight;
    return QVariant::fromValue(horizontal | Qt::AlignVCenter);
}

QString Seconds(std::int64_t microseconds) {
    return QString::fromStdString(FormatSeconds(microseconds));
}

} // namespace

CCallTreeModel::CCallTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

void CCallTreeModel::SetTree(CCallTreeLayout tree, const CTraceAnalyzer* analyzer) {
    beginResetModel();
    m_tree = std::move(tree);
    m_analyzer = analyzer;
    m_sqls = analyzer != nullptr ? std::make_unique<CSqlReader>(analyzer->Texts()) : nullptr;
    endResetModel();
}

const CCallTreeRow& CCallTreeModel::Node(const QModelIndex& index) const {
    return *m_tree.Node(index.internalId()).row;
}

CCallTreeModel::CPath CCallTreeModel::PathOf(const QModelIndex& index) const {
    CPath path;
    for (int node = index.isValid() ? static_cast<int>(index.internalId()) : -1; node >= 0;
         node = m_tree.Node(static_cast<std::size_t>(node)).parent) {
        path.push_back(m_tree.Node(static_cast<std::size_t>(node)).row->statement);
    }
    std::reverse(path.begin(), path.end());
    return path;
}

// The top-level statements are records, each once; below, a node has one child per
// statement.
QModelIndex CCallTreeModel::IndexOf(const CPath& path) const {
    if (path.empty()) {
        return {};
    }
    const int top = m_tree.TopOfSerial(path.front().value);
    if (path.front().kind != CStatementRef::EKind::Serial || top < 0) {
        return {};
    }
    QModelIndex found = index(top, 0);
    for (std::size_t depth = 1; depth < path.size() && found.isValid(); ++depth) {
        const std::vector<CCallTreeRow>& children = Node(found).children;
        const auto child =
            std::find_if(children.begin(), children.end(),
                         [&](const CCallTreeRow& row) { return row.statement == path[depth]; });
        found = child == children.end()
                    ? QModelIndex()
                    : index(static_cast<int>(child - children.begin()), 0, found);
    }
    return found;
}

QModelIndex CCallTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent)) {
        return {};
    }
    const int first = parent.isValid() ? m_tree.Node(parent.internalId()).firstChild : 0;
    return createIndex(row, column, static_cast<quintptr>(first + row));
}

QModelIndex CCallTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) {
        return {};
    }
    const int parent = m_tree.Node(child.internalId()).parent;
    return parent < 0 ? QModelIndex()
                      : createIndex(RowInParent(parent), 0, static_cast<quintptr>(parent));
}

int CCallTreeModel::RowInParent(int node) const {
    const int parent = m_tree.Node(static_cast<std::size_t>(node)).parent;
    return parent < 0 ? node : node - m_tree.Node(static_cast<std::size_t>(parent)).firstChild;
}

int CCallTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return static_cast<int>(m_tree.Tops().size());
    }
    return parent.column() == 0 ? static_cast<int>(Node(parent).children.size()) : 0;
}

int CCallTreeModel::columnCount(const QModelIndex&) const {
    return ColumnCount;
}

QVariant CCallTreeModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return Text(index);
    }
    if (role == Qt::TextAlignmentRole) {
        return Alignment(index.column());
    }
    return {};
}

QString CCallTreeModel::Text(const QModelIndex& index) const {
    const CCallTreeRow& node = Node(index);
    switch (index.column()) {
    case Statement:
        return m_analyzer != nullptr
                   ? DecodeForDisplay(CallTreeLabel(node, m_analyzer->RecordOfNode(node), *m_sqls))
                   : QString();
    case Elapsed:
        return Seconds(node.figures.elapsed);
    case Self:
        return Seconds(node.figures.selfElapsed);
    case SelfCpu:
        return Seconds(node.figures.selfCpu);
    case Calls:
        return QString::number(node.figures.calls);
    default: {
        const std::int64_t row = m_analyzer != nullptr ? m_analyzer->RowOfNode(node) : -1;
        return row < 0 ? QString() : QString::number(row);
    }
    }
}

QVariant CCallTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) {
        return QAbstractItemModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(kTitles[section]);
    }
    if (role == Qt::TextAlignmentRole) {
        return Alignment(section);
    }
    return {};
}
