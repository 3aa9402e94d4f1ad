#include "imaging/dib_picture.h"
#include "imaging/fit_to_width.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
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

QByteArray fileHead(const QString& path, int length) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(length);
}

// A 2 × 1 GIF with a two-colour palette: red, then blue.
QByteArray twoPixelGif() {
    return QByteArray::fromHex("474946383961" // GIF89a
                               "02000100"
                               "810000" // 2 × 1, global palette of 4 entries
                               "ff0000"
                               "0000ff"
                               "000000"
                               "000000"
                               "2c"
                               "00000000"
                               "02000100"
                               "00" // image descriptor
                               "02"
                               "02440a00" // LZW: clear, 0, 1, end
                               "3b");
}

} // namespace

class TestDibPicture : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QString saved(const QImage& image, const QString& name) const {
        const QString file = path(name);
        if (!image.save(file))
            qFatal("cannot write the test picture");
        return file;
    }

private slots:
    void storedWidthIsRoundedUpAndHeaderKeepsRealWidth_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("stored");
        QTest::newRow("1000") << 1000 << 1000;
        QTest::newRow("1001") << 1001 << 1004;
        QTest::newRow("1002") << 1002 << 1004;
        QTest::newRow("1003") << 1003 << 1004;
        QTest::newRow("1") << 1 << 4;
    }
    void storedWidthIsRoundedUpAndHeaderKeepsRealWidth() {
        QFETCH(int, width);
        QFETCH(int, stored);
        CDibPicture picture;
        QVERIFY(picture.Load(saved(distinctPicture(width, 3), QStringLiteral("w.png"))));
        QCOMPARE(picture.storedWidth(), stored);
        QCOMPARE(picture.height(), 3);
        QCOMPARE(picture.pixels().size(), QSize(stored, 3));
        const orvix::BitmapInfoHeader& header = picture.header();
        QCOMPARE(header.headerSize, 40u);
        QCOMPARE(header.width, width);
        QCOMPARE(header.height, 3);
        QCOMPARE(header.planes, 1);
        QCOMPARE(header.bitCount, 24);
        QCOMPARE(header.compression, 0u);
        QCOMPARE(header.imageSize, quint32(3 * 3 * stored));
        QCOMPARE(header.xResolution, 0);
        QCOMPARE(header.coloursUsed, 0u);
    }

    void extraColumnsRepeatTheLastColumn() {
        const QImage source = distinctPicture(5, 2);
        CDibPicture picture;
        QVERIFY(picture.Load(saved(source, QStringLiteral("five.png"))));
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 8; ++x)
                QCOMPARE(picture.pixels().pixel(x, y), source.pixel(std::min(x, 4), y));
        }
    }

    void paletteAndGreyPicturesBecome24Bits_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::newRow("1-bit bmp") << QStringLiteral("mono.bmp") << int(QImage::Format_Mono);
        QTest::newRow("8-bit png") << QStringLiteral("pal.png") << int(QImage::Format_Indexed8);
        QTest::newRow("8-bit bmp") << QStringLiteral("pal.bmp") << int(QImage::Format_Indexed8);
        QTest::newRow("grey png") << QStringLiteral("grey.png") << int(QImage::Format_Grayscale8);
    }
    void paletteAndGreyPicturesBecome24Bits() {
        QFETCH(QString, name);
        QFETCH(int, format);
        const QImage colour = distinctPicture(6, 4);
        const QImage low = colour.convertToFormat(QImage::Format(format), Qt::ThresholdDither);
        const QString file = saved(low, name);
        QVERIFY(QImageReader(file).read().depth() <= 8);

        CDibPicture picture;
        QVERIFY(picture.Load(file));
        QCOMPARE(picture.header().bitCount, 24);
        QCOMPARE(picture.header().imageSize, quint32(3 * 4 * 8));
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 6; ++x)
                QCOMPARE(picture.pixels().pixel(x, y), low.pixel(x, y));
        }
    }

    void gifIsDecoded() {
        const QString file = path(QStringLiteral("two.gif"));
        QFile gif(file);
        QVERIFY(gif.open(QIODevice::WriteOnly));
        gif.write(twoPixelGif());
        gif.close();
        CDibPicture picture;
        QVERIFY(picture.Load(file));
        QCOMPARE(picture.header().width, 2);
        QCOMPARE(picture.header().bitCount, 24);
        QCOMPARE(picture.pixels().pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(picture.pixels().pixel(1, 0), qRgb(0, 0, 255));
        QCOMPARE(picture.pixels().pixel(3, 0), qRgb(0, 0, 255));
    }

    void alphaIsLaidOnWhiteAndKeeps32Bits() {
        QImage source(3, 1, QImage::Format_ARGB32);
        source.setPixel(0, 0, qRgba(0, 0, 0, 0));
        source.setPixel(1, 0, qRgba(255, 0, 0, 255));
        source.setPixel(2, 0, qRgba(0, 0, 255, 0));
        CDibPicture picture;
        QVERIFY(picture.Load(saved(source, QStringLiteral("alpha.png"))));
        QCOMPARE(picture.header().bitCount, 32);
        QCOMPARE(picture.header().imageSize, quint32(4 * 1 * 4));
        QCOMPARE(picture.pixels().pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(picture.pixels().pixel(1, 0), qRgb(255, 0, 0));
        QCOMPARE(picture.pixels().pixel(3, 0), qRgb(255, 255, 255));

        // Resizing a 32-bit picture gives the same colours at 24 bits.
        picture.Resize(8, 2);
        QCOMPARE(picture.header().bitCount, 24);
        QCOMPARE(picture.pixels().pixel(2, 1), qRgb(255, 0, 0));
        QCOMPARE(picture.pixels().pixel(7, 0), qRgb(255, 255, 255));

        // What is saved has no alpha.
        QVERIFY(picture.SaveAs(path(QStringLiteral("flat.png"))));
        QVERIFY(!QImage(path(QStringLiteral("flat.png"))).hasAlphaChannel());
    }

    void photosTakenSidewaysAreTurnedUpright() {
        QImage sideways(8, 4, QImage::Format_RGB32);
        sideways.fill(qRgb(200, 30, 30));
        QImageWriter writer(path(QStringLiteral("turned.jpg")), "jpeg");
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        QVERIFY(writer.write(sideways));
        CDibPicture picture;
        QVERIFY(picture.Load(path(QStringLiteral("turned.jpg"))));
        QCOMPARE(picture.header().width, 4);
        QCOMPARE(picture.height(), 8);
    }

    void badFilesFailAndLeaveTheHolderAsItWas() {
        QFile empty(path(QStringLiteral("empty.jpg")));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        QFile junk(path(QStringLiteral("junk.jpg")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("<html><body>404 Not Found</body></html>");
        junk.close();

        CDibPicture fresh;
        QVERIFY(!fresh.Load(path(QStringLiteral("missing.jpg"))));
        QVERIFY(fresh.isNull());
        QCOMPARE(fresh.storedWidth(), 0);
        QCOMPARE(fresh.header().width, 0);

        CDibPicture picture;
        QVERIFY(picture.Load(saved(distinctPicture(7, 5), QStringLiteral("good.png"))));
        for (const QString& bad :
             {path(QStringLiteral("missing.jpg")), path(QStringLiteral("empty.jpg")),
              path(QStringLiteral("junk.jpg")), m_dir.path(), QString()}) {
            QVERIFY2(!picture.Load(bad), qPrintable(bad));
            QCOMPARE(picture.storedWidth(), 8);
            QCOMPARE(picture.header().width, 7);
            QCOMPARE(picture.height(), 5);
        }
    }

    void resizeRaisesWidthTo4AndGives24Bits() {
        CDibPicture picture;
        QVERIFY(picture.Load(saved(distinctPicture(20, 10), QStringLiteral("r.png"))));
        picture.Resize(798, 600);
        QCOMPARE(picture.storedWidth(), 800);
        QCOMPARE(picture.height(), 600);
        QCOMPARE(picture.header().width, 800);
        QCOMPARE(picture.header().height, 600);
        QCOMPARE(picture.header().bitCount, 24);
        QCOMPARE(picture.header().imageSize, quint32(800 * 600 * 3));
        QCOMPARE(picture.pixels().size(), QSize(800, 600));

        picture.Resize(0, -5);
        QCOMPARE(picture.storedWidth(), 4);
        QCOMPARE(picture.height(), 1);
    }

    void resizeTakesTheNearestPixel() {
        CDibPicture picture;
        const QImage source = distinctPicture(4, 2);
        QVERIFY(picture.Load(saved(source, QStringLiteral("n.png"))));
        picture.Resize(8, 4); // every pixel doubled both ways
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 8; ++x)
                QCOMPARE(picture.pixels().pixel(x, y), source.pixel(x / 2, y / 2));
        }

        const QImage row = distinctPicture(8, 1);
        QVERIFY(picture.Load(saved(row, QStringLiteral("row.png"))));
        picture.Resize(4, 1); // every other column dropped, keeping the centres
        for (int x = 0; x < 4; ++x)
            QCOMPARE(picture.pixels().pixel(x, 0), row.pixel(2 * x + 1, 0));

        // Uneven ratios repeat and drop but never blend.
        const QImage grid = distinctPicture(12, 9);
        QVERIFY(picture.Load(saved(grid, QStringLiteral("grid.png"))));
        picture.Resize(29, 7);
        QCOMPARE(picture.pixels().size(), QSize(32, 7));
        QVERIFY(coloursOf(grid).contains(coloursOf(picture.pixels())));
        QCOMPARE(picture.pixels().pixel(0, 0), grid.pixel(0, 0));
        QCOMPARE(picture.pixels().pixel(31, 6), grid.pixel(11, 8));
    }

    void resizeOfANarrowPictureShowsNoStripe() {
        const QImage source = distinctPicture(5, 1);
        CDibPicture picture;
        QVERIFY(picture.Load(saved(source, QStringLiteral("narrow.png"))));
        picture.Resize(10, 1); // 12 wide, taken from the 8 stored columns
        QCOMPARE(picture.storedWidth(), 12);
        // Left to right the columns step through the source's columns in order, every one of
        // them shown, and the right edge carries the last column on.
        QList<int> shown;
        for (int x = 0; x < 12; ++x) {
            int column = 0;
            while (column < 5 && source.pixel(column, 0) != picture.pixels().pixel(x, 0))
                ++column;
            QVERIFY2(column < 5, "a pixel that is not one of the picture's");
            shown.append(column);
        }
        QVERIFY(std::is_sorted(shown.begin(), shown.end()));
        QCOMPARE(QSet<int>(shown.begin(), shown.end()), (QSet<int>{0, 1, 2, 3, 4}));
        QCOMPARE(shown.mid(8), (QList<int>{4, 4, 4, 4}));
    }

    void fitToWidth() {
        QCOMPARE(orvix::fitToWidthSize(3000, 2000, 800), QSize(800, 533));
        QCOMPARE(orvix::fitToWidthSize(1004, 700, 1004), QSize(1004, 700));
        QCOMPARE(orvix::fitToWidthSize(0, 700, 800), QSize());

        CDibPicture big;
        QImage photo(3000, 2000, QImage::Format_RGB32);
        photo.fill(qRgb(40, 120, 200));
        QVERIFY(big.Load(saved(photo, QStringLiteral("big.jpg"))));
        orvix::FitToWidth(big, 800);
        QCOMPARE(big.storedWidth(), 800);
        QCOMPARE(big.height(), 533);

        // A picture already as wide as the target keeps its size.
        CDibPicture same;
        QVERIFY(same.Load(saved(distinctPicture(1001, 30), QStringLiteral("same.png"))));
        const QImage before = same.pixels();
        orvix::FitToWidth(same, 1004);
        QCOMPARE(same.storedWidth(), 1004);
        QCOMPARE(same.height(), 30);
        QCOMPARE(same.pixels().convertToFormat(QImage::Format_RGB32),
                 before.convertToFormat(QImage::Format_RGB32));

        CDibPicture empty;
        orvix::FitToWidth(empty, 800);
        QVERIFY(empty.isNull());
    }

    void saveChoosesTheEncoderByExtension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("JPG") << QStringLiteral("upper.JPG") << QByteArray("jpeg");
        QTest::newRow("jpg") << QStringLiteral("lower.jpg") << QByteArray("jpeg");
        QTest::newRow("Jpeg") << QStringLiteral("mixed.Jpeg") << QByteArray("jpeg");
        QTest::newRow("png") << QStringLiteral("p.PNG") << QByteArray("png");
        QTest::newRow("bmp") << QStringLiteral("b.bmp") << QByteArray("bmp");
    }
    void saveChoosesTheEncoderByExtension() {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        CDibPicture picture;
        QVERIFY(picture.Load(saved(distinctPicture(1001, 7), QStringLiteral("src.png"))));
        QVERIFY(picture.SaveAs(path(name)));
        QImageReader reader(path(name));
        reader.setDecideFormatFromContent(true);
        QCOMPARE(reader.format(), format);
        // The real width is written, not the stored one.
        QCOMPARE(reader.size(), QSize(1001, 7));
    }

    void saveWritesNothingForUnknownExtensions() {
        CDibPicture picture;
        QVERIFY(picture.Load(saved(distinctPicture(8, 8), QStringLiteral("src.png"))));
        QDir().mkpath(path(QStringLiteral("out")));
        const QString folder = path(QStringLiteral("out"));
        for (const QString& name : {QStringLiteral("a.gif"), QStringLiteral("a.xyz"),
                                    QStringLiteral("noextension"), QStringLiteral("a.")}) {
            QVERIFY(!picture.SaveAs(folder + u'/' + name));
            QVERIFY(!QFile::exists(folder + u'/' + name));
        }
        // An existing file under an unknown name is left as it was.
        QFile keep(folder + QStringLiteral("/keep.gif"));
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.write("old");
        keep.close();
        QVERIFY(!picture.SaveAs(keep.fileName()));
        QCOMPARE(fileHead(keep.fileName(), 10), QByteArray("old"));
        QVERIFY(!picture.SaveAs(path(QStringLiteral("no/such/folder/a.jpg"))));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("keep.gif")});

        CDibPicture empty;
        QVERIFY(!empty.SaveAs(path(QStringLiteral("empty.png"))));
        QVERIFY(!QFile::exists(path(QStringLiteral("empty.png"))));
    }

    void saveReplacesAnExistingFileAndKeepsTheHolder() {
        CDibPicture picture;
        const QString file = saved(distinctPicture(40, 30), QStringLiteral("photo.jpg"));
        QVERIFY(picture.Load(file));
        orvix::FitToWidth(picture, 20);
        QVERIFY(picture.SaveAs(file));
        QCOMPARE(QImageReader(file).size(), QSize(20, 15));
        QCOMPARE(picture.storedWidth(), 20);
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("photo*")}, QDir::Files),
                 QStringList{QStringLiteral("photo.jpg")});
    }

    void drawStretchesWithoutKeepingTheAspectRatio() {
        QImage source(2, 2, QImage::Format_RGB32);
        source.setPixel(0, 0, qRgb(255, 0, 0));
        source.setPixel(1, 0, qRgb(0, 255, 0));
        source.setPixel(0, 1, qRgb(0, 0, 255));
        source.setPixel(1, 1, qRgb(255, 255, 0));
        // A 2 × 2 picture is stored 4 wide; drawn whole into 40 × 10, each stored column is 10
        // pixels wide and each row 5 high.
        CDibPicture picture;
        QVERIFY(picture.Load(saved(source, QStringLiteral("four.png"))));
        QImage canvas(60, 20, QImage::Format_RGB32);
        canvas.fill(qRgb(128, 128, 128));
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        picture.Draw(painter, 5, 3, 40, 10);
        picture.Draw(painter, 0, 0, 0, 10); // an empty rectangle draws nothing
        painter.end();

        QCOMPARE(canvas.pixel(5, 3), qRgb(255, 0, 0));
        QCOMPARE(canvas.pixel(14, 7), qRgb(255, 0, 0));
        QCOMPARE(canvas.pixel(15, 3), qRgb(0, 255, 0));
        QCOMPARE(canvas.pixel(44, 7), qRgb(0, 255, 0)); // the repeated last column
        QCOMPARE(canvas.pixel(5, 8), qRgb(0, 0, 255));
        QCOMPARE(canvas.pixel(30, 12), qRgb(255, 255, 0));
        QCOMPARE(canvas.pixel(4, 3), qRgb(128, 128, 128));
        QCOMPARE(canvas.pixel(45, 12), qRgb(128, 128, 128));
        QCOMPARE(canvas.pixel(20, 13), qRgb(128, 128, 128));
        QCOMPARE(canvas.pixel(0, 0), qRgb(128, 128, 128));
        QSet<QRgb> expected{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0),
                            qRgb(128, 128, 128)};
        QCOMPARE(coloursOf(canvas), expected);

        CDibPicture empty;
        QPainter again(&canvas);
        empty.Draw(again, 0, 0, 60, 20);
        again.end();
        QCOMPARE(canvas.pixel(10, 5), qRgb(255, 0, 0));
    }
};

QTEST_MAIN(TestDibPicture)
#include "tst_dib_picture.moc"
