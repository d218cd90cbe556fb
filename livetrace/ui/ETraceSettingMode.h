#pragma once

// How the "Setting" dialog treats the trace it is given: "INSERT" starts a new trace with
// every command type checked; "UPDATE" shows a stored trace's values.
enum class ETraceSettingMode { Insert, Update };
