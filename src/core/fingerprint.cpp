// SPDX-License-Identifier: MIT
#include "fingerprint.h"

#include <algorithm>

namespace glenvary::core {
namespace {

constexpr std::uint64_t kFnvOffset = 0xCBF29CE484222325ULL;
constexpr std::uint64_t kFnvPrime = 0x100000001B3ULL;
constexpr std::uint64_t kGramSeed = 0x9E3779B97F4A7C15ULL;

constexpr std::uint64_t Mix(std::uint64_t z) noexcept
{
    z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31U);
}

} // namespace

std::uint64_t WordHash(std::u16string_view word) noexcept
{
    std::uint64_t h = kFnvOffset;
    for (char16_t c : word) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c + (u'a' - u'A'));
        }
        h = (h ^ c) * kFnvPrime;
    }
    return h;
}

std::uint64_t GramHash(const std::uint64_t* words) noexcept
{
    std::uint64_t h = kGramSeed;
    for (std::int32_t i = 0; i < kGramWords; ++i) {
        h = Mix(h ^ words[i]);
    }
    return h;
}

std::vector<TFingerprint> Fingerprints(const TArticle& article)
{
    const std::int32_t wordCount = article.lstWords.Count();
    std::vector<TFingerprint> result;
    if (wordCount < kGramWords) {
        return result;
    }
    std::vector<std::uint64_t> words(static_cast<std::size_t>(wordCount));
    const std::u16string_view text = article.sText;
    for (std::int32_t i = 0; i < wordCount; ++i) {
        const TWord& word = article.lstWords[i];
        words[static_cast<std::size_t>(i)] =
            WordHash(text.substr(static_cast<std::size_t>(word.iStart - 1),
                                 static_cast<std::size_t>(word.iEnd - word.iStart)));
    }
    const std::int32_t gramCount = wordCount - kGramWords + 1;
    std::vector<std::uint64_t> grams(static_cast<std::size_t>(gramCount));
    for (std::int32_t i = 0; i < gramCount; ++i) {
        grams[static_cast<std::size_t>(i)] = GramHash(&words[static_cast<std::size_t>(i)]) >> (64 - kFingerprintBits);
    }
    result.reserve(static_cast<std::size_t>(gramCount) / 2 + 1);
    // Winnowing: a window selects its smallest value, the rightmost of equal
    // ones; a place that the window before selected is not kept again. Any
    // window of w runs that two texts share selects the same value in
    // both, whatever surrounds it, which is all the guarantee needs.
    const std::int32_t window = std::min(kWindowGrams, gramCount);
    std::int32_t last = -1;
    for (std::int32_t start = 0; start + window <= gramCount; ++start) {
        std::int32_t best = start;
        for (std::int32_t i = start + 1; i < start + window; ++i) {
            if (grams[static_cast<std::size_t>(i)] <= grams[static_cast<std::size_t>(best)]) {
                best = i;
            }
        }
        if (best != last) {
            result.push_back(TFingerprint{grams[static_cast<std::size_t>(best)], best});
            last = best;
        }
    }
    return result;
}

} // namespace glenvary::core
