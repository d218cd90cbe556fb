#include "CSqlReader.h"

#include "CRecordTexts.h"
#include "CStatementRecord.h"
#include "ITraceFile.h"
#include "TraceText.h"

#include <algorithm>

namespace {

// What is read at once when a record's block lies past the window, as it does when records
// come in the file's order.
constexpr std::uint64_t kWindowBytes = 256 << 10;
// What is read first of a block that lies elsewhere: most SQL texts end within it.
constexpr std::uint64_t kFirstBytes = 4 << 10;

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

CSqlReader::CSqlReader(const CRecordTexts& texts) : m_texts(texts) {}

CSqlReader::~CSqlReader() = default;

bool CSqlReader::Read(const CStatementRecord& record, std::string_view& sql, std::string& error) {
    if (!record.SqlInFile()) {
        sql = record.SqlCopy();
        return true;
    }
    if (const auto prefetched = m_prefetched.find(&record); prefetched != m_prefetched.end()) {
        sql = prefetched->second;
        return true;
    }
    std::uint64_t bytes = std::min(record.m_nBlockBytes, kFirstBytes);
    while (true) {
        std::string_view block;
        if (!Load(record, bytes, block, error)) {
            return false;
        }
        if (SqlOfBlock(block, m_strText)) {
            sql = m_strText;
            return true;
        }
        if (block.size() >= record.m_nBlockBytes) {
            error = CRecordTexts::ChangedMessage(*record.File());
            return false;
        }
        bytes = std::min(record.m_nBlockBytes, std::max<std::uint64_t>(block.size() * 4, 1));
    }
}

std::string_view CSqlReader::Sql(const CStatementRecord& record) {
    std::string_view sql;
    return Read(record, sql, m_strError) ? sql : std::string_view(m_strError);
}

bool CSqlReader::Block(const CStatementRecord& record, std::string& text, std::string& error) {
    if (record.File() == nullptr) {
        text = record.Node();
        return true;
    }
    std::string_view block;
    if (!Load(record, record.m_nBlockBytes, block, error)) {
        return false;
    }
    text = CRecordTexts::Lines(block);
    return true;
}

bool CSqlReader::OfBlock(const CStatementRecord& record, std::string_view block, std::string& sql,
                         std::string& error) {
    if (!record.SqlInFile()) {
        sql = record.SqlCopy();
        return true;
    }
    if (!SqlOfBlock(block, sql)) {
        error = CRecordTexts::ChangedMessage(*record.File());
        return false;
    }
    return true;
}

// Plan texts lie in their statement's block mostly, which the window then holds.
bool CSqlReader::PlanOperations(const CStatementRecord& record,
                                std::vector<std::string>& operations, std::string& error) {
    const auto read = [&](std::uint64_t offset, std::uint64_t bytes, std::string& text,
                          std::string& readError) {
        if (Holds(*record.File(), offset, bytes)) {
            text.assign(m_window, offset - m_nWindowOffset, bytes);
            return true;
        }
        return ReadOpen(*record.File(), offset, bytes, text, readError);
    };
    return CRecordTexts::PlanOperations(record, operations, error, read);
}

// A text that cannot be read is not kept, so Read gives its reason when it is asked for.
void CSqlReader::Prefetch(std::vector<const CStatementRecord*> records) {
    std::sort(records.begin(), records.end(),
              [](const CStatementRecord* a, const CStatementRecord* b) {
                  return a->m_nSerial < b->m_nSerial;
              });
    std::string_view sql;
    std::string error;
    for (const CStatementRecord* record : records) {
        if (record->SqlInFile() && Read(*record, sql, error)) {
            m_prefetched.emplace(record, sql);
        }
    }
}

// Lines are cut at every run of CR and LF, as the reader of the trace cut them. A text is only
// answered once "END OF STMT" is found, so every line before it is whole.
bool CSqlReader::SqlOfBlock(std::string_view block, std::string& sql) {
    sql.clear();
    const char* const end = block.data() + block.size();
    const char* p = FindLineBreak(block.data(), end); // past the header
    while (true) {
        while (p != end && IsBreak(*p)) {
            ++p;
        }
        if (p == end) {
            return false;
        }
        const char* const lineEnd = FindLineBreak(p, end);
        const std::string_view line(p, static_cast<std::size_t>(lineEnd - p));
        const std::size_t endOfSql = line.find(kEndOfStatement);
        if (endOfSql != std::string_view::npos) {
            sql.append(line.substr(0, endOfSql));
            return true;
        }
        sql.append(line);
        sql += "\r\n";
        p = lineEnd;
    }
}

bool CSqlReader::Load(const CStatementRecord& record, std::uint64_t bytes, std::string_view& block,
                      std::string& error) {
    const CTraceFileSnapshot& file = *record.File();
    const std::uint64_t offset = record.m_nBlockOffset;
    const auto fileSize = static_cast<std::uint64_t>(std::max<std::int64_t>(file.status.size, 0));
    if (offset >= fileSize) {
        error = CRecordTexts::ChangedMessage(file);
        return false;
    }
    if (!Holds(file, offset, bytes)) {
        const std::uint64_t windowEnd = m_nWindowOffset + m_window.size();
        const bool onward =
            m_file == file && offset >= windowEnd && offset - windowEnd < kWindowBytes;
        const std::uint64_t size =
            std::min(std::max(bytes, onward ? kWindowBytes : bytes), fileSize - offset);
        m_file = {};
        if (!ReadOpen(file, offset, size, m_window, error)) {
            m_window.clear();
            return false;
        }
        m_file = file;
        m_nWindowOffset = offset;
    }
    const std::uint64_t end =
        std::min(offset + record.m_nBlockBytes, m_nWindowOffset + m_window.size());
    block = std::string_view(m_window).substr(offset - m_nWindowOffset, end - offset);
    return true;
}

bool CSqlReader::Holds(const CTraceFileSnapshot& file, std::uint64_t offset,
                       std::uint64_t bytes) const {
    return offset >= m_nWindowOffset && offset + bytes <= m_nWindowOffset + m_window.size() &&
           m_file == file;
}

// A file that cannot be read is opened again for the next read, should it be readable then.
bool CSqlReader::ReadOpen(const CTraceFileSnapshot& file, std::uint64_t offset, std::uint64_t bytes,
                          std::string& text, std::string& error) {
    if (m_open == nullptr || !(m_openFile == file)) {
        m_open = m_texts.Open(file, error);
        m_openFile = m_open != nullptr ? file : CTraceFileSnapshot{};
        if (m_open == nullptr) {
            return false;
        }
    }
    if (!CRecordTexts::ReadRange(*m_open, file, offset, bytes, text, error)) {
        m_open.reset();
        m_openFile = {};
        return false;
    }
    return true;
}
