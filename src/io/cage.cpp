// SPDX-License-Identifier: MIT
#include "base/sanitizers.h"
#include "io/cage.h"

#include "io/article_file.h"
#include "io/child_process.h"
#include "io/document_wire.h"
#include "io/helper_files.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <exception>
#include <fstream>
#include <new>
#include <optional>
#include <system_error>
#include <utility>


namespace glenvary::io {
namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1024} * 1024;
constexpr std::uint64_t kGiB = kMiB * 1024;
// How often a read that sends nothing is looked at for a stop request.
constexpr int kPollMilliseconds = 25;
// Standard input is read this much at a time by the document reader.
constexpr std::size_t kInputBlock = std::size_t{1} << 20;
constexpr int kCannotRun = 127;

constexpr std::string_view kFault = "the reader stopped on a fault in this file (is it damaged?)";
constexpr std::string_view kCancelled = "the reading was cancelled";

std::string SizeText(std::uint64_t bytes)
{
    if (bytes % kGiB == 0) {
        return std::to_string(bytes / kGiB) + " GiB";
    }
    if (bytes % kMiB == 0) {
        return std::to_string(bytes / kMiB) + " MiB";
    }
    return std::to_string(bytes) + " bytes";
}

class TDescriptor {
public:
    explicit TDescriptor(int fd = -1) noexcept : fd_(fd) {}
    ~TDescriptor() { Close(); }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;

    [[nodiscard]] int Get() const noexcept { return fd_; }
    [[nodiscard]] int Release() noexcept { return std::exchange(fd_, -1); }
    void Close() noexcept
    {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

private:
    int fd_;
};

std::string SystemError(std::string_view what, int error)
{
    return std::string(what) + ": " + std::generic_category().message(error);
}

// The document's bytes as a file in memory, for the reader's standard
// input: the reader takes them at its own pace and this program never
// waits on a pipe that the reader stopped reading.
base::TResult<int> BytesAsInput(std::string_view bytes)
{
    constexpr std::string_view kCannotHand = "cannot hand the document to its reader";
    TDescriptor file(::memfd_create("glenvary-document", MFD_CLOEXEC));
    if (file.Get() < 0) {
        return base::TError{SystemError(kCannotHand, errno)};
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(file.Get(), bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return base::TError{SystemError(kCannotHand, written < 0 ? errno : EIO)};
        }
        done += static_cast<std::size_t>(written);
    }
    if (::lseek(file.Get(), 0, SEEK_SET) != 0) {
        return base::TError{SystemError(kCannotHand, errno)};
    }
    return file.Release();
}

// Why taking the reader's output stopped short.
enum class TFillEnd { Filled, Ended, Late, Stopped, Failed };

// Fills buffers from the reader's output until the deadline or a stop.
class TOutputReader {
public:
    TOutputReader(int fd, std::chrono::steady_clock::time_point deadline, const std::stop_token& stop)
        : fd_(fd), deadline_(deadline), stop_(stop)
    {
    }

    bool Fill(void* into, std::size_t size)
    {
        auto* at = static_cast<char*>(into);
        while (size > 0) {
            if (stop_.stop_requested()) {
                end_ = TFillEnd::Stopped;
                return false;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline_ - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                end_ = TFillEnd::Late;
                return false;
            }
            pollfd watch{fd_, POLLIN, 0};
            const int ready = ::poll(&watch, 1, static_cast<int>(std::min<long long>(left.count(), kPollMilliseconds)));
            if (ready < 0 && errno != EINTR) {
                end_ = TFillEnd::Failed;
                return false;
            }
            if (ready <= 0) {
                continue;
            }
            const ssize_t got = ::read(fd_, at, size);
            if (got < 0) {
                if (errno == EINTR || errno == EAGAIN) {
                    continue;
                }
                end_ = TFillEnd::Failed;
                return false;
            }
            if (got == 0) {
                end_ = TFillEnd::Ended;
                return false;
            }
            at += got;
            size -= static_cast<std::size_t>(got);
        }
        return true;
    }

    [[nodiscard]] TFillEnd End() const noexcept { return end_; }

private:
    int fd_;
    std::chrono::steady_clock::time_point deadline_;
    const std::stop_token& stop_;
    TFillEnd end_ = TFillEnd::Filled;
};

// The document reader's side.

// Set once the system refused memory to the document reader.
volatile std::sig_atomic_t gMemoryRanOut = 0;

// A reader that ends on abort() or a crash after memory was refused ran
// into its address space limit.
extern "C" void EndOnFault(int signal)
{
    if (gMemoryRanOut != 0) {
        ::_exit(kReaderOutOfMemory);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Lowers the limit `resource` to `soft` (and its hard limit a little
// above); a limit that is already lower stays.
bool Lower(int resource, rlim_t soft, rlim_t hard)
{
    rlimit now{};
    if (::getrlimit(resource, &now) != 0) {
        return false;
    }
    const rlimit lowered{std::min(soft, now.rlim_max), std::min(hard, now.rlim_max)};
    return ::setrlimit(resource, &lowered) == 0;
}

// The limits are set before anything of the document is looked at. The
// hard processor limit a second above the soft one kills a reader that
// handles SIGXCPU (poppler and LibreOffice do not, but a library might).
// A core dump of a reader that a limit stopped helps nobody and fills the
// disk.
bool ApplyLimits(std::uint64_t addressSpace, std::uint64_t cpuSeconds)
{
    bool applied = Lower(RLIMIT_CPU, cpuSeconds, cpuSeconds + 1) && Lower(RLIMIT_CORE, 0, 0);
#if defined(GLENVARY_SANITIZED_ALLOCATOR)
    static_cast<void>(addressSpace);
#else
    applied = applied && Lower(RLIMIT_AS, addressSpace, addressSpace);
#endif
    return applied;
}

void WriteFile(const char* path, std::string_view text)
{
    std::ofstream out(path);
    out << text;
}

// A network of its own with nothing in it (not even a working loopback).
// Creating one takes privilege; an unprivileged program may still make one
// inside a user namespace of its own, where it keeps its user and group.
// Where neither is allowed (a container that forbids namespaces), the
// program runs as it is: LibreOffice's own settings keep it off the
// network then.
void LeaveTheNetwork()
{
    if (::unshare(CLONE_NEWNET) == 0) {
        return;
    }
    const uid_t user = ::getuid();
    const gid_t group = ::getgid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) {
        return;
    }
    WriteFile("/proc/self/setgroups", "deny");
    WriteFile("/proc/self/uid_map", std::to_string(user) + " " + std::to_string(user) + " 1");
    WriteFile("/proc/self/gid_map", std::to_string(group) + " " + std::to_string(group) + " 1");
}

std::optional<std::uint64_t> Number(std::string_view text)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

int ReadStandardInput(TArticleFormat format)
{
    std::string bytes;
    std::string block(kInputBlock, '\0');
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, block.data(), block.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        bytes.append(block.data(), static_cast<std::size_t>(got));
    }
    block = std::string();
    const base::TResult<TArticleDocument> read = ReadFormatInProcess(bytes, format);
    bytes = std::string();
    // A reader that was refused memory may have given up on the document
    // for that reason and called it damaged.
    if (gMemoryRanOut != 0) {
        return kReaderOutOfMemory;
    }
    return WriteReadOutcome(STDOUT_FILENO, read) ? 0 : kReaderUsage;
}

} // namespace

std::string LimitReason(const TCageSettings& settings)
{
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(settings.wallTime).count();
    return "it needs more than " + std::to_string(seconds) + " s or " + SizeText(settings.addressSpace) + " to read";
}

base::TResult<std::string> FindDocumentReader(const TCageSettings& settings)
{
    if (!settings.reader.empty()) {
        return settings.reader;
    }
    for (const std::filesystem::path& candidate : HelperFileCandidates(kDocumentReaderName)) {
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return base::TError{"the document reader (" + std::string(kDocumentReaderName) + ") is not installed beside the program"};
}

std::vector<std::string> OfflineCommand(const std::string& reader, std::uint64_t addressSpace,
                                        std::chrono::seconds cpuTime, const std::vector<std::string>& argv)
{
    std::vector<std::string> command{reader,    "--memory", std::to_string(addressSpace),
                                     "--cpu",   std::to_string(cpuTime.count()),
                                     "--offline", "run"};
    command.insert(command.end(), argv.begin(), argv.end());
    return command;
}

base::TResult<TArticleDocument> ReadInCage(std::string_view bytes, TCagedFormat format, const TCageSettings& settings,
                                     std::size_t maxTextUnits, const std::stop_token& stop)
{
    base::TResult<std::string> reader = FindDocumentReader(settings);
    if (!reader) {
        return base::TError{reader.Error()};
    }
    base::TResult<int> input = BytesAsInput(bytes);
    if (!input) {
        return base::TError{input.Error()};
    }
    const TDescriptor inputFd(input.Value());
    std::array<int, 2> pipe{};
    if (::pipe2(pipe.data(), O_CLOEXEC) != 0) {
        return base::TError{SystemError("cannot start the document reader", errno)};
    }
    TDescriptor output(pipe[0]);
    TDescriptor childEnd(pipe[1]);
    const std::vector<std::string> argv{
        reader.Value(), "--memory", std::to_string(settings.addressSpace),
        "--cpu", std::to_string(CpuTimeFor(settings.wallTime).count()),
        "read", format == TCagedFormat::Pdf ? "pdf" : "zip"};
    base::TResult<TChildProcess> started = TChildProcess::Start(argv, {inputFd.Get(), childEnd.Get(), -1});
    if (!started) {
        return base::TError{started.Error()};
    }
    TChildProcess child = std::move(started).Value();
    // The reader's output ends when the reader does: this program keeps no
    // writing end of its own.
    childEnd.Close();

    const auto deadline = std::chrono::steady_clock::now() + settings.wallTime;
    TOutputReader source(output.Get(), deadline, stop);
    std::optional<base::TResult<TArticleDocument>> outcome = ReadReadOutcome(
        [&source](void* into, std::size_t size) { return source.Fill(into, size); }, {maxTextUnits});
    if (outcome) {
        // Whole, or refused for its size: the reader has nothing more to
        // say, and is killed if it has not ended yet.
        return std::move(*outcome);
    }
    output.Close();
    switch (source.End()) {
    case TFillEnd::Late: return base::TError{LimitReason(settings)};
    case TFillEnd::Stopped: return base::TError{std::string(kCancelled)};
    case TFillEnd::Filled:
    case TFillEnd::Ended:
    case TFillEnd::Failed: break;
    }
    const TChildEnd end = child.Wait(deadline, stop);
    switch (end.kind) {
    case TChildEnd::TKind::TimedOut: return base::TError{LimitReason(settings)};
    case TChildEnd::TKind::Cancelled: return base::TError{std::string(kCancelled)};
    case TChildEnd::TKind::Signalled:
        // SIGXCPU and SIGKILL are the processor limit's signals (SIGKILL
        // also the system's when memory runs out).
        if (end.code == SIGXCPU || end.code == SIGKILL) {
            return base::TError{LimitReason(settings)};
        }
        break;
    case TChildEnd::TKind::Exited:
        if (end.code == kReaderOutOfMemory) {
            return base::TError{LimitReason(settings)};
        }
        break;
    }
    return base::TError{std::string(kFault)};
}

void NoteMemoryRanOut() noexcept
{
    gMemoryRanOut = 1;
}

int RunDocumentReader(int argc, char** argv)
{
    std::optional<std::uint64_t> memory;
    std::optional<std::uint64_t> cpu;
    bool offline = false;
    int at = 1;
    while (at < argc && std::string_view(argv[at]).starts_with("--")) {
        const std::string_view option = argv[at];
        if (option == "--offline") {
            offline = true;
            ++at;
            continue;
        }
        if (at + 1 >= argc) {
            break;
        }
        if (option == "--memory") {
            memory = Number(argv[at + 1]);
        } else if (option == "--cpu") {
            cpu = Number(argv[at + 1]);
        } else {
            break;
        }
        at += 2;
    }
    if (!memory || !cpu || at >= argc) {
        std::fputs("usage: glenvary-read --memory BYTES --cpu SECONDS [--offline] read pdf|zip | run PROGRAM ARG...\n",
                   stderr);
        return kReaderUsage;
    }
    // Ends with the thread that started it: a program that dies, whatever
    // way, leaves no reader behind.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (!ApplyLimits(*memory, *cpu)) {
        std::perror("glenvary-read: cannot limit itself");
        return kReaderUsage;
    }
    if (offline) {
        LeaveTheNetwork();
    }
    for (const int fault : {SIGABRT, SIGSEGV, SIGBUS}) {
        std::signal(fault, EndOnFault);
    }
    const std::string_view command = argv[at];
    if (command == "run" && at + 1 < argc) {
        ::execv(argv[at + 1], argv + at + 1);
        std::perror("glenvary-read: cannot run the program");
        return kCannotRun;
    }
    if (command != "read" || at + 2 != argc) {
        return kReaderUsage;
    }
    const std::string_view format = argv[at + 1];
    if (format != "pdf" && format != "zip") {
        return kReaderUsage;
    }
    try {
        return ReadStandardInput(format == "pdf" ? TArticleFormat::Pdf : TArticleFormat::ZipPackage);
    } catch (const std::bad_alloc&) {
        return kReaderOutOfMemory;
    }
}

} // namespace glenvary::io
