// SPDX-License-Identifier: MIT
// Glenvary readers: an article file of any format, chosen by what it holds.
#pragma once

#include "io/article_document.h"
#include "io/cage.h"
#include "io/office_converter.h"
#include "base/result.h"

#include <cstddef>
#include <istream>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace glenvary::io {

/// The largest article file the command line accepts, in bytes. Real
/// articles are a few kilobytes and books a few megabytes; the limit turns
/// a wrong file (a disk image, a video) into a clear error before it is
/// held several times over in memory: the UTF-16 text, the word lists and
/// the comparison's word index together take about ten times the file's
/// size. It also keeps every position far inside the engine's 32-bit word
/// positions.
inline constexpr std::size_t kMaxArticleBytes = std::size_t{256} * 1024 * 1024;

/// The largest file the window imports, in bytes: an editor holding more
/// than some tens of megabytes of formatted text takes seconds for every
/// layout and most of a gigabyte of memory.
inline constexpr std::size_t kMaxImportBytes = std::size_t{64} * 1024 * 1024;

/// The command line's name for standard input.
inline constexpr std::string_view kStandardInputPath = "-";

/// What a file holds, as told by its first bytes, never by its name.
enum class TArticleFormat {
    PlainText,       ///< text in UTF-8, UTF-16 with a byte order mark, or Windows-1252
    RichText,        ///< "{\rtf"
    ZipPackage,      ///< "PK\3\4": a .docx, an .odt, or a zip of something else
    Pdf,             ///< "%PDF-"
    WordDocument,    ///< the OLE2 compound-file signature: .doc (or another Office file)
    WordPerfect,     ///< "\xFFWPC": .wpd
    NotText,         ///< none of these, and not text either: an image, a program, random bytes
};

/// The format of a file whose bytes are `bytes`. Text is told from other
/// bytes by its characters: a NUL byte, or more than four control
/// characters (other than tab, line feed, vertical tab, form feed, carriage
/// return and the DOS end-of-file mark) that are also more than one in a
/// hundred, makes the bytes NotText. Cost: O(bytes) for text, O(1)
/// otherwise.
[[nodiscard]] TArticleFormat DetectArticleFormat(std::string_view bytes) noexcept;

/// True when the path, its ASCII letters lower-cased, contains ".doc"
/// anywhere, folders included: report.docx, letter.doc.txt, NOTES.DOC and
/// every file in a folder named x.doc. The window sets such a file into the
/// editor as plain text in one piece; every other file keeps its formatting.
[[nodiscard]] bool TakesWordProcessorRoute(std::string_view path) noexcept;

/// How an article's source is named in messages and reports: the path as
/// given, or "standard input" for "-".
[[nodiscard]] std::string ArticleDisplayName(std::string_view path);

/// What a read may use and must respect.
struct TReadSettings {
    /// Larger sources are refused before they are read.
    std::size_t maxBytes = kMaxArticleBytes;
    /// How LibreOffice is run for the formats only it reads.
    TConverterSettings converter;
    /// How the formats read in a child process are read, and the limits
    /// they are held to.
    TCageSettings cage;
    /// Asked for by a caller that no longer wants the result: a read in
    /// the cage or a LibreOffice conversion is stopped.
    std::stop_token stop;
};

/// Reads an article whose bytes are `bytes` with the reader its format
/// calls for: plain text (decoded as DecodePlainText says), rich text, a
/// .docx or .odt package, a PDF, or a .doc or .wpd through LibreOffice.
/// Packages and PDFs, and the package that LibreOffice converts a document
/// to, are read in the cage (ReadInCage, with settings.cage), whose text may
/// have at most settings.maxBytes UTF-16 units, the length of the longest
/// plain text accepted. CR LF pairs become LF in every format. Errors are
/// one line, "cannot read NAME: REASON", NAME being `displayName`; the
/// reason for bytes of no known format is "not a text file or a document
/// this program can read".
[[nodiscard]] base::TResult<TArticleDocument> ReadArticleBytes(std::string_view bytes, std::string_view displayName,
                                                         const TReadSettings& settings = {});

/// ReadArticleBytes with every reader in this process, without the cage and
/// its limits: for fuzzers, which must see inside the readers.
[[nodiscard]] base::TResult<TArticleDocument> ReadArticleBytesInProcess(std::string_view bytes,
                                                                  std::string_view displayName,
                                                                  const TReadSettings& settings = {});

/// The reader of `format` run in this process: what the document reader
/// runs inside the cage. Errors are reasons without a file's name; CR LF is
/// left as the reader gives it. NotText gives ReadArticleBytes's reason.
[[nodiscard]] base::TResult<TArticleDocument> ReadFormatInProcess(std::string_view bytes, TArticleFormat format,
                                                            const TReadSettings& settings = {});

/// Reads the file at `path` (or `in` when the path is "-") and its article
/// as ReadArticleBytes does. Errors name the file as ArticleDisplayName
/// does and give the system's reason for a file that cannot be opened or
/// read, "it is a folder, not a file" for standard input that is a folder,
/// or "larger than N MiB" for a source of more than settings.maxBytes bytes
/// (checked before reading for a regular file, while reading for anything
/// else). NAME has its control characters escaped (EscapeControlCharacters)
/// in every message.
[[nodiscard]] base::TResult<TArticleDocument> ReadArticle(const std::string& path, std::istream& in,
                                                    const TReadSettings& settings = {});

/// The article files found in a folder, and what could not be looked at.
struct TFolderArticles {
    /// Paths of the files, each the folder's path followed by the names
    /// that lead to the file.
    std::vector<std::string> files;
    /// One line for each folder that could not be listed and each entry
    /// that could not be looked at: "cannot read PATH: REASON".
    std::vector<std::string> errors;
};

/// The files in `folder` and, at any depth, in its subfolders: in each
/// folder in name order (byte order), a subfolder's files in the place of
/// its name. Passed over: names that start with "." (hidden files, and
/// folders such as .git), links to folders (they can lead back into the
/// tree), and entries that are neither files nor folders (pipes, sockets,
/// devices), which could hold a read up forever. A link to a file counts as
/// the file, and a link to nothing as a file, so that reading it says why
/// it cannot be read. A subfolder that cannot be listed gives one error, as
/// does an entry that cannot be looked at (in a folder that may be listed
/// but not searched, or past the longest path the system takes), and the
/// rest is still listed. Cost: one visit of every entry.
[[nodiscard]] TFolderArticles ListArticleFiles(const std::string& folder);

/// What the window checks before it empties an editor for the file at
/// `path`: one line, "cannot read PATH: REASON", when the file is a folder,
/// is not a regular file (a named pipe, a device or a socket, whose reading
/// could wait forever) or holds more than `maxBytes` bytes; nothing
/// otherwise, also for a path that cannot be looked at, whose reading then
/// says why. Links are followed. Cost: one stat.
[[nodiscard]] std::optional<std::string> RefuseBeforeReading(const std::string& path, std::size_t maxBytes);

/// ReadArticle for a file path ("-" is an ordinary file name here).
[[nodiscard]] base::TResult<TArticleDocument> ReadArticleFile(const std::string& path,
                                                        const TReadSettings& settings = {});

} // namespace glenvary::io
