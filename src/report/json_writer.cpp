// SPDX-License-Identifier: MIT
#include "report/json_writer.h"

#include "core/side_by_side.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <string_view>

namespace glenvary::report {
namespace {

// The library spells the numbers that are not whole, so that they read as
// they always did; everything else is written here, piece by piece into a
// block that goes out whenever it fills, so that a large report never
// exists as one tree or one string, and a word's colour costs a few bytes
// copied rather than a call on the stream.
using Json = nlohmann::ordered_json;

// The length of the well-formed UTF-8 character that `text` starts with
// (two to four bytes: no overlong forms, no surrogates, nothing past
// U+10FFFF), or 0 when it starts with none.
std::size_t Utf8Length(std::string_view text) noexcept
{
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

class TJsonOut {
public:
    explicit TJsonOut(std::ostream& out) : out_(&out) { block_.reserve(kBlock + kBlock / 4); }
    // Gathers the text in memory, for Take(), with room for `expected`
    // bytes.
    explicit TJsonOut(std::size_t expected) { block_.reserve(expected); }
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

    // A quoted string: quote, backslash and control characters escaped as
    // JSON wants them (\\u00XX in small hex digits where there is no short
    // form), every byte that does not belong to a well-formed UTF-8
    // character (a file name can hold any bytes) replaced by U+FFFD, and
    // everything else as it stands. Unquoted, only the characters go out.
    void String(std::string_view text, bool quoted = true)
    {
        if (quoted) {
            block_.push_back('"');
        }
        std::size_t plain = 0;
        std::size_t i = 0;
        while (i < text.size()) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c >= 0x80) {
                const std::size_t length = Utf8Length(text.substr(i));
                if (length > 0) {
                    i += length;
                    continue;
                }
            } else if (c >= 0x20 && c != '"' && c != '\\') {
                ++i;
                continue;
            }
            block_.append(text.substr(plain, i - plain));
            plain = i + 1;
            ++i;
            if (c >= 0x80) {
                block_.append("\xEF\xBF\xBD");
            } else {
                char escaped[kMostBytesPerUnit];
                block_.append(escaped, PutEscaped(escaped, static_cast<char>(c)));
            }
            Spill();
        }
        block_.append(text.substr(plain));
        if (quoted) {
            Raw('"');
        }
    }

    // A quoted string from UTF-16, escaped as String(std::string_view)
    // escapes, in UTF-8; a lone surrogate becomes U+FFFD. Written a piece
    // at a time through a cursor into room for the piece's longest form.
    void String(std::u16string_view text)
    {
        block_.push_back('"');
        std::size_t i = 0;
        while (i < text.size()) {
            const std::size_t end = std::min(text.size(), i + kPieceUnits);
            // A surrogate pair may run one unit past the piece.
            char* cursor = Room(kMostBytesPerUnit * (end - i + 1));
            while (i < end) {
                cursor = WriteUnit(text, i, cursor);
            }
            Commit(cursor);
        }
        Raw('"');
    }

    // The words' colours as an array: a book's worth of entries, most the
    // same as the one before, so an entry's text is made only when the
    // colour changes.
    void Colours(std::span<const core::TWord> words)
    {
        block_.push_back('[');
        TCss css = Css(core::clWhite);
        core::TColor last = core::clWhite;
        for (std::size_t i = 0; i < words.size();) {
            const std::size_t end = std::min(words.size(), i + kPieceUnits);
            char* cursor = Room((end - i) * (css.size() + 1));
            for (; i < end; ++i) {
                if (words[i].iColor != last) {
                    last = words[i].iColor;
                    css = Css(last);
                }
                if (i != 0) {
                    *cursor++ = ',';
                }
                cursor = std::copy(css.begin(), css.end(), cursor);
            }
            Commit(cursor);
        }
        Raw(']');
    }

    // A region of an article's text: its numbers and colour written through
    // one cursor, then its text.
    void Region(const TRegion& region, std::u16string_view text, bool first)
    {
        char* cursor = Room(kRegionFieldBytes);
        cursor = Put(cursor, first ? R"({"first_word":)" : R"(,{"first_word":)");
        cursor = Put(cursor, region.firstWord);
        cursor = Put(cursor, R"(,"last_word":)");
        cursor = Put(cursor, region.lastWord);
        cursor = Put(cursor, R"(,"start":)");
        cursor = Put(cursor, region.start);
        cursor = Put(cursor, R"(,"end":)");
        cursor = Put(cursor, region.end);
        cursor = Put(cursor, R"(,"color":)");
        const TCss css = Css(region.color);
        cursor = std::copy(css.begin(), css.end(), cursor);
        cursor = Put(cursor, R"(,"text":)");
        Commit(cursor);
        String(text);
        Raw('}');
    }

    void Flush()
    {
        if (out_ != nullptr && !block_.empty()) {
            out_->write(block_.data(), static_cast<std::streamsize>(block_.size()));
            block_.clear();
        }
    }

    // Text made elsewhere, written as it stands after what came before.
    void Block(std::string_view text)
    {
        Flush();
        if (out_ != nullptr) {
            out_->write(text.data(), static_cast<std::streamsize>(text.size()));
        }
    }

    // What a TJsonOut without a stream gathered; it is left empty.
    [[nodiscard]] std::string Take() noexcept { return std::move(block_); }

private:
    static constexpr std::size_t kBlock = std::size_t{1} << 16;
    // Units or words written through one cursor at a time.
    static constexpr std::size_t kPieceUnits = 4096;
    // The most a UTF-16 unit takes: six bytes for \u00XX.
    static constexpr std::size_t kMostBytesPerUnit = 6;
    // A region's numbers, colour and keys: four numbers of at most eleven
    // characters, and 70 for the quoted colour and the keys with their
    // punctuation.
    static constexpr std::size_t kRegionFieldBytes = 128;

    // Room for `bytes` bytes at the block's end, for a cursor to fill and
    // Commit to end.
    char* Room(std::size_t bytes)
    {
        const std::size_t used = block_.size();
        block_.resize(used + bytes);
        return block_.data() + used;
    }
    // Keeps what the cursor wrote since Room, up to `cursor`.
    void Commit(const char* cursor)
    {
        block_.resize(static_cast<std::size_t>(cursor - block_.data()));
        Spill();
    }
    static char* Put(char* cursor, std::string_view text) noexcept
    {
        return std::copy(text.begin(), text.end(), cursor);
    }
    static char* Put(char* cursor, std::int32_t value) noexcept
    {
        // Independent of any locale; eleven characters hold every value.
        return std::to_chars(cursor, cursor + 11, value).ptr;
    }

    // An ASCII character that JSON wants escaped (a quote, a backslash or a
    // control character): the short form where there is one, else \u00XX
    // in small hex digits.
    static char* PutEscaped(char* cursor, char c) noexcept
    {
        static constexpr char kHex[] = "0123456789abcdef";
        *cursor++ = '\\';
        switch (c) {
        case '"': *cursor++ = '"'; break;
        case '\\': *cursor++ = '\\'; break;
        case '\b': *cursor++ = 'b'; break;
        case '\f': *cursor++ = 'f'; break;
        case '\n': *cursor++ = 'n'; break;
        case '\r': *cursor++ = 'r'; break;
        case '\t': *cursor++ = 't'; break;
        default:
            cursor = Put(cursor, "u00");
            *cursor++ = kHex[(c >> 4) & 0xF];
            *cursor++ = kHex[c & 0xF];
            break;
        }
        return cursor;
    }

    // Writes unit `i` of `text` (with the next one when the two make a
    // surrogate pair) at `cursor`, escaped and in UTF-8 as String wants,
    // and moves `i` past them.
    static char* WriteUnit(std::u16string_view text, std::size_t& i, char* cursor) noexcept
    {
        const char32_t c = text[i++];
        if (c < 0x80) {
            if (c >= 0x20 && c != '"' && c != '\\') {
                *cursor++ = static_cast<char>(c);
                return cursor;
            }
            return PutEscaped(cursor, static_cast<char>(c));
        }
        if (c < 0x800) {
            *cursor++ = static_cast<char>(0xC0 | (c >> 6));
            *cursor++ = static_cast<char>(0x80 | (c & 0x3F));
            return cursor;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
            const char32_t full = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
            *cursor++ = static_cast<char>(0xF0 | (full >> 18));
            *cursor++ = static_cast<char>(0x80 | ((full >> 12) & 0x3F));
            *cursor++ = static_cast<char>(0x80 | ((full >> 6) & 0x3F));
            *cursor++ = static_cast<char>(0x80 | (full & 0x3F));
            return cursor;
        }
        const char32_t shown = c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c;
        *cursor++ = static_cast<char>(0xE0 | (shown >> 12));
        *cursor++ = static_cast<char>(0x80 | ((shown >> 6) & 0x3F));
        *cursor++ = static_cast<char>(0x80 | (shown & 0x3F));
        return cursor;
    }

    // A colour as a web page writes it (CssColor), quoted: "#RRGGBB".
    using TCss = std::array<char, 9>;
    static TCss Css(core::TColor color) noexcept
    {
        TCss quoted{};
        quoted.front() = '"';
        WriteCssColor(color, quoted.data() + 1);
        quoted.back() = '"';
        return quoted;
    }

    void Spill()
    {
        if (block_.size() >= kBlock) {
            Flush();
        }
    }

    std::ostream* out_ = nullptr;
    std::string block_;
};

void WriteArticle(TJsonOut& json, const TArticleReport& article)
{
    json.Raw('{');
    json.Key("name", true);
    json.String(article.name);
    json.Key("words");
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
    json.Colours(article.words);
    json.Key("regions");
    json.Raw('[');
    for (std::size_t i = 0; i < article.regions.size(); ++i) {
        json.Region(article.regions[i], article.RegionText(article.regions[i]), i == 0);
    }
    json.Raw("]}");
}

// Room enough for an article's part in most cases: a colour entry a word,
// its regions' text at up to three bytes a code unit, and their numbers.
std::size_t ExpectedJsonSize(const TArticleReport& article)
{
    constexpr std::size_t kColourEntry = 10;
    constexpr std::size_t kRegionFields = 128;
    return 256 + article.name.size() * 6 + article.words.size() * kColourEntry + article.text.size() * 3
        + article.regions.size() * kRegionFields;
}

// Opens a report's object with the settings every comparison report
// starts with.
void WriteSettings(TJsonOut& json, core::TUnitKind unit, std::int32_t minLength)
{
    json.Raw('{');
    json.Key("unit", true);
    json.String(UnitName(unit));
    json.Key("min_length");
    json.Integer(minLength);
}

// "options": the names of the options that were on.
void WriteOptions(TJsonOut& json, const std::vector<std::string>& options)
{
    json.Key("options");
    json.Raw('[');
    for (std::size_t i = 0; i < options.size(); ++i) {
        json.Raw(i == 0 ? "" : ",");
        json.String(options[i]);
    }
    json.Raw(']');
}

// "disguises": the signs of a disguised copy in an article.
void WriteDisguises(TJsonOut& json, const core::TDisguises& found)
{
    json.Key("disguises");
    json.Raw('{');
    json.Key("invisible_words", true);
    json.Integer(found.invisibleWords);
    json.Key("mixed_script_words");
    json.Integer(found.mixedScriptWords);
    json.Key("places");
    json.Raw('[');
    for (std::size_t i = 0; i < found.places.size(); ++i) {
        const core::TDisguisePlace& place = found.places[i];
        json.Raw(i == 0 ? "{" : ",{");
        json.Key("kind", true);
        json.String(place.kind == core::TDisguisePlace::TKind::Invisible ? "invisible" : "mixed_scripts");
        json.Key("start");
        json.Integer(place.start);
        json.Key("end");
        json.Integer(place.end);
        json.Raw('}');
    }
    json.Raw("]}");
}

// The articles that could not be read, each with its reason: the
// "unreadable" member of batch and check reports.
void WriteUnreadable(TJsonOut& json, const std::vector<TUnreadableArticle>& unreadable)
{
    json.Key("unreadable");
    json.Raw('[');
    for (std::size_t i = 0; i < unreadable.size(); ++i) {
        json.Raw(i == 0 ? "{" : ",{");
        json.Key("name", true);
        json.String(unreadable[i].name);
        json.Key("error");
        json.String(unreadable[i].message);
        json.Raw('}');
    }
    json.Raw(']');
}

} // namespace

void WriteCompareJson(std::ostream& out, const TCompareReport& report)
{
    TJsonOut json(out);
    WriteSettings(json, report.unit, report.minLength);
    json.Key("compared");
    json.Boolean(report.compared);
    json.Key("duplicate_percent");
    json.Number(report.duplicatePercent);
    json.Key("duplicate_percent_shown");
    json.Integer(report.duplicatePercentShown);
    // Only a comparison beyond the default rules, or with signs of a
    // disguise, says so: the default report keeps its fields.
    if (!report.options.empty()) {
        WriteOptions(json, report.options);
        json.Key("left_out_words");
        json.Integer(report.leftOutWords);
    }
    if (report.disguises.Any()) {
        WriteDisguises(json, report.disguises);
    }
    json.Key("articles");
    json.Raw('[');
    const TArticleReport& article1 = report.articles[0];
    const TArticleReport& article2 = report.articles[1];
    const std::size_t expected = ExpectedJsonSize(article2);
    if (!WritesSideBySide(report, expected)) {
        WriteArticle(json, article1);
        json.Raw(',');
        WriteArticle(json, article2);
    } else {
        // Large articles: article 2's part is made in memory on the other
        // core while article 1's is written.
        std::string second;
        core::SideBySide(
            true,
            [&] {
                TJsonOut part(expected);
                WriteArticle(part, article2);
                second = part.Take();
            },
            [&] { WriteArticle(json, article1); });
        json.Raw(',');
        json.Block(second);
    }
    json.Raw("]}\n");
}

void WriteBatchJson(std::ostream& out, const TBatchReport& report)
{
    TJsonOut json(out);
    WriteSettings(json, report.unit, report.minLength);
    json.Key("threshold");
    json.Number(report.threshold);
    if (!report.options.empty()) {
        WriteOptions(json, report.options);
    }
    json.Key("articles");
    json.Raw('[');
    for (std::size_t i = 0; i < report.articles.size(); ++i) {
        const core::TArticle& article = report.articles[i].prepared.Article();
        json.Raw(i == 0 ? "{" : ",{");
        json.Key("name", true);
        json.String(report.articles[i].name);
        json.Key("words");
        json.Integer(article.lstWords.Count());
        json.Key("sentences");
        json.Integer(article.lstSentences.Count());
        json.Key("paragraphs");
        json.Integer(article.lstParagraphs.Count());
        if (i < report.disguises.size() && report.disguises[i].Any()) {
            WriteDisguises(json, report.disguises[i]);
        }
        json.Raw('}');
    }
    json.Raw(']');
    WriteUnreadable(json, report.unreadable);
    json.Key("pair_count");
    json.Integer(report.pairCount);
    json.Key("compared_pairs");
    json.Integer(report.comparedPairs);
    json.Key("pairs");
    json.Raw('[');
    for (std::size_t i = 0; i < report.pairs.size(); ++i) {
        const TBatchPair& pair = report.pairs[i];
        json.Raw(i == 0 ? "{" : ",{");
        json.Key("article1", true);
        json.Integer(pair.article1);
        json.Key("article2");
        json.Integer(pair.article2);
        json.Key("compared");
        json.Boolean(pair.compared);
        json.Key("duplicate_percent");
        json.Number(pair.duplicatePercent[1]);
        json.Key("duplicate_percent_shown");
        json.Integer(core::RoundHalfEven(pair.duplicatePercent[1]));
        if (!report.options.empty()) {
            json.Key("left_out_words");
            json.Integer(pair.leftOutWords);
        }
        json.Key("articles");
        for (std::size_t side = 0; side < 2; ++side) {
            json.Raw(side == 0 ? "[{" : ",{");
            json.Key("duplicated_words", true);
            json.Integer(pair.duplicatedWords[side]);
            json.Key("duplicate_percent");
            json.Number(pair.duplicatePercent[side]);
            json.Raw('}');
        }
        json.Raw("]}");
    }
    json.Raw("]}\n");
}

void WriteArchiveCheckJson(std::ostream& out, const TArchiveCheckReport& report)
{
    TJsonOut json(out);
    json.Raw('{');
    json.Key("archive", true);
    json.String(report.archive);
    json.Key("unit");
    json.String(UnitName(report.unit));
    json.Key("min_length");
    json.Integer(report.minLength);
    json.Key("threshold");
    json.Number(report.threshold);
    json.Key("top");
    json.Integer(report.top);
    if (!report.options.empty()) {
        WriteOptions(json, report.options);
    }
    const auto passages = [&json](std::u16string_view text, const std::vector<TRegion>& regions) {
        json.Raw('[');
        for (std::size_t i = 0; i < regions.size(); ++i) {
            json.Region(regions[i], RegionText(text, regions[i]), i == 0);
        }
        json.Raw(']');
    };
    json.Key("articles");
    json.Raw('[');
    for (std::size_t i = 0; i < report.articles.size(); ++i) {
        const TCheckedArticle& article = report.articles[i];
        json.Raw(i == 0 ? "{" : ",{");
        json.Key("name", true);
        json.String(article.name);
        json.Key("compared");
        json.Boolean(article.compared);
        json.Key("words");
        json.Integer(article.words);
        json.Key("candidates");
        json.Integer(article.candidates);
        json.Key("sources");
        json.Raw('[');
        for (std::size_t k = 0; k < article.sources.size(); ++k) {
            const TSourceDocument& source = article.sources[k];
            json.Raw(k == 0 ? "{" : ",{");
            json.Key("id", true);
            json.Integer(source.id);
            json.Key("name");
            json.String(source.name);
            json.Key("words");
            json.Integer(source.words);
            json.Key("article_duplicated_words");
            json.Integer(source.articleDuplicatedWords);
            json.Key("article_percent");
            json.Number(source.articlePercent);
            json.Key("document_duplicated_words");
            json.Integer(source.documentDuplicatedWords);
            json.Key("document_percent");
            json.Number(source.documentPercent);
            json.Key("article_passages");
            passages(article.text, source.articlePassages);
            json.Key("document_passages");
            passages(source.documentText, source.documentPassages);
            json.Raw('}');
        }
        json.Raw("]}");
    }
    json.Raw(']');
    WriteUnreadable(json, report.unreadable);
    json.Raw("}\n");
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

} // namespace glenvary::report
