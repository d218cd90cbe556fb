#include "CProfileReport.h"

#include "CEventNames.h"

#include "CTraceProfile.h"
#include "IdleEvents.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace {

constexpr std::string_view kCallNames[kProfileCallCount] = {"PARSE", "EXEC",  "FETCH",
                                                            "UNMAP", "CLOSE", "LOB"};

// The figures of the slices that make one table, before they become rows.
struct CTableSums {
    bool timed = true;
    std::int64_t duration = 0;
    std::optional<std::int64_t> span;
    std::set<std::pair<const CTraceProfile*, std::size_t>> contexts;
    CProfileSlice figures;
    std::vector<std::string> events; // the names of the events of `figures`

    void Add(const CTraceProfile& profile, const CProfileSlice& slice) {
        std::vector<std::size_t> numbers;
        for (const std::string& name : profile.Events()) {
            const auto known = std::find(events.begin(), events.end(), name);
            numbers.push_back(static_cast<std::size_t>(known - events.begin()));
            if (known == events.end()) {
                events.push_back(name);
            }
        }
        figures.Merge(slice, numbers);
    }
};

CProfileRow RowOf(CProfileRow::EKind kind, std::string_view name, const CProfileStat& stat) {
    CProfileRow row;
    row.kind = kind;
    row.name = name;
    row.idle = kind == CProfileRow::EKind::Wait && IsIdleEvent(name);
    row.time = stat.total;
    row.count = stat.count;
    row.min = stat.min;
    row.max = stat.max;
    return row;
}

CProfileTable TableOf(const std::pair<std::string, std::string>& key, const CTableSums& sums,
                      bool excludeIdle) {
    CProfileTable table;
    table.process = key.first;
    table.cutValue = key.second;
    table.timed = sums.timed;
    table.sessions = sums.contexts.size();
    table.span = sums.span;
    table.idleExcluded = excludeIdle;
    const CProfileSlice& f = sums.figures;
    std::int64_t accounted = 0;
    for (std::size_t i = 0; i < kProfileCallCount; ++i) {
        if (f.cpu[i].count > 0) {
            table.rows.push_back(RowOf(CProfileRow::EKind::Cpu, kCallNames[i], f.cpu[i]));
        }
    }
    for (std::size_t event = 0; event < f.waits.size(); ++event) {
        if (f.waits[event].count > 0) {
            table.rows.push_back(
                RowOf(CProfileRow::EKind::Wait, sums.events[event], f.waits[event]));
        }
    }
    for (const CProfileRow& row : table.rows) {
        std::int64_t& sum = row.idle ? table.idleTime : accounted;
        sum = SaturatingAdd(sum, row.time);
    }
    if (excludeIdle) {
        std::erase_if(table.rows, [](const CProfileRow& row) { return row.idle; });
    } else {
        accounted = SaturatingAdd(accounted, table.idleTime);
    }
    if (table.timed) {
        table.duration =
            excludeIdle ? SaturatingSubtract(sums.duration, table.idleTime) : sums.duration;
        CProfileRow unaccounted;
        unaccounted.kind = CProfileRow::EKind::Unaccounted;
        unaccounted.time = SaturatingSubtract(table.duration, accounted);
        table.rows.push_back(unaccounted);
        for (CProfileRow& row : table.rows) {
            if (table.duration != 0) {
                row.share = static_cast<double>(row.time) / static_cast<double>(table.duration);
            }
        }
    }
    // Rows of equal time stand in the order of their names, so that the order never depends
    // on how the text was cut into pieces.
    std::sort(table.rows.begin(), table.rows.end(), [](const CProfileRow& a, const CProfileRow& b) {
        return a.time != b.time ? a.time > b.time : a.Label() < b.Label();
    });
    table.commits = f.commits;
    table.rollbacks = f.rollbacks;
    table.readOnlyCommits = f.readOnlyCommits;
    table.errors = f.errors;
    return table;
}

// The table a slice adds to: the one table, the slice's context when cut by session, or the
// value of the tag it is cut by.
std::pair<std::string, std::string>
TableKey(const CTraceProfile& profile, const CProfileSlice& slice, std::optional<ESessionTag> cut) {
    if (!cut) {
        return {};
    }
    if (*cut != ESessionTag::Session) {
        return {std::string(), slice.tags.Value(*cut)};
    }
    const CTraceContext& context = profile.ContextOf(slice);
    return {context.process.value_or(std::string()), context.session.value_or(std::string())};
}

void SortWaits(CDepthTotals& totals) {
    std::sort(
        totals.waits.begin(), totals.waits.end(), [](const CWaitFigures& a, const CWaitFigures& b) {
            return a.total != b.total ? a.total > b.total
                                      : CEventNames::Name(a.event) < CEventNames::Name(b.event);
        });
}

} // namespace

std::string CProfileRow::Label() const {
    switch (kind) {
    case EKind::Cpu:
        return "CPU: " + name + " calls";
    case EKind::Unaccounted:
        return "unaccounted-for time";
    default:
        return name;
    }
}

double CProfileRow::Mean() const {
    return count == 0 ? 0.0 : static_cast<double>(time) / static_cast<double>(count);
}

CProfileReport CProfileReport::Make(const std::vector<const CTraceProfile*>& profiles,
                                    std::optional<ESessionTag> cut, bool excludeIdle) {
    CProfileReport report;
    // By process and value: the process apart only when cut by session, as a session is one
    // of a process.
    std::map<std::pair<std::string, std::string>, CTableSums> tables;
    if (!cut) {
        tables[{}];
    }
    for (const CTraceProfile* profile : profiles) {
        if (!cut) {
            CTableSums& sums = tables[{}];
            sums.timed = sums.timed && profile->IsTimed();
            sums.duration = SaturatingAdd(sums.duration, profile->Duration());
            sums.span = SaturatingAdd(sums.span.value_or(0), profile->Span());
        }
        const std::vector<std::int64_t> durations = profile->SliceDurations();
        for (std::size_t i = 0; i < profile->Slices().size(); ++i) {
            const CProfileSlice& slice = profile->Slices()[i];
            CTableSums& sums = tables[TableKey(*profile, slice, cut)];
            sums.Add(*profile, slice);
            sums.contexts.emplace(profile, slice.context);
            if (cut) {
                sums.timed = sums.timed && profile->IsTimed();
                sums.duration = SaturatingAdd(sums.duration, durations[i]);
            }
        }
        report.topLevel.Merge(profile->Totals(false));
        report.recursive.Merge(profile->Totals(true));
    }
    if (profiles.empty()) {
        tables[{}].timed = false;
    }
    for (const auto& [value, sums] : tables) {
        report.tables.push_back(TableOf(value, sums, excludeIdle));
    }
    SortWaits(report.topLevel);
    SortWaits(report.recursive);
    return report;
}
