#pragma once

#include "ITraceNotifier.h"

// Reports the reader's file problems on standard error, one line each.
class CStderrNotifier final : public ITraceNotifier {
public:
    void Notify(const std::string& message) override;
};
