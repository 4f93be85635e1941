// SPDX-License-Identifier: MIT
// Glenvary: what the walk remembers of its matches, so that a coloured
// word can be traced to its passage and the passage's copy.
#pragma once

#include "comparison.h"

namespace glenvary::core {

// A match the walk made, or several made one after the other that
// continue one copy, and the first word painted in each article: the
// words from there to the range's end took their present colour from
// it, unless a later match painted them again. `lastFirst1` is where the
// last of the joined matches starts in article 1.
struct TMatchRecord {
    TComparison::TPassage ranges;
    TColor colour = clWhite;
    std::int32_t painted1 = 0;
    std::int32_t painted2 = 0;
    std::int32_t lastFirst1 = 0;

    // Whether `after`, made later, continues this copy: same colour and
    // offset, starting in article 1 no further than one word past this
    // range's end and not before its last match.
    [[nodiscard]] bool ContinuedBy(const TMatchRecord& after) const noexcept
    {
        return colour == after.colour && ranges.first1 - ranges.first2 == after.ranges.first1 - after.ranges.first2
            && after.ranges.first1 >= lastFirst1 && after.ranges.first1 <= ranges.last1 + 1;
    }
};

} // namespace glenvary::core
