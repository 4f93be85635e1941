// SPDX-License-Identifier: MIT
// Glenvary: a batch run of the command line, every article of a set
// compared with every other. Run with `make bench`.
#include "bench_texts.h"
#include "report/batch.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace glenvary;

// Arguments: articles, words per article, minimum length in words, threads
// (0: one per core). Each iteration is a whole run less the reading of
// files: normalising, splitting and interning every article once, then
// comparing every ordered pair. Target for 50 articles of 2,000 words
// (2,450 pairs) on both cores: under 2 s.
void BM_Batch(benchmark::State& state)
{
    const auto count = static_cast<int>(state.range(0));
    const auto words = static_cast<int>(state.range(1));
    const std::vector<std::u16string> texts = bench::ArticleSet(count, words);
    report::TBatchSettings settings;
    settings.compare.minLength = static_cast<std::int32_t>(state.range(2));
    settings.threads = static_cast<unsigned>(state.range(3));
    report::TBatchReport report;
    for (auto _ : state) {
        std::vector<report::TBatchArticle> articles;
        for (int i = 0; i < count; ++i) {
            articles.push_back(report::PrepareBatchArticle(texts[static_cast<std::size_t>(i)], std::to_string(i)));
        }
        report = report::CompareAllPairs(std::move(articles), settings);
        benchmark::DoNotOptimize(report.pairs.data());
    }
    double shares = 0.0;
    for (const report::TBatchPair& pair : report.pairs) {
        shares += pair.duplicatePercent[1];
    }
    state.counters["pairs"] = static_cast<double>(report.pairCount);
    state.counters["mean_dup%"] = report.pairs.empty() ? 0.0 : shares / static_cast<double>(report.pairs.size());
}
BENCHMARK(BM_Batch)
    ->ArgNames({"articles", "words", "min", "threads"})
    ->ArgsProduct({{50}, {2'000}, {1, 3}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

namespace {

// Arguments: articles, how the pairs are found (1 every pair, 2 through
// shared runs), with words of 2,000, a minimum length of 8 words and a
// threshold of 5%, where both find the same pairs. Where the two cross is
// where TPairSearch::Automatic starts to index (kSharedRunArticles).
void BM_BatchPairSearch(benchmark::State& state)
{
    const auto count = static_cast<int>(state.range(0));
    const std::vector<std::u16string> texts = bench::ArticleSet(count, 2'000);
    report::TBatchSettings settings;
    settings.compare.minLength = 8;
    settings.threshold = 5.0;
    settings.pairSearch = state.range(1) == 1 ? report::TPairSearch::EveryPair : report::TPairSearch::SharedRuns;
    report::TBatchReport report;
    for (auto _ : state) {
        std::vector<report::TBatchArticle> articles;
        for (int i = 0; i < count; ++i) {
            articles.push_back(report::PrepareBatchArticle(texts[static_cast<std::size_t>(i)], std::to_string(i)));
        }
        report = report::CompareAllPairs(std::move(articles), settings);
        benchmark::DoNotOptimize(report.pairs.data());
    }
    state.counters["compared"] = static_cast<double>(report.comparedPairs);
    state.counters["listed"] = static_cast<double>(report.pairs.size());
}
BENCHMARK(BM_BatchPairSearch)
    ->ArgNames({"articles", "search"})
    ->ArgsProduct({{2, 4, 8, 16, 32}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
