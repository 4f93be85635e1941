// SPDX-License-Identifier: MIT
// Glenvary reports: reports as JSON for other programs.
#pragma once

#include "report/archive_check.h"
#include "report/batch.h"
#include "report/report.h"

#include <ostream>

namespace glenvary::report {

/// Writes one JSON object on one line (followed by a line break) to `out`
/// as it goes, never holding the whole text:
/// {"unit","min_length","compared","duplicate_percent",
/// "duplicate_percent_shown","articles":[A1,A2]}, each article
/// {"words","sentences","paragraphs","duplicated_words","duplicate_percent",
/// "word_colors":["#RRGGBB",...],"regions":[{"first_word","last_word",
/// "start","end","color","text"}]}. Colours are written as the web writes
/// them (CssColor). Word indices and offsets count from 0; offsets are
/// UTF-16 code units of the normalised text, end exclusive. Numbers are
/// printed so that they read back to the same double. Failures of `out`
/// are left in its state.
void WriteCompareJson(std::ostream& out, const TCompareReport& report);

/// Writes one JSON object on one line (followed by a line break) to `out`
/// as it goes: {"unit","min_length","threshold","articles":[{"name",
/// "words","sentences","paragraphs"},...],"pair_count","compared_pairs",
/// "pairs":[P,...]},
/// each listed pair P {"article1","article2","compared",
/// "duplicate_percent","duplicate_percent_shown","articles":[{
/// "duplicated_words","duplicate_percent"},{...}]} in the report's order,
/// article1 and article2 being indices into "articles" from 0, and the
/// pair's "articles" its article 1 and article 2, as in `compare`.
void WriteBatchJson(std::ostream& out, const TBatchReport& report);

/// Writes one JSON object on one line (followed by a line break) to `out`
/// as it goes: {"archive","unit","min_length","threshold","top",
/// "articles":[{"name","compared","words","candidates","sources":[{"id",
/// "name","words","article_duplicated_words","article_percent",
/// "document_duplicated_words","document_percent","article_passages":[R,
/// ...],"document_passages":[R,...]}]}],"unreadable":[{"name","error"}]},
/// sources highest share of the article first, each passage R a region
/// as `compare` writes one, its offsets into the article's or the
/// document's normalised text.
void WriteArchiveCheckJson(std::ostream& out, const TArchiveCheckReport& report);

/// Writes one JSON object on one line to `out`: {"keyword","words",
/// "occurrences","density_percent","positions":[...]}, positions as UTF-16
/// offsets from 0.
void WriteDensityJson(std::ostream& out, const TDensityReport& report);

} // namespace glenvary::report
