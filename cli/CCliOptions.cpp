#include "CCliOptions.h"

#include "CStatementColumns.h"
#include "CUsageError.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>
#include <string_view>

namespace {

const std::map<std::string, CCliCommand> kCommands = {
    {"list", CCliCommand::List},        {"show", CCliCommand::Show},
    {"save", CCliCommand::Save},        {"follow", CCliCommand::Follow},
    {"profile", CCliCommand::Profile},  {"sqls", CCliCommand::Sqls},
    {"tree", CCliCommand::Tree},        {"execs", CCliCommand::Execs},
    {"timeline", CCliCommand::Timeline}};

const std::set<CCliCommand> kTimeCommands = {CCliCommand::Profile, CCliCommand::Sqls,
                                             CCliCommand::Tree};
// The commands that take a time range (--from, --to).
const std::set<CCliCommand> kRangeCommands = {CCliCommand::Timeline, CCliCommand::List,
                                              CCliCommand::Profile,  CCliCommand::Sqls,
                                              CCliCommand::Tree,     CCliCommand::Execs};

const std::map<std::string, ESessionTag> kCuts = {{"session", ESessionTag::Session},
                                                  {"service", ESessionTag::Service},
                                                  {"module", ESessionTag::Module},
                                                  {"action", ESessionTag::Action},
                                                  {"client", ESessionTag::Client}};

const std::map<std::string, COutputFormat> kFormats = {{"table", COutputFormat::Table},
                                                       {"tsv", COutputFormat::Tsv},
                                                       {"csv", COutputFormat::Csv},
                                                       {"json", COutputFormat::Json}};

// Options that take a value, and the commands each option belongs to.
const std::set<std::string> kValueOptions = {"--types", "--sort",    "--format", "--row", "--after",
                                             "-o",      "--by",      "--sqlid",  "--top", "--from",
                                             "--to",    "--min-gap", "--columns"};
const std::map<std::string, std::set<CCliCommand>> kOptionCommands = {
    {"--hide-sys",
     {CCliCommand::List, CCliCommand::Show, CCliCommand::Save, CCliCommand::Follow,
      CCliCommand::Profile, CCliCommand::Sqls, CCliCommand::Tree, CCliCommand::Execs,
      CCliCommand::Timeline}},
    {"--types",
     {CCliCommand::List, CCliCommand::Show, CCliCommand::Save, CCliCommand::Follow,
      CCliCommand::Profile, CCliCommand::Sqls, CCliCommand::Tree, CCliCommand::Execs,
      CCliCommand::Timeline}},
    {"--sort", {CCliCommand::List, CCliCommand::Show, CCliCommand::Save, CCliCommand::Execs}},
    {"--desc", {CCliCommand::List, CCliCommand::Show, CCliCommand::Save, CCliCommand::Execs}},
    {"--format",
     {CCliCommand::List, CCliCommand::Follow, CCliCommand::Profile, CCliCommand::Sqls,
      CCliCommand::Tree, CCliCommand::Execs, CCliCommand::Timeline}},
    {"--columns", {CCliCommand::List, CCliCommand::Follow}},
    {"--from", kRangeCommands},
    {"--to", kRangeCommands},
    {"--min-gap", {CCliCommand::Timeline}},
    {"--all-depths", {CCliCommand::Timeline}},
    {"--exclude-idle", kTimeCommands},
    {"--by", {CCliCommand::Profile}},
    {"--row", {CCliCommand::Show, CCliCommand::Execs}},
    {"--sqlid", {CCliCommand::Execs}},
    {"--top", {CCliCommand::Execs}},
    {"--no-binds", {CCliCommand::Execs}},
    {"--histograms", {CCliCommand::Profile}},
    {"--after", {CCliCommand::Save}},
    {"--sql", {CCliCommand::Save}},
    {"--trc", {CCliCommand::Save}},
    {"-o", {CCliCommand::Save}}};

// Column titles or sort keys, comma-separated.
std::vector<int> ParseColumns(const std::string& value) {
    std::vector<int> columns;
    std::size_t from = 0;
    while (from <= value.size()) {
        const std::size_t comma = std::min(value.find(',', from), value.size());
        const std::string name = value.substr(from, comma - from);
        const int column = CStatementColumns::IndexOf(name);
        if (column < 0) {
            throw CUsageError("unknown column '" + name + "' (a column's title or sort key)");
        }
        columns.push_back(column);
        from = comma + 1;
    }
    return columns;
}

std::int64_t ParseRow(const std::string& option, const std::string& value) {
    std::int64_t number = 0;
    const char* end = value.data() + value.size();
    const auto result = std::from_chars(value.data(), end, number);
    if (value.empty() || result.ec != std::errc() || result.ptr != end || number < 0) {
        throw CUsageError(option + " needs a row number (0 or more), not '" + value + "'");
    }
    return number;
}

CTimeRange::CBound ParseTime(const std::string& option, const std::string& value) {
    const std::optional<CTimeRange::CBound> bound = CTimeRange::ReadBound(value);
    if (!bound.has_value()) {
        throw CUsageError(option +
                          " needs a time as the trace writes it (2024-01-16 17:52:40.466 "
                          "or 2024-01-16T17:52:40.466253-08:00) or a tim value, not '" +
                          value + "'");
    }
    return *bound;
}

// Milliseconds, with up to three decimals, as microseconds.
std::int64_t ParseMilliseconds(const std::string& option, const std::string& value) {
    const std::size_t point = value.find('.');
    const std::string whole = value.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : value.substr(point + 1);
    std::int64_t milliseconds = 0;
    std::int64_t micros = 0;
    const auto readAll = [](const std::string& digits, std::int64_t& number) {
        const char* end = digits.data() + digits.size();
        const auto result = std::from_chars(digits.data(), end, number);
        return result.ec == std::errc() && result.ptr == end;
    };
    if (whole.empty() || fraction.size() > 3 || !readAll(whole, milliseconds) || milliseconds < 0 ||
        milliseconds > INT64_MAX / 1000 ||
        (!fraction.empty() && !readAll(fraction.append(3 - fraction.size(), '0'), micros)) ||
        (point != std::string::npos && fraction.empty())) {
        throw CUsageError(option + " needs milliseconds (0 or more, up to three decimals), not '" +
                          value + "'");
    }
    return milliseconds * 1000 + micros;
}

} // namespace

CCliOptions CCliOptions::Parse(const std::vector<std::string>& args) {
    CCliOptions options;
    bool commandSeen = false;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (arg == "--") {
            break;
        }
        if (arg == "--help" || arg == "-h" || arg == "--version") {
            options.command = arg == "--version" ? CCliCommand::Version : CCliCommand::Help;
            return options;
        }
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (!commandSeen) {
                throw CUsageError(
                    "a command (list, show, save, follow, profile, sqls, tree, execs or timeline) "
                    "must come first");
            }
            const std::size_t equals = arg.find('=');
            const std::string name = arg.substr(0, equals);
            std::string value;
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (kValueOptions.count(name) != 0) {
                if (i + 1 >= args.size()) {
                    throw CUsageError("option " + name + " needs a value");
                }
                value = args[++i];
            }
            if (equals != std::string::npos && kValueOptions.count(name) == 0) {
                throw CUsageError("option " + name + " takes no value");
            }
            options.Apply(name, value);
        } else if (!commandSeen) {
            const auto command = kCommands.find(arg);
            if (command == kCommands.end()) {
                throw CUsageError("unknown command '" + arg + "'");
            }
            options.command = command->second;
            commandSeen = true;
        } else {
            options.paths.push_back(arg);
        }
    }
    options.Check();
    return options;
}

void CCliOptions::Apply(const std::string& option, const std::string& value) {
    const auto owners = kOptionCommands.find(option);
    if (owners == kOptionCommands.end()) {
        throw CUsageError("unknown option '" + option + "'");
    }
    if (owners->second.count(command) == 0) {
        throw CUsageError("option " + option + " does not apply to this command");
    }
    if (option == "--hide-sys") {
        hideSys = true;
    } else if (option == "--types") {
        if (value.find_first_not_of("01") != std::string::npos) {
            throw CUsageError("--types takes only the characters 0 and 1, not '" + value + "'");
        }
        typeFlags = value;
    } else if (option == "--sort") {
        if (CStatementColumns::FindBySortKey(value) == nullptr) {
            throw CUsageError("unknown sort key '" + value + "'");
        }
        sortKey = value;
    } else if (option == "--columns") {
        columns = ParseColumns(value);
    } else if (option == "--desc") {
        descending = true;
    } else if (option == "--format") {
        const auto found = kFormats.find(value);
        if (found == kFormats.end()) {
            throw CUsageError("unknown format '" + value + "' (table, tsv, csv or json)");
        }
        format = found->second;
    } else if (option == "--row") {
        row = ParseRow(option, value);
    } else if (option == "--sqlid") {
        sqlId = value;
    } else if (option == "--top") {
        top = ParseRow(option, value);
    } else if (option == "--histograms") {
        histograms = true;
    } else if (option == "--no-binds") {
        withBinds = false;
    } else if (option == "--after") {
        after = ParseRow(option, value);
    } else if (option == "--exclude-idle") {
        excludeIdle = true;
    } else if (option == "--by") {
        const auto found = kCuts.find(value);
        if (found == kCuts.end()) {
            throw CUsageError("unknown session tag '" + value +
                              "' (session, service, module, action or client)");
        }
        cutBy = found->second;
    } else if (option == "--from") {
        timeRange.from = ParseTime(option, value);
    } else if (option == "--to") {
        timeRange.to = ParseTime(option, value);
    } else if (option == "--min-gap") {
        minGap = ParseMilliseconds(option, value);
    } else if (option == "--all-depths") {
        allDepths = true;
    } else if (option == "--sql" || option == "--trc") {
        const CSaveContent content = option == "--sql" ? CSaveContent::Sql : CSaveContent::Trc;
        if (saveContent != CSaveContent::None && saveContent != content) {
            throw CUsageError("give either --sql or --trc, not both");
        }
        saveContent = content;
    } else {
        outPath = value;
    }
}

void CCliOptions::Check() const {
    if (command == CCliCommand::Help) {
        throw CUsageError("a command (list, show, save, follow, profile, sqls, tree, execs or "
                          "timeline) is needed");
    }
    const bool tableOrJson = format == COutputFormat::Table || format == COutputFormat::Json;
    if ((command == CCliCommand::Profile || command == CCliCommand::Tree ||
         command == CCliCommand::Timeline) &&
        !tableOrJson) {
        throw CUsageError(std::string(command == CCliCommand::Profile ? "profile"
                                      : command == CCliCommand::Tree  ? "tree"
                                                                      : "timeline") +
                          " writes table or json only");
    }
    if (histograms && format != COutputFormat::Table) {
        throw CUsageError("profile --histograms writes a table only");
    }
    if (command == CCliCommand::Follow && paths.size() != 1) {
        throw CUsageError("follow needs exactly one folder");
    }
    if (paths.empty()) {
        throw CUsageError("no trace file given");
    }
    if (command == CCliCommand::Show && row < 0) {
        throw CUsageError("show needs --row N");
    }
    if (command == CCliCommand::Save && saveContent == CSaveContent::None) {
        throw CUsageError("save needs --sql or --trc");
    }
    if (command == CCliCommand::Execs && row >= 0 && !sqlId.empty()) {
        throw CUsageError("give either --row or --sqlid, not both");
    }
    if (command == CCliCommand::Save && outPath.empty()) {
        throw CUsageError("save needs -o OUT");
    }
}
