#pragma once

#include "CCursorMap.h"
#include "CCursorTracker.h"
#include "CRecordChunks.h"
#include "CRecordDelta.h"
#include "CTraceProfile.h"

#include <cstdint>
#include <functional>
#include <vector>

// Joins the pieces of one file, read by trackers of their own, in file order: a piece's
// leading lines go to the records their cursor numbers were bound to by the pieces before
// it, the self figures of its first call at each depth lose the deeper calls written before
// the piece, and its bindings replace the earlier ones. The piece's call trees get those
// deeper calls as children of its first calls and name records by serial; its records take
// the session tags of the text before them for the tags the piece did not set; its profile
// joins the file's. The work is proportional to the cursors, depths and call-tree nodes a
// piece holds, not to its bytes. The file's records gather in a read's records; once they
// are handed over, what later pieces add to them becomes deltas.
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

    CBound Find(std::uint64_t cursor) const;
    CCursorFigures* SinkOf(std::uint64_t cursor);
    CCursorFigures* SinkOf(const CCursorTracker::COwner& owner, std::uint64_t base);
    CCursorFigures* RecordAt(std::uint64_t index);
    void CorrectFirstCalls(CCursorTracker& piece, std::uint64_t base);
    void ResolveCallTrees(CCursorTracker& piece, std::uint64_t base);
    void ResolveTags(std::vector<CStatementRecord>& records) const;
    void AddLeadingWaits(CCursorTracker& piece);

    // Cursor number to the index of its record among the file's records (kHidden for a
    // hidden statement), with kRecursive set for a recursive statement.
    static constexpr std::uint64_t kHidden = std::uint64_t{1} << 63;
    static constexpr std::uint64_t kRecursive = std::uint64_t{1} << 62;
    CRecordChunks& m_records;
    CCursorMap m_bindings;
    std::vector<CSelfFigures> m_carry; // per depth, as the tracker's pending figures
    std::vector<std::vector<CCallTreeNode>> m_treeCarry; // per depth, as its pending tree
    CCursorFigures m_unattributed;
    CTraceProfile m_profile;
    std::uint64_t m_nFirstSerial = 0; // the serial of the file's first record
    std::uint64_t m_nFileRecords = 0; // the file's records so far
    std::uint64_t m_nHandedOver = 0;  // the first ones of them, handed over
    std::size_t m_nFirstHeld = 0;     // where the first record not handed over is held
    std::vector<CRecordDelta> m_deltas;
    CCursorMap m_deltaIndex; // serial to position in m_deltas
};
