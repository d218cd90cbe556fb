#pragma once

#include "CCursorTracker.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

// Joins the pieces of one file, read by trackers of their own, in file order: a piece's
// leading lines go to the records their cursor numbers were bound to by the pieces before
// it, the self figures of its first call at each depth lose the deeper calls written before
// the piece, and its bindings replace the earlier ones. The piece's call trees get those
// deeper calls as children of its first calls and name records by serial; its records take
// the session tags of the text before them for the tags the piece did not set; its profile
// joins the file's. The work is proportional to the cursors, depths and call-tree nodes a
// piece holds, not to its bytes.
class CBindingResolver {
public:
    // Appends the piece's records to `records`, each with the next serial.
    void Add(CCursorTracker& piece, std::deque<CStatementRecord>& records,
             const std::function<std::uint64_t()>& nextSerial);

    // The figures of cursors bound to no statement of the file (tracing started while they
    // were open).
    const CCursorFigures& Unattributed() const { return m_unattributed; }
    // The profile of the pieces added so far.
    CTraceProfile& Profile() { return m_profile; }

private:
    struct CBound {
        bool bound = false;
        bool hidden = false;
        bool recursive = false;
        std::size_t record = 0;
    };

    CBound Find(std::uint64_t cursor) const;
    CCursorFigures* SinkOf(std::uint64_t cursor, std::deque<CStatementRecord>& records);
    CCursorFigures* SinkOf(const CCursorTracker::COwner& owner, std::size_t base,
                           std::deque<CStatementRecord>& records);
    void CorrectFirstCalls(CCursorTracker& piece, std::size_t base,
                           std::deque<CStatementRecord>& records);
    void ResolveCallTrees(CCursorTracker& piece, std::size_t base,
                          std::deque<CStatementRecord>& records);
    void ResolveTags(std::size_t base, std::deque<CStatementRecord>& records) const;
    void AddLeadingWaits(CCursorTracker& piece);

    // Cursor number to the position of its record in the records (kHidden for a hidden
    // statement), with kRecursive set for a recursive statement.
    static constexpr std::uint64_t kHidden = std::uint64_t{1} << 63;
    static constexpr std::uint64_t kRecursive = std::uint64_t{1} << 62;
    CCursorMap m_bindings;
    std::vector<CSelfFigures> m_carry; // per depth, as the tracker's pending figures
    std::vector<std::vector<CCallTreeNode>> m_treeCarry; // per depth, as its pending tree
    CCursorFigures m_unattributed;
    CTraceProfile m_profile;
};
