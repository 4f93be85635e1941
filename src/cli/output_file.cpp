// SPDX-License-Identifier: MIT
#include "cli/output_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace glenvary::cli {
namespace {

// Tries before giving up on finding a free temporary name; a clash needs
// another writer using the same random suffix, so a few are plenty.
constexpr int kTemporaryNameTries = 16;

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

} // namespace

std::string WriteFileAtomically(const std::string& path, std::string_view content)
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
    errno = 0;
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size()
        && std::fflush(file) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        std::remove(temporary.c_str());
        return CannotWrite(path, Reason(!written ? writeError : closeError));
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::remove(temporary.c_str());
        return CannotWrite(path, ec.message());
    }
    return {};
}

} // namespace glenvary::cli
