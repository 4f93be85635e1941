// SPDX-License-Identifier: MIT
#include "normalise.h"

namespace glenvary::core {

bool NormaliseArticle(std::u16string& text) noexcept
{
    bool replaced = false;
    for (char16_t& c : text) {
        // The three characters all lie above U+007F; one comparison keeps
        // plain ASCII text on the fast path.
        if (c < 0x80) {
            continue;
        }
        if (c == kNoBreakSpace) {
            c = u' ';
            replaced = true;
        } else if (c == kRightSingleQuote) {
            c = u'\'';
            replaced = true;
        } else if (c == kEnDash) {
            c = u'-';
            replaced = true;
        }
    }
    return replaced;
}

std::u16string NormalisedArticle(std::u16string_view text)
{
    std::u16string copy(text);
    NormaliseArticle(copy);
    return copy;
}

std::u16string_view TrimControls(std::u16string_view text) noexcept
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && text[first] <= 32) {
        ++first;
    }
    while (last > first && text[last - 1] <= 32) {
        --last;
    }
    return text.substr(first, last - first);
}

} // namespace glenvary::core
