#include "platform/resources.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSet>
#include <QTest>
#include <QtEndian>

namespace {

// Every picture the windows use, with the size they lay out around.
struct Expected {
    int id;
    QSize size;
};
const QList<Expected> kPictures{
    {130, {96, 132}}, {131, {96, 132}},  {132, {96, 132}},  {133, {96, 132}}, {134, {96, 132}},
    {135, {96, 132}}, {136, {96, 132}},  {137, {96, 132}},  {139, {96, 132}}, {140, {96, 132}},
    {143, {50, 50}},  {162, {60, 60}},   {167, {167, 100}}, {168, {40, 40}},  {169, {40, 40}},
    {170, {40, 40}},  {171, {40, 40}},   {172, {40, 40}},   {173, {40, 40}},  {174, {40, 40}},
    {175, {40, 40}},  {176, {40, 40}},   {177, {40, 40}},   {178, {40, 40}},  {179, {40, 40}},
    {180, {40, 40}},  {181, {40, 40}},   {182, {40, 40}},   {183, {40, 40}},  {184, {40, 40}},
    {185, {40, 40}},  {186, {40, 40}},   {187, {40, 40}},   {189, {40, 40}},  {196, {40, 40}},
    {198, {30, 20}},  {201, {308, 522}},
};

int colourCount(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    }
    return int(colours.size());
}

double meanLightness(const QImage& image) {
    double sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            sum += QColor(image.pixel(x, y)).lightnessF();
    }
    return sum / (image.width() * image.height());
}

bool hasDarkPixel(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 90)
                return true;
        }
    }
    return false;
}

// The fields of a PCM WAV file that matter to a player.
struct WavFormat {
    bool valid = false;
    quint16 encoding = 0;
    quint16 channels = 0;
    quint32 sampleRate = 0;
    quint32 byteRate = 0;
    quint16 blockAlign = 0;
    quint16 bitsPerSample = 0;
    QByteArray samples;
};

WavFormat parseWav(const QByteArray& file) {
    WavFormat wav;
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE" ||
        qFromLittleEndian<quint32>(file.constData() + 4) != quint32(file.size() - 8))
        return wav;
    bool hasFormat = false;
    for (qsizetype at = 12; at + 8 <= file.size();) {
        const QByteArray id = file.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(file.constData() + at + 4);
        const char* body = file.constData() + at + 8;
        if (at + 8 + qsizetype(size) > file.size())
            return wav;
        if (id == "fmt " && size >= 16) {
            wav.encoding = qFromLittleEndian<quint16>(body);
            wav.channels = qFromLittleEndian<quint16>(body + 2);
            wav.sampleRate = qFromLittleEndian<quint32>(body + 4);
            wav.byteRate = qFromLittleEndian<quint32>(body + 8);
            wav.blockAlign = qFromLittleEndian<quint16>(body + 12);
            wav.bitsPerSample = qFromLittleEndian<quint16>(body + 14);
            hasFormat = true;
        } else if (id == "data") {
            wav.samples = QByteArray(body, size);
            wav.valid = hasFormat;
        }
        at += 8 + qsizetype(size) + (size & 1);
    }
    return wav;
}

} // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void everyPictureIsDrawnAtItsExactSize() {
        for (const Expected& picture : kPictures) {
            const QByteArray name = QByteArray::number(picture.id);
            QCOMPARE(orvix::res::bitmapSize(picture.id), picture.size);
            const QImage image = orvix::res::bitmap(picture.id);
            QVERIFY2(!image.isNull(), name);
            QCOMPARE(image.size(), picture.size);
            QVERIFY2(!image.hasAlphaChannel(), name);
            QVERIFY2(colourCount(image) > 1, name);
        }
    }

    void everyDrawingHasASize() {
        const QStringList drawings = QDir(QStringLiteral(":/orvix/bitmaps")).entryList();
        QCOMPARE(drawings.size(), kPictures.size());
        for (const QString& drawing : drawings) {
            bool isNumber = false;
            const int id = drawing.chopped(4).toInt(&isNumber);
            QVERIFY2(isNumber && drawing.endsWith(u".svg"), qPrintable(drawing));
            QVERIFY2(!orvix::res::bitmapSize(id).isEmpty(), qPrintable(drawing));
        }
    }

    void unknownNumbersGiveNothing() {
        for (int id : {0, -1, 128, 129, 138, 164, 188, 200, 202, 99999}) {
            QVERIFY(orvix::res::bitmapSize(id).isEmpty());
            QVERIFY(orvix::res::bitmap(id).isNull());
        }
    }

    void launcherButtonsCarryTheirWordAndPressedIsDarker() {
        for (int normal : {130, 132, 134, 136, 139}) {
            const int pressed = normal == 139 ? 140 : normal + 1;
            const QImage up = orvix::res::bitmap(normal);
            const QImage down = orvix::res::bitmap(pressed);
            QVERIFY(meanLightness(down) < meanLightness(up) - 0.03);
            // The word is drawn in dark letters under the picture.
            QVERIFY(hasDarkPixel(up, QRect(8, 98, 80, 22)));
            QVERIFY(hasDarkPixel(down, QRect(8, 98, 80, 22)));
            QVERIFY(up != down);
        }
    }

    void loginFaceLeavesTheControlsCalm() {
        const QImage face = orvix::res::bitmap(201);
        // The labels are drawn left of the edits and right of the check box ...
        QVERIFY(hasDarkPixel(face, QRect(20, 262, 80, 26)));
        QVERIFY(hasDarkPixel(face, QRect(20, 304, 80, 26)));
        QVERIFY(hasDarkPixel(face, QRect(46, 356, 110, 22)));
        // ... while the places of the edits and buttons stay plain and light.
        for (const QRect& place : {QRect(108, 260, 178, 31), QRect(108, 302, 178, 31),
                                   QRect(168, 392, 110, 30), QRect(39, 392, 115, 30)}) {
            QVERIFY(!hasDarkPixel(face, place));
            QVERIFY(colourCount(face.copy(place)) <= 2);
        }
    }

    void programIconExists() {
        QVERIFY(QFile::exists(QStringLiteral(":/orvix/icons/128.svg")));
        const QIcon icon = orvix::res::icon(orvix::res::ProgramIcon);
        QVERIFY(!icon.isNull());
        for (int side : {16, 32, 256}) {
            const QImage image = icon.pixmap(side, side).toImage();
            QCOMPARE(image.size(), QSize(side, side));
            QVERIFY(colourCount(image) > 2);
        }
    }

    void notificationSoundIsAShortChime() {
        const QUrl url = orvix::res::soundUrl(orvix::res::NotificationSound);
        QCOMPARE(url, QUrl(QStringLiteral("qrc:/orvix/sounds/164.wav")));
        QFile file(QStringLiteral(":/orvix/sounds/164.wav"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const WavFormat wav = parseWav(file.readAll());
        QVERIFY(wav.valid);
        QCOMPARE(wav.encoding, 1); // PCM
        QCOMPARE(wav.channels, 1);
        QCOMPARE(wav.bitsPerSample, 16);
        QCOMPARE(wav.sampleRate, 44100u);
        QCOMPARE(wav.blockAlign, 2);
        QCOMPARE(wav.byteRate, 88200u);
        QCOMPARE(wav.samples.size() % 2, 0);

        const qsizetype count = wav.samples.size() / 2;
        const double seconds = double(count) / wav.sampleRate;
        QVERIFY2(seconds > 0.3 && seconds < 0.6, qPrintable(QString::number(seconds)));
        int peak = 0;
        for (qsizetype i = 0; i < count; ++i)
            peak = std::max(
                peak, std::abs(int(qFromLittleEndian<qint16>(wav.samples.constData() + 2 * i))));
        QVERIFY(peak > 8000);  // clearly audible
        QVERIFY(peak < 32000); // never clipped
        // It starts and ends at rest, without a click.
        QVERIFY(std::abs(qFromLittleEndian<qint16>(wav.samples.constData())) < 200);
        QVERIFY(std::abs(qFromLittleEndian<qint16>(wav.samples.constData() + 2 * (count - 1))) <
                200);
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
