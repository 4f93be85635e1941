// SPDX-License-Identifier: MIT
// Glenvary: the fingerprints of an article's words: hashes of its runs of
// words, winnowed so that any long enough run two texts share gives them a
// fingerprint in common. The archive indexes them; a batch run finds its
// candidate pairs through them.
#pragma once

#include "segmentation.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace glenvary::core {

/// Words in one hashed run (k): each fingerprint stands for this many
/// consecutive words.
inline constexpr std::int32_t kGramWords = 5;
/// Consecutive word runs in one winnowing window (w).
inline constexpr std::int32_t kWindowGrams = 4;
/// The guarantee threshold T = w + k - 1: a run of this many words shared
/// by two texts always gives them a fingerprint in common.
inline constexpr std::int32_t kGuaranteeWords = kWindowGrams + kGramWords - 1;
static_assert(kGuaranteeWords <= 8, "copies of eight words must always be found");
/// Bits kept of a run's 64-bit hash: the high 40. Enough that a chance
/// collision between unrelated runs is rare at millions of runs (each costs
/// only an extra candidate), few enough that sorted fingerprints pack into
/// one or two bytes of difference each.
inline constexpr int kFingerprintBits = 40;

/// One selected run: its fingerprint and the index of its first word.
struct TFingerprint {
    std::uint64_t value = 0;
    std::int32_t position = 0;

    friend bool operator==(const TFingerprint&, const TFingerprint&) = default;
};

/// The hash of one word: 64-bit FNV-1a over its UTF-16 code units, one unit
/// a step (h ^= unit; h *= 0x100000001B3, from 0xCBF29CE484222325), after
/// folding A-Z to a-z; every other code unit is taken as it is. Two words
/// the comparison takes as equal get equal hashes. Fixed for all builds and
/// machines: archives store what it gives.
[[nodiscard]] std::uint64_t WordHash(std::u16string_view word) noexcept;

/// The 64-bit hash of the kGramWords word hashes starting at `words`: from
/// the seed 0x9E3779B97F4A7C15, each word hash in turn is xored in and the
/// state mixed by the splitmix64 finaliser. Fixed like WordHash.
[[nodiscard]] std::uint64_t GramHash(const std::uint64_t* words) noexcept;

/// The fingerprints of a split article (words as core::ParseArticle gives
/// them): the runs of kGramWords words are hashed and winnowed with windows
/// of kWindowGrams runs; each window selects its smallest fingerprint,
/// the rightmost of equal ones, and each selection is kept once, in word
/// order. An article of at least kGramWords but fewer than kGuaranteeWords
/// words is one short window. Fewer words give nothing.
/// Cost: linear in the article's characters; about 2 / (w + 1) of the
/// runs are selected (0.4 a word).
[[nodiscard]] std::vector<TFingerprint> Fingerprints(const TArticle& article);

} // namespace glenvary::core
