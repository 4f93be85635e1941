// SPDX-License-Identifier: MIT
// Glenvary reports: which documents of an archive each checked article
// copies from, gathered once so that every output format prints the same
// facts.
#pragma once

#include "report/batch.h"
#include "report/report.h"

#include <cstdint>
#include <string>
#include <vector>

namespace glenvary::report {

/// An archive document that a checked article copies from.
struct TSourceDocument {
    /// Its id in the archive and the name it was added under.
    std::int64_t id = 0;
    std::string name;
    std::int32_t words = 0;
    /// The article's words that duplicate the document, and their share of
    /// the article.
    std::int32_t articleDuplicatedWords = 0;
    double articlePercent = 0.0;
    /// The document's words that the article duplicates, and their share of
    /// the document.
    std::int32_t documentDuplicatedWords = 0;
    double documentPercent = 0.0;
    /// The marked passages of the article (offsets into the article's
    /// normalised text) and of the document (into `documentText`).
    std::vector<TRegion> articlePassages;
    std::vector<TRegion> documentPassages;
    /// The document's normalised text.
    std::u16string documentText;
};

/// One checked article and its sources.
struct TCheckedArticle {
    /// How the article was named (a path, or "standard input").
    std::string name;
    /// False when the article is blank: nothing was looked up.
    bool compared = false;
    std::int32_t words = 0;
    /// The article's normalised text, which its passages' offsets index.
    std::u16string text;
    /// Archive documents that share a fingerprint with the article.
    std::int64_t candidates = 0;
    /// The documents it copies from that reach the threshold, the highest
    /// share of the article first.
    std::vector<TSourceDocument> sources;
};

/// The result of checking articles against an archive.
struct TArchiveCheckReport {
    /// The archive's address, without a password.
    std::string archive;
    core::TUnitKind unit = core::ukWords;
    /// The length the comparisons ran with (never 0).
    std::int32_t minLength = 1;
    double threshold = 0.0;
    /// Candidates compared exactly per article, the best-ranked ones.
    std::int32_t top = 0;
    /// The options that were on (OptionNames); empty for the default rules.
    std::vector<std::string> options;
    std::vector<TCheckedArticle> articles;
    /// The articles named that could not be read, in the order named.
    std::vector<TUnreadableArticle> unreadable;
};

} // namespace glenvary::report
