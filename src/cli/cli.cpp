// SPDX-License-Identifier: MIT
#include "cli/cli.h"
#include "cli/command_line.h"

#include "io/article_file.h"
#include "report/output_file.h"
#include "report/report.h"
#include "report/report_format.h"
#include "io/text_encoding.h"
#include "report/batch.h"
#include "core/keyword.h"
#include "core/side_by_side.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <limits>
#include <new>
#include <optional>
#include <set>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <variant>
#include <vector>

namespace glenvary::cli {
namespace {

constexpr std::string_view kProgram = "glenvary-cli";
constexpr std::string_view kVersionLine = "glenvary-cli " GLENVARY_VERSION;
// The -o value that sends the report to standard output, as usual for tools.
constexpr std::string_view kStandardOutputPath = "-";
constexpr std::string_view kCommandRequired = "a command is required: compare, batch or density (see --help)";

// Every line on standard error goes through here, with the names and
// arguments it repeats escaped: one line, whatever they hold.
int Fail(std::ostream& err, int status, std::string_view message)
{
    err << kProgram << ": " << io::EscapeControlCharacters(message) << '\n';
    err.flush();
    return status;
}

// Streams a report to the -o file, or to `out` without one (or with "-").
// Nothing reaches the file unless the whole report was written; standard
// output, which cannot be taken back, gets the bytes as they are made.
int Emit(const report::TReportWriter& write, const std::string& outputPath, std::ostream& out, std::ostream& err)
{
    if (!outputPath.empty() && outputPath != kStandardOutputPath) {
        const base::TStatus written = report::WriteFileAtomically(outputPath, write);
        return written ? kExitOk : Fail(err, kExitFailure, written.Error());
    }
    write(out);
    out.flush();
    if (!out) {
        return Fail(err, kExitFailure, "cannot write standard output");
    }
    return kExitOk;
}

// Accepts a whole number from 0 up to the largest 32-bit length the engine
// takes; the message repeats what was given, and CLI11 puts the option's
// name in front of it.
std::string CheckMinLength(const std::string& value)
{
    std::int32_t number = 0;
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, number);
    if (error == std::errc::result_out_of_range && stop == end && !value.starts_with('-')) {
        return value + " is too large: the largest minimum length is "
            + std::to_string(std::numeric_limits<std::int32_t>::max());
    }
    if (error != std::errc{} || stop != end || number < 0) {
        return "expected a whole number of 0 or more, not " + value;
    }
    return {};
}

// A percentage from 0 to 100, whole or with a fraction ("12.5"), read the
// same whatever the locale; nothing for any other text.
std::optional<double> ThresholdValue(const std::string& value)
{
    double number = 0.0;
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, number, std::chars_format::fixed);
    if (error != std::errc{} || stop != end || !(number >= 0.0 && number <= 100.0)) {
        return std::nullopt;
    }
    return number;
}

std::string CheckThreshold(const std::string& value)
{
    return ThresholdValue(value) ? std::string() : "expected a percentage from 0 to 100, not " + value;
}

// The options that set a comparison's minimum length, shared by compare
// and batch.
void AddLengthOptions(CLI::App& command, std::string& unit, std::int32_t& minLength)
{
    command.add_option("--unit", unit, "Unit of the minimum length")
        ->transform(CLI::IsMember({"words", "sentences", "paragraphs"}, CLI::ignore_case))
        ->type_name("UNIT")
        ->capture_default_str();
    command.add_option("--min", minLength, "Minimum length of a duplicated passage, in units (0 counts as 1)")
        ->check(CLI::Validator(CheckMinLength, ""))
        ->type_name("N")
        ->capture_default_str();
}

// --format: one of `allowed`, named in any letter case. The names show in
// the help as FORMAT:{...}, as --unit's do, and the completion offers them.
void AddFormatOption(CLI::App& command, report::TReportFormat& format, std::span<const report::TReportFormat> allowed)
{
    const std::string names = "{" + report::TReportFormat::Names(allowed, ",") + "}";
    command
        .add_option_function<std::string>(
            "--format",
            [&format, allowed](const std::string& name) {
                format = report::TReportFormat::FromName(name, allowed).value_or(format);
            },
            "Report format")
        ->check(CLI::Validator(
            [allowed, names](const std::string& name) {
                return report::TReportFormat::FromName(name, allowed) ? std::string() : name + " not in " + names;
            },
            names))
        ->type_name("FORMAT")
        ->default_str(std::string(format.Name()));
}

// The report's format and file, shared by compare and batch.
void AddReportOptions(CLI::App& command, report::TReportFormat& format, std::string& outputPath)
{
    AddFormatOption(command, format, report::kAllFormats);
    command.add_option("-o,--output", outputPath,
                       "Write the report to FILE instead of standard output ('-': standard output)")
        ->type_name("FILE");
}

// CLI11 reports a word it does not know as "a subcommand is required",
// which hides the mistake; a first argument that is neither an option nor
// a command is named instead.
std::string CheckCommandName(int argc, char** argv)
{
    if (argc < 2) {
        return std::string(kCommandRequired);
    }
    const std::string_view first = argv[1];
    if (first.starts_with('-') || first == "compare" || first == "batch" || first == "density") {
        return {};
    }
    return "unknown command " + std::string(first) + ": use compare, batch or density (see --help)";
}

// CLI11 takes an option it does not know for one more argument, and then
// blames the argument that is left over ("b.txt --mn not expected"); the
// option itself is named instead. `command` is the command that argv[1]
// names; its arguments start at argv[2].
std::string FindUnknownOption(const CLI::App& command, int argc, char** argv)
{
    for (int i = 2; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            break;
        }
        if (argument.size() < 2 || argument.front() != '-') {
            continue;
        }
        const bool longName = argument.starts_with("--");
        const std::string name(longName ? argument.substr(0, argument.find('=')) : argument.substr(0, 2));
        const CLI::Option* option = command.get_option_no_throw(name);
        if (option == nullptr) {
            return "unknown option " + name + " for " + command.get_name() + " (see " + std::string(kProgram) + " "
                + command.get_name() + " --help)";
        }
        // An option's value may itself begin with "-" (--keyword -x).
        const bool valueAttached = longName ? argument.find('=') != std::string_view::npos : argument.size() > 2;
        if (option->get_type_size() > 0 && !valueAttached) {
            ++i;
        }
    }
    return {};
}

int RunCompare(const TCompareOptions& options, const io::TReadSettings& reading, std::istream& in,
               std::ostream& out, std::ostream& err)
{
    if (options.article1 == io::kStandardInputPath && options.article2 == io::kStandardInputPath) {
        return Fail(err, kExitUsage, "only one article can be read from standard input ('-')");
    }
    // The two files are read and decoded side by side; only one of them can
    // be standard input.
    std::optional<base::TResult<io::TArticleDocument>> read1;
    std::optional<base::TResult<io::TArticleDocument>> read2;
    core::SideBySide(
        true, [&] { read2.emplace(io::ReadArticle(options.article2, in, reading)); },
        [&] { read1.emplace(io::ReadArticle(options.article1, in, reading)); });
    base::TResult<io::TArticleDocument>& article1 = *read1;
    base::TResult<io::TArticleDocument>& article2 = *read2;
    if (!article1) {
        return Fail(err, kExitUsage, article1.Error());
    }
    if (!article2) {
        return Fail(err, kExitUsage, article2.Error());
    }
    report::TCompareSettings settings;
    // The option's check admits only known names.
    settings.unit = report::UnitFromName(options.unit).value_or(core::ukWords);
    settings.minLength = options.minLength;
    const report::TCompareReport compared =
        report::CompareArticles(std::move(article1).Value().text, std::move(article2).Value().text, settings,
                        {io::ArticleDisplayName(options.article1), io::ArticleDisplayName(options.article2)});
    return Emit(options.format.Writer(compared), options.outputPath, out, err);
}

// The same file for two paths, as far as can be told without reading.
std::filesystem::path SamePlace(const std::string& path)
{
    std::error_code error;
    std::filesystem::path same = std::filesystem::weakly_canonical(path, error);
    if (error) {
        same = std::filesystem::absolute(path, error).lexically_normal();
    }
    return same;
}

// The files that the batch's ARTICLE arguments name: a file as given, a
// folder as the files in it and its subfolders, but for `report`, the -o
// file the run writes (empty for none), when a folder holds it. A file
// named twice, also through a folder or a link, counts once, where it was
// first named; so does "-". Folders that cannot be listed go to
// `unreadable`.
std::vector<std::string> BatchFiles(const std::vector<std::string>& given, const std::string& report,
                                    std::vector<report::TUnreadableArticle>& unreadable)
{
    const std::filesystem::path written = report.empty() ? std::filesystem::path() : SamePlace(report);
    std::vector<std::string> files;
    for (const std::string& path : given) {
        std::error_code error;
        if (path == io::kStandardInputPath || !std::filesystem::is_directory(path, error)) {
            files.push_back(path);
            continue;
        }
        io::TFolderArticles found = io::ListArticleFiles(path);
        for (std::string& message : found.errors) {
            unreadable.push_back({path, std::move(message)});
        }
        for (std::string& file : found.files) {
            if (written.empty() || SamePlace(file) != written) {
                files.push_back(std::move(file));
            }
        }
    }
    std::set<std::filesystem::path> seen;
    std::erase_if(files, [&seen](const std::string& path) {
        return !seen.insert(path == io::kStandardInputPath ? std::filesystem::path(path) : SamePlace(path)).second;
    });
    return files;
}

int RunBatch(const TBatchOptions& options, const io::TReadSettings& reading, std::istream& in, std::ostream& out,
             std::ostream& err)
{
    std::vector<report::TUnreadableArticle> unreadable;
    const std::string report = options.outputPath == kStandardOutputPath ? std::string() : options.outputPath;
    const std::vector<std::string> files = BatchFiles(options.articles, report, unreadable);
    if (files.size() < 2 && unreadable.empty()) {
        return Fail(err, kExitUsage, "batch needs two articles or more (files, or folders that hold them)");
    }
    // An article that cannot be read is named, here and in the report, and
    // left out; the others are still compared.
    std::vector<report::TBatchArticle> articles;
    for (const std::string& path : files) {
        base::TResult<io::TArticleDocument> article = io::ReadArticle(path, in, reading);
        if (!article) {
            unreadable.push_back({io::ArticleDisplayName(path), article.Error()});
            continue;
        }
        articles.push_back(report::PrepareBatchArticle(std::move(article).Value().text, io::ArticleDisplayName(path)));
    }
    for (const report::TUnreadableArticle& article : unreadable) {
        Fail(err, kExitUsage, article.message);
    }
    report::TBatchSettings settings;
    // The options' checks admit only known names and percentages.
    settings.compare.unit = report::UnitFromName(options.unit).value_or(core::ukWords);
    settings.compare.minLength = options.minLength;
    settings.threshold = ThresholdValue(options.threshold).value_or(0.0);
    settings.keepRegions = options.format == report::TReportFormat::Html;
    report::TBatchReport batch = report::CompareAllPairs(std::move(articles), settings);
    batch.unreadable = std::move(unreadable);
    const int status = Emit(options.format.Writer(batch), options.outputPath, out, err);
    return status == kExitOk && !batch.unreadable.empty() ? kExitUsage : status;
}

int RunDensity(const TDensityOptions& options, const io::TReadSettings& reading, std::istream& in,
               std::ostream& out, std::ostream& err)
{
    const io::TUtf8Decoded keyword = io::DecodeUtf8(options.keyword);
    if (!keyword.valid) {
        return Fail(err, kExitUsage, "--keyword is not valid UTF-8 text");
    }
    if (core::TrimKeyword(keyword.text).empty()) {
        return Fail(err, kExitUsage, "--keyword is empty: give the phrase to count");
    }
    base::TResult<io::TArticleDocument> article = io::ReadArticle(options.article, in, reading);
    if (!article) {
        return Fail(err, kExitUsage, article.Error());
    }
    const report::TDensityReport counted =
        report::CountKeyword(std::move(article).Value().text, keyword.text, io::ArticleDisplayName(options.article));
    return Emit(options.format.Writer(counted), {}, out, err);
}

// The help's footer: the files read and the exit statuses, from the same
// tables as the manual page.
std::string HelpFooter()
{
    std::string footer = "An ARTICLE is one of these files:\n";
    for (const TArticleFormat& format : kArticleFormats) {
        footer += "  " + std::string(format.name) + ": " + std::string(format.how) + "\n";
    }
    footer += "Exit status:\n";
    for (const TExitStatus& exit : kExitStatuses) {
        footer += "  " + std::to_string(exit.status) + "  " + std::string(exit.meaning) + "\n";
    }
    footer.pop_back();
    return footer;
}

} // namespace

TCommandLine::TCommandLine()
    : app{"Marks the passages of one article that duplicate another, and counts keywords.", std::string(kProgram)}
{
    app.set_version_flag("--version", std::string(kVersionLine), "Print the version and exit");
    // At most one command; its absence is reported below in our own words,
    // after CLI11 had the chance to name an unknown option instead.
    app.require_subcommand(0, 1);
    app.footer(HelpFooter());

    compare = app.add_subcommand(
        "compare", "Compare two articles and report the passages of ARTICLE2 that duplicate ARTICLE1");
    AddLengthOptions(*compare, compareOptions.unit, compareOptions.minLength);
    AddReportOptions(*compare, compareOptions.format, compareOptions.outputPath);
    compare->add_option("ARTICLE1", compareOptions.article1, "The original article")->type_name("PATH")->required();
    compare->add_option("ARTICLE2", compareOptions.article2, "The article checked for duplicated passages")
        ->type_name("PATH")
        ->required();

    batch = app.add_subcommand(
        "batch", "Compare every article with every other and list the pairs, most duplicated first");
    AddLengthOptions(*batch, batchOptions.unit, batchOptions.minLength);
    batch->add_option("--threshold", batchOptions.threshold,
                      "List only the pairs whose second article is at least P per cent duplicated")
        ->check(CLI::Validator(CheckThreshold, ""))
        ->type_name("P")
        ->capture_default_str();
    AddReportOptions(*batch, batchOptions.format, batchOptions.outputPath);
    batch->add_option("ARTICLE", batchOptions.articles,
                      "The articles: files, or folders whose files (in subfolders too) are taken in name order")
        ->type_name("PATH")
        ->required();

    density =
        app.add_subcommand("density", "Count a keyword phrase in an article and its occurrences per hundred words");
    density->add_option("--keyword", densityOptions.keyword,
                        "The phrase to count: letter case is ignored, and hits inside words and overlapping "
                        "hits count")
        ->type_name("PHRASE")
        ->required();
    AddFormatOption(*density, densityOptions.format, report::kSummaryFormats);
    density->add_option("ARTICLE", densityOptions.article, "The article to search")->type_name("PATH")->required();
}

TArguments ParseArguments(int argc, char** argv)
{
    TCommandLine line;
    CLI::App& app = line.app;
    if (std::string error = CheckCommandName(argc, argv); !error.empty()) {
        return TArgumentsEnd{kExitUsage, {}, std::move(error)};
    }
    if (const std::string_view name = argv[1]; !name.starts_with('-')) {
        const CLI::App* command = app.get_subcommand(std::string(name));
        if (std::string error = FindUnknownOption(*command, argc, argv); !error.empty()) {
            return TArgumentsEnd{kExitUsage, {}, std::move(error)};
        }
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version arrive here too, with status 0.
        if (e.get_exit_code() == 0) {
            std::ostringstream out;
            std::ostringstream err;
            app.exit(e, out, err);
            return TArgumentsEnd{kExitOk, out.str(), {}};
        }
        return TArgumentsEnd{kExitUsage, {}, e.what()};
    }
    if (line.compare->parsed()) {
        return line.compareOptions;
    }
    if (line.batch->parsed()) {
        return line.batchOptions;
    }
    if (line.density->parsed()) {
        return line.densityOptions;
    }
    return TArgumentsEnd{kExitUsage, {}, std::string(kCommandRequired)};
}

namespace {

int Run(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err,
        const io::TReadSettings& reading)
{
    TArguments arguments = ParseArguments(argc, argv);
    if (const auto* compare = std::get_if<TCompareOptions>(&arguments)) {
        return RunCompare(*compare, reading, in, out, err);
    }
    if (const auto* batch = std::get_if<TBatchOptions>(&arguments)) {
        return RunBatch(*batch, reading, in, out, err);
    }
    if (const auto* density = std::get_if<TDensityOptions>(&arguments)) {
        return RunDensity(*density, reading, in, out, err);
    }
    const auto& end = std::get<TArgumentsEnd>(arguments);
    if (!end.err.empty()) {
        return Fail(err, end.status, end.err);
    }
    out << end.out;
    out.flush();
    return end.status;
}

} // namespace

int RunCli(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err,
           const io::TReadSettings& reading)
{
    try {
        return Run(argc, argv, in, out, err, reading);
    } catch (const std::bad_alloc&) {
        return Fail(err, kExitFailure, "not enough memory");
    } catch (const std::exception& e) {
        return Fail(err, kExitFailure, e.what());
    }
}

} // namespace glenvary::cli
