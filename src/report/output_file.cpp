// SPDX-License-Identifier: MIT
#include "report/output_file.h"

#include "io/interruption.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>
#include <random>
#include <streambuf>
#include <system_error>
#include <utility>
#include <vector>

namespace glenvary::report {
namespace {

// Tries before giving up on finding a free temporary name; a clash needs
// another writer drawing the same six characters, so a few are plenty.
constexpr int kTemporaryNameTries = 16;
// A short name that fits beside any legal name in any folder, and that
// file managers and listings (ours included) pass over as hidden.
constexpr std::string_view kTemporaryPrefix = ".glenvary-";
constexpr int kTemporaryNameLetters = 6;
// The file's own buffer: big enough that a report of many small pieces
// reaches the disk in few system calls.
constexpr std::size_t kFileBufferSize = std::size_t{1} << 16;
// Symbolic links followed before a path counts as a loop: the system's own
// limit (MAXSYMLINKS).
constexpr int kMaxLinkHops = 40;

base::TError CannotWrite(const std::string& path, const std::string& reason)
{
    return base::TError{"cannot write " + path + ": " + reason};
}

std::string Reason(int error)
{
    return std::generic_category().message(error != 0 ? error : EIO);
}

// Hands a stream's bytes to a file descriptor through a buffer of its own,
// and keeps the first error's errno for the message.
class TDescriptorStreamBuf final : public std::streambuf {
public:
    explicit TDescriptorStreamBuf(int fd) : fd_(fd), buffer_(kFileBufferSize)
    {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }

    [[nodiscard]] int Error() const noexcept { return error_; }

protected:
    int_type overflow(int_type c) override
    {
        if (!Drain()) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override { return Drain() ? 0 : -1; }

private:
    bool Drain()
    {
        const char* at = pbase();
        std::size_t left = static_cast<std::size_t>(pptr() - pbase());
        while (left > 0 && error_ == 0) {
            const ssize_t written = ::write(fd_, at, left);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                error_ = written < 0 && errno != 0 ? errno : EIO;
                break;
            }
            at += written;
            left -= static_cast<std::size_t>(written);
        }
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return error_ == 0;
    }

    int fd_;
    std::vector<char> buffer_;
    int error_ = 0;
};

// Streams what `write` produces into the open descriptor `fd`, which it
// closes. An error, if any, as a reason.
std::optional<std::string> StreamInto(int fd, const TReportWriter& write)
{
    struct TCloser {
        int fd;
        ~TCloser()
        {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    } closer{fd};
    TDescriptorStreamBuf buffer(fd);
    std::ostream stream(&buffer);
    write(stream);
    stream.flush();
    if (!stream) {
        return Reason(buffer.Error());
    }
    if (::close(std::exchange(closer.fd, -1)) != 0 && errno != EINTR) {
        return Reason(errno);
    }
    return std::nullopt;
}

// The temporary file until it has been renamed into place: removed when the
// writing ends in any other way, an exception or an interruption included.
class TTemporaryFile {
public:
    explicit TTemporaryFile(std::string name) : name_(std::move(name)) { io::TrackTemporaryPath(name_); }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;
    ~TTemporaryFile()
    {
        if (!kept_) {
            ::unlink(name_.c_str());
        }
        io::ForgetTemporaryPath(name_);
    }

    [[nodiscard]] const std::string& Name() const noexcept { return name_; }
    void Keep() noexcept { kept_ = true; }

private:
    std::string name_;
    bool kept_ = false;
};

// The final target of `path`: its symbolic links followed, a relative one
// from the folder of the link. A link to nothing gives the path it names.
base::TResult<std::string> FinalTarget(const std::string& path)
{
    namespace fs = std::filesystem;
    fs::path target = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return target.string();
        }
        std::error_code error;
        const fs::path link = fs::read_symlink(target, error);
        if (error) {
            return base::TError{error.message()};
        }
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return base::TError{Reason(ELOOP)};
}

std::string TemporaryName(const std::string& folder, std::mt19937_64& random)
{
    static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string name = folder;
    name.append(kTemporaryPrefix);
    for (int i = 0; i < kTemporaryNameLetters; ++i) {
        name.push_back(kLetters[random() % kLetters.size()]);
    }
    return name;
}

// Writes the report over the regular file (or into the new name) `target`
// through a temporary file beside it, or in place when only the folder
// refuses to be written. `existing` describes the file that is there.
base::TStatus Replace(const std::string& path, const std::string& target, const std::optional<struct stat>& existing,
                    const TReportWriter& write)
{
    const std::string folderName = std::filesystem::path(target).parent_path().string();
    const std::string folder = folderName.empty() ? std::string() : folderName + "/";
    // The permissions the file has, or those a new file gets (the umask
    // takes its share of them, as for any new file).
    const mode_t mode = existing ? (existing->st_mode & 0666) : 0666;
    std::random_device device;
    std::mt19937_64 random((std::uint64_t{device()} << 32) ^ device());
    std::string temporary;
    int fd = -1;
    int openError = 0;
    for (int attempt = 0; attempt < kTemporaryNameTries && fd < 0; ++attempt) {
        temporary = TemporaryName(folder, random);
        // O_EXCL refuses an existing name, so another file's content is
        // never overwritten through a clash.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        openError = errno;
        if (fd < 0 && openError != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        const bool folderRefuses = openError == EACCES || openError == EPERM || openError == EROFS;
        if (existing && folderRefuses) {
            const int inPlace = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
            if (inPlace < 0) {
                return CannotWrite(path, Reason(errno));
            }
            if (std::optional<std::string> failed = StreamInto(inPlace, write)) {
                return CannotWrite(path, *failed);
            }
            return base::Done();
        }
        return CannotWrite(path, Reason(openError));
    }
    TTemporaryFile file(std::move(temporary));
    if (existing) {
        // The owner first: a change of owner clears the set-user-ID bits
        // that the change of mode then puts back. Only root may give a file
        // away; anyone may keep the group when they belong to it.
        if (::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
            static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), existing->st_gid));
        }
        ::fchmod(fd, existing->st_mode & 07777);
    }
    if (std::optional<std::string> failed = StreamInto(fd, write)) {
        return CannotWrite(path, *failed);
    }
    if (::rename(file.Name().c_str(), target.c_str()) != 0) {
        return CannotWrite(path, Reason(errno));
    }
    file.Keep();
    return base::Done();
}

} // namespace

base::TStatus WriteFileAtomically(const std::string& path, const TReportWriter& write)
{
    // What the path is, its links followed by the system (which also knows
    // the links of /proc that name open files and pipes).
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return CannotWrite(path, Reason(errno));
        }
        // A new file, or a link to a file yet to be made.
        const base::TResult<std::string> target = FinalTarget(path);
        if (!target) {
            return CannotWrite(path, target.Error());
        }
        return Replace(path, target.Value(), std::nullopt, write);
    }
    if (S_ISREG(info.st_mode)) {
        const base::TResult<std::string> target = FinalTarget(path);
        if (!target) {
            return CannotWrite(path, target.Error());
        }
        return Replace(path, target.Value(), info, write);
    }
    if (S_ISDIR(info.st_mode)) {
        return CannotWrite(path, Reason(EISDIR));
    }
    if (S_ISBLK(info.st_mode)) {
        return CannotWrite(path, "it is a block device, not a file");
    }
    if (!S_ISCHR(info.st_mode) && !S_ISFIFO(info.st_mode)) {
        return CannotWrite(path, "it is neither a file, a pipe nor a terminal");
    }
    // A terminal, a pipe or a device such as /dev/null takes the bytes as
    // they come; there is nothing to replace.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return CannotWrite(path, Reason(errno));
    }
    if (std::optional<std::string> failed = StreamInto(fd, write)) {
        return CannotWrite(path, *failed);
    }
    return base::Done();
}

} // namespace glenvary::report
