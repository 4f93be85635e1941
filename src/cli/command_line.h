// SPDX-License-Identifier: MIT
// glenvary-cli's options as one CLI11 table, read by the argument parser,
// by --help and by the generated manual pages and shell completion, so
// that none of them can tell a different story. Private to the layer.
#pragma once

#include "cli/cli.h"

#include <CLI/CLI.hpp>

#include <array>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace glenvary::cli {

/// One exit status of glenvary-cli and when it is returned.
struct TExitStatus {
    int status;
    std::string_view meaning;
};

/// Every exit status glenvary-cli returns, in order.
inline constexpr std::array<TExitStatus, 4> kExitStatuses{{
    {kExitOk, "the run did its work, also when a blank article leaves nothing to compare"},
    {kExitFailure, "the report cannot be written, or memory ran out"},
    {kExitUsage, "bad usage, or an article that cannot be read (batch still reports on the articles "
                 "that it could read)"},
    {kExitInterrupted, "interrupted by Ctrl-C or SIGTERM; an archive add keeps what it stored"},
}};

/// One kind of file that the programs read as an article.
struct TArticleFormat {
    std::string_view name;
    std::string_view how;
    bool commandLineOnly = false;  ///< not a file the window imports
};

/// The files read as articles, by the window and the command line alike.
inline constexpr std::array<TArticleFormat, 6> kArticleFormats{{
    {"plain text", "UTF-8, UTF-16 with a byte order mark, or Windows-1252 when not valid UTF-8"},
    {"rich text (.rtf)", "read directly"},
    {"Word (.docx) and OpenDocument (.odt) documents", "read directly, in a caged child process"},
    {"PDF", "its text, read by the PDF module in a caged child process"},
    {"Word 97-2003 (.doc) and WordPerfect (.wpd) documents",
     "converted through LibreOffice Writer, when installed; without it the program says what is missing"},
    {"'-'", "standard input (the command line only, for one article at most)", true},
}};

/// glenvary-cli's command line: the CLI11 application and the values its
/// options fill in. CLI11 keeps pointers into the values, so the whole is
/// made in place and never moved.
struct TCommandLine {
    TCommandLine();
    TCommandLine(const TCommandLine&) = delete;
    TCommandLine& operator=(const TCommandLine&) = delete;

    CLI::App app;
    TCompareOptions compareOptions;
    TBatchOptions batchOptions;
    TDensityOptions densityOptions;
    TArchiveOptions archiveOptions;
    CLI::App* compare = nullptr;
    CLI::App* batch = nullptr;
    CLI::App* density = nullptr;
    CLI::App* archiveCommand = nullptr;
    /// The archive's commands and the action each stands for.
    std::vector<std::pair<CLI::App*, TArchiveOptions::TAction>> archiveActions;
};

} // namespace glenvary::cli
