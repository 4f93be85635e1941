// SPDX-License-Identifier: MIT
#include "report/batch.h"

#include "core/normalise.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <iterator>
#include <system_error>
#include <thread>
#include <utility>

namespace glenvary::report {
namespace {

// Sets the pair's two articles into `comparison` and compares them as
// CompareArticles does.
core::TCompareOutcome ComparePair(core::TComparison& comparison, const std::vector<TBatchArticle>& articles,
                                  std::int32_t article1, std::int32_t article2, const TCompareSettings& settings)
{
    comparison.SetPreparedArticles(articles[static_cast<std::size_t>(article1)].prepared,
                                   articles[static_cast<std::size_t>(article2)].prepared);
    return core::RunCompare(comparison, settings);
}

TBatchPair Counted(const core::TComparison& comparison, const core::TCompareOutcome& outcome,
                   std::int32_t article1, std::int32_t article2)
{
    TBatchPair pair;
    pair.article1 = article1;
    pair.article2 = article2;
    pair.compared = outcome.compared;
    // Counted as the report of `compare` counts each article.
    const core::TListWords& words1 = comparison.Article1().lstWords;
    pair.duplicatedWords[0] = core::CountColouredWords(words1);
    pair.duplicatePercent[0] = core::DuplicatePercent(pair.duplicatedWords[0], words1.Count());
    pair.duplicatedWords[1] = outcome.duplicatedWords;
    pair.duplicatePercent[1] = outcome.compared ? outcome.duplicatePercent : 0.0;
    return pair;
}

bool ListedBefore(const TBatchPair& a, const TBatchPair& b)
{
    if (a.duplicatePercent[1] != b.duplicatePercent[1]) {
        return a.duplicatePercent[1] > b.duplicatePercent[1];
    }
    return a.article1 != b.article1 ? a.article1 < b.article1 : a.article2 < b.article2;
}

} // namespace

TBatchArticle PrepareBatchArticle(std::u16string text, std::string name)
{
    return TBatchArticle{std::move(name), core::PrepareText(std::move(text))};
}

TBatchReport CompareAllPairs(std::vector<TBatchArticle> articles, const TBatchSettings& settings)
{
    TBatchReport report;
    report.unit = settings.compare.unit;
    report.minLength = core::EffectiveMinLength(settings.compare.minLength);
    report.threshold = settings.threshold;
    report.articles = std::move(articles);
    const auto count = static_cast<std::int64_t>(report.articles.size());
    report.pairCount = count * std::max<std::int64_t>(count - 1, 0);

    // Pair k has article k / (n - 1) as article 1 and, as article 2, the
    // k % (n - 1)-th of the other articles.
    std::atomic<std::int64_t> next{0};
    std::atomic<bool> failed{false};
    const unsigned wanted = settings.threads != 0 ? settings.threads : std::thread::hardware_concurrency();
    const auto threads =
        static_cast<std::size_t>(std::clamp<std::int64_t>(wanted, 1, std::max<std::int64_t>(report.pairCount, 1)));
    std::vector<std::vector<TBatchPair>> listed(threads);
    std::vector<std::exception_ptr> failures(threads);
    const auto work = [&](std::size_t thread) {
        try {
            core::TComparison comparison;
            comparison.KeepPassages(false);
            for (std::int64_t k = next++; k < report.pairCount && !failed; k = next++) {
                const auto article1 = static_cast<std::int32_t>(k / (count - 1));
                auto article2 = static_cast<std::int32_t>(k % (count - 1));
                article2 += article2 >= article1 ? 1 : 0;
                const core::TCompareOutcome outcome =
                    ComparePair(comparison, report.articles, article1, article2, settings.compare);
                TBatchPair pair = Counted(comparison, outcome, article1, article2);
                if (pair.duplicatePercent[1] >= settings.threshold) {
                    if (settings.keepRegions) {
                        const core::TListWords& words1 = comparison.Article1().lstWords;
                        const core::TListWords& words2 = comparison.Article2().lstWords;
                        pair.regions = {core::Regions({words1.begin(), words1.end()}),
                                        core::Regions({words2.begin(), words2.end()})};
                    }
                    listed[thread].push_back(std::move(pair));
                }
            }
        } catch (...) {
            failures[thread] = std::current_exception();
            failed = true;
        }
    };
    {
        std::vector<std::jthread> helpers;
        for (std::size_t thread = 1; thread < threads; ++thread) {
            try {
                helpers.emplace_back(work, thread);
            } catch (const std::system_error&) {
                // Fewer threads take the same queue.
                break;
            }
        }
        work(0);
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
    for (std::vector<TBatchPair>& part : listed) {
        report.pairs.insert(report.pairs.end(), std::make_move_iterator(part.begin()),
                            std::make_move_iterator(part.end()));
        part = {};
    }
    std::sort(report.pairs.begin(), report.pairs.end(), ListedBefore);
    return report;
}

} // namespace glenvary::report
