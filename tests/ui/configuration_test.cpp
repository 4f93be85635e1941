// SPDX-License-Identifier: MIT
// The window applying a program folder's configuration, and the clicks that
// open its addresses. Which banner and links the configuration picks is
// tested with the loader itself.
#include "platform/url_opener.h"
#include "support/gzip.h"
#include "ui/frmmain.h"
#include "uitest.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <QMap>

#include <memory>

using glenvary::ui::TfrmMain;
using glenvary::uitest::FindControl;
using glenvary::uitest::TakeReportedErrors;

namespace {

// Files to write into the program folder: name and bytes.
using TFiles = QMap<QString, QByteArray>;

// Records the addresses instead of starting programs.
class TRecordingOpener final : public glenvary::platform::TUrlOpener {
public:
    bool OpenInBrowser(const std::string& url) override
    {
        opened.append(QStringLiteral("browser ") + QString::fromStdString(url));
        return true;
    }
    bool OpenDefault(const std::string& url) override
    {
        opened.append(QStringLiteral("default ") + QString::fromStdString(url));
        return true;
    }
    QStringList opened;
};

} // namespace

class TConfigurationTest : public QObject {
    Q_OBJECT

private:
    // A fresh program folder for each test.
    std::unique_ptr<QTemporaryDir> folder_;
    std::shared_ptr<TRecordingOpener> opener_;

    void Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(folder_->filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    std::unique_ptr<TfrmMain> Open() const
    {
        glenvary::ui::TStartup startup;
        startup.programFolder = folder_->path().toStdString();
        startup.draw = [](int) { return 0; };
        startup.urlOpener = opener_;
        return std::make_unique<TfrmMain>(nullptr, startup);
    }
    void Click(QWidget* target) const { QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(2, 2)); }

private Q_SLOTS:
    void init()
    {
        folder_ = std::make_unique<QTemporaryDir>();
        opener_ = std::make_shared<TRecordingOpener>();
    }
    void cleanup() { QVERIFY2(TakeReportedErrors().isEmpty(), "unexpected error report"); }

    void appliesTheConfigurationAndOpensItsAddresses()
    {
        Write(QStringLiteral("dbconfig.dat"), "[settings]\r\nappname = 'Ann Checker'\r\nAfiliateID=abc\r\n"
                                              "BannerPath1=C:\\ads\\spring.bmp\r\nBannerURL1=https://ads.test/\r\n"
                                              "Link1URL=https://one.test/\r\nLink1Name=One\r\n");
        QImage picture(100, 60, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QVERIFY(picture.save(folder_->filePath(QStringLiteral("dbimg1.dat")), "BMP"));
        const auto window = Open();
        window->show();
        QCOMPARE(window->windowTitle(), QStringLiteral("Ann Checker"));
        auto* banner = FindControl<QLabel>(*window, QStringLiteral("imgBanner"));
        QVERIFY(banner->isVisible());
        QCOMPARE(FindControl(*window, QStringLiteral("panBanner"))->height(), 70);
        QCOMPARE(banner->cursor().shape(), Qt::PointingHandCursor);
        auto* link1 = FindControl<QLabel>(*window, QStringLiteral("lblLink1URL"));
        auto* link2 = FindControl<QLabel>(*window, QStringLiteral("lblLink2URL"));
        QCOMPARE(link1->text(), QStringLiteral("One"));
        QCOMPARE(link2->text(), QString());
        Click(banner);
        Click(FindControl(*window, QStringLiteral("btnMakeMoney")));
        Click(link1);
        Click(link2);
        QCOMPARE(opener_->opened, (QStringList{QStringLiteral("browser https://ads.test/"),
                                               QStringLiteral("browser https://glenvary.example.comabc"),
                                               QStringLiteral("default https://one.test/")}));
        // The stored picture is read where it is, never renamed.
        QVERIFY(QFile::exists(folder_->filePath(QStringLiteral("dbimg1.dat"))));
        QVERIFY(!QFile::exists(folder_->filePath(QStringLiteral("spring.bmp"))));
    }

    void aDamagedBannerIsReportedAndTheRestStillApplies()
    {
        Write(QStringLiteral("dbconfig.dat"), "[Settings]\nBannerPath1=a.jpg\nLink1URL=https://one.test/\n");
        Write(QStringLiteral("dbimg1.dat"), "not a picture");
        const auto window = Open();
        window->show();
        QVERIFY(!FindControl(*window, QStringLiteral("panBanner"))->isVisible());
        QCOMPARE(TakeReportedErrors().size(), 1);
        Click(FindControl(*window, QStringLiteral("lblLink1URL")));
        QCOMPARE(opener_->opened, QStringList{QStringLiteral("default https://one.test/")});
    }

    // What each configuration applies, and what it reports once, word for
    // word; the caption and a link show that the rest still applies.
    void appliesWhatItCanAndReportsTheRest_data()
    {
        QTest::addColumn<QByteArray>("ini"); // empty: no dbconfig.dat
        QTest::addColumn<TFiles>("files");
        QTest::addColumn<QString>("sheet"); // empty: the built-in skin
        QTest::addColumn<QStringList>("reports"); // the program folder as <dir>
        const QByteArray ini = "[Settings]\nAppName=Branded\nLink1URL=https://one.test/\nLink1Name=One\n";
        const QByteArray sheet = "QLabel { color: red; }";
        const QByteArray packed = QByteArray::fromStdString(glenvary::test::Gzip(sheet.toStdString()));
        QTest::newRow("no configuration: the built-in skin, dbskin.dat not looked at")
            << QByteArray() << TFiles{{QStringLiteral("dbskin.dat"), packed}} << QString() << QStringList();
        QTest::newRow("no dbskin.dat: the built-in skin") << ini << TFiles() << QString() << QStringList();
        QTest::newRow("dbskin.dat replaces the built-in skin")
            << ini << TFiles{{QStringLiteral("dbskin.dat"), packed}} << QString::fromLatin1(sheet) << QStringList();
        QTest::newRow("a dbskin.dat that is not gzip keeps the built-in skin")
            << ini << TFiles{{QStringLiteral("dbskin.dat"), sheet}} << QString()
            << QStringList{QStringLiteral("cannot use skin <dir>/dbskin.dat: not a gzip-compressed file")};
    }
    void appliesWhatItCanAndReportsTheRest()
    {
        QFETCH(QByteArray, ini);
        QFETCH(TFiles, files);
        QFETCH(QString, sheet);
        QFETCH(QStringList, reports);
        if (!ini.isEmpty()) {
            Write(QStringLiteral("dbconfig.dat"), ini);
        }
        for (auto file = files.cbegin(); file != files.cend(); ++file) {
            Write(file.key(), file.value());
        }
        const auto window = Open();
        window->show();
        QStringList reported = TakeReportedErrors();
        reported.replaceInStrings(QDir(folder_->path()).canonicalPath(), QStringLiteral("<dir>"));
        reported.replaceInStrings(folder_->path(), QStringLiteral("<dir>"));
        QCOMPARE(reported, reports);
        QCOMPARE(window->styleSheet(), sheet.isEmpty() ? glenvary::ui::BuiltInSkin() : sheet);
        // The controls keep the window's font whatever the skin styles.
        QCOMPARE(FindControl(*window, QStringLiteral("lblWords1"))->font().pixelSize(), window->font().pixelSize());
        if (!ini.isEmpty()) {
            QCOMPARE(window->windowTitle(), QStringLiteral("Branded"));
            QCOMPARE(FindControl<QLabel>(*window, QStringLiteral("lblLink1URL"))->text(), QStringLiteral("One"));
        }
    }

    void withoutAConfigurationTheWindowStaysAsBuilt()
    {
        const auto window = Open();
        window->show();
        QCOMPARE(window->windowTitle(), QStringLiteral("Glenvary"));
        QVERIFY(FindControl(*window, QStringLiteral("panBanner"))->isVisible());
        QCOMPARE(FindControl<QLabel>(*window, QStringLiteral("lblLink1URL"))->text(), QStringLiteral("Google"));
        Click(FindControl(*window, QStringLiteral("imgBanner")));
        QVERIFY(opener_->opened.isEmpty());
    }
};

GLENVARY_UI_TEST_MAIN(TConfigurationTest)
#include "configuration_test.moc"
