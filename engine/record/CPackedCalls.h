#pragma once

#include "CCallFigures.h"

#include <array>
#include <cstddef>
#include <cstdint>

// The figures of a statement's parse, execute and fetch calls in 32 bits each: the sums of
// almost every statement fit there, in little more than a third of the room of 64-bit sums.
// Parse has no room for rows and fetch none for misses. A call with a figure or a sum beyond
// 32 bits, or with parse rows or fetch misses, does not fit: its holder keeps all the figures
// in 64 bits instead.
class CPackedCalls {
public:
    CCallFigures Of(ECallKind kind) const {
        switch (kind) {
        case ECallKind::Parse:
            return OfKind<ECallKind::Parse>();
        case ECallKind::Exec:
            return OfKind<ECallKind::Exec>();
        default:
            return OfKind<ECallKind::Fetch>();
        }
    }
    // The three call kinds added up, with the rows of execute and fetch and no misses. Sums of
    // three 32-bit values cannot reach the ends of the 64-bit range, so none saturates.
    CCallFigures Total() const {
        CCallFigures total;
        const auto add = [&](std::size_t place, auto figure) {
            if constexpr (!kIsFigure<decltype(figure), kMissesFigure>) {
                figure(total) += m_values[place];
            }
        };
        ForEachKept<ECallKind::Parse>(add);
        ForEachKept<ECallKind::Exec>(add);
        ForEachKept<ECallKind::Fetch>(add);
        return total;
    }
    // Adds `call` to the figures of `kind` and answers true when it fits; otherwise changes
    // nothing and answers false.
    bool Add(ECallKind kind, const CCallFigures& call);

    bool operator==(const CPackedCalls&) const = default;

private:
    // Where the figures of each kind begin in the values: those of parse, after them the
    // eight of execute, then the seven of fetch.
    template <ECallKind kKind>
    static constexpr std::size_t kFirst = kKind == ECallKind::Parse  ? 0
                                          : kKind == ECallKind::Exec ? 7
                                                                     : 15;
    // Whether the values keep a figure of TFigure's kind for kKind: parse keeps no rows and
    // fetch no misses.
    template <ECallKind kKind, class TFigure>
    static constexpr bool kKept =
        !(kKind == ECallKind::Parse && kIsFigure<TFigure, kRowsFigure>)&&!(
            kKind == ECallKind::Fetch && kIsFigure<TFigure, kMissesFigure>);

    // Visits the figures the values keep of kKind, each with its place in the values.
    template <ECallKind kKind, class FVisit> static void ForEachKept(FVisit&& visit) {
        std::size_t place = kFirst<kKind>;
        ForEachCallFigure([&](auto figure) {
            if constexpr (kKept<kKind, decltype(figure)>) {
                visit(place++, figure);
            }
        });
    }

    template <ECallKind kKind> CCallFigures OfKind() const {
        CCallFigures figures;
        ForEachKept<kKind>(
            [&](std::size_t place, auto figure) { figure(figures) = m_values[place]; });
        return figures;
    }
    template <ECallKind kKind> bool AddKind(const CCallFigures& call);

    std::array<std::int32_t, 22> m_values{};
};
