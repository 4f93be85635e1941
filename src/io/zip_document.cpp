// SPDX-License-Identifier: MIT
#include "io/zip_document.h"

#include "io/docx_reader.h"
#include "io/odt_reader.h"
#include "io/zip_package.h"

#include <string>

namespace glenvary::io {
namespace {

using zip::Failure;
using zip::FailureFor;
using zip::TPackage;
using zip::TPartStatus;

// The text family: documents, templates, master and web documents all keep
// their text in an office:text body.
constexpr std::string_view kOdfTextMimeType = "application/vnd.oasis.opendocument.text";

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
        return Failure(zip::kDamaged);
    }
    // An OpenDocument package names its kind in its first part, "mimetype".
    std::string mimetype;
    switch (const TPartStatus status = package.Read("mimetype", mimetype)) {
    case TPartStatus::Read:
        if (!mimetype.starts_with(kOdfTextMimeType)) {
            return Failure(zip::kNotWordProcessor);
        }
        return zip::ReadOpenDocumentText(package);
    case TPartStatus::Missing:
        break;
    case TPartStatus::Damaged:
    case TPartStatus::TooLarge:
        return FailureFor(status);
    }
    // An Office Open XML package names its main part in _rels/.rels; a
    // package without one may still hold the part under its usual name.
    base::TResult<std::string> mainPart = zip::MainDocumentPart(package);
    if (!mainPart) {
        return base::TError{mainPart.Error()};
    }
    if (!mainPart.Value().empty()) {
        return zip::ReadWordprocessingMl(package, mainPart.Value());
    }
    if (package.Has("content.xml")) {
        return zip::ReadOpenDocumentText(package);
    }
    return Failure(zip::kNotWordProcessor);
}

} // namespace glenvary::io
