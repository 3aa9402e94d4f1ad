#include "platform/resources.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QtEndian>
#include <QtMath>

namespace {

// Every picture the windows use, with the size they lay out around.
const QList<std::pair<int, QSize>> kPictures{
    {130, {96, 132}}, {131, {96, 132}},  {132, {96, 132}},  {133, {96, 132}}, {134, {96, 132}},
    {135, {96, 132}}, {136, {96, 132}},  {137, {96, 132}},  {139, {96, 132}}, {140, {96, 132}},
    {143, {50, 50}},  {162, {60, 60}},   {167, {167, 100}}, {168, {40, 40}},  {169, {40, 40}},
    {170, {40, 40}},  {171, {40, 40}},   {172, {40, 40}},   {173, {40, 40}},  {174, {40, 40}},
    {175, {40, 40}},  {176, {40, 40}},   {177, {40, 40}},   {178, {40, 40}},  {179, {40, 40}},
    {180, {40, 40}},  {181, {40, 40}},   {182, {40, 40}},   {183, {40, 40}},  {184, {40, 40}},
    {185, {40, 40}},  {186, {40, 40}},   {187, {40, 40}},   {189, {40, 40}},  {196, {40, 40}},
    {198, {30, 20}},  {201, {308, 522}}, {188, {70, 70}},
};

} // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void everyPictureIsDrawnAtItsExactSize() {
        for (const auto& [id, size] : kPictures) {
            QCOMPARE(orvix::res::bitmapSize(id), size);
            const QImage image = orvix::res::bitmap(id);
            QCOMPARE(image.size(), size);
            QImage blank(size, QImage::Format_RGB32);
            blank.fill(image.pixel(0, 0));
            QVERIFY2(image.convertToFormat(QImage::Format_RGB32) != blank, QByteArray::number(id));
        }
        // No drawing is left out of the table.
        QCOMPARE(QDir(u":/orvix/bitmaps"_qs).entryList().size(), kPictures.size());
        for (int id : {0, -1, 129, 138, 164, 200, 99999}) {
            QVERIFY(orvix::res::bitmapSize(id).isEmpty());
            QVERIFY(orvix::res::bitmap(id).isNull());
        }
    }

    // Pictures for the screen: drawn at the device pixel ratio (sharp, not scaled up), painting
    // at their own size, on a transparent ground where the drawing has none, with the words
    // given put in their places.
    void picturesForTheScreen() {
        for (qreal ratio : {1.0, 1.5, 2.0}) {
            const QImage picture = orvix::res::picture(162, ratio);
            QCOMPARE(picture.size(), QSize(qCeil(60 * ratio), qCeil(60 * ratio)));
            QCOMPARE(picture.devicePixelRatio(), ratio);
            QCOMPARE(picture.deviceIndependentSize().toSize(), QSize(60, 60));
            QCOMPARE(qAlpha(picture.pixel(0, 0)), 0); // the dialog shows through the corners
            QCOMPARE(qAlpha(picture.pixel(picture.width() / 2, picture.height() / 2)), 255);
        }
        // At twice the ratio the drawing has detail of its own, not repeated pixels.
        const QImage sharp = orvix::res::picture(130, 2.0);
        const QImage scaled = orvix::res::picture(130, 1.0).scaled(sharp.size());
        QVERIFY(sharp != scaled);
        QVERIFY(orvix::res::picture(99999, 2.0).isNull());
        QVERIFY(orvix::res::picture(130, 0.0).isNull());

        // Words: each mark takes its value, escaped; unknown and missing ones stay empty.
        const QImage blank = orvix::res::picture(130, 1.0);
        const QImage named = orvix::res::picture(130, 1.0, {{u"name"_qs, u"<Chat & go>"_qs}});
        const QImage korean = orvix::res::picture(130, 1.0, {{u"name"_qs, u"채팅"_qs}});
        QVERIFY(!named.isNull() && named != blank && korean != named && korean != blank);
        QCOMPARE(orvix::res::picture(130, 1.0, {{u"other"_qs, u"x"_qs}}), blank);
        QCOMPARE(orvix::res::bitmap(130).pixel(0, 0), blank.pixel(0, 0)); // same drawing
    }

    void notificationSoundIsAShortChimeInAValidWav() {
        QCOMPARE(orvix::res::soundUrl(orvix::res::NotificationSound),
                 QUrl(u"qrc:/orvix/sounds/164.wav"_qs));
        QFile file(u":/orvix/sounds/164.wav"_qs);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray wav = file.readAll();
        // RIFF, then the format (PCM, mono, 44,100 samples a second of 16 bits), then the samples.
        QByteArray head(44, '\0');
        QDataStream stream(&head, QIODevice::WriteOnly);
        stream.setByteOrder(QDataStream::LittleEndian);
        stream.writeRawData("RIFF", 4);
        stream << quint32(wav.size() - 8);
        stream.writeRawData("WAVEfmt ", 8);
        stream << quint32(16) << quint16(1) << quint16(1) << quint32(44100) << quint32(88200)
               << quint16(2) << quint16(16);
        stream.writeRawData("data", 4);
        stream << quint32(wav.size() - 44);
        QCOMPARE(wav.left(44), head);
        // About half a second, clearly audible and never clipped.
        QVERIFY(wav.size() > 44 + 0.3 * 88200 && wav.size() < 44 + 0.6 * 88200);
        int peak = 0;
        for (qsizetype at = 44; at + 1 < wav.size(); at += 2)
            peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(wav.constData() + at))));
        QVERIFY(peak > 8000 && peak < 32000);
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
