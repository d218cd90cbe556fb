#pragma once

#include "CCallTreeView.h"
#include "CProfileReport.h"
#include "CReadBatch.h"
#include "CRecordTexts.h"
#include "CSqlGroupTable.h"
#include "CStatementRecord.h"
#include "CTraceReader.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Rows touched by applying a read: `appendedCount` new rows from `firstAppended` on, and
// the rows whose record later lines added to.
struct CApplyResult {
    std::int64_t firstAppended = 0;
    std::int64_t appendedCount = 0;
    std::vector<std::int64_t> updatedRows;
};

// The engine object of one analysis window: a reader for the trace files and the
// statement records it produced, in list order.
class CTraceAnalyzer {
public:
    // Linux mounts a network share as a folder: there is nothing to connect.
    CTraceAnalyzer(const CCommandTypeCatalog& catalog, ITraceFileSystem& fileSystem,
                   ITraceNotifier& notifier);
    // With the network calls given, for tests of the share rules.
    CTraceAnalyzer(const CCommandTypeCatalog& catalog, ITraceFileSystem& fileSystem,
                   INetworkShares& shares, ITraceNotifier& notifier);
    virtual ~CTraceAnalyzer() = default;

    // Live mode: the trace folder.
    void SetPath(std::string path) { m_reader.SetPath(std::move(path)); }
    // File mode: the trace files to read.
    void SetFiles(const std::vector<std::string>& paths);
    void SetShowSys(std::int64_t showSys) { m_reader.SetShowSys(showSys); }
    void SetTypeFlags(std::string flags) { m_reader.SetTypeFlags(std::move(flags)); }

    // File mode: read and analyse every listed file, appending its records.
    CApplyResult ReadFileList(IReadProgress* progress = nullptr);
    // Live mode: read what is new in the folder and apply it.
    CApplyResult ReadFolder();
    // Appends records and adds to earlier ones as a batch from the reader says; what a batch
    // adds to a record that Clear dropped is dropped too.
    CApplyResult Apply(CReadBatch&& batch);

    std::int64_t GetCount() const { return m_nCount; }
    const CStatementRecord& GetRecord(std::int64_t position) const;
    // Drops every record; later reads add only statements from bytes not read before.
    void Clear();
    // Reorders the records by a column's sort key ("total_cpu", "sqlStr", ...) and direction
    // (+1/-1), exactly as a stable bubble sort toward position 0 would: for +1 numbers
    // ascend and texts descend byte-wise. Returns, for each position, the position its record
    // had before; empty when nothing moved (an unknown key or direction, or fewer than two
    // records).
    std::vector<std::size_t> Sort(std::string_view key, int direction);
    // The row of the record with this serial; -1 when there is none (Clear dropped it).
    std::int64_t RowOfSerial(std::uint64_t serial) const { return RowOf(serial); }
    // The row of a call-tree node's statement; -1 for one not listed.
    std::int64_t RowOfNode(const CCallTreeRow& node) const;
    // The record of a call-tree node's statement; null for one not listed.
    const CStatementRecord* RecordOfNode(const CCallTreeRow& node) const;
    // The records in list order from row `first` on (none past the end), for a writer.
    std::span<CStatementRecord* const> ListedRecords(std::int64_t first) const;

    // Where the time went, for the bytes read since the last Clear. Each answer is made
    // when asked, from the files' profiles or in one pass over the records (in the order
    // they were read), so it follows every read.
    // The files profiled, in byte-wise order of their paths.
    std::vector<std::string> ProfiledFiles() const;
    // The profile of the given files (all when empty), whole or cut by a session tag. It
    // counts every line of the files, whatever the SYS and command-type filters hide.
    CProfileReport Profile(const std::vector<std::string>& files, std::optional<ESessionTag> cut,
                           bool excludeIdle) const;
    // The records grouped by SQL, by self elapsed time, largest first; each with its call
    // table by kind, waits by event and errors when `detailed`.
    CSqlGroupTable SqlGroups(bool excludeIdle, bool detailed = false) const;
    // The call tree: top-level statements in the order they were read.
    std::vector<CCallTreeRow> CallTree() const;

    // The reading side, for a worker thread that hands its batches to Apply.
    CTraceReader& Reader() { return m_reader; }
    // The texts records keep in their trace files: blocks and plan operations.
    const CRecordTexts& Texts() const { return m_texts; }
    // A record's SQL text and row source text, or the reason they cannot be shown.
    std::string Sql(const CStatementRecord& record) const;
    std::string RowSource(const CStatementRecord& record) const;
    // The row source and the table of the plans of its plan dumps (CStatementTexts::PlanSection).
    std::string PlanSection(const CStatementRecord& record) const;

private:
    std::int64_t RowOf(std::uint64_t serial) const;
    void IndexRows(std::size_t from);
    void Permute(const std::vector<std::size_t>& positions);
    std::size_t MiddleChunk() const;
    template <typename View, typename Make, typename Join>
    View InTwoHalves(Make&& make, Join&& join) const;

    std::int64_t m_nCount = 0;
    // The records stay where the batches brought them: sorting reorders pointers.
    std::vector<std::vector<CStatementRecord>> m_chunks; // as batches brought them
    std::vector<CStatementRecord*> m_records;            // in list order
    // The row of every record by its serial less m_nSerialBase (-1: no such record), so a
    // delta finds its record at once. Serials grow with every record a reader makes; Clear
    // moves the base past them.
    std::vector<std::int64_t> m_rowOfSerial;
    std::uint64_t m_nSerialBase = 0;
    // The profile of each file's bytes read since the last Clear.
    std::map<std::string, CTraceProfile> m_profiles;
    CTraceReader m_reader;
    CRecordTexts m_texts;
};
