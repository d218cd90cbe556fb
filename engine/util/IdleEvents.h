#pragma once

#include <string_view>

// Whether a wait event is one a session spends waiting for work rather than working (the
// client thinking, a job waiting to run): such waits can be left out of a response time.
bool IsIdleEvent(std::string_view event);
