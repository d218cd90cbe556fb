#pragma once

#include "CCallFigures.h"
#include "CCursorFigures.h"
#include "CPlanRow.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// The lines a cursor writes, recognised by how they begin: "PARSE #c:", "EXEC #c:",
// "FETCH #c:" (calls), "STAT #c " (a plan row), "WAIT #c:" (a wait), "CLOSE #c:" and
// "UNMAP #c:" (calls that only the profile counts) and "ERROR #c:" (an error), c being the
// cursor number in decimal; "XCTEND " (the end of a transaction, of no cursor) and the LOB
// calls, "LOB" and capitals then ":" ("LOBREAD:", "LOBWRITE:", "LOBTMPCREATE:"...), which
// the client makes on no cursor and only the profile counts.
enum class ETraceLine { Other, Parse, Exec, Fetch, Stat, Wait, Close, Unmap, Lob, Error, Xctend };

struct CCursorLine {
    ETraceLine kind = ETraceLine::Other;
    std::uint64_t cursor = 0;
    // Where the cursor number ends: at the ":" (the line's first) or the blank after it; 0 on
    // the lines of no cursor number.
    std::size_t end = 0;
};

// A call line's figures with the keys of its kind (misses for parse and execute, rows for
// execute and fetch), its depth ("dep=") and its time stamp ("tim="). `plain` when the line
// holds nothing but its pairs in the layout servers write, so no other call stands in it.
struct CCallLine {
    CCallFigures figures;
    std::int64_t depth = 0;
    std::int64_t time = 0;
    bool plain = false;
};

// A plan row with its operation's text in the line.
struct CStatLine {
    CPlanRow row;
    std::string_view operation;
};

struct CWaitLine {
    std::string_view event;
    std::int64_t elapsed = 0;
    std::int64_t time = 0;
};

// "XCTEND rlbk=N, rd_only=N, tim=N": a rollback when rlbk is not 0, else a commit that
// changed nothing when rd_only is not 0.
struct CXctendLine {
    bool rollback = false;
    bool readOnly = false;
    std::int64_t time = 0;
};

// "ERROR #c:err=N tim=N".
struct CErrorLine {
    std::int64_t error = 0;
    std::int64_t time = 0;
};

// The kind and cursor number of a line; Other for any line that is not a cursor's line.
CCursorLine ClassifyLine(std::string_view line);
ECallKind CallKindOf(ETraceLine kind);

// Reads "key=value" pairs after the cursor number: ":c=", ",e=", ",p=", ",cr=", ",cu=",
// ",mis=", ",r=" and ",dep=" count only when a "," follows their value, as the list's
// figures have always been read; "tim=" is read wherever it stands.
CCallLine ReadCallLine(std::string_view line, ECallKind kind);
// The same, `colon` being the position of the line's first ":" (npos without one).
CCallLine ReadCallLine(std::string_view line, ECallKind kind, std::size_t colon);
// A CLOSE, UNMAP or LOB line's cpu ("c="), elapsed ("e="), depth ("dep=", 0 on a LOB line, which
// has none) and time stamp ("tim="),
// read in one short pass over its pairs: the profile needs nothing else of these lines.
CCallLine ReadCloseLine(std::string_view line);
// " id=", " pid=" and " cnt=" up to a blank, the operation between "op='" and the next "'".
CStatLine ReadStatLine(std::string_view line);
// The event between "nam='" and the next "'", the number after "ela=" and after "tim=".
CWaitLine ReadWaitLine(std::string_view line);
// The same, `colon` being the position of the line's first ":" (npos without one).
CWaitLine ReadWaitLine(std::string_view line, std::size_t colon);
// The numbers after "rlbk=", "rd_only=" and "tim=".
CXctendLine ReadXctendLine(std::string_view line);
// The numbers after "err=" and "tim=".
CErrorLine ReadErrorLine(std::string_view line);

// The cursor number after the "#" at `position` of `line`; false without digits there.
bool ReadCursorNumber(std::string_view line, std::size_t position, std::uint64_t& cursor);
