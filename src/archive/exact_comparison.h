// SPDX-License-Identifier: MIT
// Glenvary archive: the exact comparison of an article with one archive
// document, the same one that `glenvary-cli compare` runs.
#pragma once

#include "core/comparison.h"

#include <string>
#include <vector>

namespace glenvary::archive {

/// Both sides after the comparison, with their colours.
struct TExactComparison {
    core::TCompareOutcome outcome;
    core::TArticle document;
    core::TArticle article;
};

/// Compares the archive document (as article 1) with the checked article
/// (as article 2) exactly as the command line's compare does: both texts
/// normalised, a length of 0 taken as 1, the engine's passages not kept.
[[nodiscard]] TExactComparison CompareExactly(std::u16string documentText, std::u16string articleText,
                                              core::TUnitKind unit, std::int32_t minLength);

/// A maximal run of consecutive words of one colour other than white.
struct TPassage {
    std::int32_t firstWord = 0;
    std::int32_t lastWord = 0;
    /// UTF-16 offsets into the normalised text, from 0, end exclusive.
    std::int32_t start = 0;
    std::int32_t end = 0;
    core::TColor color = core::clWhite;

    friend bool operator==(const TPassage&, const TPassage&) = default;
};

/// The marked passages of a compared side, in text order.
[[nodiscard]] std::vector<TPassage> MarkedPassages(const core::TArticle& side);

} // namespace glenvary::archive
