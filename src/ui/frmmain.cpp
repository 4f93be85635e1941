// SPDX-License-Identifier: MIT
#include "ui/frmmain.h"

#include "report/report.h"
#include "report/report_format.h"
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
#include "ui/compareoptions.h"
#include "ui/controls.h"
#include "ui/guarded.h"
#include "ui/numericfield.h"
#include "ui/passagenavigator.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QStyle>

#include <algorithm>
#include <cstdint>
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
constexpr int kBottomBarHeight = 62;
constexpr int kStripWidth = 5;

std::u16string_view View(const QString& text)
{
    return {QStringView(text).utf16(), static_cast<std::size_t>(text.size())};
}

core::TArticleSide ArticleSide(int number)
{
    return number == 1 ? core::TArticleSide::Article1 : core::TArticleSide::Article2;
}

} // namespace

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
    panBanner_ = new TBanner(startup_.urlOpener, this);
    sides_[0].article = &engine_.Article1();
    sides_[1].article = &engine_.Article2();
    sides_[0].panel = new TArticlePanel(1, this);
    sides_[0].panel->setObjectName(QStringLiteral("panLeft"));
    sides_[0].panel->resize(kClientWidth / 2 - 10, 0);
    sides_[1].panel = new TArticlePanel(2, this);
    sides_[1].panel->setObjectName(QStringLiteral("panRight"));
    BuildBottomBar();
    panBanner_->Wire(btnMakeMoney_, lblLink1URL_, lblLink2URL_);
    SetFocusOrder();
    ApplyLayoutRule();
    ConnectHandlers();
    BuildPassageActions();
    // Options..., Find Sources and Add to Archive, in the editors' menus;
    // the objects are the window's children.
    options_ = new TOptionsCommands(this, {sides_[0].panel->rchArticle(), sides_[1].panel->rchArticle()}, this);
    const auto settings = [this] {
        return core::TCompareSettings{static_cast<core::TUnitKind>(cbxType_->currentIndex()), minNumWords_->value()};
    };
    new TArchiveCommands({this, {sides_[0].panel, sides_[1].panel}, settings, [this] { btnCompareEx_->click(); },
                          [this](const QString& command) { return options_->CompareOptions(command); }},
                         this);
    for (TSide& side : sides_) {
        side.panel->rchArticle()->SetRewrittenCharacters(
            std::u16string{core::kNoBreakSpace, core::kRightSingleQuote, core::kEnDash});
    }

    RunGuarded([this] { FormCreate(); });
    // The built-in skin, unless a dbskin.dat was applied. The window's style
    // sheet is set once: a second one set in place of the first makes the
    // controls it styles lose the window's small font.
    if (!skinApplied_) {
        RunGuarded([this] { setStyleSheet(BuiltInSkin()); });
    }
}

// A read still running is stopped by its panel, which it reports to.
TfrmMain::~TfrmMain()
{
    FormDestroy();
}

// Every handler runs guarded: a failure ends the handler where it arose and
// is reported there, at the edge of what the person started.
void TfrmMain::ConnectHandlers()
{
    connect(btnCompareEx_, &QPushButton::clicked, this, Guarded([this] { btnCompareExClick(); }));
    connect(minNumWords_, &QSpinBox::valueChanged, this, Guarded([this] { minNumWordsChange(); }));
    for (int number : {1, 2}) {
        const TArticlePanel* panel = Side(number).panel;
        const bool first = number == 1;
        connect(panel->rchArticle(), &TArticleEditor::OnChange, this,
                Guarded([this, first] { first ? rchArticle1Change() : rchArticle2Change(); }));
        connect(panel->btnClearH(), &QPushButton::clicked, this,
                Guarded([this, first] { first ? btnClearH1Click() : btnClearH2Click(); }));
        connect(panel->btnImport(), &QPushButton::clicked, this,
                Guarded([this, first] { first ? btnImport1Click() : btnImport2Click(); }));
        connect(panel->rchArticle(), &TArticleEditor::FileDropped, this,
                [this, number](const QString& path) { RunGuarded([&] { ImportFile(number, path); }); });
        connect(panel, &TArticlePanel::ImportEnded, this, [this, number] { Q_EMIT ImportEnded(number); });
        connect(panel->btnClear(), &QPushButton::clicked, this,
                Guarded([this, first] { first ? btnClear1Click() : btnClear2Click(); }));
        connect(panel->btnCalculateKwDensity(), &QPushButton::clicked, this,
                Guarded([this, first] { first ? btnCalculateKwDensity1Click() : btnCalculateKwDensity2Click(); }));
    }
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
    // Two lines in the room left of the length label at the window's
    // first width; a longer line is cut short there and read whole in the
    // tip.
    lblResultNote_ = MakeLabel(panBottom_, QStringLiteral("lblResultNote"), {}, {172, 4});
    lblResultNote_->setFixedSize(140, 30);
    lblResultNote_->setTextFormat(Qt::RichText);
    lblResultNote_->setAccessibleName(QStringLiteral("Notes on the comparison"));

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
    lblLink2URL_ = MakeLabel(panBottom_, QStringLiteral("lblLink2URL"), QStringLiteral("Google"), {701, 36});
    for (QLabel* link : {lblLink1URL_, lblLink2URL_}) {
        link->setFont(underlined);
        link->adjustSize();
    }
    lblLink2URL_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
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
    connect(actSaveReport_, &QAction::triggered, this, Guarded([this] { SaveReport(); }));
    passages_ = new TPassageNavigator(engine_, *sides_[0].panel->rchArticle(), *sides_[1].panel->rchArticle(), this);
    for (TSide& side : sides_) {
        TArticleEditor* editor = side.panel->rchArticle();
        editor->addAction(actSaveReport_);
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

    panBanner_->Arrange();

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
    int width = std::max(panTop_->childrenRect().right() + 1, BarMinimumWidth(*panBottom_, rightAnchored_));
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
    startupProblems_.append(panBanner_->Apply(configuration));
    skinApplied_ = panBanner_->SkinApplied();
    ApplyLayoutRule();
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

void TfrmMain::imgBannerClick()
{
    panBanner_->imgBannerClick();
}

void TfrmMain::gifBannerClick()
{
    panBanner_->gifBannerClick();
}

void TfrmMain::btnMakeMoneyClick()
{
    panBanner_->btnMakeMoneyClick();
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
    ForgetOptionsComparison();
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
    const std::optional<core::TCompareOptions> options = options_->CompareOptions(QStringLiteral("Compare"));
    if (!options) {
        return;
    }
    const core::TCompareSettings settings{static_cast<core::TUnitKind>(cbxType_->currentIndex()),
                                          minNumWords_->value()};
    // The engine's one whole comparison: the blank check, the fresh split,
    // the walk and the percentage; with options, the same on the texts as
    // the options read them.
    std::unique_ptr<core::TOptionsComparison> withOptions;
    if (options->Any()) {
        withOptions = std::make_unique<core::TOptionsComparison>(sText1(), sText2(), settings, *options);
    }
    const core::TCompareOutcome outcome = withOptions ? withOptions->Compared().outcome
                                                      : core::RunCompare(engine_, settings);
    if (!outcome.compared) {
        return;
    }
    ForgetOptionsComparison();
    if (withOptions) {
        // The engine's colours of an earlier comparison no longer stand.
        engine_.ReparseArticle(core::TArticleSide::Article1);
        engine_.ReparseArticle(core::TArticleSide::Article2);
        optionsComparison_ = std::move(withOptions);
        passages_->Follow(optionsComparison_.get());
    }
    const core::TArticle& article1 = optionsComparison_ ? optionsComparison_->Compared().article1 : engine_.Article1();
    const core::TArticle& article2 = optionsComparison_ ? optionsComparison_->Compared().article2 : engine_.Article2();
    TArticleEditor& editor1 = *sides_[0].panel->rchArticle();
    TArticleEditor& editor2 = *sides_[1].panel->rchArticle();
    // Nothing is painted until the command ends, so each editor's reset and
    // rebuild can be one edit, laid out once. The groups end before bBusy is
    // cleared: any change they report is ignored.
    const TArticleEditor::TEditGroup group1(editor1);
    const TArticleEditor::TEditGroup group2(editor2);
    ResetHighlighting(editor1);
    ResetHighlighting(editor2);
    RenderHighlights(editor1, article1.lstWords);
    RenderHighlights(editor2, article2.lstWords);
    // Out of the words actually split, not the count box, which may hold a
    // number the person typed there.
    edtDuplicate_->SetValue(outcome.duplicatePercent);
    ShowResultNote(*options, optionsComparison_ ? optionsComparison_->Compared().leftOutWords : 0);
}

void TfrmMain::ForgetOptionsComparison()
{
    passages_->Follow(nullptr);
    optionsComparison_.reset();
}

void TfrmMain::ShowResultNote(const core::TCompareOptions& options, std::int32_t leftOutWords)
{
    const TResultNote note = DescribeResult(options, leftOutWords, core::FindDisguises(sText2()), sText2());
    const auto line = [this](const QString& text) {
        return lblResultNote_->fontMetrics().elidedText(text, Qt::ElideRight, lblResultNote_->width()).toHtmlEscaped();
    };
    QStringList lines;
    if (!note.options.isEmpty()) {
        lines.append(line(note.options));
    }
    if (!note.disguises.isEmpty()) {
        lines.append(QStringLiteral("<span style=\"color: #b00000\">%1</span>").arg(line(note.disguises)));
    }
    lblResultNote_->setText(lines.join(QStringLiteral("<br>")));
    lblResultNote_->setToolTip(note.full);
    lblResultNote_->setAccessibleDescription(note.full);
}

void TfrmMain::minNumWordsChange()
{
    if (minNumWords_->value() == 0) {
        minNumWords_->setValue(1);
    }
}

void TfrmMain::ResetHighlighting(TArticleEditor& editor)
{
    editor.ShowPlain();
}

const std::u16string& TfrmMain::StoredText(const TArticleEditor& editor) const
{
    return &editor == sides_[0].panel->rchArticle() ? engine_.Article1().sText : engine_.Article2().sText;
}

void TfrmMain::RenderHighlights(TArticleEditor& editor, const core::TListWords& words)
{
    const std::u16string_view text = StoredText(editor);
    editor.RenderRuns(text, core::HighlightRuns(text, {words.begin(), words.end()}));
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
    ForgetOptionsComparison();
    engine_.ReparseArticle(ArticleSide(NumberOf(side)));
    ResetHighlighting(*side.panel->rchArticle());
}

void TfrmMain::ShowPartner(int side, std::int32_t position)
{
    passages_->ShowPartner(side, position);
}

void TfrmMain::GoToNextPassage(int side)
{
    passages_->GoToNextPassage(side);
}

void TfrmMain::GoToPreviousPassage(int side)
{
    passages_->GoToPreviousPassage(side);
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
    const std::optional<core::TCompareOptions> options = options_->CompareOptions(QStringLiteral("Save Report"));
    if (!options) {
        return;
    }
    report::TCompareSettings settings;
    settings.unit = static_cast<core::TUnitKind>(cbxType_->currentIndex());
    settings.minLength = minNumWords_->value();
    const std::array<std::string, 2> names{sides_[0].panel->ArticleName().toStdString(),
                                           sides_[1].panel->ArticleName().toStdString()};
    base::TStatus saved = base::Done();
    {
        const TBusyCursor busy;
        const report::TCompareReport compared = report::CompareArticles(
            sides_[0].panel->rchArticle()->Text(), sides_[1].panel->rchArticle()->Text(), settings, names, *options);
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
    if (side.panel->IsImporting()) {
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
    return side >= 1 && side <= 2 && sides_[static_cast<std::size_t>(side - 1)].panel->IsImporting();
}

void TfrmMain::ImportFile(int number, const QString& path)
{
    Side(number).panel->ImportFile(path);
}

void TfrmMain::btnClear1Click()
{
    sides_[0].panel->ForgetSource();
    sides_[0].panel->rchArticle()->Clear();
}

void TfrmMain::btnClear2Click()
{
    sides_[1].panel->ForgetSource();
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
