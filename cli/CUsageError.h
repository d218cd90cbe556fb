#pragma once

#include <stdexcept>

// A mistake in the command line, a missing input file or an unreadable folder: the tool
// prints the message on one line and exits with status 2.
class CUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
