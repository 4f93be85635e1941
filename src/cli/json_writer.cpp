// SPDX-License-Identifier: MIT
#include "cli/json_writer.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

namespace glenvary::cli {
namespace {

// The library spells every single value, so numbers and escapes read as
// they always did; the objects and arrays around them are written here,
// piece by piece, so that a large report never exists as one tree or one
// string.
using Json = nlohmann::ordered_json;

void Value(std::ostream& out, const Json& value)
{
    // The texts are well-formed UTF-8 already; replacing instead of throwing
    // keeps a damaged string from ever aborting the output.
    out << value.dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace);
}

void Integer(std::ostream& out, std::int64_t value)
{
    // Independent of any locale the stream carries; 20 characters hold
    // every 64-bit value.
    char digits[20];
    const std::to_chars_result written = std::to_chars(std::begin(digits), std::end(digits), value);
    out.write(digits, written.ptr - digits);
}

// `"name":`, after a comma unless it is an object's first member.
void Key(std::ostream& out, std::string_view name, bool first = false)
{
    if (!first) {
        out << ',';
    }
    out << '"' << name << "\":";
}

void WriteArticle(std::ostream& out, const TArticleReport& article)
{
    out << '{';
    Key(out, "words", true);
    Integer(out, article.WordCount());
    Key(out, "sentences");
    Integer(out, article.sentences);
    Key(out, "paragraphs");
    Integer(out, article.paragraphs);
    Key(out, "duplicated_words");
    Integer(out, article.duplicatedWords);
    Key(out, "duplicate_percent");
    Value(out, article.duplicatePercent);
    Key(out, "word_colors");
    out << '[';
    for (std::size_t i = 0; i < article.words.size(); ++i) {
        // One piece per word: the comma, the quoted colour.
        std::string piece = i == 0 ? "\"" : ",\"";
        piece += CssColor(article.words[i].iColor);
        piece += '"';
        out << piece;
    }
    out << ']';
    Key(out, "regions");
    out << '[';
    for (std::size_t i = 0; i < article.regions.size(); ++i) {
        const TRegion& region = article.regions[i];
        out << (i == 0 ? "{" : ",{");
        Key(out, "first_word", true);
        Integer(out, region.firstWord);
        Key(out, "last_word");
        Integer(out, region.lastWord);
        Key(out, "start");
        Integer(out, region.start);
        Key(out, "end");
        Integer(out, region.end);
        Key(out, "color");
        Value(out, CssColor(region.color));
        Key(out, "text");
        Value(out, region.text);
        out << '}';
    }
    out << "]}";
}

} // namespace

void WriteCompareJson(std::ostream& out, const TCompareReport& report)
{
    out << '{';
    Key(out, "unit", true);
    Value(out, std::string(UnitName(report.unit)));
    Key(out, "min_length");
    Integer(out, report.minLength);
    Key(out, "compared");
    Value(out, report.compared);
    Key(out, "duplicate_percent");
    Value(out, report.duplicatePercent);
    Key(out, "duplicate_percent_shown");
    Integer(out, report.duplicatePercentShown);
    Key(out, "articles");
    out << '[';
    WriteArticle(out, report.articles[0]);
    out << ',';
    WriteArticle(out, report.articles[1]);
    out << "]}\n";
}

void WriteBatchJson(std::ostream& out, const TBatchReport& report)
{
    out << '{';
    Key(out, "unit", true);
    Value(out, std::string(UnitName(report.unit)));
    Key(out, "min_length");
    Integer(out, report.minLength);
    Key(out, "threshold");
    Value(out, report.threshold);
    Key(out, "articles");
    out << '[';
    for (std::size_t i = 0; i < report.articles.size(); ++i) {
        const core::TArticle& article = report.articles[i].prepared.Article();
        out << (i == 0 ? "{" : ",{");
        Key(out, "name", true);
        Value(out, report.articles[i].name);
        Key(out, "words");
        Integer(out, article.lstWords.Count());
        Key(out, "sentences");
        Integer(out, article.lstSentences.Count());
        Key(out, "paragraphs");
        Integer(out, article.lstParagraphs.Count());
        out << '}';
    }
    out << ']';
    Key(out, "pair_count");
    Integer(out, report.pairCount);
    Key(out, "pairs");
    out << '[';
    for (std::size_t i = 0; i < report.pairs.size(); ++i) {
        const TBatchPair& pair = report.pairs[i];
        out << (i == 0 ? "{" : ",{");
        Key(out, "article1", true);
        Integer(out, pair.article1);
        Key(out, "article2");
        Integer(out, pair.article2);
        Key(out, "compared");
        Value(out, pair.compared);
        Key(out, "duplicate_percent");
        Value(out, pair.duplicatePercent[1]);
        Key(out, "duplicate_percent_shown");
        Integer(out, core::RoundHalfEven(pair.duplicatePercent[1]));
        Key(out, "articles");
        for (std::size_t side = 0; side < 2; ++side) {
            out << (side == 0 ? "[{" : ",{");
            Key(out, "duplicated_words", true);
            Integer(out, pair.duplicatedWords[side]);
            Key(out, "duplicate_percent");
            Value(out, pair.duplicatePercent[side]);
            out << '}';
        }
        out << "]}";
    }
    out << "]}\n";
}

void WriteDensityJson(std::ostream& out, const TDensityReport& report)
{
    const Json json{
        {"keyword", report.keyword},
        {"words", report.words},
        {"occurrences", report.occurrences},
        {"density_percent", report.densityPercent},
        {"positions", report.positions},
    };
    Value(out, json);
    out << '\n';
}

} // namespace glenvary::cli
