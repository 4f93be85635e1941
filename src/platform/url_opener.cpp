// SPDX-License-Identifier: MIT
// GIO only, no Qt: QDesktopServices::openUrl reports success even when
// nothing opened, and opens nothing on the offscreen platform.
#include "platform/url_opener.h"

#include <gio/gio.h>

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

} // namespace

bool OpenURLInBrowser(const std::string& url)
{
    if (url.empty()) {
        return false;
    }
    GAppInfo* browser = g_app_info_get_default_for_type("text/html", FALSE);
    if (browser == nullptr) {
        return false;
    }
    // The address is the one URI handed over; the .desktop entry's Exec line
    // decides where it goes, and GIO spawns the program without a shell.
    GList* uris = g_list_append(nullptr, const_cast<char*>(url.c_str()));
    TErrorHolder failure;
    const gboolean started = g_app_info_launch_uris(browser, uris, nullptr, &failure.error);
    g_list_free(uris);
    g_object_unref(browser);
    return started != FALSE;
}

bool OpenDefault(const std::string& url)
{
    if (url.empty()) {
        return false;
    }
    TErrorHolder failure;
    return g_app_info_launch_default_for_uri(url.c_str(), nullptr, &failure.error) != FALSE;
}

} // namespace glenvary::platform
