// SPDX-License-Identifier: MIT
// Glenvary readers: a read's outcome as bytes, the form in which the
// document reader (a child process) hands it to the program.
#pragma once

#include "io/article_document.h"
#include "base/result.h"

#include <cstddef>
#include <functional>
#include <optional>

namespace glenvary::io {

/// Writes `read` to the file descriptor `fd`: a 4-byte mark, then either an
/// error (its length as 4 bytes, then its UTF-8 text) or a document (the
/// number of UTF-16 units and of runs as 8 bytes each, the text, then 17
/// bytes a run: start, length, style bits, text and back colour). Numbers
/// are in the machine's own byte order: both ends are built together and
/// run on one machine. False when the descriptor could not take it all.
[[nodiscard]] bool WriteReadOutcome(int fd, const base::TResult<TArticleDocument>& read);

/// Fills `size` bytes at `into`, or says it could not.
using TFillBytes = std::function<bool(void* into, std::size_t size)>;

/// What a read's outcome may hold, checked before anything is made room for.
struct TWireLimits {
    std::size_t maxTextUnits = 0;
};

/// The outcome of a read as WriteReadOutcome wrote it, taken from `fill`.
/// Empty when the bytes broke off, do not have the form, hold a document
/// whose runs break TArticleDocument's promises, or an error longer than a
/// line. A document of more than limits.maxTextUnits units is an error,
/// "its text is larger than N MiB", before its text is read.
[[nodiscard]] std::optional<base::TResult<TArticleDocument>> ReadReadOutcome(const TFillBytes& fill,
                                                                       const TWireLimits& limits);

} // namespace glenvary::io
