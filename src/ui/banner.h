// SPDX-License-Identifier: MIT
// Glenvary: the window's branding.
#pragma once

#include "config/configuration.h"

#include <QFrame>
#include <QStringList>

#include <memory>
#include <string>

class QLabel;
class QMovie;
class QPushButton;

namespace glenvary::platform {
class TUrlOpener;
} // namespace glenvary::platform

namespace glenvary::ui {

/// The fixed promotional address of "Make Money": scheme and host only, no
/// path and no trailing slash; the affiliate identifier follows it directly.
inline constexpr const char* kPromotionalAddress = "https://glenvary.example.com";

/// The built-in skin: a style sheet packed among the program's resources as
/// "Modern.skn" and unpacked as a dbskin.dat is (config::UnpackSkin). Throws
/// std::runtime_error when it is missing or cannot be unpacked, which only a
/// broken build can cause.
[[nodiscard]] QString BuiltInSkin();

/// The program's branding: the banner panel ("panBanner", holding the still
/// picture "imgBanner" and the animated one "gifBanner"), and the controls
/// that the window lays out in its bars but whose addresses are the
/// branding's: "Make Money" and the two footer links. Each opens its
/// address on a click of the primary button only. Applying a configuration
/// also gives the window (the banner's top-level widget) its skin and icon.
class TBanner : public QFrame {
    Q_OBJECT

public:
    /// Builds the panel, 753 x 65 pixels, with its two pictures empty;
    /// addresses open through `urlOpener`.
    TBanner(std::shared_ptr<platform::TUrlOpener> urlOpener, QWidget* parent);

    /// Takes over the clicks of "Make Money" and of the two footer links,
    /// which lead to the built-in address until Apply names others.
    void Wire(QPushButton* makeMoney, QLabel* link1, QLabel* link2);

    /// Applies the configuration's affiliate identifier, banner (the panel
    /// hidden without one, otherwise as high as the picture + 10), links,
    /// and the window's skin and icon. A part that cannot be used is left
    /// out and the rest applied; returns one line for each problem, naming
    /// the configured and the stored file.
    [[nodiscard]] QStringList Apply(const config::TConfiguration& configuration);

    /// Centres the pictures in the panel, each half taken separately with
    /// integer division ((753 / 2) - (105 / 2) = 324, and 324 for 752 too).
    void Arrange();

    /// A click on the banner: opens sBannerURL in the browser, if there is one.
    void imgBannerClick();
    /// The same for the animated banner.
    void gifBannerClick();
    /// "Make Money": opens the promotional address followed directly by the
    /// affiliate identifier in the browser.
    void btnMakeMoneyClick();

    /// A dbskin.dat was applied in place of the built-in skin.
    [[nodiscard]] bool SkinApplied() const noexcept { return skinApplied_; }
    [[nodiscard]] const std::string& sAffiliateID() const noexcept { return sAffiliateID_; }
    [[nodiscard]] const std::string& sBannerURL() const noexcept { return sBannerURL_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyBanner(const config::TBannerChoice& banner);
    void ApplyLink(QLabel* label, const config::TLink& link, int number, QStringList& problems);
    void OpenLink(const QLabel& label);
    void ApplyIcon(const config::TConfiguration& configuration);

    std::shared_ptr<platform::TUrlOpener> urlOpener_;
    std::string sAffiliateID_;
    std::string sBannerURL_;
    bool skinApplied_ = false;
    QLabel* imgBanner_ = nullptr;
    QLabel* gifBanner_ = nullptr;
    QMovie* bannerMovie_ = nullptr;
    QLabel* lblLink1URL_ = nullptr;
    QLabel* lblLink2URL_ = nullptr;
};

} // namespace glenvary::ui
