// SPDX-License-Identifier: MIT
// Glenvary command line: conversions between UTF-8 and the engine's UTF-16.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace glenvary::cli {

/// The outcome of decoding UTF-8: the text, or the byte offset (from 0) of
/// the first ill-formed sequence.
struct TUtf8Decoded {
    std::u16string text;
    bool valid = true;
    std::size_t badOffset = 0;
};

/// Decodes well-formed UTF-8 (RFC 3629: no overlong forms, no surrogates,
/// nothing above U+10FFFF) to UTF-16. Stops at the first ill-formed
/// sequence and reports where it starts. Nothing is dropped or replaced: a
/// byte order mark, CR and NUL come through as characters.
/// Input larger than 2^31 - 1 bytes is reported as ill-formed at that offset.
[[nodiscard]] TUtf8Decoded DecodeUtf8(std::string_view bytes);

/// Encodes UTF-16 as UTF-8. A lone surrogate, which no decoded file holds
/// but a slice of arbitrary text could, becomes U+FFFD.
/// Precondition: text.size() < 2^31 (every article is far below that).
[[nodiscard]] std::string EncodeUtf8(std::u16string_view text);

} // namespace glenvary::cli
