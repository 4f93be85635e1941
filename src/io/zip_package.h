// SPDX-License-Identifier: MIT
// Glenvary readers: what the readers of zip-packaged documents (.docx,
// .odt) share: the package with its limit on unpacked bytes, the XML parse
// with its limit on the tree, namespace-aware look-ups, and one walk over a
// document's body that collects its text and looks. For those readers only.
#pragma once

#include "base/result.h"
#include "io/article_document.h"

#include <pugixml.hpp>
#include <zip.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

namespace glenvary::io::zip {

inline constexpr std::string_view kDamaged = "the zip package is damaged";
inline constexpr std::string_view kNotWordProcessor = "not a word-processor document";
inline constexpr std::string_view kPartMissing = "the document part is missing";
inline constexpr std::string_view kNotWellFormed = "the document part is not well-formed XML";

/// One line saying why, as the readers say it.
[[nodiscard]] base::TError Failure(std::string_view reason);

/// How reading one part of a package went.
enum class TPartStatus { Read, Missing, Damaged, TooLarge };

/// The failure of a part that was not read.
[[nodiscard]] base::TError FailureFor(TPartStatus status);

/// An open package and the bytes inflated from it so far, all parts
/// together, held to kMaxUnpackedBytes.
class TPackage {
public:
    /// Opens the package in `bytes`, which must outlive it.
    explicit TPackage(std::string_view bytes);

    [[nodiscard]] bool IsOpen() const noexcept { return zip_ != nullptr; }
    [[nodiscard]] bool Has(const std::string& name) const;

    /// Inflates the part `name` into `bytes`. A part larger than its
    /// directory entry says is Damaged as soon as it outgrows it.
    TPartStatus Read(const std::string& name, std::string& bytes);

private:
    struct TZipDiscard {
        void operator()(zip_t* zip) const noexcept { zip_discard(zip); }
    };
    std::unique_ptr<zip_t, TZipDiscard> zip_;
    std::uint64_t unpacked_ = 0;
};

/// Reads the part `name` of `package` and parses it into `document`, which
/// points into `bytes` afterwards. DTD entities are never expanded; text
/// that is only white space is kept; the tree may take kMaxXmlTreeBytes.
[[nodiscard]] base::TStatus ReadXmlPart(TPackage& package, const std::string& name, std::string& bytes,
                                        pugi::xml_document& document);

/// Parses `bytes` in place as ReadXmlPart does. Error: the failure to give
/// when they are not well-formed or their tree needs too much memory.
[[nodiscard]] base::TStatus ParseXml(std::string& bytes, pugi::xml_document& document);

/// The prefix that `root` binds to one of `uris`, "" for the default
/// namespace, `fallback` when it binds none. The prefixes are the producer's
/// choice; every producer seen writes the usual ones, on the root.
[[nodiscard]] std::string PrefixFor(const pugi::xml_node& root, std::initializer_list<std::string_view> uris,
                                    std::string_view fallback);

/// The local part of `qualified` when its prefix is `prefix`, else empty.
[[nodiscard]] std::string_view LocalName(const char* qualified, std::string_view prefix);

[[nodiscard]] pugi::xml_attribute FindAttribute(const pugi::xml_node& node, std::string_view prefix,
                                                std::string_view local);
[[nodiscard]] pugi::xml_node FindChild(const pugi::xml_node& node, std::string_view prefix, std::string_view local);

/// The walk that every format's reader makes over a document's body: the
/// nodes in document order without recursion (the nesting depth is the
/// file's choice), asking the format what to do at each, and the text and
/// looks it collects, each paragraph's end held back until more text
/// follows, so that the last paragraph ends in no break.
class TBodyReader {
public:
    virtual ~TBodyReader() = default;

    /// Walks the nodes under `body`. False when a text held ill-formed
    /// UTF-8, which XML does not allow.
    bool Read(const pugi::xml_node& body);

    /// The document collected so far.
    [[nodiscard]] TArticleDocument Take() { return builder_.Take(); }

protected:
    TBodyReader() = default;
    TBodyReader(const TBodyReader&) = delete;
    TBodyReader& operator=(const TBodyReader&) = delete;

    /// Whether to visit the children of `node`.
    virtual bool Enter(const pugi::xml_node& node) = 0;
    /// Follows Enter for every node whose children were visited.
    virtual void Leave(const pugi::xml_node& node) = 0;

    void Append(std::u16string_view text, const TTextLook& look = {});
    /// Appends the UTF-8 of the XML; notes ill-formed UTF-8.
    void AppendUtf8(std::string_view utf8, const TTextLook& look);
    /// Notes whether text decoded elsewhere was well-formed.
    void NoteValid(bool valid) noexcept { valid_ = valid_ && valid; }
    void EndParagraph() noexcept { ++pendingBreaks_; }

private:
    TDocumentBuilder builder_;
    std::size_t pendingBreaks_ = 0;
    bool valid_ = true;
};

} // namespace glenvary::io::zip
