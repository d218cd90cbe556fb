#pragma once

#include "IRecordWriter.h"

#include <cstdio>
#include <string>

// Writes records as JSON. In list mode the output is one array with one object per record;
// following a folder it is one line per event, flushed at once:
// {"event":"appended","row":N,"record":{...}}.
class CJsonWriter final : public IRecordWriter {
public:
    CJsonWriter(std::FILE* out, bool withEvents);

    void Begin() override;
    void Write(std::int64_t row, const CStatementRecord& record, std::string_view event) override;
    void End() override;

    // The record as one JSON object.
    static std::string RecordObject(const CStatementRecord& record);

private:
    std::FILE* m_out;
    bool m_bWithEvents;
    bool m_bFirst = true;
};
