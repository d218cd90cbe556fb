#include "CallJson.h"

#include "JsonText.h"

void AppendJsonWork(std::string& out, const CSelfFigures& work) {
    AppendJsonNumber(out, "cpu", work.cpu);
    out += ',';
    AppendJsonNumber(out, "elapsed", work.elapsed);
    out += ',';
    AppendJsonNumber(out, "disk", work.disk);
    out += ',';
    AppendJsonNumber(out, "query", work.query);
    out += ',';
    AppendJsonNumber(out, "current", work.current);
}

void AppendJsonCalls(std::string& out, const CCallFigures& calls, const CSelfFigures& work,
                     ECallJsonCounts counts) {
    AppendJsonNumber(out, "count", calls.count);
    out += ',';
    AppendJsonWork(out, work);
    const auto misses = [&] {
        out += ',';
        AppendJsonNumber(out, "misses", calls.misses);
    };
    const auto rows = [&] {
        out += ',';
        AppendJsonNumber(out, "rows", calls.rows);
    };
    switch (counts) {
    case ECallJsonCounts::Misses:
        misses();
        break;
    case ECallJsonCounts::Rows:
        rows();
        break;
    case ECallJsonCounts::MissesRows:
        misses();
        rows();
        break;
    case ECallJsonCounts::RowsMisses:
        rows();
        misses();
        break;
    }
}
