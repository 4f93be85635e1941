// SPDX-License-Identifier: MIT
#include "cli/html_writer.h"

#include "io/text_encoding.h"
#include "cli/text_writer.h"

#include <algorithm>
#include <sstream>

namespace glenvary::cli {
namespace {

// The characters from 1-based position `from` to `to` inclusive, clamped to
// the text; an empty or reversed range gives nothing.
std::u16string_view Cut(std::u16string_view text, std::int32_t from, std::int32_t to)
{
    const auto size = static_cast<std::int64_t>(text.size());
    const std::int64_t first = std::max<std::int64_t>(from, 1) - 1;
    const std::int64_t last = std::min<std::int64_t>(to, size) - 1;
    if (first > last) {
        return {};
    }
    return text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1));
}

void AppendPiece(std::string& html, std::u16string_view piece, core::TColor color)
{
    if (piece.empty()) {
        return;
    }
    if (color == core::clWhite) {
        html += HtmlEscape(io::EncodeUtf8(piece));
        return;
    }
    html += "<span class=\"dup\" style=\"background-color:";
    html += CssColor(color);
    html += "\">";
    html += HtmlEscape(io::EncodeUtf8(piece));
    html += "</span>";
}

constexpr std::string_view kStyle = R"(body{margin:1.5em;font-family:sans-serif;color:#000;background:#fff}
h1{font-size:1.4em;margin:0 0 .5em}
h2{font-size:1.1em;margin:0 0 .25em;overflow-wrap:anywhere}
table.summary{border-collapse:collapse;margin-bottom:1.5em}
table.summary th{text-align:left;font-weight:normal;padding:.15em 1em .15em 0}
table.summary td{font-weight:bold;padding:.15em 0}
.articles{display:grid;grid-template-columns:1fr 1fr;gap:1.5em}
.counts{margin:0 0 .5em;color:#444}
.text{white-space:pre-wrap;overflow-wrap:anywhere;font-family:serif;line-height:1.5;border:1px solid #999;padding:.75em}
.dup{font-weight:bold;color:#000}
)";

void AppendArticleSection(std::ostringstream& page, int number, const TArticleReport& article)
{
    page << "<section>\n<h2>Article " << number << ": " << HtmlEscape(article.name) << "</h2>\n"
         << "<p class=\"counts\">" << CountOf(article.WordCount(), "word", "words") << ", "
         << CountOf(article.sentences, "sentence", "sentences") << ", "
         << CountOf(article.paragraphs, "paragraph", "paragraphs") << "; "
         << CountOf(article.duplicatedWords, "duplicated word", "duplicated words") << " ("
         << FixedDecimal(article.duplicatePercent, 2) << "%)</p>\n"
         << "<div class=\"text\" id=\"article" << number << "\">" << RenderArticleHtml(article) << "</div>\n"
         << "</section>\n";
}

} // namespace

std::string HtmlEscape(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c; break;
        }
    }
    return escaped;
}

std::string CssColor(core::TColor color)
{
    const std::string stored = StoredColorHex(color);
    // Stored as BBGGRR; CSS wants red first.
    return "#" + stored.substr(4, 2) + stored.substr(2, 2) + stored.substr(0, 2);
}

std::string RenderArticleHtml(const TArticleReport& article)
{
    std::string html;
    const std::u16string_view text = article.text;
    std::int32_t previousEnd = 1;
    core::TColor previousColor = core::clWhite;
    for (const core::TWord& word : article.words) {
        const std::u16string_view gap = Cut(text, previousEnd, word.iStart - 1);
        AppendPiece(html, gap, word.iColor == previousColor ? word.iColor : core::clWhite);
        AppendPiece(html, Cut(text, word.iStart, word.iEnd - 1), word.iColor);
        previousEnd = word.iEnd;
        previousColor = word.iColor;
    }
    AppendPiece(html, Cut(text, previousEnd, static_cast<std::int32_t>(text.size())), previousColor);
    return html;
}

std::string WriteCompareHtml(const TCompareReport& report)
{
    const std::string name1 = HtmlEscape(report.articles[0].name);
    const std::string name2 = HtmlEscape(report.articles[1].name);
    std::ostringstream page;
    page << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         << "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">\n"
         << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         << "<title>Glenvary: " << name2 << " compared with " << name1 << "</title>\n"
         << "<style>\n" << kStyle << "</style>\n</head>\n<body>\n"
         << "<h1>Passages of article 2 that duplicate article 1</h1>\n"
         << "<table class=\"summary\">\n";
    if (report.compared) {
        page << "<tr><th>Duplicate content of article 2</th><td>" << report.duplicatePercentShown << "% ("
             << FixedDecimal(report.duplicatePercent, 2) << "%)</td></tr>\n";
    } else {
        page << "<tr><th>Not compared</th><td>" << BlankArticles(report) << "</td></tr>\n";
    }
    page << "<tr><th>Minimum length</th><td>" << MinLengthText(report) << "</td></tr>\n"
         << "<tr><th>Article 1</th><td>" << name1 << "</td></tr>\n"
         << "<tr><th>Article 2</th><td>" << name2 << "</td></tr>\n"
         << "</table>\n<div class=\"articles\">\n";
    AppendArticleSection(page, 1, report.articles[0]);
    AppendArticleSection(page, 2, report.articles[1]);
    page << "</div>\n</body>\n</html>\n";
    return page.str();
}

} // namespace glenvary::cli
