// SPDX-License-Identifier: MIT
#include "cli/text_writer.h"

#include "io/text_encoding.h"
#include "core/normalise.h"

#include <iomanip>
#include <locale>
#include <sstream>
#include <string>

namespace glenvary::cli {
namespace {

// A passage on one line: every run of line breaks, tabs and other control
// characters becomes one space, so that article text cannot move the
// terminal's cursor or break the summary's layout, and a long passage is cut.
std::string QuotePassage(std::u16string_view text)
{
    std::u16string flat;
    bool inSpace = false;
    std::size_t characters = 0;
    bool cut = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x20 || c == 0x7F || c == u' ') {
            if (!inSpace) {
                if (characters == kQuotedPassageLength) {
                    cut = true;
                    break;
                }
                flat.push_back(u' ');
                ++characters;
            }
            inSpace = true;
            continue;
        }
        inSpace = false;
        // A trail surrogate belongs to the character before it.
        if (c >= 0xDC00 && c <= 0xDFFF && !flat.empty()) {
            flat.push_back(c);
            continue;
        }
        if (characters == kQuotedPassageLength) {
            cut = true;
            break;
        }
        flat.push_back(c);
        ++characters;
    }
    if (cut && !flat.empty() && flat.back() == u' ') {
        flat.pop_back();
    }
    std::string quoted = "\"" + io::EncodeUtf8(flat);
    quoted += cut ? "...\"" : "\"";
    return quoted;
}

void WriteArticleLine(std::ostream& out, int number, const TArticleReport& article)
{
    out << "Article " << number << " (" << article.name << "): " << CountOf(article.WordCount(), "word", "words")
        << ", " << CountOf(article.sentences, "sentence", "sentences") << ", "
        << CountOf(article.paragraphs, "paragraph", "paragraphs") << "; "
        << CountOf(article.duplicatedWords, "duplicated word", "duplicated words") << " ("
        << FixedDecimal(article.duplicatePercent, 2) << "%)\n";
}

void WritePassageLines(std::ostream& out, int number, const TArticleReport& article)
{
    out << "Duplicated passages in article " << number << ":";
    if (article.regions.empty()) {
        out << " none\n";
        return;
    }
    out << "\n";
    for (const TRegion& region : article.regions) {
        const std::u16string_view text = std::u16string_view(article.text)
                                             .substr(static_cast<std::size_t>(region.start),
                                                     static_cast<std::size_t>(region.end - region.start));
        // Word numbers as a person counts them, from 1.
        const std::string first = std::to_string(region.firstWord + 1);
        if (region.firstWord == region.lastWord) {
            out << "  word " << first;
        } else {
            out << "  words " << first << "-" << std::to_string(region.lastWord + 1);
        }
        out << ": " << QuotePassage(text) << "\n";
    }
}

} // namespace

std::string MinLengthText(const TCompareReport& report)
{
    const std::string_view plural = UnitName(report.unit);
    // Every unit name is its singular with an "s".
    return CountOf(report.minLength, plural.substr(0, plural.size() - 1), plural);
}

std::string BlankArticles(const TCompareReport& report)
{
    const bool blank1 = core::IsBlankArticle(report.articles[0].text);
    const bool blank2 = core::IsBlankArticle(report.articles[1].text);
    if (blank1 && blank2) {
        return "both articles are blank";
    }
    return blank1 ? "article 1 is blank" : "article 2 is blank";
}

std::string FixedDecimal(double value, int decimals)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::fixed << std::setprecision(decimals) << value;
    return text.str();
}

std::string CountOf(std::int64_t count, std::string_view singular, std::string_view plural)
{
    std::string text = std::to_string(count);
    text += ' ';
    text.append(count == 1 ? singular : plural);
    return text;
}

void WriteCompareText(std::ostream& out, const TCompareReport& report)
{
    if (report.compared) {
        out << "Duplicate content: " << std::to_string(report.duplicatePercentShown) << "% of article 2 ("
            << FixedDecimal(report.duplicatePercent, 2) << "%, " << std::to_string(report.articles[1].duplicatedWords)
            << " of " << CountOf(report.articles[1].WordCount(), "word", "words") << ")\n";
    } else {
        out << "Not compared: " << BlankArticles(report) << "\n";
    }
    out << "Minimum length: " << MinLengthText(report) << "\n";
    WriteArticleLine(out, 1, report.articles[0]);
    WriteArticleLine(out, 2, report.articles[1]);
    if (report.compared) {
        out << "\n";
        WritePassageLines(out, 2, report.articles[1]);
        WritePassageLines(out, 1, report.articles[0]);
    }
}

void WriteDensityText(std::ostream& out, const TDensityReport& report)
{
    out << "Keyword: " << report.keyword << "\n"
        << "Words: " << std::to_string(report.words) << "\n"
        << "Occurrences: " << std::to_string(report.occurrences) << "\n"
        << "Density: " << FixedDecimal(report.densityPercent, 2) << "%\n";
}

} // namespace glenvary::cli
