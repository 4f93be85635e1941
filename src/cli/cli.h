// SPDX-License-Identifier: MIT
// Glenvary command line: the glenvary-cli program as a callable function.
#pragma once

#include <istream>
#include <ostream>

namespace glenvary::cli {

/// Exit status of a run that did its work (a refused comparison of a blank
/// article included).
inline constexpr int kExitOk = 0;
/// Exit status when the run failed on its own side: the report could not
/// be written, or memory ran out.
inline constexpr int kExitFailure = 1;
/// Exit status for bad usage or an article that cannot be read.
inline constexpr int kExitUsage = 2;

/// Runs glenvary-cli with the given arguments (argv[0] is the program's
/// name and is not read):
///   glenvary-cli compare [--unit words|sentences|paragraphs] [--min N]
///                        [--format text|json|html] [-o FILE] ARTICLE1 ARTICLE2
///   glenvary-cli batch [--unit U] [--min N] [--threshold P]
///                      [--format text|json|html] [-o FILE] ARTICLE...
///   glenvary-cli density --keyword PHRASE [--format text|json] ARTICLE
///   glenvary-cli --help | --version
/// An ARTICLE of "-" is read from `in` (at most one of them); a batch
/// ARTICLE may also be a folder, whose files it takes (ListArticleFiles).
/// A batch run names each article it cannot read on `err`, compares the
/// others and returns kExitUsage once its report is written. Reports go to
/// `out` as they are made, or to the -o file, which is written whole or not
/// at all; each failure is one line on `err` that starts with
/// "glenvary-cli: ".
/// Returns kExitOk, kExitFailure or kExitUsage. Never throws.
int RunCli(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err);

} // namespace glenvary::cli
