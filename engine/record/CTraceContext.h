#pragma once

#include <compare>
#include <optional>
#include <string>

// The context a line of a trace belongs to: the process that wrote it and the session that
// process served then. The process is the one a line starting "Unix process pid: N" or
// "Windows thread id: N" names, until a line "*** [ Unix process pid: N ]" (or "*** [ Windows
// thread id: N ]") switches it; the session is "sid.serial" of the last "*** SESSION ID:(...)"
// header of that process. Each context has its own cursors, depths, session tags and time.
//
// A reader of one piece of a file knows only what the piece's lines state: a member the
// piece did not state is not known there and follows the text before the piece once that is
// known. For a whole file (or one read from its start) a member not stated means that the
// trace stated none: no process id, or no session yet.
struct CTraceContext {
    std::optional<std::string> process;
    std::optional<std::string> session;

    // This context, its members not stated taken from the context current before.
    CTraceContext After(const CTraceContext& before) const {
        return {process ? process : before.process, session ? session : before.session};
    }

    bool operator==(const CTraceContext&) const = default;
    std::strong_ordering operator<=>(const CTraceContext&) const = default;
};
