// SPDX-License-Identifier: MIT
// Glenvary: where the chunk search looks for candidate starts: the places
// of a run's own lists, of its rarest word, or of the common endings of
// runs that end where it ends; how a sorted list of places is entered; and
// what a walk loads ahead. What may be skipped, and why, is said at each
// walk. The walks themselves are members of the search's state
// (chunk_match.h).
#pragma once

#include <cstdint>
#include <span>

namespace glenvary::core {

/// The first index from `at` on whose place is `target` or more, in the
/// ascending `places`: galloping out from `at`, then halving.
[[nodiscard]] std::int32_t SeekPlace(std::span<const std::int32_t> places, std::int32_t at,
                                     std::int32_t target) noexcept;

/// The first index of the ascending `places` whose place is `target` or
/// more, among places that lie in 0 .. spread - 1: a list of
/// `interpolateFrom` places or more is entered where an even spread would
/// put the target.
[[nodiscard]] std::int32_t FindPlace(std::span<const std::int32_t> places, std::int32_t target, std::int32_t spread,
                                     std::int32_t interpolateFrom) noexcept;

} // namespace glenvary::core
