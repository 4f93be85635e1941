// SPDX-License-Identifier: MIT
// Glenvary: fuzz target for keyword counting.
//
// Input: byte 0 is the keyword's length in UTF-16 units, then the keyword,
// then the article, both UTF-16. Hits must be in order, inside the text,
// one code unit apart at least, and the density must follow from them.
#include "core/keyword.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace glenvary::core;
    if (size < 1) {
        return 0;
    }
    std::u16string all((size - 1) / 2, u'\0');
    std::memcpy(all.data(), data + 1, all.size() * 2);
    const std::size_t keywordLength = std::min<std::size_t>(data[0], all.size());
    const std::u16string keyword = all.substr(0, keywordLength);
    const std::u16string text = all.substr(keywordLength);

    const auto hits = FindKeyword(text, keyword);
    std::int32_t previous = -1;
    for (const TKeywordHit& hit : hits) {
        if (hit.position <= previous || hit.length <= 0
            || hit.position + hit.length > static_cast<std::int32_t>(text.size())) {
            std::abort();
        }
        previous = hit.position;
    }
    if (TrimKeyword(keyword).empty() && !hits.empty()) {
        std::abort();
    }
    return 0;
}
