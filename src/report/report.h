// SPDX-License-Identifier: MIT
// Glenvary reports: the results of a comparison or a keyword count,
// gathered once so that every output format prints the same facts.
#pragma once

#include "core/compare_texts.h"
#include "core/comparison.h"
#include "core/highlight.h"
#include "core/options.h"
#include "core/words.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glenvary::report {

/// The settings of one comparison as the user gave them.
using TCompareSettings = core::TCompareSettings;

/// The name of a unit kind as the command line spells it: "words",
/// "sentences" or "paragraphs".
[[nodiscard]] std::string_view UnitName(core::TUnitKind unit) noexcept;

/// The unit kind of a command-line name, or nothing for an unknown name.
[[nodiscard]] std::optional<core::TUnitKind> UnitFromName(std::string_view name) noexcept;

/// A stored BBGGRR colour as the web spells it, "#RRGGBB" with upper-case
/// digits (aqua, stored 0xFFFF00, is "#00FFFF"): the form of every report
/// that shows colours, JSON and HTML alike.
[[nodiscard]] std::string CssColor(core::TColor color);
/// The seven characters of CssColor(color), written at `out`.
void WriteCssColor(core::TColor color, char* out) noexcept;

/// A maximal run of consecutive words that share one colour other than
/// white, with its places in the normalised text.
using TRegion = core::TRegion;

/// The characters region.start .. region.end - 1 of `text`, the text the
/// region was found in, clamped to it.
[[nodiscard]] std::u16string_view RegionText(std::u16string_view text, const TRegion& region) noexcept;

/// One article after the comparison.
struct TArticleReport {
    /// How the source was named on the command line ("standard input" for "-").
    std::string name;
    /// The normalised text the positions refer to.
    std::u16string text;
    /// Every word in text order with its colour (1-based positions, as the
    /// engine keeps them).
    std::vector<core::TWord> words;
    std::int32_t sentences = 0;
    std::int32_t paragraphs = 0;
    std::int32_t duplicatedWords = 0;
    /// duplicatedWords x 100 / word count; 0 without words.
    double duplicatePercent = 0.0;
    std::vector<TRegion> regions;

    [[nodiscard]] std::int32_t WordCount() const noexcept { return static_cast<std::int32_t>(words.size()); }
    /// The characters start .. end - 1 of `region`, one of `regions`, cut
    /// out of `text` and clamped to it.
    [[nodiscard]] std::u16string_view RegionText(const TRegion& region) const noexcept;
};

/// The whole result of one comparison.
struct TCompareReport {
    core::TUnitKind unit = core::ukWords;
    /// The length the comparison ran with (never 0).
    std::int32_t minLength = 1;
    /// False when either article is blank; nothing is coloured then.
    bool compared = false;
    /// Share of article 2's words that lie in a duplicated passage.
    double duplicatePercent = 0.0;
    /// duplicatePercent as the window shows it: rounded half to even.
    std::int64_t duplicatePercentShown = 0;
    std::array<TArticleReport, 2> articles;
    /// The options that were on, as OptionNames gives them; empty for the
    /// default rules.
    std::vector<std::string> options;
    /// Words of article 2 that the options left out (white, not counted).
    std::int32_t leftOutWords = 0;
    /// The signs of a disguised copy in article 2, reported whatever the
    /// options.
    core::TDisguises disguises;
};

/// The options that are on, each as a person reads it ("fold",
/// "ignore quoted", "ignore 2 texts", "unicode words"); empty when none is.
[[nodiscard]] std::vector<std::string> OptionNames(const core::TCompareOptions& options);

/// "fold, ignore quoted": the names joined for one line of a report.
[[nodiscard]] std::string JoinedNames(const std::vector<std::string>& names);

/// Gathers the report of a comparison that has run (or was refused for a
/// blank article, `outcome.compared` false): counts, colours and regions of
/// both articles as the comparison left them (TComparison::TakeArticle).
/// The articles' texts and words move into the report. `names` name the
/// two sources.
/// Whether a report writer makes one article's part in memory on the other
/// core while it writes the other article's: the pair is large enough to
/// pay for a thread, and the part, expected to take `heldBytes`, takes at
/// most 64 MiB, so that a report never holds more than that of itself.
[[nodiscard]] bool WritesSideBySide(const TCompareReport& report, std::size_t heldBytes) noexcept;

[[nodiscard]] TCompareReport BuildCompareReport(core::TArticle article1, core::TArticle article2,
                                                const core::TCompareOutcome& outcome, const TCompareSettings& settings,
                                                const std::array<std::string, 2>& names);

/// Runs a comparison the way the window does: normalises both texts as the
/// editor's change handler does, stores and splits them, then compares as
/// the Compare button does with the effective minimum length. Returns the
/// report of it.
/// With `options` on, the comparison is core::CompareTexts with them, and
/// the report names them and the words they left out. Article 2's disguise
/// signs are looked for in every case.
[[nodiscard]] TCompareReport CompareArticles(std::u16string text1, std::u16string text2,
                                             const TCompareSettings& settings,
                                             const std::array<std::string, 2>& names,
                                             const core::TCompareOptions& options = {});

/// The result of counting a keyword in one article.
struct TDensityReport {
    /// The article's name as given on the command line.
    std::string name;
    /// The keyword as searched (trimmed), UTF-8.
    std::string keyword;
    std::int32_t words = 0;
    std::int32_t occurrences = 0;
    double densityPercent = 0.0;
    /// UTF-16 offset, from 0, of each occurrence in the normalised text.
    std::vector<std::int32_t> positions;
};

/// Normalises `text` as the editor's change handler does, counts its words
/// and every occurrence of the trimmed keyword (case-insensitive, inside
/// words and overlapping too), and computes the occurrences per hundred
/// words.
[[nodiscard]] TDensityReport CountKeyword(std::u16string text, std::u16string_view keyword, std::string name);

} // namespace glenvary::report
