// SPDX-License-Identifier: MIT
// Helpers shared by the tests of several layers: a fake desktop, XDG folders
// of the test's own whose only applications are scripts that record their
// arguments.
#pragma once

#include "support/scratch_dir.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace glenvary::test {

/// Points GIO at a desktop made here: a browser registered for text/html
/// (when `withBrowser`) and a default handler for https addresses, each
/// recording "tag|argument|...|" lines. GIO reads these variables once, at
/// its first use, so this must run before any launch in the process.
class TFakeDesktop {
public:
    explicit TFakeDesktop(bool withBrowser)
    {
        const auto root = dir_.Root();
        for (const char* sub : {"data/applications", "config", "empty"}) {
            std::filesystem::create_directories(root / sub);
        }
        const std::string recorder = dir_.Write("record.sh",
            "#!/bin/sh\nline=$(printf '%s|' \"$@\")\nprintf '%s\\n' \"$line\" >> '" + dir_.Path("records") + "'\n");
        std::filesystem::permissions(recorder, std::filesystem::perms::owner_all);
        const auto entry = [&](const char* name, const char* tag, const char* types) {
            dir_.Write(std::string("data/applications/") + name,
                       std::string("[Desktop Entry]\nType=Application\nName=") + tag + "\nExec=" + recorder + " " + tag
                           + " %u\nMimeType=" + types + "\n");
        };
        entry("glenvary-browser.desktop", "browser", "text/html;");
        entry("glenvary-handler.desktop", "default", "x-scheme-handler/https;");
        dir_.Write("config/mimeapps.list",
                   withBrowser ? "[Default Applications]\ntext/html=glenvary-browser.desktop\n"
                                 "x-scheme-handler/https=glenvary-handler.desktop\n"
                               : "[Default Applications]\nx-scheme-handler/https=glenvary-handler.desktop\n");
        setenv("XDG_DATA_HOME", dir_.Path("data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir_.Path("config").c_str(), 1);
        // The machine's own browsers and defaults stay out of sight.
        setenv("XDG_DATA_DIRS", dir_.Path("empty").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", dir_.Path("empty").c_str(), 1);
        setenv("GIO_USE_VFS", "local", 1);
        unsetenv("XDG_CURRENT_DESKTOP");
    }

    /// The recorded launches, one "tag|argument|" line each, once `lines`
    /// of them have arrived or ten seconds have passed: the launch does not
    /// wait for the program it starts.
    [[nodiscard]] std::string Records(int lines) const
    {
        std::string text;
        for (int tries = 0; tries < 1000; ++tries) {
            text = ReadBytes(dir_.Path("records"));
            if (std::count(text.begin(), text.end(), '\n') >= lines) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return text;
    }

private:
    TScratchDir dir_;
};

} // namespace glenvary::test
