// SPDX-License-Identifier: MIT
// The main window driven as a person would: typing and pasting, Compare,
// Clear Highlighting, keyword density, the length field, resizing, going
// from a passage to its copy, and a failing handler.
#include "ui/compareoptions.h"
#include "ui/frmmain.h"
#include "ui/optionsdialog.h"
#include "ui/numericfield.h"
#include "uitest.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextCursor>

#include <algorithm>
#include <iterator>
#include <memory>
#include <random>
#include <stdexcept>

#include <sys/stat.h>

using glenvary::core::TListWords;
using glenvary::ui::TArticleEditor;
using glenvary::ui::TfrmMain;
using glenvary::ui::TNumericField;
using glenvary::ui::TWindowOptions;
using glenvary::uitest::LookLetters;
using glenvary::uitest::Q;
using glenvary::uitest::TakeReportedErrors;

namespace {

// A window whose rendering can be made to fail, or to edit an editor while
// the comparison runs.
class TProbedWindow : public TfrmMain {
public:
    enum class TProbe { None, Throw, EditWhileBusy };
    TProbe probe = TProbe::None;

protected:
    void RenderHighlights(TArticleEditor& editor, const TListWords& words) override
    {
        if (probe == TProbe::Throw && editor.objectName() == QStringLiteral("rchArticle2")) {
            throw std::runtime_error("cannot draw the highlights");
        }
        if (probe == TProbe::EditWhileBusy) {
            editor.SetSelectionStart(0);
            editor.ReplaceSelection(u"inserted ");
        }
        TfrmMain::RenderHighlights(editor, words);
    }
};

// One letter per word: '.' white, 'A' aqua, 'G' money green, 'Y' yellow,
// 'R' red, 'O' olive, 'S' silver.
QString WordLetters(const TListWords& words)
{
    QString letters;
    for (const auto& word : words) {
        switch (word.iColor) {
        case 0xFFFFFF: letters.append(u'.'); break;
        case 0xFFFF00: letters.append(u'A'); break;
        case 0xC0DCC0: letters.append(u'G'); break;
        case 0x00FFFF: letters.append(u'Y'); break;
        case 0x0000FF: letters.append(u'R'); break;
        case 0x008080: letters.append(u'O'); break;
        case 0xC0C0C0: letters.append(u'S'); break;
        default: letters.append(u'?'); break;
        }
    }
    return letters;
}

QString Caption(const QWidget* widget)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
        return group->title();
    }
    if (const auto* spin = qobject_cast<const QSpinBox*>(widget)) {
        return spin->text();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        return combo->currentText();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return edit->text();
    }
    if (const auto* editor = qobject_cast<const TArticleEditor*>(widget)) {
        return Q(editor->Text());
    }
    return {};
}

} // namespace

class TfrmMainTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TProbedWindow> window_;

    template <typename T = QWidget>
    T* Find(const QString& name) const
    {
        return glenvary::uitest::FindControl<T>(*window_, name);
    }
    TArticleEditor* Editor(int side) const { return Find<TArticleEditor>(QStringLiteral("rchArticle%1").arg(side)); }
    TNumericField* Field(const QString& name) const { return Find<TNumericField>(name); }
    QString Counts(int side) const { return glenvary::uitest::SideCounts(*window_, side); }
    void Click(const QString& name) const { QTest::mouseClick(Find(name), Qt::LeftButton); }

    // Puts `text` into an editor the way a person pastes it.
    void Paste(int side, const QString& text) const
    {
        TArticleEditor* editor = Editor(side);
        editor->setFocus();
        editor->selectAll();
        if (text.isEmpty()) {
            QTest::keyClick(editor, Qt::Key_Delete);
            return;
        }
        auto* mime = new QMimeData;
        mime->setText(text);
        QGuiApplication::clipboard()->setMimeData(mime);
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    }

    // Double-clicks the middle of the character at `position` as a hand
    // does: the pointer strays a pixel before the button is up again.
    void DoubleClick(int side, int position) const
    {
        TArticleEditor* editor = Editor(side);
        QTextCursor cursor(editor->document());
        cursor.setPosition(position);
        const QRect before = editor->cursorRect(cursor);
        cursor.setPosition(position + 1);
        const QRect after = editor->cursorRect(cursor);
        const QPoint point((before.left() + after.left()) / 2, before.center().y());
        QWidget* viewport = editor->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, point);
        QTest::mousePress(viewport, Qt::LeftButton, {}, point);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, point);
        QTest::mouseMove(viewport, point + QPoint(1, 0));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, point + QPoint(1, 0));
    }

    // "start text" of the editor's selection.
    QString Selection(int side) const
    {
        const TArticleEditor* editor = Editor(side);
        return QStringLiteral("%1 %2").arg(editor->SelectionStart()).arg(
            Q(editor->Text()).mid(editor->SelectionStart(), editor->SelectionLength()));
    }

    void TypeInto(QWidget* field, const QString& text) const
    {
        field->setFocus();
        if (auto* spin = qobject_cast<QSpinBox*>(field)) {
            spin->selectAll();
        } else if (auto* edit = qobject_cast<QLineEdit*>(field)) {
            edit->selectAll();
        }
        QTest::keyClicks(field, text);
    }

    void Compare(const QString& text1, const QString& text2, int length, int unit = 0)
    {
        Paste(1, text1);
        Paste(2, text2);
        TypeInto(Find(QStringLiteral("minNumWords")), QString::number(length));
        auto* type = Find<QComboBox>(QStringLiteral("cbxType"));
        type->setFocus();
        while (type->currentIndex() < unit) {
            QTest::keyClick(type, Qt::Key_Down);
        }
        Click(QStringLiteral("btnCompareEx"));
    }

private Q_SLOTS:
    void init()
    {
        window_ = std::make_unique<TProbedWindow>();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup()
    {
        window_.reset();
        QSettings(QStringLiteral("Glenvary"), QStringLiteral("Glenvary")).clear();
        QGuiApplication::clipboard()->clear();
        QVERIFY2(glenvary::uitest::NothingReported(), "unexpected report");
    }

    void controlHasItsNameAndCaption_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        const auto row = [](const char* name, const char* kind, const QString& caption) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind) << caption;
        };
        row("btnCompareEx", "QPushButton", QStringLiteral("Compare"));
        row("btnMakeMoney", "QPushButton", QStringLiteral("Make Money"));
        row("panBanner", "QFrame", QString());
        row("imgBanner", "QLabel", QString());
        row("gifBanner", "QLabel", QString());
        row("edtDuplicate", "glenvary::ui::TNumericField", QStringLiteral("0"));
        row("minNumWords", "QSpinBox", QStringLiteral("1"));
        row("cbxType", "QComboBox", QStringLiteral("Word(s)"));
        row("lblLink1URL", "QLabel", QStringLiteral("Google"));
        row("lblLink2URL", "QLabel", QStringLiteral("Google"));
        row("panLeft", "QGroupBox", QStringLiteral("Article 1"));
        row("panRight", "QGroupBox", QStringLiteral("Article 2"));
        for (const char* side : {"1", "2"}) {
            const auto named = [side](const char* stem) { return QByteArray(stem) + side; };
            row(named("btnImport"), "QPushButton", QStringLiteral("Import"));
            row(named("btnClearH"), "QPushButton", QStringLiteral("Clear Highlighting"));
            row(named("btnClear"), "QPushButton", QStringLiteral("Delete All"));
            row(named("rchArticle"), "glenvary::ui::TArticleEditor", QString());
            row(named("edtWords"), "glenvary::ui::TNumericField", QStringLiteral("0"));
            row(named("edtSenten"), "glenvary::ui::TNumericField", QStringLiteral("0"));
            row(named("edtParag"), "glenvary::ui::TNumericField", QStringLiteral("0"));
            row(named("edtKw"), "QLineEdit", QString());
            row(named("btnCalculateKwDensity"), "QPushButton", QStringLiteral("Calculate Keyword Density"));
            row(named("edtDensPerc"), "glenvary::ui::TNumericField", QStringLiteral("0"));
            row(named("edtDensTotal"), "glenvary::ui::TNumericField", QStringLiteral("0"));
        }
    }
    void controlHasItsNameAndCaption()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        const QWidget* control = Find(name);
        QVERIFY2(control->inherits(kind.toLatin1().constData()), control->metaObject()->className());
        QCOMPARE(Caption(control), caption);
        QVERIFY(!control->accessibleName().isEmpty());
    }

    void labelsReadAsDrawn_data()
    {
        QTest::addColumn<QString>("container");
        QTest::addColumn<QStringList>("captions");
        const QStringList statistics{QStringLiteral("Contains"), QStringLiteral(" Words,"),
                                     QStringLiteral("Sentences,"), QStringLiteral("Paragraphs"),
                                     QStringLiteral("Keyword phrase:"), QStringLiteral("%"), QStringLiteral("No:")};
        QTest::newRow("article 1") << QStringLiteral("panLeft") << statistics;
        QTest::newRow("article 2") << QStringLiteral("panRight") << statistics;
        QTest::newRow("bottom bar") << QStringLiteral("panBottom")
                                    << QStringList{QStringLiteral("Duplicate Content"), QStringLiteral("%"),
                                                   QStringLiteral("Minimun Length Of the Matching Parts = "),
                                                   QStringLiteral("Google"), QStringLiteral("Google"), QString()};
    }
    void labelsReadAsDrawn()
    {
        QFETCH(QString, container);
        QFETCH(QStringList, captions);
        QStringList found;
        for (const QLabel* label : Find(container)->findChildren<QLabel*>()) {
            found.append(label->text());
        }
        found.sort();
        captions.sort();
        QCOMPARE(found, captions);
    }

    void windowStartsAtItsSizeCentred()
    {
        TfrmMain fresh;
        QCOMPARE(fresh.objectName(), QStringLiteral("frmMain"));
        QCOMPARE(fresh.windowTitle(), QStringLiteral("Glenvary"));
        QCOMPARE(fresh.size(), QSize(753, 520));
        fresh.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fresh));
        const QPoint centre = fresh.screen()->availableGeometry().center();
        QVERIFY(qAbs(fresh.frameGeometry().center().x() - centre.x()) <= 1);
        QVERIFY(qAbs(fresh.frameGeometry().center().y() - centre.y()) <= 1);
    }

    void iconIsBuiltIntoTheProgram()
    {
        const QPixmap icon(QStringLiteral(":/glenvary/glenvary.png"));
        QCOMPARE(icon.size(), QSize(256, 256));
    }

    void everyControlReadsToAScreenReader()
    {
        QVERIFY(!window_->accessibleName().isEmpty());
        for (const QWidget* control : window_->findChildren<QWidget*>()) {
            const QString name = control->objectName();
            if (name.isEmpty() || name.startsWith(QStringLiteral("qt_"))) {
                continue;
            }
            QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(name));
        }
    }

    void focusFollowsTheLayout()
    {
        QStringList order;
        QWidget* widget = Find(QStringLiteral("btnCompareEx"));
        do {
            if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabled() && !widget->objectName().isEmpty()
                && !widget->objectName().startsWith(QStringLiteral("qt_"))) {
                order.append(widget->objectName());
            }
            widget = widget->nextInFocusChain();
        } while (widget != Find(QStringLiteral("btnCompareEx")));
        const QStringList expected{
            QStringLiteral("btnCompareEx"), QStringLiteral("btnMakeMoney"),
            QStringLiteral("btnImport1"), QStringLiteral("btnClearH1"), QStringLiteral("btnClear1"),
            QStringLiteral("rchArticle1"), QStringLiteral("edtWords1"), QStringLiteral("edtSenten1"),
            QStringLiteral("edtParag1"), QStringLiteral("edtKw1"), QStringLiteral("btnCalculateKwDensity1"),
            QStringLiteral("btnImport2"), QStringLiteral("btnClearH2"), QStringLiteral("btnClear2"),
            QStringLiteral("rchArticle2"), QStringLiteral("edtWords2"), QStringLiteral("edtSenten2"),
            QStringLiteral("edtParag2"), QStringLiteral("edtKw2"), QStringLiteral("btnCalculateKwDensity2"),
            QStringLiteral("minNumWords"), QStringLiteral("cbxType")};
        QCOMPARE(order, expected);
    }

    void countsFollowEveryKeystroke()
    {
        const QString typed = QStringLiteral("Hello world. Bye!");
        const QString words = QStringLiteral("11111122222223333");
        const QString sentences = QStringLiteral("11111111111112222");
        TArticleEditor* editor = Editor(1);
        editor->setFocus();
        for (int i = 0; i < typed.size(); ++i) {
            QTest::keyClick(editor, typed.at(i).toLatin1());
            QCOMPARE(Counts(1), QStringLiteral("%1 %2 1").arg(words.at(i)).arg(sentences.at(i)));
            QCOMPARE(Q(window_->sText1()), typed.left(i + 1));
            QCOMPARE(Counts(2), QStringLiteral("0 0 0"));
        }
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(Counts(1), QStringLiteral("3 2 1"));
        QTest::keyClicks(editor, QStringLiteral("x"));
        QCOMPARE(Counts(1), QStringLiteral("4 3 2"));
        QCOMPARE(Q(window_->sText1()), QStringLiteral("Hello world. Bye!\nx"));

        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Delete);
        QCOMPARE(Counts(1), QStringLiteral("0 0 0"));
        QVERIFY(window_->sText1().empty());
        QCOMPARE(window_->lstWords1().Count(), 0);
        QCOMPARE(window_->lstSentences1().Count(), 0);
        QCOMPARE(window_->lstParagraphs1().Count(), 0);
    }

    void typedNoBreakSpaceSeparatesWords()
    {
        TArticleEditor* editor = Editor(2);
        editor->setFocus();
        QTest::keyClicks(editor, QStringLiteral("two"));
        QTest::keyClick(editor, char(0xA0));
        QTest::keyClicks(editor, QStringLiteral("words"));
        QCOMPARE(Q(editor->Text()), QStringLiteral("two words"));
        QCOMPARE(Q(window_->sText2()), QStringLiteral("two words"));
        QCOMPARE(Counts(2), QStringLiteral("2 1 1"));
    }

    void pasteIsNormalisedWithOneRewrite_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<int>("changes");
        // A rewrite is one more change of the text: the paste, then the write-back.
        QTest::newRow("apostrophe and en dash") << QStringLiteral("It\u2019s a well\u2013known fact.")
                                                << QStringLiteral("It's a well-known fact.") << QStringLiteral("4 1 1")
                                                << 2;
        QTest::newRow("a lone dash becomes a word") << QStringLiteral("a \u2013 b") << QStringLiteral("a - b")
                                                    << QStringLiteral("3 1 1") << 2;
        QTest::newRow("no-break space") << QStringLiteral("no\u00A0break") << QStringLiteral("no break")
                                        << QStringLiteral("2 1 1") << 2;
        QTest::newRow("other quotes and the em dash stay")
            << QStringLiteral("\u2018left\u2019 and \u201Cdouble\u201D \u2014 em")
            << QStringLiteral("\u2018left' and \u201Cdouble\u201D \u2014 em") << QStringLiteral("5 1 1") << 2;
        QTest::newRow("nothing to replace is not rewritten")
            << QStringLiteral("Plain text.\r\nTwo lines.") << QStringLiteral("Plain text.\nTwo lines.")
            << QStringLiteral("4 2 2") << 1;
    }
    void pasteIsNormalisedWithOneRewrite()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, stored);
        QFETCH(QString, counts);
        QFETCH(int, changes);
        QSignalSpy spy(Editor(1), &TArticleEditor::OnChange);
        Paste(1, pasted);
        QCOMPARE(spy.count(), changes);
        QCOMPARE(Q(Editor(1)->Text()), stored);
        QCOMPARE(Q(window_->sText1()), stored);
        QCOMPARE(Counts(1), counts);
        QCOMPARE(Counts(2), QStringLiteral("0 0 0"));
    }

    void compareMarksTheDuplicates_data()
    {
        QTest::addColumn<QString>("text1");
        QTest::addColumn<QString>("text2");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("words1");
        QTest::addColumn<QString>("words2");
        QTest::addColumn<QString>("look1");
        QTest::addColumn<QString>("look2");
        QTest::addColumn<QString>("percent");
        // look: one letter per character, '.' plain, a capital for bold black
        // on that colour (A aqua, G money green, Y yellow, R red, O olive, S silver).
        QTest::newRow("three-word run in the middle")
            << QStringLiteral("The cat sat on the mat.") << QStringLiteral("A dog Sat on THE mat today.") << 3 << 0
            << QStringLiteral("..AAAA") << QStringLiteral("..AAAA.") << QStringLiteral("........AAAAAAAAAAAAAAA")
            << QStringLiteral("......AAAAAAAAAAAAAA.......") << QStringLiteral("57");
        QTest::newRow("a passage missed after the resume position")
            << QStringLiteral("Red apples grow here. Blue rivers run deep.")
            << QStringLiteral("Blue rivers run deep and red apples grow here.") << 2 << 0 << QStringLiteral("AAAA...G")
            << QStringLiteral("...G.AAAA") << QStringLiteral("AAAAAAAAAAAAAAAAAAAA..................GGGGG")
            << QStringLiteral("................GGGG.....AAAAAAAAAAAAAAAAAAAAA") << QStringLiteral("56");
        QTest::newRow("a near match wraps around")
            << QStringLiteral("one two three four five six seven") << QStringLiteral("one two three ten five six seven")
            << 3 << 0 << QStringLiteral("AAA.GGG") << QStringLiteral("AAA.GGG")
            << QStringLiteral("AAAAAAAAAAAAA......GGGGGGGGGGGGGG") << QStringLiteral("AAAAAAAAAAAAA.....GGGGGGGGGGGGGG")
            << QStringLiteral("86");
        QTest::newRow("length longer than article 1") << QStringLiteral("the cat sat") << QStringLiteral("a dog sat here")
                                                      << 5 << 0 << QStringLiteral("..A") << QStringLiteral("..A.")
                                                      << QStringLiteral("........AAA")
                                                      << QStringLiteral("......AAA.....") << QStringLiteral("25");
        QTest::newRow("only the first occurrence")
            << QStringLiteral("big red dog") << QStringLiteral("big red dog and big red dog") << 3 << 0
            << QStringLiteral("AAA") << QStringLiteral("AAA....") << QStringLiteral("AAAAAAAAAAA")
            << QStringLiteral("AAAAAAAAAAA................") << QStringLiteral("43");
        QTest::newRow("sentence mode with repeated words")
            << QStringLiteral("Yes, yes. Yes. We agree now.") << QStringLiteral("Yes, yes. Yes. We agree now.") << 1
            << 1 << QStringLiteral("AAAGGG") << QStringLiteral("AA.GGG") << QStringLiteral("AAAAAAAAAAAAA..GGGGGGGGGGGGG")
            << QStringLiteral("AAAAAAAA.......GGGGGGGGGGGGG") << QStringLiteral("83");
        QTest::newRow("12.5 per cent shows as 12")
            << QStringLiteral("alpha") << QStringLiteral("one two three four five six seven alpha") << 1 << 0
            << QStringLiteral("A") << QStringLiteral(".......A") << QStringLiteral("AAAAA")
            << QStringLiteral("..................................AAAAA") << QStringLiteral("12");
        QTest::newRow("37.5 per cent shows as 38")
            << QStringLiteral("alpha beta gamma") << QStringLiteral("one two three four five alpha beta gamma") << 2
            << 0 << QStringLiteral("AAA") << QStringLiteral(".....AAA") << QStringLiteral("AAAAAAAAAAAAAAAA")
            << QStringLiteral("........................AAAAAAAAAAAAAAAA") << QStringLiteral("38");
        QTest::newRow("seven regions cycle the colours")
            << QStringLiteral("a1 q b1 q c1 q d1 q e1 q f1 q g1") << QStringLiteral("a1 z b1 z c1 z d1 z e1 z f1 z g1")
            << 1 << 0 << QStringLiteral("A.G.Y.R.O.S.A") << QStringLiteral("A.G.Y.R.O.S.A")
            << QStringLiteral("AA...GG...YY...RR...OO...SS...AA") << QStringLiteral("AA...GG...YY...RR...OO...SS...AA")
            << QStringLiteral("54");
        QTest::newRow("article 2 without words") << QStringLiteral("some words") << QStringLiteral("... ,") << 1 << 0
                                                 << QStringLiteral("..") << QString() << QStringLiteral("..........")
                                                 << QStringLiteral(".....") << QStringLiteral("0");
        QTest::newRow("leading blank stays plain, punctuation after the last word is marked")
            << QStringLiteral(" shared words.") << QStringLiteral("shared words") << 1 << 0 << QStringLiteral("AA")
            << QStringLiteral("AA") << QStringLiteral(".AAAAAAAAAAAAA") << QStringLiteral("AAAAAAAAAAAA")
            << QStringLiteral("100");
        // Line breaks are not drawn, so the look leaves them out; the text
        // comparison below sees them kept exactly, the final one included.
        QTest::newRow("line breaks kept as they are")
            << QStringLiteral("\nshared words\n") << QStringLiteral("shared\nwords") << 1 << 0 << QStringLiteral("AA")
            << QStringLiteral("AA") << QStringLiteral("AAAAAAAAAAAA") << QStringLiteral("AAAAAAAAAAA")
            << QStringLiteral("100");
    }
    void compareMarksTheDuplicates()
    {
        QFETCH(QString, text1);
        QFETCH(QString, text2);
        QFETCH(int, length);
        QFETCH(int, unit);
        QFETCH(QString, words1);
        QFETCH(QString, words2);
        QFETCH(QString, look1);
        QFETCH(QString, look2);
        QFETCH(QString, percent);
        Compare(text1, text2, length, unit);
        const QString counts1 = Counts(1);
        const QString counts2 = Counts(2);
        // Twice: every comparison starts from white word lists.
        for (int run = 0; run < 2; ++run) {
            QVERIFY(!window_->bBusy());
            QCOMPARE(window_->iMinLength(), length);
            QCOMPARE(window_->iUnitKind(), unit);
            QCOMPARE(WordLetters(window_->lstWords1()), words1);
            QCOMPARE(WordLetters(window_->lstWords2()), words2);
            QCOMPARE(LookLetters(*Editor(1)->document()), look1);
            QCOMPARE(LookLetters(*Editor(2)->document()), look2);
            QCOMPARE(Find<TNumericField>(QStringLiteral("edtDuplicate"))->text(), percent);
            // The rendering keeps every character and changes no count.
            QCOMPARE(Q(Editor(1)->Text()), text1);
            QCOMPARE(Q(Editor(2)->Text()), text2);
            QCOMPARE(Q(window_->sText1()), text1);
            QCOMPARE(Counts(1), counts1);
            QCOMPARE(Counts(2), counts2);
            Click(QStringLiteral("btnCompareEx"));
        }
    }

    // Whatever characters an article holds, a Compare draws them all back,
    // so the editor and the stored text never part and a second Compare
    // gives the first one's colours and percentage.
    void compareKeepsEveryCharacter()
    {
        static const char16_t* const pieces[] = {
            u"one", u"two", u"Three", u"four", u" ", u" ", u"\n", u"\r", u"\t", u".", u"!", u"\u00A0",
            u"\uFEFF", u"\u2028", u"\u2029", u"\u0001", u"\u001F", u"\u007F", u"\u200B", u"\U0001F600",
            u"e\u0301", u"\u05E9\u05DC\u05D5\u05DD", u"\u202E", u"\u2019", u"\u2013",
        };
        std::mt19937 random(20261209);
        const auto draw = [&] {
            QString text;
            const int count = static_cast<int>(random() % 24);
            for (int i = 0; i < count; ++i) {
                text += Q(pieces[random() % std::size(pieces)]);
            }
            return text;
        };
        for (int round = 0; round < 60; ++round) {
            const QString text1 = draw();
            const QString text2 = draw() + text1.left(static_cast<int>(random() % (text1.size() + 1)));
            Editor(1)->SetText(glenvary::uitest::U16(text1));
            Editor(2)->SetText(glenvary::uitest::U16(text2));
            const std::u16string before1 = Editor(1)->Text();
            const std::u16string before2 = Editor(2)->Text();
            TypeInto(Find(QStringLiteral("minNumWords")), QString::number(1 + round % 3));
            Click(QStringLiteral("btnCompareEx"));
            const QString look1 = LookLetters(*Editor(1)->document());
            const QString look2 = LookLetters(*Editor(2)->document());
            const QString percent = Field(QStringLiteral("edtDuplicate"))->text();
            QCOMPARE(Editor(1)->Text(), before1);
            QCOMPARE(Editor(2)->Text(), before2);
            QCOMPARE(window_->sText2(), before2);
            Click(QStringLiteral("btnCompareEx"));
            QCOMPARE(LookLetters(*Editor(1)->document()), look1);
            QCOMPARE(LookLetters(*Editor(2)->document()), look2);
            QCOMPARE(Field(QStringLiteral("edtDuplicate"))->text(), percent);
        }
    }

    void compareAfterAByteOrderMarkInTheTextGivesTheSameResultTwice()
    {
        Compare(QStringLiteral("one two three four five"),
                QStringLiteral("zero \uFEFF one two three four five"), 3);
        QCOMPARE(Field(QStringLiteral("edtDuplicate"))->text(), QStringLiteral("71"));
        Click(QStringLiteral("btnCompareEx"));
        QCOMPARE(Field(QStringLiteral("edtDuplicate"))->text(), QStringLiteral("71"));
    }

    // The rebuilt editor leaves the caret after the text, as appending piece
    // by piece does, and the view follows it; a keyword run shows its last
    // occurrence.
    void viewFollowsTheCaretAfterCompareAndKeywordDensity()
    {
        QString article;
        for (int line = 0; line < 200; ++line) {
            article += QStringLiteral("Line %1 of the shared article.\n").arg(line);
        }
        article += QStringLiteral("final words");
        Compare(article, article, 3);
        const auto caretShown = [this](int side) {
            const TArticleEditor* editor = Editor(side);
            return editor->viewport()->rect().contains(editor->cursorRect());
        };
        for (int side : {1, 2}) {
            QVERIFY(Editor(side)->verticalScrollBar()->maximum() > 0);
            QCOMPARE(Editor(side)->SelectionStart(), article.size());
            QVERIFY(caretShown(side));
        }
        Editor(1)->SetSelectionStart(0);
        QVERIFY(caretShown(1));
        Find<QLineEdit>(QStringLiteral("edtKw1"))->setText(QStringLiteral("final"));
        Click(QStringLiteral("btnCalculateKwDensity1"));
        QCOMPARE(Editor(1)->SelectionStart(), article.size() - 11);
        QVERIFY(caretShown(1));
    }

    void compareOfABlankArticleChangesNothing_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<QString>("blank");
        QTest::newRow("article 1 empty") << 1 << QString();
        QTest::newRow("article 1 of blanks and line breaks") << 1 << QStringLiteral(" \n\t \n");
        QTest::newRow("article 2 empty") << 2 << QString();
        QTest::newRow("article 2 of blanks and line breaks") << 2 << QStringLiteral("\n\n  ");
    }
    void compareOfABlankArticleChangesNothing()
    {
        QFETCH(int, side);
        QFETCH(QString, blank);
        Compare(QStringLiteral("The cat sat on the mat."), QStringLiteral("A dog Sat on THE mat today."), 3);
        const int other = 3 - side;
        const QString otherLook = LookLetters(*Editor(other)->document());
        Paste(side, blank);
        Click(QStringLiteral("btnCompareEx"));
        QCOMPARE(LookLetters(*Editor(other)->document()), otherLook);
        QCOMPARE(Find<TNumericField>(QStringLiteral("edtDuplicate"))->text(), QStringLiteral("57"));
    }

    void clearHighlightingActsOnOneSide_data()
    {
        QTest::addColumn<int>("side");
        QTest::newRow("article 1") << 1;
        QTest::newRow("article 2") << 2;
    }
    void clearHighlightingActsOnOneSide()
    {
        QFETCH(int, side);
        Compare(QStringLiteral("The cat sat on the mat."), QStringLiteral("A dog Sat on THE mat today."), 3);
        const int other = 3 - side;
        const QString otherLook = LookLetters(*Editor(other)->document());
        const QString counts = Counts(side);
        Click(QStringLiteral("btnClearH%1").arg(side));
        const TListWords& cleared = side == 1 ? window_->lstWords1() : window_->lstWords2();
        const TListWords& kept = side == 1 ? window_->lstWords2() : window_->lstWords1();
        QCOMPARE(WordLetters(cleared), QString(cleared.Count(), u'.'));
        QVERIFY(WordLetters(kept).contains(u'A'));
        const QString plain = LookLetters(*Editor(side)->document());
        QCOMPARE(plain, QString(plain.size(), u'.'));
        QCOMPARE(Editor(side)->SelectionStart(), 0);
        QCOMPARE(Editor(side)->SelectionLength(), 0);
        QCOMPARE(LookLetters(*Editor(other)->document()), otherLook);
        QCOMPARE(Counts(side), counts);
        QCOMPARE(Find<TNumericField>(QStringLiteral("edtDuplicate"))->text(), QStringLiteral("57"));
    }

    void editAfterCompareWhitensOnlyThatSide()
    {
        Compare(QStringLiteral("The cat sat on the mat."), QStringLiteral("A dog Sat on THE mat today."), 3);
        TArticleEditor* editor = Editor(2);
        editor->setFocus();
        editor->SetSelectionStart(static_cast<int>(editor->Text().size()));
        QTest::keyClicks(editor, QStringLiteral(" More"));
        QCOMPARE(WordLetters(window_->lstWords2()), QStringLiteral("........"));
        QCOMPARE(WordLetters(window_->lstWords1()), QStringLiteral("..AAAA"));
        QCOMPARE(Counts(2), QStringLiteral("8 2 1"));
        QCOMPARE(Find<TNumericField>(QStringLiteral("edtDuplicate"))->text(), QStringLiteral("57"));
    }

    void lengthFieldNeverHoldsZero_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("downArrows");
        QTest::addColumn<int>("value");
        QTest::newRow("typed zero") << QStringLiteral("0") << 0 << 1;
        QTest::newRow("down arrow at one") << QString() << 1 << 1;
        QTest::newRow("down arrow from three") << QStringLiteral("3") << 5 << 1;
        QTest::newRow("typed twelve") << QStringLiteral("12") << 0 << 12;
        QTest::newRow("minus sign refused") << QStringLiteral("-4") << 0 << 4;
    }
    void lengthFieldNeverHoldsZero()
    {
        QFETCH(QString, typed);
        QFETCH(int, downArrows);
        QFETCH(int, value);
        auto* length = Find<QSpinBox>(QStringLiteral("minNumWords"));
        if (!typed.isEmpty()) {
            TypeInto(length, typed);
        }
        for (int i = 0; i < downArrows; ++i) {
            QTest::keyClick(length, Qt::Key_Down);
        }
        QCOMPARE(length->value(), value);
        QCOMPARE(length->text(), QString::number(value));
    }

    void zeroLengthComparesInOneWordChunks()
    {
        Compare(QStringLiteral("alpha"), QStringLiteral("one two three four five six seven alpha"), 0);
        QCOMPARE(window_->iMinLength(), 1);
        QCOMPARE(Find<TNumericField>(QStringLiteral("edtDuplicate"))->text(), QStringLiteral("12"));
    }

    void typedCountStaysUntilTheNextEdit()
    {
        Paste(2, QStringLiteral("A dog Sat on THE mat today."));
        TypeInto(Find(QStringLiteral("edtWords2")), QStringLiteral("1"));
        QCOMPARE(Field(QStringLiteral("edtWords2"))->Value(), 1.0);
        Paste(1, QStringLiteral("other side"));
        QCOMPARE(Field(QStringLiteral("edtWords2"))->text(), QStringLiteral("1"));
        Editor(2)->setFocus();
        QTest::keyClick(Editor(2), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(Editor(2), QStringLiteral(" x"));
        QCOMPARE(Field(QStringLiteral("edtWords2"))->text(), QStringLiteral("8"));
    }

    // A number typed into the word count box used to become the percentage's
    // denominator: 4 duplicated words "out of 1" showed 400.
    void percentageCountsArticle2sActualWords()
    {
        Paste(1, QStringLiteral("The cat sat on the mat."));
        Paste(2, QStringLiteral("A dog Sat on THE mat today."));
        TypeInto(Find(QStringLiteral("edtWords2")), QStringLiteral("1"));
        TypeInto(Find(QStringLiteral("minNumWords")), QStringLiteral("3"));
        Click(QStringLiteral("btnCompareEx"));
        QCOMPARE(Find<TNumericField>(QStringLiteral("edtDuplicate"))->text(), QStringLiteral("57"));
        QCOMPARE(Field(QStringLiteral("edtWords2"))->text(), QStringLiteral("1"));
    }

    void keywordDensityMarksAndCounts_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<QString>("article");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("density");
        QTest::addColumn<QString>("look");
        QTest::addColumn<int>("selectionStart");
        QTest::addColumn<int>("selectionLength");
        // look: 'y' marked (black on yellow, no style), '.' plain.
        QTest::newRow("inside words and capitals") << 1 << QStringLiteral("The theme: the end.") << QStringLiteral("the")
                                                   << QStringLiteral("3") << QStringLiteral("75.00")
                                                   << QStringLiteral("yyy.yyy....yyy.....") << 11 << 3;
        QTest::newRow("overlapping, above one hundred")
            << 2 << QStringLiteral("aaaa") << QStringLiteral("aa") << QStringLiteral("3") << QStringLiteral("300.00")
            << QStringLiteral("yyyy") << 2 << 2;
        QTest::newRow("keyword trimmed") << 2 << QStringLiteral("The theme: the end.") << QStringLiteral("  the \t")
                                         << QStringLiteral("3") << QStringLiteral("75.00")
                                         << QStringLiteral("yyy.yyy....yyy.....") << 11 << 3;
        QTest::newRow("letter case beyond ASCII") << 1 << QStringLiteral("\u00DCber \u00FCBER")
                                                  << QStringLiteral("\u00FCber") << QStringLiteral("2")
                                                  << QStringLiteral("100.00") << QStringLiteral("yyyy.yyyy") << 5 << 4;
        QTest::newRow("keyword absent") << 1 << QStringLiteral("some words here") << QStringLiteral("zzz")
                                        << QStringLiteral("0") << QStringLiteral("0.00")
                                        << QStringLiteral("...............") << 0 << 0;
        QTest::newRow("empty keyword") << 2 << QStringLiteral("some words here") << QString() << QStringLiteral("0")
                                       << QStringLiteral("0.00") << QStringLiteral("...............") << 0 << 0;
        QTest::newRow("blank keyword") << 1 << QStringLiteral("some words") << QStringLiteral("   ")
                                       << QStringLiteral("0") << QStringLiteral("0.00") << QStringLiteral("..........")
                                       << 0 << 0;
        QTest::newRow("empty article") << 1 << QString() << QStringLiteral("x") << QStringLiteral("0")
                                       << QStringLiteral("0.00") << QString() << 0 << 0;
        QTest::newRow("only line breaks") << 2 << QStringLiteral("\n\n") << QStringLiteral("x") << QStringLiteral("0")
                                          << QStringLiteral("0.00") << QString() << 0 << 0;
        QTest::newRow("occurrences but no words") << 1 << QStringLiteral("... ,") << QStringLiteral(".")
                                                  << QStringLiteral("3") << QStringLiteral("0.00")
                                                  << QStringLiteral("yyy..") << 2 << 1;
    }
    void keywordDensityMarksAndCounts()
    {
        QFETCH(int, side);
        QFETCH(QString, article);
        QFETCH(QString, keyword);
        QFETCH(QString, total);
        QFETCH(QString, density);
        QFETCH(QString, look);
        QFETCH(int, selectionStart);
        QFETCH(int, selectionLength);
        Paste(side, article);
        Find<QLineEdit>(QStringLiteral("edtKw%1").arg(side))->setText(keyword);
        QSignalSpy changes(Editor(side), &TArticleEditor::OnChange);
        Click(QStringLiteral("btnCalculateKwDensity%1").arg(side));
        QCOMPARE(Field(QStringLiteral("edtDensTotal%1").arg(side))->text(), total);
        QCOMPARE(Field(QStringLiteral("edtDensPerc%1").arg(side))->text(), density);
        QCOMPARE(LookLetters(*Editor(side)->document(), true), look);
        QCOMPARE(Editor(side)->SelectionStart(), selectionStart);
        QCOMPARE(Editor(side)->SelectionLength(), selectionLength);
        QCOMPARE(changes.count(), 0);
        const int other = 3 - side;
        QCOMPARE(Field(QStringLiteral("edtDensTotal%1").arg(other))->text(), QStringLiteral("0"));
        QCOMPARE(Field(QStringLiteral("edtDensPerc%1").arg(other))->text(), QStringLiteral("0"));
    }

    void keywordDensityAfterCompareKeepsTheOtherSideAndTheLists()
    {
        Compare(QStringLiteral("The cat sat on the mat."), QStringLiteral("A dog Sat on THE mat today."), 3);
        const QString look2 = LookLetters(*Editor(2)->document());
        // A typed count is not the density's denominator either.
        TypeInto(Find(QStringLiteral("edtWords1")), QStringLiteral("2"));
        Find<QLineEdit>(QStringLiteral("edtKw1"))->setText(QStringLiteral("at"));
        Click(QStringLiteral("btnCalculateKwDensity1"));
        QCOMPARE(LookLetters(*Editor(1)->document(), true), QStringLiteral(".....yy..yy.........yy."));
        QCOMPARE(Field(QStringLiteral("edtDensTotal1"))->text(), QStringLiteral("3"));
        QCOMPARE(Field(QStringLiteral("edtDensPerc1"))->text(), QStringLiteral("50.00"));
        QCOMPARE(LookLetters(*Editor(2)->document()), look2);
        QCOMPARE(WordLetters(window_->lstWords1()), QStringLiteral("..AAAA"));
        QCOMPARE(Find<TNumericField>(QStringLiteral("edtDuplicate"))->text(), QStringLiteral("57"));
    }

    void resizeKeepsTheLayoutRule_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("bannerLeft");
        QTest::newRow("width at creation") << 753 << 324;
        QTest::newRow("one pixel narrower, each half truncated") << 752 << 324;
        QTest::newRow("wider") << 1001 << 448;
    }
    void resizeKeepsTheLayoutRule()
    {
        QFETCH(int, width);
        QFETCH(int, bannerLeft);
        window_->resize(width, 600);
        // Article 1 takes half the outer width, frame included, less 10.
        const int leftWidth = window_->frameGeometry().width() / 2 - 10;
        QCOMPARE(Find(QStringLiteral("panBanner"))->width(), width);
        QCOMPARE(Find(QStringLiteral("imgBanner"))->pos(), QPoint(bannerLeft, 32 - 52));
        QCOMPARE(Find(QStringLiteral("gifBanner"))->geometry(), Find(QStringLiteral("imgBanner"))->geometry());
        const QRect left = Find(QStringLiteral("panLeft"))->geometry();
        const QRect right = Find(QStringLiteral("panRight"))->geometry();
        QCOMPARE(left.width(), leftWidth);
        QCOMPARE(right.left(), leftWidth + 5);
        QCOMPARE(right.right(), width - 1);
        QCOMPARE(left.top(), 33 + 65);
        QCOMPARE(left.bottom(), 600 - 62 - 1);
        const QRect bottom = Find(QStringLiteral("panBottom"))->geometry();
        QCOMPARE(bottom, QRect(0, 600 - 62, width, 62));
        // Right-anchored controls keep their distance from the right edge,
        // the others from the left.
        QCOMPARE(width - Find(QStringLiteral("minNumWords"))->geometry().right() - 1, 753 - 586);
        QCOMPARE(width - Find(QStringLiteral("cbxType"))->geometry().right() - 1, 753 - 741);
        QCOMPARE(width - Find(QStringLiteral("lblLink2URL"))->geometry().right() - 1, 753 - 741);
        QCOMPARE(Find(QStringLiteral("edtDuplicate"))->pos(), QPoint(104, 10));
        QCOMPARE(Find(QStringLiteral("lblLink1URL"))->x(), 13);
        // The editors fill what the button bar and the statistics leave.
        for (const char* name : {"rchArticle1", "rchArticle2"}) {
            const QWidget* editor = Find(QString::fromLatin1(name));
            const QRect inner = editor->parentWidget()->contentsRect();
            QCOMPARE(editor->width(), inner.width());
            QCOMPARE(editor->height(), inner.height() - 37 - 113);
        }
    }

    // At 450 x 300 the editors used to vanish and "Duplicate Content" was
    // drawn over the length label. Made larger first, the window must still
    // shrink to the same minimum.
    void windowKeepsASizeAtWhichNothingOverlaps()
    {
        const QSize minimum = window_->minimumSize();
        window_->resize(1001, 700);
        window_->resize(450, 300);
        QCOMPARE(window_->minimumSize(), minimum);
        QCOMPARE(window_->size(), window_->minimumSize());
        // Every control the person sees (the banner's two pictures share
        // their place by design), whole inside each of its containers.
        QList<QPair<QString, QRect>> shown;
        for (const QWidget* control : window_->findChildren<QWidget*>()) {
            const QString name = control->objectName();
            const auto named = [](const QObject* child) {
                return !child->objectName().isEmpty() && !child->objectName().startsWith(QStringLiteral("qt_"));
            };
            const QList<QWidget*> inside = control->findChildren<QWidget*>();
            if (!named(control) || !control->isVisible() || name.endsWith(QStringLiteral("Banner"))
                || std::any_of(inside.begin(), inside.end(), named)) {
                continue;
            }
            const QRect rect(control->mapTo(window_.get(), QPoint(0, 0)), control->size());
            QVERIFY2(!rect.isEmpty(), qPrintable(name));
            for (const QWidget* outer = control->parentWidget(); outer != nullptr; outer = outer->parentWidget()) {
                const QRect room(outer->mapTo(window_.get(), QPoint(0, 0)), outer->size());
                QVERIFY2(room.contains(rect), qPrintable(name + QStringLiteral(" is cut off")));
            }
            shown.append({name, rect});
        }
        for (qsizetype i = 0; i < shown.size(); ++i) {
            for (qsizetype j = i + 1; j < shown.size(); ++j) {
                QVERIFY2(!shown[i].second.intersects(shown[j].second),
                         qPrintable(shown[i].first + QStringLiteral(" overlaps ") + shown[j].first));
            }
        }
    }

    void bannerIsCentredWithEachHalfTruncated_data()
    {
        QTest::addColumn<int>("panelHeight");
        QTest::addColumn<int>("bannerHeight");
        QTest::addColumn<int>("top");
        QTest::newRow("panel 10 higher, even") << 70 << 60 << 5;
        QTest::newRow("panel 10 higher, odd") << 71 << 61 << 5;
        QTest::newRow("banner higher than the panel") << 65 << 105 << -20;
    }
    void bannerIsCentredWithEachHalfTruncated()
    {
        QFETCH(int, panelHeight);
        QFETCH(int, bannerHeight);
        QFETCH(int, top);
        Find(QStringLiteral("panBanner"))->resize(753, panelHeight);
        Find(QStringLiteral("imgBanner"))->resize(105, bannerHeight);
        window_->resize(760, 520);
        QCOMPARE(Find(QStringLiteral("imgBanner"))->y(), top);
        QCOMPARE(Find(QStringLiteral("panLeft"))->y(), 33 + panelHeight);
    }

    void doubleClickSelectsTheCopy_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("selection1");
        QTest::addColumn<QString>("selection2");
        // The word clicked stays selected, so that typing replaces only it.
        QTest::newRow("a word of article 1") << 1 << 12 << QStringLiteral("12 on")
                                             << QStringLiteral("6 Sat on THE mat");
        QTest::newRow("a word of article 2") << 2 << 14 << QStringLiteral("8 sat on the mat")
                                             << QStringLiteral("13 THE");
        QTest::newRow("a white word is only selected") << 2 << 3 << QStringLiteral("0 ") << QStringLiteral("2 dog");
    }
    void doubleClickSelectsTheCopy()
    {
        QFETCH(int, side);
        QFETCH(int, position);
        QFETCH(QString, selection1);
        QFETCH(QString, selection2);
        Compare(QStringLiteral("The cat sat on the mat."), QStringLiteral("A dog Sat on THE mat today."), 3);
        for (int other : {1, 2}) {
            Editor(other)->SetSelectionStart(0);
        }
        DoubleClick(side, position);
        QCOMPARE(Selection(1), selection1);
        QCOMPARE(Selection(2), selection2);
    }

    void doubleClickScrollsTheCopyIntoView()
    {
        const QString filler = QStringLiteral(".\n").repeated(80);
        Compare(QStringLiteral("The cat sat on the mat."), filler + QStringLiteral("A dog Sat on THE mat today."), 3);
        TArticleEditor* editor2 = Editor(2);
        editor2->SetSelectionStart(0);
        editor2->verticalScrollBar()->setValue(0);
        DoubleClick(1, 12);
        QCOMPARE(Selection(2), QString::number(filler.size() + 6) + QStringLiteral(" Sat on THE mat"));
        QVERIFY(editor2->verticalScrollBar()->value() > 0);
        QVERIFY(editor2->viewport()->rect().contains(editor2->cursorRect()));
    }

    // The passages a1, b1 and c1 lie at other places in each article.
    void f3GoesRoundThePassages()
    {
        Compare(QStringLiteral("a1 q b1 q c1"), QStringLiteral("a1 z z b1 z z z c1"), 1);
        Editor(2)->setFocus();
        Editor(2)->SetSelectionStart(0);
        const struct {
            int side;
            Qt::KeyboardModifiers modifiers;
            const char* selection1;
            const char* selection2;
        } steps[] = {
            {2, Qt::NoModifier, "0 a1", "0 a1"},     {2, Qt::NoModifier, "5 b1", "7 b1"},
            {2, Qt::NoModifier, "10 c1", "16 c1"},   {2, Qt::NoModifier, "0 a1", "0 a1"},
            {2, Qt::ShiftModifier, "10 c1", "16 c1"}, {2, Qt::ShiftModifier, "5 b1", "7 b1"},
            {1, Qt::NoModifier, "10 c1", "16 c1"},   {1, Qt::ShiftModifier, "5 b1", "7 b1"},
        };
        int step = 0;
        for (const auto& s : steps) {
            const QByteArray trace = "step " + QByteArray::number(++step);
            if (!Editor(s.side)->hasFocus()) {
                // Inside b1: F3 goes on to the next passage.
                Editor(s.side)->setFocus();
                Editor(s.side)->SetSelectionStart(6);
            }
            QTest::keyClick(Editor(s.side), Qt::Key_F3, s.modifiers);
            QVERIFY2(Selection(1) == QLatin1String(s.selection1), trace + " article 1: " + Selection(1).toUtf8());
            QVERIFY2(Selection(2) == QLatin1String(s.selection2), trace + " article 2: " + Selection(2).toUtf8());
        }
    }

    void editorMenusOfferThePassagesAndTheReport()
    {
        for (int side : {1, 2}) {
            const std::unique_ptr<QMenu> menu(Editor(side)->ContextMenu(QPoint()));
            QStringList items;
            const QList<QAction*> actions = menu->actions();
            // After Qt's own items; the archive's follow.
            const auto next = std::find_if(actions.begin(), actions.end(), [](const QAction* action) {
                return action->text() == QStringLiteral("Next Duplicated Passage");
            });
            for (const QAction* action : actions.mid(next - actions.begin(), 3)) {
                items.append(action->text() + u'\t' + action->shortcut().toString());
            }
            QCOMPARE(items, (QStringList{QStringLiteral("Next Duplicated Passage\tF3"),
                                         QStringLiteral("Previous Duplicated Passage\tShift+F3"),
                                         QStringLiteral("Save Report...\tCtrl+S")}));
        }
    }

    void optionsChangeTheComparisonAndSaySo()
    {
        auto* commands = window_->findChild<glenvary::ui::TOptionsCommands*>();
        QVERIFY(commands != nullptr);
        TWindowOptions chosen;
        chosen.fold = true;
        QList<TWindowOptions> shown;
        commands->SetEditDialog([&](QWidget*, const TWindowOptions& current) {
            shown.append(current);
            return std::optional<TWindowOptions>(chosen);
        });
        const std::unique_ptr<QMenu> menu(Editor(2)->ContextMenu(QPoint()));
        const QList<QAction*> actions = menu->actions();
        const auto options = std::find_if(actions.begin(), actions.end(), [](const QAction* action) {
            return action->text() == QStringLiteral("Options...");
        });
        QVERIFY(options != actions.end());
        (*options)->trigger();
        QCOMPARE(shown, QList<TWindowOptions>{TWindowOptions{}});
        QCOMPARE(glenvary::ui::ReadWindowOptions(QSettings(QStringLiteral("Glenvary"), QStringLiteral("Glenvary"))),
                 chosen);

        // A Cyrillic "o" hides the copy from the default rules, not from
        // the options; the note names the option and the disguise.
        Compare(QStringLiteral("the quick brown dog jumps"), QStringLiteral("the quick brown d\u043Eg jumps"), 5);
        QCOMPARE(Find<TNumericField>(QStringLiteral("edtDuplicate"))->text(), QStringLiteral("100"));
        const auto* note = Find<QLabel>(QStringLiteral("lblResultNote"));
        QVERIFY2(note->toolTip().startsWith(QStringLiteral("Options: fold;")), qPrintable(note->toolTip()));
        QVERIFY(note->toolTip().contains(QStringLiteral("Signs of a disguised copy in Article 2: 1 word mixes")));
        QVERIFY2(note->text().startsWith(QStringLiteral("Options: fold<br>")), qPrintable(note->text()));
        // A double-click finds the copy through the comparison with options.
        Editor(1)->SetSelectionStart(0);
        DoubleClick(2, 17);
        QCOMPARE(Selection(1), QStringLiteral("0 the quick brown dog jumps"));

        // A left-out file that cannot be read stops Compare with a warning;
        // a pipe is refused before it is read, which would never end.
        const QTemporaryDir folder;
        const QString pipe = folder.filePath(QStringLiteral("template.txt"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        for (const QString& path : {QStringLiteral("/nonexistent/template.txt"), pipe}) {
            chosen.ignoreFiles = QStringList{path};
            (*options)->trigger();
            Find<TNumericField>(QStringLiteral("edtDuplicate"))->SetValue(7);
            Click(QStringLiteral("btnCompareEx"));
            const QStringList warnings = glenvary::uitest::TakeReportedWarnings();
            QCOMPARE(warnings.size(), 1);
            QVERIFY2(warnings.constFirst().startsWith(QStringLiteral("Compare did not run: cannot read ") + path),
                     qPrintable(warnings.constFirst()));
            QCOMPARE(Find<TNumericField>(QStringLiteral("edtDuplicate"))->text(), QStringLiteral("7"));
        }

        // Every option off: the default rules, which see only article 1's
        // last word, looked up alone at its end, and only the disguise is
        // noted.
        chosen = TWindowOptions{};
        (*options)->trigger();
        Click(QStringLiteral("btnCompareEx"));
        QCOMPARE(Find<TNumericField>(QStringLiteral("edtDuplicate"))->text(), QStringLiteral("20"));
        QVERIFY(note->toolTip().startsWith(QStringLiteral("Signs of a disguised copy")));
    }

    void optionsDialogListsEachFileOnceAndRestoresDefaults()
    {
        TWindowOptions current;
        current.ignoreQuoted = true;
        current.ignoreFiles = QStringList{QStringLiteral("/a/template.txt")};
        glenvary::ui::TOptionsDialog dialog(current, window_.get());
        QCOMPARE(dialog.Options(), current);
        dialog.AddFile(QStringLiteral("/a/template.txt"));
        for (int i = 0; i < 20; ++i) {
            dialog.AddFile(QStringLiteral("/a/%1.txt").arg(i));
        }
        QCOMPARE(dialog.Options().ignoreFiles.size(), static_cast<qsizetype>(glenvary::core::kMaxIgnoreTexts));
        QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("btnAddIgnoreFile"))->isEnabled());
        dialog.findChild<QPushButton*>(QStringLiteral("btnRestoreDefaults"))->click();
        QCOMPARE(dialog.Options(), TWindowOptions{});
    }

    void failingHandlerLeavesTheProgramRunning()
    {
        window_->probe = TProbedWindow::TProbe::Throw;
        Compare(QStringLiteral("The cat sat on the mat."), QStringLiteral("A dog Sat on THE mat today."), 3);
        QCOMPARE(TakeReportedErrors(), QStringList{QStringLiteral("cannot draw the highlights")});
        QVERIFY(!window_->bBusy());
        QVERIFY(window_->isVisible());
        QCOMPARE(Q(Editor(1)->Text()), QStringLiteral("The cat sat on the mat."));
        QCOMPARE(Q(Editor(2)->Text()), QStringLiteral("A dog Sat on THE mat today."));
        // Edits are handled again, and the next comparison works.
        Editor(1)->setFocus();
        QTest::keyClick(Editor(1), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(Editor(1), QStringLiteral(" Yes"));
        QCOMPARE(Counts(1), QStringLiteral("7 2 1"));
        window_->probe = TProbedWindow::TProbe::None;
        Click(QStringLiteral("btnCompareEx"));
        QCOMPARE(Find<TNumericField>(QStringLiteral("edtDuplicate"))->text(), QStringLiteral("57"));
    }

    void pastingTenMegabytesKeepsTheWindowUsable()
    {
        // 100,000 lines of five four-word sentences: 10,000,000 characters.
        const QString line = QStringLiteral("One two three four. ").repeated(5).chopped(1) + u'\n';
        Paste(1, line.repeated(100'000));
        QCOMPARE(Counts(1), QStringLiteral("2000000 500000 100000"));
        QTest::keyClick(Editor(1), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(Editor(1), Qt::Key_A);
        QCOMPARE(Counts(1), QStringLiteral("2000001 500001 100001"));
    }

    void editsDuringACompareAreIgnored()
    {
        Paste(1, QStringLiteral("The cat sat on the mat."));
        Paste(2, QStringLiteral("A dog Sat on THE mat today."));
        TypeInto(Find(QStringLiteral("minNumWords")), QStringLiteral("3"));
        window_->probe = TProbedWindow::TProbe::EditWhileBusy;
        Click(QStringLiteral("btnCompareEx"));
        QCOMPARE(Q(window_->sText1()), QStringLiteral("The cat sat on the mat."));
        QCOMPARE(Counts(1), QStringLiteral("6 1 1"));
        QCOMPARE(Counts(2), QStringLiteral("7 1 1"));
        // The rendering rebuilds each editor from its stored text.
        QCOMPARE(Q(Editor(1)->Text()), QStringLiteral("The cat sat on the mat."));
        QCOMPARE(Find<TNumericField>(QStringLiteral("edtDuplicate"))->text(), QStringLiteral("57"));
    }

    void deleteAllEmptiesOneEditor()
    {
        Paste(1, QStringLiteral("one two"));
        Paste(2, QStringLiteral("three"));
        Find<QLineEdit>(QStringLiteral("edtKw1"))->setText(QStringLiteral("one"));
        Click(QStringLiteral("btnCalculateKwDensity1"));
        Click(QStringLiteral("btnClear1"));
        QCOMPARE(Q(Editor(1)->Text()), QString());
        QCOMPARE(Counts(1), QStringLiteral("0 0 0"));
        QCOMPARE(Counts(2), QStringLiteral("1 1 1"));
        QCOMPARE(Find<QLineEdit>(QStringLiteral("edtKw1"))->text(), QStringLiteral("one"));
        QCOMPARE(Field(QStringLiteral("edtDensTotal1"))->text(), QStringLiteral("1"));
        Click(QStringLiteral("btnClear1"));
        QCOMPARE(Q(Editor(1)->Text()), QString());
    }
};

GLENVARY_UI_TEST_MAIN(TfrmMainTest)
#include "frmmain_test.moc"
