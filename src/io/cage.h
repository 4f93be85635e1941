// SPDX-License-Identifier: MIT
// Glenvary readers: the cage. Documents whose readers are large and
// complex (PDF through poppler, .docx and .odt through libzip and pugixml,
// and whatever LibreOffice converts) are read by a child process of our
// own, glenvary-read, held to limits of time and memory and killed with
// everything it started when it passes one, so that a hostile file can
// neither hang nor exhaust the program that asked for it.
#pragma once

#include "io/article_document.h"
#include "base/result.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace glenvary::io {

/// The longest one document may take to read, by the clock. A long book's
/// PDF or .docx reads in a few seconds; a document that needs half a minute
/// is built to keep a reader busy, and a person waiting for it has given up
/// long before.
inline constexpr std::chrono::seconds kCageWallTime{30};

/// The address space one read may take. A real document takes some tens of
/// megabytes besides the reader's libraries (about 100 MiB of address
/// space with poppler), and the largest package the zip reader takes, 256
/// MiB of parts with their XML tree, fits; a document that needs more is
/// built to exhaust memory. Address space, not resident memory, is what the
/// system can limit. LibreOffice runs within the same limit (it takes
/// about 450 MiB for a small document).
inline constexpr std::uint64_t kCageAddressSpace = std::uint64_t{1} << 30;

/// The document reader's file name, installed beside the PDF module.
inline constexpr const char* kDocumentReaderName = "glenvary-read";

/// Exit status of the document reader when memory ran out (the address
/// space limit), and when it was started wrongly.
inline constexpr int kReaderOutOfMemory = 3;
inline constexpr int kReaderUsage = 2;

/// How documents are read in the cage.
struct TCageSettings {
    /// The document reader to run; empty: glenvary-read where
    /// HelperFileCandidates finds it.
    std::string reader;
    /// The limits, also given to LibreOffice for a conversion (with the
    /// conversion's own time limit instead of `wallTime`).
    std::chrono::milliseconds wallTime = kCageWallTime;
    std::uint64_t addressSpace = kCageAddressSpace;
};

/// The processor time a child may use when it may run for `wallTime`:
/// five sixths of it, at least a second. A child that computes all the time
/// is stopped by the system when it passes this, even if the program that
/// watches it is held up; the wall time stops one that waits.
[[nodiscard]] constexpr std::chrono::seconds CpuTimeFor(std::chrono::milliseconds wallTime)
{
    const auto cpu = std::chrono::duration_cast<std::chrono::seconds>(wallTime * 5 / 6);
    return cpu < std::chrono::seconds{1} ? std::chrono::seconds{1} : cpu;
}

/// The processor time one document may take to read: 25 s, a little under
/// kCageWallTime (see CpuTimeFor).
inline constexpr std::chrono::seconds kCageCpuTime = CpuTimeFor(kCageWallTime);

/// The reason given for a document that passed a limit, naming the limits:
/// "it needs more than 30 s or 1 GiB to read".
[[nodiscard]] std::string LimitReason(const TCageSettings& settings);

/// The document reader that `settings` name, or, as an error, "the document
/// reader (glenvary-read) is not installed beside the program".
[[nodiscard]] base::TResult<std::string> FindDocumentReader(const TCageSettings& settings);

/// What the document reader is asked to read.
enum class TCagedFormat { Pdf, ZipPackage };

/// Reads `bytes` with the reader of `format` (ReadPdf, ReadZipDocument) in
/// the document reader, a child process in a process group of its own with
/// settings.addressSpace of address space and CpuTimeFor(settings.wallTime)
/// of processor time. The group is killed when the read passes
/// settings.wallTime or `stop` is requested. Errors, as reasons without the
/// file's name: the reader's own, LimitReason(settings) for a read that
/// passed a limit, "its text is larger than N MiB" for a text of more than
/// `maxTextUnits` UTF-16 units (refused before it is taken over), "the
/// reading was cancelled", "the reader stopped on a fault in this file
/// (is it damaged?)" for a reader that crashed, and FindDocumentReader's.
/// Cost: a process start (a few milliseconds) on top of the read.
[[nodiscard]] base::TResult<TArticleDocument> ReadInCage(std::string_view bytes, TCagedFormat format,
                                                   const TCageSettings& settings, std::size_t maxTextUnits,
                                                   const std::stop_token& stop = {});

/// The command that runs `argv` (a program's path and its arguments) in the
/// document reader `reader`: the program gets `addressSpace` and `cpuTime`
/// as its limits and, where the system allows, a network of its own with
/// nothing in it, so that it can reach no other machine and no server of
/// this one.
[[nodiscard]] std::vector<std::string> OfflineCommand(const std::string& reader, std::uint64_t addressSpace,
                                                      std::chrono::seconds cpuTime,
                                                      const std::vector<std::string>& argv);

/// The document reader program itself (glenvary-read, src/app), called with
/// its arguments:
///   glenvary-read --memory BYTES --cpu SECONDS read pdf|zip
///     reads a document from standard input in this process and writes the
///     outcome to standard output as WriteReadOutcome does;
///   glenvary-read --memory BYTES --cpu SECONDS --offline run PROGRAM ARG...
///     runs PROGRAM in place of itself, without the network where the
///     system allows.
/// The limits are applied first (none on address space in a build with
/// AddressSanitizer, which reserves terabytes of it), and the reader dies
/// with the thread that started it. A reader that aborts or crashes after
/// memory was refused (NoteMemoryRanOut) exits with kReaderOutOfMemory. Returns the exit status:
/// 0, kReaderOutOfMemory, or kReaderUsage; `run` returns only when the
/// program could not be started (127).
int RunDocumentReader(int argc, char** argv);

/// Called by the document reader's allocation functions when the system
/// refuses memory: a reader that then aborts or crashes exits with
/// kReaderOutOfMemory instead. Safe in a signal handler and an allocator.
void NoteMemoryRanOut() noexcept;

} // namespace glenvary::io
