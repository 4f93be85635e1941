// SPDX-License-Identifier: MIT
#include "cli/cli.h"
#include "cli/command_line.h"

#include "archive/archive.h"
#include "cli/signals.h"
#include "io/article_file.h"
#include "report/output_file.h"
#include "report/report.h"
#include "report/report_format.h"
#include "io/text_encoding.h"
#include "report/batch.h"
#include "report/text_writer.h"
#include "core/fingerprint.h"
#include "core/keyword.h"
#include "core/options.h"
#include "core/side_by_side.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <limits>
#include <new>
#include <optional>
#include <set>
#include <span>
#include <stop_token>
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
constexpr std::string_view kCommandRequired =
    "a command is required: compare, batch, density or archive (see --help)";
constexpr std::string_view kArchiveActionRequired =
    "archive needs a command: add, check, remove, list or stats (see glenvary-cli archive --help)";
// The most archive documents that check compares with each article: each
// costs a whole comparison and keeps its text in the report.
constexpr std::int32_t kMaxTopDocuments = 1000;
// Files read before they are handed to the archive in one add: the
// interval at which an add can stop, and what it holds in memory.
constexpr std::size_t kAddFilesAtOnce = 100;

// Every line on standard error goes through here, with the names and
// arguments it repeats escaped: one line, whatever they hold.
int Fail(std::ostream& err, int status, std::string_view message)
{
    err << kProgram << ": " << io::EscapeControlCharacters(message) << '\n';
    err.flush();
    return status;
}

std::string CountOfFiles(std::size_t count)
{
    return report::CountOf(static_cast<std::int64_t>(count), "file", "files");
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

// The options beyond the default rules, shared by compare and batch.
void AddRuleOptions(CLI::App& command, TRuleOptions& rules)
{
    command.add_option("--ignore-text", rules.ignoreTexts,
                       "Leave out the passages shared with FILE (a template, a licence); may be given up to "
                           + std::to_string(core::kMaxIgnoreTexts) + " times")
        ->type_name("FILE")
        ->allow_extra_args(false);
    command.add_flag("--ignore-quoted", rules.ignoreQuoted, "Leave out the words inside quotation marks");
    command.add_flag("--fold", rules.fold,
                     "See through disguises: drop invisible characters, fold letter case and compatibility "
                     "forms, read Cyrillic and Greek look-alikes in Latin words as Latin");
    command.add_option("--words", rules.words,
                       "How words are found: default (the eight delimiters) or unicode (Unicode word "
                       "boundaries, each Chinese or Japanese character a word)")
        ->transform(CLI::IsMember({"default", "unicode"}, CLI::ignore_case))
        ->type_name("RULE")
        ->capture_default_str();
}

// The rule options as the engine takes them, the ignored texts read; an
// error names the file that cannot be read.
base::TResult<core::TCompareOptions> ReadRuleOptions(const TRuleOptions& rules, const io::TReadSettings& reading,
                                                     std::istream& in)
{
    core::TCompareOptions options;
    if (rules.ignoreTexts.size() > core::kMaxIgnoreTexts) {
        return base::TError{
            "--ignore-text is given " + std::to_string(rules.ignoreTexts.size()) + " times: at most "
            + std::to_string(core::kMaxIgnoreTexts) + " texts can be left out"};
    }
    for (const std::string& path : rules.ignoreTexts) {
        base::TResult<io::TArticleDocument> read = io::ReadArticle(path, in, reading);
        if (!read) {
            return base::TError{read.Error()};
        }
        options.ignoreTexts.push_back(std::move(read).Value().text);
    }
    options.ignoreQuoted = rules.ignoreQuoted;
    options.fold = rules.fold;
    options.unicodeWords = rules.words == "unicode";
    return options;
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
    if (first == "archive") {
        static constexpr std::string_view kActions[] = {"add", "check", "remove", "list", "stats"};
        if (argc < 3) {
            return std::string(kArchiveActionRequired);
        }
        const std::string_view action = argv[2];
        if (action.starts_with('-') || std::find(std::begin(kActions), std::end(kActions), action) != std::end(kActions)) {
            return {};
        }
        return "unknown archive command " + std::string(action) + ": use add, check, remove, list or stats";
    }
    return "unknown command " + std::string(first) + ": use compare, batch, density or archive (see --help)";
}

// CLI11 takes an option it does not know for one more argument, and then
// blames the argument that is left over ("b.txt --mn not expected"); the
// option itself is named instead. `command` is the command that
// argv[first - 1] names; its arguments start at argv[first].
std::string FindUnknownOption(const CLI::App& command, int first, int argc, char** argv)
{
    for (int i = first; i < argc; ++i) {
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
            const std::string path = command.get_parent() != nullptr && command.get_parent()->get_parent() != nullptr
                ? command.get_parent()->get_name() + " " + command.get_name()
                : command.get_name();
            return "unknown option " + name + " for " + path + " (see " + std::string(kProgram) + " " + path
                + " --help)";
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
    base::TResult<core::TCompareOptions> rules = ReadRuleOptions(options.rules, reading, in);
    if (!rules) {
        return Fail(err, kExitUsage, rules.Error());
    }
    report::TCompareSettings settings;
    // The option's check admits only known names.
    settings.unit = report::UnitFromName(options.unit).value_or(core::ukWords);
    settings.minLength = options.minLength;
    const report::TCompareReport compared =
        report::CompareArticles(std::move(article1).Value().text, std::move(article2).Value().text, settings,
                                {io::ArticleDisplayName(options.article1), io::ArticleDisplayName(options.article2)},
                                rules.Value());
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
    base::TResult<core::TCompareOptions> rules = ReadRuleOptions(options.rules, reading, in);
    if (!rules) {
        return Fail(err, kExitUsage, rules.Error());
    }
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
    settings.pairSearch = options.allPairs ? report::TPairSearch::EveryPair : report::TPairSearch::Automatic;
    settings.options = std::move(rules).Value();
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

// Whole numbers for --top: from 1 to kMaxTopDocuments.
std::string CheckTopDocuments(const std::string& value)
{
    std::int32_t number = 0;
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, number);
    if (error != std::errc{} || stop != end || number < 1 || number > kMaxTopDocuments) {
        return "expected a whole number from 1 to " + std::to_string(kMaxTopDocuments) + ", not " + value;
    }
    return {};
}

// A line that a terminal shows in place, rewritten as the work goes on,
// and cleared before anything else is written; nothing without a terminal.
class TProgressLine {
public:
    TProgressLine(std::ostream& err, bool shown) : err_(err), shown_(shown) {}
    ~TProgressLine() { Clear(); }
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;

    void Show(const std::string& text)
    {
        if (shown_) {
            // Carriage return, the text, then erase to the end of the line.
            err_ << '\r' << io::EscapeControlCharacters(text) << "\x1b[K";
            err_.flush();
            written_ = true;
        }
    }
    void Clear()
    {
        if (written_) {
            err_ << "\r\x1b[K";
            err_.flush();
            written_ = false;
        }
    }

private:
    std::ostream& err_;
    bool shown_ = false;
    bool written_ = false;
};

base::TResult<archive::TArchive> OpenArchive(const std::string& address, archive::TOpenMode mode)
{
    return archive::TArchive::Open(address, mode);
}

int RunArchiveAdd(const TArchiveOptions& options, const io::TReadSettings& reading, std::istream& in,
                  std::ostream& out, std::ostream& err, bool errIsTerminal)
{
    std::vector<report::TUnreadableArticle> unreadable;
    const std::vector<std::string> files = BatchFiles(options.items, {}, unreadable);
    auto opened = OpenArchive(options.archive, archive::TOpenMode::CreateIfMissing);
    if (!opened) {
        return Fail(err, kExitUsage, opened.Error());
    }
    archive::TArchive& store = opened.Value();
    const std::string address = archive::PrintableAddress(options.archive);
    for (const report::TUnreadableArticle& folder : unreadable) {
        Fail(err, kExitUsage, folder.message);
    }
    std::stop_source stop;
    const TStopOnInterruption interruption(stop);
    TProgressLine progress(err, errIsTerminal);
    std::int64_t added = 0;
    std::int64_t alreadyStored = 0;
    std::size_t next = 0;
    while (next < files.size() && !stop.stop_requested()) {
        // A group of files is read, then added in one call; a stop between
        // files leaves the group's files read so far to be added.
        std::vector<archive::TNewDocument> documents;
        for (; next < files.size() && documents.size() < kAddFilesAtOnce && !stop.stop_requested(); ++next) {
            progress.Show("adding to " + address + ": " + std::to_string(next) + " of "
                          + CountOfFiles(files.size()));
            base::TResult<io::TArticleDocument> article = io::ReadArticle(files[next], in, reading);
            if (!article) {
                progress.Clear();
                Fail(err, kExitUsage, article.Error());
                unreadable.push_back({io::ArticleDisplayName(files[next]), article.Error()});
                continue;
            }
            documents.push_back({io::ArticleDisplayName(files[next]), std::move(article).Value().text});
        }
        auto report = store.Add(documents, {}, {}, stop.get_token());
        progress.Clear();
        if (!report) {
            return Fail(err, kExitFailure, report.Error());
        }
        for (const archive::TAddedDocument& document : report.Value().documents) {
            if (!document.refused.empty()) {
                Fail(err, kExitUsage, "not added " + document.name + ": " + document.refused);
                unreadable.push_back({document.name, document.refused});
            } else if (document.alreadyStored) {
                out << document.name << ": already stored as #" << std::to_string(document.id) << " ("
                    << io::EscapeControlCharacters(document.storedName) << ")\n";
            }
        }
        added += report.Value().added;
        alreadyStored += report.Value().alreadyStored;
        if (report.Value().stopped) {
            // The documents of the group that the add did not reach.
            next -= documents.size() - report.Value().documents.size();
        }
    }
    progress.Clear();
    out << "Added " << std::to_string(added) << (added == 1 ? " document" : " documents") << " to " << address;
    if (alreadyStored > 0) {
        out << "; " << std::to_string(alreadyStored) << " already stored";
    }
    out << "\n";
    out.flush();
    if (stop.stop_requested() && next < files.size()) {
        Fail(err, kExitInterrupted,
             "interrupted: what was added is kept; " + CountOfFiles(files.size() - next) + " not added");
        return kExitInterrupted;
    }
    return unreadable.empty() ? kExitOk : kExitUsage;
}

int RunArchiveCheck(const TArchiveOptions& options, const io::TReadSettings& reading, std::istream& in,
                    std::ostream& out, std::ostream& err)
{
    if (std::count(options.items.begin(), options.items.end(), io::kStandardInputPath) > 1) {
        return Fail(err, kExitUsage, "only one article can be read from standard input ('-')");
    }
    auto opened = OpenArchive(options.archive, archive::TOpenMode::Existing);
    if (!opened) {
        return Fail(err, kExitUsage, opened.Error());
    }
    archive::TCheckOptions settings;
    // The options' checks admit only known names and percentages.
    settings.unit = report::UnitFromName(options.unit).value_or(core::ukWords);
    settings.minLength = options.minLength;
    settings.threshold = ThresholdValue(options.threshold).value_or(0.0);
    settings.topDocuments = options.top;
    base::TResult<core::TCompareOptions> rules = ReadRuleOptions(options.rules, reading, in);
    if (!rules) {
        return Fail(err, kExitUsage, rules.Error());
    }
    settings.compare = std::move(rules).Value();
    report::TArchiveCheckReport checked;
    checked.options = report::OptionNames(settings.compare);
    checked.archive = archive::PrintableAddress(options.archive);
    checked.unit = settings.unit;
    checked.minLength = core::EffectiveMinLength(settings.minLength);
    checked.threshold = settings.threshold;
    checked.top = settings.topDocuments;
    for (const std::string& path : options.items) {
        base::TResult<io::TArticleDocument> article = io::ReadArticle(path, in, reading);
        if (!article) {
            Fail(err, kExitUsage, article.Error());
            checked.unreadable.push_back({io::ArticleDisplayName(path), article.Error()});
            continue;
        }
        std::u16string text = std::move(article).Value().text;
        auto found = opened.Value().Check(text, settings);
        if (!found) {
            return Fail(err, kExitFailure, found.Error());
        }
        archive::TCheckReport& result = found.Value();
        report::TCheckedArticle& entry = checked.articles.emplace_back();
        entry.name = io::ArticleDisplayName(path);
        entry.compared = result.compared;
        entry.words = result.articleWords;
        entry.text = archive::NormalisedText(std::move(text));
        entry.candidates = static_cast<std::int64_t>(result.candidates.size());
        for (archive::TCheckedDocument& document : result.documents) {
            entry.sources.push_back({document.document.id, std::move(document.document.name),
                                     document.document.words, document.articleDuplicatedWords,
                                     document.articlePercent, document.documentDuplicatedWords,
                                     document.documentPercent, std::move(document.articlePassages),
                                     std::move(document.documentPassages), std::move(document.documentText)});
        }
    }
    const int status = Emit(options.format.Writer(checked), options.outputPath, out, err);
    return status == kExitOk && !checked.unreadable.empty() ? kExitUsage : status;
}

// "#12" or "12": a document's id; nothing for any other text.
std::optional<std::int64_t> DocumentId(std::string_view text)
{
    if (text.starts_with('#')) {
        text.remove_prefix(1);
    }
    std::int64_t id = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (text.empty() || error != std::errc{} || stop != text.data() + text.size() || id < 1) {
        return std::nullopt;
    }
    return id;
}

int RunArchiveRemove(const TArchiveOptions& options, std::ostream& out, std::ostream& err)
{
    auto opened = OpenArchive(options.archive, archive::TOpenMode::Existing);
    if (!opened) {
        return Fail(err, kExitUsage, opened.Error());
    }
    int status = kExitOk;
    for (const std::string& item : options.items) {
        // A name first: a document may well be called "2019".
        auto removed = opened.Value().RemoveByName(item);
        if (removed && removed.Value() == 0) {
            if (const std::optional<std::int64_t> id = DocumentId(item)) {
                removed = opened.Value().RemoveById(*id);
            }
        }
        if (!removed) {
            return Fail(err, kExitFailure, removed.Error());
        }
        if (removed.Value() == 0) {
            status = Fail(err, kExitUsage, "no document named or numbered " + item + " in "
                                               + archive::PrintableAddress(options.archive));
            continue;
        }
        out << "Removed " << io::EscapeControlCharacters(item) << " ("
            << std::to_string(removed.Value()) << (removed.Value() == 1 ? " document)\n" : " documents)\n");
    }
    out.flush();
    return status;
}

int RunArchiveList(const TArchiveOptions& options, std::ostream& out, std::ostream& err)
{
    auto opened = OpenArchive(options.archive, archive::TOpenMode::Existing);
    if (!opened) {
        return Fail(err, kExitUsage, opened.Error());
    }
    auto listed = opened.Value().List();
    if (!listed) {
        return Fail(err, kExitFailure, listed.Error());
    }
    for (const archive::TDocumentInfo& document : listed.Value()) {
        out << "#" << std::to_string(document.id) << '\t' << std::to_string(document.words) << " words\t"
            << io::EscapeControlCharacters(document.name) << "\n";
    }
    out.flush();
    return out ? kExitOk : Fail(err, kExitFailure, "cannot write standard output");
}

int RunArchiveStats(const TArchiveOptions& options, std::ostream& out, std::ostream& err)
{
    auto opened = OpenArchive(options.archive, archive::TOpenMode::Existing);
    if (!opened) {
        return Fail(err, kExitUsage, opened.Error());
    }
    auto stats = opened.Value().Stats();
    if (!stats) {
        return Fail(err, kExitFailure, stats.Error());
    }
    const archive::TArchiveStats& s = stats.Value();
    out << "Archive: " << archive::PrintableAddress(options.archive) << "\n"
        << "Documents: " << std::to_string(s.documents) << "\n"
        << "Words: " << std::to_string(s.words) << "\n"
        << "Fingerprints: " << std::to_string(s.fingerprints) << "\n"
        << "Size: " << std::to_string(s.size.bytes) << " bytes (" << std::to_string(s.size.usedBytes)
        << " in use)\n"
        << "Bytes a word: "
        << (s.words > 0 ? report::FixedDecimal(static_cast<double>(s.size.bytes) / static_cast<double>(s.words), 2)
                        : std::string("-"))
        << "\n";
    out.flush();
    return out ? kExitOk : Fail(err, kExitFailure, "cannot write standard output");
}

int RunArchive(const TArchiveOptions& options, const io::TReadSettings& reading, std::istream& in,
               std::ostream& out, std::ostream& err, bool errIsTerminal)
{
    switch (options.action) {
    case TArchiveOptions::TAction::Add: return RunArchiveAdd(options, reading, in, out, err, errIsTerminal);
    case TArchiveOptions::TAction::Check: return RunArchiveCheck(options, reading, in, out, err);
    case TArchiveOptions::TAction::Remove: return RunArchiveRemove(options, out, err);
    case TArchiveOptions::TAction::List: return RunArchiveList(options, out, err);
    case TArchiveOptions::TAction::Stats: return RunArchiveStats(options, out, err);
    }
    return kExitUsage;
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
    : app{"Marks the passages of one article that duplicate another, finds which archived documents an article "
          "copies from, and counts keywords.",
          std::string(kProgram)}
{
    app.set_version_flag("--version", std::string(kVersionLine), "Print the version and exit");
    // At most one command; its absence is reported below in our own words,
    // after CLI11 had the chance to name an unknown option instead.
    app.require_subcommand(0, 1);
    app.footer(HelpFooter());

    compare = app.add_subcommand(
        "compare", "Compare two articles and report the passages of ARTICLE2 that duplicate ARTICLE1");
    AddLengthOptions(*compare, compareOptions.unit, compareOptions.minLength);
    AddRuleOptions(*compare, compareOptions.rules);
    AddReportOptions(*compare, compareOptions.format, compareOptions.outputPath);
    compare->add_option("ARTICLE1", compareOptions.article1, "The original article")->type_name("PATH")->required();
    compare->add_option("ARTICLE2", compareOptions.article2, "The article checked for duplicated passages")
        ->type_name("PATH")
        ->required();

    batch = app.add_subcommand(
        "batch", "Compare every article with every other and list the pairs, most duplicated first");
    AddLengthOptions(*batch, batchOptions.unit, batchOptions.minLength);
    AddRuleOptions(*batch, batchOptions.rules);
    batch->add_option("--threshold", batchOptions.threshold,
                      "List only the pairs whose second article is at least P per cent duplicated")
        ->check(CLI::Validator(CheckThreshold, ""))
        ->type_name("P")
        ->capture_default_str();
    batch->add_flag("--all-pairs", batchOptions.allPairs,
                    "Compare every pair, also where shared runs of words would find the same pairs sooner");
    AddReportOptions(*batch, batchOptions.format, batchOptions.outputPath);
    const std::string runWords = std::to_string(core::kGuaranteeWords);
    batch->footer("With --threshold above 0, --unit words and --min " + runWords + " or more, and "
                  + std::to_string(report::kSharedRunArticles)
                  + " articles or more, batch compares\nonly the pairs that share enough runs of " + runWords
                  + " words to reach the threshold (found through an index\nof every article's runs): it lists "
                  "exactly the pairs that comparing every pair lists, pairs of 0%\nleft out. Otherwise, or with "
                  "--all-pairs, it compares every pair.");
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

    archiveCommand = app.add_subcommand(
        "archive", "Keep documents in an archive and find which of them an article copies from");
    archiveCommand->require_subcommand(1);
    archiveCommand->footer(
        "ARCHIVE is a file name (a SQLite file, made by add when it is missing) or a postgresql:// address.\n"
        "check finds every archive document that shares a run of 8 words with the article and compares\n"
        "the best --top of them exactly.");
    const auto addArchive = [this](CLI::App& command) {
        command.add_option("ARCHIVE", archiveOptions.archive, "The archive: a file name or a postgresql:// address")
            ->type_name("ARCHIVE")
            ->required();
    };
    CLI::App* add = archiveCommand->add_subcommand(
        "add", "Add documents: files, or folders whose files (in subfolders too) are taken; a text stored "
               "before is not stored again");
    addArchive(*add);
    add->add_option("FILE", archiveOptions.items, "The documents: files or folders")->type_name("PATH")->required();
    archiveActions.emplace_back(add, TArchiveOptions::TAction::Add);

    CLI::App* check = archiveCommand->add_subcommand(
        "check", "List the archive documents that each ARTICLE copies from, the highest share first, with the "
                 "passages");
    AddLengthOptions(*check, archiveOptions.unit, archiveOptions.minLength);
    AddRuleOptions(*check, archiveOptions.rules);
    check->add_option("--threshold", archiveOptions.threshold,
                      "List only the documents of which at least P per cent of the article is a copy")
        ->check(CLI::Validator(CheckThreshold, ""))
        ->type_name("P")
        ->capture_default_str();
    check->add_option("--top", archiveOptions.top, "Compare the N best candidates of each article exactly")
        ->check(CLI::Validator(CheckTopDocuments, ""))
        ->type_name("N")
        ->capture_default_str();
    AddReportOptions(*check, archiveOptions.format, archiveOptions.outputPath);
    addArchive(*check);
    check->add_option("ARTICLE", archiveOptions.items, "The articles to check")->type_name("PATH")->required();
    archiveActions.emplace_back(check, TArchiveOptions::TAction::Check);

    CLI::App* remove = archiveCommand->add_subcommand(
        "remove", "Remove documents by the name they were added under, or by their id (12 or #12)");
    addArchive(*remove);
    remove->add_option("NAME-OR-ID", archiveOptions.items, "The documents to remove")->type_name("NAME")->required();
    archiveActions.emplace_back(remove, TArchiveOptions::TAction::Remove);

    CLI::App* list = archiveCommand->add_subcommand("list", "List the stored documents: id, words and name");
    addArchive(*list);
    archiveActions.emplace_back(list, TArchiveOptions::TAction::List);

    CLI::App* stats = archiveCommand->add_subcommand(
        "stats", "Count the documents, words and fingerprints and the bytes the archive takes");
    addArchive(*stats);
    archiveActions.emplace_back(stats, TArchiveOptions::TAction::Stats);
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
        int first = 2;
        if (command == line.archiveCommand && !std::string_view(argv[2]).starts_with('-')) {
            command = line.archiveCommand->get_subcommand(argv[2]);
            first = 3;
        }
        if (std::string error = FindUnknownOption(*command, first, argc, argv); !error.empty()) {
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
    for (const auto& [command, action] : line.archiveActions) {
        if (command->parsed()) {
            line.archiveOptions.action = action;
            return line.archiveOptions;
        }
    }
    return TArgumentsEnd{kExitUsage, {}, std::string(kCommandRequired)};
}

namespace {

int Run(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err,
        const io::TReadSettings& reading, bool errIsTerminal)
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
    if (const auto* archive = std::get_if<TArchiveOptions>(&arguments)) {
        return RunArchive(*archive, reading, in, out, err, errIsTerminal);
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
           const io::TReadSettings& reading, bool errIsTerminal)
{
    try {
        return Run(argc, argv, in, out, err, reading, errIsTerminal);
    } catch (const std::bad_alloc&) {
        return Fail(err, kExitFailure, "not enough memory");
    } catch (const std::exception& e) {
        return Fail(err, kExitFailure, e.what());
    }
}

} // namespace glenvary::cli
