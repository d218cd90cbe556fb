#pragma once

#include "CSessionTags.h"
#include "CTimeRange.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class CCliCommand {
    List,
    Show,
    Save,
    Follow,
    Profile,
    Sqls,
    Tree,
    Execs,
    Timeline,
    Help,
    Version
};
enum class COutputFormat { Table, Tsv, Csv, Json };
enum class CSaveContent { None, Sql, Trc };

// The command line of velquor-cli, parsed and checked. Rows count from 0, in list order.
class CCliOptions {
public:
    // Parses the arguments after the program name; throws CUsageError on a mistake.
    static CCliOptions Parse(const std::vector<std::string>& args);

    CCliCommand command = CCliCommand::Help;
    bool hideSys = false;
    std::string typeFlags;
    std::string sortKey;
    bool descending = false;
    COutputFormat format = COutputFormat::Table;
    std::int64_t row = -1;   // show: the record to print; execs: the record whose executions
    std::int64_t after = -1; // save: write the records after this row; -1 writes all
    CSaveContent saveContent = CSaveContent::None;
    std::string outPath;
    bool excludeIdle = false;         // profile, sqls, tree: leave idle waits out
    std::optional<ESessionTag> cutBy; // profile: one profile per value of this tag
    bool histograms = false;          // profile: wait durations in buckets, by event
    std::string sqlId;                // execs: the statements of this SQL id
    std::int64_t top = -1;            // execs: each statement's slowest executions, slowest first
    bool withBinds = true;            // execs: write bind values
    CTimeRange timeRange;             // --from, --to
    std::int64_t minGap = 1000;       // timeline: the shortest gap shown, in microseconds
    bool allDepths = false;           // timeline: recursive calls and their waits too
    std::vector<std::string> paths;   // trace files, or the folder to follow
    // list, follow: the list columns to write, in this order; the description's 14 when empty.
    std::vector<int> columns;

private:
    void Apply(const std::string& option, const std::string& value);
    void Check() const;
};
