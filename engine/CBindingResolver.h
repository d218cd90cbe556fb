#pragma once

#include "CCursorTracker.h"
#include "CRecordChunks.h"

#include <cstdint>
#include <functional>
#include <vector>

// Joins the pieces of one file, read by trackers of their own, in file order: a piece's
// leading lines go to the records their cursor numbers were bound to by the pieces before
// it, the self figures of its first call at each depth lose the deeper calls written before
// the piece, and its bindings replace the earlier ones. The work is proportional to the
// cursors and depths a piece holds, not to its bytes.
class CBindingResolver {
public:
    // Appends the piece's records to `records`, each with the next serial.
    void Add(CCursorTracker& piece, CRecordChunks& records,
             const std::function<std::uint64_t()>& nextSerial);

    // The figures of cursors bound to no statement of the file (tracing started while they
    // were open).
    const CCursorFigures& Unattributed() const { return m_unattributed; }

private:
    CCursorFigures* SinkOf(std::uint64_t cursor, CRecordChunks& records);
    CCursorFigures* SinkOf(const CCursorTracker::COwner& owner, std::size_t base,
                           CRecordChunks& records);
    void CorrectFirstCalls(const CCursorTracker& piece, std::size_t base, CRecordChunks& records);

    // Cursor number to the position of its record in the records, or kHidden.
    static constexpr std::uint64_t kHidden = ~std::uint64_t{0};
    CCursorMap m_bindings;
    std::vector<CSelfFigures> m_carry; // per depth, as the tracker's pending figures
    CCursorFigures m_unattributed;
};
