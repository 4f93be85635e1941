// SPDX-License-Identifier: MIT
// The browser launcher against a fake desktop (support/fake_desktop.h).
#include "platform/url_opener.h"

#include "support/fake_desktop.h"

#include <gtest/gtest.h>

#include <cstdlib>
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
