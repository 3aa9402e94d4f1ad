#include "app/configuration.h"
#include "app/login_reply.h"
#include "app/settings_file.h"
#include "app/ui_text.h"
#include "support/http_peer.h"
#include "support/shell_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
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

        // The whole login result in one call; Korean text goes through the system code page
        // both ways.
        const LoginReply reply =
            LoginReply::parse(u"1</>1</>12</>dev</>0</>34</>8</>0.6.0</>srv.test:81</>img.test"
                              u"</>r11</>r12</>9"_qs);
        const QString id = QStringLiteral("홍길동");
        f.app->StoreLoginResult(reply, u"kim"_qs, QStringLiteral("비밀"), 1);
        const SessionRecord& s = f.session();
        const QStringList kept{s.memberId,           s.deviceId,          s.memberNumber,
                               s.imageServerAddress, s.storeNumber,       s.latestVersionCode,
                               s.latestVersionName,  s.serverAddress,     s.reservedField11,
                               s.reservedField12,    s.minimumVersionCode};
        QCOMPARE(kept,
                 QStringList({u"kim"_qs, u"dev"_qs, u"12"_qs, u"img.test"_qs, u"34"_qs, u"8"_qs,
                              u"0.6.0"_qs, u"srv.test:81"_qs, u"r11"_qs, u"r12"_qs, u"9"_qs}));
        QCOMPARE(s.password, QStringLiteral("비밀"));
        QCOMPARE(s.serverAddressNarrow, QByteArray("srv.test:81"));
        f.app->StoreLoginResult(reply, id, QStringLiteral("비밀"), 1);
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
        f.app->StoreLoginResult(reply, id, QStringLiteral("pw"), 0);
        QCOMPARE(fileBytes(path), kNothingRemembered);
        f.app->ReadSettings();
        QVERIFY(f.session().memberId.isEmpty() && f.session().password.isEmpty());

        // Only the member may read the file, however it was left before (the "user" bits, which
        // repeat the owner's for the file's owner, are left out of the comparison).
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadGroup | QFileDevice::ReadOther);
        f.app->StoreLoginResult(reply, id, QStringLiteral("pw"), 1);
        QCOMPARE(QFile::permissions(path) & ~QFileDevice::Permissions(0x0700),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile::remove(path);
        QVERIFY(SettingsFile::write(path, "a", "b"));
        QCOMPARE(QFile::permissions(path) & ~QFileDevice::Permissions(0x0700),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);

        // The file is replaced whole; a folder that does not exist gets nothing.
        QVERIFY(
            !SettingsFile::write(f.dir.filePath(QStringLiteral("missing/orvisys.sy1")), "a", "b"));
        QVERIFY(!QFile::exists(f.dir.filePath(QStringLiteral("missing"))));
    }

    // The member number names the photo's file: only plain digits are taken; anything else
    // leaves the member with the default picture and fetches nothing.
    void memberNumberNamesThePhotoOnlyAsDigits_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("fetched");
        QTest::newRow("digits") << u"0042"_qs << true;
        QTest::newRow("climbing out") << u"x/../../outside"_qs << false;
        QTest::newRow("parent") << u"/../12"_qs << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("signed") << u"-5"_qs << false;
    }
    void memberNumberNamesThePhotoOnlyAsDigits() {
        QFETCH(QString, number);
        QFETCH(bool, fetched);
        test::HttpPeer peer([](const test::HttpPeer::Request&) {
            return test::HttpPeer::reply("photo", "image/jpeg");
        });
        test::ShellFixture f;
        const QString work = f.dir.filePath(u"work"_qs);
        QVERIFY(QDir().mkpath(work));
        f.session().workFolder = work;
        LoginReply reply = LoginReply::parse(u"1</>1</>1</>dev</>1</>34</>7"_qs);
        reply.memberNumber = number;
        reply.imageServerAddress = peer.address();
        f.app->StoreLoginResult(reply, u"kim"_qs, u"pw"_qs, 1);
        QCOMPARE(peer.requestCount(), fetched ? 1 : 0);
        QCOMPARE(f.session().memberPhotoPath,
                 fetched ? work + u"/mem"_qs + number + u".jpg"_qs : QString());
        const QStringList written =
            fetched ? QStringList{u"mem"_qs + number + u".jpg"_qs, u"orvisys.sy1"_qs}
                    : QStringList{u"orvisys.sy1"_qs};
        QCOMPARE(QDir(work).entryList(QDir::Files), written);
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList{u"work"_qs});
        f.app->LoadMemberPhoto();
        QCOMPARE(f.app->defaultMemberPicture().size(), QSize(50, 50));
    }

    void countryMapping() {
        QCOMPARE(countryCodeFor(QStringLiteral("KR")), 0);
        QCOMPARE(countryCodeFor(QStringLiteral("CN")), 1);
        for (const char* other : {"JP", "kr", "KR ", ""})
            QCOMPARE(countryCodeFor(QString::fromLatin1(other)), 2);
        QCOMPARE(uiText(UiRow::NoticeTitle, StoreTextColumn), QStringLiteral("Orvix通知"));
        QCOMPARE(loginText(LoginRow::Cancel, 2), QStringLiteral("CANCEL"));
        constexpr LocalText text{u"한국어", u"中文", u"English"};
        const std::pair<int, const char16_t*> picks[] = {{Country::Korea, u"한국어"},
                                                         {Country::China, u"中文"},
                                                         {Country::Other, u"English"},
                                                         {7, u"English"},
                                                         {-1, u"English"}};
        for (const auto& [country, expected] : picks)
            QCOMPARE(text.pick(country), QString::fromUtf16(expected));
    }

    void configurationFromTheEnvironment_data() {
        QTest::addColumn<QStringList>("variables"); // NAME=value
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("webHost");
        QTest::addColumn<int>("uploadPort");
        const QString local = u"127.0.0.1:8080"_qs;
        QTest::newRow("none") << QStringList() << local << local << 2000;
        QTest::newRow("all set") << QStringList{u"ORVIX_SERVER=srv.test:81"_qs,
                                                u"ORVIX_WEB_HOST= web.test "_qs,
                                                u"ORVIX_UPLOAD_PORT=2100"_qs}
                                 << u"srv.test:81"_qs << u"web.test"_qs << 2100;
        QTest::newRow("blank and bad values keep the defaults")
            << QStringList{u"ORVIX_SERVER=  "_qs, u"ORVIX_WEB_HOST="_qs,
                           u"ORVIX_UPLOAD_PORT=65536"_qs}
            << local << local << 2000;
        QTest::newRow("port 0") << QStringList{u"ORVIX_UPLOAD_PORT=0"_qs} << local << local << 2000;
        QTest::newRow("port not a number")
            << QStringList{u"ORVIX_UPLOAD_PORT=20x"_qs} << local << local << 2000;
    }
    void configurationFromTheEnvironment() {
        QFETCH(QStringList, variables);
        QFETCH(QString, server);
        QFETCH(QString, webHost);
        QFETCH(int, uploadPort);
        QProcessEnvironment environment;
        for (const QString& variable : variables)
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        const Configuration configuration = Configuration::fromEnvironment(environment);
        QCOMPARE(configuration.serverAddress, server);
        QCOMPARE(configuration.webHost, webHost);
        QCOMPARE(int(configuration.uploadPort), uploadPort);
    }
};

QTEST_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
