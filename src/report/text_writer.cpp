// SPDX-License-Identifier: MIT
#include "report/text_writer.h"

#include "io/text_encoding.h"
#include "core/normalise.h"
#include "core/side_by_side.h"

#include <algorithm>
#include <charconv>
#include <iomanip>
#include <iterator>
#include <locale>
#include <sstream>
#include <string>

namespace glenvary::report {
namespace {

// Passage lines are gathered into blocks of about this many bytes before
// they go to the stream.
constexpr std::size_t kLineBlock = std::size_t{1} << 16;

void AppendNumber(std::string& out, std::int64_t value)
{
    char digits[20];
    const std::to_chars_result written = std::to_chars(std::begin(digits), std::end(digits), value);
    out.append(digits, written.ptr);
}

void WriteArticleLine(std::ostream& out, int number, const TArticleReport& article)
{
    const std::string heading = "Article " + std::to_string(number);
    out << heading << (article.name == heading ? std::string() : " (" + article.name + ")") << ": "
        << CountOf(article.WordCount(), "word", "words")
        << ", " << CountOf(article.sentences, "sentence", "sentences") << ", "
        << CountOf(article.paragraphs, "paragraph", "paragraphs") << "; "
        << CountOf(article.duplicatedWords, "duplicated word", "duplicated words") << " ("
        << FixedDecimal(article.duplicatePercent, 2) << "%)\n";
}

// The lines that list an article's duplicated passages, handed to `emit`
// in blocks of about kLineBlock bytes.
template <typename Emit>
void PassageLines(int number, const TArticleReport& article, Emit emit)
{
    std::string lines = "Duplicated passages in article " + std::to_string(number) + ":";
    if (article.regions.empty()) {
        lines += " none\n";
        emit(lines);
        return;
    }
    lines += '\n';
    lines.reserve(kLineBlock + kLineBlock / 4);
    std::u16string flat;
    for (const TRegion& region : article.regions) {
        // Word numbers as a person counts them, from 1.
        lines += region.firstWord == region.lastWord ? "  word " : "  words ";
        AppendNumber(lines, std::int64_t{region.firstWord} + 1);
        if (region.firstWord != region.lastWord) {
            lines += '-';
            AppendNumber(lines, std::int64_t{region.lastWord} + 1);
        }
        lines += ": ";
        AppendQuotedPassage(lines, article.RegionText(region), flat);
        lines += '\n';
        if (lines.size() >= kLineBlock) {
            emit(lines);
            lines.clear();
        }
    }
    emit(lines);
}

// Both articles' passage lines, article 2's first. For a large pair,
// article 1's are made in memory on the other core while article 2's are
// written (see WritesSideBySide).
void WritePassages(std::ostream& out, const TCompareReport& report)
{
    const TArticleReport& article1 = report.articles[0];
    const TArticleReport& article2 = report.articles[1];
    const auto toStream = [&out](const std::string& block) { out << block; };
    // A line holds its word numbers and at most kQuotedPassageLength
    // characters of up to three bytes each.
    constexpr std::size_t kLineBytes = kQuotedPassageLength * 3 + 48;
    const std::size_t expected = article1.regions.size() * kLineBytes;
    if (!WritesSideBySide(report, expected)) {
        PassageLines(2, article2, toStream);
        PassageLines(1, article1, toStream);
        return;
    }
    std::string lines1;
    core::SideBySide(
        true,
        [&] {
            lines1.reserve(expected);
            PassageLines(1, article1, [&lines1](const std::string& block) { lines1 += block; });
        },
        [&] { PassageLines(2, article2, toStream); });
    out << lines1;
}

} // namespace

void AppendQuotedPassage(std::string& out, std::u16string_view text, std::u16string& flat)
{
    flat.clear();
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
    out += '"';
    io::AppendUtf8(out, flat);
    out += cut ? "...\"" : "\"";
}

std::string WordNumbers(const TRegion& region)
{
    std::string numbers = region.firstWord == region.lastWord ? "word " : "words ";
    AppendNumber(numbers, std::int64_t{region.firstWord} + 1);
    if (region.firstWord != region.lastWord) {
        numbers += '-';
        AppendNumber(numbers, std::int64_t{region.lastWord} + 1);
    }
    return numbers;
}

std::string OptionsText(const TCompareReport& report)
{
    return OptionsText(report.options, report.leftOutWords);
}

std::string OptionsText(const std::vector<std::string>& options, std::int32_t leftOutWords)
{
    if (options.empty()) {
        return {};
    }
    return "Options: " + JoinedNames(options) + "; " + CountOf(leftOutWords, "word", "words")
        + " of article 2 left out (neither marked nor counted)";
}

std::string DisguisesText(const TCompareReport& report)
{
    return DisguisesText(report.disguises, report.articles[1].text, "Signs of a disguised copy in article 2: ");
}

std::string DisguisesText(const core::TDisguises& found, std::u16string_view article, std::string subject)
{
    if (!found.Any()) {
        return {};
    }
    std::string text = std::move(subject);
    if (found.invisibleWords != 0) {
        text += CountOf(found.invisibleWords, "word holds", "words hold") + " invisible characters";
    }
    if (found.mixedScriptWords != 0) {
        text += found.invisibleWords != 0 ? "; " : "";
        text += CountOf(found.mixedScriptWords, "word mixes", "words mix") + " Latin with Cyrillic or Greek letters";
    }
    text += "; first at";
    std::u16string scratch;
    for (std::size_t k = 0; k < found.places.size(); ++k) {
        const core::TDisguisePlace& place = found.places[k];
        text += k == 0 ? " characters " : ", ";
        AppendNumber(text, std::int64_t{place.start} + 1);
        text += '-';
        AppendNumber(text, place.end);
        text += ' ';
        const auto end = std::min<std::size_t>(static_cast<std::size_t>(place.end), article.size());
        const auto start = std::min<std::size_t>(static_cast<std::size_t>(place.start), end);
        AppendQuotedPassage(text, article.substr(start, end - start), scratch);
        text += place.kind == core::TDisguisePlace::TKind::Invisible ? " (invisible)" : " (mixed scripts)";
    }
    return text;
}

std::string ArticleHeading(int number, std::string_view name)
{
    std::string heading = "Article " + std::to_string(number);
    if (name != heading) {
        heading += ": ";
        heading += name;
    }
    return heading;
}

std::string MinLengthText(core::TUnitKind unit, std::int32_t minLength)
{
    const std::string_view plural = UnitName(unit);
    // Every unit name is its singular with an "s".
    return CountOf(minLength, plural.substr(0, plural.size() - 1), plural);
}

std::string MinLengthText(const TCompareReport& report)
{
    return MinLengthText(report.unit, report.minLength);
}

std::string ShortestDecimal(double value)
{
    // 32 characters hold the shortest form of every double.
    char digits[32];
    const std::to_chars_result written = std::to_chars(std::begin(digits), std::end(digits), value);
    return std::string(digits, written.ptr);
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
    if (const std::string options = OptionsText(report); !options.empty()) {
        out << options << "\n";
    }
    if (const std::string disguises = DisguisesText(report); !disguises.empty()) {
        out << disguises << "\n";
    }
    WriteArticleLine(out, 1, report.articles[0]);
    WriteArticleLine(out, 2, report.articles[1]);
    if (report.compared) {
        out << "\n";
        WritePassages(out, report);
    }
}

void WriteBatchText(std::ostream& out, const TBatchReport& report)
{
    out << "Minimum length: " << MinLengthText(report.unit, report.minLength) << "\n"
        << "Articles: " << std::to_string(report.articles.size());
    if (report.throughSharedRuns) {
        out << "; ordered pairs: " << std::to_string(report.pairCount) << ", compared: "
            << std::to_string(report.comparedPairs) << " (those with enough runs of 8 words in common)";
    } else {
        out << "; ordered pairs compared: " << std::to_string(report.pairCount);
    }
    out << "; listed: " << std::to_string(report.pairs.size());
    if (report.threshold > 0.0) {
        out << ", those with " << ShortestDecimal(report.threshold) << "% or more of article 2 duplicated";
    }
    out << "\n";
    if (!report.options.empty()) {
        out << "Options: " << JoinedNames(report.options) << "\n";
    }
    if (!report.pairs.empty()) {
        out << "\n";
    }
    for (const TBatchPair& pair : report.pairs) {
        const TBatchArticle& article1 = report.articles[static_cast<std::size_t>(pair.article1)];
        const TBatchArticle& article2 = report.articles[static_cast<std::size_t>(pair.article2)];
        if (!pair.compared) {
            out << article2.name << " not compared with " << article1.name << ": "
                << (core::IsBlankArticle(article1.prepared.Article().sText) ? article1.name : article2.name)
                << " is blank\n";
            continue;
        }
        const auto share = [&out](const TBatchArticle& article, std::int32_t words, double percent) {
            out << FixedDecimal(percent, 2) << "% of " << article.name << " (" << std::to_string(words) << " of "
                << CountOf(article.prepared.Article().lstWords.Count(), "word", "words") << ")";
        };
        out << std::to_string(core::RoundHalfEven(pair.duplicatePercent[1])) << "% of " << article2.name
            << " duplicates " << article1.name << ": ";
        share(article2, pair.duplicatedWords[1], pair.duplicatePercent[1]);
        out << ", ";
        share(article1, pair.duplicatedWords[0], pair.duplicatePercent[0]);
        if (!report.options.empty()) {
            out << "; " << CountOf(pair.leftOutWords, "word", "words") << " of " << article2.name << " left out";
        }
        out << "\n";
    }
    bool headed = false;
    for (std::size_t i = 0; i < report.disguises.size() && i < report.articles.size(); ++i) {
        const std::string line =
            DisguisesText(report.disguises[i], report.articles[i].prepared.Article().sText,
                          "  " + report.articles[i].name + ": ");
        if (!line.empty()) {
            out << (headed ? "" : "\nSigns of a disguised copy:\n") << line << "\n";
            headed = true;
        }
    }
    if (!report.unreadable.empty()) {
        out << "\nNot read, so in no pair:\n";
        for (const TUnreadableArticle& article : report.unreadable) {
            out << "  " << article.message << "\n";
        }
    }
}

void WriteArchiveCheckText(std::ostream& out, const TArchiveCheckReport& report)
{
    out << "Archive: " << report.archive << "\n"
        << "Minimum length: " << MinLengthText(report.unit, report.minLength) << "; compared: the best "
        << CountOf(report.top, "candidate", "candidates") << " of each article";
    if (report.threshold > 0.0) {
        out << "; listed: those with " << ShortestDecimal(report.threshold) << "% or more of the article copied";
    }
    out << "\n";
    if (!report.options.empty()) {
        out << "Options: " << JoinedNames(report.options) << "\n";
    }
    std::string line;
    std::u16string scratch;
    const auto passages = [&](std::string_view whose, std::u16string_view text, const std::vector<TRegion>& regions) {
        for (const TRegion& region : regions) {
            line = "     ";
            line += whose;
            line += ' ';
            line += WordNumbers(region);
            line += ": ";
            AppendQuotedPassage(line, RegionText(text, region), scratch);
            out << line << "\n";
        }
    };
    for (const TCheckedArticle& article : report.articles) {
        out << "\n" << article.name << ": ";
        if (!article.compared) {
            out << "blank, nothing to look up\n";
            continue;
        }
        out << CountOf(article.words, "word", "words") << "; " << std::to_string(article.sources.size())
            << " listed of " << CountOf(article.candidates, "document", "documents") << " sharing fingerprints\n";
        std::size_t rank = 0;
        for (const TSourceDocument& source : article.sources) {
            out << "  " << std::to_string(++rank) << ". " << std::to_string(core::RoundHalfEven(source.articlePercent))
                << "% of " << article.name << " copies " << source.name << " (#" << std::to_string(source.id)
                << "): " << FixedDecimal(source.articlePercent, 2) << "% of " << article.name << " ("
                << std::to_string(source.articleDuplicatedWords) << " of " << CountOf(article.words, "word", "words")
                << "), " << FixedDecimal(source.documentPercent, 2) << "% of " << source.name << " ("
                << std::to_string(source.documentDuplicatedWords) << " of " << CountOf(source.words, "word", "words")
                << ")\n";
            passages("article", article.text, source.articlePassages);
            passages("document", source.documentText, source.documentPassages);
        }
    }
    if (!report.unreadable.empty()) {
        out << "\nNot read, so not checked:\n";
        for (const TUnreadableArticle& article : report.unreadable) {
            out << "  " << article.message << "\n";
        }
    }
}

void WriteDensityText(std::ostream& out, const TDensityReport& report)
{
    out << "Keyword: " << report.keyword << "\n"
        << "Words: " << std::to_string(report.words) << "\n"
        << "Occurrences: " << std::to_string(report.occurrences) << "\n"
        << "Density: " << FixedDecimal(report.densityPercent, 2) << "%\n";
}

} // namespace glenvary::report
