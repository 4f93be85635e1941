// SPDX-License-Identifier: MIT
// glenvary-manual: writes a manual page or the bash completion from the
// command line's option table; the build runs it, the package ships what
// it writes. Usage: glenvary-manual cli|window|completion PROGRAM_FOLDER OUTPUT
#include "cli/manual.h"

#include <fstream>
#include <iostream>
#include <string_view>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: glenvary-manual cli|window|completion PROGRAM_FOLDER OUTPUT\n";
        return 2;
    }
    const std::string_view what = argv[1];
    std::ofstream out(argv[3], std::ios::binary);
    if (what == "cli") {
        glenvary::cli::WriteManualPage(out, glenvary::cli::TManualPage::Cli, argv[2]);
    } else if (what == "window") {
        glenvary::cli::WriteManualPage(out, glenvary::cli::TManualPage::Window, argv[2]);
    } else if (what == "completion") {
        glenvary::cli::WriteBashCompletion(out);
    } else {
        std::cerr << "glenvary-manual: unknown page " << what << ": use cli, window or completion\n";
        return 2;
    }
    out.close();
    if (!out) {
        std::cerr << "glenvary-manual: cannot write " << argv[3] << "\n";
        return 1;
    }
    return 0;
}
