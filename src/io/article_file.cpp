// SPDX-License-Identifier: MIT
#include "io/article_file.h"

#include "io/pdf_reader.h"
#include "io/rtf_reader.h"
#include "io/text_encoding.h"
#include "io/zip_document.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
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

TError CannotRead(std::string_view displayName, std::string_view reason)
{
    std::string message = "cannot read ";
    message.append(displayName);
    message.append(": ");
    message.append(reason);
    return TError{std::move(message)};
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

TResult<TArticleDocument> ReadPlainText(std::string_view bytes)
{
    TArticleDocument document;
    document.text = DecodePlainText(bytes).text;
    return document;
}

TResult<TArticleDocument> ReadConverted(std::string_view bytes, std::string_view extension,
                                        const TReadSettings& settings)
{
    TResult<std::string> converted = ConvertToOpenDocument(bytes, extension, settings.stop, settings.converter);
    if (!converted) {
        return TError{converted.Error()};
    }
    return ReadZipDocument(converted.Value());
}

struct TFileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

TResult<TArticleDocument> ReadStream(std::istream& in, std::string_view displayName, const TReadSettings& settings)
{
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

TResult<TArticleDocument> ReadFile(const std::string& path, std::string_view displayName,
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
        std::error_code ignored;
        const fs::file_status self = entry.symlink_status(ignored);
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

TResult<TArticleDocument> ReadArticleBytes(std::string_view bytes, std::string_view displayName,
                                           const TReadSettings& settings)
{
    TResult<TArticleDocument> read = TError{std::string(kNotADocument)};
    switch (DetectArticleFormat(bytes)) {
    case TArticleFormat::PlainText: read = ReadPlainText(bytes); break;
    case TArticleFormat::RichText: read = ReadRichText(bytes); break;
    case TArticleFormat::ZipPackage: read = ReadZipDocument(bytes); break;
    case TArticleFormat::Pdf: read = ReadPdf(bytes); break;
    case TArticleFormat::WordDocument: read = ReadConverted(bytes, "doc", settings); break;
    case TArticleFormat::WordPerfect: read = ReadConverted(bytes, "wpd", settings); break;
    case TArticleFormat::NotText: break;
    }
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

TResult<TArticleDocument> ReadArticle(const std::string& path, std::istream& in, const TReadSettings& settings)
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

TResult<TArticleDocument> ReadArticleFile(const std::string& path, const TReadSettings& settings)
{
    return ReadFile(path, path, settings);
}

} // namespace glenvary::io
