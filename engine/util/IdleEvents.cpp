#include "IdleEvents.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr std::string_view kIdleEvents[] = {"SQL*Net message from client",
                                            "SQL*Net message from dblink",
                                            "SQL*Net vector message from client",
                                            "SQL*Net vector message from dblink",
                                            "PL/SQL lock timer",
                                            "pipe get",
                                            "jobq slave wait",
                                            "rdbms ipc message",
                                            "single-task message",
                                            "virtual circuit wait",
                                            "dispatcher timer"};

} // namespace

bool IsIdleEvent(std::string_view event) {
    return std::find(std::begin(kIdleEvents), std::end(kIdleEvents), event) !=
           std::end(kIdleEvents);
}
