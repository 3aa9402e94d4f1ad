#include "app/settings_file.h"
#include "app/ui_text.h"
#include "shell_fixture.h"

#include <QFile>
#include <QTest>

using namespace orvix;

namespace {

const QByteArray kNothingRemembered("\x01\x00\x00\x00"
                                    "0"
                                    "\x01\x00\x00\x00"
                                    "0",
                                    10);

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void bytesBothWays() {
        QCOMPARE(SettingsFile::encode("0", "0"), kNothingRemembered);
        QCOMPARE(SettingsFile::encode("abc", ""), QByteArray("\x03\x00\x00\x00"
                                                             "abc"
                                                             "\x00\x00\x00\x00",
                                                             11));
        const QByteArray longest(SettingsFile::MaxRecordBytes, 'x');
        QCOMPARE(SettingsFile::encode(longest, "p").left(4), QByteArray("\xff\x03\x00\x00", 4));
        QCOMPARE(SettingsFile::decode(SettingsFile::encode(longest, "p"))->id, longest);
        // A record that could not be read back is written as "nothing remembered".
        QCOMPARE(SettingsFile::decode(SettingsFile::encode(longest + 'x', "p"))->id, "0");
    }

    void damagedFilesAreNotSettings_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = SettingsFile::encode("member", "secret");
        for (qsizetype cut : {qsizetype(0), qsizetype(3), qsizetype(4), qsizetype(9), qsizetype(10),
                              good.size() - 1})
            QTest::addRow("cut at %d", int(cut)) << good.left(cut);
        QTest::newRow("negative length") << QByteArray("\xff\xff\xff\xff"
                                                       "abc",
                                                       7);
        QTest::newRow("record of 1024 bytes")
            << QByteArray("\x00\x04\x00\x00", 4) + QByteArray(1024, 'a') + good.mid(10);
    }
    void damagedFilesAreNotSettings() {
        QFETCH(QByteArray, bytes);
        QVERIFY(!SettingsFile::decode(bytes).has_value());
    }

    void applicationReadsAndStores() {
        test::ShellFixture f;
        const QString path = f.app->settingsPath();
        f.app->ReadSettings(); // no file: nothing remembered, nothing shown
        QVERIFY(f.session().memberId.isEmpty());
        QVERIFY(f.ui.messages().empty());

        // Korean text goes through the system code page both ways.
        const QString id = QStringLiteral("홍길동");
        f.app->StoreLoginResult(id, QStringLiteral("비밀"), QStringLiteral("dev"),
                                QStringLiteral("12"), 1, QStringLiteral("img"),
                                QStringLiteral("0"));
        QCOMPARE(fileBytes(path),
                 SettingsFile::encode(id.toUtf8(), QStringLiteral("비밀").toUtf8()));
        f.session().memberId.clear();
        f.app->ReadSettings();
        QCOMPARE(f.session().memberId, id);
        QCOMPARE(f.session().password, QStringLiteral("비밀"));
        // Photo marker "0": no photo path, the default picture.
        QVERIFY(f.session().memberPhotoPath.isEmpty());
        QCOMPARE(f.app->defaultMemberPicture().size(), QSize(50, 50));

        // Remember cleared: "0" and "0", read back as empty.
        f.app->StoreLoginResult(id, QStringLiteral("pw"), QStringLiteral("dev"),
                                QStringLiteral("12"), 0, QStringLiteral("img"),
                                QStringLiteral("0"));
        QCOMPARE(fileBytes(path), kNothingRemembered);
        f.app->ReadSettings();
        QVERIFY(f.session().memberId.isEmpty() && f.session().password.isEmpty());

        // The file is replaced whole; a folder that does not exist gets nothing.
        QVERIFY(
            !SettingsFile::write(f.dir.filePath(QStringLiteral("missing/orvisys.sy1")), "a", "b"));
        QVERIFY(!QFile::exists(f.dir.filePath(QStringLiteral("missing"))));
    }

    void countryMapping() {
        QCOMPARE(countryCodeFor(QStringLiteral("KR")), 0);
        QCOMPARE(countryCodeFor(QStringLiteral("CN")), 1);
        for (const char* other : {"JP", "kr", "KR ", ""})
            QCOMPARE(countryCodeFor(QString::fromLatin1(other)), 2);
        QCOMPARE(uiText(UiRow::NoticeTitle, StoreTextColumn), QStringLiteral("Orvix通知"));
        QCOMPARE(loginText(LoginRow::Cancel, 2), QStringLiteral("CANCEL"));
    }
};

QTEST_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
