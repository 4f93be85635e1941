// SPDX-License-Identifier: MIT
#include "ui/articleeditor.h"

#include "platform/error_reporter.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFragment>
#include <QUrl>

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

namespace glenvary::ui {
namespace {

// Copies the units as they are. QString::fromUtf16 would read a leading
// U+FEFF as a byte order mark and drop it, so a piece that starts with one
// would lose a character of the article.
QString ToQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

TStyledPiece PieceOf(std::u16string_view text, const io::TTextLook& look)
{
    TFontStyles style = 0;
    style |= look.bold ? fsBold : 0U;
    style |= look.italic ? fsItalic : 0U;
    style |= look.underline ? fsUnderline : 0U;
    style |= look.strikeOut ? fsStrikeOut : 0U;
    return {text, look.textColor.value_or(core::clBlack), look.backColor.value_or(core::clWhite), style};
}

QColor ToQColor(core::TColor color)
{
    return QColor(static_cast<int>(color & 0xFFU), static_cast<int>((color >> 8) & 0xFFU),
                  static_cast<int>((color >> 16) & 0xFFU));
}

// Every look the editor writes sets the same six properties, so formats built
// in bulk compare equal to formats merged step by step at the caret.
void SetStyle(QTextCharFormat& format, TFontStyles style)
{
    format.setFontWeight((style & fsBold) != 0 ? QFont::Bold : QFont::Normal);
    format.setFontItalic((style & fsItalic) != 0);
    format.setFontUnderline((style & fsUnderline) != 0);
    format.setFontStrikeOut((style & fsStrikeOut) != 0);
}

QTextCharFormat LookFormat(core::TColor textColor, core::TColor backColor, TFontStyles style)
{
    QTextCharFormat format;
    SetStyle(format, style);
    format.setBackground(ToQColor(backColor));
    format.setForeground(ToQColor(textColor));
    return format;
}

// The look a pasted fragment keeps: its font style alone. Fonts, sizes and
// colours from another program would make the article look patchy, and a
// pasted background would read like a duplicate or keyword mark.
QTextCharFormat BasicFormat(const QTextCharFormat& pasted)
{
    QTextCharFormat basic;
    basic.setFontWeight(pasted.fontWeight() >= QFont::DemiBold ? QFont::Bold : QFont::Normal);
    basic.setFontItalic(pasted.fontItalic());
    basic.setFontUnderline(pasted.fontUnderline());
    basic.setFontStrikeOut(pasted.fontStrikeOut());
    return basic;
}

// HTML reduced to paragraphs of styled text; see insertFromMimeData.
QTextDocumentFragment CleanFragment(const QString& html)
{
    QTextDocument source;
    source.setHtml(html);
    QTextDocument clean;
    QTextCursor out(&clean);
    bool first = true;
    for (QTextBlock block = source.begin(); block.isValid(); block = block.next()) {
        if (!first) {
            out.insertBlock();
        }
        first = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat() || format.objectType() != QTextFormat::NoObject) {
                continue;
            }
            QString text = fragment.text();
            text.remove(QChar::ObjectReplacementCharacter);
            if (!text.isEmpty()) {
                out.insertText(text, BasicFormat(format));
            }
        }
    }
    return QTextDocumentFragment(&clean);
}

// Switches the document's undo off for one operation, which drops its undo
// history, and on again afterwards.
class TUndoSuspension {
public:
    explicit TUndoSuspension(QTextDocument& document) : document_(document), enabled_(document.isUndoRedoEnabled())
    {
        document_.setUndoRedoEnabled(false);
    }
    ~TUndoSuspension() { document_.setUndoRedoEnabled(enabled_); }
    TUndoSuspension(const TUndoSuspension&) = delete;
    TUndoSuspension& operator=(const TUndoSuspension&) = delete;

private:
    QTextDocument& document_;
    bool enabled_;
};

// The local paths among the dropped or pasted URLs, in their order.
QStringList LocalFiles(const QMimeData& source)
{
    QStringList paths;
    if (!source.hasUrls()) {
        return paths;
    }
    for (const QUrl& url : source.urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    return paths;
}

// Inserts `pieces` at `cursor`, neighbours of one look as one run.
void InsertPieces(QTextCursor& cursor, std::span<const TStyledPiece> pieces)
{
    QString run;
    const TStyledPiece* look = nullptr;
    const auto flush = [&] {
        if (look != nullptr && !run.isEmpty()) {
            cursor.insertText(run, LookFormat(look->textColor, look->backColor, look->style));
        }
        run.clear();
    };
    for (const TStyledPiece& piece : pieces) {
        if (piece.text.empty()) {
            continue;
        }
        if (look == nullptr || piece.textColor != look->textColor || piece.backColor != look->backColor
            || piece.style != look->style) {
            flush();
            look = &piece;
        }
        run.append(ToQString(piece.text));
    }
    flush();
}


} // namespace

// Holds OnChange back while one of this class's operations runs and raises it
// once at the end, outside the document's own notifications.
class TArticleEditor::TChangeBatch {
public:
    explicit TChangeBatch(TArticleEditor& editor) : editor_(editor), exceptions_(std::uncaught_exceptions())
    {
        ++editor_.batchDepth_;
    }
    ~TChangeBatch() { editor_.EndBatch(exceptions_); }
    TChangeBatch(const TChangeBatch&) = delete;
    TChangeBatch& operator=(const TChangeBatch&) = delete;

private:
    TArticleEditor& editor_;
    int exceptions_;
};

void TArticleEditor::EndBatch(int exceptionsAtStart) noexcept
{
    // Inside an open edit block the document reports its changes only when
    // the block ends; until then the text must be read afresh.
    stale_ = true;
    // While an exception unwinds, listeners hear of the change with the
    // next one instead: a handler run now could throw a second time.
    if (--batchDepth_ == 0 && std::uncaught_exceptions() == exceptionsAtStart) {
        RaiseChangeIfAny();
    }
}

TArticleEditor::TEditGroup::TEditGroup(TArticleEditor& editor)
    : editor_(editor), cursor_(editor.document()), exceptions_(std::uncaught_exceptions())
{
    ++editor_.batchDepth_;
    cursor_.beginEditBlock();
}

TArticleEditor::TEditGroup::~TEditGroup()
{
    cursor_.endEditBlock();
    // Scrolling inside the group went by the layout from before the edit;
    // the outermost group scrolls again by the fresh one.
    if (editor_.batchDepth_ == 1) {
        editor_.ensureCursorVisible();
    }
    editor_.EndBatch(exceptions_);
}

TArticleEditor::TArticleEditor(QWidget* parent) : QTextEdit(parent)
{
    setAcceptRichText(true);
    // Tab moves on to the next control, as in the rich-text control of the
    // program's first home, so keyboard users are not caught in an article;
    // Ctrl+Tab types a tab (see keyPressEvent).
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The editor owns its documents, so that one it replaces outlives the
    // replacement (Qt's control deletes the documents it owns).
    document()->setParent(this);
    connect(document(), &QTextDocument::contentsChange, this, &TArticleEditor::ContentsChange);
    connect(document(), &QTextDocument::contentsChanged, this, &TArticleEditor::ContentsChanged);
}

TArticleEditor::~TArticleEditor() = default;

const std::u16string& TArticleEditor::Text() const
{
    Refresh();
    return text_;
}

void TArticleEditor::Refresh() const
{
    if (!stale_) {
        return;
    }
    const QString raw = document()->toRawText();
    // Read into the buffer kept from the last read: a book-length article
    // would otherwise cost a fresh allocation, and its page faults, on
    // every keystroke.
    std::u16string& fresh = scratch_;
    fresh.resize(static_cast<std::size_t>(raw.size()));
    std::copy_n(reinterpret_cast<const char16_t*>(raw.utf16()), raw.size(), fresh.data());
    for (char16_t& c : fresh) {
        // Paragraph and line separators, and the frame marks that separate
        // blocks too, each stand for one line break at the same position.
        // All four lie at or above U+2028, so one comparison passes the rest.
        if (c >= u'\u2028' && (c == u'\u2029' || c == u'\u2028' || c == u'\uFDD0' || c == u'\uFDD1')) {
            c = u'\n';
        }
    }
    stale_ = false;
    if (fresh != text_) {
        text_.swap(fresh);
        unreported_ = true;
    }
}

std::int32_t TArticleEditor::ContentLength() const
{
    // characterCount() includes the final paragraph separator.
    return static_cast<std::int32_t>(document()->characterCount() - 1);
}

void TArticleEditor::ContentsChange(int /*position*/, int /*charsRemoved*/, int /*charsAdded*/)
{
    stale_ = true;
    ++changes_;
    // A new edit, as in any editor, ends what Redo could bring back.
    if (!travelling_ && !redone_.empty()) {
        for (QTextDocument* dropped : std::exchange(redone_, {})) {
            dropped->deleteLater();
        }
    }
    // Some of QTextEdit's own ways of replacing everything (clear, setHtml)
    // change the document without a later contentsChanged; a queued look
    // makes sure no change goes unreported.
    if (batchDepth_ == 0 && !checkPosted_) {
        checkPosted_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                checkPosted_ = false;
                if (batchDepth_ == 0) {
                    RaiseChangeIfAny();
                }
            },
            Qt::QueuedConnection);
    }
}

void TArticleEditor::ContentsChanged()
{
    // contentsChanged comes once an edit is complete, when the document may
    // be changed again; contentsChange comes while it is still inside one.
    if (batchDepth_ == 0) {
        RaiseChangeIfAny();
    }
}

void TArticleEditor::RaiseChangeIfAny() noexcept
{
    try {
        Refresh();
        if (!unreported_) {
            return;
        }
        unreported_ = false;
        Q_EMIT OnChange();
    } catch (...) {
        platform::ReportUnexpectedError(platform::DescribeCurrentException());
    }
}

void TArticleEditor::SetText(std::u16string_view text)
{
    const std::u16string& current = Text();
    if (text == current) {
        return;
    }
    TChangeBatch batch(*this);
    // Undoing a write-back alone would only bring back characters that the
    // change handler replaces again at once, so undo could never get past
    // it; joined to the edit before, one Ctrl+Z takes back both. A content
    // just loaded has no edit before it: the write stays out of its history.
    std::optional<TUndoSuspension> outside;
    if (!document()->isUndoAvailable()) {
        outside.emplace(*document());
    }
    QTextCursor cursor(document());
    cursor.joinPreviousEditBlock();
    const auto replace = [&](std::size_t from, std::size_t to, std::u16string_view with) {
        cursor.setPosition(static_cast<int>(from));
        cursor.setPosition(static_cast<int>(from + 1), QTextCursor::KeepAnchor);
        const QTextCharFormat look = cursor.charFormat();
        cursor.setPosition(static_cast<int>(from));
        cursor.setPosition(static_cast<int>(to), QTextCursor::KeepAnchor);
        cursor.insertText(ToQString(with), look);
    };
    if (text.size() == current.size()) {
        // Equal lengths (the normalisation's case): replace only the runs of
        // differing characters, so the rest keeps its look. `current` is not
        // read afresh before the batch ends, so it stays the old text.
        const std::u16string_view before = current;
        std::size_t i = 0;
        while (i < text.size()) {
            if (text[i] == before[i]) {
                ++i;
                continue;
            }
            std::size_t end = i;
            while (end < text.size() && text[end] != before[end]) {
                ++end;
            }
            replace(i, end, text.substr(i, end - i));
            i = end;
        }
    } else {
        const std::u16string_view old = current;
        const std::size_t common = std::min(old.size(), text.size());
        std::size_t prefix = 0;
        while (prefix < common && old[prefix] == text[prefix]) {
            ++prefix;
        }
        std::size_t suffix = 0;
        while (suffix < common - prefix && old[old.size() - 1 - suffix] == text[text.size() - 1 - suffix]) {
            ++suffix;
        }
        if (prefix == old.size() - suffix) {
            cursor.setPosition(static_cast<int>(prefix));
            cursor.insertText(ToQString(text.substr(prefix, text.size() - suffix - prefix)));
        } else {
            replace(prefix, old.size() - suffix, text.substr(prefix, text.size() - suffix - prefix));
        }
    }
    cursor.endEditBlock();
}

std::int32_t TArticleEditor::LinesLength() const
{
    return static_cast<std::int32_t>(Text().size()) + 1;
}

void TArticleEditor::Clear()
{
    TChangeBatch batch(*this);
    unreported_ = true;
    TBuiltDocument empty = NewDocument(DocumentLook());
    empty->setParent(this);
    Replace(empty.release(), TUndoStep::New);
    setCurrentCharFormat(QTextCharFormat());
}

TArticleEditor::TDocumentLook TArticleEditor::DocumentLook() const
{
    const QTextDocument& current = *document();
    return {current.defaultFont(),  current.defaultStyleSheet(), current.defaultTextOption(),
            current.documentMargin(), current.indentWidth(),      current.useDesignMetrics()};
}

TArticleEditor::TBuiltDocument TArticleEditor::NewDocument(const TDocumentLook& look)
{
    TBuiltDocument fresh(new QTextDocument);
    fresh->setDefaultFont(look.font);
    fresh->setDefaultStyleSheet(look.styleSheet);
    fresh->setDefaultTextOption(look.option);
    fresh->setDocumentMargin(look.margin);
    fresh->setIndentWidth(look.indentWidth);
    fresh->setUseDesignMetrics(look.designMetrics);
    return fresh;
}

void TArticleEditor::Fill(QTextDocument& target, std::span<const TStyledPiece> pieces)
{
    // Nothing to take back in a document that nobody has seen.
    const TUndoSuspension noUndo(target);
    QTextCursor cursor(&target);
    cursor.beginEditBlock();
    InsertPieces(cursor, pieces);
    cursor.endEditBlock();
}

void TArticleEditor::Show(QTextDocument* next)
{
    disconnect(document(), nullptr, this, nullptr);
    // A document set whole is laid out a piece at a time in the background,
    // where one changed in place would be laid out at once, all of it.
    setDocument(next);
    connect(next, &QTextDocument::contentsChange, this, &TArticleEditor::ContentsChange);
    connect(next, &QTextDocument::contentsChanged, this, &TArticleEditor::ContentsChanged);
    stale_ = true;
    ++changes_;
}

void TArticleEditor::Replace(QTextDocument* next, TUndoStep step)
{
    QTextDocument* previous = document();
    // An empty document without a history brings nothing back.
    const bool worthKeeping = previous->characterCount() > 1 || previous->isUndoAvailable();
    Show(next);
    if (step == TUndoStep::New && worthKeeping) {
        undone_.push_back(previous);
        if (undone_.size() > kKeptContents) {
            undone_.front()->deleteLater();
            undone_.erase(undone_.begin());
        }
    } else {
        previous->deleteLater();
    }
    for (QTextDocument* dropped : std::exchange(redone_, {})) {
        dropped->deleteLater();
    }
}

void TArticleEditor::Undo()
{
    Travel(true);
}

void TArticleEditor::Redo()
{
    Travel(false);
}

void TArticleEditor::Travel(bool back)
{
    TChangeBatch batch(*this);
    const bool wasTravelling = std::exchange(travelling_, true);
    std::vector<QTextDocument*>& from = back ? undone_ : redone_;
    if (back ? document()->isUndoAvailable() : document()->isRedoAvailable()) {
        back ? undo() : redo();
    } else if (!from.empty()) {
        (back ? redone_ : undone_).push_back(document());
        QTextDocument* next = from.back();
        from.pop_back();
        Show(next);
    }
    travelling_ = wasTravelling;
}

std::int32_t TArticleEditor::SelectionStart() const
{
    return textCursor().selectionStart();
}

void TArticleEditor::SetSelectionStart(std::int32_t position)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::clamp(position, 0, ContentLength()));
    setTextCursor(cursor);
}

std::int32_t TArticleEditor::SelectionLength() const
{
    const QTextCursor cursor = textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void TArticleEditor::SetSelectionLength(std::int32_t length)
{
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    const auto end = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(std::int64_t{start} + length, 0, ContentLength()));
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void TArticleEditor::SetSelectionTextColor(core::TColor color)
{
    QTextCharFormat format;
    format.setForeground(ToQColor(color));
    mergeCurrentCharFormat(format);
}

void TArticleEditor::SetSelectionStyle(TFontStyles style)
{
    QTextCharFormat format;
    SetStyle(format, style);
    mergeCurrentCharFormat(format);
}

void TArticleEditor::SetSelectionBackColor(core::TColor color)
{
    QTextCharFormat format;
    format.setBackground(ToQColor(color));
    mergeCurrentCharFormat(format);
}

void TArticleEditor::ReplaceSelection(std::u16string_view text)
{
    TChangeBatch batch(*this);
    QTextCursor cursor = textCursor();
    cursor.insertText(ToQString(text));
    setTextCursor(cursor);
}

std::int32_t TArticleEditor::FindText(std::u16string_view text, std::int32_t start, std::int32_t length) const
{
    const std::u16string& content = Text();
    const auto size = static_cast<std::int64_t>(content.size());
    if (text.empty() || start < 0 || start >= size || length <= 0) {
        return -1;
    }
    const std::int64_t end = std::min<std::int64_t>(size, std::int64_t{start} + length);
    const QStringView range = QStringView(content).sliced(start, static_cast<qsizetype>(end - start));
    const qsizetype hit = range.indexOf(QStringView(text), 0, Qt::CaseInsensitive);
    return hit < 0 ? -1 : start + static_cast<std::int32_t>(hit);
}

void TArticleEditor::SetLines(std::u16string_view text, TUndoStep step)
{
    ShowDocument(BuildDocument(DocumentLook(), {std::u16string(text), {}}, true), step);
}

void TArticleEditor::LoadFromFile(const io::TArticleDocument& document, TUndoStep step)
{
    ShowDocument(BuildDocument(DocumentLook(), document, false), step);
}

TArticleEditor::TBuiltDocument TArticleEditor::BuildDocument(const TDocumentLook& look,
                                                             const io::TArticleDocument& document, bool plain)
{
    const std::u16string_view text = document.text;
    std::vector<TStyledPiece> pieces;
    pieces.reserve(plain ? 1 : document.runs.size() * 2 + 1);
    std::size_t done = 0;
    for (const io::TLookRun& run : plain ? std::span<const io::TLookRun>() : std::span(document.runs)) {
        const auto start = std::min(static_cast<std::size_t>(run.start), text.size());
        const auto end = std::min(start + static_cast<std::size_t>(run.length), text.size());
        if (start < done) {
            continue;
        }
        pieces.push_back(PieceOf(text.substr(done, start - done), {}));
        pieces.push_back(PieceOf(text.substr(start, end - start), run.look));
        done = end;
    }
    pieces.push_back(PieceOf(text.substr(done), {}));
    TBuiltDocument built = NewDocument(look);
    Fill(*built, pieces);
    return built;
}

void TArticleEditor::ShowDocument(TBuiltDocument built, TUndoStep step)
{
    TChangeBatch batch(*this);
    unreported_ = true;
    built->setParent(this);
    Replace(built.release(), step);
    SetSelectionStart(0);
}

void TArticleEditor::RenderPieces(std::span<const TStyledPiece> pieces)
{
    TChangeBatch batch(*this);
    ReplaceAll(pieces);
}

void TArticleEditor::RenderRuns(std::u16string_view text, std::span<const core::THighlightRun> runs)
{
    std::vector<TStyledPiece> pieces;
    pieces.reserve(runs.size());
    for (const core::THighlightRun& run : runs) {
        const bool plain = run.color == core::clWhite;
        pieces.push_back({text.substr(static_cast<std::size_t>(run.start), static_cast<std::size_t>(run.length)),
                          core::clBlack, run.color, plain ? 0U : TFontStyles{fsBold}});
    }
    RenderPieces(pieces);
}

void TArticleEditor::ShowPlain()
{
    const TEditGroup group(*this);
    SetSelectionStart(0);
    SetSelectionLength(static_cast<std::int32_t>(Text().size()));
    SetSelectionTextColor(core::clBlack);
    SetSelectionStyle(0);
    SetSelectionBackColor(core::clWhite);
    SetSelectionStart(0);
    SetSelectionLength(0);
}

void TArticleEditor::ReplaceAll(std::span<const TStyledPiece> pieces)
{
    // Undo records of a rebuild that changes only looks would cost as much
    // as the rebuild and bring back nothing a person wrote.
    const TUndoSuspension noUndo(*document());
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setBlockCharFormat(QTextCharFormat());
    InsertPieces(cursor, pieces);
    cursor.endEditBlock();
    setTextCursor(cursor);
}


void TArticleEditor::MarkRanges(std::span<const TTextRange> ranges, core::TColor textColor,
                                core::TColor backColor, TFontStyles style)
{
    TChangeBatch batch(*this);
    const QTextCharFormat format = LookFormat(textColor, backColor, style);
    const std::int32_t length = ContentLength();
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (const TTextRange& range : ranges) {
        const std::int32_t from = std::clamp(range.start, 0, length);
        const auto to = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(std::int64_t{range.start} + range.length, from, length));
        if (to > from) {
            cursor.setPosition(from);
            cursor.setPosition(to, QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(format);
        }
    }
    cursor.endEditBlock();
}

void TArticleEditor::ShowRange(std::int32_t start, std::int32_t length, TView view)
{
    const std::int32_t content = ContentLength();
    const int from = std::clamp(start, 0, content);
    const auto to = static_cast<int>(std::clamp<std::int64_t>(std::int64_t{start} + length, from, content));
    const int horizontal = horizontalScrollBar()->value();
    const int vertical = verticalScrollBar()->value();
    QTextCursor cursor = textCursor();
    if (view == TView::Range) {
        // The end first, then the start: each setTextCursor scrolls its
        // caret into view, so the start shows, and the end too if it fits.
        cursor.setPosition(to);
        setTextCursor(cursor);
    }
    cursor.setPosition(to);
    cursor.setPosition(from, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    if (view == TView::Unmoved) {
        horizontalScrollBar()->setValue(horizontal);
        verticalScrollBar()->setValue(vertical);
    }
}

QMenu* TArticleEditor::ContextMenu(const QPoint& position)
{
    // Qt's menu looks for a link at the place, in document coordinates.
    const QPoint scrolled(horizontalScrollBar()->value(), verticalScrollBar()->value());
    QMenu* menu = createStandardContextMenu(position + scrolled);
    // Qt's Undo and Redo know the content's own history only.
    for (QAction* action : menu->actions()) {
        const bool undoing = action->objectName() == QLatin1String("edit-undo");
        if (!undoing && action->objectName() != QLatin1String("edit-redo")) {
            continue;
        }
        action->disconnect();
        action->setEnabled(!isReadOnly()
                           && (undoing ? document()->isUndoAvailable() || !undone_.empty()
                                       : document()->isRedoAvailable() || !redone_.empty()));
        connect(action, &QAction::triggered, this, undoing ? &TArticleEditor::Undo : &TArticleEditor::Redo);
    }
    const QList<QAction*> own = actions();
    if (!own.isEmpty()) {
        menu->addSeparator();
        menu->addActions(own);
    }
    return menu;
}

void TArticleEditor::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = ContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TArticleEditor::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTextEdit::mouseDoubleClickEvent(event);
    doubleClicked_ = -1;
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // The character under the pointer itself, not the caret place nearest
    // to it, which lies after a word when its last letter's right half is hit.
    const QPointF inDocument =
        event->position() + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
    doubleClicked_ = document()->documentLayout()->hitTest(inDocument, Qt::ExactHit);
    doubleClickStart_ = textCursor().selectionStart();
    doubleClickEnd_ = textCursor().selectionEnd();
}

void TArticleEditor::mouseReleaseEvent(QMouseEvent* event)
{
    QTextEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || doubleClicked_ < 0) {
        return;
    }
    // Raised only now: until the button is up, Qt puts its word selection
    // back at every move of the pointer, over any other selection.
    const std::int32_t position = std::exchange(doubleClicked_, -1);
    if (textCursor().selectionStart() == doubleClickStart_ && textCursor().selectionEnd() == doubleClickEnd_) {
        Q_EMIT DoubleClicked(position);
    }
}

void TArticleEditor::SetRewrittenCharacters(std::u16string_view characters)
{
    rewritten_ = characters;
}

bool TArticleEditor::HoldsRewritten(const QString& text) const
{
    return std::any_of(text.cbegin(), text.cend(), [this](QChar c) {
        return rewritten_.find(static_cast<char16_t>(c.unicode())) != std::u16string::npos;
    });
}

void TArticleEditor::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier && !isReadOnly()) {
        ReplaceSelection(u"\t");
        ensureCursorVisible();
        event->accept();
        return;
    }
    // Past the content's own history, Ctrl+Z goes on to what Clear or a
    // load replaced.
    if (!isReadOnly() && (event == QKeySequence::Undo || event == QKeySequence::Redo)) {
        if (event == QKeySequence::Undo) {
            Undo();
        } else {
            Redo();
        }
        event->accept();
        return;
    }
    // Qt's typing is a loose command that undo cannot join to; a keystroke
    // that a listener rewrites is made a step the rewrite can join.
    if (!HoldsRewritten(event->text())) {
        QTextEdit::keyPressEvent(event);
        return;
    }
    QTextCursor step(document());
    step.beginEditBlock();
    QTextEdit::keyPressEvent(event);
    step.endEditBlock();
}

void TArticleEditor::inputMethodEvent(QInputMethodEvent* event)
{
    if (!HoldsRewritten(event->commitString())) {
        QTextEdit::inputMethodEvent(event);
        return;
    }
    QTextCursor step(document());
    step.beginEditBlock();
    QTextEdit::inputMethodEvent(event);
    step.endEditBlock();
}

bool TArticleEditor::canInsertFromMimeData(const QMimeData* source) const
{
    return source != nullptr && (source->hasText() || source->hasHtml() || !LocalFiles(*source).isEmpty());
}

void TArticleEditor::dropEvent(QDropEvent* event)
{
    dropping_ = true;
    try {
        QTextEdit::dropEvent(event);
    } catch (...) {
        dropping_ = false;
        throw;
    }
    dropping_ = false;
}

void TArticleEditor::insertFromMimeData(const QMimeData* source)
{
    if (!canInsertFromMimeData(source)) {
        return;
    }
    // A file manager offers the file's address as text too; the file is
    // what the person means. Dropped, it is imported: once Qt's drop is
    // over, so that the import's own edits start a step of their own.
    const QStringList files = LocalFiles(*source);
    if (dropping_ && !files.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this, path = files.constFirst()] { Q_EMIT FileDropped(path); }, Qt::QueuedConnection);
        return;
    }
    TChangeBatch batch(*this);
    QTextCursor cursor = textCursor();
    // One step, which a listener's rewrite of it can join.
    cursor.beginEditBlock();
    if (!files.isEmpty()) {
        // Pasted, the files are their paths, typed at the caret as any text.
        cursor.insertText(files.join(u'\n'));
    } else if (source->hasHtml() && acceptRichText()) {
        cursor.insertFragment(CleanFragment(source->html()));
    } else {
        cursor.insertText(source->text());
    }
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

} // namespace glenvary::ui
