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

// The library spells the numbers that are not whole, so that they read as
// they always did; everything else is written here, piece by piece into a
// block that goes out whenever it fills, so that a large report never
// exists as one tree or one string, and a word's colour costs a few bytes
// copied rather than a call on the stream.
using Json = nlohmann::ordered_json;

class TJsonOut {
public:
    explicit TJsonOut(std::ostream& out) : out_(out) { block_.reserve(kBlock + kBlock / 4); }
    TJsonOut(const TJsonOut&) = delete;
    TJsonOut& operator=(const TJsonOut&) = delete;
    ~TJsonOut() { Flush(); }

    void Raw(std::string_view text)
    {
        block_.append(text);
        Spill();
    }
    void Raw(char c)
    {
        block_.push_back(c);
        Spill();
    }

    void Integer(std::int64_t value)
    {
        // Independent of any locale; 20 characters hold every 64-bit value.
        char digits[20];
        const std::to_chars_result written = std::to_chars(std::begin(digits), std::end(digits), value);
        Raw(std::string_view(digits, static_cast<std::size_t>(written.ptr - digits)));
    }

    void Number(double value) { Raw(Json(value).dump()); }
    void Boolean(bool value) { Raw(value ? "true" : "false"); }

    // `"name":`, after a comma unless it is an object's first member.
    void Key(std::string_view name, bool first = false)
    {
        if (!first) {
            block_.push_back(',');
        }
        block_.push_back('"');
        block_.append(name);
        Raw("\":");
    }

    // A quoted string of UTF-8 text: quote, backslash and control
    // characters escaped as JSON wants them (\u00XX in small hex digits
    // where there is no short form), everything else as it stands.
    void String(std::string_view text)
    {
        static constexpr char kHex[] = "0123456789abcdef";
        block_.push_back('"');
        std::size_t plain = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c >= 0x20 && c != '"' && c != '\\') {
                continue;
            }
            block_.append(text.substr(plain, i - plain));
            plain = i + 1;
            switch (c) {
            case '"': block_.append("\\\""); break;
            case '\\': block_.append("\\\\"); break;
            case '\b': block_.append("\\b"); break;
            case '\f': block_.append("\\f"); break;
            case '\n': block_.append("\\n"); break;
            case '\r': block_.append("\\r"); break;
            case '\t': block_.append("\\t"); break;
            default: {
                const char escaped[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
                block_.append(escaped, sizeof escaped);
                break;
            }
            }
            Spill();
        }
        block_.append(text.substr(plain));
        Raw('"');
    }

    // `"#RRGGBB"`, as CssColor spells it.
    void Colour(core::TColor color)
    {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        char css[] = {'"', '#', '0', '0', '0', '0', '0', '0', '"'};
        for (std::size_t byte = 0; byte < 3; ++byte) {
            const auto value = static_cast<unsigned>((color >> (8 * byte)) & 0xFFU);
            css[2 + 2 * byte] = kDigits[value >> 4];
            css[3 + 2 * byte] = kDigits[value & 0xFU];
        }
        Raw(std::string_view(css, sizeof css));
    }

    void Flush()
    {
        if (!block_.empty()) {
            out_.write(block_.data(), static_cast<std::streamsize>(block_.size()));
            block_.clear();
        }
    }

private:
    static constexpr std::size_t kBlock = std::size_t{1} << 16;

    void Spill()
    {
        if (block_.size() >= kBlock) {
            Flush();
        }
    }

    std::ostream& out_;
    std::string block_;
};

void WriteArticle(TJsonOut& json, const TArticleReport& article)
{
    json.Raw('{');
    json.Key("words", true);
    json.Integer(article.WordCount());
    json.Key("sentences");
    json.Integer(article.sentences);
    json.Key("paragraphs");
    json.Integer(article.paragraphs);
    json.Key("duplicated_words");
    json.Integer(article.duplicatedWords);
    json.Key("duplicate_percent");
    json.Number(article.duplicatePercent);
    json.Key("word_colors");
    json.Raw('[');
    for (std::size_t i = 0; i < article.words.size(); ++i) {
        if (i != 0) {
            json.Raw(',');
        }
        json.Colour(article.words[i].iColor);
    }
    json.Raw(']');
    json.Key("regions");
    json.Raw('[');
    for (std::size_t i = 0; i < article.regions.size(); ++i) {
        const TRegion& region = article.regions[i];
        json.Raw(i == 0 ? "{" : ",{");
        json.Key("first_word", true);
        json.Integer(region.firstWord);
        json.Key("last_word");
        json.Integer(region.lastWord);
        json.Key("start");
        json.Integer(region.start);
        json.Key("end");
        json.Integer(region.end);
        json.Key("color");
        json.Colour(region.color);
        json.Key("text");
        json.String(region.text);
        json.Raw('}');
    }
    json.Raw("]}");
}

} // namespace

void WriteCompareJson(std::ostream& out, const TCompareReport& report)
{
    TJsonOut json(out);
    json.Raw('{');
    json.Key("unit", true);
    json.String(UnitName(report.unit));
    json.Key("min_length");
    json.Integer(report.minLength);
    json.Key("compared");
    json.Boolean(report.compared);
    json.Key("duplicate_percent");
    json.Number(report.duplicatePercent);
    json.Key("duplicate_percent_shown");
    json.Integer(report.duplicatePercentShown);
    json.Key("articles");
    json.Raw('[');
    WriteArticle(json, report.articles[0]);
    json.Raw(',');
    WriteArticle(json, report.articles[1]);
    json.Raw("]}\n");
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
    // The texts are well-formed UTF-8 already; replacing instead of throwing
    // keeps a damaged string from ever aborting the output.
    out << json.dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace) << '\n';
}

} // namespace glenvary::cli
