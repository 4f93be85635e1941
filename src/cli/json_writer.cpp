// SPDX-License-Identifier: MIT
#include "cli/json_writer.h"

#include <nlohmann/json.hpp>

namespace glenvary::cli {
namespace {

// Insertion order keeps the keys in the documented order.
using Json = nlohmann::ordered_json;

Json ArticleJson(const TArticleReport& article)
{
    Json colors = Json::array();
    for (const core::TWord& word : article.words) {
        colors.push_back(StoredColorHex(word.iColor));
    }
    Json regions = Json::array();
    for (const TRegion& region : article.regions) {
        regions.push_back(Json{
            {"first_word", region.firstWord},
            {"last_word", region.lastWord},
            {"start", region.start},
            {"end", region.end},
            {"color", StoredColorHex(region.color)},
            {"text", region.text},
        });
    }
    return Json{
        {"words", article.WordCount()},
        {"sentences", article.sentences},
        {"paragraphs", article.paragraphs},
        {"duplicated_words", article.duplicatedWords},
        {"duplicate_percent", article.duplicatePercent},
        {"word_colors", std::move(colors)},
        {"regions", std::move(regions)},
    };
}

std::string Line(const Json& json)
{
    // The texts are well-formed UTF-8 already; replacing instead of throwing
    // keeps a damaged string from ever aborting the output.
    return json.dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace) + "\n";
}

} // namespace

std::string WriteCompareJson(const TCompareReport& report)
{
    const Json json{
        {"unit", UnitName(report.unit)},
        {"min_length", report.minLength},
        {"compared", report.compared},
        {"duplicate_percent", report.duplicatePercent},
        {"duplicate_percent_shown", report.duplicatePercentShown},
        {"articles", Json::array({ArticleJson(report.articles[0]), ArticleJson(report.articles[1])})},
    };
    return Line(json);
}

std::string WriteDensityJson(const TDensityReport& report)
{
    const Json json{
        {"keyword", report.keyword},
        {"words", report.words},
        {"occurrences", report.occurrences},
        {"density_percent", report.densityPercent},
        {"positions", report.positions},
    };
    return Line(json);
}

} // namespace glenvary::cli
