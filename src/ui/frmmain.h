// SPDX-License-Identifier: MIT
// Glenvary: the main window.
#pragma once

#include "config/configuration.h"
#include "core/compare_texts.h"
#include "core/comparison.h"
#include "ui/articleeditor.h"
#include "ui/banner.h"
#include "ui/controls.h"
#include "ui/dialogs.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace glenvary::platform {
class TUrlOpener;
} // namespace glenvary::platform

namespace glenvary::ui {

class TArticlePanel;
class TNumericField;
class TOptionsCommands;
class TPassageNavigator;

/// Where the window finds its start-up configuration and how it opens web
/// addresses; every member left empty takes the program's own.
struct TStartup {
    /// The folder of dbconfig.dat and its companion files; empty: the folder
    /// of the running program.
    std::filesystem::path programFolder;
    /// The random draws of the banner and links; empty: re-seeded from the
    /// clock before each draw.
    config::TDraw draw;
    /// Opens the addresses of the banner, "Make Money" and the links; empty:
    /// the desktop's browser and default open action.
    std::shared_ptr<platform::TUrlOpener> urlOpener;
};

/// The one window of the program: two article editors with live counts, the
/// Compare command with its highlighting and duplicate percentage, and the
/// keyword density of each side.
///
/// The window holds the state and wires the events; the work is done by the
/// engine, core::TComparison, whose two articles are the window's sides
/// (lstWords1 is Article1().lstWords, sText1 is Article1().sText, and so on).
/// Every control carries its design name as Qt object name ("btnCompareEx",
/// "rchArticle1", "edtWords2"...), so tests and accessibility tools find it.
///
/// The window is the wiring: branding is TBanner's, each side's controls
/// and imports are its TArticlePanel's, the passages' navigation is
/// TPassageNavigator's. Every handler runs guarded (RunGuarded): a failure
/// a person can act on is shown as a warning by the handler, anything else
/// ends the handler where it arose and is reported as unexpected, and the
/// window stays usable. bBusy is cleared whatever happens.
class TfrmMain : public QWidget {
    Q_OBJECT

public:
    using TOpenDialog = ui::TOpenDialog;
    using TSaveDialog = ui::TSaveDialog;

    /// Builds every control at its place for a 753 x 520 client area, then
    /// runs FormCreate. A failure in FormCreate is reported and the window
    /// is built all the same.
    explicit TfrmMain(QWidget* parent = nullptr, TStartup startup = {});
    ~TfrmMain() override;
    TfrmMain(const TfrmMain&) = delete;
    TfrmMain& operator=(const TfrmMain&) = delete;

    /// Words, sentences and paragraphs of article 1 as last split.
    [[nodiscard]] const core::TListWords& lstWords1() const noexcept { return engine_.Article1().lstWords; }
    [[nodiscard]] const core::TListSentences& lstSentences1() const noexcept
    {
        return engine_.Article1().lstSentences;
    }
    [[nodiscard]] const core::TListParagraphs& lstParagraphs1() const noexcept
    {
        return engine_.Article1().lstParagraphs;
    }
    /// The same for article 2.
    [[nodiscard]] const core::TListWords& lstWords2() const noexcept { return engine_.Article2().lstWords; }
    [[nodiscard]] const core::TListSentences& lstSentences2() const noexcept
    {
        return engine_.Article2().lstSentences;
    }
    [[nodiscard]] const core::TListParagraphs& lstParagraphs2() const noexcept
    {
        return engine_.Article2().lstParagraphs;
    }
    /// The normalised text of each article as the change handler last saw it.
    [[nodiscard]] const std::u16string& sText1() const noexcept { return engine_.Article1().sText; }
    [[nodiscard]] const std::u16string& sText2() const noexcept { return engine_.Article2().sText; }
    /// The settings of the last comparison.
    [[nodiscard]] std::int32_t iMinLength() const noexcept { return engine_.iMinLength; }
    [[nodiscard]] std::int32_t iUnitKind() const noexcept { return engine_.iUnitKind; }
    [[nodiscard]] std::int32_t iColorIndex() const noexcept { return engine_.iColorIndex; }
    /// Set while a comparison runs; the change handlers then do nothing.
    [[nodiscard]] bool bBusy() const noexcept { return bBusy_; }

    /// Change handler of rchArticle1: unless bBusy, normalises the editor's
    /// text into sText1, writes it back only when a character was replaced
    /// (which runs this handler once more, nested), splits it into the
    /// side's lists (every word white) and shows the three counts.
    void rchArticle1Change();
    /// The same for article 2.
    void rchArticle2Change();
    /// Compare: runs the engine's whole comparison (nothing happens while
    /// either article is blank), then resets both editors to plain text,
    /// draws the colours into them and shows the share of article 2's words
    /// that lie in a duplicate, out of article 2's actual word count. With
    /// an option on (Options... in the editors' menus), the comparison is
    /// core::TOptionsComparison's, on the same stored texts (the engine's
    /// words are then left white; the editors, the passages and the
    /// percentage show the comparison with options), and the label
    /// beside the percentage names the options; it also warns of signs of a
    /// disguised copy in article 2, whatever the options. Nothing runs when
    /// a left-out file cannot be read.
    void btnCompareExClick();
    /// Keeps the length field from holding 0: 0 becomes 1.
    void minNumWordsChange();
    /// Clear Highlighting of article 1: splits the editor's text afresh
    /// (every word white) and shows it plain. Nothing else changes.
    void btnClearH1Click();
    /// The same for article 2.
    void btnClearH2Click();
    /// Import of article 1: shows the open dialog ("Open file", any file, in
    /// the folder of the file chosen last or else the program's folder);
    /// unless cancelled, empties the editor and reads the chosen file (see
    /// ImportFile).
    void btnImport1Click();
    /// The same for article 2.
    void btnImport2Click();
    /// Reads the file at `path` into side `side` (1 or 2), as Import does
    /// after its dialog and as dropping a file onto an editor does (see
    /// TArticlePanel::ImportFile). ImportEnded(side) follows in every case.
    void ImportFile(int side, const QString& path);
    /// True while side `side` (1 or 2) reads a file.
    [[nodiscard]] bool IsImporting(int side) const;
    /// Replaces the open dialog; an empty function restores Qt's.
    void SetOpenDialog(TOpenDialog dialog);

    /// The passages' navigation (see TPassageNavigator): a double-click
    /// at `position` of side `side` (1 or 2), F3 and Shift+F3 there.
    void ShowPartner(int side, std::int32_t position);
    void GoToNextPassage(int side);
    void GoToPreviousPassage(int side);
    /// Save Report (Ctrl+S, or the item in either editor's menu): shows the
    /// save dialog, proposing duplicate-content.html in the folder of the
    /// report saved last (else of the file imported last, else the home
    /// folder); once the person confirms a file, compares the two texts
    /// on screen with the length and unit on screen, exactly as
    /// `glenvary-cli compare` does, and writes its report there: JSON for a
    /// name ending in .json, text for .txt, otherwise the web page. Each
    /// article is named by the file it was imported from, or "Article 1" /
    /// "Article 2" for typed or pasted text, with the options chosen in
    /// Options.... The file is written whole or
    /// not at all; a file that cannot be written is reported once, as a
    /// warning.
    void SaveReport();
    /// Replaces the save dialog; an empty function restores Qt's.
    void SetSaveDialog(TSaveDialog dialog);

    /// Delete All of article 1: empties the editor; the counts follow.
    void btnClear1Click();
    /// The same for article 2.
    void btnClear2Click();
    /// Keyword density of article 1: removes all highlighting from the
    /// editor, marks every occurrence of the trimmed keyword in yellow (in
    /// one edit), selects the last one, shows the number of occurrences and
    /// occurrences per hundred of the side's actual words, in two decimals
    /// (0.00 for an article without words or an empty keyword). The word
    /// lists and their colours are not touched.
    void btnCalculateKwDensity1Click();
    /// The same for article 2.
    void btnCalculateKwDensity2Click();

    /// Run once by the constructor: runs LoadConfiguration (the animated
    /// banner already stands on the still one's rectangle).
    void FormCreate();
    /// Applies the program folder's dbconfig.dat, if there is one: caption,
    /// affiliate identifier, the banner drawn (its panel hidden without one,
    /// otherwise as high as the picture + 10), the two links drawn, the skin
    /// (in place of the built-in one) and the icon. Captions are shown as
    /// written, as plain text, and are what screen readers read. A banner,
    /// skin, icon or link address that cannot be used is left out and the
    /// rest applied; the problems are shown together, one line each, in one
    /// warning once the window is shown. A skin that cannot be used leaves
    /// the built-in one.
    void LoadConfiguration();
    /// A click on the banner: opens sBannerURL in the browser, if there is one.
    void imgBannerClick();
    /// The same for the animated banner.
    void gifBannerClick();
    /// "Make Money": opens the promotional address followed directly by the
    /// affiliate identifier in the browser.
    void btnMakeMoneyClick();

    /// What the configuration set.
    [[nodiscard]] const std::string& sAffiliateID() const noexcept { return panBanner_->sAffiliateID(); }
    [[nodiscard]] const std::string& sBannerURL() const noexcept { return panBanner_->sBannerURL(); }
    /// Run whenever the window is shown: the layout rule.
    void FormShow();
    /// Run whenever the window's size changes: the layout rule. The banners
    /// are centred in panBanner, each half taken separately with integer
    /// division ((753 / 2) - (105 / 2) = 324, and 324 for 752 too);
    /// panLeft is (outer width / 2) - 10 wide, article 2 takes the rest of
    /// the client width less a 5-pixel strip. The window cannot be made
    /// smaller than the size at which no two controls overlap, each shows
    /// whole and each editor keeps its own minimum; that size follows the
    /// fonts, the skin, the link captions and the banner panel.
    void FormResize();
    /// Run by the destructor: empties the six lists.
    void FormDestroy();

    /// The highlight colour of colour index 1..6; white for every other index.
    [[nodiscard]] static core::TColor MatchColor(std::int32_t colorIndex) noexcept
    {
        return core::MatchColor(colorIndex);
    }

Q_SIGNALS:
    /// The import into side `side` (1 or 2) has ended, loaded or failed.
    void ImportEnded(int side);

protected:
    /// Shows the editor's whole text plain (black on white, no style) and
    /// puts the caret at the start. Formatting only: the text stays.
    void ResetHighlighting(TArticleEditor& editor);
    /// Rebuilds the editor from its side's stored text in the colours of
    /// `words`, in the runs core::HighlightRuns decides (the HTML report
    /// draws the same runs): a coloured run is bold black on its colour, a
    /// white one plain. The text stays exactly as stored.
    virtual void RenderHighlights(TArticleEditor& editor, const core::TListWords& words);

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // One half of the window, article 1 or article 2: its article in the
    // engine and its panel of controls, which also reads its imports.
    struct TSide {
        const core::TArticle* article = nullptr;
        TArticlePanel* panel = nullptr;
    };

    void BuildTopBar();
    void BuildBottomBar();
    void ConnectHandlers();
    void ShowStartupProblems();
    void SetFocusOrder();
    void ApplyLayoutRule();
    [[nodiscard]] QSize MinimumClientSize() const;

    void BuildPassageActions();
    void ArticleChange(TSide& side);
    void Import(TSide& side);
    [[nodiscard]] TSide& Side(int side);
    [[nodiscard]] int NumberOf(const TSide& side) const;
    void ClearHighlighting(TSide& side);
    // Goes back to the engine's colours and passages once the comparison
    // with options no longer stands for what the editors hold.
    void ForgetOptionsComparison();
    void ShowResultNote(const core::TCompareOptions& options, std::int32_t leftOutWords);
    void CalculateKwDensity(TSide& side);
    [[nodiscard]] const std::u16string& StoredText(const TArticleEditor& editor) const;

    core::TComparison engine_;
    bool bBusy_ = false;
    bool centred_ = false;
    // A dbskin.dat took the place of the built-in skin.
    bool skinApplied_ = false;
    // What the start-up configuration could not apply, one line each,
    // shown together once the window is up.
    QStringList startupProblems_;
    TOpenDialog openDialog_;
    TSaveDialog saveDialog_;
    // The folder of the report saved last.
    QString saveFolder_;
    TStartup startup_;
    // The folder of the file chosen last in the open dialog.
    QString lastFolder_;

    QWidget* panTop_ = nullptr;
    QPushButton* btnCompareEx_ = nullptr;
    QPushButton* btnMakeMoney_ = nullptr;
    TBanner* panBanner_ = nullptr;
    QWidget* panBottom_ = nullptr;
    TNumericField* edtDuplicate_ = nullptr;
    QSpinBox* minNumWords_ = nullptr;
    QComboBox* cbxType_ = nullptr;
    QLabel* lblLink1URL_ = nullptr;
    QLabel* lblLink2URL_ = nullptr;
    std::array<TSide, 2> sides_{};
    QAction* actSaveReport_ = nullptr;
    TPassageNavigator* passages_ = nullptr;
    TOptionsCommands* options_ = nullptr;
    // The last comparison, when it was made with options and the texts
    // have not changed since.
    std::unique_ptr<core::TOptionsComparison> optionsComparison_;
    // Beside the percentage: the options on and any sign of a disguise.
    QLabel* lblResultNote_ = nullptr;
    // Bottom-bar controls that keep their distance from the right edge.
    std::vector<TRightAnchored> rightAnchored_;
};

} // namespace glenvary::ui
