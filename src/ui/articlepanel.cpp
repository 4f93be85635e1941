// SPDX-License-Identifier: MIT
#include "ui/articlepanel.h"

#include "core/segmentation.h"
#include "io/article_file.h"
#include "platform/error_reporter.h"
#include "ui/articleeditor.h"
#include "ui/controls.h"
#include "ui/guarded.h"
#include "ui/numericfield.h"

#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>

#include <algorithm>
#include <memory>
#include <utility>

namespace glenvary::ui {
namespace {

// The fixed heights of the button bar and the statistics, in pixels.
constexpr int kButtonBarHeight = 37;
constexpr int kStatisticsHeight = 113;

} // namespace

TArticlePanel::TArticlePanel(int number, QWidget* parent)
    : QGroupBox(QStringLiteral("Article ") + QString::number(number), parent)
{
    setAccessibleName(title());
    BuildButtonBar(number);
    BuildEditor(number);
    BuildStatistics(number);
}

void TArticlePanel::BuildButtonBar(int number)
{
    const QString n = QString::number(number);
    const QString article = title();
    // The second side's button bar sits 2 pixels further right, as drawn.
    const int shift = number == 1 ? 0 : 2;
    buttonBar_ = new QWidget(this);
    buttonBar_->setObjectName(QStringLiteral("panButtons") + n);
    buttonBar_->setAccessibleName(QStringLiteral("Commands of ") + article);
    btnImport_ = MakeButton(buttonBar_, QStringLiteral("btnImport") + n, QStringLiteral("Import"),
                            {5 + shift, 9, 103, 20});
    btnImport_->setAccessibleName(QStringLiteral("Import into ") + article);
    btnClearH_ = MakeButton(buttonBar_, QStringLiteral("btnClearH") + n, QStringLiteral("Clear Highlighting"),
                            {111 + shift, 9, 143, 20});
    btnClearH_->setAccessibleName(QStringLiteral("Clear Highlighting of ") + article);
    btnClear_ = MakeButton(buttonBar_, QStringLiteral("btnClear") + n, QStringLiteral("Delete All"),
                           {257 + shift, 9, 102, 20});
    btnClear_->setAccessibleName(QStringLiteral("Delete All of ") + article);
}

void TArticlePanel::BuildEditor(int number)
{
    rchArticle_ = new TArticleEditor(this);
    rchArticle_->setObjectName(QStringLiteral("rchArticle") + QString::number(number));
    rchArticle_->setAccessibleName(QStringLiteral("Text of ") + title());
    QFont arial(QStringLiteral("Arial"));
    arial.setStyleHint(QFont::SansSerif);
    arial.setPixelSize(12);
    // Latin text needs no shaping; skipping it (Qt still shapes the scripts
    // that need it) makes laying out a book-length article four times faster.
    arial.setStyleStrategy(QFont::PreferNoShaping);
    rchArticle_->setFont(arial);
}

void TArticlePanel::BuildStatistics(int number)
{
    const QString n = QString::number(number);
    const QString article = title();
    QWidget* stats = statistics_ = new QWidget(this);
    stats->setObjectName(QStringLiteral("panStatistics") + n);
    stats->setAccessibleName(QStringLiteral("Statistics of ") + article);
    MakeLabel(stats, QStringLiteral("lblContains") + n, QStringLiteral("Contains"), {8, 6});
    divider_ = new QFrame(stats);
    divider_->setObjectName(QStringLiteral("linContains") + n);
    divider_->setFrameShape(QFrame::HLine);
    divider_->setFrameShadow(QFrame::Sunken);
    divider_->setAccessibleName(QStringLiteral("Divider"));
    divider_->setGeometry(57, 12, 100, 2);

    edtWords_ = MakeField(stats, QStringLiteral("edtWords") + n, false, {16, 26, 49, 18},
                          QStringLiteral("Words in ") + article);
    MakeLabel(stats, QStringLiteral("lblWords") + n, QStringLiteral(" Words,"), {70, 30})->setBuddy(edtWords_);
    edtSenten_ = MakeField(stats, QStringLiteral("edtSenten") + n, false, {113, 27, 49, 18},
                           QStringLiteral("Sentences in ") + article);
    MakeLabel(stats, QStringLiteral("lblSentences") + n, QStringLiteral("Sentences,"), {169, 30})
        ->setBuddy(edtSenten_);
    edtParag_ = MakeField(stats, QStringLiteral("edtParag") + n, false, {233, 27, 49, 18},
                          QStringLiteral("Paragraphs in ") + article);
    MakeLabel(stats, QStringLiteral("lblParagraphs") + n, QStringLiteral("Paragraphs"), {289, 30})
        ->setBuddy(edtParag_);

    edtKw_ = new QLineEdit(stats);
    edtKw_->setObjectName(QStringLiteral("edtKw") + n);
    edtKw_->setGeometry(104, 55, 242, 18);
    edtKw_->setAccessibleName(QStringLiteral("Keyword phrase for ") + article);
    MakeLabel(stats, QStringLiteral("lblKeyword") + n, QStringLiteral("Keyword phrase:"), {19, 58})->setBuddy(edtKw_);

    btnCalculateKwDensity_ = MakeButton(stats, QStringLiteral("btnCalculateKwDensity") + n,
                                        QStringLiteral("Calculate Keyword Density"), {20, 83, 174, 20});
    btnCalculateKwDensity_->setAccessibleName(QStringLiteral("Calculate Keyword Density of ") + article);
    edtDensPerc_ = MakeField(stats, QStringLiteral("edtDensPerc") + n, true, {200, 84, 49, 18},
                             QStringLiteral("Keyword density of ") + article + QStringLiteral(", percent"));
    MakeLabel(stats, QStringLiteral("lblDensPercent") + n, QStringLiteral("%"), {253, 87});
    edtDensTotal_ = MakeField(stats, QStringLiteral("edtDensTotal") + n, true, {296, 84, 49, 18},
                              QStringLiteral("Keyword occurrences in ") + article);
    MakeLabel(stats, QStringLiteral("lblDensNo") + n, QStringLiteral("No:"), {275, 87});
}

void TArticlePanel::Arrange()
{
    const QRect inner = contentsRect();
    buttonBar_->setGeometry(inner.left(), inner.top(), inner.width(), kButtonBarHeight);
    const int editorHeight = std::max(0, inner.height() - kButtonBarHeight - kStatisticsHeight);
    rchArticle_->setGeometry(inner.left(), inner.top() + kButtonBarHeight, inner.width(), editorHeight);
    statistics_->setGeometry(inner.left(), inner.top() + kButtonBarHeight + editorHeight, inner.width(),
                             kStatisticsHeight);
    divider_->setGeometry(57, 12, std::max(0, inner.width() - 57 - 8), 2);
}

QSize TArticlePanel::minimumSizeHint() const
{
    int width = rchArticle_->minimumSizeHint().width();
    for (const QWidget* bar : {buttonBar_, statistics_}) {
        for (const QWidget* control : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            // The divider stretches with the panel; everything else keeps
            // its place from the left.
            if (control != divider_) {
                width = std::max(width, control->geometry().right() + 1);
            }
        }
    }
    const QMargins margins = contentsMargins();
    return {margins.left() + width + margins.right(),
            margins.top() + kButtonBarHeight + rchArticle_->minimumSizeHint().height() + kStatisticsHeight
                + margins.bottom()};
}

void TArticlePanel::ShowCounts(const core::TArticle& article)
{
    edtWords_->SetValue(article.lstWords.Count());
    edtSenten_->SetValue(article.lstSentences.Count());
    edtParag_->SetValue(article.lstParagraphs.Count());
}

void TArticlePanel::ShowDensity(int occurrences, double density)
{
    edtDensTotal_->SetValue(occurrences);
    edtDensPerc_->SetFractional(true);
    edtDensPerc_->SetValue(density);
}

void TArticlePanel::SetImporting(bool importing)
{
    importing_ = importing;
    btnImport_->setEnabled(!importing);
    rchArticle_->setReadOnly(importing);
    if (importing) {
        setCursor(Qt::BusyCursor);
        rchArticle_->viewport()->setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
        rchArticle_->viewport()->setCursor(Qt::IBeamCursor);
    }
}

std::vector<QWidget*> TArticlePanel::FocusOrder() const
{
    return {btnImport_, btnClearH_, btnClear_, rchArticle_, edtWords_,
            edtSenten_, edtParag_,  edtKw_,     btnCalculateKwDensity_};
}

} // namespace glenvary::ui

namespace glenvary::ui {

TArticlePanel::~TArticlePanel()
{
    StopImport();
}

void TArticlePanel::StopImport()
{
    importer_.request_stop();
    if (importer_.joinable()) {
        importer_.join();
    }
}

void TArticlePanel::ImportFile(const QString& path)
{
    if (importing_) {
        return;
    }
    const std::string file = QFile::encodeName(path).toStdString();
    // What can be told without reading is refused before the article is
    // emptied: a pipe would hold the read up forever.
    if (const std::optional<std::string> refused = io::RefuseBeforeReading(file, io::kMaxImportBytes)) {
        platform::ReportWarning(QString::fromStdString(*refused)
                                + QStringLiteral(".\n%1 is left as it was.").arg(title()));
        QMetaObject::invokeMethod(this, [this] { Q_EMIT ImportEnded(); }, Qt::QueuedConnection);
        return;
    }
    emptiedText_ = !rchArticle_->Text().empty();
    rchArticle_->Clear();
    changesAfterClear_ = rchArticle_->Changes();
    const bool plain = io::TakesWordProcessorRoute(file);
    const TArticleEditor::TDocumentLook look = rchArticle_->DocumentLook();
    QThread* const guiThread = thread();
    SetImporting(true);
    // The read, and the building of the editor's document from it, run off
    // the GUI thread: a document that LibreOffice converts takes seconds, a
    // book of short lines is hundreds of thousands of paragraphs, and the
    // window must answer meanwhile. The result comes back as a queued call,
    // which Qt drops if the panel is gone.
    importer_ = std::jthread([this, file, plain, path, look, guiThread](const std::stop_token& stop) {
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
            [this, path, result] {
                RunGuarded([&] { FinishImport(path, *result); });
                Q_EMIT ImportEnded();
            },
            Qt::QueuedConnection);
    });
}

void TArticlePanel::FinishImport(const QString& path, TImportRead& result)
{
    // The worker posted this as its last act; it is ending, if not gone.
    if (importer_.joinable()) {
        importer_.join();
    }
    SetImporting(false);
    const QString article = title();
    if (result.fault) {
        sourceName_.clear();
        std::rethrow_exception(result.fault);
    }
    if (!result.built) {
        sourceName_.clear();
        platform::ReportWarning(QString::fromStdString(result.error) + QStringLiteral(".\n")
                                + (emptiedText_ ? QStringLiteral("%1 is empty; Ctrl+Z brings its text back.")
                                                : QStringLiteral("%1 stays empty."))
                                      .arg(article));
        return;
    }
    // The load and the emptying that began the import make one step, so
    // that one Ctrl+Z brings back the text as it was; unless something was
    // done to the editor in between, which then stays a step of its own.
    const TArticleEditor::TUndoStep step = rchArticle_->Changes() == changesAfterClear_
        ? TArticleEditor::TUndoStep::JoinClear
        : TArticleEditor::TUndoStep::New;
    rchArticle_->ShowDocument(std::move(result.built), step);
    sourceName_ = QFileInfo(path).fileName();
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

} // namespace glenvary::ui
