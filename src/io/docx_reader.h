// SPDX-License-Identifier: MIT
// Glenvary readers: Office Open XML word-processing documents (.docx).
#pragma once

#include "io/zip_package.h"

#include <string>
#include <string_view>

namespace glenvary::io::zip {

/// The main document part that _rels/.rels of `package` names, resolved
/// (ResolvePartName); word/document.xml when it names none and the package
/// holds that; empty otherwise (an OpenDocument package, say).
[[nodiscard]] base::TResult<std::string> MainDocumentPart(TPackage& package);

/// The text and looks of the WordprocessingML part `partName` of
/// `package`, as ReadZipDocument describes them. Error "not a
/// word-processor document" for a part whose root is no w:document (a
/// spreadsheet or a presentation names its main part the same way).
[[nodiscard]] base::TResult<TArticleDocument> ReadWordprocessingMl(TPackage& package, const std::string& partName);

/// The zip entry of the part that a relationship's `target` names, for a
/// source part in `sourceFolder` ("" for the package's root), as Office
/// Open XML resolves it: relative to that folder, or to the root when it
/// starts with a slash, with "." and ".." segments taken out
/// ("./word/document.xml" and "/word/document.xml" are
/// "word/document.xml"). ".." at the root stays at the root.
[[nodiscard]] std::string ResolvePartName(std::string_view sourceFolder, std::string_view target);

} // namespace glenvary::io::zip
