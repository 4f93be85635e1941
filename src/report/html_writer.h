// SPDX-License-Identifier: MIT
// Glenvary reports: a comparison as a web page.
#pragma once

#include "report/archive_check.h"
#include "report/batch.h"
#include "report/report.h"

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace glenvary::report {

/// `text` with &, <, >, " and ' replaced by character references, safe
/// both as element content and inside a quoted attribute.
[[nodiscard]] std::string HtmlEscape(std::string_view text);

/// How many UTF-16 code units of an article's text one block of the page
/// holds at least before the next line break ends it. The browser lays out
/// only the blocks that are on screen, so a long article shows at once;
/// a few screens' worth per block keeps the blocks few.
inline constexpr std::size_t kHtmlBlockLength = 4096;

/// Writes an article's text to `out` drawn as the window draws its
/// highlights, run by run as core::HighlightRuns gives them: a plain run is
/// bare escaped text, every other run one
/// <span class="dup" style="background-color:#RRGGBB">, so a passage of
/// many words is one element. With a `regionIdPrefix`, the span of the k-th
/// coloured region (from 1, in text order, as TArticleReport::regions lists
/// them) carries the id prefix + k, so that a link can lead to it. The text
/// is cut into <div class="part"> blocks, each ending just after a line
/// break once it holds kHtmlBlockLength code units (a run across the cut is
/// closed and opened again, its id on the first part), which leaves the
/// lines as they were; an empty text has no block.
void WriteArticleHtml(std::ostream& out, const TArticleReport& article, std::string_view regionIdPrefix = {});

/// Writes one self-contained UTF-8 page to `out` as it goes: settings and
/// percentages on top, the two articles side by side below, each headed by
/// its name, with the list of its duplicated passages (word numbers linked
/// to the passage's place in the text, and its start quoted) and its text
/// drawn as WriteArticleHtml does. Inline CSS only; no script, nothing
/// fetched (a content security policy forbids both). Everything that comes
/// from the articles or their names is escaped. Failures of `out` are left
/// in its state.
void WriteCompareHtml(std::ostream& out, const TCompareReport& report);

/// Writes one self-contained UTF-8 page of a batch run to `out` as it
/// goes: the settings, a table of the listed pairs in the report's order
/// (article 1 before article 2) whose rows link to the pairs' sections, the
/// articles that could not be read, a section per pair with the shares and
/// the passages of both articles (kept by the run: TBatchSettings::
/// keepRegions), and then the text of every article that a listed pair
/// shows, once each, with a place for every passage that links to it.
/// Writes only; it compares nothing. Inline CSS only, as WriteCompareHtml;
/// failures of `out` are left in its state.
void WriteBatchHtml(std::ostream& out, const TBatchReport& report);

/// Writes one self-contained UTF-8 page of a check against an archive to
/// `out` as it goes: the archive and the settings, then per article a
/// table of the documents it copies from (highest share of the article
/// first, both shares), and per document the marked passages of the
/// article and of the document, each quoted on one line. Inline CSS only,
/// as WriteCompareHtml; failures of `out` are left in its state.
void WriteArchiveCheckHtml(std::ostream& out, const TArchiveCheckReport& report);

} // namespace glenvary::report
