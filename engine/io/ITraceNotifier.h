#pragma once

#include <string>

// Where the reader's file problems go: the window shows each message in a modal box and
// returns when the user closed it; the command-line tool prints it on stderr.
class ITraceNotifier {
public:
    virtual ~ITraceNotifier() = default;
    virtual void Notify(const std::string& message) = 0;
};
