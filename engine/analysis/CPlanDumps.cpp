#include "CPlanDumps.h"

#include "CStatementRecord.h"
#include "Saturating.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

namespace {

struct CDumpRow {
    CPlanRow row;
    std::string_view operation;
};
using CDump = std::vector<CDumpRow>;

// The first dump is the record's plan; a later one starts at a row whose id is not above the
// one before it. Each dump's rows in id order.
std::vector<CDump> DumpsOf(const CStatementRecord& record,
                           const std::vector<std::string>& operations) {
    std::vector<CDump> dumps;
    const std::vector<CPlanRow> plan = record.Plan();
    if (!plan.empty()) {
        dumps.emplace_back();
    }
    for (std::size_t i = 0; i < plan.size(); ++i) {
        dumps.back().push_back({plan[i], operations.at(i)});
    }
    const std::vector<CPlanRow> later = record.LaterPlanRows();
    for (std::size_t i = 0; i < later.size(); ++i) {
        if (i == 0 || later[i].id <= later[i - 1].id) {
            dumps.emplace_back();
        }
        dumps.back().push_back({later[i], operations.at(plan.size() + i)});
    }
    for (CDump& dump : dumps) {
        std::stable_sort(dump.begin(), dump.end(),
                         [](const CDumpRow& a, const CDumpRow& b) { return a.row.id < b.row.id; });
    }
    return dumps;
}

// What makes two dumps dumps of one plan: their operations under the same ids and parents.
std::string ShapeOf(const CDump& dump) {
    std::string shape;
    for (const CDumpRow& row : dump) {
        shape += std::to_string(row.row.id) + ' ' + std::to_string(row.row.parentId) + ' ';
        shape += CPlanDumps::OperationName(row.operation);
        shape += '\n';
    }
    return shape;
}

// The average of `n` values summing to `sum`, rounded to the nearest, a half to the even
// neighbour (0.5 to 0, 675.5 to 676) as tkprof rounds it.
std::int64_t Average(std::int64_t sum, std::size_t n) {
    const auto count = static_cast<std::int64_t>(n);
    const std::int64_t whole = sum / count;
    const std::int64_t twice = 2 * (sum % count);
    return whole + (twice > count || (twice == count && whole % 2 != 0) ? 1 : 0);
}

// A figure's average over the dumps that carry it; -1 when the first does not.
std::int64_t AverageFigure(const std::vector<const CDump*>& dumps, std::size_t index,
                           std::string_view key) {
    if (CPlanDumps::Figure((*dumps.front())[index].operation, key) < 0) {
        return -1;
    }
    std::int64_t sum = 0;
    std::size_t count = 0;
    for (const CDump* dump : dumps) {
        const std::int64_t value = CPlanDumps::Figure((*dump)[index].operation, key);
        if (value >= 0) {
            sum = SaturatingAdd(sum, value);
            ++count;
        }
    }
    return Average(sum, count);
}

bool Misestimated(std::int64_t card, std::int64_t rows) {
    if (card < 0) {
        return false;
    }
    const std::int64_t low = std::max<std::int64_t>(std::min(card, rows), 1);
    return std::max(card, rows) / 10 >= low;
}

CPlanDumps::CPlan Summary(const std::vector<const CDump*>& dumps) {
    CPlanDumps::CPlan plan;
    plan.dumps = dumps.size();
    std::unordered_map<std::int64_t, long> depths;
    const CDump& first = *dumps.front();
    for (std::size_t i = 0; i < first.size(); ++i) {
        CPlanSource source;
        source.id = first[i].row.id;
        source.parentId = first[i].row.parentId;
        if (source.parentId != 0) {
            const auto parent = depths.find(source.parentId);
            source.depth = (parent == depths.end() ? 0 : parent->second) + 1;
        }
        depths.emplace(source.id, source.depth);
        source.operation = CPlanDumps::OperationName(first[i].operation);
        source.rowsFirst = first[i].row.rows;
        std::int64_t sum = 0;
        for (const CDump* dump : dumps) {
            sum = SaturatingAdd(sum, (*dump)[i].row.rows);
            source.rowsMax = std::max(source.rowsMax, (*dump)[i].row.rows);
        }
        source.rowsAverage = Average(sum, dumps.size());
        source.cr = AverageFigure(dumps, i, "cr");
        source.pr = AverageFigure(dumps, i, "pr");
        source.pw = AverageFigure(dumps, i, "pw");
        source.time = AverageFigure(dumps, i, "time");
        source.cost = CPlanDumps::Figure(first[i].operation, "cost");
        source.size = CPlanDumps::Figure(first[i].operation, "size");
        source.card = CPlanDumps::Figure(first[i].operation, "card");
        source.misestimated = Misestimated(source.card, source.rowsAverage);
        plan.sources.push_back(std::move(source));
    }
    std::unordered_map<std::int64_t, std::int64_t> childrenTimes;
    for (const CPlanSource& child : plan.sources) {
        if (child.parentId != child.id && child.time > 0) {
            std::int64_t& sum = childrenTimes[child.parentId];
            sum = SaturatingAdd(sum, child.time);
        }
    }
    for (CPlanSource& source : plan.sources) {
        if (source.time >= 0) {
            const auto children = childrenTimes.find(source.id);
            const std::int64_t below = children == childrenTimes.end() ? 0 : children->second;
            source.selfTime = std::max<std::int64_t>(SaturatingSubtract(source.time, below), 0);
        }
    }
    return plan;
}

// Where the figures in parentheses at an operation's end begin; npos without.
std::size_t FiguresAt(std::string_view operation) {
    if (!operation.ends_with(')')) {
        return std::string_view::npos;
    }
    const std::size_t open = operation.rfind('(');
    return open != std::string_view::npos &&
                   operation.substr(open + 1).find('=') != std::string_view::npos
               ? open
               : std::string_view::npos;
}

} // namespace

CPlanDumps CPlanDumps::Of(const CStatementRecord& record,
                          const std::vector<std::string>& operations) {
    const std::vector<CDump> dumps = DumpsOf(record, operations);
    std::vector<std::string> shapes;
    std::vector<std::vector<const CDump*>> plans;
    for (const CDump& dump : dumps) {
        std::string shape = ShapeOf(dump);
        const auto known = std::find(shapes.begin(), shapes.end(), shape);
        if (known == shapes.end()) {
            shapes.push_back(std::move(shape));
            plans.push_back({&dump});
        } else {
            plans[static_cast<std::size_t>(known - shapes.begin())].push_back(&dump);
        }
    }
    CPlanDumps result;
    result.m_nDumps = dumps.size();
    for (const std::vector<const CDump*>& plan : plans) {
        result.m_plans.push_back(Summary(plan));
    }
    return result;
}

std::string_view CPlanDumps::OperationName(std::string_view operation) {
    const std::size_t at = FiguresAt(operation);
    std::string_view name = at == std::string_view::npos ? operation : operation.substr(0, at);
    while (name.ends_with(' ')) {
        name.remove_suffix(1);
    }
    return name;
}

std::int64_t CPlanDumps::Figure(std::string_view operation, std::string_view key) {
    const std::size_t at = FiguresAt(operation);
    if (at == std::string_view::npos) {
        return -1;
    }
    std::string_view figures = operation.substr(at + 1, operation.size() - at - 2);
    while (!figures.empty()) {
        const std::size_t space = figures.find(' ');
        const std::string_view word = figures.substr(0, space);
        figures = space == std::string_view::npos ? std::string_view() : figures.substr(space + 1);
        if (word.size() > key.size() && word.starts_with(key) && word[key.size()] == '=') {
            std::int64_t value = -1;
            const char* begin = word.data() + key.size() + 1;
            const auto [end, error] = std::from_chars(begin, word.data() + word.size(), value);
            return error == std::errc() && end == word.data() + word.size() && value >= 0 ? value
                                                                                          : -1;
        }
    }
    return -1;
}
