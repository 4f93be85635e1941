// SPDX-License-Identifier: MIT
// Glenvary command line: reports as JSON for other programs.
#pragma once

#include "cli/report.h"

#include <string>

namespace glenvary::cli {

/// One JSON object on one line (followed by a line break):
/// {"unit","min_length","compared","duplicate_percent",
/// "duplicate_percent_shown","articles":[A1,A2]}, each article
/// {"words","sentences","paragraphs","duplicated_words","duplicate_percent",
/// "word_colors":["BBGGRR",...],"regions":[{"first_word","last_word",
/// "start","end","color","text"}]}. Word indices and offsets count from 0;
/// offsets are UTF-16 code units of the normalised text, end exclusive.
/// Numbers are printed so that they read back to the same double.
[[nodiscard]] std::string WriteCompareJson(const TCompareReport& report);

/// One JSON object on one line: {"keyword","words","occurrences",
/// "density_percent","positions":[...]}, positions as UTF-16 offsets from 0.
[[nodiscard]] std::string WriteDensityJson(const TDensityReport& report);

} // namespace glenvary::cli
