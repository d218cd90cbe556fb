#include "CCursorFigures.h"
#include "CExecutionHistogram.h"
#include "CExecutionTimes.h"
#include "CRecursiveCalls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

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

// `limit` or a value within 2 of it.
std::int64_t Near(std::mt19937_64& random, std::int64_t limit) {
    return limit - 2 + static_cast<std::int64_t>(random() % 5);
}

// Ids mostly numbered from 1 as servers write them, some of any 64-bit value; texts mostly
// short and within the first GiB. Every field comes now and then at the edge of what a
// packed row holds.
CPlanRow PlanRow(std::mt19937_64& random) {
    const bool hostile = random() % 8 == 0;
    CPlanRow row;
    const std::int64_t hostileId = random() % 3 == 0   ? Figure(random)
                                   : random() % 2 == 0 ? Near(random, 1 << 14)
                                                       : std::numeric_limits<std::int16_t>::min();
    row.id = hostile ? hostileId : static_cast<std::int64_t>(random() % 6 + 1);
    row.parentId = random() % 8 == 0   ? Figure(random)
                   : random() % 8 == 0 ? SaturatingSubtract(row.id, Near(random, 255))
                                       : SaturatingSubtract(row.id, 1);
    row.rows = random() % 8 == 0   ? Figure(random)
               : random() % 8 == 0 ? Near(random, 1 << 24)
                                   : static_cast<std::int64_t>(random() % 1000);
    row.textOffset = random() % 8 == 0   ? random()
                     : random() % 8 == 0 ? static_cast<std::uint64_t>(Near(random, 1LL << 38))
                                         : random() % (std::uint64_t{1} << 30);
    row.textLength = static_cast<std::uint32_t>(random() % 8 == 0   ? random()
                                                : random() % 8 == 0 ? Near(random, 4096)
                                                                    : random() % 200);
    return row;
}

// What the figures must hold: every sum as 64-bit saturating sums give it, the first plan row
// of an id (from a row of an id already there on, every row is one of a later dump), the waits
// by event in the order they first came.
struct CReference {
    std::array<CCallFigures, 3> calls;
    std::vector<CPlanRow> plan;
    std::vector<CPlanRow> laterRows;
    std::vector<CWaitFigures> waits;

    void AddCall(ECallKind kind, const CCallFigures& call) {
        calls[static_cast<std::size_t>(kind)].Add(call);
    }
    void AddPlanRow(const CPlanRow& row) {
        if (laterRows.empty() && std::none_of(plan.begin(), plan.end(), [&](const CPlanRow& known) {
                return known.id == row.id;
            })) {
            plan.push_back(row);
        } else {
            laterRows.push_back(row);
        }
    }
    void AddWaits(const CWaitFigures& more) {
        const auto known = std::find_if(waits.begin(), waits.end(), [&](const CWaitFigures& w) {
            return w.event == more.event;
        });
        if (known == waits.end()) {
            waits.push_back(more);
            return;
        }
        known->count = SaturatingAdd(known->count, more.count);
        known->max = std::max(known->max, more.max);
        known->total = SaturatingAdd(known->total, more.total);
    }
    void Absorb(const CReference& later) {
        for (std::size_t kind = 0; kind < calls.size(); ++kind) {
            calls[kind].Add(later.calls[kind]);
        }
        for (const std::vector<CPlanRow>* rows : {&later.plan, &later.laterRows}) {
            for (const CPlanRow& row : *rows) {
                AddPlanRow(row);
            }
        }
        for (const CWaitFigures& more : later.waits) {
            AddWaits(more);
        }
    }
    bool operator==(const CReference&) const = default;
};

// One line of a cursor, to the figures and to their reference alike.
void AddLine(std::mt19937_64& random, CCursorFigures& figures, CReference& reference) {
    switch (random() % 3) {
    case 0: {
        const auto kind = static_cast<ECallKind>(random() % 3);
        const CCallFigures call = Call(random, kind);
        figures.AddCall(kind, call);
        reference.AddCall(kind, call);
        break;
    }
    case 1: {
        const CPlanRow row = PlanRow(random);
        figures.AddPlanRow(row);
        reference.AddPlanRow(row);
        break;
    }
    default: {
        const auto event = static_cast<std::uint32_t>(random() % 16 == 0 ? UINT32_MAX - random() % 2
                                                      : random() % 16 == 0 ? 4093 + random() % 4
                                                                           : random() % 4);
        const std::int64_t elapsed = random() % 4 == 0 ? Figure(random) : random() % 5000;
        figures.AddWait(event, elapsed);
        reference.AddWaits(CWaitFigures{event, 1, elapsed, elapsed});
        break;
    }
    }
}

// The times of executions as 64-bit times give them.
struct CReferenceTimes {
    enum class EPhase { Start, Running, Idle };
    CExecutionHistogram closed;
    std::int64_t lead = 0;
    std::int64_t open = 0;
    EPhase phase = EPhase::Start;

    void Fetch(std::int64_t elapsed) {
        std::int64_t& sum = phase == EPhase::Start ? lead : open;
        sum = phase == EPhase::Idle ? sum : SaturatingAdd(sum, elapsed);
    }
    void Close(EPhase next) {
        if (phase == EPhase::Running) {
            closed.Add(open);
            open = 0;
        }
        phase = next;
    }
    void Absorb(const CReferenceTimes& later) {
        Fetch(later.lead);
        if (later.phase != EPhase::Start) {
            Close(later.phase);
            open = later.open;
        }
        closed.Merge(later.closed);
    }
    CExecutionHistogram All() const {
        CExecutionHistogram all = closed;
        if (phase == EPhase::Running) {
            all.Add(open);
        }
        return all;
    }
    bool operator==(const CReferenceTimes&) const = default;
};

// An elapsed time: mostly a few close ones, as most statements' executions are, some hostile.
std::int64_t Elapsed(std::mt19937_64& random) {
    return random() % 4 == 0 ? Figure(random) : 1000 + static_cast<std::int64_t>(random() % 40);
}

// A statement as call trees name it: any kind a packed tree may hold, with values mostly
// small, some at and beyond the 32-bit edge and some the largest 64-bit numbers.
CStatementRef Statement(std::mt19937_64& random) {
    constexpr std::uint64_t kWordMax = std::numeric_limits<std::uint32_t>::max();
    const auto kind = static_cast<CStatementRef::EKind>(random() % 5);
    switch (random() % 6) {
    case 0:
        return {kind, kWordMax - 1 + random() % 3};
    case 1:
        return {kind, std::numeric_limits<std::uint64_t>::max() - random() % 2};
    case 2:
        return {kind, random()};
    default:
        return {kind, random() % 20};
    }
}

// Up to `count` nodes, each with its subtree, joined as a reader joins them.
std::vector<CCallTreeNode> Nodes(std::mt19937_64& random, std::size_t count, int depth) {
    std::vector<CCallTreeNode> nodes;
    for (std::size_t i = 0; i < count; ++i) {
        CCallTreeNode node{Statement(random),
                           {Figure(random), Figure(random), Figure(random), Figure(random)},
                           {}};
        if (depth > 0) {
            node.children = Nodes(random, random() % 4, depth - 1);
        }
        CCallTreeNode::Add(nodes, std::move(node));
    }
    return nodes;
}

void AddTimesLine(std::mt19937_64& random, CExecutionTimes& times, CReferenceTimes& reference) {
    const std::uint64_t line = random() % 8;
    const std::int64_t elapsed = Elapsed(random);
    if (line == 0) {
        times.Parse();
        reference.Close(CReferenceTimes::EPhase::Idle);
    } else if (line < 3) {
        times.Execute(elapsed);
        reference.Close(CReferenceTimes::EPhase::Running);
        reference.open = elapsed;
    } else {
        times.Fetch(elapsed);
        reference.Fetch(elapsed);
    }
}

void ExpectHolds(const CExecutionTimes& times, const CReferenceTimes& reference,
                 const CExecutionHistogram& before) {
    CExecutionHistogram all = before;
    times.AddTo(all);
    CExecutionHistogram expected = before;
    expected.Merge(reference.All());
    EXPECT_TRUE(all == expected);
    EXPECT_EQ(all.Summary(), expected.Summary());
    for (const int percent : {0, 1, 10, 50, 90, 99, 100}) {
        EXPECT_EQ(all.Percentile(percent), expected.Percentile(percent));
    }
}

void ExpectHolds(const CCursorFigures& figures, const CReference& reference) {
    for (const ECallKind kind : {ECallKind::Parse, ECallKind::Exec, ECallKind::Fetch}) {
        EXPECT_EQ(figures.CallsOf(kind), reference.calls[static_cast<std::size_t>(kind)]);
    }
    EXPECT_EQ(figures.Plan(), reference.plan);
    EXPECT_EQ(figures.LaterPlanRows(), reference.laterRows);
    ASSERT_EQ(figures.PlanRowCount(), reference.plan.size());
    for (std::size_t i = 0; i < reference.plan.size(); ++i) {
        EXPECT_EQ(figures.PlanRow(i), reference.plan[i]);
    }
    EXPECT_EQ(figures.Waits(), reference.waits);
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
        const int lines = static_cast<int>(random() % 30);
        const int cut = static_cast<int>(random() % static_cast<unsigned>(lines + 1));
        for (int line = 0; line < lines; ++line) {
            const std::mt19937_64 start = random;
            AddLine(random, wholeFigures, whole);
            random = start;
            AddLine(random, line < cut ? headFigures : tailFigures, line < cut ? head : tail);
        }
        ExpectHolds(wholeFigures, whole);
        head.Absorb(tail);
        headFigures.Absorb(tailFigures);
        ExpectHolds(headFigures, head);
        EXPECT_EQ(headFigures == wholeFigures, head == whole);
        CCursorFigures copy = wholeFigures;
        EXPECT_TRUE(copy == wholeFigures);

        std::vector<std::string> operations;
        for (std::size_t i = 0; i < whole.plan.size() + whole.laterRows.size(); ++i) {
            operations.emplace_back(random() % 4, 'x');
        }
        copy.CopyPlanTexts(operations);
        std::uint64_t offset = 0;
        for (std::size_t i = 0; i < operations.size(); ++i) {
            CPlanRow& row =
                i < whole.plan.size() ? whole.plan[i] : whole.laterRows[i - whole.plan.size()];
            row.textOffset = offset;
            row.textLength = static_cast<std::uint32_t>(operations[i].size());
            offset += operations[i].size();
        }
        ExpectHolds(copy, whole);
    }
}

// A resolved call tree is packed and every node must come back exactly, whatever its values
// and however many children it has; adding to a packed tree must give what adding to the
// full nodes gives, saturated sums included.
TEST(CursorFigures, PackedCallTreesKeepEveryNodeExactly) {
    CCallTreeResolution keep;
    keep.statement = [](const CStatementRef& ref) { return ref; };
    keep.carried = [](std::size_t) { return nullptr; };
    keep.carriedSelf = [](std::size_t) { return CSelfFigures{}; };
    std::mt19937_64 random(7);
    for (int round = 0; round < 1000; ++round) {
        std::vector<CCallTreeNode> full = Nodes(random, random() % 6, 3);
        if (round % 50 == 0) {
            full = Nodes(random, 300, 0); // many nodes at one level
        }
        CCallTree tree;
        tree.Add(std::vector<CCallTreeNode>(full));
        const CCallTree unresolved = tree;
        tree.Resolve(keep);
        ASSERT_EQ(tree.Nodes(), full);
        EXPECT_EQ(tree.IsEmpty(), full.empty());
        EXPECT_TRUE(tree == unresolved);

        std::vector<CCallTreeNode> more = Nodes(random, random() % 4, 2);
        CCallTreeNode::Add(full, std::vector<CCallTreeNode>(more));
        tree.Add(std::move(more));
        ASSERT_EQ(tree.Nodes(), full);
        const CCallTree copy = tree;
        EXPECT_EQ(copy.Nodes(), full);
    }
}

// A reader packs its call trees as it made them and resolves them later, in their words where
// they can hold the result: the trees must equal those resolved in full, when references land
// out of order, on the same statement (whose nodes join) or beyond 32 bits.
TEST(CursorFigures, CallTreesResolvedPackedEqualThoseResolvedInFull) {
    CCallTreeResolution map;
    map.statement = [](const CStatementRef& ref) {
        const std::uint64_t h =
            (ref.value + static_cast<std::uint64_t>(ref.kind)) * 0x9E3779B97F4A7C15ULL;
        return CStatementRef{static_cast<CStatementRef::EKind>((h >> 40) % 3),
                             (h >> 20) % 8 == 0 ? h : (h >> 8) % 40};
    };
    map.carried = [](std::size_t) { return nullptr; };
    map.carriedSelf = [](std::size_t) { return CSelfFigures{}; };
    std::mt19937_64 random(11);
    for (int round = 0; round < 2000; ++round) {
        CCallTree inFull;
        inFull.Add(Nodes(random, random() % 6, 3));
        CCallTree packed = inFull;
        packed.Pack();
        inFull.Resolve(map);
        packed.Resolve(map);
        ASSERT_EQ(packed.Nodes(), inFull.Nodes());
    }
}

// Figures that left the packed range and came back compare equal to figures that never did.
// A random cursor never waits often enough to reach the packed count's limit; this one passes
// it, with an event at the limit of packed ids beside it.
TEST(CursorFigures, WaitsCountedPastThePackedLimitStayExact) {
    constexpr std::int64_t kLimit = 1 << 20;
    CCursorFigures figures;
    figures.AddWait(4094, -3);
    for (std::int64_t i = 1; i <= kLimit + 1; ++i) {
        figures.AddWait(7, i % 3);
        if (i == kLimit - 1 || i == kLimit + 1) {
            const std::int64_t total = i / 3 * 3 + (i % 3 == 1 ? 1 : i % 3 == 2 ? 3 : 0);
            EXPECT_EQ(figures.Waits(),
                      (std::vector<CWaitFigures>{{4094, 1, -3, -3}, {7, i, 2, total}}))
                << i;
        }
    }
}

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

// Times are kept packed while they fit and in full when they do not; whichever way, each
// result must be the one of 64-bit times, for lines read at once and for lines read in two
// parts then joined, added to an empty histogram or to one with times, and times compare by
// their values.
TEST(CursorFigures, PackedExecutionTimesGiveExactlyTheFullResults) {
    std::mt19937_64 random(7);
    for (int round = 0; round < 4000; ++round) {
        CReferenceTimes whole;
        CReferenceTimes head;
        CReferenceTimes tail;
        CExecutionTimes wholeTimes;
        CExecutionTimes headTimes;
        CExecutionTimes tailTimes;
        const int lines = static_cast<int>(random() % 12);
        const int cut = static_cast<int>(random() % static_cast<unsigned>(lines + 1));
        for (int line = 0; line < lines; ++line) {
            const std::mt19937_64 start = random;
            AddTimesLine(random, wholeTimes, whole);
            random = start;
            AddTimesLine(random, line < cut ? headTimes : tailTimes, line < cut ? head : tail);
        }
        CExecutionHistogram before;
        for (int i = static_cast<int>(random() % 3); i > 0; --i) {
            before.Add(Elapsed(random));
        }
        ExpectHolds(wholeTimes, whole, {});
        ExpectHolds(wholeTimes, whole, before);
        head.Absorb(tail);
        headTimes.Absorb(tailTimes);
        ExpectHolds(headTimes, head, before);
        EXPECT_EQ(headTimes == wholeTimes, head == whole);
        CCursorFigures figures;
        figures.m_executions = headTimes;
        EXPECT_TRUE(CCursorFigures(figures) == figures);
    }
}

// Recursive-call figures are kept packed while they fit and in full when they do not; whichever
// way, each must be the 64-bit saturating sum, for figures added at once and in two parts then
// joined, and they compare by their values.
TEST(CursorFigures, PackedRecursiveCallsSumExactlyAsFullOnes) {
    using CFull = std::array<CSelfFigures, 3>;
    const auto expectHolds = [](const CRecursiveCalls& calls, const CFull& reference) {
        for (const ECallKind kind : {ECallKind::Parse, ECallKind::Exec, ECallKind::Fetch}) {
            EXPECT_EQ(calls.Of(kind), reference[static_cast<std::size_t>(kind)]);
        }
    };
    std::mt19937_64 random(11);
    for (int round = 0; round < 4000; ++round) {
        CFull whole{};
        CFull head{};
        CFull tail{};
        CRecursiveCalls wholeCalls;
        CRecursiveCalls headCalls;
        CRecursiveCalls tailCalls;
        const int adds = static_cast<int>(random() % 8);
        for (int add = 0; add < adds; ++add) {
            const auto kind = static_cast<ECallKind>(random() % 3);
            const CSelfFigures figures = CSelfFigures::Of(Call(random, kind));
            const bool first = random() % 2 == 0;
            wholeCalls.Add(kind, figures);
            whole[static_cast<std::size_t>(kind)].Add(figures);
            (first ? headCalls : tailCalls).Add(kind, figures);
            (first ? head : tail)[static_cast<std::size_t>(kind)].Add(figures);
        }
        expectHolds(wholeCalls, whole);
        headCalls.Add(tailCalls);
        for (std::size_t kind = 0; kind < head.size(); ++kind) {
            head[kind].Add(tail[kind]);
        }
        expectHolds(headCalls, head);
        EXPECT_EQ(headCalls == wholeCalls, head == whole);
        EXPECT_EQ(wholeCalls == CRecursiveCalls{}, whole == CFull{});
        const CRecursiveCalls copy = headCalls;
        EXPECT_TRUE(copy == headCalls);
    }
}
