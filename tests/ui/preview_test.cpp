// The preview of a source picture: its pixels, its size and storage, or why it cannot be shown.

#include "tests/support/png_builder.h"
#include "tests/support/tga_builder.h"
#include "tests/ui/ui_support.h"
#include "ui/preview.h"

#include <QScrollBar>
#include <QtTest>

using namespace varnox;

namespace {

// Red, green, blue, and the smallest odd value of each channel.
const std::vector<std::uint16_t> kPixels565 = {0xF800, 0x07E0, 0x001F, 0x0821};
const QList<QRgb> kExpected = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(15, 7, 15)};

Bytes Gfp(std::int32_t bits, bool compressed)
{
    test::GfpSpec spec;
    spec.width = 2;
    spec.height = 2;
    spec.bitsPerPixel = bits;
    spec.compressed = compressed;
    const std::size_t stride = bits == 24 ? 3 : 2;
    spec.pixels.assign(4 * stride, 0x5A); // the first byte of a 3-byte pixel is not looked at
    for (std::size_t i = 0; i < 4; ++i)
        PutLe16(&spec.pixels[i * stride + stride - 2], kPixels565[i]);
    return test::MakeGfp(spec);
}

Bytes Tga(std::uint8_t type, std::uint8_t depth, std::uint8_t descriptor)
{
    test::TgaSpec spec;
    spec.imageType = type;
    spec.pixelDepth = depth;
    spec.imageDescriptor = descriptor;
    for (const QRgb rgb : kExpected)
        spec.picture.push_back({static_cast<std::uint8_t>(qBlue(rgb)), static_cast<std::uint8_t>(qGreen(rgb)),
                                static_cast<std::uint8_t>(qRed(rgb)), 255});
    return test::MakeTga(spec);
}

QList<QRgb> PixelsOf(const QImage& image)
{
    QList<QRgb> pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            pixels.append(image.pixel(x, y));
    return pixels;
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT

  private slots:
    void picturesAndReasons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("info");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<QRgb>>("pixels"); // empty: not looked at

        const auto bytes = [](const Bytes& b) {
            return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
        };
        QTest::newRow("GFP, zlib") << "a.gfp" << bytes(Gfp(16, true)) << "2 × 2, GFP, zlib" << QSize(2, 2)
                                   << kExpected;
        QTest::newRow("GFP, unkomprimiert")
            << "a.GFP" << bytes(Gfp(16, false)) << "2 × 2, GFP, unkomprimiert" << QSize(2, 2) << kExpected;
        QTest::newRow("GFP, 3 bytes a pixel")
            << "a.gfp" << bytes(Gfp(24, true)) << "2 × 2, GFP, zlib" << QSize(2, 2) << kExpected;
        QTest::newRow("TGA 24 Bit, bottom row first")
            << "a.tga" << bytes(Tga(2, 24, 0)) << "2 × 2, TGA 24 Bit" << QSize(2, 2) << kExpected;
        QTest::newRow("TGA 32 Bit RLE, top row first")
            << "a.tga" << bytes(Tga(10, 32, 0x20)) << "2 × 2, TGA 32 Bit RLE" << QSize(2, 2) << kExpected;

        test::GfpSpec wide;
        wide.width = 5000;
        wide.height = 3;
        wide.compressed = false;
        QTest::newRow("wider than a preview keeps")
            << "w.gfp" << bytes(test::MakeGfp(wide)) << "5000 × 3, GFP, unkomprimiert" << QSize(2048, 1)
            << QList<QRgb>();

        // Red and blue columns by turns: each 2 x 2 block averages to purple.
        test::GfpSpec striped;
        striped.width = 4096;
        striped.height = 2;
        for (int k = 0; k < 4096 * 2; ++k) {
            const std::uint16_t value = k % 2 == 0 ? 0xF800 : 0x001F;
            striped.pixels.push_back(static_cast<std::uint8_t>(value & 0xFF));
            striped.pixels.push_back(static_cast<std::uint8_t>(value >> 8));
        }
        QTest::newRow("larger than a preview: blocks averaged")
            << "s.gfp" << bytes(test::MakeGfp(striped)) << "4096 × 2, GFP, zlib" << QSize(2048, 1)
            << QList<QRgb>(2048, qRgb(128, 0, 128));

        Bytes cut = Gfp(16, true);
        cut.resize(100);
        QTest::newRow("GFP cut in its head")
            << "a.gfp" << bytes(cut) << "Die Datei endet im Pixelkopf" << QSize(0, 0) << QList<QRgb>();
        QTest::newRow("TGA shorter than a head")
            << "a.tga" << QByteArray(10, 'x') << "Die Datei ist kürzer als ein TGA-Kopf (18 Bytes)"
            << QSize(0, 0) << QList<QRgb>();
        QTest::newRow("PNG") << "a.png"
                             << bytes(test::MakePng({2, 1, test::kRgb, 8, false, {255, 0, 0, 0, 0, 255}}))
                             << "2 × 1, PNG" << QSize(2, 1) << QList<QRgb>{qRgb(255, 0, 0), qRgb(0, 0, 255)};
        QTest::newRow("PNG without its signature")
            << "a.png" << QByteArray("\x89PNG") << "Keine PNG-Datei (die Signatur fehlt)" << QSize(0, 0)
            << QList<QRgb>();
    }

    void picturesAndReasons()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, info);
        QFETCH(QSize, size);
        QFETCH(QList<QRgb>, pixels);
        test::TempDir dir;
        const Path file = dir / name.toStdString();
        test::WriteBytes(file, Bytes(bytes.begin(), bytes.end()));
        const std::atomic<bool> cancel{false};

        const ui::PreviewImage preview = ui::LoadPreview(test::Q(file), cancel);
        QCOMPARE(preview.info, info);
        QCOMPARE(preview.image.size(), size);
        if (!pixels.isEmpty())
            QCOMPARE(PixelsOf(preview.image), pixels);

        // The box shows the same, once decoded off the window thread.
        ui::PreviewBox box;
        box.resize(300, 300);
        box.Show(test::Q(file));
        QTRY_COMPARE_WITH_TIMEOUT(box.Info(), info, 10000);
        QCOMPARE(box.Picture().isNull(), preview.image.isNull());
        // Reduced straight to the area inside the frame, never enlarged.
        const QSize area(300 - 4, 300 - 30 - 2 - 4);
        const QSize shown = box.Picture().size();
        QVERIFY(shown.width() <= area.width() && shown.height() <= area.height());
        QVERIFY(shown == preview.image.size() || shown.width() == area.width() ||
                shown.height() == area.height());
    }

    // A picture item's GFP is decoded from memory as the file reader decodes it from disk.
    void gfpFromMemoryAgreesWithFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const auto bytes = [](const Bytes& b) {
            return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
        };
        QTest::newRow("zlib") << bytes(Gfp(16, true));
        QTest::newRow("unkomprimiert") << bytes(Gfp(16, false));
        QTest::newRow("3 bytes a pixel") << bytes(Gfp(24, true));
        QTest::newRow("1 byte a pixel") << bytes(Gfp(8, false));
        test::GfpSpec striped;
        striped.width = 4096;
        striped.height = 2;
        QTest::newRow("reduced on the way") << bytes(test::MakeGfp(striped));
        Bytes cut = Gfp(16, true);
        cut.resize(100);
        QTest::newRow("cut in its head") << bytes(cut);
        Bytes shortRaw = Gfp(16, false);
        shortRaw.pop_back();
        QTest::newRow("raw pixels cut") << bytes(shortRaw);
        Bytes shortStream = Gfp(16, true);
        shortStream.resize(shortStream.size() - 3);
        QTest::newRow("stream past the end") << bytes(shortStream);
        test::GfpSpec small;
        small.storedSize = 4;
        QTest::newRow("stored size below 8") << bytes(test::MakeGfp(small));
        Bytes damaged = Gfp(16, true);
        damaged[static_cast<std::size_t>(kGfpStreamAt)] ^= 0xFF;
        QTest::newRow("damaged stream") << bytes(damaged);
        test::GfpSpec wide;
        wide.width = 0x10000;
        wide.height = 0x10000;
        wide.compressed = false;
        wide.pixels.assign(4, 0);
        QTest::newRow("size overflowing") << bytes(test::MakeGfp(wide));
    }

    void gfpFromMemoryAgreesWithFile()
    {
        QFETCH(QByteArray, bytes);
        const Bytes gfp(bytes.begin(), bytes.end());
        test::TempDir dir;
        test::WriteBytes(dir / "a.gfp", gfp);
        const std::atomic<bool> cancel{false};
        const ui::PreviewImage file = ui::LoadPreview(test::Q(dir / "a.gfp"), cancel);
        const ui::PreviewImage memory = ui::LoadPreview(gfp, cancel);
        QCOMPARE(memory.info, file.info);
        QCOMPARE(memory.size, file.size);
        QCOMPARE(memory.image, file.image);

        ui::PreviewBox box;
        box.resize(300, 300);
        box.ShowGfp(gfp);
        QCOMPARE(box.Info(), QString("Lade …"));
        QTRY_COMPARE_WITH_TIMEOUT(box.Info(), file.info, 10000);
        QVERIFY(box.path().isEmpty());
    }

    void cancelledGivesNothing()
    {
        test::TempDir dir;
        test::WriteBytes(dir / "a.gfp", Gfp(16, true));
        const std::atomic<bool> cancel{true};
        const ui::PreviewImage preview = ui::LoadPreview(test::Q(dir / "a.gfp"), cancel);
        QVERIFY(preview.image.isNull());
        QVERIFY(preview.info.isEmpty());
    }

    // Fitted, a 300 x 200 picture is reduced to the area; 1:1 (Ctrl+1) it is whole, scrolled.
    void zoomFitAndActual()
    {
        test::TempDir dir;
        const Path file = dir / "wide.png";
        test::WriteBytes(
            file, test::MakePng({300, 200, test::kRgb, 8, false, std::vector<std::uint16_t>(300 * 200 * 3)}));
        ui::PreviewBox box;
        box.resize(154, 134); // a picture area of about 150 x 100
        box.show();
        box.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        box.Show(test::Q(file));
        QTRY_VERIFY_WITH_TIMEOUT(!box.Picture().isNull(), 10000);
        const int fitted = box.Picture().width();
        QVERIFY(fitted > 100 && fitted <= 150);
        QCOMPARE(box.ZoomText(), QString("%1 %").arg(qRound(fitted / 3.0)));
        QVERIFY(!box.HorizontalBar()->isVisible());
        QTest::keySequence(&box, QKeySequence(Qt::CTRL | Qt::Key_1));
        QTRY_COMPARE_WITH_TIMEOUT(box.Zoom(), ui::PreviewZoom::Actual, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(box.Picture().size(), QSize(300, 200), 10000);
        QCOMPARE(box.ZoomText(), QString("100 %"));
        QVERIFY(box.HorizontalBar()->isVisible() && box.VerticalBar()->isVisible());
        QVERIFY(box.HorizontalBar()->maximum() >= 150);
        box.setZoom(ui::PreviewZoom::Fit);
        QTRY_COMPARE_WITH_TIMEOUT(box.Picture().width(), fitted, 10000);
        QVERIFY(!box.VerticalBar()->isVisible());
    }
};

QTEST_MAIN(PreviewTest)
#include "preview_test.moc"
