#pragma once

#include "CCliOptions.h"
#include "CExecution.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Writes the executions of statements: per statement a heading and an aligned table, one line
// per execution in tab- or comma-separated values (after one line of titles), or a JSON
// array with one object per statement that has executions. Times are in seconds, in
// microseconds in json. Bind values are left out everywhere when asked.
class CExecutionWriter {
public:
    struct CStatement {
        std::int64_t row = 0;
        std::string sqlId; // empty without one
        std::vector<CExecution> executions;
    };

    static void Write(std::FILE* out, const std::vector<CStatement>& statements,
                      COutputFormat format, bool withBinds);
    // The bind sets as ":1=value :2=value" (NULL for none), sets apart by " | ".
    static std::string BindsCell(const std::vector<CBindSet>& binds);
    // One execution as JSON, with its bind sets when `withBinds`.
    static void AppendJson(std::string& out, const CExecution& execution, bool withBinds);
};
