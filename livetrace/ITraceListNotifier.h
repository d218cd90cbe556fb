#pragma once

#include <string>

// Where the trace list store reports a problem the user must know of: the dialogs show
// it in a modal message box, tests record it.
class ITraceListNotifier {
public:
    virtual ~ITraceListNotifier() = default;
    virtual void Notify(const std::string& message) = 0;
};
