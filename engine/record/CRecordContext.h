#pragma once

#include "CRecordContextRef.h"
#include "CSessionTags.h"
#include "CTraceContext.h"
#include "CTraceFileSnapshot.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// What the statements of one file read in the same context under the same session tags have
// in common: the process the trace states (CTraceContext), the process id taken from the
// file's name, the file as it was read (none when the records hold copies of their blocks) and
// the session tags of their context current at their headers, the session among them. It
// never changes after it is made, so those records share one, each through a
// CRecordContextRef.
class CRecordContext {
public:
    CRecordContext(const CRecordContext&) = delete;
    CRecordContext& operator=(const CRecordContext&) = delete;

    // `pid`: the process id taken from the file's name; `process`: the one the trace states.
    static CRecordContextRef Make(std::string pid, std::shared_ptr<const CTraceFileSnapshot> file,
                                  CSessionTags tags, std::optional<std::string> process = {});

    // The process id the trace states, else the one taken from the file's name.
    std::string_view Pid() const { return m_process ? *m_process : m_strPid; }
    const CTraceFileSnapshot* File() const { return m_file.get(); }
    const CSessionTags& Tags() const { return m_tags; }
    // The process and session the records were read in.
    CTraceContext Trace() const;
    // The same file and pid in the given context under other tags.
    CRecordContextRef WithTags(CSessionTags tags) const;
    CRecordContextRef With(std::optional<std::string> process, CSessionTags tags) const;

    // The context of a record made without one: no pid, no file, no tag set.
    static const CRecordContext& None();

    // Equal when the records would say the same: the pid (Pid) by its text, the same file as it was
    // read (not the same copy of its snapshot), the tags by their values with a tag no line
    // set reading as empty, known or not.
    bool operator==(const CRecordContext& other) const;

private:
    friend CRecordContextRef;

    CRecordContext(std::string pid, std::shared_ptr<const CTraceFileSnapshot> file,
                   CSessionTags tags, std::optional<std::string> process);

    static void Free(const CRecordContext* context) { delete context; }

    // Its CRecordContextRef owners.
    mutable std::atomic<std::size_t> m_nOwners = 0;
    std::string m_strPid;
    std::optional<std::string> m_process;
    std::shared_ptr<const CTraceFileSnapshot> m_file;
    CSessionTags m_tags;
};
