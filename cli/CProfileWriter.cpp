#include "CProfileWriter.h"

#include "CEventNames.h"
#include "CTextTable.h"
#include "CallJson.h"
#include "JsonText.h"
#include "ResponseTimeText.h"
#include "TimeText.h"

#include <cinttypes>
#include <cstdio>

namespace {

constexpr const char* kKindNames[] = {"cpu", "wait", "unaccounted"};
constexpr const char* kCallNames[] = {"Parse", "Execute", "Fetch"};
constexpr const char* kJsonCallNames[] = {"parse", "exec", "fetch"};

std::string Title(const std::vector<std::string>& files) {
    return files.size() == 1 ? files[0] : std::to_string(files.size()) + " files";
}

std::string ComponentTable(const CProfileTable& table) {
    CTextTable text({{"Component", false},
                     {"Time (s)", true},
                     {"Share", true},
                     {"Count", true},
                     {"Mean (s)", true},
                     {"Min (s)", true},
                     {"Max (s)", true}});
    std::int64_t total = 0;
    for (const CProfileRow& row : table.rows) {
        const bool counted = row.kind != CProfileRow::EKind::Unaccounted;
        total += row.time;
        text.AddRow({ComponentText(row), FormatSeconds(row.time),
                     row.share ? FormatShare(*row.share) : "",
                     counted ? std::to_string(row.count) : "", counted ? MeanText(row) : "",
                     counted ? FormatSeconds(row.min) : "", counted ? FormatSeconds(row.max) : ""});
    }
    text.AddRow(
        {"Total", FormatSeconds(total), table.timed && table.duration != 0 ? "100.0%" : ""});
    return text.Text();
}

std::string TableText(const CProfileTable& table, std::optional<ESessionTag> cut) {
    std::string text;
    if (cut) {
        text += CutHeading(table, *cut) + "\n";
    }
    text += DurationText(table) + "\n";
    text += ComponentTable(table);
    text += TransactionsText(table) + "\n" + ErrorsText(table) + "\n";
    return text;
}

std::string DepthText(const CDepthTotals& totals, const std::string& title) {
    CTextTable calls({{"call", false},
                      {"count", true},
                      {"cpu (s)", true},
                      {"elapsed (s)", true},
                      {"disk", true},
                      {"query", true},
                      {"current", true},
                      {"rows", true},
                      {"misses", true}});
    CCallFigures sum;
    CSelfFigures self;
    const auto add = [&](const std::string& name, const CCallFigures& c, const CSelfFigures& s) {
        calls.AddRow({name, std::to_string(c.count), FormatSeconds(s.cpu), FormatSeconds(s.elapsed),
                      std::to_string(s.disk), std::to_string(s.query), std::to_string(s.current),
                      std::to_string(c.rows), std::to_string(c.misses)});
    };
    for (std::size_t k = 0; k < 3; ++k) {
        add(kCallNames[k], totals.calls[k], totals.self[k]);
        sum.Add(totals.calls[k]);
        self.Add(totals.self[k]);
    }
    add("total", sum, self);
    std::string text = "\n" + title + ", without the calls they made:\n" + calls.Text();
    if (!totals.waits.empty()) {
        CTextTable waits({{"Event waited on", false},
                          {"Times", true},
                          {"Max. Wait (s)", true},
                          {"Total Waited (s)", true}});
        for (const CWaitFigures& wait : totals.waits) {
            waits.AddRow({std::string(CEventNames::Name(wait.event)), std::to_string(wait.count),
                          FormatSeconds(wait.max), FormatSeconds(wait.total)});
        }
        text += waits.Text();
    }
    return text;
}

void AppendKey(std::string& out, std::string_view name) {
    AppendJsonString(out, name);
    out += ':';
}

void AppendDouble(std::string& out, std::string_view name, std::optional<double> value) {
    AppendKey(out, name);
    char text[40] = "null";
    if (value) {
        std::snprintf(text, sizeof text, "%.6g", *value);
    }
    out += text;
}

void AppendRow(std::string& out, const CProfileRow& row) {
    const bool counted = row.kind != CProfileRow::EKind::Unaccounted;
    out += '{';
    AppendKey(out, "component");
    AppendJsonString(out, row.Label());
    out += ',';
    AppendKey(out, "kind");
    AppendJsonString(out, kKindNames[static_cast<int>(row.kind)]);
    out += ",\"idle\":";
    out += row.idle ? "true," : "false,";
    AppendJsonNumber(out, "time", row.time);
    out += ',';
    AppendDouble(out, "share", row.share);
    out += ',';
    AppendKey(out, "count");
    out += counted ? std::to_string(row.count) : "null";
    out += ',';
    AppendDouble(out, "mean", counted ? std::optional<double>(row.Mean()) : std::nullopt);
    out += ",\"min\":" + (counted ? std::to_string(row.min) : std::string("null"));
    out += ",\"max\":" + (counted ? std::to_string(row.max) : std::string("null")) + "}";
}

void AppendTable(std::string& out, const CProfileTable& table, bool cut) {
    out += '{';
    AppendKey(out, "value");
    if (cut) {
        AppendJsonString(out, table.cutValue);
    } else {
        out += "null";
    }
    if (!table.process.empty()) {
        out += ',';
        AppendKey(out, "process");
        AppendJsonString(out, table.process);
    }
    if (table.sessions > 1) {
        out += ",\"sessions\":" + std::to_string(table.sessions);
        if (table.span) {
            out += ',';
            AppendJsonNumber(out, "wall_clock_span", *table.span);
        }
    }
    out += ",\"timed\":";
    out += table.timed ? "true," : "false,";
    AppendKey(out, "r");
    out += table.timed ? std::to_string(table.duration) : "null";
    out += ',';
    AppendJsonNumber(out, "idle_time", table.idleTime);
    out += ",\"components\":[";
    for (const CProfileRow& row : table.rows) {
        AppendRow(out, row);
        out += &row == &table.rows.back() ? "" : ",";
    }
    out += "],\"transactions\":{";
    AppendJsonNumber(out, "commits", table.commits);
    out += ',';
    AppendJsonNumber(out, "rollbacks", table.rollbacks);
    out += ',';
    AppendJsonNumber(out, "read_only_commits", table.readOnlyCommits);
    out += "},\"errors\":{";
    for (const CErrorCount& error : table.errors) {
        AppendJsonNumber(out, OraName(error.error), error.count);
        out += &error == &table.errors.back() ? "" : ",";
    }
    out += "}}";
}

void AppendDepth(std::string& out, const CDepthTotals& totals) {
    out += '{';
    for (std::size_t k = 0; k < 3; ++k) {
        AppendKey(out, kJsonCallNames[k]);
        out += '{';
        AppendJsonCalls(out, totals.calls[k], totals.self[k], ECallJsonCounts::RowsMisses);
        out += "},";
    }
    out += "\"waits\":";
    AppendJsonWaits(out, totals.waits);
    out += '}';
}

} // namespace

std::string CProfileWriter::Table(const std::vector<CSection>& sections,
                                  std::optional<ESessionTag> cut) {
    std::string text;
    for (const CSection& section : sections) {
        text += text.empty() ? "Profile of " : "\nProfile of ";
        text += Title(section.files);
        text += '\n';
        for (const CProfileTable& table : section.report.tables) {
            text += '\n';
            text += TableText(table, cut);
        }
        text += DepthText(section.report.topLevel, "Calls at depth 0");
        text += DepthText(section.report.recursive, "Recursive calls");
    }
    return text;
}

std::string CProfileWriter::Json(const std::vector<CSection>& sections,
                                 std::optional<ESessionTag> cut, bool excludeIdle) {
    std::string out = "[";
    for (const CSection& section : sections) {
        out += out.size() > 1 ? ",\n{" : "\n{";
        out += "\"files\":[";
        for (const std::string& file : section.files) {
            AppendJsonString(out, file);
            out += &file == &section.files.back() ? "" : ",";
        }
        out += "],\"by\":";
        if (cut) {
            AppendJsonString(out, CSessionTags::NameOf(*cut));
        } else {
            out += "null";
        }
        out += ",\"exclude_idle\":";
        out += excludeIdle ? "true" : "false";
        out += ",\"tables\":[";
        for (const CProfileTable& table : section.report.tables) {
            AppendTable(out, table, cut.has_value());
            out += &table == &section.report.tables.back() ? "" : ",";
        }
        out += "],\"depth0\":";
        AppendDepth(out, section.report.topLevel);
        out += ",\"recursive\":";
        AppendDepth(out, section.report.recursive);
        out += '}';
    }
    return out + "\n]\n";
}

namespace {

std::string BoundText(std::int64_t microseconds) {
    return microseconds < 1000      ? std::to_string(microseconds) + " us"
           : microseconds < 1000000 ? std::to_string(microseconds / 1000) + " ms"
                                    : std::to_string(microseconds / 1000000) + " s";
}

// "1 us - 10 us"; the first bucket "< 1 us", the last ">= 1000 s".
std::string BucketText(std::size_t bucket) {
    if (bucket == 0) {
        return "< " + BoundText(CSkewHistogram::LowerBound(1));
    }
    if (bucket + 1 == CSkewHistogram::kBuckets) {
        return ">= " + BoundText(CSkewHistogram::LowerBound(bucket));
    }
    return BoundText(CSkewHistogram::LowerBound(bucket)) + " - " +
           BoundText(CSkewHistogram::LowerBound(bucket + 1));
}

std::string PercentText(double share) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", share * 100.0);
    return text;
}

} // namespace

std::string CProfileWriter::WaitHistograms(
    const std::string& title,
    const std::map<std::string, CSkewHistogram, std::less<>>& histograms) {
    std::string out = "\nWait durations: " + title + "\n";
    for (const auto& [event, histogram] : histograms) {
        out += "\n" + event + "\n";
        CTextTable table({{"Bucket"},
                          {"Count", true},
                          {"Total (s)", true},
                          {"Time %", true},
                          {"Count %", true},
                          {"Min (s)", true},
                          {"Mean (s)", true},
                          {"Max (s)", true}});
        for (const CSkewHistogram::CRow& row : histogram.Rows()) {
            table.AddRow({BucketText(row.bucket), std::to_string(row.count),
                          FormatSeconds(row.total), PercentText(row.timeShare),
                          PercentText(row.countShare), FormatSeconds(row.min),
                          FormatSeconds(row.mean), FormatSeconds(row.max)});
        }
        out += table.Text();
    }
    return out;
}
