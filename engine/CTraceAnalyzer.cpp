#include "CTraceAnalyzer.h"

#include "CLocalNetworkShares.h"
#include "CSqlGroupBuilder.h"
#include "CSqlReader.h"
#include "CStatementColumns.h"
#include "CStatementTexts.h"
#include "CTextSortKeys.h"

#include <algorithm>
#include <future>
#include <numeric>

namespace {

CLocalNetworkShares s_localShares; // holds no state: every analyser may share it

// Below this many records a pass costs too little to share out between threads.
constexpr std::int64_t kRecordsForTwoThreads = 50'000;

} // namespace

CTraceAnalyzer::CTraceAnalyzer(const CCommandTypeCatalog& catalog, ITraceFileSystem& fileSystem,
                               ITraceNotifier& notifier)
    : CTraceAnalyzer(catalog, fileSystem, s_localShares, notifier) {}

CTraceAnalyzer::CTraceAnalyzer(const CCommandTypeCatalog& catalog, ITraceFileSystem& fileSystem,
                               INetworkShares& shares, ITraceNotifier& notifier)
    : m_reader(catalog, fileSystem, shares, notifier), m_texts(fileSystem) {}

// The reader takes the files as one text, each path followed by "|".
void CTraceAnalyzer::SetFiles(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) {
        list += path + '|';
    }
    m_reader.SetPath(std::move(list));
}

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
    result.appendedCount = static_cast<std::int64_t>(batch.appended.Size());
    m_records.reserve(m_records.size() + batch.appended.Size());
    for (std::vector<CStatementRecord>& chunk : batch.appended.Chunks()) {
        m_chunks.push_back(std::move(chunk));
        for (CStatementRecord& record : m_chunks.back()) {
            m_records.push_back(&record);
        }
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

// The first chunk of the second half of the records.
std::size_t CTraceAnalyzer::MiddleChunk() const {
    std::size_t records = 0;
    std::size_t chunk = 0;
    while (chunk < m_chunks.size() && 2 * records < m_records.size()) {
        records += m_chunks[chunk++].size();
    }
    return chunk;
}

// Makes a view of the records read before MiddleChunk on this thread and of the later
// ones on another, for many records, and joins the two.
template <typename View, typename Make, typename Join>
View CTraceAnalyzer::InTwoHalves(Make&& make, Join&& join) const {
    if (m_nCount < kRecordsForTwoThreads) {
        return make(0, m_chunks.size());
    }
    const std::size_t middle = MiddleChunk();
    std::future<View> later =
        std::async(std::launch::async, [&] { return make(middle, m_chunks.size()); });
    View view = make(0, middle);
    join(view, later.get());
    return view;
}

// For many records, each of two threads reads every record and keeps the groups of half the
// keys: no group is looked up twice, as joining two halves of the records would.
CSqlGroupTable CTraceAnalyzer::SqlGroups(bool excludeIdle, bool detailed) const {
    const std::size_t parts = m_nCount < kRecordsForTwoThreads ? 1 : 2;
    const auto make = [&](std::size_t part) {
        auto groups = std::make_unique<CSqlGroupBuilder>(m_records.size() / parts, excludeIdle,
                                                         detailed, m_texts, part, parts);
        for (const std::vector<CStatementRecord>& chunk : m_chunks) {
            groups->Add(chunk);
        }
        return groups;
    };
    if (parts == 1) {
        return make(0)->Finish();
    }
    const auto complete = [&](std::size_t part) {
        std::unique_ptr<CSqlGroupBuilder> groups = make(part);
        groups->Complete();
        return groups;
    };
    std::future<std::unique_ptr<CSqlGroupBuilder>> second =
        std::async(std::launch::async, complete, std::size_t{1});
    const std::unique_ptr<CSqlGroupBuilder> first = complete(0);
    return CSqlGroupBuilder::Merge(*first, *second.get());
}

std::vector<CCallTreeRow> CTraceAnalyzer::CallTree() const {
    const auto make = [&](std::size_t first, std::size_t last) {
        constexpr std::size_t kAhead = 8;
        std::vector<CCallTreeRow> tree;
        // Room for every record's row, taken from the system only as rows fill it, so that the
        // later half's rows join the first's where they stand.
        if (first == 0) {
            tree.reserve(m_records.size());
        }
        for (std::size_t chunk = first; chunk < last; ++chunk) {
            const std::vector<CStatementRecord>& records = m_chunks[chunk];
            for (std::size_t i = 0; i < records.size(); ++i) {
                if (i + kAhead < records.size()) {
                    CCallTreeView::Prefetch(records[i + kAhead]);
                }
                if (CCallTreeView::IsTopLevel(records[i])) {
                    tree.push_back(CCallTreeView::RowOf(records[i]));
                }
            }
        }
        return tree;
    };
    const auto join = [](std::vector<CCallTreeRow>& tree, std::vector<CCallTreeRow>&& later) {
        tree.insert(tree.end(), std::make_move_iterator(later.begin()),
                    std::make_move_iterator(later.end()));
    };
    return InTwoHalves<std::vector<CCallTreeRow>>(make, join);
}

const CStatementRecord& CTraceAnalyzer::GetRecord(std::int64_t position) const {
    return *m_records.at(static_cast<std::size_t>(position));
}

void CTraceAnalyzer::Clear() {
    m_records = {};
    m_chunks = {};
    m_nSerialBase += m_rowOfSerial.size();
    m_rowOfSerial = {};
    m_nCount = 0;
    m_profiles.clear();
}

namespace {

using CRecords = std::vector<CStatementRecord*>;

// A stable sort; for many items its two halves are sorted on two threads, then merged. The
// merge puts equal items of the first half before those of the second, so the order is the
// one a stable sort of the whole gives.
template <typename Item, typename Less> void StableSort(std::vector<Item>& items, Less less) {
    if (items.size() < static_cast<std::size_t>(kRecordsForTwoThreads)) {
        std::stable_sort(items.begin(), items.end(), less);
        return;
    }
    const auto middle = items.begin() + static_cast<std::ptrdiff_t>(items.size() / 2);
    std::future<void> first =
        std::async(std::launch::async, [&] { std::stable_sort(items.begin(), middle, less); });
    std::stable_sort(middle, items.end(), less);
    first.get();
    std::inplace_merge(items.begin(), middle, items.end(), less);
}

// The positions of the records in the order they were read, which is their files' order, when
// SQL texts are left in files: they are read window by window then, whatever order the list
// is in. Otherwise the list's order.
std::vector<std::size_t> ReadOrder(const CRecords& records) {
    if (std::none_of(records.begin(), records.end(),
                     [](const CStatementRecord* record) { return record->SqlInFile(); })) {
        std::vector<std::size_t> order(records.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        return order;
    }
    std::vector<std::pair<std::uint64_t, std::size_t>> serials;
    serials.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        serials.emplace_back(records[i]->m_nSerial, i);
    }
    std::sort(serials.begin(), serials.end());
    std::vector<std::size_t> order;
    order.reserve(records.size());
    for (const auto& entry : serials) {
        order.push_back(entry.second);
    }
    return order;
}

// For +1 the greater text comes first, for -1 the smaller.
std::vector<std::size_t> TextOrder(const CRecords& records, CStatementColumns::TextField field,
                                   int direction, const CRecordTexts& texts) {
    CTextSortKeys keys(records.size());
    CSqlReader sqls(texts);
    for (const std::size_t position : ReadOrder(records)) {
        keys.Set(position, field(*records[position], sqls));
    }
    std::vector<std::size_t> positions(records.size());
    std::iota(positions.begin(), positions.end(), std::size_t{0});
    StableSort(positions, [&](std::size_t a, std::size_t b) {
        const int compared = keys.Compare(a, b);
        return direction == 1 ? compared > 0 : compared < 0;
    });
    return positions;
}

// For +1 the smaller number comes first, for -1 the greater.
std::vector<std::size_t> NumberOrder(const CRecords& records, CStatementColumns::NumberField field,
                                     int direction) {
    std::vector<std::pair<std::int64_t, std::size_t>> keyed;
    keyed.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        keyed.emplace_back(field(*records[i]), i);
    }
    StableSort(keyed, [&](const auto& a, const auto& b) {
        return direction == 1 ? a.first < b.first : a.first > b.first;
    });
    std::vector<std::size_t> positions;
    positions.reserve(keyed.size());
    for (const auto& entry : keyed) {
        positions.push_back(entry.second);
    }
    return positions;
}

} // namespace

// A record moves before its neighbour only when its key belongs before the neighbour's, so
// the result is the stable order of the keys: a stable sort gives it in n log n.
std::vector<std::size_t> CTraceAnalyzer::Sort(std::string_view key, int direction) {
    const CStatementColumns::CColumn* column = CStatementColumns::FindBySortKey(key);
    if (m_records.size() < 2 || column == nullptr || (direction != 1 && direction != -1)) {
        return {};
    }
    std::vector<std::size_t> positions =
        column->IsNumber() ? NumberOrder(m_records, column->numberOf, direction)
                           : TextOrder(m_records, column->textOf, direction, m_texts);
    Permute(positions);
    return positions;
}

// Puts the record at positions[i] at position i.
void CTraceAnalyzer::Permute(const std::vector<std::size_t>& positions) {
    std::vector<CStatementRecord*> sorted;
    sorted.reserve(positions.size());
    for (const std::size_t position : positions) {
        sorted.push_back(m_records[position]);
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

std::int64_t CTraceAnalyzer::RowOfNode(const CCallTreeRow& node) const {
    return node.statement.kind == CStatementRef::EKind::Serial ? RowOf(node.statement.value) : -1;
}

const CStatementRecord* CTraceAnalyzer::RecordOfNode(const CCallTreeRow& node) const {
    const std::int64_t row = RowOfNode(node);
    return row < 0 ? nullptr : &GetRecord(row);
}

std::span<CStatementRecord* const> CTraceAnalyzer::ListedRecords(std::int64_t first) const {
    const auto from = static_cast<std::size_t>(std::clamp<std::int64_t>(first, 0, m_nCount));
    return std::span<CStatementRecord* const>(m_records).subspan(from);
}

std::string CTraceAnalyzer::Sql(const CStatementRecord& record) const {
    return std::string(CSqlReader(m_texts).Sql(record));
}

std::string CTraceAnalyzer::RowSource(const CStatementRecord& record) const {
    CSqlReader sqls(m_texts);
    return CStatementTexts::RowSource(record, sqls);
}

std::string CTraceAnalyzer::PlanSection(const CStatementRecord& record) const {
    CSqlReader sqls(m_texts);
    return CStatementTexts::PlanSection(record, sqls);
}
