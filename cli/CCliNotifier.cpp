#include "CCliNotifier.h"

#include <cstdio>

void CCliNotifier::Notify(const std::string& message) {
    m_bFailed = true;
    std::fprintf(stderr, "velquor-cli: %s\n", message.c_str());
}
