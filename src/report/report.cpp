// SPDX-License-Identifier: MIT
#include "report/report.h"

#include "io/text_encoding.h"
#include "core/highlight.h"
#include "core/keyword.h"
#include "core/normalise.h"
#include "core/segmentation.h"
#include "core/side_by_side.h"

#include <algorithm>
#include <utility>

namespace glenvary::report {
namespace {

TArticleReport ReportArticle(core::TArticle article, std::string name)
{
    TArticleReport report;
    report.name = std::move(name);
    report.sentences = article.lstSentences.Count();
    report.paragraphs = article.lstParagraphs.Count();
    report.duplicatedWords = core::CountColouredWords(article.lstWords);
    report.duplicatePercent = core::DuplicatePercent(report.duplicatedWords, article.lstWords.Count());
    report.regions = core::Regions({article.lstWords.begin(), article.lstWords.end()});
    // Last, when nothing reads the article any more: a book-length text and
    // its words move instead of being copied.
    report.text = std::move(article.sText);
    report.words = article.lstWords.TakeRecords();
    return report;
}

} // namespace

std::u16string_view TArticleReport::RegionText(const TRegion& region) const noexcept
{
    return report::RegionText(text, region);
}

std::u16string_view RegionText(std::u16string_view text, const TRegion& region) noexcept
{
    // Clamped like every cut of the engine, although a text and the lists
    // split from it always agree.
    const auto size = static_cast<std::int64_t>(text.size());
    const std::int64_t from = std::clamp<std::int64_t>(region.start, 0, size);
    const std::int64_t to = std::clamp<std::int64_t>(region.end, from, size);
    return text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
}

std::string_view UnitName(core::TUnitKind unit) noexcept
{
    switch (unit) {
    case core::ukWords: return "words";
    case core::ukSentences: return "sentences";
    case core::ukParagraphs: return "paragraphs";
    }
    return "words";
}

std::optional<core::TUnitKind> UnitFromName(std::string_view name) noexcept
{
    for (const core::TUnitKind unit : {core::ukWords, core::ukSentences, core::ukParagraphs}) {
        if (name == UnitName(unit)) {
            return unit;
        }
    }
    return std::nullopt;
}

void WriteCssColor(core::TColor color, char* out) noexcept
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out[0] = '#';
    // Stored as BBGGRR, red in the lowest byte; the web wants red first.
    for (std::size_t byte = 0; byte < 3; ++byte) {
        const auto value = static_cast<unsigned>((color >> (8 * byte)) & 0xFFU);
        out[1 + 2 * byte] = kDigits[value >> 4];
        out[2 + 2 * byte] = kDigits[value & 0xFU];
    }
}

bool WritesSideBySide(const TCompareReport& report, std::size_t heldBytes) noexcept
{
    constexpr std::size_t kMostHeld = std::size_t{64} << 20;
    return report.articles[0].words.size() + report.articles[1].words.size() >= core::kParallelWords
        && heldBytes <= kMostHeld;
}

std::string CssColor(core::TColor color)
{
    std::string css(7, '#');
    WriteCssColor(color, css.data());
    return css;
}

TCompareReport BuildCompareReport(core::TArticle article1, core::TArticle article2,
                                  const core::TCompareOutcome& outcome, const TCompareSettings& settings,
                                  const std::array<std::string, 2>& names)
{
    TCompareReport report;
    report.unit = settings.unit;
    report.minLength = core::EffectiveMinLength(settings.minLength);
    report.compared = outcome.compared;
    report.duplicatePercent = outcome.compared ? outcome.duplicatePercent : 0.0;
    report.duplicatePercentShown = core::RoundHalfEven(report.duplicatePercent);
    const bool large =
        static_cast<std::size_t>(article1.lstWords.Count()) + article2.lstWords.Count() >= core::kParallelWords;
    core::SideBySide(
        large, [&] { report.articles[0] = ReportArticle(std::move(article1), names[0]); },
        [&] { report.articles[1] = ReportArticle(std::move(article2), names[1]); });
    return report;
}

std::vector<std::string> OptionNames(const core::TCompareOptions& options)
{
    std::vector<std::string> names;
    if (!options.ignoreTexts.empty()) {
        names.push_back(options.ignoreTexts.size() == 1 ? std::string("ignore 1 text")
                                                        : "ignore " + std::to_string(options.ignoreTexts.size())
                                + " texts");
    }
    if (options.ignoreQuoted) {
        names.emplace_back("ignore quoted");
    }
    if (options.fold) {
        names.emplace_back("fold");
    }
    if (options.unicodeWords) {
        names.emplace_back("unicode words");
    }
    return names;
}

std::string JoinedNames(const std::vector<std::string>& names)
{
    std::string joined;
    for (const std::string& name : names) {
        joined += joined.empty() ? "" : ", ";
        joined += name;
    }
    return joined;
}

TCompareReport CompareArticles(std::u16string text1, std::u16string text2, const TCompareSettings& settings,
                               const std::array<std::string, 2>& names, const core::TCompareOptions& options)
{
    core::TComparedTexts compared = options.Any()
        ? core::CompareTexts(std::move(text1), std::move(text2), settings, options)
        : core::CompareTexts(std::move(text1), std::move(text2), settings);
    TCompareReport report = BuildCompareReport(std::move(compared.article1), std::move(compared.article2),
                                               compared.outcome, settings, names);
    report.options = OptionNames(options);
    report.leftOutWords = compared.leftOutWords;
    report.disguises = core::FindDisguises(report.articles[1].text);
    return report;
}

TDensityReport CountKeyword(std::u16string text, std::u16string_view keyword, std::string name)
{
    core::NormaliseArticle(text);
    core::TArticle article;
    article.Assign(std::move(text));
    TDensityReport report;
    report.name = std::move(name);
    report.keyword = io::EncodeUtf8(core::TrimKeyword(keyword));
    report.words = article.lstWords.Count();
    const std::vector<core::TKeywordHit> hits = core::FindKeyword(article.sText, keyword);
    report.occurrences = static_cast<std::int32_t>(hits.size());
    report.positions.reserve(hits.size());
    for (const core::TKeywordHit& hit : hits) {
        report.positions.push_back(hit.position);
    }
    report.densityPercent = core::KeywordDensity(report.occurrences, report.words);
    return report;
}

} // namespace glenvary::report
