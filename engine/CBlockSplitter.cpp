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
    m_lines.clear();
    while (true) {
        while (p != end && IsBreak(*p)) {
            ++p;
        }
        if (p == end) {
            break;
        }
        const char* lineEnd = FindLineBreak(p, end);
        const std::string_view line(p, static_cast<std::size_t>(lineEnd - p));
        if (IsSeparatorLine(line)) {
            AppendLines(text);
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
                m_lines.emplace_back(static_cast<std::size_t>(p - text.data()), line.size());
            }
        }
        p = lineEnd;
    }
    AppendLines(text);
}

// Copies the lines found so far into the open block, each ending in CR LF whatever breaks
// separated them in the trace (a run of CR and LF counts as one break).
void CBlockSplitter::AppendLines(std::string_view text) {
    if (m_lines.empty()) {
        return;
    }
    std::size_t size = m_strBlock.size();
    for (const auto& [offset, length] : m_lines) {
        size += length + 2;
    }
    m_strBlock.reserve(size);
    for (const auto& [offset, length] : m_lines) {
        m_strBlock.append(text.data() + offset, length);
        m_strBlock.append("\r\n", 2);
    }
    m_lines.clear();
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
