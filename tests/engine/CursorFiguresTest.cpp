#include "CCursorFigures.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <random>

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// A figure as traces and hostile files give them: mostly small, some at the ends of the
// 32-bit range and some of 19 digits, of either sign.
std::int64_t Figure(std::mt19937_64& random) {
    switch (random() % 8) {
    case 0:
        return kInt32Max - static_cast<std::int64_t>(random() % 3);
    case 1:
        return -kInt32Max + 1 - static_cast<std::int64_t>(random() % 3);
    case 2:
        return static_cast<std::int64_t>(random());
    case 3:
        return random() % 2 ? kMax : kMin;
    case 4:
        return -static_cast<std::int64_t>(random() % 1000);
    default:
        return static_cast<std::int64_t>(random() % 100000);
    }
}

// Parse rows and fetch misses, which servers do not write, come rarely.
CCallFigures Call(std::mt19937_64& random, ECallKind kind) {
    CCallFigures call;
    for (std::int64_t* figure : {&call.count, &call.cpu, &call.elapsed, &call.disk, &call.query,
                                 &call.current, &call.misses, &call.rows}) {
        *figure = random() % 8 == 0 ? Figure(random) : static_cast<std::int64_t>(random() % 50);
    }
    if (random() % 16 != 0) {
        (kind == ECallKind::Parse   ? call.rows
         : kind == ECallKind::Fetch ? call.misses
                                    : call.count) = 0;
    }
    return call;
}

// What the figures must hold: every sum as 64-bit saturating sums give it.
struct CReference {
    std::array<CCallFigures, 3> calls;

    void AddCall(ECallKind kind, const CCallFigures& call) {
        calls[static_cast<std::size_t>(kind)].Add(call);
    }
    void Absorb(const CReference& later) {
        for (std::size_t kind = 0; kind < calls.size(); ++kind) {
            calls[kind].Add(later.calls[kind]);
        }
    }
    bool operator==(const CReference&) const = default;
};

void ExpectHolds(const CCursorFigures& figures, const CReference& reference) {
    for (const ECallKind kind : {ECallKind::Parse, ECallKind::Exec, ECallKind::Fetch}) {
        EXPECT_EQ(figures.CallsOf(kind), reference.calls[static_cast<std::size_t>(kind)]);
    }
}

} // namespace

// The figures are stored packed while they fit and in full when they do not; whichever way,
// every sum must equal the 64-bit one, for lines read at once and for lines read in two parts
// then joined (which may differ where a sum saturated), and figures compare by their values.
TEST(CursorFigures, PackedFiguresSumExactlyAsFullOnes) {
    std::mt19937_64 random(42);
    for (int round = 0; round < 2000; ++round) {
        CReference whole;
        CReference head;
        CReference tail;
        CCursorFigures wholeFigures;
        CCursorFigures headFigures;
        CCursorFigures tailFigures;
        const int lines = static_cast<int>(random() % 12);
        const int cut = static_cast<int>(random() % static_cast<unsigned>(lines + 1));
        for (int line = 0; line < lines; ++line) {
            const auto kind = static_cast<ECallKind>(random() % 3);
            const CCallFigures call = Call(random, kind);
            whole.AddCall(kind, call);
            wholeFigures.AddCall(kind, call);
            (line < cut ? head : tail).AddCall(kind, call);
            (line < cut ? headFigures : tailFigures).AddCall(kind, call);
        }
        ExpectHolds(wholeFigures, whole);
        head.Absorb(tail);
        headFigures.Absorb(tailFigures);
        ExpectHolds(headFigures, head);
        EXPECT_EQ(headFigures == wholeFigures, head == whole);
        const CCursorFigures copy = wholeFigures;
        EXPECT_TRUE(copy == wholeFigures);
    }
}

// Figures that left the packed range and came back compare equal to figures that never did.
TEST(CursorFigures, FiguresCompareByValueHoweverStored) {
    CCursorFigures widened;
    widened.AddCall(ECallKind::Exec, {.cpu = kInt32Max});
    widened.AddCall(ECallKind::Exec, {.cpu = 1});
    widened.AddCall(ECallKind::Exec, {.cpu = -1});
    CCursorFigures packed;
    packed.AddCall(ECallKind::Exec, {.cpu = kInt32Max});
    EXPECT_TRUE(widened == packed);
    packed.AddCall(ECallKind::Parse, {.rows = 1});
    EXPECT_EQ(packed.Parse().rows, 1) << "a figure with no packed room is kept in full";
    EXPECT_FALSE(widened == packed);
}
