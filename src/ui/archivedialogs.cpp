// SPDX-License-Identifier: MIT
#include "ui/archivedialogs.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace glenvary::ui {
namespace {

class TQtArchiveDialogs final : public TArchiveDialogs {
public:
    std::optional<TArchiveChoice> EditChoice(QWidget* parent, const TArchiveChoice& current) override
    {
        TArchiveSettingsDialog dialog(current, parent);
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.Choice();
    }

    std::optional<std::size_t> ChooseSource(QWidget* parent, const QString& archive,
                                            const std::vector<TSource>& sources) override
    {
        TSourcesDialog dialog(archive, sources, parent);
        if (dialog.exec() != QDialog::Accepted || dialog.Chosen() < 0) {
            return std::nullopt;
        }
        return static_cast<std::size_t>(dialog.Chosen());
    }

    void Inform(QWidget* parent, const QString& message) override
    {
        QMessageBox::information(parent, QStringLiteral("Glenvary"), message);
    }
};

} // namespace

std::unique_ptr<TArchiveDialogs> MakeArchiveDialogs()
{
    return std::make_unique<TQtArchiveDialogs>();
}

TArchiveSettingsDialog::TArchiveSettingsDialog(const TArchiveChoice& current, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgArchiveSettings"));
    setWindowTitle(QStringLiteral("Archive Settings"));

    edtArchive_ = new QLineEdit(current.address, this);
    edtArchive_->setObjectName(QStringLiteral("edtArchive"));
    edtArchive_->setMaxLength(kMaxArchiveAddress);
    edtArchive_->setPlaceholderText(QStringLiteral("texts.glenvary or postgresql://user@host/database"));
    edtArchive_->setMinimumWidth(320);
    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setObjectName(QStringLiteral("btnBrowse"));
    auto* archiveRow = new QHBoxLayout;
    archiveRow->addWidget(edtArchive_, 1);
    archiveRow->addWidget(browse);

    spnTopDocuments_ = new QSpinBox(this);
    spnTopDocuments_->setObjectName(QStringLiteral("spnTopDocuments"));
    spnTopDocuments_->setRange(1, kMaxTopDocuments);
    spnTopDocuments_->setValue(current.topDocuments);

    lblProblem_ = new QLabel(this);
    lblProblem_->setObjectName(QStringLiteral("lblProblem"));
    lblProblem_->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Archive:"), archiveRow);
    form->addRow(QStringLiteral("&Documents listed:"), spnTopDocuments_);
    qobject_cast<QLabel*>(form->labelForField(archiveRow))->setBuddy(edtArchive_);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblProblem_);
    layout->addWidget(buttons_);

    connect(browse, &QPushButton::clicked, this, &TArchiveSettingsDialog::Browse);
    connect(edtArchive_, &QLineEdit::textChanged, this, &TArchiveSettingsDialog::AddressEdited);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    AddressEdited();
}

TArchiveChoice TArchiveSettingsDialog::Choice() const
{
    return {edtArchive_->text().trimmed(), spnTopDocuments_->value()};
}

void TArchiveSettingsDialog::Browse()
{
    // A file that is not there yet may be named too: Add to Archive makes it.
    QFileDialog dialog(this, QStringLiteral("Archive file"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("Glenvary archives (*.glenvary)"), QStringLiteral("All files (*)")});
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Choose"));
    const QString address = edtArchive_->text().trimmed();
    if (!address.isEmpty() && !address.contains(QStringLiteral("://"))) {
        dialog.selectFile(QFileInfo(address).absoluteFilePath());
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        edtArchive_->setText(dialog.selectedFiles().constFirst());
    }
}

void TArchiveSettingsDialog::AddressEdited()
{
    const std::optional<QString> problem = RefuseAddress(edtArchive_->text());
    lblProblem_->setText(problem.value_or(QString()));
    lblProblem_->setVisible(problem.has_value());
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(!problem);
}

TSourcesDialog::TSourcesDialog(const QString& archive, const std::vector<TSource>& sources, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgSources"));
    setWindowTitle(QStringLiteral("Sources of Article 2"));
    auto* heading = new QLabel(QStringLiteral("Documents of %1 that Article 2 duplicates, the most first:")
                                   .arg(archive),
                               this);
    heading->setTextFormat(Qt::PlainText);
    heading->setWordWrap(true);
    lstSources_ = new QListWidget(this);
    lstSources_->setObjectName(QStringLiteral("lstSources"));
    lstSources_->setMinimumWidth(420);
    for (const TSource& source : sources) {
        lstSources_->addItem(DescribeSource(source));
    }
    lstSources_->setCurrentRow(0);
    heading->setBuddy(lstSources_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    btnLoad_ = buttons->addButton(QStringLiteral("&Load as Article 1"), QDialogButtonBox::AcceptRole);
    btnLoad_->setObjectName(QStringLiteral("btnLoadSource"));
    btnLoad_->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(lstSources_);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Activation is a double click or Enter, or a single click where the
    // desktop says so; a double click loads everywhere.
    connect(lstSources_, &QListWidget::itemActivated, this, &QDialog::accept);
    connect(lstSources_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(lstSources_, &QListWidget::currentRowChanged, this, [this](int row) { btnLoad_->setEnabled(row >= 0); });
}

int TSourcesDialog::Chosen() const
{
    return lstSources_->currentRow();
}

} // namespace glenvary::ui
