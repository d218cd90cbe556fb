#include "CSqlGroupBuilder.h"

#include "CEventNames.h"
#include "CSqlReader.h"
#include "CStatementRecord.h"
#include "IdleEvents.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

// What groups a statement: its SQL id (as the record holds it: a number, or a text kept
// apart), else its hash value, else its SQL text. An id is held one way only, so equal ids
// have equal keys.
struct CGroupKey {
    int kind = 0; // 0 SQL id as a number, 1 hash value, 2 SQL text, 3 SQL id as a text
    std::string_view text;
    std::uint64_t number = 0;
    std::uint8_t lead = 0; // of a SQL id held as a number

    bool operator==(const CGroupKey&) const = default;

    std::uint64_t Hash() const {
        const std::uint64_t h = kind == 0 || kind == 1
                                    ? (number ^ std::uint64_t{lead} << 59) * 0x9E3779B97F4A7C15ULL
                                    : std::hash<std::string_view>()(text);
        return h ^ (static_cast<std::uint64_t>(kind) << 61);
    }
};

int KindOf(const CStatementRecord& record) {
    return record.SqlIdLead() != 0        ? 0
           : !record.SqlIdApart().empty() ? 3
           : record.HashValue() != 0      ? 1
                                          : 2;
}

// The SQL text of a key of kind 2 is read with `sqls`, valid until its next read.
CGroupKey KeyOf(const CStatementRecord& record, CSqlReader& sqls) {
    switch (KindOf(record)) {
    case 0:
        return {0, {}, record.SqlIdRest(), record.SqlIdLead()};
    case 1:
        return {1, {}, static_cast<std::uint64_t>(record.HashValue()), 0};
    case 3:
        return {3, record.SqlIdApart(), 0, 0};
    default:
        return {2, sqls.Sql(record), 0, 0};
    }
}

void AddWait(std::vector<CWaitFigures>& sums, const CWaitFigures& wait) {
    const auto known = std::find_if(
        sums.begin(), sums.end(), [&](const CWaitFigures& sum) { return sum.event == wait.event; });
    if (known == sums.end()) {
        sums.push_back(wait);
        return;
    }
    known->count = SaturatingAdd(known->count, wait.count);
    known->max = std::max(known->max, wait.max);
    known->total = SaturatingAdd(known->total, wait.total);
}

void AddDetail(CSqlGroupDetail& detail, const CStatementRecord& record, bool excludeIdle) {
    detail.parse.Add(record.Parse());
    detail.exec.Add(record.Exec());
    detail.fetch.Add(record.Fetch());
    const CSelfCalls self = record.Self();
    detail.self.parse.Add(self.parse);
    detail.self.exec.Add(self.exec);
    detail.self.fetch.Add(self.fetch);
    for (const CWaitFigures& wait : record.Waits()) {
        if (!excludeIdle || !IsIdleEvent(CEventNames::Name(wait.event))) {
            AddWait(detail.waits, wait);
        }
    }
    CErrorCount::Add(detail.errors, record.Errors());
}

// What a statement's lines add to its group's row.
void AddFigures(CSqlGroupRow& group, const CCursorFigures& figures, bool excludeIdle) {
    ++group.statements;
    group.executions = SaturatingAdd(group.executions, figures.Exec().count);
    group.total.Add(figures.Total());
    group.self.Add(figures.SelfTotal());
    group.waitTime = SaturatingAdd(group.waitTime, figures.WaitTime(excludeIdle));
    for (const CErrorCount& error : figures.Errors()) {
        group.errorCount = SaturatingAdd(group.errorCount, error.count);
    }
}

} // namespace

// The group of each record, found in one table of hashes with open addressing. A slot holds
// its group's key, or for a key of text the text's hash, so a lookup touches one slot and no
// record: most of a lookup's time goes to bringing its slot in from memory. A text is compared
// only when its hash is the same.
class CSqlGroupBuilder::CGroupIndex {
public:
    // A group of a key in another builder's share.
    static constexpr std::size_t kOtherShare = ~std::size_t{0};

    CGroupIndex(std::size_t records, const CRecordTexts& texts, std::size_t part, std::size_t parts)
        : m_slots(std::bit_ceil(std::max<std::size_t>(16, records))), m_sqls(texts), m_nPart(part),
          m_nParts(parts) {}

    // A record's key and hash, looked up later by GroupOf. Its first slot is brought toward
    // the processor's cache meanwhile, so that several lookups wait on memory at once. A key of
    // SQL text is read only when it is looked up, as the text read is valid until the next.
    struct CLookup {
        CGroupKey key;
        std::uint64_t hash = 0;
        bool later = false;
        bool ours = false;
    };

    CLookup Prepare(const CStatementRecord& record) const {
        if (KindOf(record) == 2) {
            return {{}, 0, true};
        }
        CLookup lookup{KeyOf(record, m_sqls), 0, false};
        lookup.hash = lookup.key.Hash();
        lookup.ours = IsOurs(lookup.hash);
        if (lookup.ours) {
            __builtin_prefetch(&m_slots[SlotOf(lookup.hash)]);
            record.PrefetchParts();
        }
        return lookup;
    }

    std::size_t GroupOf(const CStatementRecord& record, CLookup lookup) {
        if (lookup.later) {
            lookup.key = KeyOf(record, m_sqls);
            lookup.hash = lookup.key.Hash();
            lookup.ours = IsOurs(lookup.hash);
        }
        if (!lookup.ours) {
            return kOtherShare;
        }
        const CGroupKey& key = lookup.key;
        const std::uint64_t hash = lookup.hash;
        const CSlot wanted = SlotFor(key, hash);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = SlotOf(hash);; i = (i + 1) & mask) {
            CSlot& slot = m_slots[i];
            if (slot.group == 0) {
                return AddGroup(slot, wanted, key);
            }
            if (slot.number == wanted.number && slot.kind == wanted.kind &&
                slot.lead == wanted.lead &&
                (!IsText(key.kind) || m_texts.at(slot.group - 1) == key.text)) {
                return slot.group - 1;
            }
        }
    }

private:
    struct CSlot {
        std::uint64_t number = 0; // the key's number, or its text's hash
        std::uint32_t group = 0;  // 1 + the group's position; 0 for a free slot
        std::uint8_t kind = 0;
        std::uint8_t lead = 0;
    };

    // The low half of the hash, which the first slot leaves alone, chooses the share: scaled
    // to the number of shares by a multiplication, as a division would take longer than the
    // rest of a lookup.
    bool IsOurs(std::uint64_t hash) const {
        return m_nParts == 1 || ((hash & 0xFFFFFFFFULL) * m_nParts) >> 32 == m_nPart;
    }

    static bool IsText(int kind) { return kind == 2 || kind == 3; }

    static CSlot SlotFor(const CGroupKey& key, std::uint64_t hash) {
        return {IsText(key.kind) ? hash : key.number, 0, static_cast<std::uint8_t>(key.kind),
                key.lead};
    }

    // The hash of a slot's key, made again from the slot.
    static std::uint64_t HashOf(const CSlot& slot) {
        return IsText(slot.kind) ? slot.number
                                 : CGroupKey{slot.kind, {}, slot.number, slot.lead}.Hash();
    }

    // The high bits of a hash, which every bit of the key moves, choose its first slot.
    std::size_t SlotOf(std::uint64_t hash) const {
        return static_cast<std::size_t>(hash >> (64 - std::bit_width(m_slots.size() - 1)));
    }

    std::size_t AddGroup(CSlot& slot, CSlot wanted, const CGroupKey& key) {
        if (m_nGroups >= std::numeric_limits<std::uint32_t>::max() - 1) {
            throw std::length_error("too many SQL groups");
        }
        wanted.group = static_cast<std::uint32_t>(++m_nGroups);
        slot = wanted;
        if (IsText(key.kind)) {
            m_texts.emplace(m_nGroups - 1, key.text);
        }
        if (2 * m_nGroups > m_slots.size()) {
            Grow();
        }
        return m_nGroups - 1;
    }

    // Keeps at least half the slots free, so that a search ends soon.
    void Grow() {
        std::vector<CSlot> old = std::exchange(m_slots, std::vector<CSlot>(2 * m_slots.size()));
        const std::size_t mask = m_slots.size() - 1;
        for (const CSlot& slot : old) {
            if (slot.group == 0) {
                continue;
            }
            std::size_t i = SlotOf(HashOf(slot));
            while (m_slots[i].group != 0) {
                i = (i + 1) & mask;
            }
            m_slots[i] = slot;
        }
    }

    std::vector<CSlot> m_slots;
    std::size_t m_nGroups = 0;
    // The key of each group keyed by a text: a copy, as the text read is not kept.
    std::unordered_map<std::size_t, std::string> m_texts;
    mutable CSqlReader m_sqls;
    std::size_t m_nPart;
    std::size_t m_nParts;
};

CSqlGroupBuilder::CSqlGroupBuilder(std::size_t records, bool excludeIdle, bool detailed,
                                   const CRecordTexts& texts, std::size_t part, std::size_t parts)
    : m_index(std::make_unique<CGroupIndex>(records, texts, part, std::max<std::size_t>(1, parts))),
      m_bExcludeIdle(excludeIdle), m_bDetailed(detailed) {
    m_rows.reserve(records);
    m_times.reserve(records);
}

CSqlGroupBuilder::~CSqlGroupBuilder() = default;

// A group's row is made when its first statement comes.
void CSqlGroupBuilder::Add(const CStatementRecord& record) {
    AddToGroup(record, m_index->GroupOf(record, m_index->Prepare(record)));
}

// Each record's lookup is prepared a few records before it is made.
void CSqlGroupBuilder::Add(const std::vector<CStatementRecord>& records) {
    constexpr std::size_t kAhead = 8;
    std::array<CGroupIndex::CLookup, kAhead> ahead;
    for (std::size_t i = 0; i < records.size() + kAhead; ++i) {
        if (i >= kAhead) {
            const CStatementRecord& record = records[i - kAhead];
            AddToGroup(record, m_index->GroupOf(record, ahead[i % kAhead]));
        }
        if (i < records.size()) {
            ahead[i % kAhead] = m_index->Prepare(records[i]);
        }
    }
}

void CSqlGroupBuilder::AddToGroup(const CStatementRecord& record, std::size_t group) {
    const std::size_t seen = m_nSeen++;
    if (group == CGroupIndex::kOtherShare) {
        return;
    }
    if (group == m_rows.size()) {
        m_firstSeen.push_back(seen);
        CSqlGroupRow& row = m_rows.emplace_back();
        row.sqlId = record.SqlId();
        row.hashValue = record.HashValue();
        row.firstSerial = record.m_nSerial;
        m_times.emplace_back();
        if (m_bDetailed) {
            m_details.emplace_back();
        }
    }
    AddFigures(m_rows[group], record, m_bExcludeIdle);
    record.m_executions.AddTo(m_times[group]);
    if (m_bDetailed) {
        AddDetail(m_details[group], record, m_bExcludeIdle);
    }
}

// Also orders the groups and lets go of what only adding needed, so that a builder of each
// share does this on its own thread.
void CSqlGroupBuilder::Complete() {
    for (std::size_t group = 0; group < m_rows.size(); ++group) {
        m_rows[group].executionTimes = m_times[group].Summary();
        if (m_bDetailed) {
            CSqlGroupDetail& detail = m_details[group];
            std::stable_sort(
                detail.waits.begin(), detail.waits.end(),
                [](const CWaitFigures& a, const CWaitFigures& b) { return a.total > b.total; });
            m_rows[group].detail = std::make_shared<const CSqlGroupDetail>(std::move(detail));
        }
    }
    m_times = {};
    m_details = {};
    m_index.reset();
    m_order = OrderBySelfElapsed();
}

// The groups by self elapsed time, largest first; ties in the order the groups first came,
// which is the order of their rows. Each group comes with the key it was ordered by.
std::vector<std::pair<std::int64_t, std::size_t>> CSqlGroupBuilder::OrderBySelfElapsed() const {
    std::vector<std::pair<std::int64_t, std::size_t>> keyed;
    keyed.reserve(m_rows.size());
    for (std::size_t group = 0; group < m_rows.size(); ++group) {
        keyed.emplace_back(~m_rows[group].self.elapsed, group);
    }
    std::sort(keyed.begin(), keyed.end());
    return keyed;
}

CSqlGroupTable CSqlGroupBuilder::Finish() {
    Complete();
    std::vector<std::size_t> order;
    order.reserve(m_order.size());
    for (const auto& [key, group] : m_order) {
        order.push_back(group);
    }
    return CSqlGroupTable(std::move(m_rows), {}, std::move(order));
}

// The two shares' orders merged into one, as the order of one builder given every statement.
// The rows stay where each share made them.
CSqlGroupTable CSqlGroupBuilder::Merge(CSqlGroupBuilder& first, CSqlGroupBuilder& second) {
    const auto& a = first.m_order;
    const auto& b = second.m_order;
    std::vector<std::size_t> order;
    order.reserve(a.size() + b.size());
    for (std::size_t i = 0, j = 0; i < a.size() || j < b.size();) {
        const bool fromFirst =
            j == b.size() ||
            (i < a.size() && (a[i].first != b[j].first ? a[i].first < b[j].first
                                                       : first.m_firstSeen[a[i].second] <
                                                             second.m_firstSeen[b[j].second]));
        order.push_back(fromFirst ? a[i++].second : first.m_rows.size() + b[j++].second);
    }
    return CSqlGroupTable(std::move(first.m_rows), std::move(second.m_rows), std::move(order));
}
