// SPDX-License-Identifier: MIT
#include "keyword.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <functional>

namespace glenvary::core {
namespace {

// The text as case-folded code points, with the UTF-16 offset of each and a
// final entry holding the text's length, so that a hit's extent in the
// original text is the difference of two offsets.
struct TFoldedText {
    std::vector<char32_t> points;
    std::vector<std::int32_t> offsets;
};

TFoldedText Fold(std::u16string_view text)
{
    TFoldedText folded;
    folded.points.reserve(text.size());
    folded.offsets.reserve(text.size() + 1);
    const auto* units = reinterpret_cast<const UChar*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    while (i < length) {
        folded.offsets.push_back(i);
        UChar32 c = 0;
        U16_NEXT(units, i, length, c);
        folded.points.push_back(static_cast<char32_t>(u_foldCase(c, U_FOLD_CASE_DEFAULT)));
    }
    folded.offsets.push_back(length);
    return folded;
}

} // namespace

std::u16string_view TrimKeyword(std::u16string_view keyword) noexcept
{
    std::size_t first = 0;
    std::size_t last = keyword.size();
    while (first < last && keyword[first] <= 32) {
        ++first;
    }
    while (last > first && keyword[last - 1] <= 32) {
        --last;
    }
    return keyword.substr(first, last - first);
}

std::vector<TKeywordHit> FindKeyword(std::u16string_view text, std::u16string_view keyword)
{
    std::vector<TKeywordHit> hits;
    const std::u16string_view trimmed = TrimKeyword(keyword);
    if (trimmed.empty() || text.empty()) {
        return hits;
    }
    const TFoldedText haystack = Fold(text);
    const TFoldedText needle = Fold(trimmed);
    const std::boyer_moore_horspool_searcher searcher(needle.points.begin(), needle.points.end());

    auto from = haystack.points.begin();
    const auto end = haystack.points.end();
    for (;;) {
        const auto hit = std::search(from, end, searcher);
        if (hit == end) {
            break;
        }
        const auto at = static_cast<std::size_t>(hit - haystack.points.begin());
        const std::int32_t position = haystack.offsets[at];
        const std::int32_t past = haystack.offsets[at + needle.points.size()];
        hits.push_back(TKeywordHit{position, past - position});
        from = hit + 1;
    }
    return hits;
}

double KeywordDensity(std::int32_t occurrences, std::int32_t words) noexcept
{
    if (words <= 0) {
        return 0.0;
    }
    return static_cast<double>(occurrences) * 100.0 / static_cast<double>(words);
}

} // namespace glenvary::core
