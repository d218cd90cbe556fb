#include "CStatementColumns.h"

#include "CSqlReader.h"
#include "CStatementRecord.h"
#include "TimeText.h"
#include "Utf8Text.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using R = CStatementRecord;
using S = CSqlReader;
using A = CStatementColumns::Align;
using U = CStatementColumns::Unit;

// How many of the bytes from `pos` on, at most `most`, are ASCII text: a character each and
// none a control character.
std::size_t AsciiRun(std::string_view text, std::size_t pos, std::size_t most) {
    const std::size_t end = pos + std::min(most, text.size() - pos);
    std::size_t i = pos;
    while (i < end && static_cast<unsigned char>(text[i]) >= 0x20 &&
           static_cast<unsigned char>(text[i]) < 0x80) {
        ++i;
    }
    return i - pos;
}

// The sums of the count to rows columns are the record's totals: parse, execute and fetch
// added up, rows from execute and fetch only. The two text columns of any length, Command
// Type and the SQL text, are left-aligned, so their starts line up. After the description's
// columns: the SQL id (a text the record makes when asked, kept per thread until the next),
// the elapsed time without recursive calls and the time of all waits.
constexpr std::array<CStatementColumns::CColumn, CStatementColumns::kCount> kColumns = {{
    {"Command Type", 90, A::Left, "octName",
     [](const R& r, S&) -> std::string_view { return r.OctName(); }, nullptr},
    {"uid", 80, A::Centre, "user_id", nullptr, [](const R& r) { return r.UserId(); }},
    {"pid", 80, A::Centre, "pid", [](const R& r, S&) -> std::string_view { return r.Pid(); },
     nullptr},
    {"Sql Statament", 180, A::Left, "sqlStr", [](const R& r, S& sqls) { return sqls.Sql(r); },
     nullptr},
    {"Error No", 80, A::Centre, "error_result",
     [](const R& r, S&) -> std::string_view { return r.Error(); }, nullptr},
    {"count", 80, A::Centre, "total_cnt", nullptr, [](const R& r) { return r.Total().count; }},
    {"cpu", 80, A::Centre, "total_cpu", nullptr, [](const R& r) { return r.Total().cpu; }},
    {"elapsed", 90, A::Centre, "total_elap", nullptr, [](const R& r) { return r.Total().elapsed; }},
    {"disk", 80, A::Centre, "total_disk", nullptr, [](const R& r) { return r.Total().disk; }},
    {"query", 80, A::Centre, "total_query", nullptr, [](const R& r) { return r.Total().query; }},
    {"current", 80, A::Centre, "total_current", nullptr,
     [](const R& r) { return r.Total().current; }},
    {"rows", 80, A::Centre, "total_rows", nullptr, [](const R& r) { return r.Total().rows; }},
    {"parse misses", 100, A::Centre, "parse_miss", nullptr,
     [](const R& r) { return r.Parse().misses; }},
    {"execute misses", 100, A::Centre, "exec_miss", nullptr,
     [](const R& r) { return r.Exec().misses; }},
    {"sqlid", 110, A::Left, "sql_id",
     [](const R& r, S&) -> std::string_view {
         thread_local std::string s_sqlId;
         s_sqlId = r.SqlId();
         return s_sqlId;
     },
     nullptr},
    {"self elapsed", 100, A::Centre, "self_elap", nullptr,
     [](const R& r) { return r.SelfTotal().elapsed; }, U::Seconds},
    {"waits", 90, A::Centre, "wait_time", nullptr, [](const R& r) { return r.WaitTime(false); },
     U::Seconds},
}};

} // namespace

const CStatementColumns::CColumn& CStatementColumns::At(int column) {
    return kColumns.at(static_cast<std::size_t>(column));
}

const CStatementColumns::CColumn* CStatementColumns::FindBySortKey(std::string_view key) {
    for (const CColumn& column : kColumns) {
        if (column.sortKey == key) {
            return &column;
        }
    }
    return nullptr;
}

int CStatementColumns::IndexOf(std::string_view name) {
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        if (kColumns[c].title == name || kColumns[c].sortKey == name) {
            return static_cast<int>(c);
        }
    }
    return -1;
}

std::array<int, CStatementColumns::kCount>
CStatementColumns::FittingWidths(const std::array<int, kCount>& needed) {
    double scale = 1.0;
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        scale = std::max(scale, static_cast<double>(needed[c]) / kColumns[c].width);
    }
    std::array<int, kCount> widths{};
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        widths[c] = static_cast<int>(std::ceil(kColumns[c].width * scale));
    }
    return widths;
}

std::string CStatementColumns::Cell(const CStatementRecord& record, int column, CSqlReader& sqls) {
    const CColumn& c = At(column);
    if (c.IsNumber()) {
        const std::int64_t number = c.numberOf(record);
        return c.unit == Unit::Seconds ? FormatSeconds(number) : std::to_string(number);
    }
    const std::string_view text = c.textOf(record, sqls);
    return column == kSqlColumn ? SqlCell(text) : std::string(text);
}

std::string CStatementColumns::SqlCell(std::string_view sql) {
    std::string cell;
    std::size_t characters = 0;
    bool gap = false; // control characters since the last piece of text
    std::size_t pos = 0;
    while (pos < sql.size() && characters < kSqlCellLength) {
        if (static_cast<unsigned char>(sql[pos]) < 0x20) {
            gap = !cell.empty();
            ++pos;
            continue;
        }
        if (gap) {
            if (characters + 1 == kSqlCellLength) {
                break; // a blank with no text after it
            }
            cell += ' ';
            ++characters;
            gap = false;
        }
        const std::size_t ascii = AsciiRun(sql, pos, kSqlCellLength - characters);
        if (ascii > 0) {
            cell.append(sql.substr(pos, ascii));
            pos += ascii;
            characters += ascii;
            continue;
        }
        const std::size_t length = Utf8CharacterAt(sql, pos);
        cell.append(sql.substr(pos, length));
        pos += length;
        ++characters;
    }
    return cell;
}
