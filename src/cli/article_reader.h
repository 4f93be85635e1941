// SPDX-License-Identifier: MIT
// Glenvary command line: reading an article file into the engine's text.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>

namespace glenvary::cli {

/// The largest article file accepted, in bytes. Real articles are a few
/// kilobytes; the limit exists to turn a wrong file (a disk image, a video)
/// into a clear error before it is held several times over in memory: the
/// UTF-16 text, the word lists and the comparison's word index together
/// take about ten times the file's size. It also keeps every position far
/// inside the engine's 32-bit word positions.
inline constexpr std::size_t kMaxArticleBytes = std::size_t{256} * 1024 * 1024;

/// The command line's name for standard input.
inline constexpr std::string_view kStandardInputPath = "-";

/// An article as read, or why it could not be read.
struct TArticleRead {
    /// The text as the editor would hold it: UTF-16, without a byte order
    /// mark, each CR LF pair turned into one LF. Not yet normalised.
    std::u16string text;
    /// Empty on success; otherwise one line such as
    /// "cannot read notes.txt: No such file or directory".
    std::string error;

    [[nodiscard]] bool Ok() const noexcept { return error.empty(); }
};

/// How an article's source is named in messages and reports: the path as
/// given, or "standard input" for "-".
[[nodiscard]] std::string ArticleDisplayName(std::string_view path);

/// Turns the bytes of an article file into its text: skips a leading UTF-8
/// byte order mark, decodes UTF-8 and turns each CR LF pair into one LF (the
/// editor holds one LF per line break, and offsets in the reports are the
/// editor's positions); a lone CR or LF stays. Ill-formed UTF-8 gives the
/// error "not valid UTF-8 text (byte offset N)", N counting bytes of the
/// file from 0, the byte order mark included. `displayName` only names the
/// source in the error.
[[nodiscard]] TArticleRead DecodeArticle(std::string_view bytes, std::string_view displayName);

/// Reads the article at `path`, or from `in` when the path is "-", and
/// decodes it as DecodeArticle does. Errors name the file and the reason:
/// the system's reason for a file that cannot be opened or read, "larger
/// than 256 MiB" for a source of more than `maxBytes` bytes (checked before
/// reading for a regular file, while reading for anything else).
[[nodiscard]] TArticleRead ReadArticle(const std::string& path, std::istream& in,
                                       std::size_t maxBytes = kMaxArticleBytes);

} // namespace glenvary::cli
