// SPDX-License-Identifier: MIT
// Glenvary start-up configuration: what dbconfig.dat and its companion files
// in the program folder ask the window to show.
#pragma once

#include "base/result.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace glenvary::config {

/// A random draw: given n >= 1, a whole number from 0 to n - 1, each equally
/// likely. Tests pass fixed draws; an answer outside the range is clamped.
using TDraw = std::function<int(int n)>;

/// The default draw: a standard uniform generator re-seeded from the
/// high-resolution clock immediately before each draw.
[[nodiscard]] int ClockSeededDraw(int n);

/// The banner chosen among those configured.
struct TBannerChoice {
    /// Program folder + "dbimgN.dat", N being the banner's position (from 1)
    /// among the banners found, not the number in its key. It is read in
    /// place, never renamed.
    std::filesystem::path storedFile;
    /// The name part of the configured file name (after the last '/' or
    /// '\'); its extension names the picture format.
    std::string shownName;
    /// The extension of shownName in ASCII lower case, without the dot
    /// ("jpg", "gif", "bmp"); empty when it has none.
    std::string format;
    /// The address a click opens; empty: the banner ignores clicks and keeps
    /// the arrow cursor.
    std::string address;
    /// The configured name ends in ".gif", in any case: the banner animates.
    bool animated = false;
};

/// A footer link; both parts empty when too few links are configured.
struct TLink {
    std::string address;
    std::string caption;
    /// The key that configured the address ("Link3URL"); empty for none.
    std::string key;
};

/// Everything the start-up configuration asks the window to apply. Text is
/// UTF-8.
struct TConfiguration {
    /// The window caption; absent when AppName is missing or blank.
    std::optional<std::string> caption;
    /// Appended to the promotional address; may be empty.
    std::string affiliateId;
    /// The banner drawn among those configured; absent when none is.
    std::optional<TBannerChoice> banner;
    /// True when there is no banner or its stored file is missing.
    bool bannerHidden = true;
    TLink link1;
    TLink link2;
    /// Program folder + "dbskin.dat" when that file exists.
    std::optional<std::filesystem::path> skinFile;
    /// The unpacked style sheet of skinFile, or why it was refused; absent
    /// without skinFile. On a refusal the built-in skin stays.
    std::optional<base::TResult<std::string>> skin;
    /// The configured IconPath as written; may be empty.
    std::string iconPath;
    /// Program folder + the name part of iconPath, when that file exists.
    std::optional<std::filesystem::path> iconFile;
};

/// The folder of the running executable (from /proc/self/exe), or the
/// current folder when that cannot be read.
[[nodiscard]] std::filesystem::path ProgramFolder();

/// Reads dbconfig.dat in `programFolder` and works out what to apply:
/// caption, affiliate identifier, one banner drawn among BannerPath1..3,
/// two different links drawn in random order among Link1URL..Link4URL (the
/// first draw over all links, the second over those left), the skin and the
/// icon. Names and captions are read only for the banners and links that
/// are configured. Nothing in the folder is created, renamed or changed.
/// `draw` is called once for the banner and once or twice for the links,
/// in that order, only when there is something to choose from.
/// Result: the description; std::nullopt when the folder holds no
/// dbconfig.dat, so nothing is applied. Error: dbconfig.dat exists but
/// cannot be read ("cannot read <path>: ...").
/// A bad skin is not an error of the whole: it is reported in `skin`.
[[nodiscard]] base::TResult<std::optional<TConfiguration>> ReadConfiguration(
    const std::filesystem::path& programFolder, const TDraw& draw = ClockSeededDraw);

} // namespace glenvary::config
