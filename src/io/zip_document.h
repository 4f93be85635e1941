// SPDX-License-Identifier: MIT
// Glenvary readers: word-processor documents stored as zip packages, Office
// Open XML (.docx) and OpenDocument text (.odt).
#pragma once

#include "io/article_document.h"
#include "base/result.h"

#include <cstdint>
#include <string_view>

namespace glenvary::io {

/// The most bytes unpacked from one package, all parts together. The text
/// parts of a 1,000-page document unpack to some tens of megabytes; a zip
/// bomb (a small package that unpacks to gigabytes) is refused when it
/// passes this, counted on the bytes actually inflated, whatever the
/// package's directory claims.
inline constexpr std::uint64_t kMaxUnpackedBytes = std::uint64_t{256} * 1024 * 1024;

/// The most memory that the XML tree of one part may take while it is
/// parsed. A tree takes four to six times its XML for real documents, whose
/// main part is a few megabytes (some tens for a long book), but some 16
/// times for markup such as "<a/>" repeated: 256 MiB of it, which the limit
/// on unpacked bytes lets through, would take gigabytes. 256 MiB holds the
/// tree of a real part ten times a long book's and, with the part's own
/// bytes, stays well inside the cage's address space; a part that needs
/// more is refused when its tree reaches this, before it eats the memory.
inline constexpr std::uint64_t kMaxXmlTreeBytes = std::uint64_t{256} * 1024 * 1024;

/// True when `bytes` begin with a zip local file header ("PK\3\4").
[[nodiscard]] bool IsZipPackage(std::string_view bytes) noexcept;

/// Reads a .docx or an .odt package, told apart by its parts, never by a
/// file name: OpenDocument text by its "mimetype" part (or, lacking one, a
/// content.xml with a text body), Office Open XML by the main part that
/// _rels/.rels names (word/document.xml when it names none). Gives
/// paragraphs and line breaks as LF (none after the last paragraph), tabs,
/// the text of tables in reading order (row by row, a cell's paragraphs
/// each ending in a break), and bold, italic, underline and strike-out runs
/// as each run's own properties or automatic style set them (inherited
/// styles are not followed). Deleted text, field codes, notes, comments and
/// drawings (text boxes among them) are left out; headers and footers are
/// not read. OpenDocument white space collapses as that format says; DTD
/// entities are never expanded. Errors, as reasons without the file's
/// name: "not a zip package", "the zip package is damaged" (also for a
/// checksum mismatch or a part that unpacks to more than its directory
/// entry says), "not a word-processor document" (a zip of something else),
/// "the document part is missing", "the document part is not well-formed
/// XML", "unpacks to more than 256 MiB (a zip bomb?)", "its XML needs more
/// than 256 MiB to hold (an XML bomb?)" (kMaxXmlTreeBytes).
/// The main part's name is resolved as Office Open XML packages resolve a
/// relationship's target: relative to the package's root, a leading slash
/// naming the root too, "." and ".." segments taken out.
/// Cost: O(unpacked bytes), at most kMaxUnpackedBytes, plus pugixml's tree,
/// at most kMaxXmlTreeBytes a part.
[[nodiscard]] base::TResult<TArticleDocument> ReadZipDocument(std::string_view bytes);

} // namespace glenvary::io
