// SPDX-License-Identifier: MIT
// The window applying a program folder's configuration, and the clicks that
// open its addresses. Which banner and links the configuration picks is
// tested with the loader itself.
#include "platform/url_opener.h"
#include "ui/frmmain.h"
#include "uitest.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

using glenvary::ui::TfrmMain;
using glenvary::uitest::FindControl;
using glenvary::uitest::TakeReportedErrors;

namespace {

void PutLittleEndian(QByteArray& bytes, quint32 value, int size)
{
    for (int i = 0; i < size; ++i) {
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xFFU));
    }
}

// A GIF of `frames` one-pixel frames, each shown for 10 ms, on a logical
// screen of `side` x `side` pixels, which decoding a frame would allocate.
QByteArray Gif(quint32 side, int frames)
{
    QByteArray bytes("GIF89a");
    PutLittleEndian(bytes, side, 2);
    PutLittleEndian(bytes, side, 2);
    bytes.append(QByteArray::fromHex("800000" "000000ffffff"));
    const QByteArray frame = QByteArray::fromHex("21f9040001000000" "2c0000000001000100" "00" "0202440100");
    for (int i = 0; i < frames; ++i) {
        bytes.append(frame);
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
    }
    void refusesABannerTooLargeToDecode()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, picture);
        Write(QStringLiteral("dbconfig.dat"), "[Settings]\nAppName=Kept\nBannerPath1=" + name.toUtf8() + "\n");
        Write(QStringLiteral("dbimg1.dat"), picture);
        const auto window = Open();
        window->show();
        QCOMPARE(TakeReportedErrors(),
                 QStringList{QStringLiteral("cannot show the banner %1: larger than 4096 x 4096 pixels").arg(name)});
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
