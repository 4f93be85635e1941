// SPDX-License-Identifier: MIT
#include "report/html_writer.h"

#include "core/highlight.h"
#include "io/text_encoding.h"
#include "report/text_writer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>
#include <string>

namespace glenvary::report {
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

// A stretch of text drawn in one look, and the id of the place where it
// begins (empty for none). A stretch of no text is a place alone.
struct TPiece {
    std::int32_t start = 0;
    std::int32_t length = 0;
    core::TColor color = core::clWhite;
    std::string id;
};

// A plain piece is bare escaped text, a coloured one a span of its colour;
// an id names the piece's span, or an empty anchor before plain text.
void WritePiece(std::ostream& out, std::u16string_view piece, core::TColor color, const std::string& id)
{
    if (color == core::clWhite) {
        if (!id.empty()) {
            out << "<a id=\"" << id << "\"></a>";
        }
        WriteEscaped(out, piece);
        return;
    }
    out << "<span class=\"dup\"";
    if (!id.empty()) {
        out << " id=\"" << id << '"';
    }
    out << " style=\"background-color:" << CssColor(color) << "\">";
    WriteEscaped(out, piece);
    out << "</span>";
}

// Writes `text` as `pieces` (in text order, covering it) in blocks of
// about kHtmlBlockLength code units, each ending after a line break; a
// piece across the cut is closed and opened again, its id on the first
// part only.
void WritePieces(std::ostream& out, std::u16string_view text, const std::vector<TPiece>& pieces)
{
    // Code units in the open block; none is open before the first piece.
    std::size_t blockLength = 0;
    bool blockOpen = false;
    for (const TPiece& run : pieces) {
        auto offset = static_cast<std::size_t>(run.start);
        std::u16string_view piece = text.substr(offset, static_cast<std::size_t>(run.length));
        const std::string* id = &run.id;
        const std::string none;
        do {
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
            WritePiece(out, piece.substr(0, take), run.color, *id);
            id = &none;
            blockLength += take;
            offset += take;
            piece.remove_prefix(take);
            if (endBlock) {
                out << "</div>";
                blockOpen = false;
                blockLength = 0;
            }
        } while (!piece.empty());
    }
    if (blockOpen) {
        out << "</div>";
    }
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
.passages{margin:0 0 .75em}
.passages ol{margin:.25em 0;padding-left:2em;max-height:20em;overflow:auto}
.passages li{overflow-wrap:anywhere}
:target{outline:2px solid #000}
)";

// What a batch run's page adds: the table of pairs, and the pairs' views
// one below the other, their articles' headings one level down.
constexpr std::string_view kBatchStyle = R"(h3{font-size:1.1em;margin:0 0 .25em;overflow-wrap:anywhere}
table.pairs{border-collapse:collapse;margin-bottom:2em}
table.pairs th,table.pairs td{text-align:left;padding:.2em 1em .2em 0;border-bottom:1px solid #ccc}
table.pairs td{overflow-wrap:anywhere}
section.pair{border-top:2px solid #999;padding-top:1em;margin-top:2em}
section.article{border-top:2px solid #999;padding-top:1em;margin-top:2em}
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

// The list of an article's duplicated passages: each one's word numbers,
// linked to its place in the text (ids `idPrefix` + 1, 2...), and its start
// quoted on one line.
template <typename RegionText>
void WritePassageList(std::ostream& out, const std::vector<TRegion>& regions, const std::string& idPrefix,
                      RegionText regionText)
{
    if (regions.empty()) {
        out << "<p class=\"passages\">No duplicated passages</p>\n";
        return;
    }
    out << "<details class=\"passages\" open><summary>"
        << CountOf(static_cast<std::int64_t>(regions.size()), "duplicated passage", "duplicated passages")
        << "</summary>\n<ol>\n";
    std::string quoted;
    std::u16string scratch;
    for (std::size_t k = 0; k < regions.size(); ++k) {
        quoted.clear();
        AppendQuotedPassage(quoted, regionText(regions[k]), scratch);
        out << "<li><a href=\"#" << idPrefix << std::to_string(k + 1) << "\">" << WordNumbers(regions[k])
            << "</a>: " << HtmlEscape(quoted) << "</li>\n";
    }
    out << "</ol></details>\n";
}

std::string CountsText(std::int32_t words, std::int32_t sentences, std::int32_t paragraphs)
{
    return CountOf(words, "word", "words") + ", " + CountOf(sentences, "sentence", "sentences") + ", "
        + CountOf(paragraphs, "paragraph", "paragraphs");
}

void WriteArticleSection(std::ostream& out, int number, const TArticleReport& article, const TPlace& place,
                         bool compared)
{
    const std::string idPrefix = place.idPrefix + "a" + std::to_string(number) + "-";
    out << "<section>\n<h" << place.heading << ">" << HtmlEscape(ArticleHeading(number, article.name)) << "</h"
        << place.heading << ">\n"
        << "<p class=\"counts\">" << CountsText(article.WordCount(), article.sentences, article.paragraphs) << "; "
        << CountOf(article.duplicatedWords, "duplicated word", "duplicated words") << " ("
        << FixedDecimal(article.duplicatePercent, 2) << "%)</p>\n";
    if (compared) {
        WritePassageList(out, article.regions, idPrefix,
                         [&article](const TRegion& region) { return article.RegionText(region); });
    }
    out << "<div class=\"text\" id=\"" << place.idPrefix << "article" << number << "\">";
    WriteArticleHtml(out, article, idPrefix);
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
    out << "<tr><th>Minimum length</th><td>" << MinLengthText(report) << "</td></tr>\n";
    if (!report.options.empty()) {
        out << "<tr><th>Options</th><td>" << HtmlEscape(OptionsText(report).substr(9)) << "</td></tr>\n";
    }
    if (report.disguises.Any()) {
        out << "<tr><th>Disguise</th><td class=\"warning\">" << HtmlEscape(DisguisesText(report)) << "</td></tr>\n";
    }
    out << "<tr><th>Article 1</th><td>" << HtmlEscape(report.articles[0].name) << "</td></tr>\n"
        << "<tr><th>Article 2</th><td>" << HtmlEscape(report.articles[1].name) << "</td></tr>\n"
        << "</table>\n<div class=\"articles\">\n";
    WriteArticleSection(out, 1, report.articles[0], place, report.compared);
    WriteArticleSection(out, 2, report.articles[1], place, report.compared);
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
    out << "<tr><td>" << link << std::to_string(number) << "</a></td><td>" << HtmlEscape(article1.name)
        << "</td><td>" << link << HtmlEscape(article2.name) << "</a></td>";
    if (pair.compared) {
        out << "<td>" << ShareText(article2, pair.duplicatedWords[1], pair.duplicatePercent[1], true) << "</td><td>"
            << ShareText(article1, pair.duplicatedWords[0], pair.duplicatePercent[0], false) << "</td></tr>\n";
    } else {
        out << "<td colspan=\"2\">not compared</td></tr>\n";
    }
}

// `text` drawn plain, with the places `places` (stretches of no text, in
// any order) in it.
std::vector<TPiece> PlainWithPlaces(std::u16string_view text, std::vector<TPiece> places)
{
    std::stable_sort(places.begin(), places.end(),
                     [](const TPiece& a, const TPiece& b) { return a.start < b.start; });
    std::vector<TPiece> pieces;
    pieces.reserve(places.size() * 2 + 1);
    std::int32_t done = 0;
    const auto size = static_cast<std::int32_t>(text.size());
    for (TPiece& place : places) {
        place.start = std::clamp(place.start, done, size);
        if (place.start > done) {
            pieces.push_back({done, place.start - done, core::clWhite, {}});
            done = place.start;
        }
        pieces.push_back(std::move(place));
    }
    if (done < size) {
        pieces.push_back({done, size - done, core::clWhite, {}});
    }
    return pieces;
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

void WriteArticleHtml(std::ostream& out, const TArticleReport& article, std::string_view regionIdPrefix)
{
    const std::vector<core::THighlightRun> runs = core::HighlightRuns(article.text, article.words);
    std::vector<TPiece> pieces;
    pieces.reserve(runs.size());
    // A coloured run begins at its region's first word, one run a region.
    std::size_t region = 0;
    for (const core::THighlightRun& run : runs) {
        TPiece piece{run.start, run.length, run.color, {}};
        if (run.color != core::clWhite && !regionIdPrefix.empty()) {
            piece.id = std::string(regionIdPrefix) + std::to_string(++region);
        }
        pieces.push_back(std::move(piece));
    }
    WritePieces(out, article.text, pieces);
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
        << (report.options.empty() ? std::string()
                                   : "<tr><th>Options</th><td>" + HtmlEscape(JoinedNames(report.options))
                                + "</td></tr>\n")
        << "<tr><th>Ordered pairs</th><td>" << std::to_string(report.pairCount) << "</td></tr>\n"
        << "<tr><th>Compared</th><td>" << std::to_string(report.comparedPairs)
        << (report.throughSharedRuns ? " (those with enough runs of 8 words in common)" : "") << "</td></tr>\n"
        << "<tr><th>Pairs listed</th><td>" << std::to_string(report.pairs.size());
    if (report.threshold > 0.0) {
        out << ", those with " << ShortestDecimal(report.threshold) << "% or more of article 2 duplicated";
    }
    out << "</td></tr>\n";
    for (std::size_t i = 0; i < report.disguises.size() && i < report.articles.size(); ++i) {
        const std::string line = DisguisesText(report.disguises[i], report.articles[i].prepared.Article().sText,
                                               report.articles[i].name + ": ");
        if (!line.empty()) {
            out << "<tr><th>Disguise</th><td class=\"warning\">" << HtmlEscape(line) << "</td></tr>\n";
        }
    }
    if (!report.unreadable.empty()) {
        out << "<tr><th>Not read</th><td><a href=\"#unreadable\">"
            << CountOf(static_cast<std::int64_t>(report.unreadable.size()), "article", "articles") << "</a></td></tr>\n";
    }
    out << "</table>\n";
    if (!report.pairs.empty()) {
        out << "<table class=\"pairs\">\n<thead><tr><th>Pair</th><th>Article 1</th><th>Article 2</th>"
            << "<th>Duplicate content of article 2</th><th>Duplicated share of article 1</th></tr></thead>\n<tbody>\n";
        for (std::size_t i = 0; i < report.pairs.size(); ++i) {
            WritePairRow(out, report, report.pairs[i], i + 1);
        }
        out << "</tbody>\n</table>\n";
    }
    if (!report.unreadable.empty()) {
        out << "<h2 id=\"unreadable\">Not read, so in no pair</h2>\n<ul>\n";
        for (const TUnreadableArticle& article : report.unreadable) {
            out << "<li>" << HtmlEscape(article.message) << "</li>\n";
        }
        out << "</ul>\n";
    }
    // Each pair lists its passages; every article's text stands once, below
    // all pairs, with a place for each passage of each pair that shows it.
    std::vector<std::vector<TPiece>> places(report.articles.size());
    for (std::size_t i = 0; i < report.pairs.size(); ++i) {
        const TBatchPair& pair = report.pairs[i];
        const std::string number = std::to_string(i + 1);
        const std::array<std::int32_t, 2> indices{pair.article1, pair.article2};
        out << "<section class=\"pair\" id=\"pair" << number << "\">\n<h2>Pair " << number << ": "
            << HtmlEscape(report.articles[static_cast<std::size_t>(pair.article2)].name) << " compared with "
            << HtmlEscape(report.articles[static_cast<std::size_t>(pair.article1)].name) << "</h2>\n";
        if (!pair.compared) {
            out << "<p>Not compared: an article is blank.</p>\n";
        }
        out << "<div class=\"articles\">\n";
        for (std::size_t side = 0; side < 2; ++side) {
            const auto index = static_cast<std::size_t>(indices[side]);
            const TBatchArticle& article = report.articles[index];
            const std::string articleId = "article" + std::to_string(index + 1);
            const std::string idPrefix = "pair" + number + "-a" + std::to_string(side + 1) + "-";
            out << "<section>\n<h3>Article " << std::to_string(side + 1) << ": <a href=\"#" << articleId << "\">"
                << HtmlEscape(article.name) << "</a></h3>\n";
            if (pair.compared) {
                out << "<p class=\"counts\">"
                    << ShareText(article, pair.duplicatedWords[side], pair.duplicatePercent[side], side == 1)
                    << "</p>\n";
                if (side == 1 && !report.options.empty()) {
                    out << "<p class=\"counts\">" << CountOf(pair.leftOutWords, "word", "words")
                        << " left out by the options (neither marked nor counted)</p>\n";
                }
                const std::u16string_view text = article.prepared.Article().sText;
                WritePassageList(out, pair.regions[side], idPrefix, [text](const TRegion& region) {
                    const std::size_t from = std::min(static_cast<std::size_t>(region.start), text.size());
                    const std::size_t to = std::clamp(static_cast<std::size_t>(region.end), from, text.size());
                    return text.substr(from, to - from);
                });
                for (std::size_t k = 0; k < pair.regions[side].size(); ++k) {
                    places[index].push_back({pair.regions[side][k].start, 0, core::clWhite,
                                             idPrefix + std::to_string(k + 1)});
                }
            }
            out << "</section>\n";
        }
        out << "</div>\n<p><a href=\"#pairs\">Back to the list of pairs</a></p>\n</section>\n";
    }
    bool heading = false;
    for (std::size_t index = 0; index < report.articles.size(); ++index) {
        const bool shown = std::any_of(report.pairs.begin(), report.pairs.end(), [index](const TBatchPair& pair) {
            return static_cast<std::size_t>(pair.article1) == index || static_cast<std::size_t>(pair.article2) == index;
        });
        if (!shown) {
            continue;
        }
        if (!heading) {
            out << "<h2>The articles</h2>\n";
            heading = true;
        }
        const TBatchArticle& article = report.articles[index];
        const core::TArticle& split = article.prepared.Article();
        out << "<section class=\"article\" id=\"article" << std::to_string(index + 1) << "\">\n<h3>"
            << HtmlEscape(article.name) << "</h3>\n<p class=\"counts\">"
            << CountsText(split.lstWords.Count(), split.lstSentences.Count(), split.lstParagraphs.Count())
            << "</p>\n<div class=\"text\">";
        WritePieces(out, split.sText, PlainWithPlaces(split.sText, std::move(places[index])));
        out << "</div>\n</section>\n";
    }
    out << "</body>\n</html>\n";
}

void WriteArchiveCheckHtml(std::ostream& out, const TArchiveCheckReport& report)
{
    WritePageHead(out, "Glenvary: sources in " + HtmlEscape(report.archive), kBatchStyle);
    out << "<h1>Sources in the archive</h1>\n<table class=\"summary\">\n"
        << "<tr><th>Archive</th><td>" << HtmlEscape(report.archive) << "</td></tr>\n"
        << "<tr><th>Minimum length</th><td>" << MinLengthText(report.unit, report.minLength) << "</td></tr>\n"
        << "<tr><th>Compared per article</th><td>the best " << CountOf(report.top, "candidate", "candidates")
        << "</td></tr>\n"
        << "<tr><th>Listed</th><td>" << ShortestDecimal(report.threshold)
        << "% or more of the article copied</td></tr>\n"
        << (report.options.empty() ? std::string()
                                   : "<tr><th>Options</th><td>" + HtmlEscape(JoinedNames(report.options))
                                + "</td></tr>\n")
        << "</table>\n";
    std::string quoted;
    std::u16string scratch;
    const auto passages = [&](const std::string& whose, std::u16string_view text, const std::vector<TRegion>& regions) {
        out << "<details class=\"passages\" open><summary>" << HtmlEscape(whose) << ": "
            << CountOf(static_cast<std::int64_t>(regions.size()), "marked passage", "marked passages")
            << "</summary>\n<ol>\n";
        for (const TRegion& region : regions) {
            quoted.clear();
            AppendQuotedPassage(quoted, RegionText(text, region), scratch);
            out << "<li>" << WordNumbers(region) << ": " << HtmlEscape(quoted) << "</li>\n";
        }
        out << "</ol></details>\n";
    };
    for (std::size_t i = 0; i < report.articles.size(); ++i) {
        const TCheckedArticle& article = report.articles[i];
        const std::string name = HtmlEscape(article.name);
        out << "<section class=\"article\">\n<h2>" << name << "</h2>\n";
        if (!article.compared) {
            out << "<p class=\"counts\">Blank: nothing to look up</p>\n</section>\n";
            continue;
        }
        out << "<p class=\"counts\">" << CountOf(article.words, "word", "words") << "; "
            << std::to_string(article.sources.size()) << " listed of "
            << CountOf(article.candidates, "document", "documents") << " sharing fingerprints</p>\n";
        if (article.sources.empty()) {
            out << "</section>\n";
            continue;
        }
        const std::string idPrefix = "c" + std::to_string(i + 1) + "-";
        out << "<table class=\"pairs\">\n<tr><th>#</th><th>Document</th><th>Share of the article</th>"
            << "<th>Share of the document</th></tr>\n";
        for (std::size_t k = 0; k < article.sources.size(); ++k) {
            const TSourceDocument& source = article.sources[k];
            out << "<tr><td>" << std::to_string(k + 1) << "</td><td><a href=\"#" << idPrefix << std::to_string(k + 1)
                << "\">" << HtmlEscape(source.name) << "</a> (#" << std::to_string(source.id) << ")</td><td>"
                << FixedDecimal(source.articlePercent, 2) << "% (" << std::to_string(source.articleDuplicatedWords)
                << " of " << CountOf(article.words, "word", "words") << ")</td><td>"
                << FixedDecimal(source.documentPercent, 2) << "% (" << std::to_string(source.documentDuplicatedWords)
                << " of " << CountOf(source.words, "word", "words") << ")</td></tr>\n";
        }
        out << "</table>\n";
        for (std::size_t k = 0; k < article.sources.size(); ++k) {
            const TSourceDocument& source = article.sources[k];
            out << "<section class=\"pair\" id=\"" << idPrefix << std::to_string(k + 1) << "\">\n<h3>"
                << std::to_string(k + 1) << ". " << HtmlEscape(source.name) << " (#" << std::to_string(source.id)
                << ")</h3>\n";
            passages(article.name, article.text, source.articlePassages);
            passages(source.name, source.documentText, source.documentPassages);
            out << "</section>\n";
        }
        out << "</section>\n";
    }
    if (!report.unreadable.empty()) {
        out << "<h2>Not read, so not checked</h2>\n<ul>\n";
        for (const TUnreadableArticle& article : report.unreadable) {
            out << "<li>" << HtmlEscape(article.message) << "</li>\n";
        }
        out << "</ul>\n";
    }
    out << "</body>\n</html>\n";
}

} // namespace glenvary::report
