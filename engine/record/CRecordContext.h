#pragma once

#include "CRecordContextRef.h"
#include "CSessionTags.h"
#include "CTraceFileSnapshot.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

// What the statements of one file read under the same session tags have in common: the
// process id taken from the file's name, the file as it was read (none when the records hold
// copies of their blocks) and the session tags current at their headers. It never changes
// after it is made, so those records share one, each through a CRecordContextRef.
class CRecordContext {
public:
    CRecordContext(const CRecordContext&) = delete;
    CRecordContext& operator=(const CRecordContext&) = delete;

    static CRecordContextRef Make(std::string pid, std::shared_ptr<const CTraceFileSnapshot> file,
                                  CSessionTags tags);

    const std::string& Pid() const { return m_strPid; }
    const CTraceFileSnapshot* File() const { return m_file.get(); }
    const CSessionTags& Tags() const { return m_tags; }
    // The same file and pid under other tags.
    CRecordContextRef WithTags(CSessionTags tags) const;

    // The context of a record made without one: no pid, no file, no tag set.
    static const CRecordContext& None();

    // Equal when the records would say the same: the pid by its text, the same file as it was
    // read (not the same copy of its snapshot), the tags by their values with a tag no line
    // set reading as empty, known or not.
    bool operator==(const CRecordContext& other) const;

private:
    friend CRecordContextRef;

    CRecordContext(std::string pid, std::shared_ptr<const CTraceFileSnapshot> file,
                   CSessionTags tags);

    static void Free(const CRecordContext* context) { delete context; }

    // Its CRecordContextRef owners.
    mutable std::atomic<std::size_t> m_nOwners = 0;
    std::string m_strPid;
    std::shared_ptr<const CTraceFileSnapshot> m_file;
    CSessionTags m_tags;
};
