// SPDX-License-Identifier: MIT
// Glenvary: the archive in the window: "Find Sources..." on article 2 and
// "Add to Archive" on either side.
#pragma once

#include "core/compare_texts.h"
#include "ui/archivechoice.h"
#include "ui/archivedialogs.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

class QAction;
class QProgressDialog;
class QWidget;

namespace glenvary::ui {

class TArticleEditor;
class TArticlePanel;

/// What the archive commands need of the window.
struct TArchiveWindow {
    /// The window, parent of the dialogs; the window-wide shortcut of Find
    /// Sources is put on it.
    QWidget* window = nullptr;
    /// The sides of article 1 and article 2: their editors, whether they
    /// are importing and the names of their texts.
    std::array<TArticlePanel*, 2> panels{};
    /// The minimum length and unit on screen.
    std::function<core::TCompareSettings()> compareSettings;
    /// Presses Compare.
    std::function<void()> compare;
    /// The options chosen, the left-out texts read, for the command named;
    /// nothing, after a warning, when they cannot be read. Left empty: no
    /// option.
    std::function<std::optional<core::TCompareOptions>(const QString& command)> compareOptions;
};

/// The window's archive commands, their actions and the thread they run
/// on. Each editor's context menu gets "Add to Archive" (Ctrl+Shift+A while
/// it has the focus) and "Archive Settings..."; article 2's also gets "Find
/// Sources..." (Ctrl+Shift+F anywhere in the window).
///
/// A PostgreSQL server is given 10 s to accept the connection (libpq's
/// PGCONNECT_TIMEOUT, unless it is set), since connecting cannot be
/// cancelled.
///
/// The archive chosen and the number of documents listed are remembered
/// between runs (QSettings, organisation and program "Glenvary"). One
/// command runs at a time, off the GUI thread, with a progress dialog whose
/// Cancel stops it; the actions are disabled meanwhile. Every failure
/// (an archive that cannot be opened or is damaged, a server that does not
/// answer, a blank or still importing article) is one warning through
/// platform::ReportWarning that names the archive, when one is chosen, and
/// the reason.
class TArchiveCommands : public QObject {
    Q_OBJECT

public:
    TArchiveCommands(TArchiveWindow window, QObject* parent);
    /// Stops a running command and waits for it: a check ends before its
    /// next comparison, an add before its next batch.
    ~TArchiveCommands() override;
    TArchiveCommands(const TArchiveCommands&) = delete;
    TArchiveCommands& operator=(const TArchiveCommands&) = delete;

    /// Find Sources: checks article 2's text against the archive (choosing
    /// one first when none is), with the window's minimum length, unit and
    /// options, so that a listed share of article 2 is what Compare then
    /// shows. Lists the documents that article 2 duplicates, the most first
    /// (TopSources), with both shares; the one chosen is loaded as article 1
    /// (LoadSource). When none is found, says so as information.
    void FindSources();
    /// Add to Archive: adds side `side`'s (1 or 2) text under its name
    /// (ArchiveDocumentName) to the archive, making a SQLite archive that
    /// is not there yet, and says in one line what happened.
    void AddToArchive(int side);
    /// Archive Settings: shows the settings; true when an archive is chosen
    /// afterwards. A confirmed choice is remembered.
    bool EditSettings();
    /// Loads `source`'s text as article 1, as Import does (plain text in one
    /// piece, the caret at the start, one Ctrl+Z brings the text before
    /// back), names the side after it and presses Compare. Refused with a
    /// warning while article 1 is being imported.
    void LoadSource(const TSource& source);

    [[nodiscard]] const TArchiveChoice& Choice() const noexcept { return choice_; }
    /// True from the start of a command's thread until its result has been
    /// handled.
    [[nodiscard]] bool IsRunning() const noexcept { return running_; }
    /// Replaces the dialogs; an empty pointer restores the program's own.
    void SetDialogs(std::unique_ptr<TArchiveDialogs> dialogs);

Q_SIGNALS:
    /// A command started on its thread has ended and its result has been
    /// shown, whatever it was.
    void Finished();

private:
    struct TOutcome;
    using TWork = std::function<void(TOutcome& outcome, const archive::TProgressCallback& progress,
                                     const std::stop_token& stop)>;

    void BuildActions();
    // Refuses, with a warning, an article that is being imported or blank,
    // for Find Sources (`finding`) or Add to Archive.
    [[nodiscard]] bool CanUse(int side, bool finding);
    [[nodiscard]] bool EnsureChoice();
    void Run(const QString& label, TWork work, std::function<void(TOutcome&)> done);
    void ShowProgress(const archive::TProgress& progress);
    void End();
    [[nodiscard]] QString Archive() const;

    TArchiveWindow window_;
    std::unique_ptr<TArchiveDialogs> dialogs_;
    TArchiveChoice choice_;
    std::jthread worker_;
    bool running_ = false;
    bool cancelled_ = false;
    QPointer<QProgressDialog> progress_;
    QString progressLabel_;
    QAction* actFindSources_ = nullptr;
    QAction* actSettings_ = nullptr;
    std::array<QAction*, 2> actAdd_{};
};

} // namespace glenvary::ui
