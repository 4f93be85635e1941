// SPDX-License-Identifier: MIT
// Glenvary: interned words of two articles, for fast chunk look-up.
#pragma once

#include "segmentation.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace glenvary::core {

/// The text of word `word` of `article`, cut out of its stored text by the
/// word's positions and clamped to the text, so that lists and a text that
/// disagree never lead outside the text.
[[nodiscard]] std::u16string_view WordText(const TArticle& article, std::int32_t word) noexcept;

/// Word equality of the matching: equal after folding the ASCII capitals
/// A-Z to small letters; every other code unit must agree exactly.
[[nodiscard]] bool SameWord(std::u16string_view a, std::u16string_view b) noexcept;

/// Both articles' words as small integers: two words get the same id
/// exactly when SameWord holds. Ids of article 2 run from 0 upwards; a word
/// of article 1 that occurs nowhere in article 2 gets kAbsent. For every id,
/// and for every pair of ids that stand side by side in article 2, the
/// ascending list of their places in article 2 is kept: a pair of common
/// words is far rarer than either word, so it narrows the candidates.
///
/// Building costs two hashes and probes per word, O(words) memory.
class TWordIndex {
public:
    static constexpr std::int32_t kAbsent = -1;

    TWordIndex(const TArticle& article1, const TArticle& article2);

    [[nodiscard]] std::int32_t Id1(std::int32_t word) const noexcept { return ids1_[static_cast<std::size_t>(word)]; }
    [[nodiscard]] std::int32_t Id2(std::int32_t word) const noexcept { return ids2_[static_cast<std::size_t>(word)]; }
    [[nodiscard]] std::int32_t DistinctWords2() const noexcept { return distinct2_; }

    /// Ascending word indices of article 2 whose id is `id` (empty for
    /// kAbsent).
    [[nodiscard]] std::span<const std::int32_t> Places(std::int32_t id) const noexcept;

    /// Ascending word indices j of article 2 with Id2(j) == first and
    /// Id2(j + 1) == second (empty when that pair never occurs).
    [[nodiscard]] std::span<const std::int32_t> PairPlaces(std::int32_t first, std::int32_t second) const noexcept;

private:
    // Places grouped by key: the places of key k are
    // places[start[k] .. start[k + 1]), ascending.
    struct TPlaceLists {
        std::vector<std::int32_t> start;
        std::vector<std::int32_t> places;

        void Build(const std::vector<std::int32_t>& keyAt, std::int32_t keys);
        [[nodiscard]] std::span<const std::int32_t> Of(std::int32_t key) const noexcept;
    };
    // Open addressing from a pair of ids to its key in pairs_.
    struct TPairSlot {
        std::uint64_t pair = 0;
        std::int32_t key = -1;
    };
    static std::uint64_t PairKey(std::int32_t first, std::int32_t second) noexcept;
    [[nodiscard]] std::size_t PairSlot(std::uint64_t pair) const noexcept;

    std::vector<std::int32_t> ids1_;
    std::vector<std::int32_t> ids2_;
    std::int32_t distinct2_ = 0;
    TPlaceLists words_;
    TPlaceLists pairs_;
    std::vector<TPairSlot> pairSlots_;
};

} // namespace glenvary::core
