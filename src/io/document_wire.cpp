// SPDX-License-Identifier: MIT
#include "io/document_wire.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace glenvary::io {
namespace {

constexpr std::string_view kMark = "GVR1";
constexpr char kDocument = 'D';
constexpr char kError = 'E';
// A reason is one line; anything longer is not what a reader writes.
constexpr std::uint32_t kMaxErrorBytes = 4096;
constexpr std::size_t kMiB = std::size_t{1024} * 1024;
// A run: start and length (4 bytes each), style bits, two colours.
constexpr std::size_t kRunBytes = 4 + 4 + 1 + 4 + 4;
// Runs are handed over this many at a time.
constexpr std::size_t kRunsPerBlock = 4096;

enum TStyleBit : std::uint8_t {
    kBold = 1,
    kItalic = 2,
    kUnderline = 4,
    kStrikeOut = 8,
    kTextColor = 16,
    kBackColor = 32,
};

bool WriteAll(int fd, const void* bytes, std::size_t size)
{
    const auto* at = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t written = ::write(fd, at, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        at += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

template <class T>
void Put(char*& at, T value)
{
    std::memcpy(at, &value, sizeof value);
    at += sizeof value;
}

template <class T>
T Take(const char*& at)
{
    T value{};
    std::memcpy(&value, at, sizeof value);
    at += sizeof value;
    return value;
}

void PutRun(char*& at, const TLookRun& run)
{
    const TTextLook& look = run.look;
    const auto bits = static_cast<std::uint8_t>(
        (look.bold ? kBold : 0) | (look.italic ? kItalic : 0) | (look.underline ? kUnderline : 0)
        | (look.strikeOut ? kStrikeOut : 0) | (look.textColor ? kTextColor : 0) | (look.backColor ? kBackColor : 0));
    Put(at, run.start);
    Put(at, run.length);
    Put(at, bits);
    Put(at, look.textColor.value_or(0));
    Put(at, look.backColor.value_or(0));
}

TLookRun TakeRun(const char*& at)
{
    TLookRun run;
    run.start = Take<std::int32_t>(at);
    run.length = Take<std::int32_t>(at);
    const auto bits = Take<std::uint8_t>(at);
    const auto text = Take<TRgb>(at);
    const auto back = Take<TRgb>(at);
    run.look.bold = (bits & kBold) != 0;
    run.look.italic = (bits & kItalic) != 0;
    run.look.underline = (bits & kUnderline) != 0;
    run.look.strikeOut = (bits & kStrikeOut) != 0;
    if ((bits & kTextColor) != 0) {
        run.look.textColor = text;
    }
    if ((bits & kBackColor) != 0) {
        run.look.backColor = back;
    }
    return run;
}

std::string TextTooLarge(std::size_t maxUnits)
{
    if (maxUnits % kMiB == 0) {
        return "its text is larger than " + std::to_string(maxUnits / kMiB) + " MiB";
    }
    return "its text is larger than " + std::to_string(maxUnits) + " characters";
}

} // namespace

bool WriteReadOutcome(int fd, const base::TResult<TArticleDocument>& read)
{
    if (!read) {
        const std::string& message = read.Error();
        const auto length = static_cast<std::uint32_t>(std::min<std::size_t>(message.size(), kMaxErrorBytes));
        std::array<char, kMark.size() + 1 + sizeof length> head{};
        char* at = head.data();
        std::memcpy(at, kMark.data(), kMark.size());
        at += kMark.size();
        Put(at, kError);
        Put(at, length);
        return WriteAll(fd, head.data(), head.size()) && WriteAll(fd, message.data(), length);
    }
    const TArticleDocument& document = read.Value();
    std::array<char, kMark.size() + 1 + 2 * sizeof(std::uint64_t)> head{};
    char* at = head.data();
    std::memcpy(at, kMark.data(), kMark.size());
    at += kMark.size();
    Put(at, kDocument);
    Put(at, static_cast<std::uint64_t>(document.text.size()));
    Put(at, static_cast<std::uint64_t>(document.runs.size()));
    if (!WriteAll(fd, head.data(), head.size())
        || !WriteAll(fd, document.text.data(), document.text.size() * sizeof(char16_t))) {
        return false;
    }
    std::vector<char> block(kRunsPerBlock * kRunBytes);
    for (std::size_t first = 0; first < document.runs.size(); first += kRunsPerBlock) {
        const std::size_t count = std::min(kRunsPerBlock, document.runs.size() - first);
        char* out = block.data();
        for (std::size_t i = first; i < first + count; ++i) {
            PutRun(out, document.runs[i]);
        }
        if (!WriteAll(fd, block.data(), count * kRunBytes)) {
            return false;
        }
    }
    return true;
}

std::optional<base::TResult<TArticleDocument>> ReadReadOutcome(const TFillBytes& fill, const TWireLimits& limits)
{
    std::array<char, kMark.size() + 1> head{};
    if (!fill(head.data(), head.size()) || std::string_view(head.data(), kMark.size()) != kMark) {
        return std::nullopt;
    }
    if (head[kMark.size()] == kError) {
        std::uint32_t length = 0;
        if (!fill(&length, sizeof length) || length > kMaxErrorBytes) {
            return std::nullopt;
        }
        std::string message(length, '\0');
        if (!fill(message.data(), message.size()) || message.find('\n') != std::string::npos) {
            return std::nullopt;
        }
        return base::TResult<TArticleDocument>(base::TError{std::move(message)});
    }
    if (head[kMark.size()] != kDocument) {
        return std::nullopt;
    }
    std::array<std::uint64_t, 2> counts{};
    if (!fill(counts.data(), sizeof counts)) {
        return std::nullopt;
    }
    const auto [units, runCount] = counts;
    if (units > limits.maxTextUnits) {
        return base::TResult<TArticleDocument>(base::TError{TextTooLarge(limits.maxTextUnits)});
    }
    // Runs do not overlap and are at least one unit long.
    if (runCount > units) {
        return std::nullopt;
    }
    TArticleDocument document;
    document.text.resize(static_cast<std::size_t>(units));
    if (!fill(document.text.data(), document.text.size() * sizeof(char16_t))) {
        return std::nullopt;
    }
    document.runs.reserve(static_cast<std::size_t>(runCount));
    std::vector<char> block(kRunsPerBlock * kRunBytes);
    std::int64_t end = 0;
    for (std::uint64_t first = 0; first < runCount; first += kRunsPerBlock) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kRunsPerBlock, runCount - first));
        if (!fill(block.data(), count * kRunBytes)) {
            return std::nullopt;
        }
        const char* in = block.data();
        for (std::size_t i = 0; i < count; ++i) {
            const TLookRun run = TakeRun(in);
            // The promises of TArticleDocument: in order, apart, not empty,
            // inside the text.
            if (run.start < end || run.length < 1
                || std::int64_t{run.start} + run.length > static_cast<std::int64_t>(units)) {
                return std::nullopt;
            }
            end = std::int64_t{run.start} + run.length;
            document.runs.push_back(run);
        }
    }
    return base::TResult<TArticleDocument>(std::move(document));
}

} // namespace glenvary::io
