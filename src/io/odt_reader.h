// SPDX-License-Identifier: MIT
// Glenvary readers: OpenDocument text (.odt).
#pragma once

#include "io/zip_package.h"

namespace glenvary::io::zip {

/// The text and looks of the office:text body of content.xml in
/// `package`, as ReadZipDocument describes them: white space collapsed as
/// OpenDocument says, looks from the automatic styles. Error "not a
/// word-processor document" for a package whose body holds something
/// else (a spreadsheet, a drawing).
[[nodiscard]] base::TResult<TArticleDocument> ReadOpenDocumentText(TPackage& package);

} // namespace glenvary::io::zip
