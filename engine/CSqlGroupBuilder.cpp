#include "CSqlGroupBuilder.h"

#include "CEventNames.h"
#include "CSqlReader.h"
#include "CStatementRecord.h"
#include "IdleEvents.h"

#include <algorithm>
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
    group.self.Add(figures.Self().Total());
    group.waitTime = SaturatingAdd(group.waitTime, figures.WaitTime(excludeIdle));
    for (const CErrorCount& error : figures.Errors()) {
        group.errorCount = SaturatingAdd(group.errorCount, error.count);
    }
}

} // namespace

// The group of each record, found in one table of hashes with open addressing: a lookup
// touches one slot, and the key is compared only when 32 bits of the hashes agree. Most of a
// lookup's time goes to bringing its slot in from memory, so a slot takes 8 bytes and the
// table stays small enough for more of it to be in the processor's caches.
class CSqlGroupBuilder::CGroupIndex {
public:
    // A group of a key in another builder's share.
    static constexpr std::size_t kOtherShare = ~std::size_t{0};

    CGroupIndex(std::size_t records, const CRecordTexts& texts, std::size_t part, std::size_t parts)
        : m_slots(std::bit_ceil(std::max<std::size_t>(16, 2 * records + 2))), m_sqls(texts),
          m_nPart(part), m_nParts(parts) {}

    // The key of a group's first statement is compared only when its hash is the same; a
    // group keyed by SQL text keeps a copy of the text, which is not read again.
    std::size_t GroupOf(const CStatementRecord& record) {
        const CGroupKey key = KeyOf(record, m_sqls);
        const std::uint64_t hash = key.Hash();
        // Bits the tag and the first slot leave alone choose the share.
        if (m_nParts > 1 && (hash >> 32) % m_nParts != m_nPart) {
            return kOtherShare;
        }
        const auto tag = static_cast<std::uint32_t>(hash);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = SlotOf(hash);; i = (i + 1) & mask) {
            CSlot& slot = m_slots[i];
            if (slot.group == 0) {
                return AddGroup(slot, tag, key, record);
            }
            if (slot.tag == tag && IsKeyOf(slot.group - 1, key)) {
                return slot.group - 1;
            }
        }
    }

private:
    struct CSlot {
        std::uint32_t tag = 0;   // the low half of the key's hash
        std::uint32_t group = 0; // 1 + the group's position; 0 for a free slot
    };

    // The high bits of a hash, which every bit of the key moves, choose its first slot.
    std::size_t SlotOf(std::uint64_t hash) const {
        return static_cast<std::size_t>(hash >> (64 - std::bit_width(m_slots.size() - 1)));
    }

    std::size_t AddGroup(CSlot& slot, std::uint32_t tag, const CGroupKey& key,
                         const CStatementRecord& record) {
        if (m_firsts.size() >= std::numeric_limits<std::uint32_t>::max() - 1) {
            throw std::length_error("too many SQL groups");
        }
        slot = {tag, static_cast<std::uint32_t>(m_firsts.size() + 1)};
        if (key.kind == 2) {
            m_sqlOfGroup.emplace(m_firsts.size(), key.text);
        }
        m_firsts.push_back(&record);
        if (2 * m_firsts.size() > m_slots.size()) {
            Grow();
        }
        return m_firsts.size() - 1;
    }

    bool IsKeyOf(std::size_t group, const CGroupKey& key) {
        const CStatementRecord& first = *m_firsts[group];
        if (KindOf(first) != key.kind) {
            return false;
        }
        return key.kind == 2 ? m_sqlOfGroup.at(group) == key.text : KeyOf(first, m_sqls) == key;
    }

    // The hash of a group's key, made again from its first statement.
    std::uint64_t HashOf(std::size_t group) {
        const CStatementRecord& first = *m_firsts[group];
        if (KindOf(first) == 2) {
            return CGroupKey{2, m_sqlOfGroup.at(group), 0, 0}.Hash();
        }
        return KeyOf(first, m_sqls).Hash();
    }

    // Keeps at least half the slots free, so that a search ends soon.
    void Grow() {
        std::vector<CSlot> old = std::exchange(m_slots, std::vector<CSlot>(2 * m_slots.size()));
        const std::size_t mask = m_slots.size() - 1;
        for (const CSlot& slot : old) {
            if (slot.group == 0) {
                continue;
            }
            std::size_t i = SlotOf(HashOf(slot.group - 1));
            while (m_slots[i].group != 0) {
                i = (i + 1) & mask;
            }
            m_slots[i] = slot;
        }
    }

    std::vector<CSlot> m_slots;
    std::vector<const CStatementRecord*> m_firsts; // each group's first record
    std::unordered_map<std::size_t, std::string> m_sqlOfGroup;
    CSqlReader m_sqls;
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
    const std::size_t seen = m_nSeen++;
    const std::size_t group = m_index->GroupOf(record);
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
}

CSqlGroupTable CSqlGroupBuilder::Finish() {
    Complete();
    return CSqlGroupTable(std::move(m_rows));
}

// The rows of both shares, in the order their groups' first statements came.
CSqlGroupTable CSqlGroupBuilder::Merge(CSqlGroupBuilder& first, CSqlGroupBuilder& second) {
    std::vector<CSqlGroupRow> rows;
    rows.reserve(first.m_rows.size() + second.m_rows.size());
    std::size_t a = 0;
    std::size_t b = 0;
    while (a < first.m_rows.size() || b < second.m_rows.size()) {
        const bool fromFirst =
            b == second.m_rows.size() ||
            (a < first.m_rows.size() && first.m_firstSeen[a] < second.m_firstSeen[b]);
        rows.push_back(std::move(fromFirst ? first.m_rows[a++] : second.m_rows[b++]));
    }
    return CSqlGroupTable(std::move(rows));
}
