#pragma once

#include "CCallFigures.h"
#include "CSelfFigures.h"
#include "CSparse.h"
#include "CallFigureFields.h"

#include <array>
#include <cstddef>
#include <cstdint>

// The figures of the recursive calls a statement's calls made, per call kind: what the
// figures as written hold beyond the statement's own work. Most statements make none, and
// then nothing is stored. The sums of almost all the others fit in 32 bits and are kept so,
// in little more than half the room; those of the rare statement whose figures do not fit are
// kept in full apart.
class CRecursiveCalls {
public:
    void Add(ECallKind kind, const CSelfFigures& figures);
    void Add(const CRecursiveCalls& other);
    CSelfFigures Of(ECallKind kind) const;
    // Whether the figures are kept in 32 bits; PackedTotal adds up those of the three kinds.
    bool IsPacked() const { return !m_figures.Get().bWide; }
    CSelfFigures PackedTotal() const;
    // Asks the processor for the figures kept apart ahead of a read of them.
    void Prefetch() const { m_figures.Prefetch(); }

    // Equal when the figures are, however they are stored.
    bool operator==(const CRecursiveCalls& other) const;

private:
    static constexpr std::size_t kFields = 5; // the time and buffer figures of one call kind

    // Visits the time and buffer figures, each with its place in a kind's values.
    template <class FVisit> static void ForEachPlace(FVisit&& visit) {
        std::size_t place = 0;
        ForEachWorkFigure([&](auto figure) { visit(place++, figure); });
    }

    struct CFigures {
        std::array<std::int32_t, 3 * kFields> packed{}; // one run per call kind, unless bWide
        bool bWide = false;
        CSparse<std::array<CSelfFigures, 3>> wide; // one per call kind, when bWide
    };

    bool AddPacked(std::size_t kind, const CSelfFigures& figures);
    void Widen();

    CSparse<CFigures> m_figures;
};
