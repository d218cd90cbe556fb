#pragma once

#include "CStatementRecord.h"

#include <cstddef>
#include <vector>

// Statement records in order, held in chunks: a piece of a file hands its records over as
// one chunk, and the analyser keeps the chunks as they come, so no record is copied or
// allocated again on its way from the reading thread to the list, and a big read never
// needs room for its records twice.
class CRecordChunks {
public:
    // Adds a record after the others.
    void Add(CStatementRecord&& record);
    // Adds records after the others, as one chunk.
    void Add(std::vector<CStatementRecord>&& chunk);

    std::size_t Size() const { return m_nSize; }
    bool IsEmpty() const { return m_nSize == 0; }
    CStatementRecord& At(std::size_t index);
    const CStatementRecord& At(std::size_t index) const;

    // The chunks, for the one who takes the records over.
    std::vector<std::vector<CStatementRecord>>& Chunks() { return m_chunks; }

private:
    std::vector<std::vector<CStatementRecord>> m_chunks;
    std::vector<std::size_t> m_starts; // the index of each chunk's first record
    std::size_t m_nSize = 0;
};
