// SPDX-License-Identifier: MIT
// Glenvary readers: what the PDF reader and the PDF module agree on. The
// module is a library of its own, loaded when the first PDF is read; both
// sides are built together, so they share these C++ types.
#pragma once

#include "io/article_document.h"
#include "base/result.h"

#include <string_view>

#define GLENVARY_PDF_MODULE_EXPORT __attribute__((visibility("default")))

namespace glenvary::io {

/// The module's file name.
inline constexpr const char* kPdfModuleName = "glenvary-pdf.so";
/// The name under which the module exports its TPdfModuleEntry.
inline constexpr const char* kPdfModuleEntry = "glenvary_read_pdf";
/// Reads the PDF `bytes` into `result` as ReadPdf describes.
using TPdfModuleEntry = void(std::string_view bytes, base::TResult<TArticleDocument>& result);

} // namespace glenvary::io
