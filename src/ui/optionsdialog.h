// SPDX-License-Identifier: MIT
// Glenvary: the "Comparison Options" dialog.
#pragma once

#include "ui/compareoptions.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QListWidget;
class QPushButton;

namespace glenvary::ui {

/// "Comparison Options": the files whose passages are left out (Add...,
/// Remove), quotations left out, disguises seen through and words of text
/// without spaces; Restore Defaults turns every option off. A file is
/// listed once, and at most core::kMaxIgnoreTexts of them.
class TOptionsDialog : public QDialog {
    Q_OBJECT

public:
    TOptionsDialog(const TWindowOptions& current, QWidget* parent);
    /// The options as they stand in the dialog.
    [[nodiscard]] TWindowOptions Options() const;
    /// Lists `path` among the left-out files, as Add... does with the file
    /// chosen; a file listed already, or one past the most, is not added.
    void AddFile(const QString& path);

private:
    void Browse();
    void RemoveFile();
    void RestoreDefaults();
    void UpdateButtons();

    QListWidget* lstIgnoreFiles_ = nullptr;
    QPushButton* btnAddFile_ = nullptr;
    QPushButton* btnRemoveFile_ = nullptr;
    QCheckBox* chkIgnoreQuoted_ = nullptr;
    QCheckBox* chkFold_ = nullptr;
    QCheckBox* chkUnicodeWords_ = nullptr;
};

/// Shows the dialog modal over `parent`; the options confirmed, or nothing
/// when cancelled.
[[nodiscard]] std::optional<TWindowOptions> ShowOptionsDialog(QWidget* parent, const TWindowOptions& current);

} // namespace glenvary::ui
