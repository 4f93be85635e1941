// SPDX-License-Identifier: MIT
#include "io/odt_reader.h"

#include "io/text_encoding.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace glenvary::io::zip {
namespace {

// <text:s text:c="n"/> asks for n spaces in a few bytes of XML. A longer run
// separates words no differently, and an unbounded count would let a small
// part ask for gigabytes of text.
constexpr unsigned kMaxSpaceRun = 64;

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
class TOdfReader final : public TBodyReader {
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

    bool Enter(const pugi::xml_node& node) override
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

    void Leave(const pugi::xml_node& node) override
    {
        const std::string_view name = LocalName(node.name(), text_);
        if (name == "p" || name == "h") {
            looks_.pop_back();
            // White space at a paragraph's end is dropped (OpenDocument 1.2,
            // 6.1.2).
            inParagraph_ = false;
            pendingSpace_ = false;
            EndParagraph();
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
        NoteValid(decoded.valid);
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
            Append(u" ", spaceLook_);
            pendingSpace_ = false;
        }
        Append(text, looks_.back());
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
    TTextLook spaceLook_;
    bool inParagraph_ = false;
    bool atParagraphStart_ = false;
    bool pendingSpace_ = false;
};

} // namespace

base::TResult<TArticleDocument> ReadOpenDocumentText(TPackage& package)
{
    std::string bytes;
    pugi::xml_document document;
    if (const base::TStatus read = ReadXmlPart(package, "content.xml", bytes, document); !read) {
        return base::TError{read.Error()};
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

} // namespace glenvary::io::zip
