// SPDX-License-Identifier: MIT
// Glenvary reports: reports as a short summary for a person.
#pragma once

#include "report/archive_check.h"
#include "report/batch.h"
#include "report/report.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace glenvary::report {

/// How many characters of a duplicated passage the summary quotes before
/// cutting it short with "...": enough to recognise the passage, short
/// enough to keep one passage on one line of a terminal.
inline constexpr std::size_t kQuotedPassageLength = 60;

/// `value` in fixed notation with `decimals` decimals, independent of the
/// global locale ("57.14").
[[nodiscard]] std::string FixedDecimal(double value, int decimals);

/// "1 word", "2 words", "0 sentences": a count with its noun.
[[nodiscard]] std::string CountOf(std::int64_t count, std::string_view singular, std::string_view plural);

/// How a report heads article `number` (1 or 2) named `name`: "Article 1:
/// notes.txt", or "Article 1" alone when the article has no name of its own
/// (its name is that heading, as for typed text).
[[nodiscard]] std::string ArticleHeading(int number, std::string_view name);

/// Appends `text` to `out` on one line, in double quotes: every run of line
/// breaks, tabs and other control characters becomes one space, so that
/// article text cannot move a terminal's cursor or break a report's layout,
/// and a passage longer than kQuotedPassageLength characters is cut with
/// "...". `scratch` is room to work in, kept between calls.
void AppendQuotedPassage(std::string& out, std::u16string_view text, std::u16string& scratch);

/// "word 4" or "words 4-9": a region's word numbers as a person counts them,
/// from 1.
[[nodiscard]] std::string WordNumbers(const TRegion& region);

/// The line that says which options were on and how many of article 2's
/// words they left out; empty for the default rules.
[[nodiscard]] std::string OptionsText(const TCompareReport& report);
/// The same line for the options `options` (OptionNames) that left out
/// `leftOutWords` of article 2.
[[nodiscard]] std::string OptionsText(const std::vector<std::string>& options, std::int32_t leftOutWords);

/// The line that warns of the signs of a disguised copy in article 2 (words
/// holding invisible characters, words mixing scripts) with the first few
/// places by character numbers from 1 and the words quoted; empty when
/// there is none.
[[nodiscard]] std::string DisguisesText(const TCompareReport& report);

/// The same for any article: `found` in `text`, the line starting with
/// `subject` ("Signs of a disguised copy in notes.txt: ").
[[nodiscard]] std::string DisguisesText(const core::TDisguises& found, std::u16string_view text,
                                        std::string subject);

/// The minimum length with its unit: "1 word", "3 sentences".
[[nodiscard]] std::string MinLengthText(core::TUnitKind unit, std::int32_t minLength);
[[nodiscard]] std::string MinLengthText(const TCompareReport& report);

/// A percentage as given, in the fewest digits that read back to it
/// ("20", "12.5"), independent of the global locale.
[[nodiscard]] std::string ShortestDecimal(double value);

/// Why a comparison did not run: "article 1 is blank", "article 2 is blank"
/// or "both articles are blank". Meaningful only when report.compared is false.
[[nodiscard]] std::string BlankArticles(const TCompareReport& report);

/// The summary of a comparison: the percentage as the window shows it, the
/// settings, the counts of both articles and every duplicated passage of
/// article 2, then of article 1, with its word numbers (counted from 1) and
/// the start of its text on one line. Written to `out` line by line;
/// failures of `out` are left in its state.
void WriteCompareText(std::ostream& out, const TCompareReport& report);

/// The summary of a batch run: the settings, the numbers of articles and
/// pairs, then one line per listed pair in the report's order, such as
/// "57% of b.txt duplicates a.txt: 57.14% of b.txt (4 of 7 words), 66.67%
/// of a.txt (4 of 6 words)", then the articles that could not be read, one
/// line each. Written to `out` line by line.
void WriteBatchText(std::ostream& out, const TBatchReport& report);

/// The summary of a check against an archive: the archive and the
/// settings, then per article the documents it copies from, highest share
/// first, one line each, such as "1. 57% of new.txt copies essay.txt
/// (#12): 57.14% of new.txt (4 of 7 words), 66.67% of essay.txt (4 of 6
/// words)", followed by the marked passages of the article and of the
/// document, one line each; then the articles that could not be read.
void WriteArchiveCheckText(std::ostream& out, const TArchiveCheckReport& report);

/// The summary of a keyword count: keyword, words, occurrences, and the
/// density with two decimals, written to `out`.
void WriteDensityText(std::ostream& out, const TDensityReport& report);

} // namespace glenvary::report
