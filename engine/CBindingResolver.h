#pragma once

#include "CCursorMap.h"
#include "CCursorTracker.h"
#include "CRecordChunks.h"
#include "CRecordDelta.h"

#include <cstdint>
#include <functional>
#include <vector>

// Joins the pieces of one file, read by trackers of their own, in file order: a piece's
// leading lines go to the records their cursor numbers were bound to by the pieces before
// it, the self figures of its first call at each depth lose the deeper calls written before
// the piece, and its bindings replace the earlier ones. The work is proportional to the
// cursors and depths a piece holds, not to its bytes. The file's records gather in a read's
// records; once they are handed over, what later pieces add to them becomes deltas.
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

private:
    CCursorFigures* SinkOf(std::uint64_t cursor);
    CCursorFigures* SinkOf(const CCursorTracker::COwner& owner, std::uint64_t base);
    CCursorFigures* RecordAt(std::uint64_t index);
    void CorrectFirstCalls(const CCursorTracker& piece, std::uint64_t base);

    // Cursor number to the index of its record among the file's records, or kHidden.
    static constexpr std::uint64_t kHidden = ~std::uint64_t{0};
    CRecordChunks& m_records;
    CCursorMap m_bindings;
    std::vector<CSelfFigures> m_carry; // per depth, as the tracker's pending figures
    CCursorFigures m_unattributed;
    std::uint64_t m_nFirstSerial = 0; // the serial of the file's first record
    std::uint64_t m_nFileRecords = 0; // the file's records so far
    std::uint64_t m_nHandedOver = 0;  // the first ones of them, handed over
    std::size_t m_nFirstHeld = 0;     // where the first record not handed over is held
    std::vector<CRecordDelta> m_deltas;
    CCursorMap m_deltaIndex; // serial to position in m_deltas
};
