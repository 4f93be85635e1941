// SPDX-License-Identifier: MIT
#include "ui/optionsdialog.h"

#include "ui/dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace glenvary::ui {
namespace {

QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& caption, const QString& explanation,
                        bool checked)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setToolTip(explanation);
    box->setChecked(checked);
    return box;
}

} // namespace

TOptionsDialog::TOptionsDialog(const TWindowOptions& current, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgOptions"));
    setWindowTitle(QStringLiteral("Comparison Options"));

    auto* leaveOut = new QGroupBox(QStringLiteral("Leave out"), this);
    auto* filesLabel = new QLabel(
        QStringLiteral("Passages that Article 2 shares with these &texts (a template, a licence, a standard "
                       "header) are neither marked nor counted:"),
        leaveOut);
    filesLabel->setWordWrap(true);
    lstIgnoreFiles_ = new QListWidget(leaveOut);
    lstIgnoreFiles_->setObjectName(QStringLiteral("lstIgnoreFiles"));
    lstIgnoreFiles_->setMinimumWidth(360);
    lstIgnoreFiles_->setMaximumHeight(90);
    filesLabel->setBuddy(lstIgnoreFiles_);
    btnAddFile_ = new QPushButton(QStringLiteral("&Add..."), leaveOut);
    btnAddFile_->setObjectName(QStringLiteral("btnAddIgnoreFile"));
    btnRemoveFile_ = new QPushButton(QStringLiteral("&Remove"), leaveOut);
    btnRemoveFile_->setObjectName(QStringLiteral("btnRemoveIgnoreFile"));
    auto* fileButtons = new QVBoxLayout;
    fileButtons->addWidget(btnAddFile_);
    fileButtons->addWidget(btnRemoveFile_);
    fileButtons->addStretch();
    auto* filesRow = new QHBoxLayout;
    filesRow->addWidget(lstIgnoreFiles_, 1);
    filesRow->addLayout(fileButtons);
    chkIgnoreQuoted_ = MakeCheckBox(
        leaveOut, QStringLiteral("chkIgnoreQuoted"), QStringLiteral("Words inside &quotation marks"),
        QStringLiteral("Straight and typographic double quotes, guillemets and low-high quotes; a quotation left "
                       "open ends with its paragraph"),
        current.ignoreQuoted);
    auto* leaveOutLayout = new QVBoxLayout(leaveOut);
    leaveOutLayout->addWidget(filesLabel);
    leaveOutLayout->addLayout(filesRow);
    leaveOutLayout->addWidget(chkIgnoreQuoted_);

    chkFold_ = MakeCheckBox(
        this, QStringLiteral("chkFold"),
        QStringLiteral("See through &disguises: invisible characters, letter case and look-alike letters"),
        QStringLiteral("Drops zero-width and other invisible characters, folds letter case and compatibility "
                       "forms beyond A-Z, and reads Cyrillic or Greek look-alikes in Latin words as Latin"),
        current.fold);
    chkUnicodeWords_ = MakeCheckBox(
        this, QStringLiteral("chkUnicodeWords"),
        QStringLiteral("Text without spaces: &Chinese and Japanese, word by word"),
        QStringLiteral("Finds words by Unicode's word boundaries, every Han, Hiragana and Katakana character a "
                       "word of its own; sentences also end at the ideographic full stop"),
        current.unicodeWords);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults, this);
    buttons->button(QDialogButtonBox::RestoreDefaults)->setObjectName(QStringLiteral("btnRestoreDefaults"));
    auto* note = new QLabel(QStringLiteral("Every option is off by default. When one is on, the window names it "
                                           "beside the percentage."),
                            this);
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(leaveOut);
    layout->addWidget(chkFold_);
    layout->addWidget(chkUnicodeWords_);
    layout->addWidget(note);
    layout->addWidget(buttons);

    for (const QString& path : current.ignoreFiles) {
        AddFile(path);
    }
    connect(btnAddFile_, &QPushButton::clicked, this, &TOptionsDialog::Browse);
    connect(btnRemoveFile_, &QPushButton::clicked, this, &TOptionsDialog::RemoveFile);
    connect(lstIgnoreFiles_, &QListWidget::currentRowChanged, this, &TOptionsDialog::UpdateButtons);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            &TOptionsDialog::RestoreDefaults);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    UpdateButtons();
}

TWindowOptions TOptionsDialog::Options() const
{
    TWindowOptions options;
    for (int row = 0; row < lstIgnoreFiles_->count(); ++row) {
        options.ignoreFiles.append(lstIgnoreFiles_->item(row)->text());
    }
    options.ignoreQuoted = chkIgnoreQuoted_->isChecked();
    options.fold = chkFold_->isChecked();
    options.unicodeWords = chkUnicodeWords_->isChecked();
    return options;
}

void TOptionsDialog::AddFile(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (path.isEmpty() || lstIgnoreFiles_->count() >= static_cast<int>(core::kMaxIgnoreTexts)
        || !lstIgnoreFiles_->findItems(absolute, Qt::MatchExactly).isEmpty()) {
        return;
    }
    lstIgnoreFiles_->addItem(absolute);
    lstIgnoreFiles_->setCurrentRow(lstIgnoreFiles_->count() - 1);
    UpdateButtons();
}

void TOptionsDialog::Browse()
{
    const int row = lstIgnoreFiles_->currentRow();
    const QString folder =
        row >= 0 ? QFileInfo(lstIgnoreFiles_->item(row)->text()).absolutePath() : QDir::homePath();
    if (const std::optional<QString> chosen = ShowOpenDialog(this, QStringLiteral("Text to Leave Out"), folder)) {
        AddFile(*chosen);
    }
}

void TOptionsDialog::RemoveFile()
{
    delete lstIgnoreFiles_->takeItem(lstIgnoreFiles_->currentRow());
    UpdateButtons();
}

void TOptionsDialog::RestoreDefaults()
{
    lstIgnoreFiles_->clear();
    for (QCheckBox* box : {chkIgnoreQuoted_, chkFold_, chkUnicodeWords_}) {
        box->setChecked(false);
    }
    UpdateButtons();
}

void TOptionsDialog::UpdateButtons()
{
    btnAddFile_->setEnabled(lstIgnoreFiles_->count() < static_cast<int>(core::kMaxIgnoreTexts));
    btnRemoveFile_->setEnabled(lstIgnoreFiles_->currentRow() >= 0);
}

std::optional<TWindowOptions> ShowOptionsDialog(QWidget* parent, const TWindowOptions& current)
{
    TOptionsDialog dialog(current, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Options();
}

} // namespace glenvary::ui
