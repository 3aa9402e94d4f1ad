// The server's parts on their own, without sockets: parsing of what comes from outside (form
// bodies, upload header blocks, the serve command line) and the storage (the database file,
// passwords, the PC approvals that only the storage sees, the staging folder).

#include "server_test_support.h"

#include "server/admin/member_registration.h"
#include "server/app/serve_command.h"
#include "server/http/form_body.h"
#include "server/storage/database.h"
#include "server/storage/password_hasher.h"
#include "server/storage/password_verifier.h"
#include "server/storage/pc_access_store.h"
#include "server/storage/schema.h"
#include "server/upload/upload_header.h"

#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace orvix::server;
using namespace orvix::server::test;
using Outcome = PcAccessStore::Admission::Outcome;

namespace {

ServerConfig configFor(const QTemporaryDir& dir) {
    ServerConfig config;
    config.dataDir = dir.path();
    return config;
}

// A cheap hash for tests that create members often.
QString quickHash(const QString& password) {
    return PasswordHasher(10).hash(password);
}

QVariant scalar(Database& db, const QString& sql) {
    QSqlQuery& query = db.statement(sql);
    QVariant value;
    if (query.exec() && query.next())
        value = query.value(0);
    query.finish();
    return value;
}

} // namespace

class TestServerUnits : public QObject {
    Q_OBJECT
private slots:
    void formBodyKeepsValuesAsTyped_data();
    void formBodyKeepsValuesAsTyped();
    void uploadHeader_data();
    void uploadHeader();
    void serveCommandLine_data();
    void serveCommandLine();
    void databaseFile();
    void registrationChecksIdAndPassword_data();
    void registrationChecksIdAndPassword();
    void passwordHashes();
    void verifierRemembersOnlyWhatMatched();
    void approvalsBesideTheLoginFlow();
    void staleStagingFilesAreCleared();
};

void TestServerUnits::formBodyKeepsValuesAsTyped_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    // Split at '&' and at the first '=' of each pair; nothing is decoded.
    const char* const rows[][3] = {
        {"id=a%20b&x=1", "id", "a%20b"},
        {"id=a+b", "id", "a+b"},
        {"password=a=b==", "password", "a=b=="},
        {"content=안녕하세요&idx=1", "content", "안녕하세요"},
        {"id=&password=x", "password", "x"},
        {"id=a&id=b", "id", "a"},
        {"&&flag&=novalue&x=1&", "", "novalue"},
    };
    for (const auto& row : rows) {
        QTest::addRow("%s [%s]", row[0], row[1])
            << QByteArray(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2]);
    }
}

void TestServerUnits::formBodyKeepsValuesAsTyped() {
    QFETCH(QByteArray, body);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QCOMPARE(FormBody::parse(body).value(name), value);
}

void TestServerUnits::uploadHeader_data() {
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QString>("path"); // empty: refused
    const char* const rows[][2] = {
        {"1234 chatdata s1700000000.jpg", "chatdata/s1700000000.jpg"},
        {"5 document/12 my report  v2 .PDF", "document/12/my report  v2 .PDF"},
        {"7 chatdata 사진 한장.jpg", "chatdata/사진 한장.jpg"},
        {"1 .. x.jpg", ""},
        {"1 /etc x.jpg", ""},
        {"1 a\\..\\b x.jpg", ""},
        {"1 chatdata ../x.jpg", ""},
        {"1 chatdata ..", ""},
        {"1 chatdata a\nb.jpg", ""},
        {"1 chatdata ", ""},
        {"12a chatdata x.jpg", ""},
        {"100001 chatdata x.jpg", ""},
        {"99999999999999999999999 chatdata x.jpg", ""},
        {"1 chatdata \xff\xfe.jpg", ""},
    };
    for (const auto& row : rows) {
        const QByteArray text(row[0]);
        QTest::newRow(row[0]) << text + QByteArray(2048 - text.size(), '\0')
                              << QString::fromUtf8(row[1]);
    }
    QTest::newRow("no terminator") << QByteArray("1 chatdata ") + QByteArray(2037, 'x') << "";
    QTest::newRow("short block") << QByteArray("1 chatdata x.jpg") << "";
}

void TestServerUnits::uploadHeader() {
    QFETCH(QByteArray, block);
    QFETCH(QString, path);
    QString reason;
    const auto header = UploadHeader::parse(block, 100000, &reason);
    QCOMPARE(header ? header->relativePath() : QString(), path);
    QCOMPARE(reason.isEmpty(), !path.isEmpty());
    if (header)
        QCOMPARE(header->size, block.left(block.indexOf(' ')).toLongLong());
}

void TestServerUnits::serveCommandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("config"); // empty: refused
    const char* const rows[][2] = {
        {"--data /srv/orvix", "/srv/orvix 127.0.0.1 8080 2000  104857600 7 0.5.6 7 0 0"},
        {"--data d --bind 0.0.0.0 --http-port 0 --upload-port 2001 --public-address "
         "example.org:81 --demo --auto-approve --max-upload 1000 --version-code 8 "
         "--version-name 0.6.0 --min-version-code 6",
         "d 0.0.0.0 0 2001 example.org:81 1000 8 0.6.0 6 1 1"},
        {"--demo", ""},
        {"--data d --http-port 65536", ""},
        {"--data d --public-address a</>b", ""},
        {"--data d extra", ""},
        {"--data d --bogus", ""},
    };
    for (const auto& row : rows)
        QTest::newRow(row[0]) << words(row[0]) << QString::fromUtf8(row[1]);
}

void TestServerUnits::serveCommandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, config);
    QString error;
    const auto c = ServeCommand::parse(arguments, &error);
    QCOMPARE(error.isEmpty(), !config.isEmpty());
    if (!c)
        return;
    QCOMPARE(
        QStringList({c->dataDir, c->bindAddress, QString::number(c->httpPort),
                     QString::number(c->uploadPort), c->publicAddress,
                     QString::number(c->maxUpload), c->versionCode, c->versionName,
                     c->minVersionCode, QString::number(c->demo), QString::number(c->autoApprove)})
            .join(u' '),
        config);
}

void TestServerUnits::databaseFile() {
    QTemporaryDir dir;
    ServerContext context(configFor(dir));
    QString error;
    QVERIFY2(context.open(&error), qPrintable(error));
    Database& db = context.database();
    QCOMPARE(scalar(db, u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
    QCOMPARE(scalar(db, u"PRAGMA foreign_keys"_s).toInt(), 1);
    QVERIFY(!db.exec(u"INSERT INTO chat_messages (room_no, kind, sent_at) VALUES (99, 1, 0)"_s));

    // A second connection (an admin command) opens the same layout without changing it.
    ServerContext admin(configFor(dir));
    QVERIFY2(admin.open(&error), qPrintable(error));
    QCOMPARE(Schema::storedVersion(admin.database()), Schema::currentVersion());
    // A layout newer than this program knows is refused, not reused.
    QVERIFY(admin.database().exec(u"PRAGMA user_version=%1"_s.arg(Schema::currentVersion() + 1)));
    ServerContext older(configFor(dir));
    QVERIFY(!older.open(&error));
    QVERIFY2(error.contains(u"version"_s), qPrintable(error));
}

void TestServerUnits::registrationChecksIdAndPassword_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    // The ID and the password as "id|password".
    const auto add = [](const char* pair, bool accepted) {
        const QStringList parts = QString::fromUtf8(pair).split(u'|');
        QTest::newRow(pair) << parts[0] << parts[1] << accepted;
    };
    for (const char* pair : {"김민지|a=b c", "zero|0"})
        add(pair, true);
    for (const char* pair : {"|x", "kim|", "a&b|x", "kim|p&q", " kim|x", "kim|a\tb"})
        add(pair, false);
    QTest::newRow("too long") << QString(101, u'k') << u"x"_s << false;
}

void TestServerUnits::registrationChecksIdAndPassword() {
    QFETCH(QString, id);
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    QString reason;
    QCOMPARE(MemberRegistration::isUsableId(id, &reason) &&
                 MemberRegistration::isUsablePassword(password, &reason),
             accepted);
    QCOMPARE(reason.isEmpty(), accepted);
}

void TestServerUnits::passwordHashes() {
    const QString password = u"비밀 번호"_s;
    const QString hash = PasswordHasher(1000).hash(password);
    QVERIFY(hash.startsWith(u"pbkdf2-sha256$1000$"_s) && !hash.contains(u"비밀"_s));
    QVERIFY(PasswordHasher::verify(password, hash));
    QVERIFY(!PasswordHasher::verify(u"비밀번호"_s, hash));
    QVERIFY(!PasswordHasher::verify(QString(), hash));
    QVERIFY(PasswordHasher(1000).hash(password) != hash); // salted
    // Damaged hashes match nothing, and a forged iteration count is not run.
    QVERIFY(!PasswordHasher::verify(u"x"_s, u"x"_s));
    QVERIFY(
        !PasswordHasher::verify(password, QString(hash).replace(u"$1000$"_s, u"$999999999$"_s)));
    QVERIFY(!PasswordHasher::verify(password, hash.left(hash.lastIndexOf(u'$')) + u"$!!"_s));
}

void TestServerUnits::verifierRemembersOnlyWhatMatched() {
    PasswordVerifier verifier(2);
    const QString hashA = quickHash(u"a"_s);
    const QString hashB = quickHash(u"b"_s);
    QVERIFY(!verifier.verify(u"wrong"_s, hashA));
    QVERIFY(!verifier.verify(u"wrong"_s, hashA));
    QCOMPARE(verifier.rememberedFailures(), 1);
    QVERIFY(verifier.verify(u"a"_s, hashA));
    QVERIFY(verifier.verify(u"a"_s, hashA));
    QCOMPARE(verifier.rememberedCount(), 1);
    // A remembered success lets no other password through, nor the same one against another
    // stored hash (a changed password).
    QVERIFY(!verifier.verify(u"b"_s, hashA));
    QVERIFY(!verifier.verify(u"a"_s, hashB));
    // Bounded: at capacity it starts over and still answers right.
    QVERIFY(verifier.verify(u"b"_s, hashB));
    QVERIFY(verifier.rememberedCount() <= 2);
    QVERIFY(verifier.verify(u"a"_s, hashA));
}

void TestServerUnits::approvalsBesideTheLoginFlow() {
    QTemporaryDir dir;
    ServerContext context(configFor(dir));
    QVERIFY(context.open(nullptr));
    const qint64 no[] = {1, 2, 3};
    for (const char* id : {"a", "b", "c"})
        QVERIFY(context.members().add(QString::fromLatin1(id), quickHash(u"a"_s), {}, nullptr));
    PcAccessStore& access = context.pcAccess();
    // Repeated logins while waiting open one approval, not one each.
    QCOMPARE(access.admit(no[0], false).outcome, Outcome::Pending);
    QCOMPARE(access.admit(no[0], false).outcome, Outcome::Pending);
    QCOMPARE(scalar(context.database(), u"SELECT COUNT(*) FROM pc_approvals"_s), 1);
    // The phone may change its mind before the PC asks again.
    QVERIFY(access.decide(no[0], false));
    QVERIFY(access.decide(no[0], true));
    QCOMPARE(access.admit(no[0], false).outcome, Outcome::Admitted);

    // An answer given before any login is kept for the next one.
    QVERIFY(access.decide(no[1], true));
    QVERIFY(access.decide(no[2], false));
    QCOMPARE(access.admit(no[1], false).outcome, Outcome::Admitted);
    QCOMPARE(access.admit(no[2], false).outcome, Outcome::Refused);

    // Admitting at once closes a pending approval with it.
    QCOMPARE(access.admit(no[2], false).outcome, Outcome::Pending);
    QCOMPARE(access.admit(no[2], true).outcome, Outcome::Admitted);
    QVERIFY(!access.openApproval(no[2]));
}

void TestServerUnits::staleStagingFilesAreCleared() {
    QTemporaryDir dir;
    const DataFolder folder(dir.path());
    // Only old staged files go: a recent one may belong to an admin command running beside.
    for (const char* name : {"/stage-old", "/stage-recent", "/keep.txt"})
        QVERIFY(writeFile(folder.stagingDir() + QLatin1String(name), "x"));
    QFile old(folder.stagingDir() + u"/stage-old"_s);
    QVERIFY(old.open(QIODevice::ReadWrite));
    QVERIFY(old.setFileTime(QDateTime::currentDateTimeUtc().addDays(-2),
                            QFileDevice::FileModificationTime));
    old.close();
    QVERIFY(folder.prepare(nullptr));
    QCOMPARE(QDir(folder.stagingDir()).entryList(QDir::Files), words("keep.txt stage-recent"));
}

QTEST_GUILESS_MAIN(TestServerUnits)
#include "tst_server_units.moc"
