// SPDX-License-Identifier: MIT
#include "io/zip_document.h"

#include "io/text_encoding.h"

#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <iterator>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace glenvary::io {
namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1024} * 1024;
// zip_fread fills this much at a time, so the count of inflated bytes is
// checked every 64 KiB and not once a whole part has piled up.
constexpr std::size_t kReadChunk = std::size_t{64} * 1024;
// <text:s text:c="n"/> asks for n spaces in a few bytes of XML. A longer run
// separates words no differently, and an unbounded count would let a small
// part ask for gigabytes of text.
constexpr unsigned kMaxSpaceRun = 64;

constexpr std::string_view kDamaged = "the zip package is damaged";
constexpr std::string_view kNotWordProcessor = "not a word-processor document";
constexpr std::string_view kPartMissing = "the document part is missing";
constexpr std::string_view kNotWellFormed = "the document part is not well-formed XML";

// The text family: documents, templates, master and web documents all keep
// their text in an office:text body.
constexpr std::string_view kOdfTextMimeType = "application/vnd.oasis.opendocument.text";
constexpr std::string_view kOfficeDocumentRelationship = "/officeDocument";
constexpr std::string_view kDefaultWordPart = "word/document.xml";

base::TError Failure(std::string_view reason)
{
    return base::TError{std::string(reason)};
}

base::TError TooLarge()
{
    return base::TError{"unpacks to more than " + std::to_string(kMaxUnpackedBytes / kMiB) + " MiB (a zip bomb?)"};
}

enum class TPartStatus { Read, Missing, Damaged, TooLarge };

base::TError FailureFor(TPartStatus status)
{
    switch (status) {
    case TPartStatus::Missing:
        return Failure(kPartMissing);
    case TPartStatus::TooLarge:
        return TooLarge();
    case TPartStatus::Read:
    case TPartStatus::Damaged:
        break;
    }
    return Failure(kDamaged);
}

struct TZipDiscard {
    void operator()(zip_t* zip) const noexcept { zip_discard(zip); }
};
struct TZipFileClose {
    void operator()(zip_file_t* file) const noexcept { zip_fclose(file); }
};

// An open package and the bytes inflated from it so far, all parts together.
class TPackage {
public:
    explicit TPackage(std::string_view bytes)
    {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
        if (source != nullptr) {
            zip_.reset(zip_open_from_source(source, ZIP_RDONLY, &error));
            if (!zip_) {
                zip_source_free(source);
            }
        }
        zip_error_fini(&error);
    }

    [[nodiscard]] bool IsOpen() const noexcept { return zip_ != nullptr; }

    [[nodiscard]] bool Has(const std::string& name) const { return zip_name_locate(zip_.get(), name.c_str(), 0) >= 0; }

    // Inflates the part `name` into `bytes`.
    TPartStatus Read(const std::string& name, std::string& bytes)
    {
        bytes.clear();
        const zip_int64_t index = zip_name_locate(zip_.get(), name.c_str(), 0);
        if (index < 0) {
            return TPartStatus::Missing;
        }
        const auto entry = static_cast<zip_uint64_t>(index);
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(zip_.get(), entry, 0, &stat) != 0) {
            return TPartStatus::Damaged;
        }
        // The directory's size is believed only to refuse early; the count
        // below is what the limit holds to.
        const bool sized = (stat.valid & ZIP_STAT_SIZE) != 0;
        if (sized && stat.size > kMaxUnpackedBytes - unpacked_) {
            return TPartStatus::TooLarge;
        }
        const std::unique_ptr<zip_file_t, TZipFileClose> file(zip_fopen_index(zip_.get(), entry, 0));
        if (!file) {
            return TPartStatus::Damaged;
        }
        for (;;) {
            const std::size_t held = bytes.size();
            bytes.resize(held + kReadChunk);
            const zip_int64_t got = zip_fread(file.get(), bytes.data() + held, kReadChunk);
            if (got < 0) {
                return TPartStatus::Damaged;
            }
            bytes.resize(held + static_cast<std::size_t>(got));
            if (got == 0) {
                return TPartStatus::Read;
            }
            unpacked_ += static_cast<std::uint64_t>(got);
            if (unpacked_ > kMaxUnpackedBytes) {
                return TPartStatus::TooLarge;
            }
            // libzip compares the size with the directory only at the end
            // of the part; a part that outgrows its entry is refused now,
            // before a bomb with a lying directory fills the memory.
            if (sized && bytes.size() > stat.size) {
                return TPartStatus::Damaged;
            }
        }
    }

private:
    std::unique_ptr<zip_t, TZipDiscard> zip_;
    std::uint64_t unpacked_ = 0;
};

// The bytes that the XML parse under way on this thread may still take for
// its tree; null outside a parse.
thread_local std::uint64_t* tTreeRoom = nullptr;

void* AllocateTreeMemory(std::size_t size)
{
    if (tTreeRoom != nullptr) {
        if (size > *tTreeRoom) {
            return nullptr;
        }
        *tTreeRoom -= size;
    }
    return std::malloc(size);
}

void FreeTreeMemory(void* block)
{
    std::free(block);
}

enum class TParse { Parsed, NotWellFormed, TooLarge };

// Parses `bytes` in place: the document points into them afterwards.
// parse_default leaves parse_doctype out, so a DOCTYPE is skipped whole and
// no entity it declares is expanded: a reference to one stays as written.
// parse_ws_pcdata keeps text that is only white space, such as the lone
// space of <w:t xml:space="preserve"> </w:t> or the one between two spans.
// pugixml takes its tree's memory in pages through the functions above,
// which hold one parse to kMaxXmlTreeBytes; a refused page ends the parse
// with status_out_of_memory.
TParse ParseXml(std::string& bytes, pugi::xml_document& document)
{
    static const bool counted = [] {
        pugi::set_memory_management_functions(AllocateTreeMemory, FreeTreeMemory);
        return true;
    }();
    static_cast<void>(counted);
    constexpr unsigned kOptions = pugi::parse_default | pugi::parse_ws_pcdata;
    std::uint64_t room = kMaxXmlTreeBytes;
    tTreeRoom = &room;
    const pugi::xml_parse_status status = document.load_buffer_inplace(bytes.data(), bytes.size(), kOptions).status;
    tTreeRoom = nullptr;
    if (status == pugi::status_out_of_memory) {
        return TParse::TooLarge;
    }
    return status == pugi::status_ok ? TParse::Parsed : TParse::NotWellFormed;
}

base::TError XmlTooLarge()
{
    return base::TError{"its XML needs more than " + std::to_string(kMaxXmlTreeBytes / kMiB) + " MiB to hold (an XML bomb?)"};
}

base::TError ParseFailure(TParse parse)
{
    return parse == TParse::TooLarge ? XmlTooLarge() : Failure(kNotWellFormed);
}

// The zip entry of the part that a relationship's `target` names, for a
// source part in `sourceFolder` ("" for the package's root): relative to
// that folder, or to the root when it starts with a slash, with "." and
// ".." segments taken out ("./word/document.xml" and "/word/document.xml"
// are "word/document.xml"). ".." at the root stays at the root.
std::string ResolvePartName(std::string_view sourceFolder, std::string_view target)
{
    std::string path = target.starts_with('/') ? std::string() : std::string(sourceFolder);
    path.push_back('/');
    path.append(target);
    std::vector<std::string_view> segments;
    std::string_view rest = path;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (segment == "..") {
            if (!segments.empty()) {
                segments.pop_back();
            }
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
    }
    std::string name;
    for (const std::string_view segment : segments) {
        if (!name.empty()) {
            name.push_back('/');
        }
        name.append(segment);
    }
    return name;
}

// The prefix that `root` binds to one of `uris`, "" for the default
// namespace, `fallback` when it binds none. The prefixes are the producer's
// choice; every producer seen writes the usual ones, on the root.
std::string PrefixFor(const pugi::xml_node& root, std::initializer_list<std::string_view> uris,
                      std::string_view fallback)
{
    for (const pugi::xml_attribute& attribute : root.attributes()) {
        const std::string_view name = attribute.name();
        for (const std::string_view uri : uris) {
            if (attribute.value() != uri) {
                continue;
            }
            if (name == "xmlns") {
                return {};
            }
            if (name.starts_with("xmlns:")) {
                return std::string(name.substr(6));
            }
        }
    }
    return std::string(fallback);
}

// The local part of `qualified` when its prefix is `prefix`, else empty.
std::string_view LocalName(const char* qualified, std::string_view prefix)
{
    const std::string_view name = qualified;
    if (prefix.empty()) {
        return name.find(':') == std::string_view::npos ? name : std::string_view{};
    }
    if (name.size() > prefix.size() && name.starts_with(prefix) && name[prefix.size()] == ':') {
        return name.substr(prefix.size() + 1);
    }
    return {};
}

pugi::xml_attribute FindAttribute(const pugi::xml_node& node, std::string_view prefix, std::string_view local)
{
    for (const pugi::xml_attribute& attribute : node.attributes()) {
        if (LocalName(attribute.name(), prefix) == local) {
            return attribute;
        }
    }
    return {};
}

pugi::xml_node FindChild(const pugi::xml_node& node, std::string_view prefix, std::string_view local)
{
    for (const pugi::xml_node& child : node.children()) {
        if (LocalName(child.name(), prefix) == local) {
            return child;
        }
    }
    return {};
}

// Visits the nodes under `root` in document order without recursion: the
// nesting depth is the file's choice (pugixml parses any depth iteratively,
// too). enter(node) says whether to visit the node's children; leave(node)
// follows for every node whose children were visited.
template <class Enter, class Leave>
void Walk(const pugi::xml_node& root, Enter enter, Leave leave)
{
    pugi::xml_node node = root.first_child();
    while (node) {
        if (enter(node)) {
            if (const pugi::xml_node child = node.first_child()) {
                node = child;
                continue;
            }
            leave(node);
        }
        while (!node.next_sibling()) {
            node = node.parent();
            if (node == root) {
                return;
            }
            leave(node);
        }
        node = node.next_sibling();
    }
}

// Collects the text, holding each paragraph's end back until more text
// follows, so that the last paragraph of the document ends in no break.
class TTextSink {
public:
    void Append(std::u16string_view text, const TTextLook& look = {})
    {
        if (text.empty()) {
            return;
        }
        for (; pendingBreaks_ > 0; --pendingBreaks_) {
            builder_.Append(u'\n');
        }
        builder_.Append(text, look);
    }
    // Appends UTF-8 from the XML. False when it is ill-formed, which XML
    // does not allow.
    bool AppendUtf8(std::string_view utf8, const TTextLook& look)
    {
        const TUtf8Decoded decoded = DecodeUtf8(utf8);
        Append(decoded.text, look);
        return decoded.valid;
    }
    void EndParagraph() noexcept { ++pendingBreaks_; }
    TArticleDocument Take() { return builder_.Take(); }

private:
    TDocumentBuilder builder_;
    std::size_t pendingBreaks_ = 0;
};

constexpr std::string_view kWordMain = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view kWordStrict = "http://purl.oclc.org/ooxml/wordprocessingml/main";
constexpr std::string_view kMarkupCompatibility = "http://schemas.openxmlformats.org/markup-compatibility/2006";

// A WordprocessingML toggle (w:b, w:i, w:strike...): on unless w:val says
// 0, false or off (ST_OnOff).
bool IsOn(const pugi::xml_node& property, std::string_view w)
{
    const std::string_view value = FindAttribute(property, w, "val").value();
    return value != "0" && value != "false" && value != "off";
}

// Reads the body of word/document.xml (WordprocessingML). Character and
// paragraph styles are not followed: a run's look is what its w:rPr says.
class TWordReader {
public:
    TWordReader(std::string w, std::string mc) : w_(std::move(w)), mc_(std::move(mc)) {}

    // False when a text holds ill-formed UTF-8.
    bool Read(const pugi::xml_node& body)
    {
        Walk(body, [this](const pugi::xml_node& node) { return Enter(node); },
             [this](const pugi::xml_node& node) { Leave(node); });
        return valid_;
    }

    TArticleDocument Take() { return sink_.Take(); }

private:
    bool Enter(const pugi::xml_node& node)
    {
        if (node.type() != pugi::node_element) {
            return false;
        }
        const std::string_view name = LocalName(node.name(), w_);
        if (name.empty()) {
            // Markup compatibility gives one thing in several forms (a
            // drawing and its older picture); the first choice is read, the
            // fallback would repeat it.
            return LocalName(node.name(), mc_) != "Fallback";
        }
        if (name == "p") {
            return true;
        }
        if (name == "r") {
            look_ = RunLook(node);
            return true;
        }
        if (name == "t") {
            for (const pugi::xml_node& text : node.children()) {
                if (text.type() == pugi::node_pcdata || text.type() == pugi::node_cdata) {
                    valid_ = sink_.AppendUtf8(text.value(), look_) && valid_;
                }
            }
        } else if (name == "tab" || name == "ptab") {
            sink_.Append(u"\t", look_);
        } else if (name == "br" || name == "cr") {
            sink_.Append(u"\n", look_);
        } else if (name == "noBreakHyphen") {
            sink_.Append(u"\u2011", look_);
        } else {
            // Deleted and moved-away text (w:del, w:moveFrom, w:delText),
            // field codes (w:instrText), properties, and drawings
            // (w:drawing, w:pict, w:object): text boxes float apart from
            // the paragraph they are anchored in and often repeat it as a
            // pull quote. w:softHyphen and w:sym (a glyph of a symbol font,
            // not a character) give nothing. Anything else may hold runs.
            static constexpr std::string_view kSkipped[] = {
                "softHyphen", "sym", "del", "moveFrom", "delText", "instrText", "delInstrText",
                "pPr", "rPr", "sectPr", "drawing", "pict", "object"};
            return std::find(std::begin(kSkipped), std::end(kSkipped), name) == std::end(kSkipped);
        }
        return false;
    }

    void Leave(const pugi::xml_node& node)
    {
        const std::string_view name = LocalName(node.name(), w_);
        if (name == "r") {
            look_ = {};
        } else if (name == "p") {
            sink_.EndParagraph();
        }
    }

    TTextLook RunLook(const pugi::xml_node& run) const
    {
        TTextLook look;
        for (const pugi::xml_node& property : FindChild(run, w_, "rPr").children()) {
            const std::string_view name = LocalName(property.name(), w_);
            if (name == "b") {
                look.bold = IsOn(property, w_);
            } else if (name == "i") {
                look.italic = IsOn(property, w_);
            } else if (name == "u") {
                look.underline = std::string_view(FindAttribute(property, w_, "val").value()) != "none";
            } else if (name == "strike" || name == "dstrike") {
                look.strikeOut = look.strikeOut || IsOn(property, w_);
            }
        }
        return look;
    }

    std::string w_;
    std::string mc_;
    TTextSink sink_;
    TTextLook look_;
    bool valid_ = true;
};

// The part that _rels/.rels names as the main document, or "" when it
// names none or is not well-formed.
base::TResult<std::string> OfficeDocumentPart(std::string& relationships)
{
    pugi::xml_document document;
    if (const TParse parse = ParseXml(relationships, document); parse != TParse::Parsed) {
        return parse == TParse::TooLarge ? base::TResult<std::string>(XmlTooLarge()) : std::string();
    }
    for (const pugi::xml_node& relationship : document.document_element().children()) {
        const std::string_view type = relationship.attribute("Type").value();
        const std::string_view target = relationship.attribute("Target").value();
        if (type.ends_with(kOfficeDocumentRelationship) &&
            std::string_view(relationship.attribute("TargetMode").value()) != "External") {
            // The package's own relationships have the root as their source.
            return ResolvePartName("", target);
        }
    }
    return std::string();
}

base::TResult<TArticleDocument> ReadWordprocessingMl(TPackage& package, const std::string& partName)
{
    std::string bytes;
    if (const TPartStatus status = package.Read(partName, bytes); status != TPartStatus::Read) {
        return FailureFor(status);
    }
    pugi::xml_document document;
    if (const TParse parse = ParseXml(bytes, document); parse != TParse::Parsed) {
        return ParseFailure(parse);
    }
    const pugi::xml_node root = document.document_element();
    std::string w = PrefixFor(root, {kWordMain, kWordStrict}, "w");
    // A spreadsheet or a presentation names its main part the same way.
    if (LocalName(root.name(), w) != "document") {
        return Failure(kNotWordProcessor);
    }
    const pugi::xml_node body = FindChild(root, w, "body");
    TWordReader reader(std::move(w), PrefixFor(root, {kMarkupCompatibility}, "mc"));
    if (!reader.Read(body)) {
        return Failure(kNotWellFormed);
    }
    return reader.Take();
}

constexpr std::string_view kOfficeNamespace = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view kTextNamespace = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr std::string_view kStyleNamespace = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr std::string_view kFoNamespace = "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0";
constexpr std::string_view kDrawNamespace = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0";

// What one automatic style sets; what it leaves unset is inherited.
struct TStyleLook {
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underline;
    std::optional<bool> strikeOut;

    void ApplyTo(TTextLook& look) const
    {
        look.bold = bold.value_or(look.bold);
        look.italic = italic.value_or(look.italic);
        look.underline = underline.value_or(look.underline);
        look.strikeOut = strikeOut.value_or(look.strikeOut);
    }
};

std::optional<bool> IsBoldWeight(std::string_view weight)
{
    if (weight.empty()) {
        return std::nullopt;
    }
    // fo:font-weight is "normal", "bold" or 100 to 900; 600 and up print bold.
    unsigned value = 0;
    const auto [end, error] = std::from_chars(weight.data(), weight.data() + weight.size(), value);
    if (error == std::errc{} && end == weight.data() + weight.size()) {
        return value >= 600;
    }
    return weight == "bold";
}

std::optional<bool> IsLined(std::string_view lineStyle)
{
    if (lineStyle.empty()) {
        return std::nullopt;
    }
    return lineStyle != "none";
}

bool IsOdfSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Reads office:body/office:text of content.xml (OpenDocument). The looks
// come from office:automatic-styles; the common styles of styles.xml are
// not read.
class TOdfReader {
public:
    explicit TOdfReader(const pugi::xml_node& root)
        : office_(PrefixFor(root, {kOfficeNamespace}, "office")),
          text_(PrefixFor(root, {kTextNamespace}, "text")),
          style_(PrefixFor(root, {kStyleNamespace}, "style")),
          fo_(PrefixFor(root, {kFoNamespace}, "fo")),
          draw_(PrefixFor(root, {kDrawNamespace}, "draw"))
    {
        ReadStyles(FindChild(root, office_, "automatic-styles"));
        looks_.emplace_back();
    }

    // The office:text element, or an empty node when the document holds
    // something else (a spreadsheet, a drawing).
    [[nodiscard]] pugi::xml_node TextBody(const pugi::xml_node& root) const
    {
        return FindChild(FindChild(root, office_, "body"), office_, "text");
    }

    // False when a text holds ill-formed UTF-8.
    bool Read(const pugi::xml_node& body)
    {
        Walk(body, [this](const pugi::xml_node& node) { return Enter(node); },
             [this](const pugi::xml_node& node) { Leave(node); });
        return valid_;
    }

    TArticleDocument Take() { return sink_.Take(); }

private:
    void ReadStyles(const pugi::xml_node& styles)
    {
        for (const pugi::xml_node& style : styles.children()) {
            const std::string_view family = FindAttribute(style, style_, "family").value();
            auto* map = family == "text" ? &textStyles_ : family == "paragraph" ? &paragraphStyles_ : nullptr;
            if (LocalName(style.name(), style_) != "style" || map == nullptr) {
                continue;
            }
            const pugi::xml_node properties = FindChild(style, style_, "text-properties");
            TStyleLook look;
            look.bold = IsBoldWeight(FindAttribute(properties, fo_, "font-weight").value());
            if (const std::string_view slant = FindAttribute(properties, fo_, "font-style").value(); !slant.empty()) {
                look.italic = slant == "italic" || slant == "oblique";
            }
            look.underline = IsLined(FindAttribute(properties, style_, "text-underline-style").value());
            look.strikeOut = IsLined(FindAttribute(properties, style_, "text-line-through-style").value());
            (*map)[FindAttribute(style, style_, "name").value()] = look;
        }
    }

    void PushLook(const pugi::xml_node& node, const std::unordered_map<std::string, TStyleLook>& styles)
    {
        TTextLook look = looks_.back();
        const auto style = styles.find(FindAttribute(node, text_, "style-name").value());
        if (style != styles.end()) {
            style->second.ApplyTo(look);
        }
        looks_.push_back(look);
    }

    bool Enter(const pugi::xml_node& node)
    {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            // Text outside a paragraph is the XML's own indentation.
            if (inParagraph_) {
                AppendCollapsed(node.value());
            }
            return false;
        }
        if (node.type() != pugi::node_element) {
            return false;
        }
        // Drawing shapes and frames (text boxes among them), annotations,
        // notes and ruby text are no part of a paragraph's text
        // (OpenDocument 1.2, 6.1.1), nor are tracked deletions and the
        // cached labels of numbered lists (text:number).
        if (!LocalName(node.name(), draw_).empty() || LocalName(node.name(), office_) == "annotation") {
            return false;
        }
        const std::string_view name = LocalName(node.name(), text_);
        if (name == "p" || name == "h") {
            PushLook(node, paragraphStyles_);
            inParagraph_ = true;
            atParagraphStart_ = true;
            pendingSpace_ = false;
        } else if (name == "span") {
            PushLook(node, textStyles_);
        } else if (name == "s") {
            const unsigned count = FindAttribute(node, text_, "c").as_uint(1);
            Emit(std::u16string(std::min(count, kMaxSpaceRun), u' '));
            return false;
        } else if (name == "tab") {
            Emit(u"\t");
            return false;
        } else if (name == "line-break") {
            Emit(u"\n");
            return false;
        } else if (name == "note" || name == "ruby-text" || name == "tracked-changes" || name == "number") {
            return false;
        }
        return true;
    }

    void Leave(const pugi::xml_node& node)
    {
        const std::string_view name = LocalName(node.name(), text_);
        if (name == "p" || name == "h") {
            looks_.pop_back();
            // White space at a paragraph's end is dropped (OpenDocument 1.2,
            // 6.1.2).
            inParagraph_ = false;
            pendingSpace_ = false;
            sink_.EndParagraph();
        } else if (name == "span") {
            looks_.pop_back();
        }
    }

    // Collapses white space as OpenDocument 1.2, 6.1.2 says: each run of
    // space, tab, CR and LF in the text is one space, even across
    // elements; none at a paragraph's start or end. text:s, text:tab and
    // text:line-break are not white space of the text and stay.
    void AppendCollapsed(std::string_view utf8)
    {
        const TUtf8Decoded decoded = DecodeUtf8(utf8);
        valid_ = valid_ && decoded.valid;
        std::u16string_view rest = decoded.text;
        while (!rest.empty()) {
            std::size_t length = 0;
            while (length < rest.size() && !IsOdfSpace(rest[length])) {
                ++length;
            }
            Emit(rest.substr(0, length));
            rest.remove_prefix(length);
            if (!rest.empty()) {
                if (!atParagraphStart_ && !pendingSpace_) {
                    pendingSpace_ = true;
                    spaceLook_ = looks_.back();
                }
                rest.remove_prefix(1);
            }
        }
    }

    void Emit(std::u16string_view text)
    {
        if (text.empty()) {
            return;
        }
        if (pendingSpace_) {
            sink_.Append(u" ", spaceLook_);
            pendingSpace_ = false;
        }
        sink_.Append(text, looks_.back());
        atParagraphStart_ = false;
    }

    std::string office_;
    std::string text_;
    std::string style_;
    std::string fo_;
    std::string draw_;
    std::unordered_map<std::string, TStyleLook> textStyles_;
    std::unordered_map<std::string, TStyleLook> paragraphStyles_;
    std::vector<TTextLook> looks_;
    TTextSink sink_;
    TTextLook spaceLook_;
    bool inParagraph_ = false;
    bool atParagraphStart_ = false;
    bool pendingSpace_ = false;
    bool valid_ = true;
};

base::TResult<TArticleDocument> ReadOpenDocument(TPackage& package)
{
    std::string bytes;
    if (const TPartStatus status = package.Read("content.xml", bytes); status != TPartStatus::Read) {
        return FailureFor(status);
    }
    pugi::xml_document document;
    if (const TParse parse = ParseXml(bytes, document); parse != TParse::Parsed) {
        return ParseFailure(parse);
    }
    const pugi::xml_node root = document.document_element();
    TOdfReader reader(root);
    const pugi::xml_node body = reader.TextBody(root);
    if (!body) {
        return Failure(kNotWordProcessor);
    }
    if (!reader.Read(body)) {
        return Failure(kNotWellFormed);
    }
    return reader.Take();
}

} // namespace

bool IsZipPackage(std::string_view bytes) noexcept
{
    return bytes.starts_with("PK\x03\x04");
}

base::TResult<TArticleDocument> ReadZipDocument(std::string_view bytes)
{
    if (!IsZipPackage(bytes)) {
        return Failure("not a zip package");
    }
    TPackage package(bytes);
    if (!package.IsOpen()) {
        return Failure(kDamaged);
    }
    // An OpenDocument package names its kind in its first part, "mimetype".
    std::string mimetype;
    switch (const TPartStatus status = package.Read("mimetype", mimetype)) {
    case TPartStatus::Read:
        if (!mimetype.starts_with(kOdfTextMimeType)) {
            return Failure(kNotWordProcessor);
        }
        return ReadOpenDocument(package);
    case TPartStatus::Missing:
        break;
    case TPartStatus::Damaged:
    case TPartStatus::TooLarge:
        return FailureFor(status);
    }
    // An Office Open XML package names its main part in _rels/.rels; a
    // package without one may still hold the part under its usual name.
    std::string relationships;
    std::string mainPart;
    switch (const TPartStatus status = package.Read("_rels/.rels", relationships)) {
    case TPartStatus::Read: {
        base::TResult<std::string> named = OfficeDocumentPart(relationships);
        if (!named) {
            return base::TError{named.Error()};
        }
        mainPart = std::move(named).Value();
        break;
    }
    case TPartStatus::Missing:
        break;
    case TPartStatus::Damaged:
    case TPartStatus::TooLarge:
        return FailureFor(status);
    }
    if (mainPart.empty() && package.Has(std::string(kDefaultWordPart))) {
        mainPart = kDefaultWordPart;
    }
    if (!mainPart.empty()) {
        return ReadWordprocessingMl(package, mainPart);
    }
    if (package.Has("content.xml")) {
        return ReadOpenDocument(package);
    }
    return Failure(kNotWordProcessor);
}

} // namespace glenvary::io
