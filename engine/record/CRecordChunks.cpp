#include "CRecordChunks.h"

#include <algorithm>
#include <stdexcept>

void CRecordChunks::Add(CStatementRecord&& record) {
    if (m_chunks.empty()) {
        m_chunks.emplace_back();
        m_starts.push_back(0);
    }
    m_chunks.back().push_back(std::move(record));
    ++m_nSize;
}

void CRecordChunks::Add(std::vector<CStatementRecord>&& chunk) {
    if (chunk.empty()) {
        return;
    }
    m_starts.push_back(m_nSize);
    m_nSize += chunk.size();
    m_chunks.push_back(std::move(chunk));
}

CStatementRecord& CRecordChunks::At(std::size_t index) {
    return const_cast<CStatementRecord&>(static_cast<const CRecordChunks&>(*this).At(index));
}

const CStatementRecord& CRecordChunks::At(std::size_t index) const {
    if (index >= m_nSize) {
        throw std::out_of_range("no such record");
    }
    const auto chunk = std::upper_bound(m_starts.begin(), m_starts.end(), index) - 1;
    return m_chunks[static_cast<std::size_t>(chunk - m_starts.begin())][index - *chunk];
}
