// SPDX-License-Identifier: MIT
#include "ui/archivecommands.h"

#include "archive/archive.h"
#include "archive/store.h"
#include "core/normalise.h"
#include "platform/error_reporter.h"
#include "ui/articleeditor.h"
#include "ui/articlepanel.h"
#include "ui/guarded.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QKeySequence>
#include <QProgressDialog>
#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <exception>
#include <limits>
#include <new>
#include <span>
#include <stdexcept>
#include <utility>

namespace glenvary::ui {
namespace {

// A check or an add that ends sooner shows no progress dialog at all, so
// that a small SQLite archive's answer does not flash one.
constexpr int kProgressDelayMs = 400;
// Longest wait for a PostgreSQL server to accept the connection, in
// seconds. libpq waits without end by default, and neither Cancel nor
// closing the window can cut a connection attempt short: closing waits for
// the command's thread.
constexpr const char* kServerConnectSeconds = "10";

QSettings Settings()
{
    return QSettings(QStringLiteral("Glenvary"), QStringLiteral("Glenvary"));
}

// The address as the archive opens it: a file by the name the file system
// knows it by, a server address as UTF-8.
std::string ArchiveAddress(const QString& address)
{
    return archive::IsPostgresAddress(address.toStdString()) ? address.toStdString()
                                                            : QFile::encodeName(address).toStdString();
}

QString Sentence(const std::string& line)
{
    QString text = QString::fromStdString(line);
    if (!text.endsWith(QLatin1Char('.'))) {
        text.append(QLatin1Char('.'));
    }
    return text;
}

QString ArticleTitle(int side)
{
    return QStringLiteral("Article %1").arg(side);
}

} // namespace

struct TArchiveCommands::TOutcome {
    // Why the command failed, one line naming the archive; empty when it
    // did not.
    std::string error;
    archive::TCheckReport check;
    archive::TAddReport add;
};

TArchiveCommands::TArchiveCommands(TArchiveWindow window, QObject* parent)
    : QObject(parent), window_(std::move(window)), dialogs_(MakeArchiveDialogs())
{
    setObjectName(QStringLiteral("archiveCommands"));
    // Set before any thread of the window reads the environment; a
    // timeout the person set is kept.
    if (!qEnvironmentVariableIsSet("PGCONNECT_TIMEOUT")) {
        qputenv("PGCONNECT_TIMEOUT", kServerConnectSeconds);
    }
    choice_ = ReadArchiveChoice(Settings());
    BuildActions();
}

TArchiveCommands::~TArchiveCommands()
{
    worker_.request_stop();
    if (worker_.joinable()) {
        worker_.join();
    }
    delete progress_.data();
}

void TArchiveCommands::BuildActions()
{
    actFindSources_ = new QAction(QStringLiteral("Find Sources..."), this);
    actFindSources_->setObjectName(QStringLiteral("actFindSources"));
    actFindSources_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    actFindSources_->setShortcutContext(Qt::WindowShortcut);
    actFindSources_->setToolTip(QStringLiteral("Looks for the archive documents that Article 2 duplicates"));
    window_.window->addAction(actFindSources_);
    connect(actFindSources_, &QAction::triggered, this, Guarded([this] { FindSources(); }));

    actSettings_ = new QAction(QStringLiteral("Archive Settings..."), this);
    actSettings_->setObjectName(QStringLiteral("actArchiveSettings"));
    actSettings_->setToolTip(QStringLiteral("Chooses the archive of Find Sources and Add to Archive"));
    connect(actSettings_, &QAction::triggered, this, Guarded([this] { (void)EditSettings(); }));

    for (int side : {1, 2}) {
        TArticleEditor* editor = window_.panels[static_cast<std::size_t>(side - 1)]->rchArticle();
        auto* add = new QAction(QStringLiteral("Add to Archive"), this);
        add->setObjectName(QStringLiteral("actAddToArchive%1").arg(side));
        add->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
        // Each editor's Ctrl+Shift+A adds its own article.
        add->setShortcutContext(Qt::WidgetShortcut);
        add->setToolTip(QStringLiteral("Adds %1 to the archive").arg(ArticleTitle(side)));
        connect(add, &QAction::triggered, this, Guarded([this, side] { AddToArchive(side); }));
        actAdd_[static_cast<std::size_t>(side - 1)] = add;

        auto* separator = new QAction(this);
        separator->setSeparator(true);
        editor->addAction(separator);
        if (side == 2) {
            editor->addAction(actFindSources_);
        }
        editor->addActions({add, actSettings_});
    }
}

void TArchiveCommands::SetDialogs(std::unique_ptr<TArchiveDialogs> dialogs)
{
    dialogs_ = dialogs ? std::move(dialogs) : MakeArchiveDialogs();
}

QString TArchiveCommands::Archive() const
{
    return PrintableArchive(choice_.address);
}

bool TArchiveCommands::EditSettings()
{
    const std::optional<TArchiveChoice> edited = dialogs_->EditChoice(window_.window, choice_);
    if (edited && !RefuseAddress(edited->address)) {
        choice_ = *edited;
        choice_.topDocuments = std::clamp(choice_.topDocuments, 1, kMaxTopDocuments);
        QSettings settings = Settings();
        WriteArchiveChoice(settings, choice_);
    }
    return !choice_.address.isEmpty();
}

bool TArchiveCommands::EnsureChoice()
{
    return !choice_.address.isEmpty() || EditSettings();
}

bool TArchiveCommands::CanUse(int side, bool finding)
{
    const TArticlePanel& panel = *window_.panels[static_cast<std::size_t>(side - 1)];
    const TArticleEditor& editor = *panel.rchArticle();
    const QString article = ArticleTitle(side);
    const QString command = finding ? QStringLiteral("Find Sources") : QStringLiteral("Add to Archive");
    if (panel.IsImporting()) {
        platform::ReportWarning(
            QStringLiteral("%1 did not run: %2 is still being read from its file.").arg(command, article));
        return false;
    }
    if (core::IsBlankArticle(editor.Text())) {
        const QString archive = choice_.address.isEmpty() ? QStringLiteral("the archive") : Archive();
        platform::ReportWarning(QStringLiteral("%1 did not run: %2 is blank, so there is nothing to %3 %4.")
                                    .arg(command, article,
                                         finding ? QStringLiteral("look for in") : QStringLiteral("add to"),
                                         archive));
        return false;
    }
    return true;
}

void TArchiveCommands::FindSources()
{
    if (running_ || !CanUse(2, true) || !EnsureChoice()) {
        return;
    }
    const std::u16string text = window_.panels[1]->rchArticle()->Text();
    const core::TCompareSettings compare = window_.compareSettings();
    const std::optional<core::TCompareOptions> rules =
        window_.compareOptions ? window_.compareOptions(QStringLiteral("Find Sources")) : core::TCompareOptions{};
    if (!rules) {
        return;
    }
    const int top = choice_.topDocuments;
    const std::string address = ArchiveAddress(choice_.address);
    Run(QStringLiteral("Looking for the sources of Article 2 in %1...").arg(Archive()),
        [text, compare, rules = *rules, top, address](TOutcome& outcome, const archive::TProgressCallback& progress,
                                                      const std::stop_token& stop) {
            auto opened = archive::TArchive::Open(address, archive::TOpenMode::Existing);
            if (!opened) {
                outcome.error = opened.Error();
                return;
            }
            archive::TCheckOptions options;
            options.topDocuments = top;
            options.unit = compare.unit;
            options.minLength = compare.minLength;
            options.compare = rules;
            auto checked = opened.Value().Check(text, options, progress, stop);
            if (!checked) {
                outcome.error = checked.Error();
                return;
            }
            outcome.check = std::move(checked.Value());
        },
        [this, top](TOutcome& outcome) {
            if (cancelled_) {
                return;
            }
            if (!outcome.error.empty()) {
                platform::ReportWarning(QStringLiteral("Find Sources did not check Article 2: %1")
                                            .arg(Sentence(outcome.error)));
                return;
            }
            const std::vector<TSource> sources = TopSources(std::move(outcome.check), top);
            if (sources.empty()) {
                dialogs_->Inform(window_.window,
                                 QStringLiteral("No document of %1 shares a passage with Article 2.").arg(Archive()));
                return;
            }
            const std::optional<std::size_t> chosen = dialogs_->ChooseSource(window_.window, Archive(), sources);
            if (chosen && *chosen < sources.size()) {
                LoadSource(sources[*chosen]);
            }
        });
}

void TArchiveCommands::AddToArchive(int side)
{
    if (side != 1 && side != 2) {
        throw std::out_of_range("there is no article side " + std::to_string(side));
    }
    if (running_ || !CanUse(side, false) || !EnsureChoice()) {
        return;
    }
    const TArticlePanel& panel = *window_.panels[static_cast<std::size_t>(side - 1)];
    const QString name = ArchiveDocumentName(panel.sourceName(), side, QDateTime::currentDateTime());
    archive::TNewDocument document{name.toStdString(), panel.rchArticle()->Text()};
    const std::string address = ArchiveAddress(choice_.address);
    const QString shownAddress = choice_.address;
    Run(QStringLiteral("Adding %1 to %2...").arg(ArticleTitle(side), Archive()),
        [document = std::move(document), address](TOutcome& outcome, const archive::TProgressCallback& progress,
                                                  const std::stop_token& stop) {
            auto opened = archive::TArchive::Open(address, archive::TOpenMode::CreateIfMissing);
            if (!opened) {
                outcome.error = opened.Error();
                return;
            }
            auto added = opened.Value().Add(std::span(&document, 1), {}, progress, stop);
            if (!added) {
                outcome.error = added.Error();
                return;
            }
            outcome.add = std::move(added.Value());
        },
        [this, side, shownAddress](TOutcome& outcome) {
            const QString article = ArticleTitle(side);
            if (!outcome.error.empty()) {
                platform::ReportWarning(
                    QStringLiteral("%1 was not added: %2").arg(article, Sentence(outcome.error)));
                return;
            }
            const TAddOutcome said = DescribeAdd(outcome.add, article, shownAddress);
            if (!said.refused) {
                dialogs_->Inform(window_.window, said.message);
            } else if (!cancelled_) {
                platform::ReportWarning(said.message);
            }
        });
}

void TArchiveCommands::LoadSource(const TSource& source)
{
    TArticlePanel& panel = *window_.panels[0];
    if (panel.IsImporting()) {
        platform::ReportWarning(QStringLiteral("\"%1\" was not loaded: Article 1 is still being read from its file.")
                                    .arg(source.name));
        return;
    }
    panel.rchArticle()->SetLines(source.text, TArticleEditor::TUndoStep::New);
    panel.SetSource(source.name);
    window_.compare();
}

void TArchiveCommands::Run(const QString& label, TWork work, std::function<void(TOutcome&)> done)
{
    running_ = true;
    cancelled_ = false;
    for (QAction* action : {actFindSources_, actSettings_, actAdd_[0], actAdd_[1]}) {
        action->setEnabled(false);
    }
    // Not modal: the person may read, edit or close the window meanwhile;
    // the command works on the text as it was when it started.
    progress_ = new QProgressDialog(label, QStringLiteral("Cancel"), 0, 0, window_.window);
    progress_->setObjectName(QStringLiteral("dlgArchiveProgress"));
    progress_->setWindowTitle(QStringLiteral("Glenvary"));
    progress_->setWindowModality(Qt::NonModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumDuration(kProgressDelayMs);
    progressLabel_ = label;
    connect(progress_, &QProgressDialog::canceled, this, [this] {
        cancelled_ = true;
        worker_.request_stop();
        if (progress_) {
            progress_->setLabelText(QStringLiteral("Stopping..."));
        }
    });

    auto outcome = std::make_shared<TOutcome>();
    const QString archive = Archive();
    worker_ = std::jthread([this, work = std::move(work), done = std::move(done), outcome,
                            archive](const std::stop_token& stop) {
        const archive::TProgressCallback progress = [this](const archive::TProgress& step) {
            QMetaObject::invokeMethod(this, [this, step] { ShowProgress(step); }, Qt::QueuedConnection);
        };
        // A failure on this thread is the archive's, told as one line; it
        // must not end the program.
        try {
            work(*outcome, progress, stop);
        } catch (const std::bad_alloc&) {
            outcome->error = "archive " + archive.toStdString() + ": not enough memory";
        } catch (const std::exception& e) {
            outcome->error = "archive " + archive.toStdString() + ": " + e.what();
        } catch (...) {
            outcome->error = "archive " + archive.toStdString() + ": unknown error";
        }
        // The last act of the thread; Qt drops the call if this object is
        // gone, and the destructor waits for the thread first.
        QMetaObject::invokeMethod(
            this,
            [this, done, outcome] {
                End();
                RunGuarded([&] { done(*outcome); });
                Q_EMIT Finished();
            },
            Qt::QueuedConnection);
    });
}

void TArchiveCommands::ShowProgress(const archive::TProgress& step)
{
    if (!progress_ || cancelled_) {
        return;
    }
    const bool merging = step.stage == archive::TProgress::TStage::Merging;
    progress_->setLabelText(merging ? progressLabel_ + QStringLiteral("\nMerging the archive's index...")
                                    : progressLabel_);
    if (step.total > 0 && step.total <= std::numeric_limits<int>::max()) {
        progress_->setMaximum(static_cast<int>(step.total));
        progress_->setValue(static_cast<int>(std::min(step.done, step.total)));
    }
}

void TArchiveCommands::End()
{
    if (worker_.joinable()) {
        worker_.join();
    }
    running_ = false;
    delete progress_.data();
    for (QAction* action : {actFindSources_, actSettings_, actAdd_[0], actAdd_[1]}) {
        action->setEnabled(true);
    }
}

} // namespace glenvary::ui
