// SPDX-License-Identifier: MIT
#include "core/word_index.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <random>
#include <string>

namespace glenvary::core {
namespace {

// A word as the rule compares it: the capitals A-Z folded, every other
// code unit kept.
std::u16string Folded(std::u16string_view word)
{
    std::u16string folded(word);
    for (char16_t& c : folded) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c + 32);
        }
    }
    return folded;
}

// Random texts whose words mix the capitals and small letters with their
// neighbours in the code table, and units that share a capital's low byte
// or low 15 bits beside the units a wrong fold would make of them, in
// lengths on both sides of four and eight units; the last word often ends
// the text.
std::u16string RandomText(std::mt19937& random, int words)
{
    static constexpr std::array<char16_t, 16> kUnits = {u'A', u'a', u'Z', u'z', u'@', u'[', u'`', u'{',
                                                         0x0141, 0x0161, 0x8041, 0x8061, 0xC15A, 0xC17A, 0x00C1, 0x00E1};
    std::u16string text;
    for (int w = 0; w < words; ++w) {
        // Short words often, so that the same word comes back.
        const auto length = 1 + random() % (w % 3 == 0 ? 20U : 3U);
        for (std::uint32_t k = 0; k < length; ++k) {
            text.push_back(kUnits[random() % (w % 2 == 0 ? kUnits.size() : 4U)]);
        }
        text.push_back(u' ');
    }
    if (random() % 2 == 0) {
        text.pop_back();
    }
    return text;
}

TEST(TWordIndex, NumbersWordsAsTheirFoldedTextsCompare)
{
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        TArticle article1;
        TArticle article2;
        article1.Assign(RandomText(random, 300));
        article2.Assign(RandomText(random, 300));
        // Article 2 numbers its words by first occurrence.
        std::map<std::u16string, std::int32_t> ids2;
        for (std::int32_t w = 0; w < article2.lstWords.Count(); ++w) {
            ids2.emplace(Folded(WordText(article2, w)), static_cast<std::int32_t>(ids2.size()));
        }
        TWordIndex index;
        index.Update(article1, article2);
        for (std::int32_t w = 0; w < article2.lstWords.Count(); ++w) {
            ASSERT_EQ(index.Id2(w), ids2.at(Folded(WordText(article2, w)))) << "article 2, word " << w;
        }
        for (std::int32_t w = 0; w < article1.lstWords.Count(); ++w) {
            const auto found = ids2.find(Folded(WordText(article1, w)));
            ASSERT_EQ(index.Id1(w), found == ids2.end() ? TWordIndex::kAbsent : found->second)
                << "article 1, word " << w;
        }
    }
}

} // namespace
} // namespace glenvary::core
