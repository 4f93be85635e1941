// SPDX-License-Identifier: MIT
// The window applying a program folder's configuration, and the clicks that
// open its addresses. Which banner and links the configuration picks is
// tested with the loader itself.
#include "platform/url_opener.h"
#include "support/gzip.h"
#include "ui/frmmain.h"
#include "uitest.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWindow>

#include <QMap>

#include <memory>

using glenvary::ui::TfrmMain;
using glenvary::uitest::FindControl;
using glenvary::uitest::TakeReportedErrors;
using glenvary::uitest::TakeReportedWarnings;

namespace {

// Files to write into the program folder: name and bytes.
using TFiles = QMap<QString, QByteArray>;

void PutLittleEndian(QByteArray& bytes, quint32 value, int size)
{
    for (int i = 0; i < size; ++i) {
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xFFU));
    }
}

// A GIF of `frames` frames of `frame` x `frame` pixels (the data of one),
// each shown for 10 ms, on a logical screen of `side` x `side` pixels;
// decoding a frame allocates both.
QByteArray Gif(quint32 side, int frames, quint32 frame = 1)
{
    QByteArray bytes("GIF89a");
    PutLittleEndian(bytes, side, 2);
    PutLittleEndian(bytes, side, 2);
    bytes.append(QByteArray::fromHex("800000" "000000ffffff"));
    QByteArray image = QByteArray::fromHex("21f9040001000000" "2c00000000");
    PutLittleEndian(image, frame, 2);
    PutLittleEndian(image, frame, 2);
    image.append(QByteArray::fromHex("00" "02" "02440100"));
    for (int i = 0; i < frames; ++i) {
        bytes.append(image);
    }
    bytes.append(';');
    return bytes;
}

// Records the addresses instead of starting programs.
class TRecordingOpener final : public glenvary::platform::TUrlOpener {
public:
    bool OpenInBrowser(const std::string& url) override
    {
        opened.append(QStringLiteral("browser ") + QString::fromStdString(url));
        return true;
    }
    // An address the desktop could not open opens nothing.
    bool OpenDefault(const std::string& url) override
    {
        if (!glenvary::platform::NormaliseWebAddress(url)) {
            return false;
        }
        opened.append(QStringLiteral("default ") + QString::fromStdString(url));
        return true;
    }
    QStringList opened;
};

// A GIF of two 1 x 1 frames, 20 ms each, on a 3 x 2 screen, without the
// extension that asks for a loop: by itself it plays once.
QByteArray PlayOnceGif()
{
    const QByteArray frame0 = QByteArray::fromHex("21f90400020000002c00000000010001000002024401" "00");
    const QByteArray frame1 = QByteArray::fromHex("21f90400020000002c00000000010001000002024c01" "00");
    return QByteArray::fromHex("474946383961" "0300" "0200" "800000" "000000ffffff") + frame0 + frame1 + "\x3b";
}

// The 54-byte header of a 24-bit bitmap of `width` x `height` pixels, with
// none of the pixels it announces.
QByteArray BitmapHeader(qint32 width, qint32 height)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("BM", 2);
    out << quint32(54) << quint32(0) << quint32(54) << quint32(40) << width << height << quint16(1) << quint16(24)
        << quint32(0) << quint32(0) << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
    return bytes;
}

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
    void Click(QWidget* target, Qt::MouseButton button = Qt::LeftButton) const
    {
        QTest::mouseClick(target, button, {}, QPoint(2, 2));
    }
    // The lines of the one warning that the start-up gathered, after its
    // heading; none without a warning.
    static QStringList StartupProblems()
    {
        QCoreApplication::processEvents();
        const QStringList warnings = TakeReportedWarnings();
        if (warnings.size() > 1) {
            qWarning("%lld warnings instead of one", static_cast<long long>(warnings.size()));
            return warnings;
        }
        return warnings.isEmpty() ? QStringList() : warnings.constFirst().split(u'\n').mid(1);
    }

private Q_SLOTS:
    void init()
    {
        folder_ = std::make_unique<QTemporaryDir>();
        opener_ = std::make_shared<TRecordingOpener>();
    }
    void cleanup() { QVERIFY2(glenvary::uitest::NothingReported(), "unexpected report"); }

    void appliesTheConfigurationAndOpensItsAddresses()
    {
        Write(QStringLiteral("dbconfig.dat"), "[settings]\r\nappname = 'Ann [*] <b>Checker</b>'\r\nAfiliateID=abc\r\n"
                                              "BannerPath1=C:\\ads\\spring.bmp\r\nBannerURL1=https://ads.test/\r\n"
                                              "Link1URL=https://one.test/\r\nLink1Name=<i>One</i> [*]\r\n");
        QImage picture(100, 60, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QVERIFY(picture.save(folder_->filePath(QStringLiteral("dbimg1.dat")), "BMP"));
        const auto window = Open();
        window->show();
        // Captions are shown and read as written, never as markup or Qt's
        // placeholder.
        QCOMPARE(window->windowHandle()->title(), QStringLiteral("Ann [*] <b>Checker</b>"));
        QCOMPARE(window->accessibleName(), QStringLiteral("Ann [*] <b>Checker</b>"));
        auto* banner = FindControl<QLabel>(*window, QStringLiteral("imgBanner"));
        QVERIFY(banner->isVisible());
        QCOMPARE(FindControl(*window, QStringLiteral("panBanner"))->height(), 70);
        QCOMPARE(banner->cursor().shape(), Qt::PointingHandCursor);
        auto* link1 = FindControl<QLabel>(*window, QStringLiteral("lblLink1URL"));
        auto* link2 = FindControl<QLabel>(*window, QStringLiteral("lblLink2URL"));
        QCOMPARE(link1->text(), QStringLiteral("<i>One</i> [*]"));
        QCOMPARE(link1->textFormat(), Qt::PlainText);
        QCOMPARE(link1->accessibleName(), QStringLiteral("<i>One</i> [*]"));
        QCOMPARE(link2->text(), QString());
        // Only the primary button opens an address.
        for (const Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton}) {
            Click(banner, other);
            Click(link1, other);
        }
        QVERIFY(opener_->opened.isEmpty());
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

    // What each configuration applies, and what it reports once, word for
    // word; the caption and a link show that the rest still applies.
    void appliesWhatItCanAndReportsTheRest_data()
    {
        QTest::addColumn<QByteArray>("ini"); // empty: no dbconfig.dat
        QTest::addColumn<TFiles>("files");
        // The banner control shown, "hidden" (the panel) or "as built".
        QTest::addColumn<QString>("banner");
        QTest::addColumn<QString>("sheet"); // empty: the built-in skin
        QTest::addColumn<QStringList>("reports"); // the program folder as <dir>
        const QByteArray ini = "[Settings]\nAppName=Branded\nLink1URL=https://one.test/\nLink1Name=One\n";
        const QByteArray sheet = "QLabel { color: red; }";
        const QByteArray packed = QByteArray::fromStdString(glenvary::test::Gzip(sheet.toStdString()));
        const QString hidden = QStringLiteral("hidden");
        QTest::newRow("no configuration: the built-in skin, dbskin.dat not looked at")
            << QByteArray() << TFiles{{QStringLiteral("dbskin.dat"), packed}} << QStringLiteral("as built") << QString()
            << QStringList();
        QTest::newRow("no dbskin.dat: the built-in skin") << ini << TFiles() << hidden << QString() << QStringList();
        QTest::newRow("dbskin.dat replaces the built-in skin")
            << ini << TFiles{{QStringLiteral("dbskin.dat"), packed}} << hidden << QString::fromLatin1(sheet)
            << QStringList();
        QTest::newRow("a dbskin.dat that is not gzip keeps the built-in skin")
            << ini << TFiles{{QStringLiteral("dbskin.dat"), sheet}} << hidden << QString()
            << QStringList{QStringLiteral("cannot use skin <dir>/dbskin.dat: not a gzip-compressed file")};
        QTest::newRow("every problem in one warning, one line each")
            << ini + "BannerPath1=a.jpg\nLink2URL=http://\nIconPath=C:\\i\\logo.png\n"
            << TFiles{{QStringLiteral("dbskin.dat"), sheet}, {QStringLiteral("dbimg1.dat"), "not a picture"},
                      {QStringLiteral("logo.png"), "not a picture"}}
            << hidden << QString()
            << QStringList{
                   QStringLiteral("cannot show the banner a.jpg (stored as dbimg1.dat): not a picture in the format "
                                  "its name gives"),
                   QStringLiteral("the second footer link (Link2URL) is not a web address: http://"),
                   QStringLiteral("cannot use skin <dir>/dbskin.dat: not a gzip-compressed file"),
                   QStringLiteral("cannot use the icon C:\\i\\logo.png (stored as <dir>/logo.png): not a picture "
                                  "this program can read")};
        QTest::newRow("a banner without its stored file")
            << ini + "BannerPath1=a.jpg\n" << TFiles() << hidden << QString()
            << QStringList{QStringLiteral("cannot show the banner a.jpg: its stored file <dir>/dbimg1.dat is missing")};
        QTest::newRow("a GIF banner animates")
            << ini + "BannerPath1=C:\\ads\\Promo.GIF\n" << TFiles{{QStringLiteral("dbimg1.dat"), PlayOnceGif()}}
            << QStringLiteral("gifBanner") << QString() << QStringList();
        QTest::newRow("a damaged banner hides the panel")
            << ini + "BannerPath1=a.jpg\n" << TFiles{{QStringLiteral("dbimg1.dat"), "not a picture"}} << hidden
            << QString()
            << QStringList{QStringLiteral(
                   "cannot show the banner a.jpg (stored as dbimg1.dat): not a picture in the format its name gives")};
        QTest::newRow("a banner claiming 5000 x 5000 pixels is refused unread")
            << ini + "BannerPath1=big.bmp\n" << TFiles{{QStringLiteral("dbimg1.dat"), BitmapHeader(5000, 5000)}}
            << hidden << QString()
            << QStringList{
                   QStringLiteral("cannot show the banner big.bmp (stored as dbimg1.dat): larger than 4096 x 4096 pixels")};
    }
    void appliesWhatItCanAndReportsTheRest()
    {
        QFETCH(QByteArray, ini);
        QFETCH(TFiles, files);
        QFETCH(QString, banner);
        QFETCH(QString, sheet);
        QFETCH(QStringList, reports);
        if (!ini.isEmpty()) {
            Write(QStringLiteral("dbconfig.dat"), ini);
        }
        for (auto file = files.cbegin(); file != files.cend(); ++file) {
            Write(file.key(), file.value());
        }
        const auto window = Open();
        // Nothing before the window shows: a box would stand in its place.
        QVERIFY(TakeReportedWarnings().isEmpty());
        window->show();
        QStringList reported = StartupProblems();
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
        const QWidget* panel = FindControl(*window, QStringLiteral("panBanner"));
        QCOMPARE(panel->isVisible(), banner != QStringLiteral("hidden"));
        if (banner.endsWith(QStringLiteral("Banner"))) {
            const auto* shown = FindControl<QLabel>(*window, banner);
            QVERIFY(shown->isVisible());
            QVERIFY(!FindControl(*window, banner.startsWith(u'i') ? QStringLiteral("gifBanner")
                                                                   : QStringLiteral("imgBanner"))
                         ->isVisible());
            QCOMPARE(panel->height(), shown->height() + 10);
        }
        if (banner == QStringLiteral("gifBanner")) {
            QMovie* movie = FindControl<QLabel>(*window, banner)->movie();
            QVERIFY(movie != nullptr);
            QCOMPARE(FindControl(*window, banner)->size(), QSize(3, 2));
            // The file plays once; the banner starts it over.
            QSignalSpy ended(movie, &QMovie::finished);
            QVERIFY(ended.wait(5000));
            QCOMPARE(movie->state(), QMovie::Running);
        }
    }

    void refusesABannerTooLargeToDecode_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("picture");
        // A header chunk claiming 30,000 x 30,000 RGBA pixels, an empty data
        // chunk and the end chunk, with their checksums (made by zlib's crc32).
        QTest::addRow("picture") << QStringLiteral("big.png")
                                 << QByteArray::fromHex("89504e470d0a1a0a0000000d494844520000753000007530"
                                                        "08060000006627f8ba000000004944415435af061e"
                                                        "0000000049454e44ae426082");
        QTest::addRow("animation") << QStringLiteral("big.gif") << Gif(30000, 1);
        QTest::addRow("animation with a frame beyond its small screen")
            << QStringLiteral("frame.gif") << Gif(10, 3, 30000);
        // A one-pixel grey photograph whose frame header says 30,000 x 30,000.
        QTest::addRow("photograph") << QStringLiteral("big.jpg")
                                    << QByteArray::fromHex(
                                           "ffd8ffe000104a46494600010100000100010000ffdb004300100b0c0e0c0a100e0d0e12"
                                           "11101318281a181616183123251d283a333d3c3933383740485c4e404457453738506d51"
                                           "575f626768673e4d71797064785c656763ffc0000b087530753001011100ffc400140001"
                                           "00000000000000000000000000000001ffc4001410010000000000000000000000000000"
                                           "0000ffda0008010100003f001fffd9");
        // Headers only, claiming 30,000 x 30,000 top-down pixels: Qt's own
        // reader gives no size past 16,384 pixels a side.
        QTest::addRow("bitmap") << QStringLiteral("big.bmp")
                                << QByteArray::fromHex("424d3600000000000000360000002800000030750000d08affff0100"
                                                       "1800000000000000000000000000000000000000000000000000");
    }
    void refusesABannerTooLargeToDecode()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, picture);
        Write(QStringLiteral("dbconfig.dat"), "[Settings]\nAppName=Kept\nBannerPath1=" + name.toUtf8() + "\n");
        Write(QStringLiteral("dbimg1.dat"), picture);
        const auto window = Open();
        window->show();
        QCOMPARE(StartupProblems(),
                 QStringList{QStringLiteral("cannot show the banner %1 (stored as dbimg1.dat): larger than 4096 x 4096 "
                                            "pixels")
                                 .arg(name)});
        QVERIFY(!FindControl(*window, QStringLiteral("panBanner"))->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Kept"));
    }

    void playsABannerOfThousandsOfFramesAndStaysUsable()
    {
        Write(QStringLiteral("dbconfig.dat"), "[Settings]\nBannerPath1=busy.gif\n");
        Write(QStringLiteral("dbimg1.dat"), Gif(1, 5000));
        const auto window = Open();
        window->show();
        QVERIFY(FindControl(*window, QStringLiteral("gifBanner"))->isVisible());
        QTest::qWait(100);
        QTest::keyClicks(FindControl(*window, QStringLiteral("rchArticle1")), QStringLiteral("still typing"));
        QCOMPARE(glenvary::uitest::SideCounts(*window, 1), QStringLiteral("2 1 1"));
    }

    void aLinkThatCannotBeOpenedSaysSo()
    {
        Write(QStringLiteral("dbconfig.dat"), "[Settings]\nLink1URL=https://\nLink1Name=Broken\n");
        const auto window = Open();
        window->show();
        QCOMPARE(StartupProblems().size(), 1);
        Click(FindControl(*window, QStringLiteral("lblLink1URL")));
        QCOMPARE(TakeReportedWarnings(),
                 QStringList{QStringLiteral("Cannot open the link \u201CBroken\u201D: nothing on this computer opens "
                                            "https://.")});
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
