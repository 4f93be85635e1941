// SPDX-License-Identifier: MIT
#include "ui/passagenavigator.h"

#include "core/highlight.h"
#include "ui/guarded.h"

#include <QAction>
#include <QKeySequence>

#include <optional>
#include <span>
#include <stdexcept>
#include <string>

namespace glenvary::ui {
namespace {

std::span<const core::TWord> Words(const core::TArticle& article)
{
    return {article.lstWords.begin(), article.lstWords.end()};
}

core::TArticleSide ArticleSide(int side)
{
    return side == 1 ? core::TArticleSide::Article1 : core::TArticleSide::Article2;
}

} // namespace

TPassageNavigator::TPassageNavigator(const core::TComparison& engine, TArticleEditor& editor1,
                                     TArticleEditor& editor2, QObject* parent)
    : QObject(parent), engine_(engine), editors_{&editor1, &editor2}
{
    for (int side : {1, 2}) {
        TArticleEditor& editor = Editor(side);
        const QString n = QString::number(side);
        auto* next = new QAction(QStringLiteral("Next Duplicated Passage"), &editor);
        next->setObjectName(QStringLiteral("actNextPassage") + n);
        next->setShortcut(QKeySequence(Qt::Key_F3));
        next->setToolTip(QStringLiteral("Selects the next marked passage and its copy in the other article"));
        auto* previous = new QAction(QStringLiteral("Previous Duplicated Passage"), &editor);
        previous->setObjectName(QStringLiteral("actPreviousPassage") + n);
        previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
        previous->setToolTip(
            QStringLiteral("Selects the previous marked passage and its copy in the other article"));
        for (QAction* action : {next, previous}) {
            // Each editor's F3 goes through its own article.
            action->setShortcutContext(Qt::WidgetShortcut);
        }
        editor.addActions({next, previous});
        connect(next, &QAction::triggered, this, Guarded([this, side] { GoToNextPassage(side); }));
        connect(previous, &QAction::triggered, this, Guarded([this, side] { GoToPreviousPassage(side); }));
        connect(&editor, &TArticleEditor::DoubleClicked, this,
                [this, side](std::int32_t position) { RunGuarded([&] { ShowPartner(side, position); }); });
    }
}

const core::TArticle& TPassageNavigator::Article(int side) const
{
    if (shown_ != nullptr) {
        return side == 1 ? shown_->Compared().article1 : shown_->Compared().article2;
    }
    return side == 1 ? engine_.Article1() : engine_.Article2();
}

TArticleEditor& TPassageNavigator::Editor(int side) const
{
    if (side != 1 && side != 2) {
        throw std::out_of_range("there is no article side " + std::to_string(side));
    }
    return *editors_[static_cast<std::size_t>(side - 1)];
}

void TPassageNavigator::ShowPartner(int side, std::int32_t position)
{
    const std::int32_t word = core::WordAt(Words(Article(side)), position);
    if (word < 0) {
        return;
    }
    // The word stays selected where the person clicked, as in every editor,
    // so that typing replaces just that word; the copy shows in the other.
    ShowCopy(side, word);
}

void TPassageNavigator::GoToNextPassage(int side)
{
    GoToPassage(side, true);
}

void TPassageNavigator::GoToPreviousPassage(int side)
{
    GoToPassage(side, false);
}

void TPassageNavigator::GoToPassage(int side, bool forward)
{
    const TArticleEditor& editor = Editor(side);
    const std::int32_t start = editor.SelectionStart();
    // A region that begins at the selection's start is the one selected, so
    // going forward passes it; at a bare caret it is the next one.
    const std::span<const core::TWord> words = Words(Article(side));
    const std::optional<core::TWordRange> region =
        forward ? core::NextRegion(words, editor.SelectionLength() > 0 ? start + 1 : start)
                : core::PreviousRegion(words, start);
    if (!region) {
        return;
    }
    SelectWords(side, region->iFirstWord, region->iLastWord);
    ShowCopy(side, region->iFirstWord);
}

void TPassageNavigator::ShowCopy(int side, std::int32_t word)
{
    const std::optional<core::TComparison::TPassage> passage =
        shown_ != nullptr ? shown_->PassageOf(ArticleSide(side), word) : engine_.PassageOf(ArticleSide(side), word);
    if (!passage) {
        return;
    }
    if (side == 1) {
        SelectWords(2, passage->first2, passage->last2);
    } else {
        SelectWords(1, passage->first1, passage->last1);
    }
}

void TPassageNavigator::SelectWords(int side, std::int32_t first, std::int32_t last)
{
    const core::TListWords& words = Article(side).lstWords;
    if (first < 0 || first > last || last >= words.Count()) {
        return;
    }
    const std::int32_t start = words[first].iStart - 1;
    Editor(side).ShowRange(start, words[last].iEnd - 1 - start, TArticleEditor::TView::Range);
}

} // namespace glenvary::ui
