#pragma once

#include "CCursorMap.h"
#include "CCursorTracker.h"
#include "CRecordChunks.h"
#include "CRecordDelta.h"
#include "CTraceContext.h"
#include "CTraceProfile.h"

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

// Joins the pieces of one file, read by trackers of their own, in file order. A piece's
// contexts are resolved against what the file before it stated (its process and the
// process's session where the piece did not name them, CTraceProfile::Resolve); then, context
// by context: the piece's leading lines go to the records their cursor numbers were bound to
// in that context by the pieces before it, the self figures of its first call at each depth
// lose the deeper calls of the context written before the piece, and its bindings replace the
// earlier ones. The piece's call trees get those deeper calls as children of its first calls
// and name records by serial; its records take their context as resolved and its session tags
// before the piece for the tags the piece did not set; its profile joins the file's. The work
// is proportional to the contexts, cursors, depths and call-tree nodes a piece holds, not to
// its bytes. The file's records gather in a read's records; once they are handed over, what
// later pieces add to them becomes deltas.
class CBindingResolver {
public:
    explicit CBindingResolver(CRecordChunks& records) : m_records(records) {}

    // Appends the piece's records to the records, each with the next serial.
    void Add(CCursorTracker& piece, const std::function<std::uint64_t()>& nextSerial);
    // The records were handed over (the container is empty again).
    void RecordsHandedOver();
    // What pieces added to records handed over before.
    std::vector<CRecordDelta> TakeDeltas();

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
        std::uint64_t record = 0; // the index among the file's records
    };
    // What the pieces joined so far left in one context of the file: cursor number to the
    // index of its record among the file's records (kHidden for a hidden statement), with
    // kRecursive set for a recursive statement; per depth the deeper calls written since the
    // last call at the depth, as the tracker's pending figures and tree.
    struct CJoinedContext {
        CCursorMap bindings;
        std::vector<CSelfFigures> carry;
        std::vector<std::vector<CCallTreeNode>> treeCarry;
    };

    std::vector<std::vector<std::size_t>>
    ResolveContexts(CCursorTracker& piece, const std::vector<CTraceContext>& resolved) const;
    static CBound Find(const CJoinedContext& joined, std::uint64_t cursor);
    CCursorFigures* SinkOf(const CJoinedContext& joined, std::uint64_t cursor);
    CCursorFigures* SinkOf(const CJoinedContext& joined, const CCursorTracker::COwner& owner,
                           std::uint64_t base);
    CCursorFigures* RecordAt(std::uint64_t index);
    void JoinContext(CCursorTracker& piece, CCursorTracker::CContextState& context,
                     CJoinedContext& joined, const std::vector<std::size_t>& records,
                     std::uint64_t base);
    void CorrectFirstCalls(CCursorTracker& piece, const CCursorTracker::CContextState& context,
                           CJoinedContext& joined, std::uint64_t base);
    void ResolveCallTrees(CCursorTracker::CContextState& context, CJoinedContext& joined,
                          const std::vector<std::size_t>& records, std::uint64_t base);
    void AddLeadingWaits(const CCursorTracker::CContextState& context,
                         const CJoinedContext& joined);

    static constexpr std::uint64_t kHidden = std::uint64_t{1} << 63;
    static constexpr std::uint64_t kRecursive = std::uint64_t{1} << 62;
    CRecordChunks& m_records;
    std::map<CTraceContext, CJoinedContext> m_contexts;
    CCursorFigures m_unattributed;
    CTraceProfile m_profile;
    std::uint64_t m_nFirstSerial = 0; // the serial of the file's first record
    std::uint64_t m_nFileRecords = 0; // the file's records so far
    std::uint64_t m_nHandedOver = 0;  // the first ones of them, handed over
    std::size_t m_nFirstHeld = 0;     // where the first record not handed over is held
    std::vector<CRecordDelta> m_deltas;
    CCursorMap m_deltaIndex; // serial to position in m_deltas
};
