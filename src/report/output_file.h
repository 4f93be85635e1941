// SPDX-License-Identifier: MIT
// Glenvary reports: writing a report file all at once or not at all.
#pragma once

#include "base/result.h"

#include <functional>
#include <ostream>
#include <string>

namespace glenvary::report {

/// Produces a report by writing its bytes, as they are made, to the stream
/// it is given. It may throw; a stream that fails is noticed afterwards.
using TReportWriter = std::function<void(std::ostream&)>;

/// Streams what `write` produces into `path`, as fits what the path is:
/// - a regular file, or a name that is not there yet: the bytes go to a new
///   temporary file with a short name (".glenvary-" and six characters) in
///   the same folder, which replaces the file by a rename once `write` has
///   returned and every byte was written, so that the file either keeps
///   what it had (or stays absent) or holds the whole report. A symbolic
///   link is followed to its final target, which is replaced and the link
///   kept; the file keeps its permissions and, where the system allows,
///   its owner and group;
/// - a regular file that can be written in a folder that cannot: the file
///   is written in place (a failure then leaves it partly written);
/// - a terminal, a pipe or another character device (/dev/stdout,
///   /dev/null): written directly;
/// - anything else (a folder, a block device, a socket) is refused.
/// An interruption of the command line removes the temporary file
/// (io/interruption.h). No temporary file is left behind either way, also
/// when `write` throws (the exception then goes on to the caller).
/// Errors are one line: "cannot write PATH: REASON", such as "No such file
/// or directory", "Is a directory", or "it is a block device, not a file".
[[nodiscard]] base::TStatus WriteFileAtomically(const std::string& path, const TReportWriter& write);

} // namespace glenvary::report
