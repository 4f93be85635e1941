// SPDX-License-Identifier: MIT
#include "ui/dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace glenvary::ui {

std::optional<QString> ShowOpenDialog(QWidget* parent, const QString& title, const QString& folder)
{
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

} // namespace glenvary::ui
