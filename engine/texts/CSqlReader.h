#pragma once

#include "CTraceFileSnapshot.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CRecordTexts;
class ITraceFile;
class CStatementRecord;

// Reads the SQL texts and the blocks of records, one after the other: a record of a plain file
// leaves its texts in the file, where its SQL text is the lines of its block between the header
// and "END OF STMT". The bytes read are kept as a window, so records read in the file's order
// cost one read per window and records read in any order one small read each. A text answered
// stays valid until the next call. One reader serves one thread.
class CSqlReader {
public:
    explicit CSqlReader(const CRecordTexts& texts);
    CSqlReader(const CSqlReader&) = delete;
    CSqlReader& operator=(const CSqlReader&) = delete;
    ~CSqlReader();

    // The record's SQL text, or false with the reason in `error` (the file changed or cannot
    // be read).
    bool Read(const CStatementRecord& record, std::string_view& sql, std::string& error);
    // The record's SQL text, or the reason it cannot be read, for a cell or a pane to show.
    std::string_view Sql(const CStatementRecord& record);
    // The record's block as CRecordTexts::Block gives it, or false with the reason in `error`.
    bool Block(const CStatementRecord& record, std::string& text, std::string& error);
    // The operations of the record's plan rows, as CRecordTexts::PlanOperations gives them,
    // or false with the reason in `error`.
    bool PlanOperations(const CStatementRecord& record, std::vector<std::string>& operations,
                        std::string& error);
    // Reads the texts of `records` at once, in the order they were read from their files, and
    // keeps them for Read: texts asked for in another order then cost no read each.
    void Prefetch(std::vector<const CStatementRecord*> records);

    // The record's SQL text taken from its block's lines already read (CRecordTexts::Block),
    // or false with the reason in `error`: no second read of the file.
    static bool OfBlock(const CStatementRecord& record, std::string_view block, std::string& sql,
                        std::string& error);
    // The SQL text of a cursor block that begins at the start of `block`, each line followed
    // by CR LF, the part before "END OF STMT" on its line without; false when `block` ends
    // before "END OF STMT".
    static bool SqlOfBlock(std::string_view block, std::string& sql);

private:
    // The block's bytes from its start that the window holds, loading at least `bytes` of them.
    bool Load(const CStatementRecord& record, std::uint64_t bytes, std::string_view& block,
              std::string& error);
    bool Holds(const CTraceFileSnapshot& file, std::uint64_t offset, std::uint64_t bytes) const;
    // Reads `bytes` at `offset` of `file` into `text`, through the file kept open.
    bool ReadOpen(const CTraceFileSnapshot& file, std::uint64_t offset, std::uint64_t bytes,
                  std::string& text, std::string& error);

    const CRecordTexts& m_texts;
    CTraceFileSnapshot m_file; // the file the window is of
    std::uint64_t m_nWindowOffset = 0;
    std::string m_window;
    // The file last read, kept open while the reader lives: records out of the file's order
    // then cost a status and a read each, not an open, a lookup of the path and a close too.
    std::unique_ptr<ITraceFile> m_open;
    CTraceFileSnapshot m_openFile;
    std::string m_strText;
    std::string m_strError;
    std::unordered_map<const CStatementRecord*, std::string> m_prefetched;
};
