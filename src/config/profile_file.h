// SPDX-License-Identifier: MIT
// Glenvary start-up configuration: the profile (INI) file reader.
#pragma once

#include "base/result.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace glenvary::config {

/// The longest value that a read returns, in characters (code points). The
/// configuration files were written for a reader with a 2048-character
/// buffer, one place of which held the terminating NUL.
inline constexpr std::size_t kMaxProfileValueChars = 2047;

/// The largest profile file that is read, in bytes. A dbconfig.dat holds a
/// few dozen short lines; a file of megabytes is no configuration, and
/// refusing it keeps a wrong or hostile file from filling the memory.
inline constexpr std::size_t kMaxProfileBytes = std::size_t{1} << 20;

/// A profile file held in memory, read with the rules the configuration
/// files were written for:
/// - "[Section]" lines open a section, "key=value" lines belong to the
///   section above them; lines before any section and lines without '='
///   are ignored;
/// - section and key names match without regard to ASCII case, and the
///   first matching section and the first matching key in it win;
/// - blanks (spaces, tabs) around names and values are dropped, then one
///   enclosing pair of matching single or double quotes is removed, then
///   the value is cut to kMaxProfileValueChars characters;
/// - lines end in LF or CR LF; a NUL ends what its line says, as it ends
///   the C strings of the functions the files were written for;
/// - a UTF-8 byte order mark is skipped (a UTF-16 one is honoured too), and
///   bytes that are not valid UTF-8 are read as Windows-1252.
class TProfileFile {
public:
    /// Parses the bytes of a profile file. Never fails: anything that is not
    /// a section or key line is ignored. Cost: O(bytes).
    [[nodiscard]] static TProfileFile Parse(std::string_view bytes);

    /// Reads and parses the file at `path`. Error: "cannot read <path>: <why>"
    /// when it cannot be opened or read, or is larger than kMaxProfileBytes
    /// ("larger than 1 MiB", checked before reading).
    [[nodiscard]] static base::TResult<TProfileFile> Load(const std::filesystem::path& path);

    /// The value of `key` in `section` as UTF-8, or the empty string when
    /// either is missing. Cost: O(sections + keys of the section).
    [[nodiscard]] std::string ReadString(std::string_view section, std::string_view key) const;

private:
    struct TSection {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries;
    };
    std::vector<TSection> sections_;
};

} // namespace glenvary::config
