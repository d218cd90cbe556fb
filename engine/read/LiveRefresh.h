#pragma once

#include <chrono>

// Live mode reads the trace folder again after this long, in the window and on the command
// line alike.
inline constexpr std::chrono::milliseconds kLiveRefreshPeriod{3000};
