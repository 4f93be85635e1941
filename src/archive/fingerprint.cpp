// SPDX-License-Identifier: MIT
#include "fingerprint.h"

#include "core/normalise.h"

namespace glenvary::archive {
namespace {

constexpr std::uint64_t kFnvOffset = 0xCBF29CE484222325ULL;
constexpr std::uint64_t kFnvPrime = 0x100000001B3ULL;

constexpr std::uint64_t Mix(std::uint64_t z) noexcept
{
    z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31U);
}

} // namespace

std::u16string NormalisedText(std::u16string text)
{
    core::NormaliseArticle(text);
    return text;
}

std::uint64_t ContentHash(std::u16string_view normalisedText) noexcept
{
    std::uint64_t h = kFnvOffset;
    for (const char16_t c : normalisedText) {
        h = (h ^ c) * kFnvPrime;
    }
    return Mix(h ^ normalisedText.size());
}

} // namespace glenvary::archive
