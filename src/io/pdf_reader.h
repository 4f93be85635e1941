// SPDX-License-Identifier: MIT
// Glenvary readers: PDF documents, through poppler.
#pragma once

#include "io/article_document.h"
#include "base/result.h"

#include <string_view>

namespace glenvary::io {

/// True when `bytes` begin with "%PDF-".
[[nodiscard]] bool IsPdf(std::string_view bytes) noexcept;

/// Reads the text layer of a PDF in reading order as poppler lays it out,
/// page after page, one LF between pages. Paragraphs are found from the
/// layout, as poppler's C++ interface hands over words but not its blocks:
/// the lines of one paragraph are joined by spaces (a word hyphenated at a
/// line's end is kept as printed), and one LF ends a paragraph where the
/// column breaks off, where the gap to the next line is clearly wider than
/// the gaps around it, and after a short line (one the next line's first
/// word would have fitted on). A paragraph that runs over a page or column
/// break is split there. No formatting; control characters are dropped.
/// Errors, as reasons without the file's name: "the PDF is damaged",
/// "the PDF is encrypted" (it needs a password to open), "the PDF has no
/// text layer (a scanned document?)".
/// The reading is done by the PDF module (glenvary-pdf.so, beside the
/// program or in its installed library folder), loaded on the first call;
/// without it every call fails with "the PDF reader (glenvary-pdf.so) is
/// not installed beside the program". Thread-safe.
/// Cost: O(pages x text), as poppler lays the pages out, and a copy of the
/// bytes; the first call also loads poppler. Input of 2^31 bytes or more (poppler's limit) is reported as
/// damaged.
[[nodiscard]] base::TResult<TArticleDocument> ReadPdf(std::string_view bytes);

} // namespace glenvary::io
