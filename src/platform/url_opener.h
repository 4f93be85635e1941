// SPDX-License-Identifier: MIT
// Glenvary: opening web addresses in the desktop's browser.
#pragma once

#include <string>

namespace glenvary::platform {

/// Starts the browser registered for HTML files (the desktop's default
/// application for text/html, as GIO reads it from the mimeapps.list and
/// .desktop files) with `url` as its address argument. The browser is
/// started directly from its .desktop entry, never through a shell, and not
/// waited for.
/// Result: true when a registered browser was found and started; false,
/// with nothing opened, when `url` is empty, no browser is registered, or it
/// could not be started. Never throws.
bool OpenURLInBrowser(const std::string& url);

/// Hands `url` to the desktop's default open action for its kind (GIO's
/// launch-default-for-URI): what the footer links use.
/// Result: true when something was started; false, with nothing opened, when
/// `url` is empty or nothing could open it. Never throws.
bool OpenDefault(const std::string& url);

/// The two ways the window opens addresses, behind one seam so that tests
/// can record the addresses instead of starting programs.
class TUrlOpener {
public:
    virtual ~TUrlOpener() = default;
    /// The banner and "Make Money": see OpenURLInBrowser.
    virtual bool OpenInBrowser(const std::string& url) = 0;
    /// The footer links: see OpenDefault.
    virtual bool OpenDefault(const std::string& url) = 0;
};

/// The desktop's own opener: forwards to OpenURLInBrowser and OpenDefault.
class TDesktopUrlOpener final : public TUrlOpener {
public:
    bool OpenInBrowser(const std::string& url) override { return OpenURLInBrowser(url); }
    bool OpenDefault(const std::string& url) override { return platform::OpenDefault(url); }
};

} // namespace glenvary::platform
