// SPDX-License-Identifier: MIT
// Glenvary start-up configuration: the skin file, a gzip-compressed Qt style
// sheet.
#pragma once

#include "base/result.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace glenvary::config {

/// The largest style sheet a skin may unpack to. A style sheet for the whole
/// window is tens of kilobytes; 4 MiB leaves ample room and still stops a
/// small damaged or hostile file from unpacking into gigabytes.
inline constexpr std::size_t kMaxSkinBytes = std::size_t{4} << 20;

/// Unpacks a gzip-compressed style sheet (one or more gzip members, RFC
/// 1952) with zlib and returns its text as UTF-8 (a UTF-8 byte order mark
/// is dropped; bytes that are not UTF-8 are read as Windows-1252).
/// Errors: "not a gzip-compressed file", "the compressed data is damaged",
/// "it unpacks to more than 4 MiB", "the file is larger than 4 MiB" (packed
/// data over the limit is refused before unpacking). Cost: O(unpacked size), at most
/// kMaxSkinBytes of memory for the text.
[[nodiscard]] base::TResult<std::string> UnpackSkin(std::string_view compressed);

/// Reads the skin file at `path` and unpacks it with UnpackSkin. Errors are
/// one line: "cannot use skin <path>: <why>".
[[nodiscard]] base::TResult<std::string> ReadSkinFile(const std::filesystem::path& path);

} // namespace glenvary::config
