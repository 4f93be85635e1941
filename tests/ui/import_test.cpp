// SPDX-License-Identifier: MIT
// Import, drag and drop, Delete All and Save Report in the window: which
// side reads which file, how, what is saved where, and what a failure
// leaves behind. The readers and the report writers are tested on their own.
#include "report/html_writer.h"
#include "report/json_writer.h"
#include "report/report.h"
#include "report/text_writer.h"
#include "ui/frmmain.h"
#include "ui/numericfield.h"
#include "uitest.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <optional>
#include <sstream>

#include <sys/stat.h>

using glenvary::ui::TArticleEditor;
using glenvary::ui::TfrmMain;
using glenvary::ui::TNumericField;
using glenvary::uitest::Q;
using glenvary::uitest::ReadLooks;
using glenvary::uitest::TakeReportedErrors;
using glenvary::uitest::TakeReportedWarnings;

namespace {

constexpr int kReadTimeoutMs = 30000;
const char* const kBoldRtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 plain \\b bold\\b0  end\\par}";

} // namespace

class TImportTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TfrmMain> window_;
    QTemporaryDir dir_;
    // What the replaced dialog was asked and will answer.
    QStringList dialogFolders_;
    std::optional<QString> dialogAnswer_;

    template <typename T = QWidget>
    T* Find(const QString& name) const
    {
        return glenvary::uitest::FindControl<T>(*window_, name);
    }
    TArticleEditor* Editor(int side) const { return Find<TArticleEditor>(QStringLiteral("rchArticle%1").arg(side)); }
    QString Counts(int side) const { return glenvary::uitest::SideCounts(*window_, side); }
    QString Write(const QString& name, const QByteArray& bytes) const
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            qFatal("cannot write %s", qPrintable(path));
        }
        return path;
    }
    // Presses Import on `side` with the dialog answering `path`, and waits
    // for the read to end.
    void Import(int side, const std::optional<QString>& path)
    {
        dialogAnswer_ = path;
        QSignalSpy ended(window_.get(), &TfrmMain::ImportEnded);
        QTest::mouseClick(Find(QStringLiteral("btnImport%1").arg(side)), Qt::LeftButton);
        if (path) {
            QVERIFY(ended.wait(kReadTimeoutMs));
            QCOMPARE(ended.at(0).at(0).toInt(), side);
        }
    }
    bool AnyBold(int side) const
    {
        const auto looks = ReadLooks(*Editor(side)->document());
        return std::any_of(looks.begin(), looks.end(), [](const auto& look) { return look.bold; });
    }

private Q_SLOTS:
    void init()
    {
        window_ = std::make_unique<TfrmMain>();
        dialogFolders_.clear();
        window_->SetOpenDialog([this](QWidget*, const QString& title, const QString& folder) {
            if (title != QStringLiteral("Open file")) {
                qFatal("the open dialog is titled %s", qPrintable(title));
            }
            dialogFolders_.append(folder);
            return dialogAnswer_;
        });
        window_->show();
    }
    void cleanup()
    {
        window_.reset();
        QVERIFY2(glenvary::uitest::NothingReported(), "unexpected report");
    }

    void importReadsTheFileIntoThatSide_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QString>("counts");
        QTest::newRow("text file, side 1") << 1 << "notes.txt" << QByteArray("one two\r\nthree")
                                           << "one two\nthree" << false << "3 2 2";
        QTest::newRow("text named NOTES.DOC, side 2") << 2 << "NOTES.DOC" << QByteArray("one two\r\nthree")
                                                      << "one two\nthree" << false << "3 2 2";
        QTest::newRow("rich text keeps its looks") << 1 << "styled.rtf" << QByteArray(kBoldRtf) << "plain bold end"
                                                   << true << "3 1 1";
        QTest::newRow("rich text named .doc loses them") << 2 << "styled.doc.rtf" << QByteArray(kBoldRtf)
                                                         << "plain bold end" << false << "3 1 1";
    }
    void importReadsTheFileIntoThatSide()
    {
        QFETCH(int, side);
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(bool, bold);
        QFETCH(QString, counts);
        Editor(3 - side)->SetText(u"other side");
        Import(side, Write(name, bytes));
        QCOMPARE(Q(Editor(side)->Text()), text);
        QCOMPARE(AnyBold(side), bold);
        QCOMPARE(Counts(side), counts);
        QCOMPARE(Editor(side)->SelectionStart(), 0);
        QCOMPARE(Q(Editor(3 - side)->Text()), QStringLiteral("other side"));
    }

    void dialogOpensWhereTheLastFileWasChosen()
    {
        Import(1, std::nullopt);
        QCOMPARE(dialogFolders_.value(0), QCoreApplication::applicationDirPath());
        QVERIFY(QDir().mkpath(dir_.filePath(QStringLiteral("sub"))));
        Import(2, Write(QStringLiteral("sub/a.txt"), "a"));
        Import(1, std::nullopt);
        QCOMPARE(dialogFolders_.value(2), dir_.filePath(QStringLiteral("sub")));
    }

    void cancelLeavesTheEditorUntouched()
    {
        Editor(1)->SetText(u"keep me");
        Import(1, std::nullopt);
        QCOMPARE(Q(Editor(1)->Text()), QStringLiteral("keep me"));
        QVERIFY(!window_->IsImporting(1));
    }

    void failedImportLeavesTheEditorEmptyAndReportsOnce_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("picture") << "photo.png" << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)
                                 << "not a text file or a document this program can read";
        QTest::newRow("vanished file") << "" << QByteArray() << "No such file or directory";
    }
    void failedImportLeavesTheEditorEmptyAndReportsOnce()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString path = name.isEmpty() ? dir_.filePath(QStringLiteral("gone.txt")) : Write(name, bytes);
        Editor(1)->SetText(u"old text");
        Import(1, path);
        QCOMPARE(Q(Editor(1)->Text()), QString());
        QCOMPARE(Counts(1), QStringLiteral("0 0 0"));
        QCOMPARE(TakeReportedWarnings(), QStringList{QStringLiteral("cannot read ") + path + QStringLiteral(": ")
                                                     + reason
                                                     + QStringLiteral(".\nArticle 1 is empty; Ctrl+Z brings its "
                                                                      "text back.")});
        QTest::keyClick(Editor(1), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Q(Editor(1)->Text()), QStringLiteral("old text"));
    }

    // Whatever empties a side, one Ctrl+Z brings back the text it held,
    // with its looks.
    void ctrlZBringsBackWhatEachEmptyingReplaced_data()
    {
        QTest::addColumn<QString>("emptying");
        QTest::newRow("import") << "import";
        QTest::newRow("import of plain text in one piece") << "import notes.doc.txt";
        QTest::newRow("delete all") << "delete all";
    }
    void ctrlZBringsBackWhatEachEmptyingReplaced()
    {
        QFETCH(QString, emptying);
        Import(2, Write(QStringLiteral("styled.rtf"), kBoldRtf));
        if (emptying == QLatin1String("delete all")) {
            QTest::mouseClick(Find(QStringLiteral("btnClear2")), Qt::LeftButton);
        } else {
            const QString name = emptying.section(u' ', 1).isEmpty() ? QStringLiteral("new.txt") : emptying.section(u' ', 1);
            // A typographic apostrophe, which the side rewrites at once.
            Import(2, Write(name, "it\xE2\x80\x99s new"));
            QCOMPARE(Q(Editor(2)->Text()), QStringLiteral("it's new"));
        }
        QTest::keyClick(Editor(2), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Q(Editor(2)->Text()), QStringLiteral("plain bold end"));
        QVERIFY(AnyBold(2));
        QCOMPARE(Counts(2), QStringLiteral("3 1 1"));
    }

    void sideWaitsForItsReadAndTakesNoSecond()
    {
        const QString first = Write(QStringLiteral("first.txt"), "first");
        const QString second = Write(QStringLiteral("second.txt"), "second");
        QSignalSpy ended(window_.get(), &TfrmMain::ImportEnded);
        window_->ImportFile(2, first);
        QVERIFY(window_->IsImporting(2));
        QVERIFY(!Find(QStringLiteral("btnImport2"))->isEnabled());
        QVERIFY(Editor(2)->isReadOnly());
        QVERIFY(Find(QStringLiteral("btnImport1"))->isEnabled());
        window_->ImportFile(2, second);
        QVERIFY(ended.wait(kReadTimeoutMs));
        QCoreApplication::processEvents();
        QCOMPARE(ended.count(), 1);
        QCOMPARE(Q(Editor(2)->Text()), QStringLiteral("first"));
        QVERIFY(Find(QStringLiteral("btnImport2"))->isEnabled());
        QVERIFY(!Editor(2)->isReadOnly());
    }

    void droppingAFileImportsItIntoThatSide()
    {
        const QString path = Write(QStringLiteral("dropped.txt"), "dropped words");
        QSignalSpy ended(window_.get(), &TfrmMain::ImportEnded);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QWidget* target = Editor(2)->viewport();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QVERIFY(ended.wait(kReadTimeoutMs));
        QCOMPARE(Q(Editor(2)->Text()), QStringLiteral("dropped words"));
        QCOMPARE(Counts(2), QStringLiteral("2 1 1"));
    }

    // What can be told without reading is refused before the editor is
    // emptied: a pipe would hold the read up forever.
    void filesRefusedUnreadLeaveTheArticleAsItWas_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("above the import limit") << "large" << "larger than 64 MiB";
        QTest::newRow("a named pipe") << "pipe" << "it is a named pipe, not a file";
        QTest::newRow("a folder") << "folder" << "Is a directory";
    }
    void filesRefusedUnreadLeaveTheArticleAsItWas()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QString path = dir_.filePath(kind);
        if (kind == QLatin1String("large")) {
            QVERIFY(QFile::resize(Write(kind, ""), 64LL * 1024 * 1024 + 1));
        } else if (kind == QLatin1String("pipe")) {
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else {
            QVERIFY(QDir().mkpath(path));
        }
        Editor(1)->SetText(u"kept");
        Import(1, path);
        QCOMPARE(TakeReportedWarnings(),
                 QStringList{QStringLiteral("cannot read %1: %2.\nArticle 1 is left as it was.").arg(path, reason)});
        QCOMPARE(Q(Editor(1)->Text()), QStringLiteral("kept"));
        QVERIFY(!window_->IsImporting(1));
    }

    void aParagraphOfTooManyLooksIsShownPlainAndSaysSo()
    {
        QByteArray rtf("{\\rtf1\\ansi\\f0 plain \\b bold\\b0\\par\n");
        for (int i = 0; i <= 20'000; ++i) {
            rtf += "\\b x\\b0 y ";
        }
        rtf += "\\par}";
        Import(2, Write(QStringLiteral("crowded.rtf"), rtf));
        QCOMPARE(TakeReportedWarnings(),
                 QStringList{QStringLiteral("crowded.rtf is in Article 2 without part of its formatting: 1 paragraph "
                                            "holds more than 20000 differently formatted stretches, more than the "
                                            "window lays out quickly, and is shown plain.")});
        QCOMPARE(Counts(2), QStringLiteral("20003 2 2"));
        // The first paragraph keeps its bold word.
        const auto looks = ReadLooks(*Editor(2)->document());
        QCOMPARE(std::count_if(looks.begin(), looks.end(), [](const auto& look) { return look.bold; }), 4);
    }

    void saveWritesTheReportOfWhatIsOnScreen_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("error");
        // name: what the dialog answers, empty for Cancel; format: the
        // writer whose output the file must hold, empty for no file.
        QTest::newRow("cancelled") << "Ctrl+S" << "" << "" << "";
        QTest::newRow("web page") << "Ctrl+S" << "report.html" << "html" << "";
        QTest::newRow("web page without an extension") << "menu 1" << "report" << "html" << "";
        QTest::newRow("JSON by its extension") << "menu 2" << "report.JSON" << "json" << "";
        QTest::newRow("text by its extension") << "menu 1" << "report.txt" << "text" << "";
        QTest::newRow("into a missing folder") << "Ctrl+S" << "missing/report.html" << ""
                                               << "The report was not saved: cannot write %1: No such file or "
                                                  "directory.";
    }
    void saveWritesTheReportOfWhatIsOnScreen()
    {
        QFETCH(QString, trigger);
        QFETCH(QString, name);
        QFETCH(QString, format);
        QFETCH(QString, error);
        const QTemporaryDir folder;
        const QString path = folder.filePath(name);
        const std::u16string text1 = u"The cat sat on the mat. It was warm.";
        const std::u16string text2 = u"A dog Sat on THE mat today. It was warm.";
        Editor(1)->SetText(text1);
        Editor(2)->SetText(text2);
        Find<QSpinBox>(QStringLiteral("minNumWords"))->setValue(2);
        Find<QComboBox>(QStringLiteral("cbxType"))->setCurrentIndex(1);
        int asked = 0;
        window_->SetSaveDialog([&](QWidget*, const QString&, const QString&) -> std::optional<QString> {
            ++asked;
            return name.isEmpty() ? std::nullopt : std::optional<QString>(path);
        });
        if (trigger == QLatin1String("Ctrl+S")) {
            // From any control of the window; shortcuts go to the active one.
            QVERIFY(QTest::qWaitForWindowActive(window_.get()));
            Find(QStringLiteral("edtKw1"))->setFocus();
            QTest::keyClick(Find(QStringLiteral("edtKw1")), Qt::Key_S, Qt::ControlModifier);
        } else {
            const std::unique_ptr<QMenu> menu(Editor(trigger.back().digitValue())->ContextMenu(QPoint()));
            const QList<QAction*> actions = menu->actions();
            const auto save = std::find_if(actions.begin(), actions.end(), [](const QAction* action) {
                return action->text() == QStringLiteral("Save Report...");
            });
            QVERIFY(save != actions.end());
            (*save)->trigger();
        }
        QCOMPARE(asked, 1);
        const QStringList errors = error.isEmpty() ? QStringList() : QStringList{error.arg(path)};
        QCOMPARE(TakeReportedWarnings(), errors);
        const QStringList written =
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        if (format.isEmpty()) {
            QCOMPARE(written, QStringList());
            return;
        }
        QCOMPARE(written, QStringList{name});
        namespace report = glenvary::report;
        const report::TCompareReport compared =
            report::CompareArticles(text1, text2, {glenvary::core::ukSentences, 2}, {"Article 1", "Article 2"});
        std::ostringstream expected;
        if (format == QLatin1String("json")) {
            report::WriteCompareJson(expected, compared);
        } else if (format == QLatin1String("text")) {
            report::WriteCompareText(expected, compared);
        } else {
            report::WriteCompareHtml(expected, compared);
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray::fromStdString(expected.str()));
    }

    // An imported article is named by its file, typed text by its side.
    void savedReportNamesTheArticlesByTheirFiles()
    {
        Import(1, Write(QStringLiteral("first.txt"), "The cat sat on the mat."));
        Editor(2)->SetText(u"A dog sat on the mat.");
        const QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("r.json"));
        window_->SetSaveDialog([&](QWidget*, const QString&, const QString&) { return std::optional<QString>(path); });
        window_->SaveReport();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray json = file.readAll();
        QVERIFY2(json.contains("{\"name\":\"first.txt\",") && json.contains("{\"name\":\"Article 2\","),
                 json.constData());
    }

    void deleteAllAlwaysRewritesTheCounts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty editor") << QString();
        QTest::newRow("full editor") << QStringLiteral("one two. three");
    }
    void deleteAllAlwaysRewritesTheCounts()
    {
        QFETCH(QString, text);
        Editor(2)->SetText(glenvary::uitest::U16(text));
        auto* words = Find<TNumericField>(QStringLiteral("edtWords2"));
        words->setFocus();
        words->selectAll();
        QTest::keyClicks(words, QStringLiteral("42"));
        QTest::mouseClick(Find(QStringLiteral("btnClear2")), Qt::LeftButton);
        QCOMPARE(Q(Editor(2)->Text()), QString());
        QCOMPARE(Counts(2), QStringLiteral("0 0 0"));
    }
};

GLENVARY_UI_TEST_MAIN(TImportTest)
#include "import_test.moc"
