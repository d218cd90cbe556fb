#pragma once

#include "CCallTreeView.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

// A call tree laid out for a model of it: every node once, numbered level by level, the
// children of a node next to each other, so that a node's number can name its index and
// its children are found from the first one. Made where the tree is made, off the user
// interface thread, since a big trace's tree has hundreds of thousands of nodes.
class CCallTreeLayout {
public:
    struct CNode {
        const CCallTreeRow* row;
        int parent;     // -1 at the top
        int firstChild; // the number of the first child
    };

    CCallTreeLayout() = default;
    explicit CCallTreeLayout(std::vector<CCallTreeRow> tree);
    // The rows' addresses stay with their nodes.
    CCallTreeLayout(CCallTreeLayout&&) noexcept = default;
    CCallTreeLayout& operator=(CCallTreeLayout&&) noexcept = default;
    CCallTreeLayout(const CCallTreeLayout&) = delete;
    CCallTreeLayout& operator=(const CCallTreeLayout&) = delete;

    // The top-level statements, in the order they were read.
    const std::vector<CCallTreeRow>& Tops() const { return m_tree; }
    const CNode& Node(std::size_t number) const { return m_nodes[number]; }
    // The number of the top-level node of a record; -1 when there is none.
    int TopOfSerial(std::uint64_t serial) const;

private:
    std::vector<CCallTreeRow> m_tree;
    std::vector<CNode> m_nodes;
    std::unordered_map<std::uint64_t, int> m_topOfSerial;
};
