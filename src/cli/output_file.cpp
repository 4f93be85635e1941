// SPDX-License-Identifier: MIT
#include "cli/output_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <random>
#include <streambuf>
#include <system_error>
#include <utility>

namespace glenvary::cli {
namespace {

// Tries before giving up on finding a free temporary name; a clash needs
// another writer using the same random suffix, so a few are plenty.
constexpr int kTemporaryNameTries = 16;
// The file's own buffer: big enough that a report of many small pieces
// reaches the disk in few system calls.
constexpr std::size_t kFileBufferSize = std::size_t{1} << 16;

std::string CannotWrite(const std::string& path, const std::string& reason)
{
    return "cannot write " + path + ": " + reason;
}

std::string Reason(int error)
{
    return std::generic_category().message(error != 0 ? error : EIO);
}

std::string TemporaryName(const std::string& path, std::mt19937_64& random)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name = path + ".tmp-";
    std::uint64_t bits = random();
    for (int i = 0; i < 12; ++i) {
        name += kDigits[bits & 0xFU];
        bits >>= 4;
    }
    return name;
}

// Hands a stream's bytes to a C file, which was opened in a way that
// std::ofstream cannot (refusing an existing name), and keeps the first
// error's errno for the message.
class TFileStreamBuf final : public std::streambuf {
public:
    explicit TFileStreamBuf(std::FILE* file) noexcept : file_(file) {}

    [[nodiscard]] int Error() const noexcept { return error_; }

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override
    {
        // An empty piece may come without any bytes at all (a null pointer),
        // which fwrite must not be given.
        if (count <= 0) {
            return 0;
        }
        errno = 0;
        const std::size_t written = std::fwrite(bytes, 1, static_cast<std::size_t>(count), file_);
        if (written != static_cast<std::size_t>(count)) {
            Remember();
        }
        return static_cast<std::streamsize>(written);
    }

    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        errno = 0;
        if (std::fputc(c, file_) == EOF) {
            Remember();
            return traits_type::eof();
        }
        return c;
    }

    int sync() override
    {
        errno = 0;
        if (std::fflush(file_) != 0) {
            Remember();
            return -1;
        }
        return 0;
    }

private:
    void Remember() noexcept
    {
        if (error_ == 0) {
            error_ = errno != 0 ? errno : EIO;
        }
    }

    std::FILE* file_;
    int error_ = 0;
};

// The temporary file until it has been renamed into place: closed and
// removed when the writing ends in any other way, an exception included.
class TTemporaryFile {
public:
    TTemporaryFile(std::string name, std::FILE* file) noexcept : name_(std::move(name)), file_(file) {}
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;
    ~TTemporaryFile()
    {
        Close();
        if (!kept_) {
            std::remove(name_.c_str());
        }
    }

    [[nodiscard]] std::FILE* File() const noexcept { return file_; }
    [[nodiscard]] const std::string& Name() const noexcept { return name_; }

    /// Closes the file; false (with errno set) when that failed.
    bool Close() noexcept
    {
        std::FILE* file = std::exchange(file_, nullptr);
        return file == nullptr || std::fclose(file) == 0;
    }
    void Keep() noexcept { kept_ = true; }

private:
    std::string name_;
    std::FILE* file_;
    bool kept_ = false;
};

} // namespace

std::string WriteFileAtomically(const std::string& path, const TReportWriter& write)
{
    if (std::filesystem::is_directory(path)) {
        return CannotWrite(path, std::make_error_code(std::errc::is_a_directory).message());
    }
    std::random_device device;
    std::mt19937_64 random((std::uint64_t{device()} << 32) ^ device());
    std::string temporary;
    std::FILE* file = nullptr;
    int openError = 0;
    for (int attempt = 0; attempt < kTemporaryNameTries && file == nullptr; ++attempt) {
        temporary = TemporaryName(path, random);
        errno = 0;
        // "x" refuses an existing file, so another file's content is never
        // overwritten through a name clash.
        file = std::fopen(temporary.c_str(), "wbx");
        openError = errno;
        if (file == nullptr && openError != EEXIST) {
            break;
        }
    }
    if (file == nullptr) {
        return CannotWrite(path, Reason(openError));
    }
    TTemporaryFile output(std::move(temporary), file);
    // Large blocks: a report is written in many small pieces.
    std::setvbuf(output.File(), nullptr, _IOFBF, kFileBufferSize);
    TFileStreamBuf buffer(output.File());
    std::ostream stream(&buffer);
    write(stream);
    stream.flush();
    if (!stream) {
        return CannotWrite(path, Reason(buffer.Error()));
    }
    errno = 0;
    if (!output.Close()) {
        return CannotWrite(path, Reason(errno));
    }
    std::error_code ec;
    std::filesystem::rename(output.Name(), path, ec);
    if (ec) {
        return CannotWrite(path, ec.message());
    }
    output.Keep();
    return {};
}

} // namespace glenvary::cli
