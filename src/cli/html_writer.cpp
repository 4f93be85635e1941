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

// What a batch run's page adds: the table of pairs, and the pairs' views
// one below the other, their articles' headings one level down.
constexpr std::string_view kBatchStyle = R"(h3{font-size:1.1em;margin:0 0 .25em;overflow-wrap:anywhere}
table.pairs{border-collapse:collapse;margin-bottom:2em}
table.pairs th,table.pairs td{text-align:left;padding:.2em 1em .2em 0;border-bottom:1px solid #ccc}
table.pairs td{overflow-wrap:anywhere}
section.pair{border-top:2px solid #999;padding-top:1em;margin-top:2em}
)";

// Where a comparison stands on its page: what its ids begin with (they
// must differ between comparisons of one page) and the level of its
// articles' headings.
struct TPlace {
    std::string idPrefix;
    int heading = 2;
};

void WritePageHead(std::ostream& out, const std::string& title, std::string_view extraStyle = {})
{
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        << "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">\n"
        << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        << "<title>" << title << "</title>\n"
        << "<style>\n" << kStyle << extraStyle << "</style>\n</head>\n<body>\n";
}

void WriteArticleSection(std::ostream& out, int number, const TArticleReport& article, const TPlace& place)
{
    out << "<section>\n<h" << place.heading << ">Article " << number << ": " << HtmlEscape(article.name) << "</h"
        << place.heading << ">\n"
        << "<p class=\"counts\">" << CountOf(article.WordCount(), "word", "words") << ", "
        << CountOf(article.sentences, "sentence", "sentences") << ", "
        << CountOf(article.paragraphs, "paragraph", "paragraphs") << "; "
        << CountOf(article.duplicatedWords, "duplicated word", "duplicated words") << " ("
        << FixedDecimal(article.duplicatePercent, 2) << "%)</p>\n"
        << "<div class=\"text\" id=\"" << place.idPrefix << "article" << number << "\">";
    WriteArticleHtml(out, article);
    out << "</div>\n</section>\n";
}

// The settings and percentages of one comparison, then its two articles
// side by side.
void WriteComparison(std::ostream& out, const TCompareReport& report, const TPlace& place)
{
    out << "<table class=\"summary\">\n";
    if (report.compared) {
        out << "<tr><th>Duplicate content of article 2</th><td>" << std::to_string(report.duplicatePercentShown)
            << "% (" << FixedDecimal(report.duplicatePercent, 2) << "%)</td></tr>\n";
    } else {
        out << "<tr><th>Not compared</th><td>" << BlankArticles(report) << "</td></tr>\n";
    }
    out << "<tr><th>Minimum length</th><td>" << MinLengthText(report) << "</td></tr>\n"
        << "<tr><th>Article 1</th><td>" << HtmlEscape(report.articles[0].name) << "</td></tr>\n"
        << "<tr><th>Article 2</th><td>" << HtmlEscape(report.articles[1].name) << "</td></tr>\n"
        << "</table>\n<div class=\"articles\">\n";
    WriteArticleSection(out, 1, report.articles[0], place);
    WriteArticleSection(out, 2, report.articles[1], place);
    out << "</div>\n";
}

// "57% (57.14%, 4 of 7 words)", or the share alone without its rounding.
std::string ShareText(const TBatchArticle& article, std::int32_t words, double percent, bool rounded)
{
    std::string text = rounded ? std::to_string(core::RoundHalfEven(percent)) + "% (" : std::string();
    text += FixedDecimal(percent, 2) + "%" + (rounded ? ", " : " (") + std::to_string(words) + " of "
        + CountOf(article.prepared.Article().lstWords.Count(), "word", "words") + ")";
    return text;
}

void WritePairRow(std::ostream& out, const TBatchReport& report, const TBatchPair& pair, std::size_t number)
{
    const TBatchArticle& article1 = report.articles[static_cast<std::size_t>(pair.article1)];
    const TBatchArticle& article2 = report.articles[static_cast<std::size_t>(pair.article2)];
    const std::string link = "<a href=\"#pair" + std::to_string(number) + "\">";
    out << "<tr><td>" << link << std::to_string(number) << "</a></td><td>" << link << HtmlEscape(article2.name)
        << "</a></td><td>" << HtmlEscape(article1.name) << "</td>";
    if (pair.compared) {
        out << "<td>" << ShareText(article2, pair.duplicatedWords[1], pair.duplicatePercent[1], true) << "</td><td>"
            << ShareText(article1, pair.duplicatedWords[0], pair.duplicatePercent[0], false) << "</td></tr>\n";
    } else {
        out << "<td colspan=\"2\">not compared</td></tr>\n";
    }
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
    WritePageHead(out, "Glenvary: " + HtmlEscape(report.articles[1].name) + " compared with "
                           + HtmlEscape(report.articles[0].name));
    out << "<h1>Passages of article 2 that duplicate article 1</h1>\n";
    WriteComparison(out, report, {});
    out << "</body>\n</html>\n";
}

void WriteBatchHtml(std::ostream& out, const TBatchReport& report)
{
    const std::string articles = CountOf(static_cast<std::int64_t>(report.articles.size()), "article", "articles");
    WritePageHead(out, "Glenvary: " + articles + " compared pair by pair", kBatchStyle);
    out << "<h1 id=\"pairs\">Duplicate content between " << articles << "</h1>\n"
        << "<table class=\"summary\">\n"
        << "<tr><th>Minimum length</th><td>" << MinLengthText(report.unit, report.minLength) << "</td></tr>\n"
        << "<tr><th>Ordered pairs compared</th><td>" << std::to_string(report.pairCount) << "</td></tr>\n"
        << "<tr><th>Pairs listed</th><td>" << std::to_string(report.pairs.size());
    if (report.threshold > 0.0) {
        out << ", those with " << ShortestDecimal(report.threshold) << "% or more of article 2 duplicated";
    }
    out << "</td></tr>\n</table>\n";
    if (!report.pairs.empty()) {
        out << "<table class=\"pairs\">\n<thead><tr><th>Pair</th><th>Article 2</th><th>Article 1</th>"
            << "<th>Duplicate content of article 2</th><th>Duplicated share of article 1</th></tr></thead>\n<tbody>\n";
        for (std::size_t i = 0; i < report.pairs.size(); ++i) {
            WritePairRow(out, report, report.pairs[i], i + 1);
        }
        out << "</tbody>\n</table>\n";
    }
    // Each pair is compared again as its view is written, so that only one
    // pair's colours are held at a time.
    for (std::size_t i = 0; i < report.pairs.size(); ++i) {
        const TCompareReport pair = PairReport(report, report.pairs[i]);
        const std::string number = std::to_string(i + 1);
        out << "<section class=\"pair\" id=\"pair" << number << "\">\n<h2>Pair " << number << ": "
            << HtmlEscape(pair.articles[1].name) << " compared with " << HtmlEscape(pair.articles[0].name)
            << "</h2>\n";
        WriteComparison(out, pair, {"pair" + number + "-", 3});
        out << "<p><a href=\"#pairs\">Back to the list of pairs</a></p>\n</section>\n";
    }
    out << "</body>\n</html>\n";
}

} // namespace glenvary::cli
