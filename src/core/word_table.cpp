// SPDX-License-Identifier: MIT
// The words of one article interned (TWordTable in word_index.h).
#include "word_index.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace glenvary::core {
namespace {

constexpr char16_t FoldAscii(char16_t c) noexcept
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

// A word is folded and hashed four code units at a time, each four held in
// a 64-bit block with the first unit in the lowest 16 bits and zeros past
// the word's end.
constexpr std::size_t kBlockUnits = 4;

constexpr std::uint64_t kUnitTops = 0x8000800080008000ULL;

// The block with each of its capitals A-Z turned to the small letter, all
// four units at once: a unit is a capital when its low 15 bits reach 'A'
// but not past 'Z' and its top bit is clear.
constexpr std::uint64_t FoldBlock(std::uint64_t block) noexcept
{
    const std::uint64_t low = block & ~kUnitTops;
    const std::uint64_t fromA = (low + 0x7FBF7FBF7FBF7FBFULL) & kUnitTops;
    const std::uint64_t pastZ = (low + 0x7FA57FA57FA57FA5ULL) & kUnitTops;
    const std::uint64_t capitals = fromA & ~pastZ & ~block;
    // A capital's top-bit marker, moved down to 0x20, is what it lacks.
    return block + (capitals >> 10);
}

// The first `count` (at most four) units of `units` as a block.
std::uint64_t LoadBlock(const char16_t* units, std::size_t count) noexcept
{
    std::uint64_t block = 0;
    for (std::size_t k = 0; k < count; ++k) {
        block |= std::uint64_t{units[k]} << (16 * k);
    }
    return block;
}

// The units of the first `count` (0 .. 4) of a block's places.
constexpr std::array<std::uint64_t, kBlockUnits + 1> kFirstUnits = {
    0, 0xFFFFULL, 0xFFFFFFFFULL, 0xFFFFFFFFFFFFULL, ~std::uint64_t{0}};

constexpr std::uint64_t Mix(std::uint64_t h) noexcept
{
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

} // namespace

TWordTable::TKey TWordTable::KeyOf(std::u16string_view text, bool readAhead) noexcept
{
    const std::size_t size = text.size();
    const char16_t* units = text.data();
    TKey key;
    key.size = static_cast<std::uint32_t>(size);
    if (std::endian::native == std::endian::little && readAhead) {
        // The eight units from the word's start may be read whatever its
        // length; those past its end are cut off.
        std::memcpy(&key.head[0], units, sizeof(std::uint64_t));
        std::memcpy(&key.head[1], units + kBlockUnits, sizeof(std::uint64_t));
        key.head[0] &= kFirstUnits[std::min(size, kBlockUnits)];
        key.head[1] &= kFirstUnits[std::clamp(size, kBlockUnits, 2 * kBlockUnits) - kBlockUnits];
    } else {
        key.head[0] = LoadBlock(units, std::min(size, kBlockUnits));
        key.head[1] = size > kBlockUnits ? LoadBlock(units + kBlockUnits, std::min(size - kBlockUnits, kBlockUnits)) : 0;
    }
    key.head[0] = FoldBlock(key.head[0]);
    key.head[1] = FoldBlock(key.head[1]);
    // The two leading blocks are hashed side by side, the rest in turn.
    std::uint64_t h = (size * 0x9E3779B97F4A7C15ULL) ^ (key.head[0] * 0xC2B2AE3D27D4EB4FULL)
        ^ std::rotl(key.head[1] * 0x165667B19E3779F9ULL, 31);
    for (std::size_t at = 2 * kBlockUnits; at < size; at += kBlockUnits) {
        const std::uint64_t block = FoldBlock(LoadBlock(units + at, std::min(size - at, kBlockUnits)));
        h = std::rotl(h ^ (block * 0xC2B2AE3D27D4EB4FULL), 29) * 0x165667B19E3779F9ULL;
    }
    key.hash = Mix(h);
    return key;
}

std::u16string_view WordText(const TArticle& article, std::int32_t word) noexcept
{
    const TWord& w = article.lstWords.Items(word);
    const std::u16string_view text = article.sText;
    const auto size = static_cast<std::int64_t>(text.size());
    const std::int64_t begin = std::clamp<std::int64_t>(std::int64_t{w.iStart} - 1, 0, size);
    const std::int64_t end = std::clamp<std::int64_t>(std::int64_t{w.iEnd} - 1, begin, size);
    return text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
}

void TWordTable::Build(const TArticle& article)
{
    const std::int32_t words = article.lstWords.Count();
    ids_.resize(static_cast<std::size_t>(words));
    slots_.assign(1024, kAbsent);
    entries_.clear();
    folded_.clear();
    const char16_t* end = article.sText.data() + article.sText.size();
    for (std::int32_t w = 0; w < words; ++w) {
        const std::u16string_view text = WordText(article, w);
        const bool readAhead = end - text.data() >= static_cast<std::ptrdiff_t>(2 * kBlockUnits);
        ids_[static_cast<std::size_t>(w)] = Intern(text, KeyOf(text, readAhead));
    }
}

std::int32_t TWordTable::Intern(std::u16string_view text, const TKey& key)
{
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = key.hash & mask;; i = (i + 1) & mask) {
        const std::int32_t id = slots_[i];
        if (id == kAbsent) {
            const std::int32_t added = Count();
            slots_[i] = added;
            entries_.push_back(key);
            entries_.back().start = static_cast<std::uint32_t>(folded_.size());
            for (const char16_t c : text) {
                folded_.push_back(FoldAscii(c));
            }
            if (entries_.size() * 2 > slots_.size()) {
                Grow();
            }
            return added;
        }
        // Words of up to eight units are whole in their keys.
        if (entries_[static_cast<std::size_t>(id)].Matches(key)
            && (key.size <= 2 * kBlockUnits
                || std::equal(text.begin() + 2 * kBlockUnits, text.end(), Folded(id).begin() + 2 * kBlockUnits,
                              [](char16_t a, char16_t b) { return FoldAscii(a) == b; }))) {
            return id;
        }
    }
}

void TWordTable::Grow()
{
    slots_.assign(slots_.size() * 2, kAbsent);
    const std::size_t mask = slots_.size() - 1;
    for (std::int32_t id = 0; id < Count(); ++id) {
        std::size_t i = Hash(id) & mask;
        while (slots_[i] != kAbsent) {
            i = (i + 1) & mask;
        }
        slots_[i] = id;
    }
}

std::int32_t TWordTable::Find(std::u16string_view folded, std::uint64_t hash) const noexcept
{
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const std::int32_t id = slots_[i];
        if (id == kAbsent || (Hash(id) == hash && Folded(id) == folded)) {
            return id;
        }
    }
}

std::u16string_view TWordTable::Folded(std::int32_t id) const noexcept
{
    const TKey& entry = entries_[static_cast<std::size_t>(id)];
    return std::u16string_view(folded_).substr(entry.start, entry.size);
}

} // namespace glenvary::core
