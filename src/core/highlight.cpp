// SPDX-License-Identifier: MIT
#include "highlight.h"

#include <algorithm>

namespace glenvary::core {

std::vector<THighlightRun> HighlightRuns(std::u16string_view text, std::span<const TWord> words)
{
    std::vector<THighlightRun> runs;
    const auto size = static_cast<std::int64_t>(text.size());
    // Everything before `drawn` (0-based) has its run; 64 bits, because a
    // word's positions may lie anywhere in the 32-bit range.
    std::int64_t drawn = 0;
    const auto draw = [&](std::int64_t end, TColor color) {
        end = std::min(end, size);
        if (end <= drawn) {
            return;
        }
        if (!runs.empty() && runs.back().color == color) {
            runs.back().length += static_cast<std::int32_t>(end - drawn);
        } else {
            runs.push_back({static_cast<std::int32_t>(drawn), static_cast<std::int32_t>(end - drawn), color});
        }
        drawn = end;
    };
    // The text before the first word is drawn as if a white word preceded it.
    TColor previousColor = clWhite;
    for (const TWord& word : words) {
        // 1-based iStart is the 0-based end of the gap before the word, and
        // 1-based iEnd the 0-based end of the word itself.
        draw(std::int64_t{word.iStart} - 1, word.iColor == previousColor ? word.iColor : clWhite);
        draw(std::int64_t{word.iEnd} - 1, word.iColor);
        previousColor = word.iColor;
    }
    draw(size, previousColor);
    return runs;
}

} // namespace glenvary::core
