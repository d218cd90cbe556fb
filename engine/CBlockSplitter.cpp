#include "CBlockSplitter.h"

#include "TraceText.h"

namespace {

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

bool CanBeStatement(std::string_view firstLine) {
    return firstLine.starts_with("PARSING IN CURSOR") || firstLine.starts_with("PARSE ERROR");
}

} // namespace

void CBlockSplitter::Feed(std::string_view text, const BlockHandler& onBlock) {
    const char* const end = text.data() + text.size();
    const char* p = text.data();
    // Lines of the open block not yet copied into it: [runStart, runEnd) of `text`.
    std::size_t runStart = 0;
    std::size_t runEnd = 0;
    std::size_t runLines = 0;
    while (true) {
        while (p != end && IsBreak(*p)) {
            ++p;
        }
        if (p == end) {
            break;
        }
        const char* lineEnd = FindLineBreak(p, end);
        const std::string_view line(p, static_cast<std::size_t>(lineEnd - p));
        const auto offset = static_cast<std::size_t>(p - text.data());
        if (IsSeparatorLine(line)) {
            AppendLines(text.substr(runStart, runEnd - runStart), runLines);
            runLines = 0;
            if (m_nLines > 0) {
                std::string block = std::move(m_strBlock);
                const bool skipped = m_bSkipped;
                Reset();
                if (!skipped) {
                    onBlock(std::move(block));
                }
            }
        } else {
            if (m_nLines == 0) {
                m_bSkipped = !CanBeStatement(line);
            }
            ++m_nLines;
            m_bGrown = true;
            if (!m_bSkipped) {
                if (runLines == 0) {
                    runStart = offset;
                }
                runEnd = static_cast<std::size_t>(lineEnd - text.data());
                ++runLines;
            }
        }
        p = lineEnd;
    }
    AppendLines(text.substr(runStart, runEnd - runStart), runLines);
}

// Copies a run of lines into the open block, each line ending in CR LF whatever breaks
// separated them in the trace (a run of CR and LF counts as one break).
void CBlockSplitter::AppendLines(std::string_view run, std::size_t lines) {
    if (lines == 0) {
        return;
    }
    m_strBlock.reserve(m_strBlock.size() + run.size() + 2 * lines);
    const char* p = run.data();
    const char* const end = p + run.size();
    while (p != end) {
        const char* lineEnd = FindLineBreak(p, end);
        m_strBlock.append(p, lineEnd);
        m_strBlock.append("\r\n", 2);
        p = lineEnd;
        while (p != end && IsBreak(*p)) {
            ++p;
        }
    }
}

void CBlockSplitter::Finish(const BlockHandler& onBlock) {
    if (m_nLines > 0 && !m_bSkipped) {
        std::string block = std::move(m_strBlock);
        Reset();
        onBlock(std::move(block));
        return;
    }
    Reset();
}

bool CBlockSplitter::TakeGrowth() {
    const bool grown = m_bGrown;
    m_bGrown = false;
    return grown;
}

void CBlockSplitter::Reset() {
    m_strBlock.clear();
    m_strBlock.shrink_to_fit();
    m_nLines = 0;
    m_bSkipped = false;
    m_bGrown = false;
}
