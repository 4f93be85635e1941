// SPDX-License-Identifier: MIT
#include "report/batch.h"

#include "core/fingerprint.h"
#include "core/normalise.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <exception>
#include <iterator>
#include <optional>
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

// A pair compared with options: the articles' texts compared afresh.
TBatchPair CompareWithOptions(const std::vector<TBatchArticle>& articles, std::int32_t article1,
                              std::int32_t article2, const TBatchSettings& settings)
{
    core::TComparedTexts compared =
        core::CompareTexts(articles[static_cast<std::size_t>(article1)].prepared.Article().sText,
                           articles[static_cast<std::size_t>(article2)].prepared.Article().sText, settings.compare,
                           settings.options);
    TBatchPair pair;
    pair.article1 = article1;
    pair.article2 = article2;
    pair.compared = compared.outcome.compared;
    const core::TListWords& words1 = compared.article1.lstWords;
    pair.duplicatedWords[0] = core::CountColouredWords(words1);
    pair.duplicatePercent[0] = core::DuplicatePercent(pair.duplicatedWords[0], words1.Count());
    pair.duplicatedWords[1] = compared.outcome.duplicatedWords;
    pair.duplicatePercent[1] = compared.outcome.compared ? compared.outcome.duplicatePercent : 0.0;
    pair.leftOutWords = compared.leftOutWords;
    if (settings.keepRegions && pair.duplicatePercent[1] >= settings.threshold) {
        const core::TListWords& words2 = compared.article2.lstWords;
        pair.regions = {core::Regions({words1.begin(), words1.end()}), core::Regions({words2.begin(), words2.end()})};
    }
    return pair;
}

bool ListedBefore(const TBatchPair& a, const TBatchPair& b)
{
    if (a.duplicatePercent[1] != b.duplicatePercent[1]) {
        return a.duplicatePercent[1] > b.duplicatePercent[1];
    }
    return a.article1 != b.article1 ? a.article1 < b.article1 : a.article2 < b.article2;
}


// A run is kRunWords words: a comparison at a minimum length of that many
// words or more marks words of article 2 only inside runs that article 1
// has too, and at most kUnsharedWords others (the end of article 1, cut
// short by the walk, matched once; every shorter end that follows matches
// inside that match).
constexpr std::int32_t kRunWords = core::kGuaranteeWords;
constexpr std::int32_t kUnsharedWords = kRunWords - 1;
// An index key: the high 40 bits of a run's hash, then the article's
// number in the low 24 (kMaxSharedRunArticles).
constexpr unsigned kArticleBits = 24;
constexpr std::uint64_t kArticleMask = (std::uint64_t{1} << kArticleBits) - 1;
// A run that more articles than this hold is common: counting its pairs one
// by one would cost the square of its articles, so it counts as shared,
// for each article that holds it, with every other article.
constexpr std::size_t kCommonRunArticles = 64;

// Runs `work(i)` for every i below `parts`, on up to `threads` threads.
void InParallel(std::size_t parts, unsigned threads, const std::function<void(std::size_t)>& work)
{
    std::atomic<std::size_t> next{0};
    std::vector<std::exception_ptr> failures(std::max(1U, threads));
    const auto run = [&](std::size_t thread) {
        try {
            for (std::size_t part = next++; part < parts; part = next++) {
                work(part);
            }
        } catch (...) {
            failures[thread] = std::current_exception();
            next = parts;
        }
    };
    {
        std::vector<std::jthread> helpers;
        for (std::size_t thread = 1; thread < failures.size() && thread < parts; ++thread) {
            try {
                helpers.emplace_back(run, thread);
            } catch (const std::system_error&) {
                break;
            }
        }
        run(0);
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
}

// The index keys of every run of kRunWords words of `article`, number
// `index`: equal runs (as the comparison takes words) give equal keys.
void AppendRunKeys(const core::TArticle& article, std::uint64_t index, std::vector<std::uint64_t>& keys)
{
    const std::int32_t words = article.lstWords.Count();
    if (words < kRunWords) {
        return;
    }
    std::vector<std::uint64_t> hashes(static_cast<std::size_t>(words));
    const std::u16string_view text = article.sText;
    for (std::int32_t i = 0; i < words; ++i) {
        const core::TWord& word = article.lstWords[i];
        hashes[static_cast<std::size_t>(i)] = core::WordHash(
            text.substr(static_cast<std::size_t>(word.iStart - 1), static_cast<std::size_t>(word.iEnd - word.iStart)));
    }
    // A run is the gram of its first kGramWords words and the gram that
    // ends at its last word.
    constexpr std::size_t kSecond = kRunWords - core::kGramWords;
    const std::size_t grams = static_cast<std::size_t>(words - core::kGramWords + 1);
    std::vector<std::uint64_t> gram(grams);
    for (std::size_t i = 0; i < grams; ++i) {
        gram[i] = core::GramHash(&hashes[i]);
    }
    for (std::size_t i = 0; i + kSecond < grams; ++i) {
        const std::uint64_t run = gram[i] ^ (gram[i + kSecond] * 0x9E3779B97F4A7C15ULL);
        keys.push_back((run & ~kArticleMask) | index);
    }
}

// The fewest words of article 2 that a pair must mark to reach `threshold`:
// words + 1 when no count reaches it.
std::int32_t WordsNeeded(std::int32_t words, double threshold)
{
    std::int32_t low = 0;
    std::int32_t high = words + 1;
    while (low < high) {
        const std::int32_t middle = low + (high - low) / 2;
        if (middle <= words && core::DuplicatePercent(middle, words) >= threshold) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return low;
}

// The ordered pairs (article 1 in the high 32 bits, article 2 in the low)
// that can reach the threshold, in ascending order; nothing when there are
// so many that comparing every pair costs no more.
std::optional<std::vector<std::uint64_t>> SharedRunPairs(const std::vector<TBatchArticle>& articles,
                                                        double threshold, unsigned threads)
{
    const std::size_t count = articles.size();
    std::vector<std::vector<std::uint64_t>> parts(count);
    InParallel(count, threads, [&](std::size_t i) { AppendRunKeys(articles[i].prepared.Article(), i, parts[i]); });
    std::vector<std::uint64_t> keys;
    std::size_t total = 0;
    for (const std::vector<std::uint64_t>& part : parts) {
        total += part.size();
    }
    keys.reserve(total);
    for (std::vector<std::uint64_t>& part : parts) {
        keys.insert(keys.end(), part.begin(), part.end());
        part = {};
    }
    // Sorted in two halves side by side, then merged.
    const auto middle = keys.begin() + static_cast<std::ptrdiff_t>(keys.size() / 2);
    InParallel(2, threads, [&](std::size_t half) {
        half == 0 ? std::sort(keys.begin(), middle) : std::sort(middle, keys.end());
    });
    std::inplace_merge(keys.begin(), middle, keys.end());

    // The words of article 2 a pair must mark, less the T - 1 that a
    // comparison can mark outside the runs it shares.
    std::vector<std::int64_t> wordsNeeded(count);
    std::vector<bool> listable(count);
    for (std::size_t b = 0; b < count; ++b) {
        const std::int32_t words = articles[b].prepared.Article().lstWords.Count();
        const std::int32_t needed = WordsNeeded(words, threshold);
        listable[b] = needed <= words;
        wordsNeeded[b] = needed - kUnsharedWords;
    }
    std::vector<bool> holdsCommon(count, false);
    std::vector<std::uint64_t> commonRuns;
    struct TShared {
        std::uint64_t pair;
        std::uint32_t runs;
    };
    std::vector<TShared> shared;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> holders;
    for (std::size_t first = 0; first < keys.size();) {
        const std::uint64_t run = keys[first] & ~kArticleMask;
        std::size_t end = first;
        holders.clear();
        for (; end < keys.size() && (keys[end] & ~kArticleMask) == run; ++end) {
            const auto article = static_cast<std::uint32_t>(keys[end] & kArticleMask);
            if (holders.empty() || holders.back().first != article) {
                holders.emplace_back(article, 0);
            }
            ++holders.back().second;
        }
        first = end;
        if (holders.size() < 2) {
            continue;
        }
        if (holders.size() > kCommonRunArticles) {
            commonRuns.push_back(run);
            for (const auto& holder : holders) {
                holdsCommon[holder.first] = true;
            }
            continue;
        }
        for (const auto& [b, runs] : holders) {
            for (const auto& [a, unused] : holders) {
                if (a != b) {
                    shared.push_back({(std::uint64_t{a} << 32U) | b, runs});
                }
            }
        }
    }
    keys = {};
    std::sort(shared.begin(), shared.end(), [](const TShared& x, const TShared& y) { return x.pair < y.pair; });
    // The words of each article that its common runs cover: shared, for
    // all that is known, with every other article.
    std::vector<std::int64_t> common(count, 0);
    InParallel(count, threads, [&](std::size_t b) {
        if (!holdsCommon[b]) {
            return;
        }
        std::vector<std::uint64_t> runs;
        AppendRunKeys(articles[b].prepared.Article(), b, runs);
        std::vector<bool> covered(runs.size() + kRunWords, false);
        for (std::size_t p = 0; p < runs.size(); ++p) {
            if (std::binary_search(commonRuns.begin(), commonRuns.end(), runs[p] & ~kArticleMask)) {
                std::fill_n(covered.begin() + static_cast<std::ptrdiff_t>(p), kRunWords, true);
            }
        }
        common[b] = std::count(covered.begin(), covered.end(), true);
    });

    const auto pairCount = static_cast<std::uint64_t>(count) * (count - 1);
    std::vector<std::uint64_t> pairs;
    const auto withEveryArticle = [&](std::size_t b) {
        return listable[b] && common[b] >= wordsNeeded[b];
    };
    for (std::size_t b = 0; b < count; ++b) {
        if (withEveryArticle(b)) {
            for (std::size_t a = 0; a < count; ++a) {
                if (a != b) {
                    pairs.push_back((std::uint64_t{a} << 32U) | b);
                }
            }
            if (pairs.size() > pairCount / 2) {
                return std::nullopt;
            }
        }
    }
    for (std::size_t i = 0; i < shared.size();) {
        const std::uint64_t pair = shared[i].pair;
        std::int64_t runs = 0;
        for (; i < shared.size() && shared[i].pair == pair; ++i) {
            runs += shared[i].runs;
        }
        const std::size_t b = pair & 0xFFFFFFFFU;
        if (listable[b] && !withEveryArticle(b) && kRunWords * runs + common[b] >= wordsNeeded[b]) {
            pairs.push_back(pair);
        }
    }
    if (pairs.size() > pairCount / 2) {
        return std::nullopt;
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

} // namespace

bool SharedRunsFindEveryListedPair(const TBatchSettings& settings) noexcept
{
    // Leaving words out only takes marks away, but folding and Unicode words
    // make other words than the runs were counted by.
    return settings.threshold > 0.0 && settings.compare.unit == core::ukWords
        && core::EffectiveMinLength(settings.compare.minLength) >= kRunWords && !settings.options.Transforms();
}

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
    report.options = OptionNames(settings.options);
    report.articles = std::move(articles);
    report.disguises.reserve(report.articles.size());
    for (const TBatchArticle& article : report.articles) {
        report.disguises.push_back(core::FindDisguises(article.prepared.Article().sText));
    }
    const auto count = static_cast<std::int64_t>(report.articles.size());
    report.pairCount = count * std::max<std::int64_t>(count - 1, 0);

    const unsigned wanted = settings.threads != 0 ? settings.threads : std::thread::hardware_concurrency();
    std::optional<std::vector<std::uint64_t>> found;
    if (settings.pairSearch != TPairSearch::EveryPair && SharedRunsFindEveryListedPair(settings)
        && report.articles.size() <= kMaxSharedRunArticles
        && (settings.pairSearch == TPairSearch::SharedRuns || report.articles.size() >= kSharedRunArticles)) {
        found = SharedRunPairs(report.articles, settings.threshold, std::max(1U, wanted));
    }
    report.throughSharedRuns = found.has_value();
    report.comparedPairs = found ? static_cast<std::int64_t>(found->size()) : report.pairCount;
    // Without the pairs found, pair k has article k / (n - 1) as article 1
    // and, as article 2, the k % (n - 1)-th of the other articles.
    const auto pairAt = [&found, count](std::int64_t k) {
        if (found) {
            const std::uint64_t pair = (*found)[static_cast<std::size_t>(k)];
            return std::pair{static_cast<std::int32_t>(pair >> 32U), static_cast<std::int32_t>(pair & 0xFFFFFFFFU)};
        }
        const auto article1 = static_cast<std::int32_t>(k / (count - 1));
        auto article2 = static_cast<std::int32_t>(k % (count - 1));
        article2 += article2 >= article1 ? 1 : 0;
        return std::pair{article1, article2};
    };
    std::atomic<std::int64_t> next{0};
    std::atomic<bool> failed{false};
    const auto threads =
        static_cast<std::size_t>(std::clamp<std::int64_t>(wanted, 1, std::max<std::int64_t>(report.comparedPairs, 1)));
    std::vector<std::vector<TBatchPair>> listed(threads);
    std::vector<std::exception_ptr> failures(threads);
    const auto work = [&](std::size_t thread) {
        try {
            core::TComparison comparison;
            comparison.KeepPassages(false);
            for (std::int64_t k = next++; k < report.comparedPairs && !failed; k = next++) {
                const auto [article1, article2] = pairAt(k);
                if (settings.options.Any()) {
                    TBatchPair pair = CompareWithOptions(report.articles, article1, article2, settings);
                    if (pair.duplicatePercent[1] >= settings.threshold) {
                        listed[thread].push_back(std::move(pair));
                    }
                    continue;
                }
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
