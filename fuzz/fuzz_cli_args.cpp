// SPDX-License-Identifier: MIT
// Glenvary: fuzz target for the command line's argument parser.
//
// Input: the arguments after the program's name, separated by NUL bytes.
// The parser must not throw; a command (compare, batch or density) comes
// out with only the values its options admit, and an end of the run with status 0 and some text, or
// status 2 and one line of error (unless an argument itself holds a line
// break that the message repeats).
#include "cli/cli.h"

#include "fuzz_check.h"

#include <charconv>
#include <system_error>
#include <vector>

using namespace glenvary;
using fuzz::Check;

namespace {

bool OneOf(const std::string& value, std::initializer_list<std::string_view> allowed)
{
    for (const std::string_view a : allowed) {
        if (value == a) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::Bytes(data, size);
    std::vector<std::string> storage{"glenvary-cli"};
    std::size_t start = 0;
    while (start <= bytes.size() && storage.size() < 64) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        storage.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    std::vector<char*> argv;
    for (std::string& argument : storage) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    const cli::TArguments arguments = cli::ParseArguments(static_cast<int>(storage.size()), argv.data());
    if (const auto* compare = std::get_if<cli::TCompareOptions>(&arguments)) {
        Check(OneOf(compare->unit, {"words", "sentences", "paragraphs"}));
        Check(OneOf(std::string(compare->format.Name()), {"text", "json", "html"}));
        Check(compare->minLength >= 0);
    } else if (const auto* batch = std::get_if<cli::TBatchOptions>(&arguments)) {
        Check(OneOf(batch->unit, {"words", "sentences", "paragraphs"}));
        Check(OneOf(std::string(batch->format.Name()), {"text", "json", "html"}));
        Check(batch->minLength >= 0);
        Check(!batch->articles.empty());
        double threshold = -1.0;
        const char* end = batch->threshold.data() + batch->threshold.size();
        const auto parsed = std::from_chars(batch->threshold.data(), end, threshold, std::chars_format::fixed);
        Check(parsed.ec == std::errc{} && parsed.ptr == end && threshold >= 0.0 && threshold <= 100.0);
    } else if (const auto* density = std::get_if<cli::TDensityOptions>(&arguments)) {
        Check(density->format != report::TReportFormat::Html);
    } else {
        const auto& end = std::get<cli::TArgumentsEnd>(arguments);
        if (end.status == cli::kExitOk) {
            Check(!end.out.empty() && end.err.empty());
        } else {
            Check(end.status == cli::kExitUsage && !end.err.empty() && end.out.empty());
            Check(end.err.find('\n') == std::string::npos || bytes.find('\n') != std::string_view::npos);
        }
    }
    return 0;
}
