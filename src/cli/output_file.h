// SPDX-License-Identifier: MIT
// Glenvary command line: writing a report file all at once or not at all.
#pragma once

#include <string>
#include <string_view>

namespace glenvary::cli {

/// Writes `content` to `path` so that the file either keeps what it had
/// (or stays absent) or holds all of `content`: the bytes go to a new
/// temporary file in the same folder, which then replaces `path` by a
/// rename. Returns an empty string on success, otherwise one line such as
/// "cannot write out/report.html: No such file or directory"; no temporary
/// file is left behind either way.
[[nodiscard]] std::string WriteFileAtomically(const std::string& path, std::string_view content);

} // namespace glenvary::cli
