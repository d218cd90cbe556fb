#include "CRecordTexts.h"

#include "CStatementRecord.h"
#include "ITraceFile.h"
#include "TraceText.h"

#include <algorithm>

namespace {

// Plan rows whose texts lie within this many bytes of each other are read at once.
constexpr std::uint64_t kPlanSpanBytes = 1 << 20;

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

bool CRecordTexts::PlanOperations(const CStatementRecord& record,
                                  std::vector<std::string>& operations, std::string& error,
                                  const FReadRange& read) {
    operations.clear();
    const std::vector<CPlanRow> plan = record.Plan();
    if (record.File() == nullptr || record.PlanTextsCopied()) {
        for (const CPlanRow& row : plan) {
            operations.emplace_back(record.PlanTexts().substr(row.textOffset, row.textLength));
        }
        return true;
    }
    std::uint64_t first = UINT64_MAX;
    std::uint64_t last = 0;
    for (const CPlanRow& row : plan) {
        first = std::min(first, row.textOffset);
        last = std::max(last, row.textOffset + row.textLength);
    }
    std::string span;
    const bool together = !plan.empty() && last - first <= kPlanSpanBytes;
    if (together && !read(first, last - first, span, error)) {
        return false;
    }
    for (const CPlanRow& row : plan) {
        std::string text;
        if (together) {
            text = span.substr(row.textOffset - first, row.textLength);
        } else if (!read(row.textOffset, row.textLength, text, error)) {
            return false;
        }
        operations.push_back(std::move(text));
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

bool CRecordTexts::IsUnchanged(const CTraceFileSnapshot& file, std::string& error) const {
    CFileStatus now;
    return m_fileSystem.GetStatus(file.path, now, error) && IsUnchanged(file, now, error);
}

bool CRecordTexts::IsUnchanged(const CTraceFileSnapshot& file, const CFileStatus& now,
                               std::string& error) {
    const CFileStatus& then = file.status;
    if (now.identity != then.identity || now.size != then.size ||
        now.modifiedNs != then.modifiedNs) {
        error = ChangedMessage(file);
        return false;
    }
    return true;
}

bool CRecordTexts::ReadRange(const CTraceFileSnapshot& file, std::uint64_t offset,
                             std::uint64_t bytes, std::string& text, std::string& error) const {
    if (!IsUnchanged(file, error)) {
        return false;
    }
    text.resize(bytes);
    return m_fileSystem.ReadAt(file.path, static_cast<std::int64_t>(offset),
                               static_cast<std::int64_t>(bytes), text.data(),
                               error) == ITraceFileSystem::ReadResult::Done;
}

std::unique_ptr<ITraceFile> CRecordTexts::Open(const CTraceFileSnapshot& file,
                                               std::string& error) const {
    return m_fileSystem.Open(file.path, error);
}

// The status is asked again before each read, as the file may be written to between reads.
bool CRecordTexts::ReadRange(ITraceFile& open, const CTraceFileSnapshot& file, std::uint64_t offset,
                             std::uint64_t bytes, std::string& text, std::string& error) {
    CFileStatus now;
    if (!open.GetStatus(now, error) || !IsUnchanged(file, now, error)) {
        return false;
    }
    text.resize(bytes);
    return open.ReadAt(static_cast<std::int64_t>(offset), static_cast<std::int64_t>(bytes),
                       text.data(), error) == ITraceFileSystem::ReadResult::Done;
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
