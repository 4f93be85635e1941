// SPDX-License-Identifier: MIT
// Glenvary archive: a document's text as the archive stores it.
#pragma once

#include "base/result.h"

#include <string>
#include <string_view>

namespace glenvary::archive {

/// Largest text, in UTF-16 code units, that the archive takes: the engine's
/// own limit on an article is far above it, but a stored text is unpacked
/// whole into memory for every comparison with it, so a document past
/// 64 Mi code units (a few thousand books) is refused when it is added.
inline constexpr std::size_t kMaxDocumentLength = std::size_t{1} << 26;

/// Packs `text` for storage: UTF-8 (a lone surrogate, which a broken file
/// can leave, as the three bytes its code point would take, so that every
/// text comes back exactly), compressed as one zstd frame at level 3 with its
/// checksum.
[[nodiscard]] std::string PackText(std::u16string_view text);

/// The text that PackText packed. An error when the bytes are no zstd frame
/// or unpack to more than kMaxDocumentLength code units.
[[nodiscard]] base::TResult<std::u16string> UnpackText(std::string_view packed);

} // namespace glenvary::archive
