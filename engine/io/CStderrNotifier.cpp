#include "CStderrNotifier.h"

#include <cstdio>

void CStderrNotifier::Notify(const std::string& message) {
    std::fprintf(stderr, "velquor: %s\n", message.c_str());
}
