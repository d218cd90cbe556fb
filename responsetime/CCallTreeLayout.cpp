#include "CCallTreeLayout.h"

// Level by level: the top-level nodes first, then, node after node, each one's children.
CCallTreeLayout::CCallTreeLayout(std::vector<CCallTreeRow> tree) : m_tree(std::move(tree)) {
    m_topOfSerial.reserve(m_tree.size());
    for (const CCallTreeRow& row : m_tree) {
        m_topOfSerial.emplace(row.statement.value, static_cast<int>(m_nodes.size()));
        m_nodes.push_back({&row, -1, 0});
    }
    for (std::size_t node = 0; node < m_nodes.size(); ++node) {
        m_nodes[node].firstChild = static_cast<int>(m_nodes.size());
        for (const CCallTreeRow& child : m_nodes[node].row->children) {
            m_nodes.push_back({&child, static_cast<int>(node), 0});
        }
    }
}

int CCallTreeLayout::TopOfSerial(std::uint64_t serial) const {
    const auto top = m_topOfSerial.find(serial);
    return top == m_topOfSerial.end() ? -1 : top->second;
}
