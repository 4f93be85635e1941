// SPDX-License-Identifier: MIT
// Glenvary command line: the glenvary-cli program as a callable function.
#pragma once

#include "io/article_file.h"
#include "report/report_format.h"

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace glenvary::cli {

/// Exit status of a run that did its work (a refused comparison of a blank
/// article included).
inline constexpr int kExitOk = 0;
/// Exit status when the run failed on its own side: the report could not
/// be written, or memory ran out.
inline constexpr int kExitFailure = 1;
/// Exit status for bad usage or an article that cannot be read.
inline constexpr int kExitUsage = 2;
/// Exit status of an archive add that Ctrl-C stopped after its last whole
/// step: what shells report for a program that SIGINT ended.
inline constexpr int kExitInterrupted = 130;

/// The options beyond the default rules, shared by compare and batch.
struct TRuleOptions {
    std::vector<std::string> ignoreTexts;  ///< files whose passages are left out
    bool ignoreQuoted = false;
    bool fold = false;
    std::string words = "default";  ///< "default" or "unicode"
};

/// What `compare` was asked to do.
struct TCompareOptions {
    std::string unit = "words";   ///< "words", "sentences" or "paragraphs"
    std::int32_t minLength = 1;   ///< 0 or more
    TRuleOptions rules;
    report::TReportFormat format = report::TReportFormat::Text;
    std::string outputPath;       ///< empty or "-": standard output
    std::string article1;
    std::string article2;
};

/// What `batch` was asked to do.
struct TBatchOptions {
    std::string unit = "words";   ///< "words", "sentences" or "paragraphs"
    std::int32_t minLength = 1;   ///< 0 or more
    std::string threshold = "0";  ///< a percentage from 0 to 100, as given
    TRuleOptions rules;
    report::TReportFormat format = report::TReportFormat::Text;
    std::string outputPath;       ///< empty or "-": standard output
    std::vector<std::string> articles;  ///< files and folders
    bool allPairs = false;        ///< compare every pair, never through shared runs
};

/// What `archive` was asked to do.
struct TArchiveOptions {
    enum class TAction : std::uint8_t { Add, Check, Remove, List, Stats };
    TAction action = TAction::List;
    /// A SQLite file's name or a postgresql:// address.
    std::string archive;
    /// add: files and folders; check: articles; remove: names or ids.
    std::vector<std::string> items;
    /// check's settings.
    std::string unit = "words";
    std::int32_t minLength = 8;
    std::string threshold = "0";
    std::int32_t top = 10;
    TRuleOptions rules;
    report::TReportFormat format = report::TReportFormat::Text;
    std::string outputPath;
};

/// What `density` was asked to do.
struct TDensityOptions {
    std::string keyword;          ///< as given, not yet checked to be UTF-8
    report::TReportFormat format = report::TReportFormat::Text;  ///< text or JSON
    std::string article;
};

/// A run that ends with the arguments: --help or --version (status kExitOk,
/// the text in `out`), or bad usage (kExitUsage, one line in `err` without
/// the program's name in front).
struct TArgumentsEnd {
    int status = kExitOk;
    std::string out;
    std::string err;
};

/// The arguments, understood: a command to run or the end of the run.
using TArguments =
    std::variant<TCompareOptions, TBatchOptions, TDensityOptions, TArchiveOptions, TArgumentsEnd>;

/// Parses glenvary-cli's arguments (argv[0] is not read) as RunCli does,
/// without reading or writing anything. Throws only what running out of
/// memory throws.
[[nodiscard]] TArguments ParseArguments(int argc, char** argv);

/// Runs glenvary-cli with the given arguments (argv[0] is the program's
/// name and is not read):
///   glenvary-cli compare [--unit words|sentences|paragraphs] [--min N]
///                        [--ignore-text FILE]... [--ignore-quoted] [--fold]
///                        [--words default|unicode]
///                        [--format text|json|html] [-o FILE] ARTICLE1 ARTICLE2
///   glenvary-cli batch [--unit U] [--min N] [--threshold P] [the same options]
///                      [--format text|json|html] [-o FILE] ARTICLE...
///   glenvary-cli density --keyword PHRASE [--format text|json] ARTICLE
///   glenvary-cli archive add ARCHIVE FILE-OR-FOLDER...
///   glenvary-cli archive check [--unit U] [--min N] [--threshold P] [--top N]
///                              [--format text|json|html] [-o FILE] ARCHIVE ARTICLE...
///   glenvary-cli archive remove ARCHIVE NAME-OR-ID...
///   glenvary-cli archive list ARCHIVE | stats ARCHIVE
///   glenvary-cli --help | --version
/// An ARTICLE of "-" is read from `in` (at most one of them); a batch
/// ARTICLE may also be a folder, whose files it takes (ListArticleFiles).
/// A batch run names each article it cannot read on `err`, compares the
/// others and returns kExitUsage once its report is written. Reports go to
/// `out` as they are made, or to the -o file, which is written whole or not
/// at all; each failure is one line on `err` that starts with
/// "glenvary-cli: ".
/// Articles are read with `reading` (the program's own limits unless a
/// caller, such as a test, needs others: a shorter LibreOffice time limit).
/// An ARCHIVE is a SQLite file (made by add when missing) or a
/// postgresql:// address; one that cannot be opened is one line and
/// kExitUsage. An add shows its progress on `err` when `errIsTerminal`,
/// and Ctrl-C (TStopOnInterruption) ends it after its current step with
/// everything stored so far kept, and kExitInterrupted.
/// Returns kExitOk, kExitFailure, kExitUsage or kExitInterrupted. Never
/// throws.
int RunCli(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err,
           const io::TReadSettings& reading = {}, bool errIsTerminal = false);

} // namespace glenvary::cli
