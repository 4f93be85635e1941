// SPDX-License-Identifier: MIT
#include "cli/text_encoding.h"

#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <limits>

namespace glenvary::cli {

TUtf8Decoded DecodeUtf8(std::string_view bytes)
{
    TUtf8Decoded decoded;
    // ICU's macros index with int32_t.
    constexpr std::size_t kMaxBytes = std::numeric_limits<std::int32_t>::max();
    if (bytes.size() > kMaxBytes) {
        decoded.valid = false;
        decoded.badOffset = kMaxBytes;
        return decoded;
    }
    decoded.text.reserve(bytes.size());
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto length = static_cast<std::int32_t>(bytes.size());
    std::int32_t i = 0;
    while (i < length) {
        const std::int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(data, i, length, c);
        if (c < 0) {
            decoded.valid = false;
            decoded.badOffset = static_cast<std::size_t>(start);
            decoded.text.clear();
            return decoded;
        }
        if (c <= 0xFFFF) {
            decoded.text.push_back(static_cast<char16_t>(c));
        } else {
            decoded.text.push_back(static_cast<char16_t>(U16_LEAD(c)));
            decoded.text.push_back(static_cast<char16_t>(U16_TRAIL(c)));
        }
    }
    return decoded;
}

std::string EncodeUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    const auto* units = reinterpret_cast<const UChar*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    while (i < length) {
        UChar32 c = 0;
        U16_NEXT(units, i, length, c);
        if (U_IS_SURROGATE(c)) {
            c = 0xFFFD;
        }
        std::uint8_t buffer[U8_MAX_LENGTH];
        std::int32_t n = 0;
        U8_APPEND_UNSAFE(buffer, n, c);
        out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
    }
    return out;
}

} // namespace glenvary::cli
