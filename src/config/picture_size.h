// SPDX-License-Identifier: MIT
// Glenvary start-up configuration: the size a banner picture claims, read
// from its headers before anything decodes it.
#pragma once

#include <cstdint>
#include <string_view>

namespace glenvary::config {

/// Width and height in pixels.
struct TPictureSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
};

/// The most bytes of a picture's file that ClaimedPictureSize walks: a
/// banner is tens of kilobytes, and a longer file is read no further than
/// this.
inline constexpr std::size_t kMaxPictureHeaderWalk = std::size_t{16} * 1024 * 1024;

/// The size that the headers of the picture `bytes` claim, for a `format`
/// ("gif", "bmp"; lower case) whose decoder allocates what its headers ask
/// before looking further, or {0, 0} for a format whose decoder reports its
/// size itself or for bytes it cannot read.
/// A GIF claims the largest of its logical screen and every frame's extent
/// (left + width, top + height), since decoding a frame allocates both
/// (GIF89a, "Logical Screen Descriptor" and "Image Descriptor"); its
/// blocks are walked over the first kMaxPictureHeaderWalk bytes. A BMP
/// claims the sides of its info header, the height's magnitude for a
/// top-down picture. Cost: O(frames) for a GIF, O(1) otherwise.
[[nodiscard]] TPictureSize ClaimedPictureSize(std::string_view bytes, std::string_view format) noexcept;

} // namespace glenvary::config
