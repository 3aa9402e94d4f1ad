// The server's parts on their own, without sockets: parsing of what comes from outside (form
// bodies, upload header blocks, the serve command line) and the storage (the database file,
// the PC approvals that only the storage sees, passwords, the staging folder).

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

QVariant scalar(Database& db, const QString& sql) {
    QSqlQuery& query = db.statement(sql);
    const QVariant value = query.exec() && query.next() ? query.value(0) : QVariant();
    query.finish();
    return value;
}

} // namespace

class TestServerUnits : public QObject {
    Q_OBJECT
private slots:
    void formBodyKeepsValuesAsTyped();
    void uploadHeader();
    void serveCommandLine();
    void databaseAndApprovals();
    void featureTablesMigrateByName();
    void membersAndPasswords();
    void staleStagingFilesAreCleared();
};

void TestServerUnits::formBodyKeepsValuesAsTyped() {
    // Split at '&' and at the first '=' of each pair, nothing decoded; the first of a name counts.
    const FormBody form = FormBody::parse("id=a%20b+c&&flag&pw=a=b==&id=x&k=안녕하세요&=v&e=&x=1&");
    QCOMPARE(form.value(u"id"), u"a%20b+c"_s);
    QCOMPARE(form.value(u"pw"), u"a=b=="_s);
    QCOMPARE(form.value(u"k"), u"안녕하세요"_s);
    QCOMPARE(form.value(u""), u"v"_s);
    QCOMPARE(form.value(u"x"), u"1"_s);
    // A NUL byte is a character of its value like any other: it ends neither the value nor
    // the body.
    const FormBody nul = FormBody::parse(QByteArray("a=x\0y&b=2", 9));
    QCOMPARE(nul.value(u"a"), QString::fromUtf8(QByteArray("x\0y", 3)));
    QCOMPARE(nul.value(u"b"), u"2"_s);
}

void TestServerUnits::uploadHeader() {
    // Header texts and the paths they name.
    QList<std::pair<QByteArray, QString>> blocks = {
        {"1234 chatdata s1700000000.jpg", u"chatdata/s1700000000.jpg"_s},
        {"5 document/12 my report  v2 .PDF", u"document/12/my report  v2 .PDF"_s},
        {"7 chatdata 사진 한장.jpg", u"chatdata/사진 한장.jpg"_s}};
    for (const char* refused :
         {"1 .. x.jpg", "1 /etc x.jpg", "1 a\\..\\b x.jpg", "1 chatdata ../x.jpg", "1 chatdata ..",
          "1 chatdata a\nb.jpg", "1 chatdata ", "12a chatdata x.jpg", "100001 chatdata x.jpg",
          "99999999999999999999999 chatdata x.jpg", "1 chatdata \xff\xfe.jpg"})
        blocks.emplaceBack(refused, QString());
    for (auto& entry : blocks)
        entry.first = entry.first.leftJustified(2048, '\0');
    // Also refused: a block without its terminating zero, and a short block.
    blocks.emplaceBack(QByteArray("1 chatdata ").leftJustified(2048, 'x'), QString());
    blocks.emplaceBack("1 chatdata x.jpg", QString());
    for (const auto& [block, path] : blocks) {
        QString reason;
        const auto header = UploadHeader::parse(block, 100000, &reason);
        QCOMPARE(header ? header->relativePath() : QString(), path);
        QCOMPARE(reason.isEmpty(), !path.isEmpty());
    }
}

void TestServerUnits::serveCommandLine() {
    // Arguments and the settings they give; empty: refused.
    QList<std::pair<const char*, const char*>> rows = {
        {"--data /srv/orvix", "/srv/orvix 127.0.0.1 8080 2000  104857600 7 0.5.6 7 0 0"},
        {"--data d --bind 0.0.0.0 --http-port 0 --upload-port 2001 --public-address "
         "example.org:81 --demo --auto-approve --max-upload 1000 --version-code 8 "
         "--version-name 0.6.0 --min-version-code 6",
         "d 0.0.0.0 0 2001 example.org:81 1000 8 0.6.0 6 1 1"}};
    for (const char* refused :
         {"--demo", "--data d --http-port 65536", "--data d --public-address a</>b",
          "--data d extra", "--data d --bogus"})
        rows.emplaceBack(refused, "");
    for (const auto& [arguments, expected] : rows) {
        QString error;
        const auto c = ServeCommand::parse(words(arguments), &error);
        const QString settings =
            !c ? QString()
               : QStringList({c->dataDir, c->bindAddress, QString::number(c->httpPort),
                              QString::number(c->uploadPort), c->publicAddress,
                              QString::number(c->maxUpload), c->versionCode, c->versionName,
                              c->minVersionCode, QString::number(c->demo),
                              QString::number(c->autoApprove)})
                     .join(u' ');
        QCOMPARE(settings, QString::fromUtf8(expected));
        QCOMPARE(error.isEmpty(), bool(c));
    }
}

void TestServerUnits::databaseAndApprovals() {
    QTemporaryDir dir;
    ServerContext context(configFor(dir));
    QString error;
    QVERIFY2(context.open(&error), qPrintable(error));
    Database& db = context.database();
    QCOMPARE(scalar(db, u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
    // Foreign keys hold: no message in a room that does not exist.
    QVERIFY(!db.exec(u"INSERT INTO chat_messages (room_no, kind, sent_at) VALUES (99, 1, 0)"_s));

    // The PC approvals as only the storage sees them.
    for (const char* id : {"a", "b", "c"})
        QVERIFY(context.members().add(QString::fromLatin1(id), u"hash"_s, {}, nullptr));
    PcAccessStore& access = context.pcAccess();
    // Repeated logins while waiting open one approval, not one each.
    QCOMPARE(access.admit(1, false).outcome, Outcome::Pending);
    QCOMPARE(access.admit(1, false).outcome, Outcome::Pending);
    QCOMPARE(scalar(db, u"SELECT COUNT(*) FROM pc_approvals"_s), 1);
    // The phone may change its mind before the PC asks again.
    QVERIFY(access.decide(1, false) && access.decide(1, true));
    QCOMPARE(access.admit(1, false).outcome, Outcome::Admitted);
    // An answer given before any login is kept for the next one.
    QVERIFY(access.decide(2, true) && access.decide(3, false));
    QCOMPARE(access.admit(2, false).outcome, Outcome::Admitted);
    QCOMPARE(access.admit(3, false).outcome, Outcome::Refused);
    // Admitting at once closes a pending approval with it.
    QCOMPARE(access.admit(3, false).outcome, Outcome::Pending);
    QCOMPARE(access.admit(3, true).outcome, Outcome::Admitted);
    QVERIFY(!access.openApproval(3));

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

void TestServerUnits::featureTablesMigrateByName() {
    QTemporaryDir dir;
    ServerContext context(configFor(dir));
    QString error;
    QVERIFY2(context.open(&error), qPrintable(error));
    Database& db = context.database();
    QList<QStringList> steps{{u"CREATE TABLE t1 (a INTEGER)"_s}};
    QVERIFY2(Schema::migratePart(db, u"one"_s, steps, &error), qPrintable(error));
    // Again: nothing to do, nothing run twice.
    QVERIFY2(Schema::migratePart(db, u"one"_s, steps, &error), qPrintable(error));
    // A second feature numbers its migrations on its own.
    QVERIFY(Schema::migratePart(db, u"two"_s, {{u"CREATE TABLE t2 (b INTEGER)"_s}}, &error));
    // An appended migration runs alone, after the ones already applied.
    steps.append(
        {u"ALTER TABLE t1 ADD COLUMN c TEXT"_s, u"INSERT INTO t1 (a, c) VALUES (1, 'x')"_s});
    QVERIFY2(Schema::migratePart(db, u"one"_s, steps, &error), qPrintable(error));
    QCOMPARE(scalar(db, u"SELECT c FROM t1"_s).toString(), u"x"_s);
    QCOMPARE(scalar(db, u"SELECT version FROM schema_parts WHERE name = 'one'"_s), 2);
    // A failing migration leaves nothing half done; a database from a newer program is refused.
    QVERIFY(
        !Schema::migratePart(db, u"three"_s, {{u"CREATE TABLE t3 (x)"_s, u"BROKEN"_s}}, &error));
    QVERIFY(!scalar(db, u"SELECT COUNT(*) FROM sqlite_master WHERE name = 't3'"_s).toInt());
    QVERIFY(!Schema::migratePart(db, u"one"_s, steps.mid(0, 1), &error));
    QVERIFY2(error.contains(u"version 2"_s), qPrintable(error));
}

void TestServerUnits::membersAndPasswords() {
    // IDs and passwords as "id|password"; only the first two may be registered.
    const QStringList pairs = {u"김민지|a=b c"_s, u"zero|0"_s,   u"|x"_s,
                               u"kim|"_s,         u"a&b|x"_s,    u"kim|p&q"_s,
                               u" kim|x"_s,       u"kim|a\tb"_s, QString(101, u'k') + u"|x"_s};
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const QStringList pair = pairs[i].split(u'|');
        QString reason;
        const bool usable = MemberRegistration::isUsableId(pair[0], &reason) &&
                            MemberRegistration::isUsablePassword(pair[1], &reason);
        QVERIFY2(usable == (i < 2) && reason.isEmpty() == usable, qPrintable(pairs[i]));
    }

    // Salted PBKDF2; damaged hashes match nothing, and a forged iteration count is not run.
    const QString password = u"비밀 번호"_s;
    const QString hash = PasswordHasher(1000).hash(password);
    QVERIFY(hash.startsWith(u"pbkdf2-sha256$1000$"_s) && !hash.contains(u"비밀"_s));
    QVERIFY(PasswordHasher::verify(password, hash) && PasswordHasher(1000).hash(password) != hash);
    QVERIFY(!PasswordHasher::verify(u"비밀번호"_s, hash) && !PasswordHasher::verify({}, hash));
    QVERIFY(!PasswordHasher::verify(u"x"_s, u"x"_s));
    QVERIFY(
        !PasswordHasher::verify(password, QString(hash).replace(u"$1000$"_s, u"$999999999$"_s)));
    QVERIFY(!PasswordHasher::verify(password, hash.left(hash.lastIndexOf(u'$')) + u"$!!"_s));

    // The verifier remembers what matched and what failed, bounded, and lets nothing else
    // through: no other password, nor the same one against another stored hash.
    PasswordVerifier verifier(2);
    const QString hashA = PasswordHasher(10).hash(u"a"_s);
    const QString hashB = PasswordHasher(10).hash(u"b"_s);
    for (int round = 0; round < 2; ++round) // the second round answers from memory
        QVERIFY(!verifier.verify(u"wrong"_s, hashA) && verifier.verify(u"a"_s, hashA));
    QCOMPARE(verifier.rememberedFailures() + verifier.rememberedCount(), 2);
    QVERIFY(!verifier.verify(u"b"_s, hashA) && !verifier.verify(u"a"_s, hashB));
    QVERIFY(verifier.verify(u"b"_s, hashB) && verifier.verify(u"a"_s, hashA));
    QVERIFY(verifier.rememberedCount() <= 2);
}

void TestServerUnits::staleStagingFilesAreCleared() {
    QTemporaryDir dir;
    const DataFolder folder(dir.path());
    // Only old staged files go: a recent one may belong to an admin command running beside.
    for (const char* name : {"/stage-old", "/stage-recent", "/keep.txt"})
        QVERIFY(writeFile(folder.stagingDir() + QLatin1String(name), "x"));
    QFile old(folder.stagingDir() + u"/stage-old"_s);
    QVERIFY(
        old.open(QIODevice::ReadWrite) &&
        old.setFileTime(QDateTime::currentDateTimeUtc().addDays(-2), QFile::FileModificationTime));
    QVERIFY(folder.prepare(nullptr));
    QCOMPARE(QDir(folder.stagingDir()).entryList(QDir::Files), words("keep.txt stage-recent"));
}

QTEST_GUILESS_MAIN(TestServerUnits)
#include "tst_server_units.moc"
