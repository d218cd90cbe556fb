#pragma once

#include "CTraceFileSnapshot.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CStatementRecord;
class ITraceFile;

// The texts a record keeps in its trace file rather than in memory, read back when they are
// shown or saved: the block's lines and the plan rows' operations (CSqlReader reads the SQL
// texts through it). A record whose texts were copied answers from the copies. A file that is
// no longer the one that was read gives a message, never another file's bytes: the same file
// (identity) that only grew, its bytes up to the size read matching their fingerprint, is
// read back as before; a file rewritten, cut or replaced is changed. The file is checked
// before each read and again after it, so that text read while the file changed is never
// handed out.
class CRecordTexts {
public:
    explicit CRecordTexts(ITraceFileSystem& fileSystem) : m_fileSystem(fileSystem) {}

    // The block's lines, each followed by CR LF.
    bool Block(const CStatementRecord& record, std::string& text, std::string& error) const;
    // The operations of the plan rows, in the rows' order: those of the first dump (Plan()),
    // then those of the later dumps (LaterPlanRows()).
    bool PlanOperations(const CStatementRecord& record, std::vector<std::string>& operations,
                        std::string& error) const;
    // Reads `bytes` bytes at `offset` of a record's file into `text`; false with `error`.
    using FReadRange = std::function<bool(std::uint64_t offset, std::uint64_t bytes,
                                          std::string& text, std::string& error)>;
    // The operations of the plan rows, each range of the record's file read with `read`.
    static bool PlanOperations(const CStatementRecord& record, std::vector<std::string>& operations,
                               std::string& error, const FReadRange& read);

    // `bytes` bytes at `offset` of `file`, while it is still the file that was read.
    bool ReadRange(const CTraceFileSnapshot& file, std::uint64_t offset, std::uint64_t bytes,
                   std::string& text, std::string& error) const;
    // `file` opened for several reads with the ReadRange below, which checks before each read
    // that it is still the file that was read; null with the reason in `error`.
    std::unique_ptr<ITraceFile> Open(const CTraceFileSnapshot& file, std::string& error) const;
    // `bytes` bytes at `offset` of `file`, opened as `open`, while it is still the file that
    // was read: a read costs no lookup of the file's path.
    static bool ReadRange(ITraceFile& open, const CTraceFileSnapshot& file, std::uint64_t offset,
                          std::uint64_t bytes, std::string& text, std::string& error);
    // Why a text of `file` is not shown: the file is no longer the one that was read.
    static std::string ChangedMessage(const CTraceFileSnapshot& file);
    // Whether `file` is no longer the one that was read (rewritten, cut or replaced), so that
    // only reading it again shows its texts; false while it is, or when its status cannot be
    // read (the system's reason is then the message a read gives).
    bool IsChanged(const CTraceFileSnapshot& file) const;
    // A block's bytes as its lines, cut at every run of CR and LF, each followed by CR LF: how
    // a record holds text.
    static std::string Lines(std::string_view raw);

private:
    using FStatus = std::function<bool(CFileStatus& status, std::string& error)>;
    using FRead = std::function<bool(std::int64_t offset, std::int64_t size, std::string& bytes,
                                     std::string& error)>;
    // Reads ranges of the record's file with ReadRange.
    FReadRange RangesOf(const CStatementRecord& record) const;
    // Reads a range of `file` with `read` between two checks of its status with `status`.
    static bool CheckedRead(const CTraceFileSnapshot& file, const FStatus& status,
                            const FRead& read, std::uint64_t offset, std::uint64_t bytes,
                            std::string& text, std::string& error);
    // Whether the file, whose status is `now`, still holds what was read of it: the same or
    // only grown, its bytes read with `read`; `error` says why not.
    static bool Holds(const CTraceFileSnapshot& file, const CFileStatus& now, const FRead& read,
                      std::string& error);

    ITraceFileSystem& m_fileSystem;
};
