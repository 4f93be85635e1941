// SPDX-License-Identifier: MIT
#include "io/docx_reader.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace glenvary::io::zip {
namespace {

constexpr std::string_view kOfficeDocumentRelationship = "/officeDocument";
constexpr std::string_view kDefaultWordPart = "word/document.xml";
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
class TWordReader final : public TBodyReader {
public:
    TWordReader(std::string w, std::string mc) : w_(std::move(w)), mc_(std::move(mc)) {}

private:
    bool Enter(const pugi::xml_node& node) override
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
                    AppendUtf8(text.value(), look_);
                }
            }
        } else if (name == "tab" || name == "ptab") {
            Append(u"\t", look_);
        } else if (name == "br" || name == "cr") {
            Append(u"\n", look_);
        } else if (name == "noBreakHyphen") {
            Append(u"\u2011", look_);
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

    void Leave(const pugi::xml_node& node) override
    {
        const std::string_view name = LocalName(node.name(), w_);
        if (name == "r") {
            look_ = {};
        } else if (name == "p") {
            EndParagraph();
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
    TTextLook look_;
};

// The part that _rels/.rels names as the main document, or "" when it
// names none or is not well-formed.
base::TResult<std::string> OfficeDocumentPart(std::string& relationships)
{
    pugi::xml_document document;
    if (const base::TStatus parsed = ParseXml(relationships, document); !parsed) {
        // Relationships that are not well-formed name nothing; a tree too
        // large for memory is refused.
        return parsed.Error() == kNotWellFormed ? base::TResult<std::string>(std::string())
                                                : base::TResult<std::string>(base::TError{parsed.Error()});
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


} // namespace

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

base::TResult<TArticleDocument> ReadWordprocessingMl(TPackage& package, const std::string& partName)
{
    std::string bytes;
    pugi::xml_document document;
    if (const base::TStatus read = ReadXmlPart(package, partName, bytes, document); !read) {
        return base::TError{read.Error()};
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

base::TResult<std::string> MainDocumentPart(TPackage& package)
{
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
    return mainPart;
}

} // namespace glenvary::io::zip
