// SPDX-License-Identifier: MIT
// Glenvary readers: where the files installed beside the programs are
// found, the PDF module and the document reader.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace glenvary::io {

/// The places where the helper file `name` may be, in the order they are
/// tried: beside the running program, in the library folder of an installed
/// one (lib/glenvary), and, for a program that runs from the build tree (a
/// test), where the build put the helpers. Nothing outside those folders
/// is ever used, whatever the environment says. Empty when the running
/// program cannot be found.
[[nodiscard]] std::vector<std::filesystem::path> HelperFileCandidates(std::string_view name);

} // namespace glenvary::io
