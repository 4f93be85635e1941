// SPDX-License-Identifier: MIT
// The article editor: its text, its change notification, selection and
// attributes, search, bulk rendering and pasting.
#include "core/normalise.h"
#include "ui/articleeditor.h"
#include "uitest.h"

#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTextCursor>
#include <QUrl>

#include <random>
#include <vector>

using glenvary::core::TColor;
using glenvary::ui::TArticleEditor;
using glenvary::ui::TStyledPiece;
using glenvary::ui::TTextRange;
using glenvary::uitest::Q;
using glenvary::uitest::ReadLooks;
using glenvary::uitest::Rgb;
using glenvary::uitest::U16;
namespace ui = glenvary::ui;

namespace {

enum class TAction {
    TypeKey,
    TypeOverSelection,
    DeleteSelection,
    ReplaceSelection,
    ClearText,
    ClearEmpty,
    PastePlain,
    UndoTyping,
    MergeFormatOnSelection,
    SelectionBackColor,
    MarkRanges,
    UndoFormat,
    SetEqualText,
    SetLinesSame,
    LoadFromFile,
};

void Paste(TArticleEditor& editor, QMimeData* mime)
{
    QGuiApplication::clipboard()->setMimeData(mime);
    QTest::keyClick(&editor, Qt::Key_V, Qt::ControlModifier);
}

void PasteText(TArticleEditor& editor, const QString& text)
{
    auto* mime = new QMimeData;
    mime->setText(text);
    Paste(editor, mime);
}

} // namespace

Q_DECLARE_METATYPE(TAction)

class TArticleEditorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QVERIFY2(glenvary::uitest::NothingReported(), "unexpected report"); }

    void textGivesEveryCharacterAsStored_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("softBreak");
        QTest::addColumn<QString>("expected");
        // toPlainText() would turn the no-break space into a space.
        QTest::newRow("no-break space stays") << QStringLiteral("a\u00A0b") << false << QStringLiteral("a\u00A0b");
        QTest::newRow("paragraph break is one LF") << QStringLiteral("one\ntwo") << false
                                                   << QStringLiteral("one\ntwo");
        QTest::newRow("line separator is one LF") << QStringLiteral("one") << true << QStringLiteral("one\ntwo");
        QTest::newRow("final paragraph break stays") << QStringLiteral("end\n") << false
                                                     << QStringLiteral("end\n");
        QTest::newRow("quotes and dashes stay") << QStringLiteral("\u2019\u2013\u201C") << false
                                                << QStringLiteral("\u2019\u2013\u201C");
    }
    void textGivesEveryCharacterAsStored()
    {
        QFETCH(QString, typed);
        QFETCH(bool, softBreak);
        QFETCH(QString, expected);
        TArticleEditor editor;
        editor.show();
        editor.insertPlainText(typed);
        if (softBreak) {
            QTest::keyClick(&editor, Qt::Key_Return, Qt::ShiftModifier);
            QTest::keyClicks(&editor, QStringLiteral("two"));
        }
        QCOMPARE(Q(editor.Text()), expected);
        // One position per character, line breaks included: position p of
        // Text() is the document's position p.
        for (int p = 0; p < expected.size(); ++p) {
            const QChar stored = editor.document()->characterAt(p);
            const bool isBreak = stored == QChar::ParagraphSeparator || stored == QChar::LineSeparator;
            QCOMPARE(isBreak ? QChar(u'\n') : stored, expected.at(p));
        }
    }

    void onChangeComesOnlyWhenTheTextChanges_data()
    {
        QTest::addColumn<TAction>("action");
        QTest::addColumn<int>("changes");
        QTest::newRow("typing a key") << TAction::TypeKey << 1;
        QTest::newRow("typing over a selection of the same length") << TAction::TypeOverSelection << 1;
        QTest::newRow("deleting a selection") << TAction::DeleteSelection << 1;
        QTest::newRow("replacing the selection") << TAction::ReplaceSelection << 1;
        QTest::newRow("clearing text") << TAction::ClearText << 1;
        QTest::newRow("clearing an empty editor") << TAction::ClearEmpty << 1;
        QTest::newRow("writing the lines of the same text") << TAction::SetLinesSame << 1;
        QTest::newRow("loading a file") << TAction::LoadFromFile << 1;
        QTest::newRow("pasting several lines") << TAction::PastePlain << 1;
        QTest::newRow("undoing typing") << TAction::UndoTyping << 1;
        QTest::newRow("bold on a selection") << TAction::MergeFormatOnSelection << 0;
        QTest::newRow("background of a selection") << TAction::SelectionBackColor << 0;
        QTest::newRow("marking ranges") << TAction::MarkRanges << 0;
        QTest::newRow("undoing a format change") << TAction::UndoFormat << 0;
        QTest::newRow("writing the same text") << TAction::SetEqualText << 0;
    }
    void onChangeComesOnlyWhenTheTextChanges()
    {
        QFETCH(TAction, action);
        QFETCH(int, changes);
        TArticleEditor editor;
        editor.show();
        if (action != TAction::ClearEmpty) {
            QTest::keyClicks(&editor, QStringLiteral("alpha beta"));
        }
        if (action != TAction::ClearEmpty) {
            QTextCursor selection = editor.textCursor();
            selection.setPosition(0);
            selection.setPosition(5, QTextCursor::KeepAnchor);
            editor.setTextCursor(selection);
        }
        if (action == TAction::UndoFormat) {
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            editor.mergeCurrentCharFormat(bold);
        }
        QCoreApplication::processEvents();

        QSignalSpy spy(&editor, &TArticleEditor::OnChange);
        switch (action) {
        case TAction::TypeKey: QTest::keyClick(&editor, Qt::Key_X); break;
        case TAction::TypeOverSelection: QTest::keyClicks(&editor, QStringLiteral("x")); break;
        case TAction::DeleteSelection: QTest::keyClick(&editor, Qt::Key_Delete); break;
        case TAction::ReplaceSelection: editor.ReplaceSelection(u"gamma"); break;
        case TAction::ClearText:
        case TAction::ClearEmpty: editor.Clear(); break;
        case TAction::PastePlain: PasteText(editor, QStringLiteral("one\r\ntwo\nthree")); break;
        case TAction::UndoTyping:
        case TAction::UndoFormat: QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier); break;
        case TAction::MergeFormatOnSelection: {
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            editor.mergeCurrentCharFormat(bold);
            break;
        }
        case TAction::SelectionBackColor: editor.SetSelectionBackColor(0x00FFFF); break;
        case TAction::MarkRanges: {
            const std::vector<TTextRange> ranges{{0, 2}, {6, 4}};
            editor.MarkRanges(ranges, 0x000000, 0x00FFFF, 0);
            break;
        }
        case TAction::SetEqualText: editor.SetText(std::u16string(editor.Text())); break;
        case TAction::SetLinesSame: editor.SetLines(std::u16string(editor.Text())); break;
        case TAction::LoadFromFile: editor.LoadFromFile({u"loaded", {}}); break;
        }
        // Raised before the action returned, and nothing comes later.
        QCOMPARE(spy.count(), changes);
        QCoreApplication::processEvents();
        QCOMPARE(spy.count(), changes);
    }

    void textWriteReplacesOnlyWhatDiffers()
    {
        TArticleEditor editor;
        editor.show();
        editor.insertPlainText(QStringLiteral("well\u2013known it\u2019s"));
        QTextCursor bold = editor.textCursor();
        bold.setPosition(0);
        bold.setPosition(4, QTextCursor::KeepAnchor);
        QTextCharFormat heavy;
        heavy.setFontWeight(QFont::Bold);
        bold.mergeCharFormat(heavy);
        QTextCursor caret = editor.textCursor();
        caret.setPosition(7);
        editor.setTextCursor(caret);

        QSignalSpy spy(&editor, &TArticleEditor::OnChange);
        editor.SetText(u"well-known it's");
        QCOMPARE(spy.count(), 1);
        QCOMPARE(Q(editor.Text()), QStringLiteral("well-known it's"));
        QCOMPARE(editor.textCursor().position(), 7);
        const auto looks = ReadLooks(*editor.document());
        QVERIFY(looks.at(0).bold);
        QVERIFY(looks.at(3).bold);
        QVERIFY(!looks.at(5).bold);
    }

    void textWriteOfOtherLengthChangesTheMiddle()
    {
        TArticleEditor editor;
        editor.insertPlainText(QStringLiteral("one two three"));
        QSignalSpy spy(&editor, &TArticleEditor::OnChange);
        editor.SetText(u"one 2 three");
        QCOMPARE(Q(editor.Text()), QStringLiteral("one 2 three"));
        editor.SetText(u"one 2 three four");
        QCOMPARE(Q(editor.Text()), QStringLiteral("one 2 three four"));
        editor.SetText(u"");
        QCOMPARE(Q(editor.Text()), QString());
        QCOMPARE(spy.count(), 3);
    }

    // A listener that writes the text back, as the window's change handler
    // does: one undo takes back the edit together with its rewrite, or it
    // would bring back characters the listener replaces again at once and
    // undo could never get past that point.
    void undoTakesBackAnEditWithItsRewrite()
    {
        TArticleEditor editor;
        editor.show();
        editor.SetRewrittenCharacters(u"\u2019\u00A0");
        int rewrites = 0;
        connect(&editor, &TArticleEditor::OnChange, &editor, [&] {
            std::u16string text = editor.Text();
            if (glenvary::core::NormaliseArticle(text)) {
                ++rewrites;
                editor.SetText(text);
            }
        });
        QTest::keyClicks(&editor, QStringLiteral("x "));
        PasteText(editor, QStringLiteral("it\u2019s"));
        QCOMPARE(Q(editor.Text()), QStringLiteral("x it's"));
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Q(editor.Text()), QStringLiteral("x "));
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(Q(editor.Text()), QStringLiteral("x it's"));
        // A typed character that the listener rewrites, alike.
        editor.moveCursor(QTextCursor::End);
        QTest::keyClick(&editor, char(0xA0));
        QCOMPARE(Q(editor.Text()), QStringLiteral("x it's "));
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Q(editor.Text()), QStringLiteral("x it's"));
        QCOMPARE(rewrites, 2);
    }

    // Typing a character that the listener replaces makes it change the
    // text while Qt is still inside the key press; the caret must end up
    // after the replaced character and typing must go on from there.
    void listenerCanRewriteWhileAKeyIsTyped()
    {
        TArticleEditor editor;
        editor.show();
        connect(&editor, &TArticleEditor::OnChange, &editor, [&] {
            std::u16string text = editor.Text();
            if (glenvary::core::NormaliseArticle(text)) {
                editor.SetText(text);
            }
        });
        QTest::keyClicks(&editor, QStringLiteral("two"));
        QTest::keyClick(&editor, char(0xA0));
        QTest::keyClicks(&editor, QStringLiteral("words"));
        QCOMPARE(Q(editor.Text()), QStringLiteral("two words"));
        QCOMPARE(editor.textCursor().position(), 9);
    }

    void selectionOperationsUsePositionsFromZero()
    {
        TArticleEditor editor;
        editor.insertPlainText(QStringLiteral("ab\ncdef"));
        editor.SetSelectionStart(4);
        QCOMPARE(editor.SelectionStart(), 4);
        QCOMPARE(editor.SelectionLength(), 0);
        editor.SetSelectionLength(2);
        QCOMPARE(editor.textCursor().selectedText(), QStringLiteral("de"));
        editor.SetSelectionLength(100);
        QCOMPARE(editor.SelectionLength(), 3);
        editor.SetSelectionStart(-5);
        QCOMPARE(editor.SelectionStart(), 0);
        editor.SetSelectionStart(99);
        QCOMPARE(editor.SelectionStart(), 7);
        QCOMPARE(editor.LinesLength(), 8);
    }

    void attributesAtAnEmptySelectionApplyToTheNextText()
    {
        TArticleEditor editor;
        editor.insertPlainText(QStringLiteral("plain "));
        editor.SetSelectionStyle(ui::fsBold | ui::fsItalic);
        editor.SetSelectionBackColor(0xFFFF00);
        editor.SetSelectionTextColor(0x0000FF);
        editor.ReplaceSelection(u"marked");
        editor.SetSelectionStyle(0);
        editor.SetSelectionBackColor(0xFFFFFF);
        editor.ReplaceSelection(u" end");
        QCOMPARE(Q(editor.Text()), QStringLiteral("plain marked end"));
        QCOMPARE(editor.SelectionStart(), 16);
        const auto looks = ReadLooks(*editor.document());
        QVERIFY(!looks.at(5).bold);
        for (int i = 6; i < 12; ++i) {
            QVERIFY(looks.at(i).bold);
            QVERIFY(looks.at(i).format.fontItalic());
            QCOMPARE(looks.at(i).back, QColor(0, 255, 255));
            QCOMPARE(looks.at(i).text, QColor(255, 0, 0));
        }
        QVERIFY(!looks.at(13).bold);
        QCOMPARE(looks.at(13).back, QColor(Qt::white));
        QCOMPARE(looks.at(13).text, QColor(255, 0, 0));
    }

    void findTextSearchesARangeIgnoringCase_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("found");
        const QString theme = QStringLiteral("The theme: the end.");
        QTest::newRow("capital in the text") << theme << QStringLiteral("the") << 0 << 20 << 0;
        QTest::newRow("inside a word") << theme << QStringLiteral("the") << 1 << 19 << 4;
        QTest::newRow("capital in the needle") << theme << QStringLiteral("THE") << 5 << 15 << 11;
        QTest::newRow("none after the last") << theme << QStringLiteral("the") << 12 << 8 << -1;
        QTest::newRow("occurrence must end inside the range") << theme << QStringLiteral("theme") << 4 << 4 << -1;
        QTest::newRow("occurrence ending at the range end") << theme << QStringLiteral("theme") << 4 << 5 << 4;
        QTest::newRow("range past the end stops at the end") << theme << QStringLiteral("end.") << 10 << 500 << 15;
        QTest::newRow("overlapping occurrences") << QStringLiteral("aaaa") << QStringLiteral("aa") << 2 << 3 << 2;
        QTest::newRow("across a line break") << QStringLiteral("a\nb") << QStringLiteral("\nb") << 0 << 3 << 1;
        QTest::newRow("empty needle") << theme << QString() << 0 << 20 << -1;
        QTest::newRow("start past the end") << theme << QStringLiteral("the") << 40 << 5 << -1;
    }
    void findTextSearchesARangeIgnoringCase()
    {
        QFETCH(QString, content);
        QFETCH(QString, needle);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(int, found);
        TArticleEditor editor;
        editor.insertPlainText(content);
        QCOMPARE(editor.FindText(U16(needle), start, length), found);
    }

    void renderPiecesLooksLikePieceByPieceInsertion_data()
    {
        QTest::addColumn<unsigned>("seed");
        QTest::addColumn<int>("pieces");
        QTest::newRow("one piece") << 1U << 1;
        QTest::newRow("a few pieces") << 2U << 7;
        QTest::newRow("many pieces") << 3U << 300;
        QTest::newRow("many pieces, other draw") << 4U << 300;
    }
    void renderPiecesLooksLikePieceByPieceInsertion()
    {
        QFETCH(unsigned, seed);
        QFETCH(int, pieces);
        std::mt19937 random(seed);
        const std::u16string alphabet = u"ab \n.\u00A0,";
        const TColor colours[] = {0xFFFFFF, 0xFFFF00, 0xC0DCC0, 0x00FFFF, 0x0000FF};
        std::vector<std::u16string> texts;
        std::vector<TStyledPiece> styled;
        texts.reserve(static_cast<std::size_t>(pieces));
        for (int i = 0; i < pieces; ++i) {
            std::u16string text;
            // Empty pieces are drawn too: they must leave no trace.
            const auto length = std::uniform_int_distribution<int>(0, 6)(random);
            for (int k = 0; k < length; ++k) {
                text.push_back(alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)]);
            }
            texts.push_back(text);
        }
        for (const std::u16string& text : texts) {
            const TColor back = colours[std::uniform_int_distribution<int>(0, 4)(random)];
            // Runs of one look are frequent in real renderings.
            const ui::TFontStyles style = back == 0xFFFFFF ? 0U : ui::TFontStyles{ui::fsBold};
            styled.push_back({text, 0x000000, back, style});
        }

        TArticleEditor stepwise;
        TArticleEditor bulk;
        for (TArticleEditor* editor : {&stepwise, &bulk}) {
            editor->show();
            QTest::keyClicks(editor, QStringLiteral("old text"));
            editor->selectAll();
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            editor->mergeCurrentCharFormat(bold);
        }
        stepwise.Clear();
        for (const TStyledPiece& piece : styled) {
            stepwise.SetSelectionStyle(piece.style);
            stepwise.SetSelectionBackColor(piece.backColor);
            stepwise.SetSelectionTextColor(piece.textColor);
            stepwise.ReplaceSelection(piece.text);
        }
        bulk.RenderPieces(styled);

        QCOMPARE(Q(bulk.Text()), Q(stepwise.Text()));
        const auto expected = ReadLooks(*stepwise.document());
        const auto actual = ReadLooks(*bulk.document());
        QCOMPARE(actual.size(), expected.size());
        for (qsizetype i = 0; i < actual.size(); ++i) {
            QVERIFY2(actual.at(i).format == expected.at(i).format, qPrintable(QStringLiteral("character %1").arg(i)));
        }
        QCOMPARE(bulk.SelectionStart(), stepwise.SelectionStart());
    }

    void renderPiecesOfTheSameTextRaisesNothing()
    {
        TArticleEditor editor;
        editor.insertPlainText(QStringLiteral("same words"));
        QSignalSpy spy(&editor, &TArticleEditor::OnChange);
        const std::vector<TStyledPiece> pieces{{u"same", 0, 0xFFFF00, ui::fsBold}, {u" words", 0, 0xFFFFFF, 0}};
        editor.RenderPieces(pieces);
        QCOMPARE(spy.count(), 0);
        const std::vector<TStyledPiece> other{{u"other", 0, 0xFFFFFF, 0}};
        editor.RenderPieces(other);
        QCOMPARE(spy.count(), 1);
    }

    void markRangesChangesOnlyTheRanges()
    {
        TArticleEditor editor;
        editor.insertPlainText(QStringLiteral("abcdefgh"));
        editor.SetSelectionStart(1);
        const std::vector<TTextRange> ranges{{1, 2}, {6, 10}, {-3, 1}};
        editor.MarkRanges(ranges, 0x000000, 0x00FFFF, 0);
        const auto looks = ReadLooks(*editor.document());
        QString marked;
        for (const auto& look : looks) {
            marked.append(look.back == Rgb(0x00FFFF) ? u'y' : u'.');
        }
        QCOMPARE(marked, QStringLiteral(".yy...yy"));
        QCOMPARE(editor.SelectionStart(), 1);
        QCOMPARE(editor.SelectionLength(), 0);
    }

    void pasteKeepsStylesButNoObjects()
    {
        TArticleEditor editor;
        editor.show();
        auto* mime = new QMimeData;
        mime->setHtml(QStringLiteral("<p><b>bold</b> <img src=\"x.png\"> <i>it</i> "
                                     "<span style=\"color:#ff0000;background:#00ff00;font-size:30pt\">c</span></p>"
                                     "<table><tr><td>c1</td><td>c2</td></tr></table>"));
        mime->setText(QStringLiteral("plain fallback"));
        QSignalSpy spy(&editor, &TArticleEditor::OnChange);
        Paste(editor, mime);
        QCOMPARE(spy.count(), 1);
        const QString text = Q(editor.Text());
        QVERIFY2(!text.contains(QChar::ObjectReplacementCharacter), qPrintable(text));
        QVERIFY2(text.startsWith(QStringLiteral("bold  it c")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("c1")) && text.contains(QStringLiteral("c2")), qPrintable(text));
        QVERIFY(!text.contains(QChar(0xFDD0)) && !text.contains(QChar(0xFDD1)));
        const auto looks = ReadLooks(*editor.document());
        QVERIFY(looks.at(0).bold);
        QVERIFY(looks.at(7).format.fontItalic());
        QVERIFY(!looks.at(9).format.hasProperty(QTextFormat::ForegroundBrush));
        QVERIFY(!looks.at(9).format.hasProperty(QTextFormat::BackgroundBrush));
        QVERIFY(!looks.at(9).format.hasProperty(QTextFormat::FontPointSize));
    }

    void loadFromFileKeepsEveryCharacterAndTheRunsLooks()
    {
        TArticleEditor editor;
        glenvary::io::TTextLook bold;
        bold.bold = true;
        glenvary::io::TTextLook red;
        red.textColor = 0x0000FF;
        red.underline = true;
        // Runs that start with a byte order mark or a line break, and end at the text's end.
        const glenvary::io::TArticleDocument document{u"a\uFEFFbc\nd\U0001F600e", {{1, 2, bold}, {4, 5, red}}};
        editor.LoadFromFile(document);
        QCOMPARE(editor.Text(), document.text);
        QCOMPARE(editor.SelectionStart(), 0);
        QString looks;
        for (const auto& look : ReadLooks(*editor.document())) {
            looks += look.bold ? u'b' : look.format.fontUnderline() && look.text == QColor(Qt::red) ? u'r' : u'.';
        }
        QCOMPARE(looks, QStringLiteral(".bb.rrrr"));
    }

    void droppedFileIsNamedNotInserted()
    {
        TArticleEditor editor;
        editor.show();
        QSignalSpy dropped(&editor, &TArticleEditor::FileDropped);
        QSignalSpy changed(&editor, &TArticleEditor::OnChange);
        QMimeData mime;
        // File managers offer the path as text as well.
        mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/notes.txt"))});
        mime.setText(QStringLiteral("file:///tmp/notes.txt"));
        // As a drag from another program arrives: entering, moving, dropping.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(editor.viewport(), &enter);
        QDragMoveEvent move(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(editor.viewport(), &move);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(editor.viewport(), &drop);
        QTRY_COMPARE(dropped.count(), 1);
        QCOMPARE(dropped.at(0).at(0).toString(), QStringLiteral("/tmp/notes.txt"));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(Q(editor.Text()), QString());
    }

    // Copied in a file manager and pasted, files are their paths typed at
    // the caret: nothing of the article is replaced.
    void pastedFilesAreTheirPaths()
    {
        TArticleEditor editor;
        editor.show();
        QSignalSpy dropped(&editor, &TArticleEditor::FileDropped);
        editor.SetText(u"see ");
        editor.SetSelectionStart(4);
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")), QUrl(QStringLiteral("https://x.test/")),
                       QUrl::fromLocalFile(QStringLiteral("/tmp/c.doc"))});
        mime->setText(QStringLiteral("file:///tmp/a%20b.txt"));
        Paste(editor, mime);
        QCoreApplication::processEvents();
        QCOMPARE(Q(editor.Text()), QStringLiteral("see /tmp/a b.txt\n/tmp/c.doc"));
        QCOMPARE(dropped.count(), 0);
    }

    void tabLeavesTheEditorAndCtrlTabTypesATab()
    {
        QWidget window;
        auto* editor = new TArticleEditor(&window);
        auto* next = new QLineEdit(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        editor->setFocus();
        QTest::keyClicks(editor, QStringLiteral("ab"));
        QTest::keyClick(editor, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(Q(editor->Text()), QStringLiteral("ab\t"));
        QTest::keyClick(editor, Qt::Key_Tab);
        QCOMPARE(Q(editor->Text()), QStringLiteral("ab\t"));
        QVERIFY(next->hasFocus());
    }

    void imagesAloneCannotBePasted()
    {
        TArticleEditor editor;
        editor.show();
        auto* mime = new QMimeData;
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::red);
        mime->setImageData(picture);
        Paste(editor, mime);
        QCOMPARE(Q(editor.Text()), QString());
        for (const QTextFormat& format : editor.document()->allFormats()) {
            QVERIFY(!format.isImageFormat());
        }
    }

    void exceptionInAListenerIsReportedAndGoesNoFurther()
    {
        TArticleEditor editor;
        editor.show();
        int calls = 0;
        connect(&editor, &TArticleEditor::OnChange, &editor, [&] {
            if (++calls == 1) {
                throw std::runtime_error("listener failed");
            }
        });
        QTest::keyClick(&editor, Qt::Key_A);
        QCOMPARE(glenvary::uitest::TakeReportedErrors(), QStringList{QStringLiteral("listener failed")});
        QTest::keyClick(&editor, Qt::Key_B);
        QCOMPARE(Q(editor.Text()), QStringLiteral("ab"));
        QCOMPARE(calls, 2);
    }
};

GLENVARY_UI_TEST_MAIN(TArticleEditorTest)
#include "articleeditor_test.moc"
