// SPDX-License-Identifier: MIT
// Glenvary: the rich-text editor that holds one article.
#pragma once

#include "core/highlight.h"
#include "core/words.h"
#include "io/article_document.h"

#include <QFont>
#include <QString>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextOption>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QMenu;
class QTextDocument;

namespace glenvary::ui {

/// Font style bits, written together by TArticleEditor::SetSelectionStyle.
enum TFontStyle : unsigned {
    fsBold = 1U,
    fsItalic = 2U,
    fsUnderline = 4U,
    fsStrikeOut = 8U,
};
using TFontStyles = unsigned;

/// A piece of text and how it looks, for TArticleEditor::RenderPieces.
/// The text is viewed, not owned: it must outlive the call.
struct TStyledPiece {
    std::u16string_view text;
    core::TColor textColor = core::clBlack;
    core::TColor backColor = core::clWhite;
    TFontStyles style = 0;
};

/// A run of editor positions: `start` from 0, `length` characters.
struct TTextRange {
    std::int32_t start = 0;
    std::int32_t length = 0;
};

/// A QTextEdit with the operations the window needs of an article editor.
///
/// Positions are 0-based UTF-16 offsets into Text(). A line break is one
/// position (LF), so a position is also the document's own cursor position.
///
/// OnChange is raised synchronously after every change of the text (typing,
/// pasting, dropping, undo, SetText, Clear, ReplaceSelection, RenderPieces)
/// and never for a change of formatting alone. An operation of this class
/// raises it at most once, when the operation is over, never from inside
/// the document's own change notification, so a listener may change the
/// text again. An exception that escapes a listener is handed to
/// platform::ReportUnexpectedError and goes no further: it must not unwind
/// through Qt's text engine.
class TArticleEditor : public QTextEdit {
    Q_OBJECT

public:
    /// While one lives, the editor's operations make up one edit: the
    /// document is laid out once, when the last group ends, the caret is
    /// then scrolled into view, and OnChange is raised at most once. Text()
    /// is exact throughout. Groups nest; an exception unwinding through one
    /// ends it without raising OnChange.
    class TEditGroup {
    public:
        explicit TEditGroup(TArticleEditor& editor);
        ~TEditGroup();
        TEditGroup(const TEditGroup&) = delete;
        TEditGroup& operator=(const TEditGroup&) = delete;

    private:
        TArticleEditor& editor_;
        QTextCursor cursor_;
        int exceptions_;
    };

    explicit TArticleEditor(QWidget* parent = nullptr);
    ~TArticleEditor() override;
    TArticleEditor(const TArticleEditor&) = delete;
    TArticleEditor& operator=(const TArticleEditor&) = delete;

    /// The whole content as it stands: every character as stored (no-break
    /// spaces stay), each paragraph or line separator read as one LF, no
    /// final line break. O(1) when nothing changed since the last read,
    /// O(length) otherwise.
    [[nodiscard]] const std::u16string& Text() const;

    /// Makes the content equal `text`. An equal text changes nothing and
    /// raises nothing; otherwise only the characters that differ are
    /// replaced (each keeps the look of the character it replaces; caret and
    /// selection stay where they were) and OnChange is raised before the
    /// call returns. The write joins the edit before it in the undo history,
    /// so that one Ctrl+Z takes back both: the change handler's rewrite of
    /// what was just typed, pasted or imported never stands between the
    /// person and the text they had.
    void SetText(std::u16string_view text);

    /// Length of the content read as lines, each followed by a line break:
    /// Text().size() + 1, so never less than the length of Text().
    [[nodiscard]] std::int32_t LinesLength() const;

    /// Empties the content, forgets the look set at the caret and raises
    /// OnChange, also when the editor was empty already. One Ctrl+Z brings
    /// the content back, looks and all, and further ones go on through its
    /// own history. Cost: O(1); the emptied content is kept (see
    /// kKeptContents).
    void Clear();

    /// How a replacement of the whole content enters the undo history.
    enum class TUndoStep {
        /// As a step of its own: one Ctrl+Z brings back what was there.
        New,
        /// Joined to the Clear just before it, when nothing changed the
        /// content since (Changes() tells), so that one Ctrl+Z brings back
        /// what was there before the Clear.
        JoinClear,
    };

    /// The `Lines` write: replaces the whole content with `text` as plain
    /// text, in one piece, puts the caret at the start and raises OnChange.
    /// Ctrl+Z brings back the content as it was, looks included (`step`).
    /// Cost: O(length); the document is laid out a piece at a time while
    /// the window goes on answering.
    void SetLines(std::u16string_view text, TUndoStep step = TUndoStep::New);

    /// Replaces the whole content with an article as its file held it, with
    /// the looks of its runs (text outside every run is plain), puts the
    /// caret at the start and raises OnChange. Ctrl+Z brings back the
    /// content as it was, looks included (`step`).
    /// Cost: O(length + runs); laid out as SetLines is.
    void LoadFromFile(const io::TArticleDocument& document, TUndoStep step = TUndoStep::New);

    /// What a document made for this editor takes from it.
    struct TDocumentLook {
        QFont font;
        QString styleSheet;
        QTextOption option;
        qreal margin = 4;
        qreal indentWidth = 40;
        bool designMetrics = false;
    };
    /// This editor's look for documents, to hand to BuildDocument.
    [[nodiscard]] TDocumentLook DocumentLook() const;

    /// A document without a parent, deleted through deleteLater so that it
    /// may go from the thread that built it to the one that shows it.
    struct TLaterDeleter {
        void operator()(QObject* object) const { object->deleteLater(); }
    };
    using TBuiltDocument = std::unique_ptr<QTextDocument, TLaterDeleter>;

    /// The document that LoadFromFile shows for `document`, or, with
    /// `plain`, that SetLines shows for its text, in `look`; built on the
    /// calling thread, which may be any, and owned by it until moved.
    /// Cost: O(length + runs), about 3 microseconds a paragraph.
    [[nodiscard]] static TBuiltDocument BuildDocument(const TDocumentLook& look,
                                                      const io::TArticleDocument& document, bool plain);

    /// Shows `built`, made by BuildDocument and moved to this editor's
    /// thread, in place of the content, as LoadFromFile does.
    void ShowDocument(TBuiltDocument built, TUndoStep step);

    /// How many whole contents that Clear, SetLines and LoadFromFile
    /// replaced are kept for Ctrl+Z: each may be a book, and a person who
    /// goes back further than this retypes nothing, only re-imports.
    static constexpr std::size_t kKeptContents = 4;

    /// Counts the changes of the content so far; a caller that empties the
    /// editor now and fills it later compares it to know whether anything
    /// came between.
    [[nodiscard]] std::uint64_t Changes() const noexcept { return changes_; }

    /// Ctrl+Z: takes back the last edit, or, when the content has no edit
    /// left to take back, brings back the content that Clear, SetLines or
    /// LoadFromFile replaced last. Raises OnChange when the text changed.
    void Undo();
    /// Ctrl+Shift+Z / Ctrl+Y: what Undo took back, again.
    void Redo();

    /// The characters that a listener of OnChange replaces at once (with
    /// SetText). Typing, pasting or dropping one makes that edit a step of
    /// its own in the undo history, which the listener's write joins, so
    /// that one Ctrl+Z takes back both; other typing merges into runs as Qt
    /// merges it. None at first.
    void SetRewrittenCharacters(std::u16string_view characters);

    /// First position of the selection, or the caret when nothing is selected.
    [[nodiscard]] std::int32_t SelectionStart() const;
    /// Puts the caret at `position` (clamped to the content), selecting nothing.
    void SetSelectionStart(std::int32_t position);
    /// Number of selected characters.
    [[nodiscard]] std::int32_t SelectionLength() const;
    /// Selects `length` characters from the selection's start (clamped to
    /// the content) and scrolls the selection into view.
    void SetSelectionLength(std::int32_t length);

    /// Text colour of the selection or, when it is empty, of the text typed
    /// or inserted next at the caret. Colours are BBGGRR.
    void SetSelectionTextColor(core::TColor color);
    /// Bold, italic, underline and strike-out of the selection (or of the
    /// next text at the caret), all four written together.
    void SetSelectionStyle(TFontStyles style);
    /// Background colour of the selection (or of the next text at the caret).
    void SetSelectionBackColor(core::TColor color);

    /// Inserts `text` in place of the selection with the look set at the
    /// caret and leaves the caret after it, so successive calls append in
    /// order. Raises OnChange once when the text changed.
    void ReplaceSelection(std::u16string_view text);

    /// The first position p >= `start` at which `text` occurs, ignoring
    /// letter case and word boundaries, such that the occurrence lies within
    /// start .. start + length - 1 (a range past the end stops at the end);
    /// -1 when there is none or `text` is empty.
    [[nodiscard]] std::int32_t FindText(std::u16string_view text, std::int32_t start, std::int32_t length) const;

    /// Replaces the whole content with `pieces` in order, each with its own
    /// look, giving the same text and per-character formats as Clear
    /// followed by one SetSelectionStyle, SetSelectionBackColor,
    /// SetSelectionTextColor and ReplaceSelection per piece, but in one edit:
    /// neighbouring pieces of one look are merged and laid out once. The undo
    /// history is dropped, the caret ends after the last piece, and OnChange
    /// is raised only when the text differs from before.
    /// Cost: O(total length + pieces), one layout.
    void RenderPieces(std::span<const TStyledPiece> pieces);
    /// Shows `text` in the runs of a comparison's colours, in one edit as
    /// RenderPieces does: a coloured run bold black on its colour, a white
    /// one plain black on white.
    void RenderRuns(std::u16string_view text, std::span<const core::THighlightRun> runs);
    /// Shows the whole text plain (black on white, no style) in one edit and
    /// puts the caret at the start. Formatting only: the text stays.
    void ShowPlain();

    /// Where the view goes when ShowRange selects a range.
    enum class TView {
        /// Scrolled so that the range shows, its start first when the whole
        /// range does not fit.
        Range,
        /// Left where it was.
        Unmoved,
    };

    /// Selects `length` characters from `start` (clamped to the content),
    /// with the caret at the range's start, and moves the view as `view`
    /// says. Selection only: raises no OnChange.
    void ShowRange(std::int32_t start, std::int32_t length, TView view);

    /// The menu a right click at `position` (viewport coordinates) or the
    /// menu key opens: Qt's own edit menu, then the actions added to the
    /// editor (QWidget::addAction), which also take their shortcuts while
    /// the editor has the focus. The caller owns the menu.
    [[nodiscard]] QMenu* ContextMenu(const QPoint& position);

    /// Gives every range of `ranges` the text colour, background and style,
    /// all in one edit without letting any event through. Ranges are clamped
    /// to the content; the caret and the selection stay. Formatting only:
    /// raises no OnChange. Cost: O(ranges x log(content)).
    void MarkRanges(std::span<const TTextRange> ranges, core::TColor textColor, core::TColor backColor,
                    TFontStyles style);

Q_SIGNALS:
    /// The text itself changed (see the class comment).
    void OnChange();
    /// A file from a file manager was dropped onto the editor; its content
    /// was not inserted. `path` is the file's local path. Raised once the
    /// drop is over, from the event loop.
    void FileDropped(const QString& path);
    /// A double click with the left button on the character at `position`
    /// has been handled as Qt handles it (the word there is selected) and
    /// the button released. Not raised for a double click beside the text,
    /// past a line's end, nor when the person dragged the selection on
    /// before releasing the button.
    void DoubleClicked(std::int32_t position);

protected:
    /// Ctrl+Tab types a tab character; Tab itself moves the focus on.
    void keyPressEvent(QKeyEvent* event) override;
    /// Qt's handling, as a step of its own when it commits a rewritten
    /// character (SetRewrittenCharacters).
    void inputMethodEvent(QInputMethodEvent* event) override;
    /// Qt's handling; the release that follows raises DoubleClicked.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    /// Shows ContextMenu at the event's place.
    void contextMenuEvent(QContextMenuEvent* event) override;
    /// Text and HTML can be pasted or dropped, and local files pasted or
    /// dropped; images and other objects cannot.
    [[nodiscard]] bool canInsertFromMimeData(const QMimeData* source) const override;
    /// Pastes or drops plain text, or HTML reduced to its text with bold,
    /// italic, underline and strike-out: no images or other embedded objects,
    /// no tables or lists (their text stays, one paragraph per cell or item),
    /// no fonts, sizes, colours or links. Raises OnChange once. Pasting
    /// files copied in a file manager inserts their local paths, one a line,
    /// as text at the caret; dropping them inserts nothing: FileDropped names
    /// the first of them instead.
    void insertFromMimeData(const QMimeData* source) override;
    /// Qt's handling, with dropped files told from pasted ones.
    void dropEvent(QDropEvent* event) override;

private:
    class TChangeBatch;
    friend class TEditGroup;

    void EndBatch(int exceptionsAtStart) noexcept;
    // Rebuilds the content from `pieces` in place, dropping the undo
    // history: a rebuild that changes only looks.
    void ReplaceAll(std::span<const TStyledPiece> pieces);
    // A new, empty document in `look`, without a parent.
    [[nodiscard]] static TBuiltDocument NewDocument(const TDocumentLook& look);
    // Fills an empty `target` with `pieces`, outside its undo history.
    static void Fill(QTextDocument& target, std::span<const TStyledPiece> pieces);
    // Shows `next` in place of the present document, which is kept for
    // Undo (New) or dropped (JoinClear), and raises OnChange.
    void Replace(QTextDocument* next, TUndoStep step);
    // Shows `next`, a document of this editor, listening to its changes.
    void Show(QTextDocument* next);
    // Undo (`back`) or Redo: the content's own history first, then the
    // contents kept whole.
    void Travel(bool back);

    void ContentsChange(int position, int charsRemoved, int charsAdded);
    void ContentsChanged();
    void RaiseChangeIfAny() noexcept;
    void Refresh() const;
    [[nodiscard]] std::int32_t ContentLength() const;

    // What Text() returns; rebuilt lazily after the document changed.
    mutable std::u16string text_;
    // The buffer the next rebuild reads into, kept to be reused.
    mutable std::u16string scratch_;
    mutable bool stale_ = false;
    // A change of the text that listeners have not yet heard of, or an
    // operation that raises OnChange whatever it changed.
    mutable bool unreported_ = false;
    // Open operations of this class; OnChange waits until the last one ends.
    int batchDepth_ = 0;
    bool checkPosted_ = false;
    // The character of a double click whose release is awaited (-1 for
    // none), and the selection Qt made for it.
    std::int32_t doubleClicked_ = -1;
    int doubleClickStart_ = 0;
    int doubleClickEnd_ = 0;
    // Set while Qt handles a drop, so that dropped files are told from
    // pasted ones.
    bool dropping_ = false;
    // What SetRewrittenCharacters gave.
    std::u16string rewritten_;
    // Contents replaced as a whole, the last replaced last, for Undo; and
    // those that Undo took back, for Redo. Owned by the editor.
    std::vector<QTextDocument*> undone_;
    std::vector<QTextDocument*> redone_;
    // Set while Undo or Redo runs, whose changes keep what Redo can do.
    bool travelling_ = false;
    std::uint64_t changes_ = 0;
    [[nodiscard]] bool HoldsRewritten(const QString& text) const;
};

} // namespace glenvary::ui
