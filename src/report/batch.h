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
};

/// An article of the run that could not be read, and why.
struct TUnreadableArticle {
    /// How the source was named.
    std::string name;
    /// One line: "cannot read NAME: REASON".
    std::string message;
};

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
};

/// The result of a batch run.
struct TBatchReport {
    core::TUnitKind unit = core::ukWords;
    /// The length the comparisons ran with (never 0).
    std::int32_t minLength = 1;
    double threshold = 0.0;
    std::vector<TBatchArticle> articles;
    /// The articles named for the run that could not be read, in the order
    /// they were named; they take part in no pair.
    std::vector<TUnreadableArticle> unreadable;
    /// Every ordered pair of two articles: n x (n - 1).
    std::int64_t pairCount = 0;
    /// The pairs whose duplicate content reaches the threshold, highest
    /// first; pairs of equal content in the order of their article 1, then
    /// of their article 2.
    std::vector<TBatchPair> pairs;
};

/// Compares every ordered pair of two different articles exactly as
/// CompareArticles compares two texts, on settings.threads threads that
/// take the pairs one after another from a shared queue; each thread keeps
/// one comparison, so every pair has colours of its own while the articles
/// are split and interned only once. The articles move into the report.
/// Cost: the comparisons of n x (n - 1) pairs, shared among the threads;
/// a pair listed costs a few dozen bytes, and its passages when they are
/// kept. A failure of any comparison (lack
/// of memory) stops the others and is thrown here.
[[nodiscard]] TBatchReport CompareAllPairs(std::vector<TBatchArticle> articles, const TBatchSettings& settings);

} // namespace glenvary::report
