#pragma once

#include "CCallTreeView.h"
#include "CSqlGroupBuilder.h"

#include <cstdint>
#include <vector>

class CCursorFigures;
class CStatementRecord;

// The statements of an analyser grouped by SQL, and its call tree, kept up to date as the
// records come (in the order they were read) and grow: each record is looked at when it
// comes or grows, while it is fresh in memory, so that the views cost little to hand out
// after each read.
class CStatementViews {
public:
    // Makes room for `more` records to come, so that a big read's views grow once.
    void Reserve(std::size_t more);
    void Add(const CStatementRecord& record);
    // A record got `added` (a read's delta, already applied to it).
    void Grow(const CStatementRecord& record, const CCursorFigures& added);
    void Clear();

    CSqlGroupTable Groups(bool excludeIdle, bool detailed) {
        return m_groups.Table(excludeIdle, detailed);
    }
    // The top-level statements in the order they were read.
    const std::vector<CCallTreeRow>& Tree() const { return m_tree; }

private:
    std::size_t OffsetOf(std::uint64_t serial) const { return serial - m_nFirstSerial; }

    CSqlGroupBuilder m_groups;
    std::uint64_t m_nFirstSerial = 0;
    bool m_bEmpty = true;
    std::vector<std::size_t> m_groupOf; // by serial less the first: the record's group
    std::vector<CCallTreeRow> m_tree;
    std::vector<std::int64_t> m_treeRowOf; // by serial less the first: its row, or -1
};
