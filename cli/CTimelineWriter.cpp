#include "CTimelineWriter.h"

#include "CTextTable.h"
#include "JsonText.h"
#include "OutputText.h"
#include "TimeText.h"

#include <string>
#include <vector>

namespace {

constexpr const char* kKinds[] = {"call", "wait", "think", "gap"};

bool Shown(const CTimeline& timeline, const CTimelineEvent& event, const CCliOptions& options) {
    return (options.allDepths || event.depth == 0) && options.timeRange.Contains(timeline, event);
}

// A time as the table shows it: the wall clock when known, else the tim value.
std::string TimeCell(const CTimeline& timeline, const CTimelineEvent& event, std::int64_t time) {
    const std::optional<CWallClock> clock = timeline.ClockOf(event, time);
    return clock.has_value() ? clock->Text() : std::to_string(time);
}

const CTimeline::CStatement* StatementOf(const CTimeline& timeline, const CTimelineEvent& event) {
    return event.statement == CTimelineEvent::kNone ? nullptr
                                                    : &timeline.Statements()[event.statement];
}

std::vector<std::string> Cells(const CTimeline& timeline, const CTimelineEvent& event) {
    const CTimeline::CContext& context = timeline.Contexts()[event.context];
    const CTimeline::CStatement* statement = StatementOf(timeline, event);
    return {TimeCell(timeline, event, event.start),
            TimeCell(timeline, event, event.end),
            FormatSeconds(event.end - event.start),
            kKinds[static_cast<int>(event.kind)],
            std::to_string(event.depth),
            context.Process(),
            context.Session(),
            statement == nullptr || statement->row < 0 ? "" : std::to_string(statement->row),
            statement == nullptr ? "" : statement->sqlid,
            timeline.NameOf(event)};
}

void WriteTable(std::FILE* out, const CTimeline& timeline, const CCliOptions& options) {
    CTextTable table({{"Start", false},
                      {"End", false},
                      {"Duration (s)", true},
                      {"Kind", false},
                      {"Depth", true},
                      {"Process", false},
                      {"Session", false},
                      {"Row", true},
                      {"SQL id", false},
                      {"Name", false}});
    bool tims = false;
    for (const CTimelineEvent& event : timeline.Events()) {
        if (Shown(timeline, event, options)) {
            table.Fit(Cells(timeline, event));
            tims = tims || event.anchor == CTimelineEvent::kNone;
        }
    }
    WriteText(out, table.TitleLine());
    for (const CTimelineEvent& event : timeline.Events()) {
        if (Shown(timeline, event, options)) {
            WriteText(out, table.Line(Cells(timeline, event)));
        }
    }
    if (tims) {
        WriteText(out, "Times of lines with no wall-clock time stamp before them are tim values "
                       "(microseconds).\n");
    }
}

void AppendText(std::string& out, std::string_view name, std::string_view text) {
    out += ',';
    AppendJsonString(out, name);
    out += ':';
    if (text.empty()) {
        out += "null";
    } else {
        AppendJsonString(out, text);
    }
}

void AppendClock(std::string& out, std::string_view name, const std::optional<CWallClock>& clock) {
    AppendText(out, name, clock.has_value() ? clock->Text() : std::string());
}

std::string JsonObject(const CTimeline& timeline, const CTimelineEvent& event) {
    const CTimeline::CContext& context = timeline.Contexts()[event.context];
    const CTimeline::CStatement* statement = StatementOf(timeline, event);
    std::string out = "{\"kind\":";
    AppendJsonString(out, kKinds[static_cast<int>(event.kind)]);
    AppendText(out, "name", timeline.NameOf(event));
    out += ',';
    AppendJsonNumber(out, "start_tim", event.start);
    out += ',';
    AppendJsonNumber(out, "end_tim", event.end);
    AppendClock(out, "start", timeline.ClockOf(event, event.start));
    AppendClock(out, "end", timeline.ClockOf(event, event.end));
    out += ',';
    AppendJsonNumber(out, "duration", event.end - event.start);
    out += ',';
    AppendJsonNumber(out, "depth", event.depth);
    AppendText(out, "process", context.Process());
    AppendText(out, "session", context.Session());
    out += ",\"row\":";
    out += statement == nullptr || statement->row < 0 ? "null" : std::to_string(statement->row);
    AppendText(out, "sqlid", statement == nullptr ? std::string() : statement->sqlid);
    out += '}';
    return out;
}

void WriteJson(std::FILE* out, const CTimeline& timeline, const CCliOptions& options) {
    WriteText(out, "[");
    const char* separator = "\n";
    for (const CTimelineEvent& event : timeline.Events()) {
        if (Shown(timeline, event, options)) {
            WriteText(out, separator + JsonObject(timeline, event));
            separator = ",\n";
        }
    }
    WriteText(out, "\n]\n");
}

} // namespace

void CTimelineWriter::Write(std::FILE* out, const CTimeline& timeline, const CCliOptions& options) {
    if (options.format == COutputFormat::Json) {
        WriteJson(out, timeline, options);
    } else {
        WriteTable(out, timeline, options);
    }
}
