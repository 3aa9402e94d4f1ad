// The server's parts on their own, without sockets: parsing of what comes from outside (form
// bodies, request heads, upload header blocks, the serve command line), the rules that guard the
// server (upload folders, login throttling, connection caps) and the storage (the database
// file, the PC approvals that only the storage sees, members, passwords, the data folder).

#include "server_test_support.h"

#include "server/admin/member_registration.h"
#include "server/app/descriptor_limit.h"
#include "server/app/serve_command.h"
#include "server/http/form_body.h"
#include "server/http/http_head.h"
#include "server/scripts/session/login_throttle.h"
#include "server/storage/database.h"
#include "server/storage/image_path.h"
#include "server/storage/password_hasher.h"
#include "server/storage/password_verifier.h"
#include "server/storage/pc_access_store.h"
#include "server/storage/schema.h"
#include "server/upload/upload_header.h"
#include "server/upload/upload_rules.h"

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
    void requestHead_data();
    void requestHead();
    void uploadHeader();
    void uploadRules();
    void foldersStayInsideTheTree();
    void loginThrottle();
    void capsFitTheDescriptors();
    void serveCommandLine();
    void databaseAndApprovals();
    void featureTablesMigrateByName();
    void membersAndPasswords();
    void removingAMemberTakesWhatIsItsOwn();
    void dataFolderForServeAndForAdmin();
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

void TestServerUnits::requestHead_data() {
    QTest::addColumn<QByteArray>("head");
    // status, then (when 0) method, path, query, body length, keep-alive, expects 100-continue
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, const char* head, const char* expected) {
        QTest::newRow(name) << QByteArray(head) << QString::fromUtf8(expected);
    };
    row("client login",
        "POST /android/pclogin.php HTTP/1.1\r\nHost: a\r\nConnection: keep-alive\r\n"
        "Content-Length: 15\r\n\r\n",
        "0 POST /android/pclogin.php  15 1 0");
    row("page with query", "GET /a/b.php?x=1&y=%41 HTTP/1.1\r\n\r\n",
        "0 GET /a/b.php x=1&y=%41 0 1 0");
    row("absolute form", "GET http://h:8080/image/x.jpg?q HTTP/1.1\r\n\r\n",
        "0 GET /image/x.jpg q 0 1 0");
    row("bare line ends", "GET / HTTP/1.1\nConnection: close\n\n", "0 GET /  0 0 0");
    row("1.0 closes", "GET / HTTP/1.0\r\n\r\n", "0 GET /  0 0 0");
    row("1.0 keep-alive", "GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n", "0 GET /  0 1 0");
    row("close among options", "GET / HTTP/1.1\r\nConnection: TE, close\r\n\r\n", "0 GET /  0 0 0");
    row("expect continue", "POST /s HTTP/1.1\r\nExpect: 100-continue\r\ncontent-length: 5\r\n\r\n",
        "0 POST /s  5 1 1");
    row("at the body limit", "POST /s HTTP/1.1\r\nContent-Length: 1000\r\n\r\n",
        "0 POST /s  1000 1 0");
    // Refused heads: a body length read two ways, or not at all, is never guessed at.
    row("two lengths", "POST /s HTTP/1.1\r\nContent-Length: 5\r\nContent-Length: 5\r\n\r\n", "400");
    row("negative length", "POST /s HTTP/1.1\r\nContent-Length: -1\r\n\r\n", "400");
    row("signed length", "POST /s HTTP/1.1\r\nContent-Length: +5\r\n\r\n", "400");
    row("length not a number", "POST /s HTTP/1.1\r\nContent-Length: 5 5\r\n\r\n", "400");
    row("empty length", "POST /s HTTP/1.1\r\nContent-Length:\r\n\r\n", "400");
    row("huge length", "POST /s HTTP/1.1\r\nContent-Length: 99999999999999999999\r\n\r\n", "400");
    row("over the body limit", "POST /s HTTP/1.1\r\nContent-Length: 1001\r\n\r\n", "413");
    row("chunked", "POST /s HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", "501");
    row("chunked and length",
        "POST /s HTTP/1.1\r\nContent-Length: 3\r\nTransfer-Encoding: chunked\r\n\r\n", "501");
    row("version 2", "GET / HTTP/2.0\r\n\r\n", "505");
    row("no version", "GET /\r\n\r\n", "400");
    row("lower-case version", "GET / http/1.1\r\n\r\n", "400");
    row("folded field", "GET / HTTP/1.1\r\nA: b\r\n c\r\n\r\n", "400");
    row("blank before colon", "GET / HTTP/1.1\r\nContent-Length : 5\r\n\r\n", "400");
    row("no colon", "GET / HTTP/1.1\r\nHost\r\n\r\n", "400");
    row("control in value", "GET / HTTP/1.1\r\nA: b\x01c\r\n\r\n", "400");
    row("blank in target", "GET /a b HTTP/1.1\r\n\r\n", "400");
    row("target without slash", "GET a.php HTTP/1.1\r\n\r\n", "400");
    row("method not a token", "G(T / HTTP/1.1\r\n\r\n", "400");
}

void TestServerUnits::requestHead() {
    QFETCH(QByteArray, head);
    QFETCH(QString, expected);
    // The end of the head is found however the bytes arrive, and not before they have.
    QCOMPARE(HttpHead::endOfHead(head.chopped(1)), -1);
    QCOMPARE(HttpHead::endOfHead(head, head.size() - 3), head.size());
    QCOMPARE(HttpHead::endOfHead(head + "GET / HTTP/1.1\r\n\r\n"), head.size());
    int status = -1;
    const HttpHead h = HttpHead::parse(head, 1000, &status);
    const QString got =
        status != 0
            ? QString::number(status)
            : QStringList({u"0"_s, QString::fromLatin1(h.method), QString::fromLatin1(h.path),
                           QString::fromLatin1(h.query), QString::number(h.contentLength),
                           QString::number(h.keepAlive), QString::number(h.expectContinue)})
                  .join(u' ');
    QCOMPARE(got, expected);
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

void TestServerUnits::uploadRules() {
    // "folder name" and whether members 7 and 12, logged in from the uploading address, may
    // write it.
    const QList<std::pair<const char*, bool>> rows = {
        {"chatdata 71700000000photo.jpg", true},
        {"chatdata c71700000000photo.jpg", true},
        {"chatdata 12x.jpg", true},
        {"chatdata c12", true},
        {"chatdata 8x.jpg", false},
        {"chatdata c8x.jpg", false},
        {"chatdata x7.jpg", false},
        {"chatdata cc7.jpg", false},
        {"mailbox/0000000007 a.sml", true},
        {"mailbox/0000000099 a.sml", true}, // a post's folder may be another member's
        {"mailbox/000000007 a.sml", false},
        {"mailbox/00000000007 a.sml", false},
        {"mailbox/000000000x a.sml", false},
        {"mailbox/0000000007/sub a.sml", false},
        {"mailbox a.sml", false},
        {"document/7 71700000000.PDF", true},
        {"document/12 x.PDF", true},
        {"document/8 x.PDF", false},
        {"document/07 x.PDF", false},
        {"document/7/sub x.PDF", false},
        {"memberphoto mem7.jpg", false},
        {"memberphoto/x 7.jpg", false},
        {"storephoto 7.jpg", false},
    };
    for (const auto& [target, allowed] : rows) {
        const QStringList parts = QString::fromUtf8(target).split(u' ');
        QString reason;
        QVERIFY2(UploadRules::permits(parts[0].split(u'/'), parts[1], {7, 12}, &reason) == allowed,
                 target);
        QVERIFY2(reason.isEmpty() == allowed, target);
    }
    // No session from the address: nothing at all.
    QString reason;
    QVERIFY(!UploadRules::permits({u"mailbox"_s, u"0000000007"_s}, u"a.sml"_s, {}, &reason));
}

void TestServerUnits::foldersStayInsideTheTree() {
    QTemporaryDir dir;
    const QString root = dir.path() + u"/image"_s;
    const QString outside = dir.path() + u"/outside"_s;
    QVERIFY(QDir().mkpath(root + u"/real"_s) && QDir().mkpath(outside));
    QVERIFY(QFile::link(outside, root + u"/out"_s));
    QVERIFY(QFile::link(root + u"/real"_s, root + u"/in"_s));
    QVERIFY(QFile::link(dir.path() + u"/nowhere"_s, root + u"/dangling"_s));
    QVERIFY(writeFile(root + u"/file"_s, "x"));
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    // Pieces and the real folder they give below the tree; empty: refused.
    const QList<std::pair<QStringList, QString>> rows = {
        {{u"a"_s, u"b"_s}, u"/a/b"_s},
        {{u"in"_s, u"new"_s}, u"/real/new"_s},
        {{u"out"_s}, {}},
        {{u"out"_s, u"new"_s}, {}},
        {{u"dangling"_s}, {}},
        {{u"file"_s}, {}},
        {{u"file"_s, u"x"_s}, {}},
        {{u".."_s}, {}},
    };
    for (const auto& [pieces, expected] : rows) {
        QString reason;
        const QString folder = ImagePath::prepareFolder(root, pieces, &reason);
        QCOMPARE(folder, expected.isEmpty() ? QString() : canonicalRoot + expected);
        QCOMPARE(reason.isEmpty(), !expected.isEmpty());
    }
    QVERIFY(QFileInfo(root + u"/a/b"_s).isDir());
    // Nothing was made outside, and the dangling link is still a link to nowhere.
    QVERIFY(QDir(outside).isEmpty() && !QFileInfo::exists(dir.path() + u"/nowhere"_s));
}

void TestServerUnits::loginThrottle() {
    LoginThrottle::Settings settings;
    settings.freeFailuresPerAddress = 2;
    settings.freeFailuresPerId = 3;
    settings.firstBackoffMs = 100;
    settings.longestBackoffMs = 350;
    settings.forgetAfterMs = 10000;
    settings.maxRecords = 4;
    LoginThrottle throttle(settings);
    const QString a = u"10.0.0.1"_s;
    const QString b = u"10.0.0.2"_s;
    // Two free failures from a; the third starts a back-off of 100 ms, the next ones double it
    // up to the longest.
    qint64 t = 1000;
    throttle.recordFailure(u"x"_s, a, t);
    throttle.recordFailure(u"y"_s, a, t);
    QVERIFY(throttle.allows(u"z"_s, a, t));
    throttle.recordFailure(u"z"_s, a, t);
    QVERIFY(!throttle.allows(u"z"_s, a, t + 99) && throttle.allows(u"z"_s, a, t + 100));
    QVERIFY(throttle.allows(u"z"_s, b, t + 50)); // another address is not held up
    throttle.recordFailure(u"z"_s, a, t = 2000);
    QVERIFY(!throttle.allows(u"w"_s, a, t + 199) && throttle.allows(u"w"_s, a, t + 200));
    for (int i = 0; i < 5; ++i)
        throttle.recordFailure(u"w"_s, a, t = 3000);
    QVERIFY(!throttle.allows(u"w"_s, a, t + 349) && throttle.allows(u"w"_s, a, t + 350));
    QCOMPARE(throttle.addressFailures(a, t), 9);
    QCOMPARE(throttle.addressFailures(b, t), 0);
    // Failures for one ID from many addresses hold that ID back, from any address; a correct
    // password forgets them.
    for (const char* from : {"10.0.1.1", "10.0.1.2", "10.0.1.3", "10.0.1.4"})
        throttle.recordFailure(u"kim"_s, QString::fromLatin1(from), t = 5000);
    QVERIFY(!throttle.allows(u"kim"_s, u"10.0.9.9"_s, t + 1));
    QVERIFY(throttle.allows(u"lee"_s, u"10.0.9.9"_s, t + 1));
    throttle.recordSuccess(u"kim"_s);
    QVERIFY(throttle.allows(u"kim"_s, u"10.0.9.9"_s, t + 1));
    // Records are forgotten after a quiet while, and the tables stay within their bounds.
    QVERIFY(throttle.addressFailures(a, 3000 + 10000) == 0);
    for (int i = 0; i < 20; ++i)
        throttle.recordFailure(u"id%1"_s.arg(i), u"10.1.0.%1"_s.arg(i), t = 6000 + i);
    QVERIFY(throttle.recordCount() <= 2 * settings.maxRecords);
}

void TestServerUnits::capsFitTheDescriptors() {
    // With what each connection may hold open, the caps stay below the descriptor limit, and
    // the caps given in the configuration are kept.
    for (int descriptors : {256, 1024, 4096, 65536, 1 << 20}) {
        const ServerLimits limits = DescriptorLimit::fit({}, descriptors);
        QVERIFY2(2 * limits.maxConnections + 2 * limits.maxUploads < descriptors,
                 qPrintable(QString::number(descriptors)));
        QVERIFY(limits.maxConnections >= 16 && limits.maxUploads >= 8);
    }
    ServerLimits given;
    given.maxConnections = 7;
    given.maxUploads = 3;
    const ServerLimits kept = DescriptorLimit::fit(given, 1024);
    QCOMPARE(kept.maxConnections, 7);
    QCOMPARE(kept.maxUploads, 3);
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

void TestServerUnits::removingAMemberTakesWhatIsItsOwn() {
    QTemporaryDir dir;
    ServerContext context(configFor(dir));
    QString error;
    QVERIFY2(context.open(&error), qPrintable(error));
    Database& db = context.database();
    for (const char* id : {"a", "b"})
        QVERIFY(context.members().add(QString::fromLatin1(id), u"hash"_s, {}, nullptr));
    // Member 1 has a session, a room with member 2 and a message in it, a content, a post and a
    // document.
    const QString device = context.pcAccess().admit(1, true, u"10.0.0.1"_s).deviceId;
    QVERIFY(!device.isEmpty());
    for (const QString& sql :
         {u"INSERT INTO chat_rooms (room_no, created_at) VALUES (1, 0)"_s,
          u"INSERT INTO chat_room_members VALUES (1, 1, 0), (1, 2, 0)"_s,
          u"INSERT INTO chat_messages (room_no, sender_member_no, kind, origin_device_id, "
          "sent_at) VALUES (1, 1, 1, '%1', 0)"_s.arg(device),
          u"INSERT INTO contents (member_no, style, created_at) VALUES (1, 'text', 0)"_s,
          u"INSERT INTO posts (owner_member_no, mailbox_no, title, created_at, updated_at) "
          "VALUES (1, 1, 't', 0, 0)"_s,
          u"INSERT INTO documents (member_no, path, file_name, ext, created_at, updated_at) "
          "VALUES (1, 'p', 'f', 'PDF', 0, 0)"_s})
        QVERIFY2(db.exec(sql, &error), qPrintable(error));
    QCOMPARE(context.pcAccess().sessionMembersAt(u"10.0.0.1"_s), QList<qint64>{1});
    QVERIFY(context.members().remove(1));
    QVERIFY(!context.members().remove(1)); // gone already: said so, not done twice
    const QList<MemberRecord> left = context.members().all();
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.first().loginId, u"b"_s);
    // The member's own rows went; member 2's room and the message (without its sender) stay.
    QCOMPARE(scalar(db, u"SELECT COUNT(*) FROM stores"_s), 1);
    QCOMPARE(scalar(db, u"SELECT COUNT(*) FROM pc_sessions"_s), 0);
    QCOMPARE(scalar(db, u"SELECT COUNT(*) FROM contents"_s).toInt() +
                 scalar(db, u"SELECT COUNT(*) FROM posts"_s).toInt() +
                 scalar(db, u"SELECT COUNT(*) FROM documents"_s).toInt(),
             0);
    QCOMPARE(scalar(db, u"SELECT COUNT(*) FROM chat_room_members"_s), 1);
    QVERIFY(scalar(db, u"SELECT sender_member_no FROM chat_messages"_s).isNull());
    QVERIFY(context.pcAccess().sessionMembersAt(u"10.0.0.1"_s).isEmpty());
}

void TestServerUnits::dataFolderForServeAndForAdmin() {
    QTemporaryDir dir;
    const DataFolder folder(dir.path() + u"/data"_s);
    QString error;
    // The admin commands create nothing: a missing folder, or one without a database, is an
    // error that says so.
    QVERIFY(!folder.checkExisting(&error) && error.contains(u"no data folder"_s));
    QVERIFY(!QFileInfo::exists(folder.root()));
    QVERIFY(folder.prepare(&error));
    QVERIFY(!folder.checkExisting(&error) && error.contains(u"no orvix-server database"_s));
    // The serving process clears every staging file of its own naming, however recent: it holds
    // the folder's lock, so no other process can be writing one.
    for (const char* name : {"/stage-old", "/stage-recent", "/keep.txt"})
        QVERIFY(writeFile(folder.stagingDir() + QLatin1String(name), "x"));
    QVERIFY(QFile::link(u"x.sml"_s, folder.stagingDir() + u"/link-dangling"_s));
    QFile old(folder.stagingDir() + u"/stage-old"_s);
    QVERIFY(
        old.open(QIODevice::ReadWrite) &&
        old.setFileTime(QDateTime::currentDateTimeUtc().addDays(-2), QFile::FileModificationTime));
    QVERIFY(folder.prepare(nullptr));
    QCOMPARE(QDir(folder.stagingDir()).entryList(QDir::Files | QDir::System), words("keep.txt"));
    // A server makes the database; an admin command then opens it, and leaves staging alone.
    {
        ServerConfig config;
        config.dataDir = folder.root();
        ServerContext server(config);
        QVERIFY2(server.open(&error), qPrintable(error));
    }
    QVERIFY(writeFile(folder.stagingDir() + u"/stage-busy"_s, "x"));
    ServerConfig config;
    config.dataDir = folder.root();
    ServerContext admin(config);
    QVERIFY2(admin.openExisting(&error), qPrintable(error));
    QVERIFY(QFile::exists(folder.stagingDir() + u"/stage-busy"_s));
}

QTEST_GUILESS_MAIN(TestServerUnits)
#include "tst_server_units.moc"
