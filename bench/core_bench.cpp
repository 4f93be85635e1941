// SPDX-License-Identifier: MIT
// Glenvary: engine benchmarks. Run with `make bench`.
#include "bench_texts.h"
#include "core/comparison.h"
#include "core/keyword.h"
#include "core/normalise.h"
#include "core/segmentation.h"

#include <benchmark/benchmark.h>

namespace {

using namespace glenvary;

void BM_ParseArticle(benchmark::State& state)
{
    // About 5 MB of prose (one character per byte in a plain-text file).
    std::u16string text;
    bench::TProse prose(3);
    while (text.size() < 5'000'000) {
        text += prose.Article(10'000);
    }
    core::TListWords words;
    core::TListSentences sentences;
    core::TListParagraphs paragraphs;
    for (auto _ : state) {
        core::ParseArticle(text, words, sentences, paragraphs);
        benchmark::DoNotOptimize(words.Count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
    state.counters["words"] = words.Count();
}
BENCHMARK(BM_ParseArticle)->Unit(benchmark::kMillisecond);

void BM_NormaliseAndParse(benchmark::State& state)
{
    std::u16string text = bench::TProse(5).Article(100'000);
    core::TArticle article;
    for (auto _ : state) {
        std::u16string copy = text;
        core::NormaliseArticle(copy);
        article.Assign(std::move(copy));
        benchmark::DoNotOptimize(article.lstWords.Count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_NormaliseAndParse)->Unit(benchmark::kMillisecond);

// Both texts go in afresh on every iteration, as they do for a run of the
// command line, so each figure is a whole comparison: split, index, walk.
core::TCompareOutcome CompareAfresh(core::TComparison& comparison, const bench::TArticlePair& pair,
                                    std::int32_t length, std::int32_t unit)
{
    comparison.SetArticleText(core::TArticleSide::Article1, pair.article1);
    comparison.SetArticleText(core::TArticleSide::Article2, pair.article2);
    return comparison.Compare(length, unit);
}

std::int32_t WordCount(const core::TComparison& comparison)
{
    return comparison.Article1().lstWords.Count();
}

const char* UnitName(std::int64_t unit)
{
    static const char* const units[] = {"words", "sentences", "paragraphs"};
    return units[unit];
}

// Arguments: pair kind, unit kind, words per article, minimum length.
void BM_Compare(benchmark::State& state)
{
    const auto kind = static_cast<bench::TPairKind>(state.range(0));
    const auto unit = static_cast<std::int32_t>(state.range(1));
    const auto words = static_cast<int>(state.range(2));
    const auto length = static_cast<std::int32_t>(state.range(3));
    const bench::TArticlePair pair = bench::MakePair(kind, words, length);
    core::TComparison comparison;
    core::TCompareOutcome outcome;
    for (auto _ : state) {
        outcome = CompareAfresh(comparison, pair, length, unit);
        benchmark::DoNotOptimize(outcome.duplicatePercent);
    }
    static const char* const kinds[] = {"half-shared", "nothing-shared", "one-word", "copied-passages",
                                        "one-word-longer", "two-words-alternating", "near-misses"};
    state.SetLabel(std::string(kinds[state.range(0)]) + "/" + UnitName(unit));
    state.counters["words1"] = WordCount(comparison);
    state.counters["dup%"] = outcome.duplicatePercent;
}
BENCHMARK(BM_Compare)
    ->ArgNames({"kind", "unit", "words", "min"})
    ->ArgsProduct({{0, 1, 2}, {0, 1, 2}, {10'000, 100'000}, {3}})
    ->Unit(benchmark::kMillisecond);
// Very long chunks: every chunk runs to the end of article 1.
BENCHMARK(BM_Compare)
    ->ArgNames({"kind", "unit", "words", "min"})
    ->Args({0, 0, 10'000, 1000})
    ->Args({2, 0, 10'000, 10'000})
    ->Args({2, 0, 100'000, 100'000})
    ->Args({0, 2, 100'000, 1'000})
    ->Unit(benchmark::kMillisecond);
// Two 100,000-word articles, 30% of the second copied from the first:
// every unit, lengths 1 to 10 (target: under 30 ms each).
BENCHMARK(BM_Compare)
    ->ArgNames({"kind", "unit", "words", "min"})
    ->ArgsProduct({{3}, {0, 1, 2}, {100'000}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}})
    ->Unit(benchmark::kMillisecond);
// Adversarial pairs of 100,000 words (target: under 1 s each): one word
// repeated and two words alternating, article 2 shorter, so that the late
// chunks find every place coloured; chunks that find their leading words
// everywhere and their last word nowhere.
BENCHMARK(BM_Compare)
    ->ArgNames({"kind", "unit", "words", "min"})
    ->ArgsProduct({{4, 5, 6}, {0}, {100'000}, {1, 2, 3, 6}})
    ->Args({4, 1, 100'000, 1})
    ->Args({5, 2, 100'000, 1})
    ->Args({6, 1, 100'000, 1})
    ->Unit(benchmark::kMillisecond);
// The same pairs at 200,000 words with long minimum lengths, where every
// chunk is thousands of words (target: any length at most twice the time
// of length 3).
BENCHMARK(BM_Compare)
    ->ArgNames({"kind", "unit", "words", "min"})
    ->ArgsProduct({{4, 5, 6}, {0}, {200'000}, {3, 10'000, 99'999}})
    ->Unit(benchmark::kMillisecond);

// Two book-length articles of 1,000,000 words, 30% of the second copied
// from the first in passages of 30 to 150 words. Arguments: unit, length.
// Target: well under 0.2 s at length 3 in words; lengths 1 and 6, and
// sentences and paragraphs at length 1, under twice that.
void BM_CompareBooks(benchmark::State& state)
{
    static const bench::TArticlePair pair = bench::MakePair(bench::TPairKind::CopiedPassages, 1'000'000);
    const auto unit = static_cast<std::int32_t>(state.range(0));
    const auto length = static_cast<std::int32_t>(state.range(1));
    core::TComparison comparison;
    core::TCompareOutcome outcome;
    for (auto _ : state) {
        outcome = CompareAfresh(comparison, pair, length, unit);
        benchmark::DoNotOptimize(outcome.duplicatePercent);
    }
    state.SetLabel(UnitName(unit));
    state.counters["words1"] = WordCount(comparison);
    state.counters["dup%"] = outcome.duplicatePercent;
}
BENCHMARK(BM_CompareBooks)
    ->ArgNames({"unit", "min"})
    ->Args({0, 3})
    ->Args({0, 1})
    ->Args({0, 2})
    ->Args({0, 6})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond);

void BM_FindKeyword(benchmark::State& state)
{
    const std::u16string text = bench::TProse(9).Article(100'000);
    std::size_t hits = 0;
    for (auto _ : state) {
        hits = core::FindKeyword(text, u"ka").size();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_FindKeyword)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
