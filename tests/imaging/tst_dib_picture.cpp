#include "imaging/dib_picture.h"
#include "imaging/fit_to_width.h"

#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <array>

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
        QTest::newRow("1-bit palette") << 6 << 8 << int(QImage::Format_Mono);
        QTest::newRow("8-bit palette") << 6 << 8 << int(QImage::Format_Indexed8);
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
        QCOMPARE(picture.pixels().size(), QSize(storedWidth, 3));
        QCOMPARE(QSize(picture.header().width, picture.header().height), QSize(width, 3));
        QCOMPARE(picture.header().bitCount, 24);
        QCOMPARE(picture.header().imageSize, quint32(3 * 3 * storedWidth));
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < storedWidth; ++x)
                QCOMPARE(picture.pixels().pixel(x, y), source.pixel(std::min(x, width - 1), y));
        }
    }

    void damagedOrMissingFilesFailAndLeaveTheHolderAsItWas() {
        QFile junk(path(u"junk.jpg"_qs));
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("<html>404 Not Found</html>") > 0);
        junk.close();
        CDibPicture picture;
        QVERIFY(!picture.Load(path(u"missing.jpg"_qs)));
        QVERIFY(picture.isNull());
        QVERIFY(picture.Load(saved(distinctPicture(7, 5), u"good.png"_qs)));
        for (const QString& bad : {path(u"missing.jpg"_qs), junk.fileName(), m_dir.path()}) {
            QVERIFY2(!picture.Load(bad), qPrintable(bad));
            QCOMPARE(picture.pixels().size(), QSize(8, 5));
            QCOMPARE(picture.header().width, 7);
        }
    }

    void resizeTakesTheNearestPixelAt24BitsAndFitsToWidth() {
        CDibPicture picture;
        const QImage source = distinctPicture(4, 2);
        QVERIFY(picture.Load(saved(source, u"n.png"_qs)));
        picture.Resize(8, 4); // every pixel doubled both ways
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 8; ++x)
                QCOMPARE(picture.pixels().pixel(x, y), source.pixel(x / 2, y / 2));
        }
        picture.Resize(798, 600);
        QCOMPARE(picture.pixels().size(), QSize(800, 600));
        QCOMPARE(QSize(picture.header().width, picture.header().height), QSize(800, 600));
        QCOMPARE(picture.header().bitCount, 24);
        QCOMPARE(picture.header().imageSize, quint32(800 * 600 * 3));
        picture.Resize(0, -5);
        QCOMPARE(picture.pixels().size(), QSize(4, 1));

        QImage photo(3000, 2000, QImage::Format_RGB32);
        photo.fill(qRgb(40, 120, 200));
        const QString file = saved(photo, u"big.jpg"_qs);
        QVERIFY(picture.Load(file));
        orvix::FitToWidth(picture, 800);
        QCOMPARE(picture.pixels().size(), QSize(800, 533));
        QVERIFY(picture.SaveAs(file)); // replaces the file it came from, leaving nothing beside it
        QCOMPARE(QImageReader(file).size(), QSize(800, 533));
        QCOMPARE(QDir(m_dir.path()).entryList({u"big*"_qs}, QDir::Files),
                 QStringList{u"big.jpg"_qs});
    }

    // At the real width, not the stored one; an unknown extension or a missing folder writes
    // nothing.
    void saveChoosesTheEncoderByExtension() {
        CDibPicture picture;
        QVERIFY(!picture.SaveAs(path(u"none.jpg"_qs))); // nothing loaded
        QVERIFY(picture.Load(saved(distinctPicture(1001, 7), u"src.png"_qs)));
        const std::pair<QString, QByteArray> saves[]{
            {u"upper.JPG"_qs, "jpeg"}, {u"lower.jpg"_qs, "jpeg"}, {u"p.PNG"_qs, "png"},
            {u"g.GIF"_qs, "gif"},      {u"a.xyz"_qs, {}},         {u"no/such/a.jpg"_qs, {}}};
        for (const auto& [name, format] : saves) {
            QCOMPARE(picture.SaveAs(path(name)), !format.isEmpty());
            QImageReader reader(path(name));
            reader.setDecideFormatFromContent(true);
            QCOMPARE(reader.format(), format);
            QCOMPARE(reader.size(), format.isEmpty() ? QSize(-1, -1) : QSize(1001, 7));
        }
    }

    // GIF: a picture of few colours comes back pixel for pixel; a photo of many colours is reduced
    // to 256 and keeps its looks; a GIF photo can be shrunk and written as GIF again.
    void gifRoundTrip() {
        QImage few(37, 5, QImage::Format_RGB32);
        for (int y = 0; y < few.height(); ++y) {
            for (int x = 0; x < few.width(); ++x)
                few.setPixel(x, y, qRgb(x * 7, 255 - y * 40, (x * y) % 200));
        }
        CDibPicture picture;
        QVERIFY(picture.Load(saved(few, u"few.png"_qs)));
        QVERIFY(picture.SaveAs(path(u"few.gif"_qs)));
        QImage back(path(u"few.gif"_qs));
        QCOMPARE(back.size(), few.size());
        QCOMPARE(back.convertToFormat(QImage::Format_RGB32), few);

        const QImage many = distinctPicture(300, 200);
        QVERIFY(picture.Load(saved(many, u"many.png"_qs)));
        QVERIFY(picture.SaveAs(path(u"many.gif"_qs)));
        QVERIFY(picture.Load(path(u"many.gif"_qs)));
        QCOMPARE(picture.header().width, 300);
        QCOMPARE(picture.pixels().convertToFormat(QImage::Format_Indexed8).colorCount() <= 256,
                 true);
        const QImage reduced = picture.pixels().copy(0, 0, 300, 200);
        const auto mean = [](const QImage& image) {
            qint64 sum[3]{};
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb p = image.pixel(x, y);
                    sum[0] += qRed(p), sum[1] += qGreen(p), sum[2] += qBlue(p);
                }
            }
            const qint64 n = qint64(image.width()) * image.height();
            return std::array<qint64, 3>{sum[0] / n, sum[1] / n, sum[2] / n};
        };
        const auto before = mean(many), after = mean(reduced);
        for (int c = 0; c < 3; ++c)
            QVERIFY2(qAbs(before[c] - after[c]) <= 6, qPrintable(QString::number(c)));

        orvix::FitToWidth(picture, 100);
        QVERIFY(picture.SaveAs(path(u"thumb.gif"_qs)));
        QCOMPARE(QImageReader(path(u"thumb.gif"_qs)).size(), QSize(100, 66));
    }

    void drawStretchesWithoutKeepingTheAspectRatio() {
        // Stored 4 wide; drawn into 40 × 10, each stored column is 10 pixels wide, each row 5.
        const QImage source = distinctPicture(2, 2);
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
        // Each pixel exactly, nothing blended; the right half shows the repeated last column.
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                const bool inside = x >= 5 && x < 45 && y >= 3 && y < 13;
                QCOMPARE(canvas.pixel(x, y),
                         inside ? source.pixel(std::min((x - 5) / 10, 1), (y - 3) / 5) : grey);
            }
        }
    }
};

QTEST_MAIN(TestDibPicture)
#include "tst_dib_picture.moc"
