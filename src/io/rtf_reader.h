// SPDX-License-Identifier: MIT
// Glenvary readers: rich text (RTF).
#pragma once

#include "io/article_document.h"
#include "base/result.h"

#include <cstddef>
#include <string_view>

namespace glenvary::io {

/// The deepest nesting of groups ({...}) a rich-text file may have. Word
/// processors write a few levels, tables and fields a dozen or two; a file
/// nested deeper than this is refused instead of being followed, so that a
/// hostile file cannot exhaust the stack or the memory of the group states.
inline constexpr std::size_t kMaxRtfNesting = 256;

/// True when `bytes` begin with "{\rtf", the signature of a rich-text file.
[[nodiscard]] bool IsRichText(std::string_view bytes) noexcept;

/// Reads a rich-text file: its text and the looks of its runs (bold,
/// italic, underline of any kind, strike-out, text colour and background
/// colour from \highlight, \cb or \chcbpat, through the colour table; index 0
/// is automatic, an empty colour). \par, \line, \page and \sect become LF,
/// \tab a tab; each table cell ends with an LF, so a table reads cell by cell
/// in reading order. The \par that closes the last paragraph is dropped, so
/// "Hello\par}" reads "Hello" and the text is its paragraphs joined by LF.
/// Characters come from \'hh and raw bytes above 0x7F (in the code page of
/// the font's \fcharset or \cpg, else of \ansicpg, Windows-1252 by default;
/// double-byte code pages such as 932 included), from \uN (with \ucN
/// fallback characters skipped; a surrogate pair may come as two \uN) and from
/// the named symbols (\emdash, \lquote, \~...). Control characters other
/// than a tab, hidden text (\v) and raw line breaks of the source are not
/// text; a surrogate without its other half becomes U+FFFD. Destinations
/// that hold no body text (font, colour and style tables, information,
/// pictures, objects, headers, footers, footnotes, field instructions,
/// {\*\...}) are skipped; a field shows its result. A file nested deeper than
/// kMaxRtfNesting is refused.
/// Errors, as reasons without the file's name: "not a rich-text file",
/// "nested deeper than 256 groups". A file that ends before its groups
/// close keeps the text read so far, as word processors do.
/// Cost: O(bytes).
[[nodiscard]] base::TResult<TArticleDocument> ReadRichText(std::string_view bytes);

} // namespace glenvary::io
