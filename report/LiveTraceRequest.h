#pragma once

#include "COpenRequest.h"

class CTraceSettings;

// The open request of a stored live trace. Its "SYS" value lists the statements of user SYS
// when its leading decimal number (after blanks) is not 0; an empty or non-numeric value
// gives 0.
COpenRequest LiveTraceRequest(const CTraceSettings& trace);
