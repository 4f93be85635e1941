// SPDX-License-Identifier: MIT
// Glenvary: one article side of the window.
#pragma once

#include <QGroupBox>

#include <vector>

class QFrame;
class QLineEdit;
class QPushButton;

namespace glenvary::core {
struct TArticle;
} // namespace glenvary::core

namespace glenvary::ui {

class TArticleEditor;
class TNumericField;

/// One half of the window, the group captioned "Article 1" or "Article 2":
/// a button bar on top (Import, Clear Highlighting, Delete All), the
/// article's editor in the middle and the statistics at the bottom (word,
/// sentence and paragraph counts, the keyword phrase, Calculate Keyword
/// Density and its two results). The panel builds, lays out and shows; the
/// window wires its events and runs its commands.
///
/// Every control carries its design name followed by the side's number as
/// Qt object name ("btnImport1", "rchArticle2", "edtDensPerc1"...).
class TArticlePanel : public QGroupBox {
    Q_OBJECT

public:
    /// Builds side `number` (1 or 2) with every control at its place as
    /// drawn; the second side's buttons sit 2 pixels further right.
    TArticlePanel(int number, QWidget* parent);

    [[nodiscard]] QPushButton* btnImport() const noexcept { return btnImport_; }
    [[nodiscard]] QPushButton* btnClearH() const noexcept { return btnClearH_; }
    [[nodiscard]] QPushButton* btnClear() const noexcept { return btnClear_; }
    [[nodiscard]] TArticleEditor* rchArticle() const noexcept { return rchArticle_; }
    [[nodiscard]] QLineEdit* edtKw() const noexcept { return edtKw_; }
    [[nodiscard]] QPushButton* btnCalculateKwDensity() const noexcept { return btnCalculateKwDensity_; }

    /// Puts the button bar (37 pixels) at the top of the group's contents,
    /// the statistics (113 pixels) at the bottom, and gives the editor the
    /// full width and whatever height is left, never less than 0; the
    /// divider line stretches with the width.
    void Arrange();
    /// Shows the word, sentence and paragraph counts of `article`.
    void ShowCounts(const core::TArticle& article);
    /// Shows a keyword's number of occurrences, and their density in two
    /// decimals.
    void ShowDensity(int occurrences, double density);
    /// While a file is read into the side: a busy cursor over it, Import
    /// disabled and the editor read-only; false undoes all three.
    void SetImporting(bool importing);
    /// The side's controls that take the focus, in the order they are laid
    /// out: top to bottom, left to right.
    [[nodiscard]] std::vector<QWidget*> FocusOrder() const;

    /// The smallest size at which every control of the button bar and the
    /// statistics shows whole and the editor keeps its own minimum (its
    /// frame and the arrows of its scroll bar), as Arrange lays them out.
    [[nodiscard]] QSize minimumSizeHint() const override;

private:
    void BuildButtonBar(int number);
    void BuildEditor(int number);
    void BuildStatistics(int number);

    QWidget* buttonBar_ = nullptr;
    QWidget* statistics_ = nullptr;
    QFrame* divider_ = nullptr;
    QPushButton* btnImport_ = nullptr;
    QPushButton* btnClearH_ = nullptr;
    QPushButton* btnClear_ = nullptr;
    TArticleEditor* rchArticle_ = nullptr;
    TNumericField* edtWords_ = nullptr;
    TNumericField* edtSenten_ = nullptr;
    TNumericField* edtParag_ = nullptr;
    QLineEdit* edtKw_ = nullptr;
    QPushButton* btnCalculateKwDensity_ = nullptr;
    TNumericField* edtDensPerc_ = nullptr;
    TNumericField* edtDensTotal_ = nullptr;
};

} // namespace glenvary::ui
