// SPDX-License-Identifier: MIT
// glenvary-cli: compares two articles from the command line.
#include "cli/cli.h"
#include "large_pages.h"

#include <iostream>

int main(int argc, char** argv)
{
    // A run compares once and ends: what it frees it reuses.
    glenvary::app::KeepFreedMemory();
    // Standard input can carry a whole article: unsynchronised streams read
    // it in blocks rather than character by character.
    std::ios::sync_with_stdio(false);
    return glenvary::cli::RunCli(argc, argv, std::cin, std::cout, std::cerr);
}
