// SPDX-License-Identifier: MIT
// Glenvary: going from a marked passage to its copy.
#pragma once

#include "core/compare_texts.h"
#include "core/comparison.h"
#include "ui/articleeditor.h"

#include <QObject>

#include <array>
#include <cstdint>

namespace glenvary::ui {

/// The passages the last comparison matched, as the editors show them: a
/// double-click on a marked word shows its copy in the other editor, and F3
/// and Shift+F3 in an editor ("actNextPassage1", "actPreviousPassage2"...)
/// select its next and previous marked passage together with the copy.
/// Reads the engine's articles and passages, or those of the comparison
/// with options shown; changes only the editors' selections.
class TPassageNavigator : public QObject {
    Q_OBJECT

public:
    /// Adds the two actions to each editor and follows its double-clicks.
    TPassageNavigator(const core::TComparison& engine, TArticleEditor& editor1, TArticleEditor& editor2,
                      QObject* parent);

    /// Reads the articles and passages of `shown`, a comparison with
    /// options that the editors show, instead of the engine's; with nothing,
    /// the engine's again. `shown` must outlive its use.
    void Follow(const core::TOptionsComparison* shown) noexcept { shown_ = shown; }

    /// A double click on the character at `position` of side `side`'s
    /// editor (1 or 2), after the editor selected the word there as every
    /// editor does: when it lies in a coloured word of a passage that the
    /// last comparison matched, selects the passage's copy in the other
    /// editor and scrolls it into view. A white word, a character between
    /// words, or colours whose texts changed since leave the other editor
    /// as it is.
    void ShowPartner(int side, std::int32_t position);
    /// F3 in side `side`'s editor: selects the next coloured region (a
    /// maximal run of words of one colour) after the selection's start (at
    /// the caret, when nothing is selected), going round to the first after
    /// the last, scrolls it into view and shows the copy of its passage in
    /// the other editor as ShowPartner does. Nothing without coloured words.
    void GoToNextPassage(int side);
    /// Shift+F3: the same backward, to the last coloured region that starts
    /// before the selection's start, going round to the last.
    void GoToPreviousPassage(int side);

private:
    void GoToPassage(int side, bool forward);
    void ShowCopy(int side, std::int32_t word);
    void SelectWords(int side, std::int32_t first, std::int32_t last);
    [[nodiscard]] const core::TArticle& Article(int side) const;
    [[nodiscard]] TArticleEditor& Editor(int side) const;

    const core::TComparison& engine_;
    const core::TOptionsComparison* shown_ = nullptr;
    std::array<TArticleEditor*, 2> editors_;
};

} // namespace glenvary::ui
