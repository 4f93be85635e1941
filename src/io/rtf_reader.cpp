// SPDX-License-Identifier: MIT
#include "io/rtf_reader.h"

#include "io/text_encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace glenvary::io {
namespace {

constexpr std::string_view kSignature = "{\\rtf";

// RTF's own default: a file without \ansicpg is read as Windows ANSI.
constexpr int kDefaultCodePage = 1252;

// Parameters are signed 16- or 32-bit numbers in every writer; a longer run
// of digits is damage, and saturating keeps the arithmetic defined.
constexpr std::int64_t kMaxParameter = std::numeric_limits<std::int32_t>::max();

// \ucN: one fallback character follows each \uN unless the file says other.
constexpr std::int32_t kDefaultFallbackCount = 1;

// Windows numbers its code pages with 16 bits.
constexpr std::int32_t kMaxCodePage = 65535;

constexpr char16_t kReplacement = u'\uFFFD';

enum class TDestination : std::uint8_t {
    Body,       // text the reader of the article sees
    Skipped,    // tables, pictures, headers, {\*\...}: nothing is shown
    FontTable,  // read for the fonts' code pages
    ColorTable, // read for the colours of \cfN and the background words
};

// What a group sets; a group starts as a copy of its parent's and its end
// brings the parent's back.
struct TGroupState {
    TDestination destination = TDestination::Body;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool hidden = false;
    std::int32_t textColor = 0; // index into the colour table, 0 = automatic
    std::int32_t backColor = 0;
    std::int32_t font = -1;     // -1: the document's default font (\deffN)
    std::int32_t fallbackCount = kDefaultFallbackCount;
};

enum class TAction : std::uint8_t {
    Ignore,
    SkipDestination,
    FontTable,
    ColorTable,
    Paragraph,
    Break,
    Tab,
    Row,
    Symbol,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    StrikeOut,
    Hidden,
    TextColor,
    BackColor,
    Plain,
    Font,
    DefaultFont,
    FontCharset,
    FontCodePage,
    DocumentCodePage,
    Red,
    Green,
    Blue,
    FallbackCount,
    Unicode,
    Binary,
};

struct TControlWord {
    std::string_view name;
    TAction action;
    char16_t symbol = 0;
};

// Sorted by name for the binary search in FindWord. Words not listed (and not
// an underline kind, see FindWord) change nothing this reader keeps.
constexpr auto kControlWords = std::to_array<TControlWord>({
    {"aftncn", TAction::SkipDestination},
    {"aftnsep", TAction::SkipDestination},
    {"aftnsepc", TAction::SkipDestination},
    {"annotation", TAction::SkipDestination},
    {"ansicpg", TAction::DocumentCodePage},
    {"atnauthor", TAction::SkipDestination},
    {"atnid", TAction::SkipDestination},
    {"b", TAction::Bold},
    {"bin", TAction::Binary},
    {"bkmkend", TAction::SkipDestination},
    {"bkmkstart", TAction::SkipDestination},
    {"blue", TAction::Blue},
    {"bullet", TAction::Symbol, u'\u2022'},
    {"cb", TAction::BackColor},
    {"cell", TAction::Break},
    {"cf", TAction::TextColor},
    {"chcbpat", TAction::BackColor},
    {"colorschememapping", TAction::SkipDestination},
    {"colortbl", TAction::ColorTable},
    {"cpg", TAction::FontCodePage},
    {"datastore", TAction::SkipDestination},
    {"deff", TAction::DefaultFont},
    {"docvar", TAction::SkipDestination},
    {"emdash", TAction::Symbol, u'\u2014'},
    {"emspace", TAction::Symbol, u'\u2003'},
    {"endash", TAction::Symbol, u'\u2013'},
    {"enspace", TAction::Symbol, u'\u2002'},
    {"f", TAction::Font},
    {"fcharset", TAction::FontCharset},
    {"fldinst", TAction::SkipDestination},
    {"fonttbl", TAction::FontTable},
    {"footer", TAction::SkipDestination},
    {"footerf", TAction::SkipDestination},
    {"footerl", TAction::SkipDestination},
    {"footerr", TAction::SkipDestination},
    {"footnote", TAction::SkipDestination},
    {"ftncn", TAction::SkipDestination},
    {"ftnsep", TAction::SkipDestination},
    {"ftnsepc", TAction::SkipDestination},
    {"generator", TAction::SkipDestination},
    {"green", TAction::Green},
    {"header", TAction::SkipDestination},
    {"headerf", TAction::SkipDestination},
    {"headerl", TAction::SkipDestination},
    {"headerr", TAction::SkipDestination},
    {"highlight", TAction::BackColor},
    {"i", TAction::Italic},
    {"info", TAction::SkipDestination},
    {"latentstyles", TAction::SkipDestination},
    {"ldblquote", TAction::Symbol, u'\u201C'},
    {"line", TAction::Break},
    {"listoverridetable", TAction::SkipDestination},
    {"listtable", TAction::SkipDestination},
    {"lquote", TAction::Symbol, u'\u2018'},
    {"nestcell", TAction::Break},
    {"nestrow", TAction::Row},
    {"nonesttables", TAction::SkipDestination}, // a flat copy of nested tables for old readers
    {"nonshppict", TAction::SkipDestination},
    {"objdata", TAction::SkipDestination},
    {"object", TAction::SkipDestination},
    {"page", TAction::Break},
    {"par", TAction::Paragraph},
    {"pgdsctbl", TAction::SkipDestination},
    {"pict", TAction::SkipDestination},
    {"plain", TAction::Plain},
    {"pntxta", TAction::SkipDestination},
    {"pntxtb", TAction::SkipDestination},
    {"private", TAction::SkipDestination},
    {"qmspace", TAction::Symbol, u'\u2005'},
    {"rdblquote", TAction::Symbol, u'\u201D'},
    {"red", TAction::Red},
    {"revtbl", TAction::SkipDestination},
    {"row", TAction::Row},
    {"rquote", TAction::Symbol, u'\u2019'},
    {"rsidtbl", TAction::SkipDestination},
    {"sect", TAction::Break},
    {"strike", TAction::StrikeOut},
    {"striked", TAction::StrikeOut},
    {"stylesheet", TAction::SkipDestination},
    {"tab", TAction::Tab},
    {"tc", TAction::SkipDestination},
    {"template", TAction::SkipDestination},
    {"themedata", TAction::SkipDestination},
    {"txe", TAction::SkipDestination},
    {"u", TAction::Unicode},
    {"uc", TAction::FallbackCount},
    {"ulc", TAction::Ignore}, // the colour of the underline, not an underline
    {"ulnone", TAction::UnderlineNone},
    {"v", TAction::Hidden},
    {"xe", TAction::SkipDestination},
    {"xmlnstbl", TAction::SkipDestination},
});
static_assert(std::ranges::is_sorted(kControlWords, {}, &TControlWord::name));

TAction FindWord(std::string_view name, char16_t& symbol)
{
    const auto found = std::ranges::lower_bound(kControlWords, name, {}, &TControlWord::name);
    if (found != kControlWords.end() && found->name == name) {
        symbol = found->symbol;
        return found->action;
    }
    // \ul, \uld, \uldb, \ulw, \ulwave, \ulth... are kinds of underline; an
    // editor shows each as underlined.
    return name.starts_with("ul") ? TAction::Underline : TAction::Ignore;
}

bool IsCodePage(std::int32_t number) { return number > 0 && number <= kMaxCodePage; }

bool IsLetter(char c) noexcept { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

int HexValue(char c) noexcept
{
    if (IsDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool IsLeadSurrogate(char16_t c) noexcept { return c >= 0xD800 && c <= 0xDBFF; }
bool IsTrailSurrogate(char16_t c) noexcept { return c >= 0xDC00 && c <= 0xDFFF; }

using TByteTable = std::array<char16_t, 256>;

// One walk over the bytes of a rich-text file with an explicit stack of
// group states, so that nesting costs memory bounded by kMaxRtfNesting, never
// the call stack.
class TRtfReader {
public:
    explicit TRtfReader(std::string_view bytes) : bytes_(bytes) { groups_.reserve(kMaxRtfNesting); }

    base::TResult<TArticleDocument> Read()
    {
        while (pos_ < bytes_.size()) {
            const char c = bytes_[pos_];
            if (c == '{') {
                FlushBytes();
                fallbackLeft_ = 0; // a fallback never runs past a brace
                if (groups_.size() >= kMaxRtfNesting) {
                    return base::TError{"nested deeper than " + std::to_string(kMaxRtfNesting) + " groups"};
                }
                const TGroupState inherited = groups_.empty() ? TGroupState{} : groups_.back();
                groups_.push_back(inherited);
                ++pos_;
            } else if (c == '}') {
                FlushBytes();
                fallbackLeft_ = 0;
                ++pos_;
                groups_.pop_back();
                if (groups_.empty()) {
                    break; // whatever follows the closing brace is not part of the document
                }
            } else if (c == '\\') {
                ReadControl();
            } else if (c == '\r' || c == '\n') {
                ++pos_; // writers wrap their lines anywhere; a break is written \par or \line
            } else {
                ++pos_;
                ReadByte(static_cast<unsigned char>(c));
            }
        }
        FlushBytes();
        FlushLeadSurrogate();
        // A \par left pending closes the last paragraph: word processors end
        // every file with one, and it is no line of the article.
        return builder_.Take();
    }

private:
    TGroupState& State() { return groups_.back(); }
    [[nodiscard]] bool Visible() const
    {
        return groups_.back().destination == TDestination::Body && !groups_.back().hidden;
    }

    // A text byte of the source, raw or written \'hh.
    void ReadByte(unsigned char byte)
    {
        if (fallbackLeft_ > 0) {
            --fallbackLeft_;
            return;
        }
        if (byte < 0x80 && !awaitingTrail_) {
            FlushBytes();
            if (State().destination == TDestination::ColorTable && byte == ';') {
                colors_.push_back(colorDefined_ ? std::optional<TRgb>(pendingColor_) : std::nullopt);
                pendingColor_ = 0;
                colorDefined_ = false;
            } else if (Visible() && (byte >= 0x20 || byte == '\t')) {
                Emit(static_cast<char16_t>(byte));
            }
            return;
        }
        if (!Visible()) {
            return;
        }
        const int codePage = CurrentCodePage();
        if (const TByteTable* table = ByteTable(codePage)) {
            FlushBytes();
            EmitDecoded(table->at(byte));
            return;
        }
        if (!pendingBytes_.empty() && codePage != pendingCodePage_) {
            FlushBytes();
        }
        pendingCodePage_ = codePage;
        pendingBytes_.push_back(static_cast<char>(byte));
        awaitingTrail_ = !awaitingTrail_ && IsLeadByte(codePage, byte);
    }

    // Multi-byte characters are gathered over consecutive bytes and decoded
    // once the run of bytes ends.
    void FlushBytes()
    {
        if (pendingBytes_.empty()) {
            return;
        }
        if (std::optional<std::u16string> text = DecodeCodePage(pendingBytes_, pendingCodePage_)) {
            for (const char16_t c : *text) {
                EmitDecoded(c);
            }
        } else {
            const TByteTable& table = DefaultTable();
            for (const char byte : pendingBytes_) {
                EmitDecoded(table.at(static_cast<unsigned char>(byte)));
            }
        }
        pendingBytes_.clear();
        awaitingTrail_ = false;
    }

    void ReadControl()
    {
        ++pos_;
        if (pos_ >= bytes_.size()) {
            return;
        }
        const char c = bytes_[pos_];
        if (IsLetter(c)) {
            ReadWord();
            return;
        }
        ++pos_;
        if (c == '\'') {
            if (pos_ + 2 <= bytes_.size()) {
                const int high = HexValue(bytes_[pos_]);
                const int low = HexValue(bytes_[pos_ + 1]);
                if (high >= 0 && low >= 0) {
                    pos_ += 2;
                    ReadByte(static_cast<unsigned char>(high * 16 + low));
                }
            }
            return;
        }
        if (c == '\\' || c == '{' || c == '}') {
            ReadByte(static_cast<unsigned char>(c));
            return;
        }
        FlushBytes();
        if (fallbackLeft_ > 0) {
            --fallbackLeft_; // a control symbol is one fallback character
            return;
        }
        switch (c) {
        case '*':
            State().destination = TDestination::Skipped; // {\*\...}: what this reader need not know
            break;
        case '~':
            EmitVisible(u'\u00A0');
            break;
        case '_':
            EmitVisible(u'\u2011');
            break;
        case '\r':
        case '\n':
            Apply(TAction::Paragraph, false, 0, 0); // a backslash before a raw line break is \par
            break;
        default:
            break; // \- (optional hyphen), \: and \| show nothing
        }
    }

    void ReadWord()
    {
        const std::size_t start = pos_;
        while (pos_ < bytes_.size() && IsLetter(bytes_[pos_])) {
            ++pos_;
        }
        const std::string_view name = bytes_.substr(start, pos_ - start);
        bool hasParameter = false;
        std::int64_t value = 0;
        const bool negative = pos_ + 1 < bytes_.size() && bytes_[pos_] == '-' && IsDigit(bytes_[pos_ + 1]);
        if (negative) {
            ++pos_;
        }
        while (pos_ < bytes_.size() && IsDigit(bytes_[pos_])) {
            hasParameter = true;
            value = std::min(value * 10 + (bytes_[pos_] - '0'), kMaxParameter);
            ++pos_;
        }
        if (pos_ < bytes_.size() && bytes_[pos_] == ' ') {
            ++pos_;
        }
        FlushBytes();
        char16_t symbol = 0;
        const TAction action = FindWord(name, symbol);
        const auto parameter = static_cast<std::int32_t>(negative ? -value : value);
        if (fallbackLeft_ > 0) {
            --fallbackLeft_; // a control word is one fallback character
            if (action == TAction::Binary) {
                SkipBinary(parameter);
            }
            return;
        }
        Apply(action, hasParameter, parameter, symbol);
    }

    void Apply(TAction action, bool hasParameter, std::int32_t parameter, char16_t symbol)
    {
        TGroupState& state = State();
        const bool on = !hasParameter || parameter != 0;
        const bool inFontTable = state.destination == TDestination::FontTable;
        const bool inColorTable = state.destination == TDestination::ColorTable;
        switch (action) {
        case TAction::Ignore:
            break;
        case TAction::SkipDestination:
            state.destination = TDestination::Skipped;
            break;
        case TAction::FontTable:
        case TAction::ColorTable:
            // A table inside anything but the body is no table of this file.
            if (state.destination != TDestination::Body) {
                state.destination = TDestination::Skipped;
            } else {
                state.destination =
                    action == TAction::FontTable ? TDestination::FontTable : TDestination::ColorTable;
            }
            break;
        case TAction::Paragraph:
            if (Visible()) {
                FlushLeadSurrogate();
                FlushParagraph();
                paragraphPending_ = true;
                paragraphLook_ = Look();
            }
            break;
        case TAction::Break:
            EmitVisible(u'\n');
            break;
        case TAction::Tab:
            EmitVisible(u'\t');
            break;
        case TAction::Row:
            // Each cell already ends with a break; a row only needs one when
            // a writer left out its last \cell.
            if (!paragraphPending_ && builder_.Size() > 0 && builder_.Back() != u'\n') {
                EmitVisible(u'\n');
            }
            break;
        case TAction::Symbol:
            EmitVisible(symbol);
            break;
        case TAction::Bold:
            state.bold = on;
            break;
        case TAction::Italic:
            state.italic = on;
            break;
        case TAction::Underline:
            state.underline = on;
            break;
        case TAction::UnderlineNone:
            state.underline = false;
            break;
        case TAction::StrikeOut:
            state.strikeOut = on;
            break;
        case TAction::Hidden:
            state.hidden = on;
            break;
        case TAction::TextColor:
            state.textColor = parameter;
            break;
        case TAction::BackColor:
            state.backColor = parameter;
            break;
        case TAction::Plain:
            state.bold = state.italic = state.underline = state.strikeOut = state.hidden = false;
            state.textColor = state.backColor = 0;
            state.font = -1;
            break;
        case TAction::Font:
            if (inFontTable) {
                tableFont_ = parameter;
            } else if (hasParameter) {
                state.font = parameter;
            }
            break;
        case TAction::DefaultFont:
            defaultFont_ = parameter;
            break;
        case TAction::FontCharset:
            if (inFontTable) {
                fontCodePages_[tableFont_] = CodePageOfCharset(parameter);
            }
            break;
        case TAction::FontCodePage:
            if (inFontTable) {
                fontCodePages_[tableFont_] = IsCodePage(parameter) ? parameter : 0;
            }
            break;
        case TAction::DocumentCodePage:
            if (IsCodePage(parameter)) {
                documentCodePage_ = parameter;
            }
            break;
        case TAction::Red:
        case TAction::Green:
        case TAction::Blue:
            if (inColorTable) {
                const int shift = action == TAction::Red ? 0 : action == TAction::Green ? 8 : 16;
                const auto component = static_cast<TRgb>(std::clamp(parameter, 0, 255));
                pendingColor_ = (pendingColor_ & ~(TRgb{0xFF} << shift)) | (component << shift);
                colorDefined_ = true;
            }
            break;
        case TAction::FallbackCount:
            state.fallbackCount = std::max(parameter, 0);
            break;
        case TAction::Unicode:
            if (Visible()) {
                EmitUnicode(parameter);
            }
            fallbackLeft_ = state.fallbackCount;
            break;
        case TAction::Binary:
            SkipBinary(parameter);
            break;
        }
    }

    void SkipBinary(std::int32_t count)
    {
        if (count > 0) {
            pos_ += std::min(static_cast<std::size_t>(count), bytes_.size() - pos_);
        }
    }

    // \uN takes a signed 16-bit N; some writers put a whole code point above
    // U+FFFF in one \uN, which costs nothing to honour.
    void EmitUnicode(std::int32_t n)
    {
        const std::int64_t codePoint = n < 0 ? std::int64_t{n} + 0x10000 : n;
        if (codePoint >= 0 && codePoint <= 0xFFFF) {
            EmitDecoded(static_cast<char16_t>(codePoint));
        } else if (codePoint >= 0x10000 && codePoint <= 0x10FFFF) {
            const std::int64_t offset = codePoint - 0x10000;
            Emit(static_cast<char16_t>(0xD800 + (offset >> 10)));
            Emit(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        } else {
            Emit(kReplacement);
        }
    }

    void EmitVisible(char16_t c)
    {
        if (Visible()) {
            Emit(c);
        }
    }

    // A character the file encodes as a character: control characters other
    // than a tab would be breaks or worse nobody typed.
    void EmitDecoded(char16_t c)
    {
        if (c >= 0x20 || c == u'\t') {
            Emit(c);
        }
    }

    // Appends one UTF-16 unit. A surrogate pair may arrive as two \uN, so a
    // lead surrogate waits for its trail; a half without its other half
    // becomes U+FFFD, as the text must be well-formed UTF-16.
    void Emit(char16_t c)
    {
        if (leadSurrogate_ != 0) {
            if (IsTrailSurrogate(c)) {
                const char16_t pair[] = {leadSurrogate_, c};
                builder_.Append(std::u16string_view(pair, 2), leadLook_);
                leadSurrogate_ = 0;
                return;
            }
            FlushLeadSurrogate();
        }
        FlushParagraph();
        if (IsLeadSurrogate(c)) {
            leadSurrogate_ = c;
            leadLook_ = Look();
            return;
        }
        builder_.Append(IsTrailSurrogate(c) ? kReplacement : c, Look());
    }

    void FlushLeadSurrogate()
    {
        if (leadSurrogate_ != 0) {
            builder_.Append(kReplacement, leadLook_);
            leadSurrogate_ = 0;
        }
    }

    void FlushParagraph()
    {
        if (paragraphPending_) {
            builder_.Append(u'\n', paragraphLook_);
            paragraphPending_ = false;
        }
    }

    [[nodiscard]] TTextLook Look() const
    {
        const TGroupState& state = groups_.back();
        return {state.bold, state.italic, state.underline, state.strikeOut, Color(state.textColor),
                Color(state.backColor)};
    }

    // Index 0 is "automatic", as word processors write and read it.
    [[nodiscard]] std::optional<TRgb> Color(std::int32_t index) const
    {
        if (index <= 0 || static_cast<std::size_t>(index) >= colors_.size()) {
            return std::nullopt;
        }
        return colors_[static_cast<std::size_t>(index)];
    }

    [[nodiscard]] int CurrentCodePage() const
    {
        const std::int32_t font = groups_.back().font >= 0 ? groups_.back().font : defaultFont_;
        const auto found = fontCodePages_.find(font);
        return found != fontCodePages_.end() && found->second > 0 ? found->second : documentCodePage_;
    }

    // The characters of the 256 bytes of a single-byte code page, decoded
    // once; null for a multi-byte code page, whose bytes FlushBytes decodes
    // together. A code page ICU does not know reads as Windows-1252, the most
    // likely guess for a file that names it.
    const TByteTable* ByteTable(int codePage)
    {
        if (codePage == lastCodePage_) {
            return lastTable_;
        }
        auto found = byteTables_.find(codePage);
        if (found == byteTables_.end()) {
            const TByteTable* table = MakeByteTable(codePage);
            found = byteTables_.emplace(codePage, table).first;
        }
        lastCodePage_ = codePage;
        lastTable_ = found->second;
        return lastTable_;
    }

    const TByteTable* MakeByteTable(int codePage)
    {
        if (IsMultiByteCodePage(codePage)) {
            return DecodeCodePage("a", codePage) ? nullptr : &DefaultTable();
        }
        std::string all(256, '\0');
        for (std::size_t i = 0; i < all.size(); ++i) {
            all[i] = static_cast<char>(i);
        }
        const std::optional<std::u16string> text = DecodeCodePage(all, codePage);
        if (!text) {
            return codePage == kDefaultCodePage ? &Latin1Table() : &DefaultTable();
        }
        if (text->size() != all.size()) {
            return nullptr; // several bytes to a character after all
        }
        TByteTable& table = ownedTables_.emplace_back();
        std::ranges::copy(*text, table.begin());
        return &table;
    }

    const TByteTable& DefaultTable()
    {
        const TByteTable* table = ByteTable(kDefaultCodePage);
        return table != nullptr ? *table : Latin1Table();
    }

    // Only for an ICU built without Windows-1252, whose nearest it is.
    static const TByteTable& Latin1Table()
    {
        static const TByteTable table = [] {
            TByteTable latin1{};
            for (std::size_t i = 0; i < latin1.size(); ++i) {
                latin1[i] = static_cast<char16_t>(i);
            }
            return latin1;
        }();
        return table;
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    std::vector<TGroupState> groups_;
    TDocumentBuilder builder_;

    std::int32_t fallbackLeft_ = 0; // \uN fallback characters still to skip
    bool paragraphPending_ = false; // a \par not yet written, see Read
    TTextLook paragraphLook_;
    char16_t leadSurrogate_ = 0;
    TTextLook leadLook_;

    int documentCodePage_ = kDefaultCodePage;
    std::int32_t defaultFont_ = -1;
    std::int32_t tableFont_ = -1; // the font the font table is describing
    std::unordered_map<std::int32_t, int> fontCodePages_;
    // Windows code pages are 16-bit numbers, so a file can make at most
    // 65535 entries here, and only the few ICU knows get a table of their own.
    std::unordered_map<int, const TByteTable*> byteTables_;
    std::deque<TByteTable> ownedTables_;
    int lastCodePage_ = 0; // no code page is 0: the cache starts empty
    const TByteTable* lastTable_ = nullptr;
    std::string pendingBytes_; // bytes of a multi-byte code page not yet decoded
    int pendingCodePage_ = kDefaultCodePage;
    bool awaitingTrail_ = false;

    std::vector<std::optional<TRgb>> colors_;
    TRgb pendingColor_ = 0;
    bool colorDefined_ = false;
};

} // namespace

bool IsRichText(std::string_view bytes) noexcept { return bytes.starts_with(kSignature); }

base::TResult<TArticleDocument> ReadRichText(std::string_view bytes)
{
    if (!IsRichText(bytes)) {
        return base::TError{"not a rich-text file"};
    }
    return TRtfReader(bytes).Read();
}

} // namespace glenvary::io
