// SPDX-License-Identifier: MIT
#include "io/article_file.h"

#include "io/pdf_reader.h"
#include "io/rtf_reader.h"
#include "io/text_encoding.h"
#include "io/zip_document.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

namespace glenvary::io {
namespace {

constexpr std::size_t kMiB = std::size_t{1024} * 1024;
constexpr std::size_t kReadBlock = std::size_t{64} * 1024;
// One control character in this many may be a stray one in a real text,
// and a short text may hold a few more; beyond that they are the mark of
// bytes that are not text at all.
constexpr std::size_t kControlsPerStray = 100;
constexpr std::size_t kStraysAlwaysAllowed = 4;

constexpr std::string_view kOle2Signature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::string_view kWordPerfectSignature = "\xFFWPC";
constexpr std::string_view kNotADocument = "not a text file or a document this program can read";

// The one place that names a source in a message: its name escaped, so
// that a name with a line break or a terminal's escape sequence stays one
// harmless line.
base::TError CannotRead(std::string_view displayName, std::string_view reason)
{
    std::string message = "cannot read ";
    message.append(EscapeControlCharacters(displayName));
    message.append(": ");
    message.append(reason);
    return base::TError{std::move(message)};
}

std::string TooLarge(std::size_t maxBytes)
{
    if (maxBytes % kMiB == 0) {
        return "larger than " + std::to_string(maxBytes / kMiB) + " MiB";
    }
    return "larger than " + std::to_string(maxBytes) + " bytes";
}

std::string SystemReason(int error)
{
    return std::generic_category().message(error);
}

bool StartsWithUtf16Bom(std::string_view bytes) noexcept
{
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

bool IsStrayControl(unsigned char byte) noexcept
{
    // Tab, line feed, vertical tab, form feed and carriage return are
    // layout; the end-of-file mark 0x1A is left by old DOS editors.
    return byte < 0x20 && (byte < 0x09 || byte > 0x0D) && byte != 0x1A;
}

bool LooksLikeText(std::string_view bytes) noexcept
{
    std::size_t controls = 0;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0) {
            return false;
        }
        if (IsStrayControl(byte)) {
            ++controls;
        }
    }
    return controls <= kStraysAlwaysAllowed || controls * kControlsPerStray <= bytes.size();
}

base::TResult<TArticleDocument> ReadPlainText(std::string_view bytes)
{
    TArticleDocument document;
    document.text = DecodePlainText(bytes).text;
    return document;
}

// Where a format's reader runs.
enum class TWhere { Cage, InProcess };

base::TResult<TArticleDocument> ReadPackage(std::string_view bytes, TCagedFormat format, const TReadSettings& settings,
                                      TWhere where)
{
    if (where == TWhere::Cage) {
        return ReadInCage(bytes, format, settings.cage, settings.maxBytes, settings.stop);
    }
    return format == TCagedFormat::Pdf ? ReadPdf(bytes) : ReadZipDocument(bytes);
}

base::TResult<TArticleDocument> ReadConverted(std::string_view bytes, std::string_view extension,
                                        const TReadSettings& settings, TWhere where)
{
    base::TResult<std::string> converted =
        ConvertToOpenDocument(bytes, extension, settings.stop, settings.converter, settings.cage);
    if (!converted) {
        return base::TError{converted.Error()};
    }
    return ReadPackage(converted.Value(), TCagedFormat::ZipPackage, settings, where);
}

base::TResult<TArticleDocument> ReadFormat(std::string_view bytes, TArticleFormat format, const TReadSettings& settings,
                                     TWhere where)
{
    switch (format) {
    // Plain text and rich text are read here: their readers walk the bytes
    // once, keep no more than a bounded stack (rich text's nesting limit),
    // and make a text no longer than the bytes, so they end in time and
    // memory proportional to a file that the size limit already bounds.
    case TArticleFormat::PlainText: return ReadPlainText(bytes);
    case TArticleFormat::RichText: return ReadRichText(bytes);
    case TArticleFormat::ZipPackage: return ReadPackage(bytes, TCagedFormat::ZipPackage, settings, where);
    case TArticleFormat::Pdf: return ReadPackage(bytes, TCagedFormat::Pdf, settings, where);
    case TArticleFormat::WordDocument: return ReadConverted(bytes, "doc", settings, where);
    case TArticleFormat::WordPerfect: return ReadConverted(bytes, "wpd", settings, where);
    case TArticleFormat::NotText: break;
    }
    return base::TError{std::string(kNotADocument)};
}

base::TResult<TArticleDocument> ReadBytes(std::string_view bytes, std::string_view displayName,
                                    const TReadSettings& settings, TWhere where)
{
    base::TResult<TArticleDocument> read = ReadFormat(bytes, DetectArticleFormat(bytes), settings, where);
    if (!read) {
        return CannotRead(displayName, read.Error());
    }
    TArticleDocument& document = read.Value();
    // Readers of formats that keep CR LF (plain text, PDF) leave it to this
    // one place; a run can only shrink or move left when its text does.
    if (document.text.find(u'\r') != std::u16string::npos) {
        FoldLineBreaks(document);
    }
    return read;
}

struct TFileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// Standard input that is a folder (a shell gives one to "< folder") fails
// its first read, which the stream reports as an input/output error.
bool IsFolderOnStandardInput(const std::istream& in)
{
    struct stat info {};
    return in.rdbuf() == std::cin.rdbuf() && ::fstat(STDIN_FILENO, &info) == 0 && S_ISDIR(info.st_mode);
}

base::TResult<TArticleDocument> ReadStream(std::istream& in, std::string_view displayName, const TReadSettings& settings)
{
    if (IsFolderOnStandardInput(in)) {
        return CannotRead(displayName, "it is a folder, not a file");
    }
    std::string bytes;
    std::array<char, kReadBlock> block{};
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (bytes.size() + got > settings.maxBytes) {
            return CannotRead(displayName, TooLarge(settings.maxBytes));
        }
        bytes.append(block.data(), got);
    }
    if (in.bad()) {
        return CannotRead(displayName, std::make_error_code(std::errc::io_error).message());
    }
    return ReadArticleBytes(bytes, displayName, settings);
}

base::TResult<TArticleDocument> ReadFile(const std::string& path, std::string_view displayName,
                                   const TReadSettings& settings)
{
    std::error_code ec;
    const std::filesystem::path fsPath(path);
    // fopen accepts a directory on some systems and only the first read
    // fails; saying so up front gives the usual reason.
    if (std::filesystem::is_directory(fsPath, ec)) {
        return CannotRead(displayName, std::make_error_code(std::errc::is_a_directory).message());
    }
    errno = 0;
    std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return CannotRead(displayName, SystemReason(errno != 0 ? errno : EIO));
    }
    // A regular file's size is known before reading, so an oversized one
    // fails at once instead of after hundreds of megabytes were read.
    std::string bytes;
    if (std::filesystem::is_regular_file(fsPath, ec)) {
        const auto size = std::filesystem::file_size(fsPath, ec);
        if (!ec && size > settings.maxBytes) {
            return CannotRead(displayName, TooLarge(settings.maxBytes));
        }
        // Room for the whole file at once: a book is not copied from block
        // to ever larger block while it is read.
        if (!ec) {
            bytes.reserve(static_cast<std::size_t>(size));
        }
    }
    std::array<char, kReadBlock> block{};
    for (;;) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), file.get());
        // A file that grows while it is read, or a device, is held to the
        // limit as well.
        if (bytes.size() + got > settings.maxBytes) {
            return CannotRead(displayName, TooLarge(settings.maxBytes));
        }
        bytes.append(block.data(), got);
        if (got < block.size()) {
            break;
        }
    }
    if (std::ferror(file.get()) != 0) {
        return CannotRead(displayName, SystemReason(errno != 0 ? errno : EIO));
    }
    return ReadArticleBytes(bytes, displayName, settings);
}

} // namespace

std::optional<std::string> RefuseBeforeReading(const std::string& path, std::size_t maxBytes)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    const std::string name = ArticleDisplayName(path);
    switch (status.type()) {
    case fs::file_type::regular: {
        const auto size = fs::file_size(path, ec);
        if (!ec && size > maxBytes) {
            return CannotRead(name, TooLarge(maxBytes)).message;
        }
        return std::nullopt;
    }
    case fs::file_type::directory:
        return CannotRead(name, std::make_error_code(std::errc::is_a_directory).message()).message;
    case fs::file_type::fifo: return CannotRead(name, "it is a named pipe, not a file").message;
    case fs::file_type::socket: return CannotRead(name, "it is a socket, not a file").message;
    case fs::file_type::block:
    case fs::file_type::character: return CannotRead(name, "it is a device, not a file").message;
    default: return std::nullopt;
    }
}

namespace {

void ListFolder(const std::filesystem::path& folder, TFolderArticles& found)
{
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator(); it.increment(error)) {
        if (!it->path().filename().string().starts_with('.')) {
            entries.push_back(*it);
        }
    }
    if (error) {
        found.errors.push_back(CannotRead(folder.string(), SystemReason(error.value())).message);
        return;
    }
    std::sort(entries.begin(), entries.end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
        return a.path().filename().native() < b.path().filename().native();
    });
    for (const fs::directory_entry& entry : entries) {
        // An entry that cannot be looked at (in a folder that may be listed
        // but not searched, or past the longest path the system takes) is
        // named like any file that cannot be read, never passed over.
        std::error_code entryError;
        const fs::file_status self = entry.symlink_status(entryError);
        if (entryError) {
            found.errors.push_back(CannotRead(entry.path().string(), SystemReason(entryError.value())).message);
            continue;
        }
        std::error_code ignored;
        if (fs::is_directory(self)) {
            ListFolder(entry.path(), found);
            continue;
        }
        const fs::file_status target = entry.status(ignored);
        if (fs::is_regular_file(target) || (fs::is_symlink(self) && target.type() == fs::file_type::not_found)) {
            found.files.push_back(entry.path().string());
        }
    }
}

} // namespace

TArticleFormat DetectArticleFormat(std::string_view bytes) noexcept
{
    if (bytes.starts_with(kOle2Signature)) {
        return TArticleFormat::WordDocument;
    }
    if (bytes.starts_with(kWordPerfectSignature)) {
        return TArticleFormat::WordPerfect;
    }
    if (IsZipPackage(bytes)) {
        return TArticleFormat::ZipPackage;
    }
    if (IsRichText(bytes)) {
        return TArticleFormat::RichText;
    }
    if (IsPdf(bytes)) {
        return TArticleFormat::Pdf;
    }
    // UTF-16 holds a NUL byte for every ASCII character; its byte order
    // mark vouches for it instead.
    if (StartsWithUtf16Bom(bytes) || LooksLikeText(bytes)) {
        return TArticleFormat::PlainText;
    }
    return TArticleFormat::NotText;
}

bool TakesWordProcessorRoute(std::string_view path) noexcept
{
    constexpr std::string_view kMark = ".doc";
    if (path.size() < kMark.size()) {
        return false;
    }
    for (std::size_t i = 0; i + kMark.size() <= path.size(); ++i) {
        std::size_t k = 0;
        while (k < kMark.size()) {
            char c = path[i + k];
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
            if (c != kMark[k]) {
                break;
            }
            ++k;
        }
        if (k == kMark.size()) {
            return true;
        }
    }
    return false;
}

std::string ArticleDisplayName(std::string_view path)
{
    if (path == kStandardInputPath) {
        return "standard input";
    }
    return std::string(path);
}

base::TResult<TArticleDocument> ReadArticleBytes(std::string_view bytes, std::string_view displayName,
                                           const TReadSettings& settings)
{
    return ReadBytes(bytes, displayName, settings, TWhere::Cage);
}

base::TResult<TArticleDocument> ReadArticleBytesInProcess(std::string_view bytes, std::string_view displayName,
                                                    const TReadSettings& settings)
{
    return ReadBytes(bytes, displayName, settings, TWhere::InProcess);
}

base::TResult<TArticleDocument> ReadFormatInProcess(std::string_view bytes, TArticleFormat format,
                                              const TReadSettings& settings)
{
    return ReadFormat(bytes, format, settings, TWhere::InProcess);
}

base::TResult<TArticleDocument> ReadArticle(const std::string& path, std::istream& in, const TReadSettings& settings)
{
    const std::string displayName = ArticleDisplayName(path);
    if (path == kStandardInputPath) {
        return ReadStream(in, displayName, settings);
    }
    return ReadFile(path, displayName, settings);
}

TFolderArticles ListArticleFiles(const std::string& folder)
{
    TFolderArticles found;
    ListFolder(folder, found);
    return found;
}

base::TResult<TArticleDocument> ReadArticleFile(const std::string& path, const TReadSettings& settings)
{
    return ReadFile(path, path, settings);
}

} // namespace glenvary::io
