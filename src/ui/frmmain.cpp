// SPDX-License-Identifier: MIT
#include "ui/frmmain.h"

#include "report/report.h"
#include "report/report_format.h"
#include "config/picture_size.h"
#include "config/skin.h"
#include "core/compare_texts.h"
#include "core/highlight.h"
#include "core/keyword.h"
#include "core/normalise.h"
#include "core/segmentation.h"
#include "io/article_file.h"
#include "platform/error_reporter.h"
#include "platform/url_opener.h"
#include "ui/archivecommands.h"
#include "ui/articlepanel.h"
#include "ui/controls.h"
#include "ui/numericfield.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QKeySequence>
#include <QMovie>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QStyle>
#include <QThread>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <span>
#include <stdexcept>
#include <utility>

namespace glenvary::ui {
namespace {

// The client area at creation and the fixed heights of its bands, in pixels.
constexpr int kClientWidth = 753;
constexpr int kClientHeight = 520;
constexpr int kTopBarHeight = 33;
constexpr int kBannerHeight = 65;
constexpr int kBottomBarHeight = 62;
constexpr int kStripWidth = 5;
// Where the two footer links lead when no configuration names others.
constexpr const char* kBuiltInLinkAddress = "https://www.google.com";

// Sets bBusy for the lifetime of one comparison, so that a comparison that
// fails part-way cannot leave the editors ignoring every later edit.
class TBusyGuard {
public:
    explicit TBusyGuard(bool& flag) noexcept : flag_(flag) { flag_ = true; }
    ~TBusyGuard() { flag_ = false; }
    TBusyGuard(const TBusyGuard&) = delete;
    TBusyGuard& operator=(const TBusyGuard&) = delete;

private:
    bool& flag_;
};

std::optional<QString> ShowOpenDialog(QWidget* parent, const QString& title, const QString& folder)
{
    // Any file: on this platform "*" is what "*.*" means elsewhere, which
    // would hide files without a dot.
    QFileDialog dialog(parent, title, folder, QStringLiteral("All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> ShowSaveDialog(QWidget* parent, const QString& title, const QString& suggested)
{
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters{QStringLiteral("Web page (*.html *.htm)"), QStringLiteral("JSON (*.json)"),
                              QStringLiteral("Text (*.txt)")};
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("html"));
    // A name typed without an extension takes the one of the kind chosen,
    // and the extension decides the report's format.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters](const QString& filter) {
        const QStringList suffixes{QStringLiteral("html"), QStringLiteral("json"), QStringLiteral("txt")};
        dialog.setDefaultSuffix(suffixes.value(filters.indexOf(filter), suffixes.constFirst()));
    });
    const QFileInfo proposed(suggested);
    dialog.setDirectory(proposed.absolutePath());
    dialog.selectFile(proposed.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

// A busy pointer over the whole program for the lifetime of one operation.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// Runs a handler at the edge of what the person started: a failure ends it
// there and is reported, and never unwinds through Qt's event code.
template <typename Handler>
void RunGuarded(const Handler& handler) noexcept
{
    try {
        handler();
    } catch (...) {
        platform::ReportUnexpectedError(platform::DescribeCurrentException());
    }
}

std::span<const core::TWord> Words(const core::TArticle& article)
{
    return {article.lstWords.begin(), article.lstWords.end()};
}

std::u16string_view View(const QString& text)
{
    return {QStringView(text).utf16(), static_cast<std::size_t>(text.size())};
}

core::TArticleSide ArticleSide(int number)
{
    return number == 1 ? core::TArticleSide::Article1 : core::TArticleSide::Article2;
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

TfrmMain::TfrmMain(QWidget* parent, TStartup startup) : QWidget(parent), startup_(std::move(startup))
{
    if (startup_.programFolder.empty()) {
        startup_.programFolder = config::ProgramFolder();
    }
    if (!startup_.draw) {
        startup_.draw = config::ClockSeededDraw;
    }
    if (!startup_.urlOpener) {
        startup_.urlOpener = std::make_shared<platform::TDesktopUrlOpener>();
    }
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Glenvary"));
    setAccessibleName(QStringLiteral("Glenvary"));
    setAccessibleDescription(QStringLiteral("Compares two articles and marks the passages of article 2 "
                                            "that duplicate article 1"));
    // The controls' positions leave room for labels in a small 8-point
    // interface font; 10 pixels keeps common sans-serif faces (DejaVu Sans
    // is the widest of them) inside that room.
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);
    resize(kClientWidth, kClientHeight);

    BuildTopBar();
    BuildBanner();
    sides_[0].article = &engine_.Article1();
    sides_[1].article = &engine_.Article2();
    sides_[0].panel = new TArticlePanel(1, this);
    sides_[0].panel->setObjectName(QStringLiteral("panLeft"));
    sides_[0].panel->resize(kClientWidth / 2 - 10, 0);
    sides_[1].panel = new TArticlePanel(2, this);
    sides_[1].panel->setObjectName(QStringLiteral("panRight"));
    BuildBottomBar();
    SetFocusOrder();
    ApplyLayoutRule();

    // Every handler runs guarded: a failure ends the handler where it arose
    // and is reported there, at the edge of what the person started, and
    // never unwinds through Qt's own event code, which is not written for
    // exceptions.
    const auto guarded = [this](void (TfrmMain::*handler)()) {
        return [this, handler] {
            try {
                (this->*handler)();
            } catch (...) {
                platform::ReportUnexpectedError(platform::DescribeCurrentException());
            }
        };
    };
    connect(btnCompareEx_, &QPushButton::clicked, this, guarded(&TfrmMain::btnCompareExClick));
    connect(minNumWords_, &QSpinBox::valueChanged, this, guarded(&TfrmMain::minNumWordsChange));
    connect(sides_[0].panel->rchArticle(), &TArticleEditor::OnChange, this, guarded(&TfrmMain::rchArticle1Change));
    connect(sides_[1].panel->rchArticle(), &TArticleEditor::OnChange, this, guarded(&TfrmMain::rchArticle2Change));
    connect(sides_[0].panel->btnClearH(), &QPushButton::clicked, this, guarded(&TfrmMain::btnClearH1Click));
    connect(sides_[1].panel->btnClearH(), &QPushButton::clicked, this, guarded(&TfrmMain::btnClearH2Click));
    connect(btnMakeMoney_, &QPushButton::clicked, this, guarded(&TfrmMain::btnMakeMoneyClick));
    for (QObject* clickable : {static_cast<QObject*>(imgBanner_), static_cast<QObject*>(gifBanner_),
                               static_cast<QObject*>(lblLink1URL_), static_cast<QObject*>(lblLink2URL_)}) {
        clickable->installEventFilter(this);
    }
    connect(sides_[0].panel->btnImport(), &QPushButton::clicked, this, guarded(&TfrmMain::btnImport1Click));
    connect(sides_[1].panel->btnImport(), &QPushButton::clicked, this, guarded(&TfrmMain::btnImport2Click));
    for (int number : {1, 2}) {
        connect(Side(number).panel->rchArticle(), &TArticleEditor::FileDropped, this, [this, number](const QString& path) {
            try {
                ImportFile(number, path);
            } catch (...) {
                platform::ReportUnexpectedError(platform::DescribeCurrentException());
            }
        });
    }
    connect(sides_[0].panel->btnClear(), &QPushButton::clicked, this, guarded(&TfrmMain::btnClear1Click));
    connect(sides_[1].panel->btnClear(), &QPushButton::clicked, this, guarded(&TfrmMain::btnClear2Click));
    connect(sides_[0].panel->btnCalculateKwDensity(), &QPushButton::clicked, this,
            guarded(&TfrmMain::btnCalculateKwDensity1Click));
    connect(sides_[1].panel->btnCalculateKwDensity(), &QPushButton::clicked, this,
            guarded(&TfrmMain::btnCalculateKwDensity2Click));
    BuildPassageActions();
    // Find Sources and Add to Archive, in the editors' menus; the object is
    // the window's child.
    new TArchiveCommands({this,
                          {sides_[0].panel->rchArticle(), sides_[1].panel->rchArticle()},
                          [this](int side) { return Side(side).sourceName; },
                          [this](int side, const QString& name) { Side(side).sourceName = name; },
                          [this] {
                              return core::TCompareSettings{static_cast<core::TUnitKind>(cbxType_->currentIndex()),
                                                            minNumWords_->value()};
                          },
                          [this] { btnCompareEx_->click(); }},
                         this);
    for (TSide& side : sides_) {
        side.panel->rchArticle()->SetRewrittenCharacters(
            std::u16string{core::kNoBreakSpace, core::kRightSingleQuote, core::kEnDash});
    }

    try {
        FormCreate();
    } catch (...) {
        platform::ReportUnexpectedError(platform::DescribeCurrentException());
    }
    // The built-in skin, unless a dbskin.dat was applied. The window's style
    // sheet is set once: a second one set in place of the first makes the
    // controls it styles lose the window's small font.
    if (!skinApplied_) {
        try {
            setStyleSheet(BuiltInSkin());
        } catch (...) {
            platform::ReportUnexpectedError(platform::DescribeCurrentException());
        }
    }
}

TfrmMain::~TfrmMain()
{
    // A read still running would post its result to a window that is gone;
    // a LibreOffice conversion is stopped, not waited for.
    for (TSide& side : sides_) {
        side.importer.request_stop();
        if (side.importer.joinable()) {
            side.importer.join();
        }
    }
    FormDestroy();
}

void TfrmMain::BuildTopBar()
{
    panTop_ = new QWidget(this);
    panTop_->setObjectName(QStringLiteral("panTop"));
    panTop_->setAccessibleName(QStringLiteral("Commands"));
    btnCompareEx_ = MakeButton(panTop_, QStringLiteral("btnCompareEx"), QStringLiteral("Compare"), {7, 6, 98, 17});
    btnCompareEx_->setAccessibleDescription(
        QStringLiteral("Marks the passages of article 2 that duplicate article 1"));
    btnMakeMoney_ =
        MakeButton(panTop_, QStringLiteral("btnMakeMoney"), QStringLiteral("Make Money"), {110, 6, 98, 20});
}

void TfrmMain::BuildBanner()
{
    panBanner_ = new QFrame(this);
    panBanner_->setObjectName(QStringLiteral("panBanner"));
    panBanner_->setFrameShape(QFrame::StyledPanel);
    panBanner_->resize(kClientWidth, kBannerHeight);
    panBanner_->setAccessibleName(QStringLiteral("Banner"));
    imgBanner_ = new QLabel(panBanner_);
    imgBanner_->setObjectName(QStringLiteral("imgBanner"));
    imgBanner_->setGeometry(144, -8, 105, 105);
    imgBanner_->setAccessibleName(QStringLiteral("Banner picture"));
    gifBanner_ = new QLabel(panBanner_);
    gifBanner_->setObjectName(QStringLiteral("gifBanner"));
    gifBanner_->setAccessibleName(QStringLiteral("Animated banner"));
}

void TfrmMain::BuildBottomBar()
{
    panBottom_ = new QWidget(this);
    panBottom_->setObjectName(QStringLiteral("panBottom"));
    panBottom_->setAccessibleName(QStringLiteral("Comparison settings and result"));
    panBottom_->resize(kClientWidth, kBottomBarHeight);
    MakeLabel(panBottom_, QStringLiteral("lblDuplicate"), QStringLiteral("Duplicate Content"), {13, 13});
    edtDuplicate_ = MakeField(panBottom_, QStringLiteral("edtDuplicate"), true, {104, 10, 49, 18},
                              QStringLiteral("Duplicate content, percent"));
    MakeLabel(panBottom_, QStringLiteral("lblDuplicatePercent"), QStringLiteral("%"), {157, 13});

    minNumWords_ = new QSpinBox(panBottom_);
    minNumWords_->setObjectName(QStringLiteral("minNumWords"));
    // 0 is allowed in the box only so that minNumWordsChange can turn it
    // into 1; negative lengths are refused outright.
    minNumWords_->setRange(0, std::numeric_limits<int>::max());
    minNumWords_->setSingleStep(1);
    minNumWords_->setValue(1);
    minNumWords_->setGeometry(537, 9, 49, 20);
    minNumWords_->setAccessibleName(QStringLiteral("Minimum length of the matching parts"));

    // Anchored right and right-aligned against the length field, so that a
    // wider font than the one it was drawn for cannot make it overlap.
    QLabel* lengthLabel = MakeLabel(panBottom_, QStringLiteral("lblMinLength"),
                                    QStringLiteral("Minimun Length Of the Matching Parts = "), {340, 13});
    lengthLabel->setAccessibleName(QStringLiteral("Minimum length of the matching parts"));
    lengthLabel->move(534 - lengthLabel->width(), 13);
    lengthLabel->setBuddy(minNumWords_);

    cbxType_ = new QComboBox(panBottom_);
    cbxType_->setObjectName(QStringLiteral("cbxType"));
    cbxType_->addItems({QStringLiteral("Word(s)"), QStringLiteral("Sentence(s)"), QStringLiteral("Paragraph(s)")});
    cbxType_->setCurrentIndex(0);
    cbxType_->setGeometry(596, 9, 145, 20);
    cbxType_->setAccessibleName(QStringLiteral("Unit of the minimum length"));

    QFont underlined = font();
    underlined.setUnderline(true);
    lblLink1URL_ = MakeLabel(panBottom_, QStringLiteral("lblLink1URL"), QStringLiteral("Google"), {13, 36});
    lblLink1URL_->setTextFormat(Qt::PlainText);
    lblLink1URL_->setProperty("address", QString::fromLatin1(kBuiltInLinkAddress));
    lblLink1URL_->setFont(underlined);
    lblLink1URL_->adjustSize();
    lblLink1URL_->setCursor(Qt::PointingHandCursor);
    lblLink2URL_ = MakeLabel(panBottom_, QStringLiteral("lblLink2URL"), QStringLiteral("Google"), {701, 36});
    lblLink2URL_->setTextFormat(Qt::PlainText);
    lblLink2URL_->setProperty("address", QString::fromLatin1(kBuiltInLinkAddress));
    lblLink2URL_->setFont(underlined);
    lblLink2URL_->adjustSize();
    lblLink2URL_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblLink2URL_->setCursor(Qt::PointingHandCursor);
    // Right-justified: its right edge stays under cbxType's.
    lblLink2URL_->move(741 - lblLink2URL_->width(), 36);

    for (QWidget* anchored : {static_cast<QWidget*>(lengthLabel), static_cast<QWidget*>(minNumWords_),
                              static_cast<QWidget*>(cbxType_), static_cast<QWidget*>(lblLink2URL_)}) {
        rightAnchored_.emplace_back(anchored, kClientWidth - anchored->geometry().right() - 1);
    }
}

void TfrmMain::BuildPassageActions()
{
    actSaveReport_ = new QAction(QStringLiteral("Save Report..."), this);
    actSaveReport_->setObjectName(QStringLiteral("actSaveReport"));
    actSaveReport_->setShortcut(QKeySequence::Save);
    actSaveReport_->setShortcutContext(Qt::WindowShortcut);
    actSaveReport_->setToolTip(QStringLiteral("Writes the comparison of the two articles as they stand to a file: "
                                              "a web page, or JSON or text by the file's extension"));
    // On the window, so that Ctrl+S works whichever control has the focus.
    addAction(actSaveReport_);
    connect(actSaveReport_, &QAction::triggered, this, [this] { RunGuarded([this] { SaveReport(); }); });
    for (TSide& side : sides_) {
        const int number = NumberOf(side);
        const QString n = QString::number(number);
        TArticleEditor* editor = side.panel->rchArticle();
        auto* next = new QAction(QStringLiteral("Next Duplicated Passage"), editor);
        next->setObjectName(QStringLiteral("actNextPassage") + n);
        next->setShortcut(QKeySequence(Qt::Key_F3));
        next->setToolTip(QStringLiteral("Selects the next marked passage and its copy in the other article"));
        auto* previous = new QAction(QStringLiteral("Previous Duplicated Passage"), editor);
        previous->setObjectName(QStringLiteral("actPreviousPassage") + n);
        previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
        previous->setToolTip(
            QStringLiteral("Selects the previous marked passage and its copy in the other article"));
        for (QAction* action : {next, previous}) {
            // Each editor's F3 goes through its own article.
            action->setShortcutContext(Qt::WidgetShortcut);
        }
        editor->addActions({next, previous, actSaveReport_});
        connect(next, &QAction::triggered, this, [this, number] { RunGuarded([&] { GoToNextPassage(number); }); });
        connect(previous, &QAction::triggered, this,
                [this, number] { RunGuarded([&] { GoToPreviousPassage(number); }); });
        connect(editor, &TArticleEditor::DoubleClicked, this,
                [this, number](std::int32_t position) { RunGuarded([&] { ShowPartner(number, position); }); });
        editor->setAccessibleDescription(
            QStringLiteral("Double-click a marked word to select its copy in the other article; F3 and Shift+F3 "
                           "go to the next and previous marked passage; Ctrl+S saves the report"));
    }
}

void TfrmMain::SetFocusOrder()
{
    // Top to bottom, left to right, as the controls are laid out.
    std::vector<QWidget*> order{btnCompareEx_, btnMakeMoney_};
    for (const TSide& side : sides_) {
        const std::vector<QWidget*> controls = side.panel->FocusOrder();
        order.insert(order.end(), controls.begin(), controls.end());
    }
    order.insert(order.end(), {minNumWords_, cbxType_});
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void TfrmMain::ApplyLayoutRule()
{
    // First, as it may resize the window: Qt keeps the window from becoming
    // smaller than this.
    setMinimumSize(MinimumClientSize());
    const int width = this->width();
    const int height = this->height();
    panTop_->setGeometry(0, 0, width, kTopBarHeight);
    const int bannerHeight = panBanner_->isHidden() ? 0 : panBanner_->height();
    panBanner_->setGeometry(0, kTopBarHeight, width, panBanner_->height());

    // Each operand is halved on its own: (752 / 2) - (105 / 2) is 324, where
    // halving the difference would give 323.
    for (QLabel* banner : {imgBanner_, gifBanner_}) {
        banner->move((panBanner_->width() / 2) - (banner->width() / 2),
                     (panBanner_->height() / 2) - (banner->height() / 2));
    }

    const int areaTop = kTopBarHeight + bannerHeight;
    const int areaHeight = std::max(0, height - areaTop - kBottomBarHeight);
    const int leftWidth = std::max(0, (frameGeometry().width() / 2) - 10);
    sides_[0].panel->setGeometry(0, areaTop, leftWidth, areaHeight);
    sides_[1].panel->setGeometry(leftWidth + kStripWidth, areaTop, std::max(0, width - leftWidth - kStripWidth),
                                 areaHeight);
    for (TSide& side : sides_) {
        side.panel->Arrange();
    }

    panBottom_->setGeometry(0, height - kBottomBarHeight, width, kBottomBarHeight);
    for (const auto& [control, rightMargin] : rightAnchored_) {
        control->move(width - rightMargin - control->width(), control->y());
    }
}

// The smallest client area at which, laid out by the layout rule, no two
// controls overlap, every control shows whole and each editor keeps its own
// minimum. It follows the fonts, the skin, the link captions and the banner
// panel's height, so it is worked out anew with every layout.
QSize TfrmMain::MinimumClientSize() const
{
    int width = panTop_->childrenRect().right() + 1;
    // In the bottom bar, a control anchored right must stay clear of every
    // control on its row that keeps its place from the left, by the style's
    // spacing.
    const int spacing = std::max(0, style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing));
    for (const auto& [anchored, rightMargin] : rightAnchored_) {
        width = std::max(width, anchored->width() + rightMargin);
    }
    for (const QWidget* control : panBottom_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect rect = control->geometry();
        if (std::any_of(rightAnchored_.begin(), rightAnchored_.end(),
                        [control](const auto& entry) { return entry.first == control; })) {
            continue;
        }
        width = std::max(width, rect.right() + 1);
        for (const auto& [anchored, rightMargin] : rightAnchored_) {
            const QRect other = anchored->geometry();
            if (rect.top() <= other.bottom() && other.top() <= rect.bottom()) {
                width = std::max(width, rect.right() + 1 + spacing + anchored->width() + rightMargin);
            }
        }
    }
    // Article 1 is (outer width / 2) - 10 wide, article 2 the rest of the
    // client area less the strip.
    const int frame = frameGeometry().width() - this->width();
    const QSize left = sides_[0].panel->minimumSizeHint();
    const QSize right = sides_[1].panel->minimumSizeHint();
    width = std::max(width, 2 * (left.width() + 10) - frame);
    while (width - ((width + frame) / 2 - 10) - kStripWidth < right.width()) {
        ++width;
    }
    const int bannerHeight = panBanner_->isHidden() ? 0 : panBanner_->height();
    return {width, kTopBarHeight + bannerHeight + std::max(left.height(), right.height()) + kBottomBarHeight};
}

void TfrmMain::FormCreate()
{
    gifBanner_->setGeometry(imgBanner_->geometry());
    LoadConfiguration();
}

void TfrmMain::LoadConfiguration()
{
    base::TResult<std::optional<config::TConfiguration>> read =
        config::ReadConfiguration(startup_.programFolder, startup_.draw);
    if (!read) {
        startupProblems_.append(QString::fromStdString(read.Error()));
        return;
    }
    if (!read.Value()) {
        return;
    }
    const config::TConfiguration& configuration = *read.Value();
    if (configuration.caption) {
        const QString caption = QString::fromStdString(*configuration.caption);
        // Qt reads "[*]" in a title as the place of its modified mark; each
        // one doubled is shown as written.
        setWindowTitle(QString(caption).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
        setAccessibleName(caption);
    }
    sAffiliateID_ = configuration.affiliateId;
    if (configuration.banner) {
        sBannerURL_ = configuration.banner->address;
    }
    // Each part that fails is left out and noted; the rest still applies.
    const auto attempt = [this](const auto& part) {
        try {
            part();
        } catch (const std::bad_alloc&) {
            throw;
        } catch (...) {
            startupProblems_.append(platform::DescribeCurrentException());
        }
    };
    if (configuration.banner && configuration.bannerHidden) {
        startupProblems_.append(QStringLiteral("cannot show the banner %1: its stored file %2 is missing")
                                    .arg(QString::fromStdString(configuration.banner->shownName),
                                         QString::fromStdString(configuration.banner->storedFile.string())));
    }
    if (configuration.bannerHidden || !configuration.banner) {
        panBanner_->hide();
    } else {
        attempt([&] { ApplyBanner(*configuration.banner); });
    }
    ApplyLink(lblLink1URL_, configuration.link1, 1);
    ApplyLink(lblLink2URL_, configuration.link2, 2);
    if (configuration.skin) {
        attempt([&] {
            if (!*configuration.skin) {
                throw std::runtime_error(configuration.skin->Error());
            }
            setStyleSheet(QString::fromStdString(configuration.skin->Value()));
            skinApplied_ = true;
        });
    }
    if (configuration.iconFile) {
        attempt([&] { ApplyIcon(configuration); });
    }
    ApplyLayoutRule();
}

void TfrmMain::ApplyIcon(const config::TConfiguration& configuration)
{
    const QString file = QString::fromStdString(configuration.iconFile->string());
    const QIcon icon(file);
    if (icon.isNull() || icon.availableSizes().isEmpty()) {
        throw std::runtime_error("cannot use the icon " + configuration.iconPath + " (stored as "
                                 + configuration.iconFile->string() + "): not a picture this program can read");
    }
    setWindowIcon(icon);
    QApplication::setWindowIcon(icon);
}

void TfrmMain::ShowStartupProblems()
{
    if (startupProblems_.isEmpty()) {
        return;
    }
    const QString heading = startupProblems_.size() == 1
        ? QStringLiteral("The program's branding was applied except for this:")
        : QStringLiteral("The program's branding was applied except for these %1 parts:")
              .arg(startupProblems_.size());
    platform::ReportWarning(heading + QStringLiteral("\n") + std::exchange(startupProblems_, {}).join(u'\n'));
}

void TfrmMain::ApplyBanner(const config::TBannerChoice& banner)
{
    // A picture larger than this is no banner; refusing it before decoding
    // keeps a hostile file from asking for gigabytes.
    constexpr int kMaxBannerSide = 4096;
    const QString path = QString::fromStdString(banner.storedFile.string());
    const QByteArray format = QByteArray::fromStdString(banner.format);
    const auto refuse = [&](const char* why) {
        panBanner_->hide();
        throw std::runtime_error("cannot show the banner " + banner.shownName + " (stored as "
                                 + banner.storedFile.filename().string() + "): " + why);
    };
    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(false);
    QFile file(path);
    const QByteArray head =
        file.open(QIODevice::ReadOnly) ? file.read(static_cast<qint64>(config::kMaxPictureHeaderWalk)) : QByteArray();
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
    panBanner_->resize(panBanner_->width(), shown->height() + 10);
}

void TfrmMain::ApplyLink(QLabel* label, const config::TLink& link, int number)
{
    const QString caption = QString::fromStdString(link.caption);
    // Shown as written: a caption is never markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    label->setAccessibleName(caption);
    label->setProperty("address", QString::fromStdString(link.address));
    label->adjustSize();
    if (!link.address.empty() && !platform::NormaliseWebAddress(link.address)) {
        startupProblems_.append(QStringLiteral("the %1 footer link (%2) is not a web address: %3")
                                    .arg(number == 1 ? QStringLiteral("first") : QStringLiteral("second"),
                                         QString::fromStdString(link.key), QString::fromStdString(link.address)));
    }
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
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
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::OpenLink(const QLabel& label)
{
    const std::string address = label.property("address").toString().toStdString();
    // Too few links configured: an empty link, with nothing to open.
    if (address.empty()) {
        return;
    }
    if (!startup_.urlOpener->OpenDefault(address)) {
        platform::ReportWarning(QStringLiteral("Cannot open the link \u201C%1\u201D: nothing on this computer "
                                               "opens %2.")
                                    .arg(label.text(), QString::fromStdString(address)));
    }
}

void TfrmMain::imgBannerClick()
{
    if (!sBannerURL_.empty()) {
        startup_.urlOpener->OpenInBrowser(sBannerURL_);
    }
}

void TfrmMain::gifBannerClick()
{
    imgBannerClick();
}

void TfrmMain::btnMakeMoneyClick()
{
    startup_.urlOpener->OpenInBrowser(kPromotionalAddress + sAffiliateID_);
}

void TfrmMain::FormShow()
{
    ApplyLayoutRule();
}

void TfrmMain::FormResize()
{
    ApplyLayoutRule();
}

void TfrmMain::FormDestroy()
{
    engine_.SetArticleText(core::TArticleSide::Article1, {});
    engine_.SetArticleText(core::TArticleSide::Article2, {});
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The show event comes before the window is mapped, so it appears centred.
    if (!centred_ && !event->spontaneous()) {
        centred_ = true;
        if (const QScreen* screen = this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
        // Over the window, once it stands: a box before it would hide what
        // the configuration did apply.
        QMetaObject::invokeMethod(this, [this] { RunGuarded([this] { ShowStartupProblems(); }); },
                                  Qt::QueuedConnection);
    }
    FormShow();
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmMain::rchArticle1Change()
{
    ArticleChange(sides_[0]);
}

void TfrmMain::rchArticle2Change()
{
    ArticleChange(sides_[1]);
}

void TfrmMain::ArticleChange(TSide& side)
{
    if (bBusy_) {
        return;
    }
    std::u16string text = side.panel->rchArticle()->Text();
    const bool replaced = core::NormaliseArticle(text);
    engine_.SetArticleText(ArticleSide(NumberOf(side)), std::move(text));
    // Writing back raises OnChange, and so runs this handler once more; the
    // nested run finds nothing left to replace. SetText is done with its
    // argument before it raises OnChange, so the nested run may store a new
    // text.
    if (replaced) {
        side.panel->rchArticle()->SetText(side.article->sText);
    }
    side.panel->ShowCounts(*side.article);
}

void TfrmMain::btnCompareExClick()
{
    TBusyGuard busy(bBusy_);
    // The engine's one whole comparison: the blank check, the fresh split,
    // the walk and the percentage.
    const core::TCompareOutcome outcome = core::RunCompare(
        engine_, {static_cast<core::TUnitKind>(cbxType_->currentIndex()), minNumWords_->value()});
    if (!outcome.compared) {
        return;
    }
    TArticleEditor& editor1 = *sides_[0].panel->rchArticle();
    TArticleEditor& editor2 = *sides_[1].panel->rchArticle();
    // Nothing is painted until the command ends, so each editor's reset and
    // rebuild can be one edit, laid out once. The groups end before bBusy is
    // cleared: any change they report is ignored.
    const TArticleEditor::TEditGroup group1(editor1);
    const TArticleEditor::TEditGroup group2(editor2);
    ResetHighlighting(editor1);
    ResetHighlighting(editor2);
    RenderHighlights(editor1, engine_.Article1().lstWords);
    RenderHighlights(editor2, engine_.Article2().lstWords);
    // Out of the words actually split, not the count box, which may hold a
    // number the person typed there.
    edtDuplicate_->SetValue(outcome.duplicatePercent);
}

void TfrmMain::minNumWordsChange()
{
    if (minNumWords_->value() == 0) {
        minNumWords_->setValue(1);
    }
}

void TfrmMain::ResetHighlighting(TArticleEditor& editor)
{
    const TArticleEditor::TEditGroup group(editor);
    editor.SetSelectionStart(0);
    editor.SetSelectionLength(static_cast<std::int32_t>(editor.Text().size()));
    editor.SetSelectionTextColor(core::clBlack);
    editor.SetSelectionStyle(0);
    editor.SetSelectionBackColor(core::clWhite);
    editor.SetSelectionStart(0);
    editor.SetSelectionLength(0);
}

const std::u16string& TfrmMain::StoredText(const TArticleEditor& editor) const
{
    return &editor == sides_[0].panel->rchArticle() ? engine_.Article1().sText : engine_.Article2().sText;
}

void TfrmMain::RenderHighlights(TArticleEditor& editor, const core::TListWords& words)
{
    const std::u16string_view text = StoredText(editor);
    const std::vector<core::THighlightRun> runs = core::HighlightRuns(text, {words.begin(), words.end()});
    std::vector<TStyledPiece> pieces;
    pieces.reserve(runs.size());
    for (const core::THighlightRun& run : runs) {
        const bool plain = run.color == core::clWhite;
        pieces.push_back({text.substr(static_cast<std::size_t>(run.start), static_cast<std::size_t>(run.length)),
                          core::clBlack, run.color, plain ? 0U : TFontStyles{fsBold}});
    }
    // One bulk edit instead of a reset, a Clear and one insertion per piece:
    // the same content and formats, without a layout per piece.
    editor.RenderPieces(pieces);
}

void TfrmMain::btnClearH1Click()
{
    ClearHighlighting(sides_[0]);
}

void TfrmMain::btnClearH2Click()
{
    ClearHighlighting(sides_[1]);
}

void TfrmMain::ClearHighlighting(TSide& side)
{
    engine_.ReparseArticle(ArticleSide(NumberOf(side)));
    ResetHighlighting(*side.panel->rchArticle());
}

void TfrmMain::ShowPartner(int number, std::int32_t position)
{
    TSide& side = Side(number);
    const std::int32_t word = core::WordAt(Words(*side.article), position);
    if (word < 0) {
        return;
    }
    const std::optional<core::TComparison::TPassage> passage = engine_.PassageOf(ArticleSide(number), word);
    if (!passage) {
        return;
    }
    // The word stays selected where the person clicked, as in every editor,
    // so that typing replaces just that word; the copy shows in the other.
    ShowCopy(side, word);
}

void TfrmMain::GoToNextPassage(int side)
{
    GoToPassage(Side(side), true);
}

void TfrmMain::GoToPreviousPassage(int side)
{
    GoToPassage(Side(side), false);
}

void TfrmMain::GoToPassage(TSide& side, bool forward)
{
    const TArticleEditor& editor = *side.panel->rchArticle();
    const std::int32_t start = editor.SelectionStart();
    // A region that begins at the selection's start is the one selected, so
    // going forward passes it; at a bare caret it is the next one.
    const std::optional<core::TWordRange> region =
        forward ? core::NextRegion(Words(*side.article), editor.SelectionLength() > 0 ? start + 1 : start)
                : core::PreviousRegion(Words(*side.article), start);
    if (!region) {
        return;
    }
    SelectWords(side, region->iFirstWord, region->iLastWord, TArticleEditor::TView::Range);
    ShowCopy(side, region->iFirstWord);
}

void TfrmMain::ShowCopy(TSide& side, std::int32_t word)
{
    const int number = NumberOf(side);
    const std::optional<core::TComparison::TPassage> passage = engine_.PassageOf(ArticleSide(number), word);
    if (!passage) {
        return;
    }
    if (number == 1) {
        SelectWords(sides_[1], passage->first2, passage->last2, TArticleEditor::TView::Range);
    } else {
        SelectWords(sides_[0], passage->first1, passage->last1, TArticleEditor::TView::Range);
    }
}

void TfrmMain::SelectWords(TSide& side, std::int32_t first, std::int32_t last, TArticleEditor::TView view)
{
    const core::TListWords& words = side.article->lstWords;
    if (first < 0 || first > last || last >= words.Count()) {
        return;
    }
    const std::int32_t start = words[first].iStart - 1;
    side.panel->rchArticle()->ShowRange(start, words[last].iEnd - 1 - start, view);
}

void TfrmMain::SetSaveDialog(TSaveDialog dialog)
{
    saveDialog_ = std::move(dialog);
}

void TfrmMain::SaveReport()
{
    QString folder = saveFolder_.isEmpty() ? lastFolder_ : saveFolder_;
    if (folder.isEmpty()) {
        folder = QDir::homePath();
    }
    const TSaveDialog& dialog = saveDialog_ ? saveDialog_ : TSaveDialog(ShowSaveDialog);
    const std::optional<QString> chosen =
        dialog(this, QStringLiteral("Save Report"), QDir(folder).filePath(QStringLiteral("duplicate-content.html")));
    if (!chosen) {
        return;
    }
    saveFolder_ = QFileInfo(*chosen).absolutePath();
    report::TCompareSettings settings;
    settings.unit = static_cast<core::TUnitKind>(cbxType_->currentIndex());
    settings.minLength = minNumWords_->value();
    // Each by the file it came from; typed or pasted text as the window
    // names its side.
    std::array<std::string, 2> names;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const TSide& side = sides_[i];
        names[i] = (side.sourceName.isEmpty() ? side.panel->title() : side.sourceName).toStdString();
    }
    base::TStatus saved = base::Done();
    {
        const TBusyCursor busy;
        const report::TCompareReport compared = report::CompareArticles(
            sides_[0].panel->rchArticle()->Text(), sides_[1].panel->rchArticle()->Text(), settings, names);
        const std::string file = QFile::encodeName(*chosen).toStdString();
        saved = report::WriteFileAtomically(file, report::TReportFormat::FromFileName(file).Writer(compared));
    }
    if (!saved) {
        platform::ReportWarning(QStringLiteral("The report was not saved: %1.").arg(QString::fromStdString(saved.Error())));
    }
}

TfrmMain::TSide& TfrmMain::Side(int side)
{
    if (side != 1 && side != 2) {
        throw std::out_of_range("there is no article side " + std::to_string(side));
    }
    return sides_[static_cast<std::size_t>(side - 1)];
}

int TfrmMain::NumberOf(const TSide& side) const
{
    return &side == &sides_[0] ? 1 : 2;
}

void TfrmMain::SetOpenDialog(TOpenDialog dialog)
{
    openDialog_ = std::move(dialog);
}

void TfrmMain::btnImport1Click()
{
    Import(sides_[0]);
}

void TfrmMain::btnImport2Click()
{
    Import(sides_[1]);
}

void TfrmMain::Import(TSide& side)
{
    if (side.importing) {
        return;
    }
    const QString folder = lastFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : lastFolder_;
    const TOpenDialog& dialog = openDialog_ ? openDialog_ : TOpenDialog(ShowOpenDialog);
    const std::optional<QString> chosen = dialog(this, QStringLiteral("Open file"), folder);
    if (!chosen) {
        return;
    }
    lastFolder_ = QFileInfo(*chosen).absolutePath();
    ImportFile(NumberOf(side), *chosen);
}

bool TfrmMain::IsImporting(int side) const
{
    return side >= 1 && side <= 2 && sides_[static_cast<std::size_t>(side - 1)].importing;
}

void TfrmMain::ImportFile(int number, const QString& path)
{
    TSide& side = Side(number);
    if (side.importing) {
        return;
    }
    const std::string file = QFile::encodeName(path).toStdString();
    // What can be told without reading is refused before the article is
    // emptied: a pipe would hold the read up forever.
    if (const std::optional<std::string> refused = io::RefuseBeforeReading(file, io::kMaxImportBytes)) {
        platform::ReportWarning(QString::fromStdString(*refused)
                                + QStringLiteral(".\n%1 is left as it was.").arg(side.panel->title()));
        QMetaObject::invokeMethod(this, [this, number] { Q_EMIT ImportEnded(number); }, Qt::QueuedConnection);
        return;
    }
    TArticleEditor& editor = *side.panel->rchArticle();
    side.emptiedText = !editor.Text().empty();
    editor.Clear();
    side.changesAfterClear = editor.Changes();
    const bool plain = io::TakesWordProcessorRoute(file);
    const TArticleEditor::TDocumentLook look = editor.DocumentLook();
    QThread* const guiThread = thread();
    SetImporting(side, true);
    // The read, and the building of the editor's document from it, run off
    // the GUI thread: a document that LibreOffice converts takes seconds, a
    // book of short lines is hundreds of thousands of paragraphs, and the
    // window must answer meanwhile. The result comes back as a queued call,
    // which Qt drops if the window is gone.
    side.importer = std::jthread([this, number, file, plain, path, look, guiThread](const std::stop_token& stop) {
        auto result = std::make_shared<TImportRead>();
        try {
            io::TReadSettings settings;
            settings.maxBytes = io::kMaxImportBytes;
            settings.stop = stop;
            base::TResult<io::TArticleDocument> read = io::ReadArticleFile(file, settings);
            if (!read) {
                result->error = read.Error();
            } else if (!stop.stop_requested()) {
                if (!plain) {
                    result->plainParagraphs = io::PlainCrowdedParagraphs(read.Value());
                }
                result->built = TArticleEditor::BuildDocument(look, read.Value(), plain);
                result->built->moveToThread(guiThread);
            }
        } catch (...) {
            result->fault = std::current_exception();
        }
        if (stop.stop_requested()) {
            return;
        }
        QMetaObject::invokeMethod(
            this,
            [this, number, path, result] {
                TSide& done = Side(number);
                RunGuarded([&] { FinishImport(done, path, *result); });
                Q_EMIT ImportEnded(number);
            },
            Qt::QueuedConnection);
    });
}

void TfrmMain::FinishImport(TSide& side, const QString& path, TImportRead& result)
{
    // The worker posted this as its last act; it is ending, if not gone.
    if (side.importer.joinable()) {
        side.importer.join();
    }
    SetImporting(side, false);
    const QString article = side.panel->title();
    if (result.fault) {
        side.sourceName.clear();
        std::rethrow_exception(result.fault);
    }
    if (!result.built) {
        side.sourceName.clear();
        platform::ReportWarning(QString::fromStdString(result.error) + QStringLiteral(".\n")
                                + (side.emptiedText ? QStringLiteral("%1 is empty; Ctrl+Z brings its text back.")
                                                    : QStringLiteral("%1 stays empty."))
                                      .arg(article));
        return;
    }
    TArticleEditor& editor = *side.panel->rchArticle();
    // The load and the emptying that began the import make one step, so
    // that one Ctrl+Z brings back the text as it was; unless something was
    // done to the editor in between, which then stays a step of its own.
    const TArticleEditor::TUndoStep step = editor.Changes() == side.changesAfterClear
        ? TArticleEditor::TUndoStep::JoinClear
        : TArticleEditor::TUndoStep::New;
    editor.ShowDocument(std::move(result.built), step);
    side.sourceName = QFileInfo(path).fileName();
    if (result.plainParagraphs > 0) {
        platform::ReportWarning(
            QStringLiteral("%1 is in %2 without part of its formatting: %3 holds more than %4 differently "
                           "formatted stretches, more than the window lays out quickly, and is shown plain.")
                .arg(QFileInfo(path).fileName(), article,
                     result.plainParagraphs == 1 ? QStringLiteral("1 paragraph")
                                                 : QStringLiteral("each of %1 paragraphs").arg(result.plainParagraphs),
                     QString::number(io::kMaxLookRunsPerParagraph)));
    }
}

void TfrmMain::SetImporting(TSide& side, bool importing)
{
    side.importing = importing;
    side.panel->SetImporting(importing);
}

void TfrmMain::btnClear1Click()
{
    sides_[0].sourceName.clear();
    sides_[0].panel->rchArticle()->Clear();
}

void TfrmMain::btnClear2Click()
{
    sides_[1].sourceName.clear();
    sides_[1].panel->rchArticle()->Clear();
}

void TfrmMain::btnCalculateKwDensity1Click()
{
    CalculateKwDensity(sides_[0]);
}

void TfrmMain::btnCalculateKwDensity2Click()
{
    CalculateKwDensity(sides_[1]);
}

void TfrmMain::CalculateKwDensity(TSide& side)
{
    TArticleEditor& editor = *side.panel->rchArticle();
    const TArticleEditor::TEditGroup group(editor);
    ResetHighlighting(editor);
    const QString typed = side.panel->edtKw()->text();
    const std::vector<core::TKeywordHit> hits = core::FindKeyword(editor.Text(), View(typed));
    std::vector<TTextRange> ranges;
    ranges.reserve(hits.size());
    for (const core::TKeywordHit& hit : hits) {
        ranges.push_back({hit.position, hit.length});
    }
    // All marks in one edit, with no events let through between them: a
    // second press or a Delete All cannot run in the middle of the marking.
    editor.MarkRanges(ranges, core::clBlack, core::clKeyword, 0);
    if (!hits.empty()) {
        editor.SetSelectionStart(hits.back().position);
        editor.SetSelectionLength(hits.back().length);
    }
    const auto count = static_cast<std::int32_t>(hits.size());
    // Out of the side's actual words, not the count box, which may hold a
    // number the person typed there.
    side.panel->ShowDensity(count, core::KeywordDensity(count, side.article->lstWords.Count()));
}

} // namespace glenvary::ui
