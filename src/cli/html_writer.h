// SPDX-License-Identifier: MIT
// Glenvary command line: a comparison as a web page.
#pragma once

#include "cli/report.h"

#include <string>
#include <string_view>

namespace glenvary::cli {

/// `text` with &, <, >, " and ' replaced by character references, safe
/// both as element content and inside a quoted attribute.
[[nodiscard]] std::string HtmlEscape(std::string_view text);

/// A stored BBGGRR colour as a CSS colour "#RRGGBB".
[[nodiscard]] std::string CssColor(core::TColor color);

/// An article's text drawn as the window draws its highlights: each word
/// and each gap between words is a piece; a coloured word is bold black on
/// its colour, a gap takes the colour only when the words on both sides of
/// it share it, the gap before the first word is plain, and the text after
/// the last word takes the last word's colour. Plain pieces are bare
/// escaped text; coloured ones are one <span class="dup"> each.
[[nodiscard]] std::string RenderArticleHtml(const TArticleReport& article);

/// One self-contained UTF-8 page: settings and percentages on top, the two
/// articles side by side below with their duplicated passages drawn as
/// RenderArticleHtml does. Inline CSS only; no script, nothing fetched
/// (a content security policy forbids both). Everything that comes from
/// the articles or their names is escaped.
[[nodiscard]] std::string WriteCompareHtml(const TCompareReport& report);

} // namespace glenvary::cli
