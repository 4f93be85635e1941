// SPDX-License-Identifier: MIT
#include "cli/html_writer.h"

#include "core/highlight.h"
#include "io/text_encoding.h"
#include "cli/text_writer.h"

#include <algorithm>
#include <string>

namespace glenvary::cli {
namespace {

// How many UTF-16 code units of a run are encoded at a time: a run can be
// a whole article, and its UTF-8 copy should not be.
constexpr std::size_t kEncodeBlock = std::size_t{1} << 14;

bool IsLeadSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

void WriteEscaped(std::ostream& out, std::u16string_view text)
{
    while (!text.empty()) {
        std::size_t block = std::min(text.size(), kEncodeBlock);
        // A pair split between two blocks would come out as two U+FFFD.
        if (block < text.size() && IsLeadSurrogate(text[block - 1])) {
            --block;
        }
        out << HtmlEscape(io::EncodeUtf8(text.substr(0, block)));
        text.remove_prefix(block);
    }
}

// A plain piece is bare escaped text, a coloured one a span of its colour.
void WritePiece(std::ostream& out, std::u16string_view piece, core::TColor color)
{
    if (color == core::clWhite) {
        WriteEscaped(out, piece);
        return;
    }
    out << "<span class=\"dup\" style=\"background-color:" << CssColor(color) << "\">";
    WriteEscaped(out, piece);
    out << "</span>";
}

// The page's style. A .part block off screen is laid out only when it
// scrolls into view; until then it takes the height that a block of text
// roughly has in one column, afterwards the height it really had. Only its
// height is guessed, so the two columns keep their widths.
constexpr std::string_view kStyle = R"(body{margin:1.5em;font-family:sans-serif;color:#000;background:#fff}
h1{font-size:1.4em;margin:0 0 .5em}
h2{font-size:1.1em;margin:0 0 .25em;overflow-wrap:anywhere}
table.summary{border-collapse:collapse;margin-bottom:1.5em}
table.summary th{text-align:left;font-weight:normal;padding:.15em 1em .15em 0}
table.summary td{font-weight:bold;padding:.15em 0}
.articles{display:grid;grid-template-columns:1fr 1fr;gap:1.5em}
.counts{margin:0 0 .5em;color:#444}
.text{white-space:pre-wrap;overflow-wrap:anywhere;font-family:serif;line-height:1.5;border:1px solid #999;padding:.75em}
.part{content-visibility:auto;contain-intrinsic-block-size:auto 60em}
.dup{font-weight:bold;color:#000}
)";

void WriteArticleSection(std::ostream& out, int number, const TArticleReport& article)
{
    out << "<section>\n<h2>Article " << number << ": " << HtmlEscape(article.name) << "</h2>\n"
        << "<p class=\"counts\">" << CountOf(article.WordCount(), "word", "words") << ", "
        << CountOf(article.sentences, "sentence", "sentences") << ", "
        << CountOf(article.paragraphs, "paragraph", "paragraphs") << "; "
        << CountOf(article.duplicatedWords, "duplicated word", "duplicated words") << " ("
        << FixedDecimal(article.duplicatePercent, 2) << "%)</p>\n"
        << "<div class=\"text\" id=\"article" << number << "\">";
    WriteArticleHtml(out, article);
    out << "</div>\n</section>\n";
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

void WriteArticleHtml(std::ostream& out, const TArticleReport& article)
{
    const std::u16string_view text = article.text;
    // Code units in the open block; none is open before the first piece.
    std::size_t blockLength = 0;
    bool blockOpen = false;
    for (const core::THighlightRun& run : core::HighlightRuns(text, article.words)) {
        auto offset = static_cast<std::size_t>(run.start);
        std::u16string_view piece = text.substr(offset, static_cast<std::size_t>(run.length));
        while (!piece.empty()) {
            std::size_t take = piece.size();
            bool endBlock = false;
            if (blockLength + piece.size() >= kHtmlBlockLength) {
                // The first line break that brings the block to its length.
                const std::size_t from = blockLength < kHtmlBlockLength ? kHtmlBlockLength - blockLength - 1 : 0;
                const std::size_t lineBreak = piece.find(u'\n', from);
                // A block never ends the text: the last one would be empty.
                if (lineBreak != std::u16string_view::npos && offset + lineBreak + 1 < text.size()) {
                    take = lineBreak + 1;
                    endBlock = true;
                }
            }
            if (!blockOpen) {
                out << "<div class=\"part\">";
                blockOpen = true;
            }
            WritePiece(out, piece.substr(0, take), run.color);
            blockLength += take;
            offset += take;
            piece.remove_prefix(take);
            if (endBlock) {
                out << "</div>";
                blockOpen = false;
                blockLength = 0;
            }
        }
    }
    if (blockOpen) {
        out << "</div>";
    }
}

void WriteCompareHtml(std::ostream& out, const TCompareReport& report)
{
    const std::string name1 = HtmlEscape(report.articles[0].name);
    const std::string name2 = HtmlEscape(report.articles[1].name);
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        << "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">\n"
        << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        << "<title>Glenvary: " << name2 << " compared with " << name1 << "</title>\n"
        << "<style>\n" << kStyle << "</style>\n</head>\n<body>\n"
        << "<h1>Passages of article 2 that duplicate article 1</h1>\n"
        << "<table class=\"summary\">\n";
    if (report.compared) {
        out << "<tr><th>Duplicate content of article 2</th><td>" << std::to_string(report.duplicatePercentShown)
            << "% (" << FixedDecimal(report.duplicatePercent, 2) << "%)</td></tr>\n";
    } else {
        out << "<tr><th>Not compared</th><td>" << BlankArticles(report) << "</td></tr>\n";
    }
    out << "<tr><th>Minimum length</th><td>" << MinLengthText(report) << "</td></tr>\n"
        << "<tr><th>Article 1</th><td>" << name1 << "</td></tr>\n"
        << "<tr><th>Article 2</th><td>" << name2 << "</td></tr>\n"
        << "</table>\n<div class=\"articles\">\n";
    WriteArticleSection(out, 1, report.articles[0]);
    WriteArticleSection(out, 2, report.articles[1]);
    out << "</div>\n</body>\n</html>\n";
}

} // namespace glenvary::cli
