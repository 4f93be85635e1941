// SPDX-License-Identifier: MIT
#include "cli/article_reader.h"

#include "cli/text_encoding.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace glenvary::cli {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kMiB = std::size_t{1024} * 1024;
constexpr std::size_t kReadBlock = std::size_t{64} * 1024;

std::string CannotRead(std::string_view displayName, std::string_view reason)
{
    std::string message = "cannot read ";
    message.append(displayName);
    message.append(": ");
    message.append(reason);
    return message;
}

std::string TooLarge(std::size_t maxBytes)
{
    if (maxBytes % kMiB == 0) {
        return "larger than " + std::to_string(maxBytes / kMiB) + " MiB";
    }
    return "larger than " + std::to_string(maxBytes) + " bytes";
}

TArticleRead Failed(std::string_view displayName, std::string_view reason)
{
    TArticleRead result;
    result.error = CannotRead(displayName, reason);
    return result;
}

std::string SystemReason(int error)
{
    return std::generic_category().message(error);
}

struct TFileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

TArticleRead ReadStream(std::istream& in, std::string_view displayName, std::size_t maxBytes)
{
    std::string bytes;
    std::array<char, kReadBlock> block{};
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (bytes.size() + got > maxBytes) {
            return Failed(displayName, TooLarge(maxBytes));
        }
        bytes.append(block.data(), got);
    }
    if (in.bad()) {
        return Failed(displayName, std::make_error_code(std::errc::io_error).message());
    }
    return DecodeArticle(bytes, displayName);
}

TArticleRead ReadFile(const std::string& path, std::string_view displayName, std::size_t maxBytes)
{
    std::error_code ec;
    const std::filesystem::path fsPath(path);
    // fopen accepts a directory on some systems and only the first read
    // fails; saying so up front gives the usual reason.
    if (std::filesystem::is_directory(fsPath, ec)) {
        return Failed(displayName, std::make_error_code(std::errc::is_a_directory).message());
    }
    errno = 0;
    std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return Failed(displayName, SystemReason(errno != 0 ? errno : EIO));
    }
    // A regular file's size is known before reading, so an oversized one
    // fails at once instead of after hundreds of megabytes were read.
    if (std::filesystem::is_regular_file(fsPath, ec)) {
        const auto size = std::filesystem::file_size(fsPath, ec);
        if (!ec && size > maxBytes) {
            return Failed(displayName, TooLarge(maxBytes));
        }
    }
    std::string bytes;
    std::array<char, kReadBlock> block{};
    for (;;) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), file.get());
        // A file that grows while it is read, or a device, is held to the
        // limit as well.
        if (bytes.size() + got > maxBytes) {
            return Failed(displayName, TooLarge(maxBytes));
        }
        bytes.append(block.data(), got);
        if (got < block.size()) {
            break;
        }
    }
    if (std::ferror(file.get()) != 0) {
        return Failed(displayName, SystemReason(errno != 0 ? errno : EIO));
    }
    return DecodeArticle(bytes, displayName);
}

} // namespace

std::string ArticleDisplayName(std::string_view path)
{
    if (path == kStandardInputPath) {
        return "standard input";
    }
    return std::string(path);
}

TArticleRead DecodeArticle(std::string_view bytes, std::string_view displayName)
{
    std::size_t skipped = 0;
    if (bytes.starts_with(kByteOrderMark)) {
        skipped = kByteOrderMark.size();
        bytes.remove_prefix(skipped);
    }
    TUtf8Decoded decoded = DecodeUtf8(bytes);
    if (!decoded.valid) {
        return Failed(displayName,
                      "not valid UTF-8 text (byte offset " + std::to_string(decoded.badOffset + skipped) + ")");
    }
    // Only a CR directly followed by an LF goes; a lone CR is a line break
    // of its own for the segmentation and stays.
    std::u16string& text = decoded.text;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            continue;
        }
        text[kept++] = text[i];
    }
    text.resize(kept);
    TArticleRead result;
    result.text = std::move(text);
    return result;
}

TArticleRead ReadArticle(const std::string& path, std::istream& in, std::size_t maxBytes)
{
    const std::string displayName = ArticleDisplayName(path);
    if (path == kStandardInputPath) {
        return ReadStream(in, displayName, maxBytes);
    }
    return ReadFile(path, displayName, maxBytes);
}

} // namespace glenvary::cli
