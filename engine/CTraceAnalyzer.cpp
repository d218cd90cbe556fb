#include "CTraceAnalyzer.h"

#include "CRecordOrder.h"
#include "CSqlGroupBuilder.h"
#include "CTextSortKeys.h"

#include <algorithm>
#include <numeric>

CTraceAnalyzer::CTraceAnalyzer(const CCommandTypeCatalog& catalog, ITraceFileSystem& fileSystem,
                               INetworkShares& shares, ITraceNotifier& notifier)
    : m_reader(catalog, fileSystem, shares, notifier) {}

CApplyResult CTraceAnalyzer::ReadFileList(IReadProgress* progress) {
    return Apply(m_reader.ReadFileList(progress));
}

CApplyResult CTraceAnalyzer::ReadFolder() {
    return Apply(m_reader.ReadFolder());
}

// A batch's deltas add to records of earlier batches only: a record is appended with every
// line read with it.
CApplyResult CTraceAnalyzer::Apply(CReadBatch&& batch) {
    CApplyResult result;
    for (const CRecordDelta& delta : batch.updated) {
        const std::int64_t row = RowOf(delta.serial);
        if (row >= 0) {
            delta.ApplyTo(*m_records[static_cast<std::size_t>(row)]);
            result.updatedRows.push_back(row);
        }
    }
    std::sort(result.updatedRows.begin(), result.updatedRows.end());
    result.updatedRows.erase(std::unique(result.updatedRows.begin(), result.updatedRows.end()),
                             result.updatedRows.end());
    result.firstAppended = m_nCount;
    result.appendedCount = static_cast<std::int64_t>(batch.appended.size());
    m_records.reserve(m_records.size() + batch.appended.size());
    while (!batch.appended.empty()) {
        m_records.push_back(std::make_unique<CStatementRecord>(std::move(batch.appended.front())));
        batch.appended.pop_front();
    }
    IndexRows(static_cast<std::size_t>(m_nCount));
    m_nCount = static_cast<std::int64_t>(m_records.size());
    for (const CFileProfile& file : batch.profiles) {
        m_profiles[file.path].Append(file.profile);
    }
    return result;
}

std::vector<std::string> CTraceAnalyzer::ProfiledFiles() const {
    std::vector<std::string> files;
    for (const auto& [path, profile] : m_profiles) {
        files.push_back(path);
    }
    return files;
}

CProfileReport CTraceAnalyzer::Profile(const std::vector<std::string>& files,
                                       std::optional<ESessionTag> cut, bool excludeIdle) const {
    std::vector<const CTraceProfile*> profiles;
    for (const auto& [path, profile] : m_profiles) {
        if (files.empty() || std::find(files.begin(), files.end(), path) != files.end()) {
            profiles.push_back(&profile);
        }
    }
    return CProfileReport::Make(profiles, cut, excludeIdle);
}

// Records are large and apart in memory: asking for those a few steps ahead lets their memory
// come while the current one is read. Serials follow the order of reading.
template <typename Visit> void CTraceAnalyzer::ForEachInReadOrder(Visit&& visit) const {
    constexpr std::size_t kAhead = 8;
    const auto prefetch = [](const CStatementRecord& record) {
        const char* bytes = reinterpret_cast<const char*>(&record);
        for (std::size_t offset = 0; offset < sizeof(CStatementRecord); offset += 64) {
            __builtin_prefetch(bytes + offset);
        }
    };
    const std::size_t end = m_rowOfSerial.size();
    for (std::size_t i = 0; i < end; ++i) {
        if (i + kAhead < end && m_rowOfSerial[i + kAhead] >= 0) {
            prefetch(*m_records[static_cast<std::size_t>(m_rowOfSerial[i + kAhead])]);
        }
        if (m_rowOfSerial[i] >= 0) {
            visit(*m_records[static_cast<std::size_t>(m_rowOfSerial[i])]);
        }
    }
}

CSqlGroupTable CTraceAnalyzer::SqlGroups(bool excludeIdle, bool detailed) const {
    CSqlGroupBuilder groups(m_records.size(), excludeIdle, detailed);
    ForEachInReadOrder([&](const CStatementRecord& record) { groups.Add(record); });
    return groups.Finish();
}

std::vector<CCallTreeRow> CTraceAnalyzer::CallTree() const {
    std::vector<CCallTreeRow> tree;
    ForEachInReadOrder([&](const CStatementRecord& record) {
        if (CCallTreeView::IsTopLevel(record)) {
            tree.push_back(CCallTreeView::RowOf(record));
        }
    });
    return tree;
}

const CStatementRecord& CTraceAnalyzer::GetRecord(std::int64_t position) const {
    return *m_records.at(static_cast<std::size_t>(position));
}

void CTraceAnalyzer::Clear() {
    m_records.clear();
    m_records.shrink_to_fit();
    m_nSerialBase += m_rowOfSerial.size();
    m_rowOfSerial = {};
    m_nCount = 0;
    m_profiles.clear();
}

namespace {

using CRecords = std::vector<std::unique_ptr<CStatementRecord>>;

std::vector<std::size_t> TextOrder(const CRecords& records, const CRecordOrder& order,
                                   int direction) {
    CTextSortKeys keys;
    keys.Reserve(records.size());
    for (const auto& record : records) {
        keys.Add(order.Text(*record));
    }
    std::vector<std::size_t> positions(records.size());
    std::iota(positions.begin(), positions.end(), std::size_t{0});
    std::stable_sort(positions.begin(), positions.end(), [&](std::size_t a, std::size_t b) {
        const int compared = keys.Compare(a, b);
        return direction == 1 ? compared > 0 : compared < 0;
    });
    return positions;
}

std::vector<std::size_t> NumberOrder(const CRecords& records, const CRecordOrder& order) {
    std::vector<std::pair<std::int64_t, std::size_t>> keyed;
    keyed.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        keyed.emplace_back(order.Number(*records[i]), i);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
        return order.CompareNumber(a.first, b.first) == 1;
    });
    std::vector<std::size_t> positions;
    positions.reserve(keyed.size());
    for (const auto& entry : keyed) {
        positions.push_back(entry.second);
    }
    return positions;
}

} // namespace

// A record moves before its neighbour only when it compares +1 against it, so the result is
// the stable order of the comparison: a stable sort of the keys gives it in n log n.
void CTraceAnalyzer::Sort(std::string_view key, int direction) {
    const CRecordOrder order(key, direction);
    if (m_records.size() < 2 || !order.IsKnown() || (direction != 1 && direction != -1)) {
        return;
    }
    Permute(order.IsText() ? TextOrder(m_records, order, direction)
                           : NumberOrder(m_records, order));
}

// Puts the record at positions[i] at position i.
void CTraceAnalyzer::Permute(const std::vector<std::size_t>& positions) {
    std::vector<std::unique_ptr<CStatementRecord>> sorted;
    sorted.reserve(positions.size());
    for (const std::size_t position : positions) {
        sorted.push_back(std::move(m_records[position]));
    }
    m_records = std::move(sorted);
    IndexRows(0);
}

std::int64_t CTraceAnalyzer::RowOf(std::uint64_t serial) const {
    if (serial < m_nSerialBase || serial - m_nSerialBase >= m_rowOfSerial.size()) {
        return -1;
    }
    return m_rowOfSerial[serial - m_nSerialBase];
}

void CTraceAnalyzer::IndexRows(std::size_t from) {
    for (std::size_t i = from; i < m_records.size(); ++i) {
        const std::uint64_t serial = m_records[i]->m_nSerial;
        if (serial < m_nSerialBase) {
            continue;
        }
        const std::uint64_t index = serial - m_nSerialBase;
        if (index >= m_rowOfSerial.size()) {
            m_rowOfSerial.resize(index + 1, -1);
        }
        m_rowOfSerial[index] = static_cast<std::int64_t>(i);
    }
}
