#include "CProgressBar.h"

#include <string>

namespace {

constexpr int kBarWidth = 40;

} // namespace

CProgressBar::CProgressBar(std::FILE* terminal) : m_terminal(terminal) {}

bool CProgressBar::OnProgress(std::int64_t done, std::int64_t total) {
    const std::int64_t permille = total > 0 ? done * 1000 / total : 1000;
    if (permille == m_nShownPermille) {
        return true;
    }
    m_nShownPermille = permille;
    const auto filled = static_cast<std::size_t>(permille * kBarWidth / 1000);
    const std::string bar =
        std::string(filled, '#') + std::string(static_cast<std::size_t>(kBarWidth) - filled, '.');
    std::fprintf(m_terminal, "\rreading [%s] %3d.%d%%", bar.c_str(),
                 static_cast<int>(permille / 10), static_cast<int>(permille % 10));
    std::fflush(m_terminal);
    return true;
}

void CProgressBar::Finish() {
    if (m_nShownPermille >= 0) {
        std::fprintf(m_terminal, "\r%*s\r", kBarWidth + 20, "");
        std::fflush(m_terminal);
    }
}
