#pragma once

#include "CSqlReader.h"
#include "IRecordWriter.h"

class CRecordTexts;

#include <cstdio>
#include <string>

// Writes records as JSON. In list mode the output is one array with one object per record;
// following a folder it is one line per event, flushed at once:
// {"event":"appended","row":N,"record":{...}}.
class CJsonWriter final : public IRecordWriter {
public:
    // `texts` reads the blocks and plans records keep in their trace files.
    CJsonWriter(std::FILE* out, bool withEvents, const CRecordTexts& texts);

    void Begin() override;
    void Write(std::int64_t row, const CStatementRecord& record, std::string_view event) override;
    void End() override;

    // The record as one JSON object; its block and plan are read through `sqls`. Throws
    // std::runtime_error when a text the record keeps in its trace file cannot be read.
    static std::string RecordObject(const CStatementRecord& record, CSqlReader& sqls);

private:
    std::FILE* m_out;
    bool m_bWithEvents;
    CSqlReader m_sqls; // records written in the file's order cost one read per window
    bool m_bFirst = true;
};
