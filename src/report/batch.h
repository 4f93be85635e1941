// SPDX-License-Identifier: MIT
// Glenvary reports: every article of a set compared with every other.
#pragma once

#include "report/report.h"
#include "core/comparison.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace glenvary::report {

/// One article of a batch run, split and interned once for all its pairs.
struct TBatchArticle {
    /// How the source was named (a path, or "standard input").
    std::string name;
    core::TPreparedArticle prepared;
};

/// Normalises `text` as the editor's change handler does and prepares it
/// for its comparisons. Cost: one pass over the text and its words.
[[nodiscard]] TBatchArticle PrepareBatchArticle(std::u16string text, std::string name);

/// One ordered pair: article 2 checked for passages of article 1, with the
/// counts that `compare` gives for the same two articles.
struct TBatchPair {
    /// Indices into TBatchReport::articles; never equal.
    std::int32_t article1 = 0;
    std::int32_t article2 = 0;
    /// False when either article is blank; every count is 0 then.
    bool compared = false;
    /// Duplicated words and their share of each article, article 1 first;
    /// duplicatePercent[1] is the pair's duplicate content.
    std::array<std::int32_t, 2> duplicatedWords{};
    std::array<double, 2> duplicatePercent{};
    /// The duplicated passages of article 1 and of article 2, kept only when
    /// the run was asked to (TBatchSettings::keepRegions).
    std::array<std::vector<TRegion>, 2> regions;
    /// Words of article 2 that the options left out (white, not counted).
    std::int32_t leftOutWords = 0;
};

/// An article of the run that could not be read, and why.
struct TUnreadableArticle {
    /// How the source was named.
    std::string name;
    /// One line: "cannot read NAME: REASON".
    std::string message;
};

/// How a batch run finds the pairs it compares.
enum class TPairSearch : std::uint8_t {
    /// Through shared runs (SharedRunsFindEveryListedPair) when that finds
    /// exactly the pairs that comparing every pair lists and the run has
    /// kSharedRunArticles articles or more; every pair otherwise.
    Automatic,
    /// Every ordered pair.
    EveryPair,
    /// Through shared runs whenever that is exact, whatever the number of
    /// articles.
    SharedRuns,
};

/// The fewest articles for which Automatic looks for shared runs. On a set
/// in which every article copies from those before it (BM_BatchPairSearch
/// in bench/batch_bench.cpp), indexing first pays at 32 articles of 2,000
/// words (half the time of every pair); below, nearly every pair shares
/// enough runs and the index only adds up to half the time again.
inline constexpr std::size_t kSharedRunArticles = 32;

/// The most articles a run indexes: the index keeps an article's number in
/// 24 bits beside a run's hash. Larger runs compare every pair.
inline constexpr std::size_t kMaxSharedRunArticles = std::size_t{1} << 24U;

/// The settings of a batch run.
struct TBatchSettings {
    TCompareSettings compare;
    /// Pairs whose duplicate content is below this percentage are compared
    /// but not listed.
    double threshold = 0.0;
    /// Threads that compare pairs; 0 takes one per processor core.
    unsigned threads = 0;
    /// Keep the passages of every listed pair, for a report that shows them.
    bool keepRegions = false;
    TPairSearch pairSearch = TPairSearch::Automatic;
    /// The comparison's options; with any on, each pair is compared as
    /// core::CompareTexts with them compares two texts, without the
    /// articles' prepared words.
    core::TCompareOptions options;
};

/// Whether the pairs that share a run of core::kGuaranteeWords (T = 8)
/// words, with the articles too short to be bounded, are exactly the pairs
/// that can reach the threshold. They are when the threshold is above 0
/// and the minimum length is at least T words: a comparison then marks
/// words of article 2 only inside runs of at least T words that article 1
/// has too, apart from one short match of the end of article 1 (the walk's
/// last chunks are cut short), which marks at most T - 1 words. Not for
/// sentences or paragraphs, whose chunks can be a word long, nor with
/// options that read the words differently (fold, Unicode words).
[[nodiscard]] bool SharedRunsFindEveryListedPair(const TBatchSettings& settings) noexcept;

/// The result of a batch run.
struct TBatchReport {
    core::TUnitKind unit = core::ukWords;
    /// The length the comparisons ran with (never 0).
    std::int32_t minLength = 1;
    double threshold = 0.0;
    /// The options that were on (OptionNames); empty for the default rules.
    std::vector<std::string> options;
    std::vector<TBatchArticle> articles;
    /// The signs of a disguised copy in each article, in the order of
    /// `articles`.
    std::vector<core::TDisguises> disguises;
    /// The articles named for the run that could not be read, in the order
    /// they were named; they take part in no pair.
    std::vector<TUnreadableArticle> unreadable;
    /// Every ordered pair of two articles: n x (n - 1).
    std::int64_t pairCount = 0;
    /// The pairs compared exactly: all of them, or those found through
    /// shared runs.
    std::int64_t comparedPairs = 0;
    bool throughSharedRuns = false;
    /// The pairs whose duplicate content reaches the threshold, highest
    /// first; pairs of equal content in the order of their article 1, then
    /// of their article 2.
    std::vector<TBatchPair> pairs;
};

/// Compares every ordered pair of two different articles exactly as
/// CompareArticles compares two texts, or, as settings.pairSearch says,
/// only the pairs that can reach the threshold: each article's runs of T
/// words are hashed into one index in memory, and a pair is compared when
/// its runs in common, T words each, with T - 1 words more, can cover
/// the threshold's share of article 2 (a run in many articles counts as
/// shared with all of them); the listed pairs are the same. On
/// settings.threads threads that
/// take the pairs one after another from a shared queue; each thread keeps
/// one comparison, so every pair has colours of its own while the articles
/// are split and interned only once. The articles move into the report.
/// Cost: the comparisons of n x (n - 1) pairs, shared among the threads, or
/// 8 bytes a word for the index, its sort, and the pairs found;
/// a pair listed costs a few dozen bytes, and its passages when they are
/// kept. A failure of any comparison (lack
/// of memory) stops the others and is thrown here.
[[nodiscard]] TBatchReport CompareAllPairs(std::vector<TBatchArticle> articles, const TBatchSettings& settings);

} // namespace glenvary::report
