// SPDX-License-Identifier: MIT
// GIO only, no Qt: QDesktopServices::openUrl reports success even when
// nothing opened, and opens nothing on the offscreen platform.
#include "platform/url_opener.h"

#include <gio/gio.h>

#include <algorithm>

namespace glenvary::platform {
namespace {

/// Frees a GError on every path out of a launch; the reason is not shown,
/// since a failed launch only means that nothing opened.
struct TErrorHolder {
    GError* error = nullptr;
    ~TErrorHolder()
    {
        if (error != nullptr) {
            g_error_free(error);
        }
    }
};

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The scheme that `address` begins with, without its ":", or empty.
std::string_view SchemeOf(std::string_view address)
{
    if (address.empty() || !IsAsciiLetter(address.front())) {
        return {};
    }
    std::size_t end = 1;
    while (end < address.size()
           && (IsAsciiLetter(address[end]) || (address[end] >= '0' && address[end] <= '9') || address[end] == '+'
               || address[end] == '-' || address[end] == '.')) {
        ++end;
    }
    if (end == address.size() || address[end] != ':') {
        return {};
    }
    const std::string_view scheme = address.substr(0, end);
    const std::string_view rest = address.substr(end + 1);
    if (rest.starts_with("//")) {
        return scheme;
    }
    // The schemes without "//" that a link of a web page may use; any other
    // "word:" is a host and port ("localhost:8080") or a mistake.
    for (const std::string_view opaque : {"mailto", "tel", "news"}) {
        if (scheme.size() == opaque.size()
            && std::equal(scheme.begin(), scheme.end(), opaque.begin(),
                          [](char a, char b) { return (a | 0x20) == b; })) {
            return scheme;
        }
    }
    return {};
}

} // namespace

std::optional<std::string> NormaliseWebAddress(std::string_view address)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; };
    while (!address.empty() && blank(address.front())) {
        address.remove_prefix(1);
    }
    while (!address.empty() && blank(address.back())) {
        address.remove_suffix(1);
    }
    if (address.empty()
        || std::any_of(address.begin(), address.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
        return std::nullopt;
    }
    std::string opened = SchemeOf(address).empty() ? "https://" + std::string(address) : std::string(address);
    const std::size_t slashes = opened.find("://");
    if (slashes != std::string::npos && slashes == SchemeOf(opened).size()) {
        // The authority runs to the path, query or fragment; its host is what
        // follows any user name and comes before any port.
        const std::size_t from = slashes + 3;
        std::string_view authority = std::string_view(opened).substr(from, opened.find_first_of("/?#", from) - from);
        if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
            authority.remove_prefix(at + 1);
        }
        if (authority.empty() || authority.front() == ':') {
            return std::nullopt;
        }
    }
    return opened;
}

bool OpenURLInBrowser(const std::string& url)
{
    const std::optional<std::string> address = NormaliseWebAddress(url);
    if (!address) {
        return false;
    }
    GAppInfo* browser = g_app_info_get_default_for_type("text/html", FALSE);
    if (browser == nullptr) {
        return false;
    }
    // The address is the one URI handed over; the .desktop entry's Exec line
    // decides where it goes, and GIO spawns the program without a shell.
    GList* uris = g_list_append(nullptr, const_cast<char*>(address->c_str()));
    TErrorHolder failure;
    const gboolean started = g_app_info_launch_uris(browser, uris, nullptr, &failure.error);
    g_list_free(uris);
    g_object_unref(browser);
    return started != FALSE;
}

bool OpenDefault(const std::string& url)
{
    const std::optional<std::string> address = NormaliseWebAddress(url);
    if (!address) {
        return false;
    }
    TErrorHolder failure;
    return g_app_info_launch_default_for_uri(address->c_str(), nullptr, &failure.error) != FALSE;
}

} // namespace glenvary::platform
