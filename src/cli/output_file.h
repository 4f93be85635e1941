// SPDX-License-Identifier: MIT
// Glenvary command line: writing a report file all at once or not at all.
#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace glenvary::cli {

/// Produces a report by writing its bytes, as they are made, to the stream
/// it is given. It may throw; a stream that fails is noticed afterwards.
using TReportWriter = std::function<void(std::ostream&)>;

/// Streams what `write` produces into `path` so that the file either keeps
/// what it had (or stays absent) or holds the whole report: the bytes go to
/// a new temporary file in the same folder, which replaces `path` by a
/// rename once `write` has returned and every byte was written. Returns an
/// empty string on success, otherwise one line such as
/// "cannot write out/report.html: No such file or directory". No temporary
/// file is left behind either way, also when `write` throws (the exception
/// then goes on to the caller).
[[nodiscard]] std::string WriteFileAtomically(const std::string& path, const TReportWriter& write);

} // namespace glenvary::cli
