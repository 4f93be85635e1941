// SPDX-License-Identifier: MIT
// Glenvary: the comparison's options in the window: "Options..." in the
// editors' menus, the choice remembered between runs, the left-out texts
// read from their files, and what the window says of a result beside its
// percentage.
#pragma once

#include "core/compare_texts.h"
#include "core/options.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

class QAction;
class QSettings;
class QWidget;

namespace glenvary::ui {

class TArticleEditor;

/// The options as the person chose them; all off at first.
struct TWindowOptions {
    /// Files whose passages are neither marked nor counted (a template, a
    /// licence, a standard header); at most core::kMaxIgnoreTexts.
    QStringList ignoreFiles;
    bool ignoreQuoted = false;
    bool fold = false;
    bool unicodeWords = false;

    [[nodiscard]] bool Any() const noexcept { return !ignoreFiles.isEmpty() || ignoreQuoted || fold || unicodeWords; }
    friend bool operator==(const TWindowOptions&, const TWindowOptions&) = default;
};

/// The options stored in `settings`; a file list longer than the most
/// taken keeps its first core::kMaxIgnoreTexts files.
[[nodiscard]] TWindowOptions ReadWindowOptions(const QSettings& settings);
/// Stores `options` in `settings`.
void WriteWindowOptions(QSettings& settings, const TWindowOptions& options);

/// What the window says beside the percentage: which options changed the
/// result and the signs of a disguised copy in article 2.
struct TResultNote {
    /// Short lines for the label, each empty when there is nothing to say:
    /// the options on ("Options: quotes, fold") and the disguised words of
    /// article 2 ("Disguised: 3 invisible, 1 mixed").
    QString options;
    QString disguises;
    /// The whole of it, for the label's tool tip.
    QString full;
};

/// The note on a comparison made with `options` that left out
/// `leftOutWords` of article 2, whose normalised text `article2` shows
/// `disguises`.
[[nodiscard]] TResultNote DescribeResult(const core::TCompareOptions& options, std::int32_t leftOutWords,
                                         const core::TDisguises& disguises, std::u16string_view article2);

/// "Options...": each editor's menu gets the command, which shows the
/// options dialog (or, in a test, what SetEditDialog put in its place) and
/// remembers what was confirmed (QSettings, organisation and program
/// "Glenvary").
class TOptionsCommands : public QObject {
    Q_OBJECT

public:
    /// Asks for the options, shown filled with `current` over `parent`;
    /// nothing when cancelled.
    using TEditDialog = std::function<std::optional<TWindowOptions>(QWidget* parent, const TWindowOptions& current)>;

    TOptionsCommands(QWidget* window, const std::array<TArticleEditor*, 2>& editors, QObject* parent);

    void SetEditDialog(TEditDialog dialog);
    /// The command: asks, and keeps and stores what was confirmed.
    void EditOptions();
    [[nodiscard]] const TWindowOptions& Chosen() const noexcept { return chosen_; }

    /// The chosen options as a comparison takes them, each left-out file
    /// read (again only once it changed on disk), under a busy cursor while
    /// a file is read. When one cannot be read,
    /// a warning says that `command` did not run and why, and nothing is
    /// returned: no comparison runs on half of the options.
    [[nodiscard]] std::optional<core::TCompareOptions> CompareOptions(const QString& command);

private:
    struct TReadFile {
        QDateTime modified;
        qint64 size = -1;
        std::u16string text;
    };

    QWidget* window_ = nullptr;
    TEditDialog editDialog_;
    TWindowOptions chosen_;
    // The texts of the left-out files, by path, as last read.
    std::map<QString, TReadFile> read_;
};

} // namespace glenvary::ui
