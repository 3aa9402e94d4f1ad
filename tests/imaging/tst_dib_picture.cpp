#include "imaging/dib_picture.h"
#include "imaging/fit_to_width.h"

#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using orvix::CDibPicture;

namespace {

// A picture whose every pixel has its own colour, so any misplaced or blended pixel shows.
QImage distinctPicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb(10 + x * 23 % 240, 20 + y * 37 % 230, (x * 7 + y * 11) % 256));
    }
    return image;
}

QSet<QRgb> coloursOf(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y) | 0xff000000u);
    }
    return colours;
}

QSize stored(const CDibPicture& picture) {
    return {picture.storedWidth(), picture.height()};
}

} // namespace

class TestDibPicture : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString saved(const QImage& image, const QString& name) const {
        if (!image.save(path(name)))
            qFatal("cannot write the test picture");
        return path(name);
    }

private slots:
    // Stored width rounded up to 4, the header at the real width, 24 bits whatever the file held,
    // and the extra columns repeating the last one.
    void loadRoundsTheStoredWidthUp_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("storedWidth");
        QTest::addColumn<int>("format");
        QTest::newRow("1000") << 1000 << 1000 << int(QImage::Format_RGB32);
        QTest::newRow("1001") << 1001 << 1004 << int(QImage::Format_RGB32);
        QTest::newRow("1003") << 1003 << 1004 << int(QImage::Format_RGB32);
        QTest::newRow("1") << 1 << 4 << int(QImage::Format_RGB32);
        QTest::newRow("1-bit palette") << 6 << 8 << int(QImage::Format_Mono);
        QTest::newRow("8-bit palette") << 6 << 8 << int(QImage::Format_Indexed8);
        QTest::newRow("grey") << 6 << 8 << int(QImage::Format_Grayscale8);
    }
    void loadRoundsTheStoredWidthUp() {
        QFETCH(int, width);
        QFETCH(int, storedWidth);
        QFETCH(int, format);
        const QImage source =
            distinctPicture(width, 3).convertToFormat(QImage::Format(format), Qt::ThresholdDither);
        const QString file =
            saved(source, format == QImage::Format_Mono ? u"w.bmp"_qs : u"w.png"_qs);
        QCOMPARE(QImageReader(file).read().depth() <= 8, format != QImage::Format_RGB32);
        CDibPicture picture;
        QVERIFY(picture.Load(file));
        QCOMPARE(stored(picture), QSize(storedWidth, 3));
        QCOMPARE(picture.pixels().size(), QSize(storedWidth, 3));
        QCOMPARE(QSize(picture.header().width, picture.header().height), QSize(width, 3));
        QCOMPARE(picture.header().bitCount, 24);
        QCOMPARE(picture.header().imageSize, quint32(3 * 3 * storedWidth));
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < storedWidth; ++x)
                QCOMPARE(picture.pixels().pixel(x, y), source.pixel(std::min(x, width - 1), y));
        }
    }

    void alphaIsLaidOnWhite() {
        QImage source(3, 1, QImage::Format_ARGB32);
        source.fill(qRgba(0, 0, 255, 0));
        source.setPixel(1, 0, qRgba(255, 0, 0, 255));
        CDibPicture picture;
        QVERIFY(picture.Load(saved(source, u"alpha.png"_qs)));
        QCOMPARE(picture.header().bitCount, 32);
        QCOMPARE(picture.pixels().pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(picture.pixels().pixel(1, 0), qRgb(255, 0, 0));
        picture.Resize(8, 2); // a 32-bit picture resizes to the same colours at 24 bits
        QCOMPARE(picture.header().bitCount, 24);
        QCOMPARE(picture.pixels().pixel(2, 1), qRgb(255, 0, 0));
        QCOMPARE(picture.pixels().pixel(7, 0), qRgb(255, 255, 255));
    }

    void damagedOrMissingFilesFailAndLeaveTheHolderAsItWas() {
        for (const char* name : {"empty.jpg", "junk.jpg"}) {
            QFile file(path(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(name[0] == 'j' ? "<html><body>404 Not Found</body></html>" : "");
        }
        CDibPicture picture;
        QVERIFY(!picture.Load(path(u"missing.jpg"_qs)));
        QVERIFY(picture.isNull());
        QVERIFY(picture.Load(saved(distinctPicture(7, 5), u"good.png"_qs)));
        for (const QString& bad :
             {path(u"missing.jpg"_qs), path(u"empty.jpg"_qs), path(u"junk.jpg"_qs), m_dir.path()}) {
            QVERIFY2(!picture.Load(bad), qPrintable(bad));
            QCOMPARE(stored(picture), QSize(8, 5));
            QCOMPARE(picture.header().width, 7);
        }
    }

    void resizeTakesTheNearestPixelAt24Bits() {
        CDibPicture picture;
        const QImage source = distinctPicture(4, 2);
        QVERIFY(picture.Load(saved(source, u"n.png"_qs)));
        picture.Resize(8, 4); // every pixel doubled both ways
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 8; ++x)
                QCOMPARE(picture.pixels().pixel(x, y), source.pixel(x / 2, y / 2));
        }
        // Uneven ratios repeat and drop but never blend; the width is raised to a multiple of 4.
        const QImage grid = distinctPicture(12, 9);
        QVERIFY(picture.Load(saved(grid, u"grid.png"_qs)));
        picture.Resize(29, 7);
        QCOMPARE(picture.pixels().size(), QSize(32, 7));
        QVERIFY(coloursOf(grid).contains(coloursOf(picture.pixels())));
        QCOMPARE(picture.pixels().pixel(31, 6), grid.pixel(11, 8));

        picture.Resize(798, 600);
        QCOMPARE(stored(picture), QSize(800, 600));
        QCOMPARE(QSize(picture.header().width, picture.header().height), QSize(800, 600));
        QCOMPARE(picture.header().bitCount, 24);
        QCOMPARE(picture.header().imageSize, quint32(800 * 600 * 3));
        picture.Resize(0, -5);
        QCOMPARE(stored(picture), QSize(4, 1));
    }

    void fitToWidthAndSaveOverTheFile() {
        QImage photo(3000, 2000, QImage::Format_RGB32);
        photo.fill(qRgb(40, 120, 200));
        const QString file = saved(photo, u"big.jpg"_qs);
        CDibPicture big;
        QVERIFY(big.Load(file));
        orvix::FitToWidth(big, 800);
        QCOMPARE(stored(big), QSize(800, 533));
        QVERIFY(big.SaveAs(file)); // replaces the file it came from, leaving nothing beside it
        QCOMPARE(QImageReader(file).size(), QSize(800, 533));
        QCOMPARE(QDir(m_dir.path()).entryList({u"big*"_qs}, QDir::Files),
                 QStringList{u"big.jpg"_qs});
    }

    void saveChoosesTheEncoderByExtension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format"); // none: nothing is written
        QTest::newRow("JPG") << u"upper.JPG"_qs << QByteArray("jpeg");
        QTest::newRow("jpg") << u"lower.jpg"_qs << QByteArray("jpeg");
        QTest::newRow("png") << u"p.PNG"_qs << QByteArray("png");
        QTest::newRow("bmp") << u"b.bmp"_qs << QByteArray("bmp");
        QTest::newRow("gif") << u"a.gif"_qs << QByteArray();
        QTest::newRow("unknown") << u"a.xyz"_qs << QByteArray();
        QTest::newRow("no extension") << u"noextension"_qs << QByteArray();
        QTest::newRow("no folder") << u"no/such/a.jpg"_qs << QByteArray();
    }
    void saveChoosesTheEncoderByExtension() {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        CDibPicture picture;
        QVERIFY(!picture.SaveAs(path(name))); // nothing loaded
        QVERIFY(picture.Load(saved(distinctPicture(1001, 7), u"src.png"_qs)));
        QCOMPARE(picture.SaveAs(path(name)), !format.isEmpty());
        QImageReader reader(path(name));
        reader.setDecideFormatFromContent(true);
        QCOMPARE(reader.format(), format);
        if (!format.isEmpty())
            QCOMPARE(reader.size(), QSize(1001, 7)); // the real width, not the stored one
        QFile::remove(path(name));
    }

    void drawStretchesWithoutKeepingTheAspectRatio() {
        QImage source(2, 2, QImage::Format_RGB32);
        const QList<QRgb> colours{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                                  qRgb(255, 255, 0)};
        for (int i = 0; i < 4; ++i)
            source.setPixel(i % 2, i / 2, colours[i]);
        // Stored 4 wide; drawn into 40 × 10, each stored column is 10 pixels wide, each row 5.
        CDibPicture picture;
        QVERIFY(picture.Load(saved(source, u"four.png"_qs)));
        QImage canvas(60, 20, QImage::Format_RGB32);
        const QRgb grey = qRgb(128, 128, 128);
        canvas.fill(grey);
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        picture.Draw(painter, 5, 3, 40, 10);
        picture.Draw(painter, 0, 0, 0, 10);        // an empty rectangle draws nothing
        CDibPicture().Draw(painter, 0, 0, 60, 20); // nor does an empty picture
        painter.end();
        // The right half of the drawing shows the repeated last column.
        const QList<std::pair<QPoint, QRgb>> expected{
            {{5, 3}, colours[0]},  {{14, 7}, colours[0]}, {{15, 3}, colours[1]},
            {{44, 7}, colours[1]}, {{5, 8}, colours[2]},  {{30, 12}, colours[3]},
            {{4, 3}, grey},        {{45, 12}, grey},      {{20, 13}, grey}};
        for (const auto& [at, colour] : expected)
            QCOMPARE(canvas.pixel(at), colour);
        QCOMPARE(coloursOf(canvas), QSet<QRgb>(colours.begin(), colours.end()) << grey);
    }
};

QTEST_MAIN(TestDibPicture)
#include "tst_dib_picture.moc"
