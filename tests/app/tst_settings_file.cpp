#include "app/orvix_win_app.h"
#include "app/settings_file.h"
#include "app/ui_text.h"
#include "platform/doubles/counting_sound.h"
#include "platform/doubles/fixed_environment.h"
#include "platform/doubles/scripted_ui_services.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace orvix;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void encodesLittleEndianLengthsWithoutTerminators() {
        QCOMPARE(SettingsFile::encode("0", "0"), QByteArray("\x01\x00\x00\x00"
                                                            "0"
                                                            "\x01\x00\x00\x00"
                                                            "0",
                                                            10));
        QCOMPARE(SettingsFile::encode("abc", ""), QByteArray("\x03\x00\x00\x00"
                                                             "abc"
                                                             "\x00\x00\x00\x00",
                                                             11));
        const QByteArray id(300, 'i');
        const QByteArray encoded = SettingsFile::encode(id, "pw");
        QCOMPARE(encoded.left(4), QByteArray("\x2c\x01\x00\x00", 4));
        QCOMPARE(SettingsFile::decode(encoded)->id, id);
        QCOMPARE(SettingsFile::decode(encoded)->password, QByteArray("pw"));
    }

    void recordLimits() {
        const QByteArray longest(SettingsFile::MaxRecordBytes, 'x');
        QCOMPARE(SettingsFile::decode(SettingsFile::encode(longest, "p"))->id, longest);
        // A record that could not be read back is not written: nothing is remembered instead.
        const QByteArray tooLong(SettingsFile::MaxRecordBytes + 1, 'x');
        QCOMPARE(SettingsFile::decode(SettingsFile::encode(tooLong, "p"))->id, QByteArray("0"));
    }

    void damagedFilesAreNotSettings_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = SettingsFile::encode("member", "secret");
        for (int cut = 0; cut < good.size(); ++cut)
            QTest::addRow("cut at %d", cut) << good.left(cut);
        QTest::newRow("negative length") << QByteArray("\xff\xff\xff\xff"
                                                       "abc",
                                                       7);
        QByteArray over("\x00\x04\x00\x00", 4); // 1,024
        over.append(QByteArray(1024, 'a'))
            .append(QByteArray("\x01\x00\x00\x00"
                               "0",
                               5));
        QTest::newRow("record of 1024 bytes") << over;
        QTest::newRow("huge length") << QByteArray("\xff\xff\xff\x7f", 4);
    }
    void damagedFilesAreNotSettings() {
        QFETCH(QByteArray, bytes);
        QVERIFY(!SettingsFile::decode(bytes).has_value());
    }

    void writeIsWholeOrNothing() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("orvisys.sy1"));
        QVERIFY(SettingsFile::write(path, "one", "two"));
        QCOMPARE(fileBytes(path), SettingsFile::encode("one", "two"));
        QVERIFY(SettingsFile::write(path, "0", "0"));
        QCOMPARE(fileBytes(path).size(), 10);
        // A folder that does not exist: nothing is written and the caller is told.
        QVERIFY(
            !SettingsFile::write(dir.filePath(QStringLiteral("missing/orvisys.sy1")), "a", "b"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("missing"))));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("orvisys.sy1")});
    }

    void applicationReadsAndStores() {
        QTemporaryDir dir;
        FixedEnvironment environment;
        ScriptedUiServices ui;
        CountingSound sound;
        COrvixWinApp app({&environment, &ui, &sound, {}});
        app.session().workFolder = dir.path();

        // No file: nothing remembered, no message.
        app.ReadSettings();
        QVERIFY(app.session().memberId.isEmpty());
        QVERIFY(ui.messages().empty());

        // Korean text goes through the system code page both ways.
        const QString id = QStringLiteral("홍길동");
        app.StoreLoginResult(id, QStringLiteral("비밀"), QStringLiteral("dev"),
                             QStringLiteral("12"), 1, QStringLiteral("img"), QStringLiteral("0"));
        QCOMPARE(fileBytes(app.settingsPath()),
                 SettingsFile::encode(id.toUtf8(), QStringLiteral("비밀").toUtf8()));
        app.session().memberId.clear();
        app.ReadSettings();
        QCOMPARE(app.session().memberId, id);
        QCOMPARE(app.session().password, QStringLiteral("비밀"));

        // Remember cleared: "0" and "0", read back as empty.
        app.StoreLoginResult(id, QStringLiteral("pw"), QStringLiteral("dev"), QStringLiteral("12"),
                             0, QStringLiteral("img"), QStringLiteral("0"));
        QCOMPARE(fileBytes(app.settingsPath()), QByteArray("\x01\x00\x00\x00"
                                                           "0"
                                                           "\x01\x00\x00\x00"
                                                           "0",
                                                           10));
        app.ReadSettings();
        QVERIFY(app.session().memberId.isEmpty());
        QVERIFY(app.session().password.isEmpty());

        // Photo marker "0": no photo path, the default picture.
        QVERIFY(app.session().memberPhotoPath.isEmpty());
        QCOMPARE(app.defaultMemberPicture().size(), QSize(50, 50));

        // A damaged file reads as nothing remembered.
        writeBytes(app.settingsPath(), QByteArray("\x05\x00\x00\x00"
                                                  "ab",
                                                  6));
        app.session().memberId = QStringLiteral("kept?");
        app.ReadSettings();
        QCOMPARE(app.session().memberId, QStringLiteral("kept?"));
    }

    void countryMapping() {
        QCOMPARE(countryCodeFor(QStringLiteral("KR")), 0);
        QCOMPARE(countryCodeFor(QStringLiteral("CN")), 1);
        QCOMPARE(countryCodeFor(QStringLiteral("JP")), 2);
        QCOMPARE(countryCodeFor(QStringLiteral("kr")), 2);
        QCOMPARE(countryCodeFor(QStringLiteral("KR ")), 2);
        QCOMPARE(countryCodeFor(QString()), 2);
        QCOMPARE(uiText(UiRow::NoticeTitle, StoreTextColumn), QStringLiteral("Orvix通知"));
        QCOMPARE(uiText(UiRow::AddStore, 0), QStringLiteral("단체정보"));
        QCOMPARE(loginText(LoginRow::Cancel, 2), QStringLiteral("CANCEL"));
        QCOMPARE(uiText(UiRow::PersonsUnit, 7), QStringLiteral(" "));
    }
};

QTEST_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
