// SPDX-License-Identifier: MIT
// The browser launcher against a fake desktop (support/fake_desktop.h).
#include "platform/url_opener.h"

#include "support/fake_desktop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace glenvary::platform {
namespace {

using test::TFakeDesktop;

/// One desktop for the whole program, made before GIO's first use.
TFakeDesktop& Desktop()
{
    static TFakeDesktop desktop(true);
    return desktop;
}

TEST(UrlOpener, StartsTheRegisteredBrowserWithExactlyTheAddress)
{
    auto& desktop = Desktop();
    TDesktopUrlOpener opener;
    // Empty addresses open nothing; the launch after them shows that no
    // launch happened before it.
    EXPECT_FALSE(opener.OpenInBrowser(""));
    EXPECT_FALSE(opener.OpenDefault(""));
    const std::string address = "https://example.com/a b?x=1&y='2';$(touch /tmp/no)";
    EXPECT_TRUE(opener.OpenInBrowser(address));
    EXPECT_EQ(desktop.Records(1), "browser|" + address + "|\n");
    EXPECT_TRUE(opener.OpenDefault("https://example.org/footer"));
    EXPECT_EQ(desktop.Records(2), "browser|" + address + "|\ndefault|https://example.org/footer|\n");
}

TEST(UrlOpener, OpensWhatAPersonConfiguredAsAWebAddress)
{
    struct TCase {
        const char* name;
        const char* given;
        std::optional<std::string> opened;
    };
    const TCase cases[] = {
        {"a full address stays", "https://example.com/a?b#c", "https://example.com/a?b#c"},
        {"no scheme is read as https", "  www.example.com/x ", "https://www.example.com/x"},
        {"a host and port is no scheme", "localhost:8080/x", "https://localhost:8080/x"},
        {"another scheme stays", "ftp://files.example.com/", "ftp://files.example.com/"},
        {"mail needs no slashes", "mailto:ann@example.com", "mailto:ann@example.com"},
        {"an option is never handed on", "--renderer-cmd-prefix=/bin/sh", "https://--renderer-cmd-prefix=/bin/sh"},
        {"blank", " \t", std::nullopt},
        {"no host", "http://", std::nullopt},
        {"a user but no host", "https://ann@/x", std::nullopt},
        {"a control character", "https://example.com/\nx", std::nullopt},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NormaliseWebAddress(c.given), c.opened);
    }
}

TEST(UrlOpener, NoRegisteredBrowserOpensNothing)
{
    // A process of its own, so that GIO reads the browserless desktop fresh.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            bool opened = true;
            {
                const TFakeDesktop desktop(false);
                opened = OpenURLInBrowser("https://example.com/");
            }
            std::exit(opened ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace glenvary::platform
