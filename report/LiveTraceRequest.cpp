#include "LiveTraceRequest.h"

#include "CTraceSettings.h"

#include <charconv>
#include <cstdint>
#include <string>

COpenRequest LiveTraceRequest(const CTraceSettings& trace) {
    const std::string sys = trace.GetValue(CTraceSettings::kSys);
    const char* first = sys.data();
    const char* last = sys.data() + sys.size();
    while (first != last && (*first == ' ' || *first == '\t')) {
        ++first;
    }
    std::int64_t showSys = 0;
    std::from_chars(first, last, showSys);
    return COpenRequest::LiveTrace(trace.GetValue(CTraceSettings::kTraceName),
                                   trace.GetValue(CTraceSettings::kTracePath), showSys != 0,
                                   trace.GetValue(CTraceSettings::kOctCheck));
}
