#pragma once

#include "CCallTreeNode.h"

#include <cstdint>
#include <vector>

// The statements a record's calls called, in one pointer's room. A reader builds a tree in
// full (CCallTreeNode) and resolving its references packs it: the nodes follow one another in
// one block of 32-bit words, each after its parent, in six words while its value, its figures
// and its number of children fit, and in twelve, holding them all in full, when one does not.
// Adding to a packed tree keeps it packed.
class CCallTree {
public:
    CCallTree() = default;
    CCallTree(const CCallTree& other);
    CCallTree(CCallTree&& other) noexcept;
    ~CCallTree();
    CCallTree& operator=(CCallTree other) noexcept;

    bool IsEmpty() const { return m_form == 0; }
    // The nodes in full.
    std::vector<CCallTreeNode> Nodes() const;
    // The nodes in full as another type of node with the same members (CCallTreeRow), made at
    // once instead of copied from the nodes.
    template <class TNode> std::vector<TNode> NodesAs() const;
    // Adds `nodes`, joining each with the node of the same statement.
    void Add(std::vector<CCallTreeNode>&& nodes);
    // Resolves the references of the tree (CCallTreeResolution::Apply) and packs it; a packed
    // tree is resolved in its own words when they can hold the result. An empty tree stays as
    // it is.
    void Resolve(const CCallTreeResolution& resolution);
    // Packs the tree as it is, references unresolved: the thread that built it frees its
    // nodes, and resolving it on another thread later mostly frees nothing.
    void Pack();

    // Asks the processor for the tree's memory ahead of a read of it.
    void Prefetch() const {
        __builtin_prefetch(reinterpret_cast<const void*>(m_form & ~std::uintptr_t{1}));
    }

    // Equal when the nodes are, however they are kept.
    bool operator==(const CCallTree& other) const { return Nodes() == other.Nodes(); }

private:
    using CWord = std::uint32_t;

    // Nothing (0), the nodes in full (a std::vector<CCallTreeNode>*), or the packed words (a
    // CWord* with the lowest bit set, which the alignment of words leaves free).
    std::vector<CCallTreeNode>* Full() const;
    const CWord* Packed() const;
    void Set(std::vector<CCallTreeNode> nodes, bool packed);
    void Clear();

    std::uintptr_t m_form = 0;
};
