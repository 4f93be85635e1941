// SPDX-License-Identifier: MIT
#include "io/office_converter.h"

#include "io/child_process.h"
#include "io/interruption.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace glenvary::io {
namespace {

namespace fs = std::filesystem;

// LibreOffice's settings in its private profile: never update a link when
// a document is loaded (Writer and Calc), never load anything that a
// document links to from a place it does not trust (no place is trusted),
// and run no macro. With them LibreOffice reaches for no address that a
// document names, even where it keeps the network.
constexpr std::string_view kProfileSettings =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="BlockUntrustedRefererLinks" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="MacroSecurityLevel" oor:op="fuse"><value>3</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="DisableMacrosExecution" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Office.Writer/Content/Update"><prop oor:name="Link" oor:op="fuse"><value>2</value></prop></item>
<item oor:path="/org.openoffice.Office.Calc/Content/Update"><prop oor:name="Link" oor:op="fuse"><value>2</value></prop></item>
</oor:items>
)";
// An .odt that LibreOffice wrote from a document this program accepted is
// far smaller than the document's text limit; anything larger is not read.
constexpr std::uintmax_t kMaxConvertedBytes = std::uintmax_t{256} * 1024 * 1024;

// A private folder that is removed with everything in it, also when the
// command line is interrupted.
class TTemporaryFolder {
public:
    TTemporaryFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "glenvary-convert-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::system_error(errno, std::generic_category(), "cannot make a temporary folder");
        }
        path_ = pattern;
        TrackTemporaryPath(path_.string());
    }
    ~TTemporaryFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
        ForgetTemporaryPath(path_.string());
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

// Runs `argv` to its end with standard input from /dev/null and both
// outputs into `log`. LibreOffice's launcher starts the real program as a
// child of its own; the whole group goes when the run ends in any way.
base::TResult<TChildEnd> RunToEnd(const std::vector<std::string>& argv, const fs::path& log,
                            std::chrono::milliseconds timeout, const std::stop_token& stop)
{
    const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (logFd < 0) {
        throw std::system_error(errno, std::generic_category(), "cannot write a temporary file");
    }
    base::TResult<TChildProcess> child = TChildProcess::Start(argv, {-1, logFd, logFd});
    ::close(logFd);
    if (!child) {
        return base::TError{child.Error()};
    }
    return child.Value().Wait(std::chrono::steady_clock::now() + timeout, stop);
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

base::TResult<std::string> ConvertToOpenDocument(std::string_view bytes, std::string_view extension,
                                           std::stop_token stop, const TConverterSettings& settings,
                                           const TCageSettings& cage)
{
    const std::string kind = SafeExtension(extension);
    const std::optional<std::string> program = FindLibreOffice(settings);
    if (!program) {
        return base::TError{"LibreOffice is needed to read ." + kind + " documents"};
    }
    const base::TResult<std::string> reader = FindDocumentReader(cage);
    if (!reader) {
        return base::TError{reader.Error()};
    }
    try {
        const TTemporaryFolder folder;
        const fs::path input = folder.Path() / ("article." + kind);
        const fs::path output = folder.Path() / "out";
        const fs::path profile = folder.Path() / "profile";
        fs::create_directory(output);
        fs::create_directories(profile / "user");
        WriteFile(profile / "user" / "registrymodifications.xcu", kProfileSettings);
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
        const std::vector<std::string> command =
            OfflineCommand(reader.Value(), cage.addressSpace, CpuTimeFor(settings.timeout), argv);
        const base::TResult<TChildEnd> end = RunToEnd(command, folder.Path() / "log.txt", settings.timeout, stop);
        if (!end) {
            return base::TError{end.Error()};
        }
        switch (end.Value().kind) {
        case TChildEnd::TKind::TimedOut: {
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(settings.timeout).count();
            return base::TError{"LibreOffice took longer than " + std::to_string(seconds) + " s and was stopped"};
        }
        case TChildEnd::TKind::Cancelled: return base::TError{"the conversion was cancelled"};
        case TChildEnd::TKind::Exited:
        case TChildEnd::TKind::Signalled: break;
        }
        if (std::optional<std::string> converted = ReadSmallFile(output / "article.odt")) {
            return std::move(*converted);
        }
        return base::TError{"LibreOffice could not read this ." + kind + " document"};
    } catch (const std::system_error& error) {
        return base::TError{std::string(error.what())};
    }
}

} // namespace glenvary::io
