// SPDX-License-Identifier: MIT
#include "ui/compareoptions.h"

#include "io/article_file.h"
#include "platform/error_reporter.h"
#include "report/report.h"
#include "report/text_writer.h"
#include "ui/articleeditor.h"
#include "ui/guarded.h"
#include "ui/optionsdialog.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <utility>

namespace glenvary::ui {
namespace {

const QString kIgnoreFilesKey = QStringLiteral("options/ignoreFiles");
const QString kIgnoreQuotedKey = QStringLiteral("options/ignoreQuoted");
const QString kFoldKey = QStringLiteral("options/fold");
const QString kUnicodeWordsKey = QStringLiteral("options/unicodeWords");

QSettings Settings()
{
    return QSettings(QStringLiteral("Glenvary"), QStringLiteral("Glenvary"));
}

} // namespace

TWindowOptions ReadWindowOptions(const QSettings& settings)
{
    TWindowOptions options;
    options.ignoreFiles = settings.value(kIgnoreFilesKey).toStringList().mid(0, core::kMaxIgnoreTexts);
    options.ignoreQuoted = settings.value(kIgnoreQuotedKey, false).toBool();
    options.fold = settings.value(kFoldKey, false).toBool();
    options.unicodeWords = settings.value(kUnicodeWordsKey, false).toBool();
    return options;
}

void WriteWindowOptions(QSettings& settings, const TWindowOptions& options)
{
    settings.setValue(kIgnoreFilesKey, options.ignoreFiles);
    settings.setValue(kIgnoreQuotedKey, options.ignoreQuoted);
    settings.setValue(kFoldKey, options.fold);
    settings.setValue(kUnicodeWordsKey, options.unicodeWords);
}

TResultNote DescribeResult(const core::TCompareOptions& options, std::int32_t leftOutWords,
                           const core::TDisguises& disguises, std::u16string_view article2)
{
    TResultNote note;
    QStringList full;
    if (options.Any()) {
        // Short names: the label has room for about twenty letters a line.
        QStringList names;
        if (!options.ignoreTexts.empty()) {
            names.append(options.ignoreTexts.size() == 1 ? QStringLiteral("template")
                                                         : QStringLiteral("%1 templates").arg(options.ignoreTexts.size()));
        }
        if (options.ignoreQuoted) {
            names.append(QStringLiteral("quotes"));
        }
        if (options.fold) {
            names.append(QStringLiteral("fold"));
        }
        if (options.unicodeWords) {
            names.append(QStringLiteral("Unicode words"));
        }
        note.options = QStringLiteral("Options: ") + names.join(QStringLiteral(", "));
        full.append(QString::fromStdString(report::OptionsText(report::OptionNames(options), leftOutWords))
                    + QLatin1Char('.'));
    }
    if (disguises.Any()) {
        // Words, by sign: a word may show both.
        QStringList signs;
        if (disguises.invisibleWords != 0) {
            signs.append(QStringLiteral("%1 invisible").arg(disguises.invisibleWords));
        }
        if (disguises.mixedScriptWords != 0) {
            signs.append(QStringLiteral("%1 mixed").arg(disguises.mixedScriptWords));
        }
        note.disguises = QStringLiteral("Disguised: ") + signs.join(QStringLiteral(", "));
        full.append(QString::fromStdString(
                        report::DisguisesText(disguises, article2, "Signs of a disguised copy in Article 2: "))
                    + QLatin1Char('.'));
    }
    note.full = full.join(u'\n');
    return note;
}

TOptionsCommands::TOptionsCommands(QWidget* window, const std::array<TArticleEditor*, 2>& editors,
                                   QObject* parent)
    : QObject(parent), window_(window), chosen_(ReadWindowOptions(Settings()))
{
    setObjectName(QStringLiteral("optionsCommands"));
    SetEditDialog({});
    for (std::size_t i = 0; i < editors.size(); ++i) {
        auto* action = new QAction(QStringLiteral("Options..."), this);
        action->setObjectName(QStringLiteral("actOptions%1").arg(i + 1));
        action->setToolTip(QStringLiteral("Chooses what the comparison leaves out and sees through"));
        connect(action, &QAction::triggered, this, Guarded([this] { EditOptions(); }));
        auto* separator = new QAction(this);
        separator->setSeparator(true);
        editors[i]->addActions({separator, action});
    }
}

void TOptionsCommands::SetEditDialog(TEditDialog dialog)
{
    editDialog_ = dialog ? std::move(dialog) : TEditDialog(ShowOptionsDialog);
}

void TOptionsCommands::EditOptions()
{
    std::optional<TWindowOptions> edited = editDialog_(window_, chosen_);
    if (!edited) {
        return;
    }
    chosen_ = std::move(*edited);
    chosen_.ignoreFiles = chosen_.ignoreFiles.mid(0, core::kMaxIgnoreTexts);
    QSettings settings = Settings();
    WriteWindowOptions(settings, chosen_);
}

std::optional<core::TCompareOptions> TOptionsCommands::CompareOptions(const QString& command)
{
    core::TCompareOptions options;
    options.ignoreQuoted = chosen_.ignoreQuoted;
    options.fold = chosen_.fold;
    options.unicodeWords = chosen_.unicodeWords;
    std::map<QString, TReadFile> kept;
    for (const QString& path : chosen_.ignoreFiles) {
        const QFileInfo info(path);
        TReadFile file;
        if (const auto known = read_.find(path); known != read_.end()) {
            file = std::move(known->second);
        }
        if (file.size != info.size() || file.modified != info.lastModified() || !info.exists()) {
            // A document is read as an import reads it: a pipe, which would
            // hold the read up forever, refused first, then read in the cage
            // within the import's limits; its text is kept until the file
            // changes.
            const TBusyCursor busy;
            const std::string name = QFile::encodeName(path).toStdString();
            io::TReadSettings reading;
            reading.maxBytes = io::kMaxImportBytes;
            const std::optional<std::string> refused = io::RefuseBeforeReading(name, reading.maxBytes);
            base::TResult<io::TArticleDocument> document =
                refused ? base::TResult<io::TArticleDocument>(base::TError{*refused}) : io::ReadArticleFile(name, reading);
            if (!document) {
                platform::ReportWarning(
                    QStringLiteral("%1 did not run: %2. The file is one of the texts the options leave out; "
                                   "choose another in Options... (in the editors' menus).")
                        .arg(command, QString::fromStdString(document.Error())));
                return std::nullopt;
            }
            file = {info.lastModified(), info.size(), std::move(document).Value().text};
        }
        options.ignoreTexts.push_back(file.text);
        kept.insert_or_assign(path, std::move(file));
    }
    read_ = std::move(kept);
    return options;
}

} // namespace glenvary::ui
