#pragma once

#include <cstdint>
#include <string_view>

class CStatementRecord;

// Writes statement records in one output format. In list mode rows come in list order with
// no event; following a folder, every row comes with its event ("appended" or "updated").
class IRecordWriter {
public:
    virtual ~IRecordWriter() = default;

    virtual void Begin() = 0;
    virtual void Write(std::int64_t row, const CStatementRecord& record,
                       std::string_view event) = 0;
    virtual void End() = 0;
};
