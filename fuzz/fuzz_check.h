// SPDX-License-Identifier: MIT
// Glenvary: checks that the fuzz targets share. A broken promise aborts, so
// libFuzzer keeps the input and the replay program fails.
#pragma once

#include "io/article_document.h"

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>

namespace glenvary::fuzz {

inline void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

/// True when `text` holds no surrogate without its other half.
inline bool IsWellFormedUtf16(std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
                return false;
            }
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

/// An error message is one of those a reader documents.
inline void CheckOneOf(const std::string& message, std::initializer_list<std::string_view> documented)
{
    for (const std::string_view m : documented) {
        if (message == m) {
            return;
        }
    }
    std::abort();
}

/// What every reader promises of its document: runs in order, not
/// overlapping, each at least one character long, inside the text, and
/// never plain.
inline void CheckDocument(const io::TArticleDocument& document)
{
    std::int64_t previousEnd = 0;
    for (const io::TLookRun& run : document.runs) {
        Check(run.start >= previousEnd && run.length >= 1);
        previousEnd = std::int64_t{run.start} + run.length;
        Check(previousEnd <= static_cast<std::int64_t>(document.text.size()));
        Check(!run.look.IsPlain());
    }
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace glenvary::fuzz
