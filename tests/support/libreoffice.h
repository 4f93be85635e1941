// SPDX-License-Identifier: MIT
// Helpers shared by the tests of several layers: documents made by a real
// LibreOffice during the test run.
#pragma once

#include "support/scratch_dir.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace glenvary::test {

/// True when LibreOffice's soffice is on PATH. Tests that need it skip with
/// kNoLibreOffice when it is not, so a missing install is never a pass.
inline bool HasLibreOffice()
{
    return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

inline constexpr const char* kNoLibreOffice =
    "LibreOffice (soffice) is not installed; scripts/install-deps.sh installs libreoffice-writer-nogui";

/// Has LibreOffice convert `bytes`, saved as `sourceName`, to `filter` (an
/// extension such as "doc", "pdf", "docx", "odt", "rtf", or "ext:Filter")
/// and returns the converted file's bytes; empty when the conversion failed.
/// Each call starts LibreOffice with a private profile: 2 to 4 s.
inline std::optional<std::string> ConvertWithLibreOffice(const std::string& sourceName, const std::string& bytes,
                                                         const std::string& filter)
{
    const TScratchDir dir;
    const std::string source = dir.Write(sourceName, bytes);
    const std::string out = dir.Path("out");
    const std::string command = "soffice -env:UserInstallation=file://" + dir.Path("profile")
                                + " --headless --norestore --nolockcheck --convert-to '" + filter + "' --outdir '"
                                + out + "' '" + source + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        return std::nullopt;
    }
    const std::string stem = sourceName.substr(0, sourceName.rfind('.'));
    const std::string extension = filter.substr(0, filter.find(':'));
    const std::string converted = out + "/" + stem + "." + extension;
    if (!std::filesystem::exists(converted)) {
        return std::nullopt;
    }
    return ReadBytes(converted);
}

} // namespace glenvary::test
