// SPDX-License-Identifier: MIT
// A batch run that finds its pairs through shared runs must list exactly the
// pairs that comparing every pair lists.
#include "report/batch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace glenvary::report {
namespace {

// Seventy articles of a small vocabulary, so that chance runs are shared:
// lengths from a few words (which every pair can reach the threshold of)
// to several hundred, passages of 3 to 60 words copied from earlier ones,
// one phrase of eight words in nearly all (a run too common to count pair
// by pair), a blank article and an exact copy.
std::vector<std::u16string> Articles()
{
    std::mt19937 random(2718);
    const auto word = [&random] {
        static const char16_t* const kWords[] = {u"the", u"of", u"and", u"The", u"sea", u"river", u"stone",
                                                 u"light", u"a", u"in", u"old", u"bright", u"road", u"HOUSE",
                                                 u"house", u"bird", u"cold", u"wind", u"to", u"far"};
        return std::u16string(kWords[random() % std::size(kWords)]);
    };
    const std::vector<std::u16string> phrase = {u"we", u"hold", u"these", u"truths", u"to", u"be", u"self-evident",
                                                u"that"};
    std::vector<std::vector<std::u16string>> words;
    for (int i = 0; i < 70; ++i) {
        static const int kLengths[] = {4, 400, 500, 600, 700, 800};
        std::vector<std::u16string> article;
        for (int w = kLengths[random() % std::size(kLengths)]; w > 0; --w) {
            article.push_back(word());
        }
        if (!words.empty() && random() % 2 == 0) {
            const std::vector<std::u16string>& source = words[random() % words.size()];
            const std::size_t length = std::min<std::size_t>(3 + random() % 58, source.size());
            const std::size_t from = random() % (source.size() - length + 1);
            article.insert(article.begin() + static_cast<std::ptrdiff_t>(random() % (article.size() + 1)),
                           source.begin() + static_cast<std::ptrdiff_t>(from),
                           source.begin() + static_cast<std::ptrdiff_t>(from + length));
        }
        if (i % 20 != 3) {
            article.insert(article.begin() + static_cast<std::ptrdiff_t>(random() % (article.size() + 1)),
                           phrase.begin(), phrase.end());
        }
        words.push_back(std::move(article));
    }
    std::vector<std::u16string> texts;
    for (const std::vector<std::u16string>& article : words) {
        std::u16string text;
        for (std::size_t w = 0; w < article.size(); ++w) {
            text += article[w];
            text += w % 9 == 8 ? u". " : u" ";
        }
        texts.push_back(std::move(text));
    }
    texts[5] = u" \n ";
    texts[40] = texts[30];
    return texts;
}

using TListedPair = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, double, double>;

std::vector<TListedPair> Listed(const std::vector<std::u16string>& texts, TBatchSettings settings, TPairSearch search,
                                bool& throughSharedRuns)
{
    std::vector<TBatchArticle> articles;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        articles.push_back(PrepareBatchArticle(texts[i], std::to_string(i)));
    }
    settings.pairSearch = search;
    const TBatchReport report = CompareAllPairs(std::move(articles), settings);
    throughSharedRuns = report.throughSharedRuns;
    std::vector<TListedPair> listed;
    for (const TBatchPair& pair : report.pairs) {
        listed.emplace_back(pair.article1, pair.article2, pair.duplicatedWords[0], pair.duplicatedWords[1],
                            pair.duplicatePercent[0], pair.duplicatePercent[1]);
    }
    return listed;
}

TEST(Batch, SharedRunsListThePairsThatComparingEveryPairLists)
{
    const std::vector<std::u16string> texts = Articles();
    const struct {
        std::int32_t minLength;
        double threshold;
    } cases[] = {{8, 5.0}, {12, 10.0}, {8, 30.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE("--min " + std::to_string(c.minLength) + " --threshold " + std::to_string(c.threshold));
        TBatchSettings settings;
        settings.compare.minLength = c.minLength;
        settings.threshold = c.threshold;
        bool indexed = false;
        bool exhaustive = true;
        const std::vector<TListedPair> every = Listed(texts, settings, TPairSearch::EveryPair, exhaustive);
        const std::vector<TListedPair> shared = Listed(texts, settings, TPairSearch::SharedRuns, indexed);
        EXPECT_FALSE(exhaustive);
        EXPECT_TRUE(indexed);
        EXPECT_GT(every.size(), 10U);
        EXPECT_EQ(shared, every);
    }
}

} // namespace
} // namespace glenvary::report
