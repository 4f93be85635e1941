// SPDX-License-Identifier: MIT
// glenvary-cli: compares two articles from the command line.
#include "cli/cli.h"
#include "cli/signals.h"
#include "platform/large_pages.h"

#include <unistd.h>

#include <iostream>

int main(int argc, char** argv)
{
    // A run compares once and ends: what it frees it reuses.
    glenvary::platform::KeepFreedMemory();
    // Ctrl-C stops LibreOffice and the document reader and removes the
    // run's temporary files. Before any other thread starts, so that every
    // thread leaves the signals to the one that handles them.
    glenvary::cli::HandleInterruptions();
    // Standard input can carry a whole article: unsynchronised streams read
    // it in blocks rather than character by character.
    std::ios::sync_with_stdio(false);
    return glenvary::cli::RunCli(argc, argv, std::cin, std::cout, std::cerr, {}, isatty(STDERR_FILENO) == 1);
}
