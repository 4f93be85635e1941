// SPDX-License-Identifier: MIT
// The manual pages and the shell completion, written from the command
// line's own option table, so that they say what --help says.
#pragma once

#include <ostream>
#include <string_view>

namespace glenvary::cli {

/// The two manual pages of the package.
enum class TManualPage {
    Cli,     ///< glenvary-cli(1): commands, options, files read, exit status
    Window,  ///< glenvary(1): the window, the files it reads, dbconfig.dat
};

/// Writes `page` as roff (man(7) macros) to `out`. `programFolder` is
/// where the installed programs live (/usr/bin), named in the page as the
/// folder the configuration is read from. Throws only what running out of
/// memory throws.
void WriteManualPage(std::ostream& out, TManualPage page, std::string_view programFolder);

/// Writes a bash completion script for glenvary-cli to `out`: the commands,
/// each command's options, the values of options that take one of a list
/// (--unit, --format), and file names for the rest.
void WriteBashCompletion(std::ostream& out);

} // namespace glenvary::cli
