// SPDX-License-Identifier: MIT
// Glenvary: the small dialogs of the window's archive commands.
#pragma once

#include "ui/archivechoice.h"

#include <QDialog>

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace glenvary::ui {

/// What the archive commands ask the person and tell them. The window uses
/// the dialogs below; a test puts answers in their place.
class TArchiveDialogs {
public:
    virtual ~TArchiveDialogs() = default;
    /// Shows the archive settings filled with `current` over `parent`;
    /// returns the settings confirmed, or nothing when cancelled.
    [[nodiscard]] virtual std::optional<TArchiveChoice> EditChoice(QWidget* parent,
                                                                  const TArchiveChoice& current) = 0;
    /// Lists `sources` (at least one), found in `archive`; returns the index
    /// of the one to load as article 1, or nothing when the person closes
    /// the list.
    [[nodiscard]] virtual std::optional<std::size_t> ChooseSource(QWidget* parent, const QString& archive,
                                                                  const std::vector<TSource>& sources) = 0;
    /// Tells the person `message`, one line, as information.
    virtual void Inform(QWidget* parent, const QString& message) = 0;
};

/// The program's dialogs, shown modal over the window.
[[nodiscard]] std::unique_ptr<TArchiveDialogs> MakeArchiveDialogs();

/// "Archive Settings": the archive's file name (typed, or chosen with
/// Browse) or a postgresql:// address, and how many documents Find Sources
/// lists. OK stays disabled while the address cannot be used, and the line
/// under it says why.
class TArchiveSettingsDialog : public QDialog {
    Q_OBJECT

public:
    TArchiveSettingsDialog(const TArchiveChoice& current, QWidget* parent);
    /// The settings as they stand in the dialog.
    [[nodiscard]] TArchiveChoice Choice() const;

private:
    void Browse();
    void AddressEdited();

    QLineEdit* edtArchive_ = nullptr;
    QSpinBox* spnTopDocuments_ = nullptr;
    QLabel* lblProblem_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

/// "Sources of Article 2": the documents found, each with both shares; a
/// double click or "Load as Article 1" accepts the current one.
class TSourcesDialog : public QDialog {
    Q_OBJECT

public:
    TSourcesDialog(const QString& archive, const std::vector<TSource>& sources, QWidget* parent);
    /// The row chosen, from 0; -1 for none.
    [[nodiscard]] int Chosen() const;

private:
    QListWidget* lstSources_ = nullptr;
    QPushButton* btnLoad_ = nullptr;
};

} // namespace glenvary::ui
