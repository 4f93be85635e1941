// SPDX-License-Identifier: MIT
// Glenvary: opening web addresses in the desktop's browser.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace glenvary::platform {

/// The address a person configured, as it is opened: blanks around it
/// dropped, and "https://" put in front when it names no scheme of its own
/// ("www.example.com" opens https://www.example.com). A scheme is letters,
/// digits, "+", "-" and "." after a first letter, then ":" and "//", or one
/// of mailto:, tel: and news:. The result always begins with its scheme's
/// letter, so no program it is handed to can take it for an option.
/// Nothing when it cannot be opened: empty, holding a control character, or
/// a "//" address without a host.
[[nodiscard]] std::optional<std::string> NormaliseWebAddress(std::string_view address);

/// Starts the browser registered for HTML files (the desktop's default
/// application for text/html, as GIO reads it from the mimeapps.list and
/// .desktop files) with `url`, as NormaliseWebAddress gives it, as its
/// address argument. The browser is started directly from its .desktop
/// entry, never through a shell, and not waited for.
/// Result: true when a registered browser was found and started; false,
/// with nothing opened, when `url` cannot be opened (NormaliseWebAddress),
/// no browser is registered, or it could not be started. Never throws.
bool OpenURLInBrowser(const std::string& url);

/// Hands `url`, as NormaliseWebAddress gives it, to the desktop's default
/// open action for its kind (GIO's launch-default-for-URI): what the footer
/// links use.
/// Result: true when something was started; false, with nothing opened, when
/// `url` cannot be opened or nothing could open it. Never throws.
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
