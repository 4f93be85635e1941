// SPDX-License-Identifier: MIT
#include "ui/banner.h"

#include "config/picture_size.h"
#include "config/skin.h"
#include "platform/error_reporter.h"
#include "platform/url_opener.h"
#include "ui/guarded.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QPushButton>

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <utility>

namespace glenvary::ui {
namespace {

constexpr int kPanelWidth = 753;
constexpr int kPanelHeight = 65;
// Where the two footer links lead when no configuration names others.
constexpr const char* kBuiltInLinkAddress = "https://www.google.com";
// A picture larger than this is no banner; refusing it before decoding
// keeps a hostile file from asking for gigabytes.
constexpr int kMaxBannerSide = 4096;

// Runs one part of the branding; a failure leaves it out and is noted.
template <typename Part>
void Attempt(const Part& part, QStringList& problems)
{
    try {
        part();
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
        problems.append(platform::DescribeCurrentException());
    }
}

} // namespace

QString BuiltInSkin()
{
    QFile file(QStringLiteral(":/glenvary/Modern.skn"));
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("the built-in skin Modern.skn is missing from the program");
    }
    const QByteArray packed = file.readAll();
    const base::TResult<std::string> sheet =
        config::UnpackSkin({packed.constData(), static_cast<std::size_t>(packed.size())});
    if (!sheet) {
        throw std::runtime_error("cannot use the built-in skin Modern.skn: " + sheet.Error());
    }
    return QString::fromStdString(sheet.Value());
}

TBanner::TBanner(std::shared_ptr<platform::TUrlOpener> urlOpener, QWidget* parent)
    : QFrame(parent), urlOpener_(std::move(urlOpener))
{
    setObjectName(QStringLiteral("panBanner"));
    setFrameShape(QFrame::StyledPanel);
    resize(kPanelWidth, kPanelHeight);
    setAccessibleName(QStringLiteral("Banner"));
    imgBanner_ = new QLabel(this);
    imgBanner_->setObjectName(QStringLiteral("imgBanner"));
    imgBanner_->setGeometry(144, -8, 105, 105);
    imgBanner_->setAccessibleName(QStringLiteral("Banner picture"));
    gifBanner_ = new QLabel(this);
    gifBanner_->setObjectName(QStringLiteral("gifBanner"));
    gifBanner_->setAccessibleName(QStringLiteral("Animated banner"));
    // The animated banner stands where the still one does.
    gifBanner_->setGeometry(imgBanner_->geometry());
    for (QObject* clickable : {static_cast<QObject*>(imgBanner_), static_cast<QObject*>(gifBanner_)}) {
        clickable->installEventFilter(this);
    }
}

void TBanner::Wire(QPushButton* makeMoney, QLabel* link1, QLabel* link2)
{
    lblLink1URL_ = link1;
    lblLink2URL_ = link2;
    for (QLabel* link : {link1, link2}) {
        link->setTextFormat(Qt::PlainText);
        link->setProperty("address", QString::fromLatin1(kBuiltInLinkAddress));
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }
    connect(makeMoney, &QPushButton::clicked, this, Guarded([this] { btnMakeMoneyClick(); }));
}

QStringList TBanner::Apply(const config::TConfiguration& configuration)
{
    QStringList problems;
    sAffiliateID_ = configuration.affiliateId;
    if (configuration.banner) {
        sBannerURL_ = configuration.banner->address;
    }
    if (configuration.banner && configuration.bannerHidden) {
        problems.append(QStringLiteral("cannot show the banner %1: its stored file %2 is missing")
                            .arg(QString::fromStdString(configuration.banner->shownName),
                                 QString::fromStdString(configuration.banner->storedFile.string())));
    }
    if (configuration.bannerHidden || !configuration.banner) {
        hide();
    } else {
        Attempt([&] { ApplyBanner(*configuration.banner); }, problems);
    }
    ApplyLink(lblLink1URL_, configuration.link1, 1, problems);
    ApplyLink(lblLink2URL_, configuration.link2, 2, problems);
    if (configuration.skin) {
        Attempt(
            [&] {
                if (!*configuration.skin) {
                    throw std::runtime_error(configuration.skin->Error());
                }
                window()->setStyleSheet(QString::fromStdString(configuration.skin->Value()));
                skinApplied_ = true;
            },
            problems);
    }
    if (configuration.iconFile) {
        Attempt([&] { ApplyIcon(configuration); }, problems);
    }
    return problems;
}

void TBanner::ApplyIcon(const config::TConfiguration& configuration)
{
    const QString file = QString::fromStdString(configuration.iconFile->string());
    const QIcon icon(file);
    if (icon.isNull() || icon.availableSizes().isEmpty()) {
        throw std::runtime_error("cannot use the icon " + configuration.iconPath + " (stored as "
                                 + configuration.iconFile->string() + "): not a picture this program can read");
    }
    window()->setWindowIcon(icon);
    QApplication::setWindowIcon(icon);
}

void TBanner::ApplyBanner(const config::TBannerChoice& banner)
{
    const QString path = QString::fromStdString(banner.storedFile.string());
    const QByteArray format = QByteArray::fromStdString(banner.format);
    const auto refuse = [&](const char* why) {
        hide();
        throw std::runtime_error("cannot show the banner " + banner.shownName + " (stored as "
                                 + banner.storedFile.filename().string() + "): " + why);
    };
    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(false);
    QFile file(path);
    const QByteArray head = file.open(QIODevice::ReadOnly)
        ? file.read(static_cast<qint64>(config::kMaxPictureHeaderWalk))
        : QByteArray();
    // Every frame's claimed size counts, not only the screen's: a GIF may
    // declare a small screen and one huge frame.
    const config::TPictureSize claimed =
        config::ClaimedPictureSize({head.constData(), static_cast<std::size_t>(head.size())}, banner.format);
    const QSize size = reader.size();
    if (std::max<std::int64_t>(size.width(), claimed.width) > kMaxBannerSide
        || std::max<std::int64_t>(size.height(), claimed.height) > kMaxBannerSide) {
        refuse("larger than 4096 x 4096 pixels");
    }
    if (!reader.canRead()) {
        refuse("not a picture in the format its name gives");
    }
    QLabel* shown = banner.animated ? gifBanner_ : imgBanner_;
    QLabel* other = banner.animated ? imgBanner_ : gifBanner_;
    if (banner.animated) {
        bannerMovie_ = new QMovie(path, format, this);
        if (!bannerMovie_->isValid() || !bannerMovie_->jumpToFrame(0)) {
            refuse("not a picture in the format its name gives");
        }
        if (bannerMovie_->currentImage().isNull()) {
            refuse("the picture is damaged");
        }
        gifBanner_->setMovie(bannerMovie_);
        gifBanner_->resize(bannerMovie_->currentImage().size());
        // The banner animates in a loop, also when its file asks to be
        // played once (a GIF without the looping extension).
        connect(bannerMovie_, &QMovie::finished, bannerMovie_, &QMovie::start);
        bannerMovie_->start();
    } else {
        const QImage picture = reader.read();
        if (picture.isNull()) {
            refuse("the picture is damaged");
        }
        imgBanner_->setPixmap(QPixmap::fromImage(picture));
        imgBanner_->resize(picture.size());
    }
    other->hide();
    shown->show();
    if (!sBannerURL_.empty()) {
        shown->setCursor(Qt::PointingHandCursor);
    }
    resize(width(), shown->height() + 10);
}

void TBanner::ApplyLink(QLabel* label, const config::TLink& link, int number, QStringList& problems)
{
    const QString caption = QString::fromStdString(link.caption);
    // Shown as written: a caption is never markup.
    label->setText(caption);
    label->setAccessibleName(caption);
    label->setProperty("address", QString::fromStdString(link.address));
    label->adjustSize();
    if (!link.address.empty() && !platform::NormaliseWebAddress(link.address)) {
        problems.append(QStringLiteral("the %1 footer link (%2) is not a web address: %3")
                            .arg(number == 1 ? QStringLiteral("first") : QStringLiteral("second"),
                                 QString::fromStdString(link.key), QString::fromStdString(link.address)));
    }
}

void TBanner::Arrange()
{
    // Each operand is halved on its own: (752 / 2) - (105 / 2) is 324, where
    // halving the difference would give 323.
    for (QLabel* banner : {imgBanner_, gifBanner_}) {
        banner->move((width() / 2) - (banner->width() / 2), (height() / 2) - (banner->height() / 2));
    }
}

bool TBanner::eventFilter(QObject* watched, QEvent* event)
{
    // A click is the primary button's: the others open menus or paste on
    // other desktops, never an address.
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton) {
        RunGuarded([&] {
            if (watched == imgBanner_) {
                imgBannerClick();
            } else if (watched == gifBanner_) {
                gifBannerClick();
            } else if (watched == lblLink1URL_ || watched == lblLink2URL_) {
                OpenLink(*static_cast<const QLabel*>(watched));
            }
        });
    }
    return QFrame::eventFilter(watched, event);
}

void TBanner::OpenLink(const QLabel& label)
{
    const std::string address = label.property("address").toString().toStdString();
    // Too few links configured: an empty link, with nothing to open.
    if (address.empty()) {
        return;
    }
    if (!urlOpener_->OpenDefault(address)) {
        platform::ReportWarning(QStringLiteral("Cannot open the link \u201C%1\u201D: nothing on this computer "
                                               "opens %2.")
                                    .arg(label.text(), QString::fromStdString(address)));
    }
}

void TBanner::imgBannerClick()
{
    if (!sBannerURL_.empty()) {
        urlOpener_->OpenInBrowser(sBannerURL_);
    }
}

void TBanner::gifBannerClick()
{
    imgBannerClick();
}

void TBanner::btnMakeMoneyClick()
{
    urlOpener_->OpenInBrowser(kPromotionalAddress + sAffiliateID_);
}

} // namespace glenvary::ui
