#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Cuts trace text into lines (at every run of CR and LF characters) and the lines into
// blocks at separator lines. A block's text is its lines, each followed by CR LF. The block
// after the last separator stays open across calls of Feed, so a trace read piecewise gives
// the same blocks as the whole text. Blocks that cannot be statement blocks (their first
// line does not begin with "PARSING IN CURSOR" or "PARSE ERROR") are skipped without
// keeping their text.
class CBlockSplitter {
public:
    using BlockHandler = std::function<void(std::string&& block)>;

    // Cuts `text` (which must end at a line break unless no more text follows) and hands
    // every block closed by a separator line to `onBlock`.
    void Feed(std::string_view text, const BlockHandler& onBlock);
    // Hands the open block, if it has lines and may be a statement, to `onBlock` and forgets it.
    void Finish(const BlockHandler& onBlock);
    // The open block's text; empty when there is none or it cannot be a statement.
    const std::string& OpenBlock() const { return m_strBlock; }
    // Whether lines were added to the open block since the last call of TakeGrowth.
    bool TakeGrowth();
    void Reset();

private:
    void AppendLines(std::string_view text);

    std::string m_strBlock;
    std::int64_t m_nLines = 0;
    bool m_bSkipped = false; // the open block cannot be a statement block
    bool m_bGrown = false;
    // Lines of the open block found in the text being fed, not yet copied: (offset, length).
    std::vector<std::pair<std::size_t, std::size_t>> m_lines;
};
