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

// Arguments: pair kind, unit kind, words per article, minimum length.
void BM_Compare(benchmark::State& state)
{
    const auto kind = static_cast<bench::TPairKind>(state.range(0));
    const auto unit = static_cast<std::int32_t>(state.range(1));
    const auto words = static_cast<int>(state.range(2));
    const auto length = static_cast<std::int32_t>(state.range(3));
    const bench::TArticlePair pair = bench::MakePair(kind, words);
    core::TComparison comparison;
    comparison.article1.Assign(pair.article1);
    comparison.article2.Assign(pair.article2);
    core::TCompareOutcome outcome;
    for (auto _ : state) {
        outcome = comparison.Compare(length, unit);
        benchmark::DoNotOptimize(outcome.duplicatePercent);
    }
    static const char* const kinds[] = {"half-shared", "nothing-shared", "one-word"};
    static const char* const units[] = {"words", "sentences", "paragraphs"};
    state.SetLabel(std::string(kinds[state.range(0)]) + "/" + units[unit]);
    state.counters["words1"] = comparison.article1.lstWords.Count();
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
