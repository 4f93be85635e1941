// SPDX-License-Identifier: MIT
// Glenvary: one article side of the window.
#pragma once

#include "ui/articleeditor.h"

#include <QGroupBox>

#include <cstdint>
#include <exception>
#include <string>
#include <thread>
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
    /// Reads the file at `path` into the editor, as Import does after its
    /// dialog and as dropping a file onto the editor does. What can be told
    /// without reading (a pipe, a device, a folder, a file too large) is
    /// refused before anything changes. Otherwise empties the editor, then
    /// reads the file and builds the editor's document off the GUI thread,
    /// with a busy cursor over the side, Import disabled and the editor
    /// read-only until the read ends. A path that takes the word-processor
    /// route (see io::TakesWordProcessorRoute) is set in as plain text in
    /// one piece; any other loads with its formatting; either way the caret
    /// stands at the start and one Ctrl+Z brings back the text the editor
    /// held. A file that cannot be read leaves the editor empty (Ctrl+Z
    /// brings its text back) and is reported once as a warning that names
    /// the file, the reason and what became of the article. Does nothing
    /// while a read runs. ImportEnded follows in every case.
    void ImportFile(const QString& path);
    /// True while a file is read into the side.
    [[nodiscard]] bool IsImporting() const noexcept { return importing_; }
    /// The name of the file imported last, for reports; empty for typed or
    /// pasted text.
    [[nodiscard]] const QString& sourceName() const noexcept { return sourceName_; }
    /// What reports call the article: the file it was imported from, or
    /// the side's title ("Article 1") for typed or pasted text.
    [[nodiscard]] QString ArticleName() const { return sourceName_.isEmpty() ? title() : sourceName_; }
    /// The text is now the one called `name` (an archive's document).
    void SetSource(const QString& name) { sourceName_ = name; }
    /// The text is no longer the imported file's (Delete All).
    void ForgetSource() { sourceName_.clear(); }
    /// Asks a running read to stop and waits for its thread; its result is
    /// dropped. A LibreOffice conversion is stopped, not waited for.
    void StopImport();
    /// The side's controls that take the focus, in the order they are laid
    /// out: top to bottom, left to right.
    [[nodiscard]] std::vector<QWidget*> FocusOrder() const;

    /// The smallest size at which every control of the button bar and the
    /// statistics shows whole and the editor keeps its own minimum (its
    /// frame and the arrows of its scroll bar), as Arrange lays them out.
    [[nodiscard]] QSize minimumSizeHint() const override;

    ~TArticlePanel() override;
    TArticlePanel(const TArticlePanel&) = delete;
    TArticlePanel& operator=(const TArticlePanel&) = delete;

Q_SIGNALS:
    /// The import has ended, loaded or failed.
    void ImportEnded();

private:
    // What a read off the GUI thread brings back: the document built for
    // the editor, the reason the file could not be read, or a fault of the
    // program.
    struct TImportRead {
        TArticleEditor::TBuiltDocument built;
        std::string error;
        // Paragraphs shown plain for their many looks.
        std::size_t plainParagraphs = 0;
        std::exception_ptr fault;
    };

    void FinishImport(const QString& path, TImportRead& result);
    // A busy cursor over the side, Import disabled and the editor
    // read-only; false undoes all three.
    void SetImporting(bool importing);
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

    // The read of an imported file; joinable while it runs.
    std::jthread importer_;
    bool importing_ = false;
    // The editor held text when the running import emptied it.
    bool emptiedText_ = false;
    // The editor's count of changes right after the running import emptied
    // it: the same count when the read ends means nothing came between.
    std::uint64_t changesAfterClear_ = 0;
    QString sourceName_;
};

} // namespace glenvary::ui
