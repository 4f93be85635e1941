// SPDX-License-Identifier: MIT
// Glenvary readers: documents that only a word processor reads (.doc,
// .wpd...), converted by LibreOffice run as a headless child process.
#pragma once

#include "io/cage.h"
#include "base/result.h"

#include <chrono>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace glenvary::io {

/// How long one conversion may run before LibreOffice is stopped. A
/// conversion takes 2 to 4 s, of which most is LibreOffice starting with a
/// fresh profile; a document that takes a minute is one LibreOffice hangs on.
inline constexpr std::chrono::seconds kConversionTimeout{60};

/// How LibreOffice is run.
struct TConverterSettings {
    /// The program to run; empty: "soffice", then "libreoffice", looked up
    /// on PATH.
    std::string program;
    std::chrono::milliseconds timeout = kConversionTimeout;
};

/// The LibreOffice program that a conversion with `settings` would run:
/// settings.program when set, otherwise the first of "soffice" and
/// "libreoffice" found on PATH. Empty when there is none.
[[nodiscard]] std::optional<std::string> FindLibreOffice(const TConverterSettings& settings = {});

/// Converts the document `bytes` to OpenDocument text (the bytes of an .odt
/// package) with LibreOffice, run headless as a child process, never through
/// a shell, with its own profile in a private temporary folder that is
/// removed afterwards (also by an interruption of the command line).
/// `extension` ("doc", "wpd"; letters and digits only) names the kind of
/// document in messages and the temporary copy that LibreOffice reads.
///
/// LibreOffice is started through the document reader (`cage`), which
/// holds it to cage.addressSpace and CpuTimeFor(settings.timeout) and gives
/// it a network of its own with nothing in it where the system allows; its
/// profile also tells it never to update links nor load anything that a
/// document links to. LibreOffice exits 0 even when it could not load a
/// file, so success is the output file existing. The child is killed, with
/// everything it started, after `settings.timeout` or as soon as `stop` is
/// requested. Errors, as reasons without the file's name: "LibreOffice is
/// needed to read .doc documents" (not installed), "LibreOffice could not
/// read this .doc document", "LibreOffice took longer than 60 s and was
/// stopped", "the conversion was cancelled", FindDocumentReader's, or a
/// system error while preparing it. Cost: a LibreOffice start, 2 to 4 s.
[[nodiscard]] base::TResult<std::string> ConvertToOpenDocument(std::string_view bytes, std::string_view extension,
                                                         std::stop_token stop = {},
                                                         const TConverterSettings& settings = {},
                                                         const TCageSettings& cage = {});

} // namespace glenvary::io
