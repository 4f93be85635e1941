// SPDX-License-Identifier: MIT
// Glenvary: a set of word places that answers "the next member from here".
#pragma once

#include "prefetch.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace glenvary::core {

/// A set of places 0 .. Size() - 1 as a tree of bit words: one bit per place
/// at the bottom, and above it one bit per word of the level below, set
/// when that word has a member. Next() climbs until it finds a member and
/// climbs back down, so it costs a few memory reads whatever the distance
/// to the next member; a range is added or removed a bit word at a time.
/// Memory: Size() / 8 bytes and a 64th of that again.
class TPlaceSet {
public:
    /// Makes the set cover places 0 .. size - 1 (size >= 0), all of them
    /// members when `full`, none otherwise. Cost: O(size / 64).
    void Reset(std::int32_t size, bool full);

    /// Adds (`member`) or removes the places first .. last, both inside
    /// 0 .. Size() - 1 and first <= last (not checked).
    /// Cost: O((last - first) / 64 + tree height).
    void Assign(std::int32_t first, std::int32_t last, bool member);

    /// The first member at `from` or after it (from >= 0); Size() when there
    /// is none.
    [[nodiscard]] std::int32_t Next(std::int32_t from) const noexcept
    {
        // Most look-ups end in the bit word that holds `from`.
        const auto position = static_cast<std::size_t>(from);
        if (from < size_) {
            const std::uint64_t bits = levels_[0][position / 64] >> (position % 64);
            if (bits != 0) {
                return from + std::countr_zero(bits);
            }
        }
        return NextFar(from);
    }

    [[nodiscard]] std::int32_t Size() const noexcept { return size_; }

    /// Starts loading the bit word that Next(from) reads first (from inside
    /// 0 .. Size() - 1; others ask for nothing).
    void Prefetch(std::int32_t from) const noexcept
    {
        if (from >= 0 && from < size_) {
            PrefetchLine(&levels_[0][static_cast<std::size_t>(from) / 64]);
        }
    }

private:
    [[nodiscard]] std::int32_t NextFar(std::int32_t from) const noexcept;

    std::int32_t size_ = 0;
    // levels_[0] has a bit per place; a bit of levels_[k + 1] stands for a
    // word of levels_[k] and is set when that word is not zero. The top
    // level is a single word.
    std::vector<std::vector<std::uint64_t>> levels_;
};

} // namespace glenvary::core
