// SPDX-License-Identifier: MIT
// Glenvary: counting a keyword phrase in an article.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace glenvary::core {

/// One occurrence of a keyword: its place in the text, in UTF-16 code units
/// from 0. `length` is the occurrence's own length in the text.
struct TKeywordHit {
    std::int32_t position = 0;
    std::int32_t length = 0;

    friend bool operator==(const TKeywordHit&, const TKeywordHit&) = default;
};

/// The keyword as it is searched: without leading and trailing code units
/// of value 32 or below.
[[nodiscard]] std::u16string_view TrimKeyword(std::u16string_view keyword) noexcept;

/// Every occurrence of the trimmed `keyword` in `text`, in text order:
/// letter case is ignored (Unicode simple case folding, every script),
/// occurrences inside words count, and overlapping occurrences all count
/// (each search starts one character after the previous hit's first
/// character). An empty keyword occurs nowhere. Ill-formed UTF-16 is taken
/// unit by unit. Cost: O(text + hits) for ordinary keywords.
[[nodiscard]] std::vector<TKeywordHit> FindKeyword(std::u16string_view text, std::u16string_view keyword);

/// occurrences / words x 100 as one correctly rounded division; 0 when the
/// article has no words. No upper bound: overlapping hits can pass 100.
[[nodiscard]] double KeywordDensity(std::int32_t occurrences, std::int32_t words) noexcept;

} // namespace glenvary::core
