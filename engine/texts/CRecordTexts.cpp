#include "CRecordTexts.h"

#include "CStatementRecord.h"
#include "ITraceFile.h"
#include "TraceText.h"

#include <algorithm>

namespace {

// Plan rows whose texts lie within this many bytes of each other are read at once.
constexpr std::uint64_t kPlanSpanBytes = 1 << 20;

// Reads of the file at `path`.
std::function<bool(std::int64_t, std::int64_t, std::string&, std::string&)>
PathReader(ITraceFileSystem& fileSystem, const std::string& path) {
    return [&fileSystem, &path](std::int64_t offset, std::int64_t size, std::string& bytes,
                                std::string& error) {
        bytes.resize(static_cast<std::size_t>(size));
        return fileSystem.ReadAt(path, offset, size, bytes.data(), error) ==
               ITraceFileSystem::ReadResult::Done;
    };
}

} // namespace

bool CRecordTexts::Block(const CStatementRecord& record, std::string& text,
                         std::string& error) const {
    if (record.File() == nullptr) {
        text = record.Node();
        return true;
    }
    std::string raw;
    if (!ReadRange(*record.File(), record.m_nBlockOffset, record.m_nBlockBytes, raw, error)) {
        return false;
    }
    text = Lines(raw);
    return true;
}

bool CRecordTexts::PlanOperations(const CStatementRecord& record,
                                  std::vector<std::string>& operations, std::string& error) const {
    return PlanOperations(record, operations, error, RangesOf(record));
}

// Rows are read in runs of texts that lie close together in the file, as those of one dump do.
bool CRecordTexts::PlanOperations(const CStatementRecord& record,
                                  std::vector<std::string>& operations, std::string& error,
                                  const FReadRange& read) {
    std::vector<CPlanRow> rows = record.Plan();
    const std::vector<CPlanRow> later = record.LaterPlanRows();
    rows.insert(rows.end(), later.begin(), later.end());
    operations.assign(rows.size(), std::string());
    if (record.File() == nullptr || record.PlanTextsCopied()) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            operations[i] = record.PlanTexts().substr(rows[i].textOffset, rows[i].textLength);
        }
        return true;
    }
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&rows](std::size_t a, std::size_t b) {
        return rows[a].textOffset < rows[b].textOffset;
    });
    const auto endOf = [&rows](std::size_t index) {
        return rows[index].textOffset + rows[index].textLength;
    };
    for (std::size_t begin = 0; begin < order.size();) {
        const std::uint64_t first = rows[order[begin]].textOffset;
        std::uint64_t last = endOf(order[begin]);
        std::size_t end = begin + 1;
        while (end < order.size() && endOf(order[end]) - first <= kPlanSpanBytes) {
            last = std::max(last, endOf(order[end]));
            ++end;
        }
        std::string span;
        if (!read(first, last - first, span, error)) {
            return false;
        }
        for (std::size_t i = begin; i < end; ++i) {
            const CPlanRow& row = rows[order[i]];
            operations[order[i]] = span.substr(row.textOffset - first, row.textLength);
        }
        begin = end;
    }
    return true;
}

CRecordTexts::FReadRange CRecordTexts::RangesOf(const CStatementRecord& record) const {
    return [this, &record](std::uint64_t offset, std::uint64_t bytes, std::string& text,
                           std::string& error) {
        return ReadRange(*record.File(), offset, bytes, text, error);
    };
}

std::string CRecordTexts::ChangedMessage(const CTraceFileSnapshot& file) {
    return file.path + ": the file changed after it was read; open it again to see this text";
}

bool CRecordTexts::IsChanged(const CTraceFileSnapshot& file) const {
    CFileStatus now;
    std::string error;
    return m_fileSystem.GetStatus(file.path, now, error) &&
           !Holds(file, now, PathReader(m_fileSystem, file.path), error) &&
           error == ChangedMessage(file);
}

bool CRecordTexts::Holds(const CTraceFileSnapshot& file, const CFileStatus& now, const FRead& read,
                         std::string& error) {
    const CFileStatus& then = file.status;
    if (now == then) {
        return true;
    }
    bool matches = false;
    if (now.identity == then.identity && now.size > then.size &&
        !file.fingerprint.MatchesIn(read, matches, error)) {
        return false;
    }
    if (!matches) {
        error = ChangedMessage(file);
    }
    return matches;
}

// A file may be written to between the check and the read: the read counts only when the file
// still holds what was read of it after the read too.
bool CRecordTexts::CheckedRead(const CTraceFileSnapshot& file, const FStatus& status,
                               const FRead& read, std::uint64_t offset, std::uint64_t bytes,
                               std::string& text, std::string& error) {
    CFileStatus before;
    if (!status(before, error) || !Holds(file, before, read, error) ||
        !read(static_cast<std::int64_t>(offset), static_cast<std::int64_t>(bytes), text, error)) {
        return false;
    }
    CFileStatus after;
    return status(after, error) && (after == before || Holds(file, after, read, error));
}

bool CRecordTexts::ReadRange(const CTraceFileSnapshot& file, std::uint64_t offset,
                             std::uint64_t bytes, std::string& text, std::string& error) const {
    const FStatus status = [&](CFileStatus& now, std::string& statusError) {
        return m_fileSystem.GetStatus(file.path, now, statusError);
    };
    return CheckedRead(file, status, PathReader(m_fileSystem, file.path), offset, bytes, text,
                       error);
}

std::unique_ptr<ITraceFile> CRecordTexts::Open(const CTraceFileSnapshot& file,
                                               std::string& error) const {
    return m_fileSystem.Open(file.path, error);
}

bool CRecordTexts::ReadRange(ITraceFile& open, const CTraceFileSnapshot& file, std::uint64_t offset,
                             std::uint64_t bytes, std::string& text, std::string& error) {
    const FStatus status = [&](CFileStatus& now, std::string& statusError) {
        return open.GetStatus(now, statusError);
    };
    const FRead read = [&](std::int64_t at, std::int64_t size, std::string& bytesRead,
                           std::string& readError) {
        bytesRead.resize(static_cast<std::size_t>(size));
        return open.ReadAt(at, size, bytesRead.data(), readError) ==
               ITraceFileSystem::ReadResult::Done;
    };
    return CheckedRead(file, status, read, offset, bytes, text, error);
}

std::string CRecordTexts::Lines(std::string_view raw) {
    std::string text;
    text.reserve(raw.size() + 2);
    const char* p = raw.data();
    const char* const end = raw.data() + raw.size();
    while (p != end) {
        if (*p == '\r' || *p == '\n') {
            ++p;
            continue;
        }
        const char* lineEnd = FindLineBreak(p, end);
        text.append(p, lineEnd);
        text += "\r\n";
        p = lineEnd;
    }
    return text;
}
