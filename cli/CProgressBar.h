#pragma once

#include "IReadProgress.h"

#include <cstdio>

// A progress bar on a terminal for a file-mode read, redrawn when a tenth of a percent more
// is done; Finish clears it.
class CProgressBar final : public IReadProgress {
public:
    explicit CProgressBar(std::FILE* terminal);

    bool OnProgress(std::int64_t done, std::int64_t total) override;
    void Finish();

private:
    std::FILE* m_terminal;
    std::int64_t m_nShownPermille = -1;
};
