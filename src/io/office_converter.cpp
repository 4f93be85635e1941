// SPDX-License-Identifier: MIT
#include "io/office_converter.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>
#include <vector>

extern char** environ; // NOLINT(readability-redundant-declaration): POSIX declares it nowhere else

namespace glenvary::io {
namespace {

namespace fs = std::filesystem;

// How often a running conversion is looked at: short against the seconds a
// conversion takes, long enough to cost nothing.
constexpr std::chrono::milliseconds kPollInterval{25};
// An .odt that LibreOffice wrote from a document this program accepted is
// far smaller than the document's text limit; anything larger is not read.
constexpr std::uintmax_t kMaxConvertedBytes = std::uintmax_t{256} * 1024 * 1024;

// A private folder that is removed with everything in it.
class TTemporaryFolder {
public:
    TTemporaryFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "glenvary-convert-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::system_error(errno, std::generic_category(), "cannot make a temporary folder");
        }
        path_ = pattern;
    }
    ~TTemporaryFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TTemporaryFolder(const TTemporaryFolder&) = delete;
    TTemporaryFolder& operator=(const TTemporaryFolder&) = delete;

    [[nodiscard]] const fs::path& Path() const noexcept { return path_; }

private:
    fs::path path_;
};

std::optional<std::string> FindOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (folder.empty()) {
            continue;
        }
        const fs::path candidate = fs::path(folder) / name;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return std::nullopt;
}

// A file: URL for LibreOffice's -env:UserInstallation, which takes a URL,
// not a path: every byte outside the unreserved set is percent-encoded.
std::string FileUrl(const fs::path& path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : path.string()) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')
            || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            url.push_back(c);
        } else {
            url.push_back('%');
            url.push_back(kHex[byte >> 4]);
            url.push_back(kHex[byte & 0xF]);
        }
    }
    return url;
}

std::string SafeExtension(std::string_view extension)
{
    std::string safe;
    for (const char c : extension) {
        if (((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) && safe.size() < 8) {
            safe.push_back(c);
        }
    }
    return safe.empty() ? std::string("doc") : safe;
}

void WriteFile(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::system_error(std::make_error_code(std::errc::io_error), "cannot write a temporary file");
    }
}

std::optional<std::string> ReadSmallFile(const fs::path& path)
{
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxConvertedBytes) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

// The outcome of running the child to its end.
enum class TRunEnd { Exited, TimedOut, Cancelled };

// Runs `argv` as a process group of its own, standard input from /dev/null
// and both outputs into `log`, and waits for it. LibreOffice's launcher
// starts the real program as a child of its own, so a stop kills the whole
// group, not just the launcher.
TRunEnd RunToEnd(const std::vector<std::string>& argv, const fs::path& log, std::chrono::milliseconds timeout,
                 const std::stop_token& stop)
{
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);

    pid_t child = 0;
    const int failed = ::posix_spawn(&child, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) {
        throw std::system_error(failed, std::generic_category(), "cannot start LibreOffice");
    }

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR)) {
            // The launcher is gone; anything it left behind in its group
            // would hold the profile folder that is about to be removed.
            ::kill(-child, SIGKILL);
            return TRunEnd::Exited;
        }
        const bool late = std::chrono::steady_clock::now() >= deadline;
        if (late || stop.stop_requested()) {
            ::kill(-child, SIGKILL);
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return late ? TRunEnd::TimedOut : TRunEnd::Cancelled;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

} // namespace

std::optional<std::string> FindLibreOffice(const TConverterSettings& settings)
{
    if (!settings.program.empty()) {
        if (settings.program.find('/') != std::string::npos) {
            return ::access(settings.program.c_str(), X_OK) == 0 ? std::optional(settings.program) : std::nullopt;
        }
        return FindOnPath(settings.program);
    }
    for (const char* name : {"soffice", "libreoffice"}) {
        if (std::optional<std::string> found = FindOnPath(name)) {
            return found;
        }
    }
    return std::nullopt;
}

TResult<std::string> ConvertToOpenDocument(std::string_view bytes, std::string_view extension,
                                           std::stop_token stop, const TConverterSettings& settings)
{
    const std::string kind = SafeExtension(extension);
    const std::optional<std::string> program = FindLibreOffice(settings);
    if (!program) {
        return TError{"LibreOffice is needed to read ." + kind + " documents"};
    }
    try {
        const TTemporaryFolder folder;
        const fs::path input = folder.Path() / ("article." + kind);
        const fs::path output = folder.Path() / "out";
        const fs::path profile = folder.Path() / "profile";
        fs::create_directory(output);
        WriteFile(input, bytes);
        const std::vector<std::string> argv{
            *program,
            "-env:UserInstallation=" + FileUrl(profile),
            "--headless",
            "--invisible",
            "--nologo",
            "--norestore",
            "--nolockcheck",
            "--nodefault",
            "--convert-to",
            "odt",
            "--outdir",
            output.string(),
            input.string(),
        };
        switch (RunToEnd(argv, folder.Path() / "log.txt", settings.timeout, stop)) {
        case TRunEnd::TimedOut: {
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(settings.timeout).count();
            return TError{"LibreOffice took longer than " + std::to_string(seconds) + " s and was stopped"};
        }
        case TRunEnd::Cancelled: return TError{"the conversion was cancelled"};
        case TRunEnd::Exited: break;
        }
        if (std::optional<std::string> converted = ReadSmallFile(output / "article.odt")) {
            return std::move(*converted);
        }
        return TError{"LibreOffice could not read this ." + kind + " document"};
    } catch (const std::system_error& error) {
        return TError{std::string(error.what())};
    }
}

} // namespace glenvary::io
