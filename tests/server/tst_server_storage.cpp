// The server's storage: the database layout, members, passwords, PC approvals and sessions,
// and files written whole.

#include "server/admin/member_registration.h"
#include "server/app/server_context.h"
#include "server/storage/data_folder.h"
#include "server/storage/database.h"
#include "server/storage/password_hasher.h"
#include "server/storage/password_verifier.h"
#include "server/storage/pc_access_store.h"
#include "server/storage/schema.h"
#include "server/storage/staged_file.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace orvix::server;
using Outcome = PcAccessStore::Admission::Outcome;

namespace {

ServerConfig configFor(const QTemporaryDir& dir) {
    ServerConfig config;
    config.dataDir = dir.path();
    return config;
}

// A cheap hash for tests that create many members; verification reads the count from it.
QString quickHash(const QString& password) {
    return PasswordHasher(10).hash(password);
}

// Adds a member with a cheap hash; -1 when that failed.
qint64 addMember(ServerContext& context, const QString& id) {
    const auto member = context.members().add(id, quickHash(QStringLiteral("a")), {}, nullptr);
    return member ? member->memberNo : -1;
}

int scalar(Database& db, const QString& sql) {
    QSqlQuery& query = db.statement(sql);
    int value = -1;
    if (query.exec() && query.next())
        value = query.value(0).toInt();
    query.finish();
    return value;
}

} // namespace

class TestServerStorage : public QObject {
    Q_OBJECT
private slots:
    void layoutIsCreatedOnceWithForeignKeys();
    void newerLayoutIsRefused();
    void membersAndStoresAreNumberedFromOne();
    void duplicateIdIsRefused();
    void registrationChecksIdAndPassword_data();
    void registrationChecksIdAndPassword();
    void passwordHashes();
    void verifierRemembersOutcomes();
    void pendingApprovedAdmittedOnce();
    void refusalIsReportedOnceThenAsksAgain();
    void decisionBeforeLoginIsKept();
    void autoApproveAdmitsAtOnce();
    void sessionsCloseAndEnd();
    void secondConnectionSeesChangesAtOnce();
    void dataSurvivesReopen();
    void stagedFileWholeOrNothing();
    void staleStagingFilesAreCleared();
};

void TestServerStorage::layoutIsCreatedOnceWithForeignKeys() {
    QTemporaryDir dir;
    ServerContext context(configFor(dir));
    QString error;
    QVERIFY2(context.open(&error), qPrintable(error));
    Database& db = context.database();
    QCOMPARE(Schema::storedVersion(db), Schema::currentVersion());
    QCOMPARE(scalar(db, QStringLiteral("PRAGMA foreign_keys")), 1);
    QSqlQuery& mode = db.statement(QStringLiteral("PRAGMA journal_mode"));
    QVERIFY(mode.exec() && mode.next());
    QCOMPARE(mode.value(0).toString(), QStringLiteral("wal"));
    mode.finish();
    for (const char* table :
         {"members", "stores", "pc_approvals", "pc_sessions", "chat_rooms", "chat_room_members",
          "chat_messages", "contents", "posts", "post_members", "post_entries", "documents"}) {
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = '%1'")
                                .arg(QLatin1String(table))),
                 1);
    }
    // A message for a room that does not exist is refused.
    QVERIFY(!db.exec(QStringLiteral("INSERT INTO chat_messages (room_no, kind, sent_at) "
                                    "VALUES (99, 1, 0)")));

    // Opening again changes nothing.
    ServerContext again(configFor(dir));
    QVERIFY2(again.open(&error), qPrintable(error));
    QCOMPARE(Schema::storedVersion(again.database()), Schema::currentVersion());
}

void TestServerStorage::newerLayoutIsRefused() {
    QTemporaryDir dir;
    {
        ServerContext context(configFor(dir));
        QVERIFY(context.open(nullptr));
        QVERIFY(context.database().exec(
            QStringLiteral("PRAGMA user_version=%1").arg(Schema::currentVersion() + 1)));
    }
    ServerContext context(configFor(dir));
    QString error;
    QVERIFY(!context.open(&error));
    QVERIFY2(error.contains(QStringLiteral("version")), qPrintable(error));
}

void TestServerStorage::membersAndStoresAreNumberedFromOne() {
    QTemporaryDir dir;
    ServerContext context(configFor(dir));
    QVERIFY(context.open(nullptr));
    QString error;
    const auto first = context.members().add(QStringLiteral("kim"), quickHash(QStringLiteral("a")),
                                             QStringLiteral("Kim"), &error);
    const auto second = context.members().add(QStringLiteral("lee"), quickHash(QStringLiteral("b")),
                                              QStringLiteral("Lee"), &error);
    QVERIFY2(first && second, qPrintable(error));
    QCOMPARE(first->memberNo, 1);
    QCOMPARE(first->storeNo, 1);
    QCOMPARE(second->memberNo, 2);
    QCOMPARE(second->storeNo, 2);
    const auto found = context.members().findByLoginId(QStringLiteral("lee"));
    QVERIFY(found);
    QCOMPARE(found->memberNo, 2);
    QCOMPARE(found->name, QStringLiteral("Lee"));
    QCOMPARE(found->storeNo, 2);
    QCOMPARE(context.members().findByNumber(1)->loginId, QStringLiteral("kim"));
    QVERIFY(!context.members().findByLoginId(QStringLiteral("KIM")));
    QCOMPARE(scalar(context.database(),
                    QStringLiteral("SELECT owner_member_no FROM stores WHERE store_no = 2")),
             2);
}

void TestServerStorage::duplicateIdIsRefused() {
    QTemporaryDir dir;
    ServerContext context(configFor(dir));
    QVERIFY(context.open(nullptr));
    QString error;
    QVERIFY(
        context.members().add(QStringLiteral("kim"), quickHash(QStringLiteral("a")), {}, &error));
    QVERIFY(
        !context.members().add(QStringLiteral("kim"), quickHash(QStringLiteral("b")), {}, &error));
    QVERIFY(error.contains(QStringLiteral("already exists")));
    // The refused member used no number: the next one is 2.
    const auto next =
        context.members().add(QStringLiteral("lee"), quickHash(QStringLiteral("c")), {}, &error);
    QVERIFY(next);
    QCOMPARE(next->memberNo, 2);
    QCOMPARE(scalar(context.database(), QStringLiteral("SELECT COUNT(*) FROM stores")), 2);
}

void TestServerStorage::registrationChecksIdAndPassword_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("plain") << "kim"
                           << "secret" << true;
    QTest::newRow("korean and equals") << QStringLiteral("김민지") << "a=b" << true;
    QTest::newRow("reserved zero") << "zero"
                                   << "0" << true;
    QTest::newRow("empty id") << ""
                              << "x" << false;
    QTest::newRow("empty password") << "kim"
                                    << "" << false;
    QTest::newRow("ampersand id") << "a&b"
                                  << "x" << false;
    QTest::newRow("ampersand password") << "kim"
                                        << "p&q" << false;
    QTest::newRow("blank around id") << " kim"
                                     << "x" << false;
    QTest::newRow("control") << "kim"
                             << "a\tb" << false;
    QTest::newRow("too long") << QString(101, u'k') << "x" << false;
}

void TestServerStorage::registrationChecksIdAndPassword() {
    QFETCH(QString, id);
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    QString reason;
    const bool usable = MemberRegistration::isUsableId(id, &reason) &&
                        MemberRegistration::isUsablePassword(password, &reason);
    QCOMPARE(usable, accepted);
    QCOMPARE(reason.isEmpty(), accepted);
}

void TestServerStorage::passwordHashes() {
    const PasswordHasher hasher(1000);
    const QString hash = hasher.hash(QStringLiteral("비밀 번호"));
    QVERIFY(QRegularExpression(QStringLiteral("^pbkdf2-sha256\\$1000\\$[A-Za-z0-9+/=]+\\$"
                                              "[A-Za-z0-9+/=]+$"))
                .match(hash)
                .hasMatch());
    QVERIFY(!hash.contains(QStringLiteral("비밀")));
    QVERIFY(PasswordHasher::verify(QStringLiteral("비밀 번호"), hash));
    QVERIFY(!PasswordHasher::verify(QStringLiteral("비밀번호"), hash));
    QVERIFY(!PasswordHasher::verify(QString(), hash));
    // Salted: the same password gives another hash.
    QVERIFY(hasher.hash(QStringLiteral("비밀 번호")) != hash);
    // Damaged hashes match nothing.
    QVERIFY(!PasswordHasher::verify(QStringLiteral("x"), QString()));
    QVERIFY(!PasswordHasher::verify(QStringLiteral("x"), QStringLiteral("x")));
    QString tampered = hash;
    tampered.replace(QStringLiteral("$1000$"), QStringLiteral("$999999999$"));
    QVERIFY(!PasswordHasher::verify(QStringLiteral("비밀 번호"), tampered));
    QVERIFY(!PasswordHasher::verify(QStringLiteral("비밀 번호"),
                                    hash.left(hash.lastIndexOf(u'$')) + QStringLiteral("$!!")));
    // The default cost is the one new members get.
    QVERIFY(PasswordHasher()
                .hash(QStringLiteral("x"))
                .startsWith(
                    QStringLiteral("pbkdf2-sha256$%1$").arg(PasswordHasher::kDefaultIterations)));
}

void TestServerStorage::verifierRemembersOutcomes() {
    PasswordVerifier verifier(2);
    const QString hashA = quickHash(QStringLiteral("a"));
    const QString hashB = quickHash(QStringLiteral("b"));
    QVERIFY(!verifier.verify(QStringLiteral("wrong"), hashA));
    QVERIFY(!verifier.verify(QStringLiteral("wrong"), hashA));
    QCOMPARE(verifier.rememberedCount(), 0);
    QCOMPARE(verifier.rememberedFailures(), 1);
    QVERIFY(verifier.verify(QStringLiteral("a"), hashA));
    QVERIFY(verifier.verify(QStringLiteral("a"), hashA));
    QCOMPARE(verifier.rememberedCount(), 1);
    // A remembered success does not let another password or another hash through.
    QVERIFY(!verifier.verify(QStringLiteral("b"), hashA));
    QVERIFY(!verifier.verify(QStringLiteral("a"), hashB));
    // A remembered failure does not stop the right password.
    QVERIFY(verifier.verify(QStringLiteral("a"), hashA));
    // A changed password (new stored hash) needs the new password.
    const QString changed = quickHash(QStringLiteral("new"));
    QVERIFY(!verifier.verify(QStringLiteral("a"), changed));
    QVERIFY(verifier.verify(QStringLiteral("new"), changed));
    // Bounded: at capacity it starts over.
    QVERIFY(verifier.verify(QStringLiteral("b"), hashB));
    QVERIFY(verifier.rememberedCount() <= 2);
    QVERIFY(verifier.verify(QStringLiteral("a"), hashA));
}

void TestServerStorage::pendingApprovedAdmittedOnce() {
    QTemporaryDir dir;
    ServerContext context(configFor(dir));
    QVERIFY(context.open(nullptr));
    const qint64 member = addMember(context, QStringLiteral("kim"));
    QVERIFY(member > 0);
    PcAccessStore& access = context.pcAccess();

    QCOMPARE(access.admit(member, false).outcome, Outcome::Pending);
    QCOMPARE(access.openApproval(member), PcAccessStore::Approval::Pending);
    // Asking again does not open a second approval.
    QCOMPARE(access.admit(member, false).outcome, Outcome::Pending);
    QCOMPARE(scalar(context.database(), QStringLiteral("SELECT COUNT(*) FROM pc_approvals")), 1);

    QVERIFY(access.decide(member, true));
    const auto admitted = access.admit(member, false);
    QCOMPARE(admitted.outcome, Outcome::Admitted);
    QVERIFY(
        QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(admitted.deviceId).hasMatch());
    QCOMPARE(access.sessionMember(admitted.deviceId), member);

    // The approval served one login: the next login waits for the phone again.
    QVERIFY(!access.openApproval(member));
    QCOMPARE(access.admit(member, false).outcome, Outcome::Pending);
    QVERIFY(access.decide(member, true));
    const auto second = access.admit(member, false);
    QCOMPARE(second.outcome, Outcome::Admitted);
    QVERIFY(second.deviceId != admitted.deviceId);
    QCOMPARE(scalar(context.database(), QStringLiteral("SELECT COUNT(*) FROM pc_sessions "
                                                       "WHERE ended_at IS NULL")),
             2);
}

void TestServerStorage::refusalIsReportedOnceThenAsksAgain() {
    QTemporaryDir dir;
    ServerContext context(configFor(dir));
    QVERIFY(context.open(nullptr));
    const qint64 member = addMember(context, QStringLiteral("kim"));
    QVERIFY(member > 0);
    PcAccessStore& access = context.pcAccess();
    QCOMPARE(access.admit(member, false).outcome, Outcome::Pending);
    QVERIFY(access.decide(member, false));
    QCOMPARE(access.admit(member, false).outcome, Outcome::Refused);
    QCOMPARE(access.admit(member, false).outcome, Outcome::Pending);
    // The phone may change its mind before the PC asks.
    QVERIFY(access.decide(member, false));
    QVERIFY(access.decide(member, true));
    QCOMPARE(access.admit(member, false).outcome, Outcome::Admitted);
}

void TestServerStorage::decisionBeforeLoginIsKept() {
    QTemporaryDir dir;
    ServerContext context(configFor(dir));
    QVERIFY(context.open(nullptr));
    const qint64 kim = addMember(context, QStringLiteral("kim"));
    QVERIFY(kim > 0);
    const qint64 lee = addMember(context, QStringLiteral("lee"));
    QVERIFY(lee > 0);
    QVERIFY(context.pcAccess().decide(kim, true));
    QVERIFY(context.pcAccess().decide(lee, false));
    QCOMPARE(context.pcAccess().admit(kim, false).outcome, Outcome::Admitted);
    QCOMPARE(context.pcAccess().admit(lee, false).outcome, Outcome::Refused);
}

void TestServerStorage::autoApproveAdmitsAtOnce() {
    QTemporaryDir dir;
    ServerContext context(configFor(dir));
    QVERIFY(context.open(nullptr));
    const qint64 member = addMember(context, QStringLiteral("kim"));
    QVERIFY(member > 0);
    QCOMPARE(context.pcAccess().admit(member, false).outcome, Outcome::Pending);
    const auto admitted = context.pcAccess().admit(member, true);
    QCOMPARE(admitted.outcome, Outcome::Admitted);
    // The pending approval was closed with it.
    QVERIFY(!context.pcAccess().openApproval(member));
    QVERIFY(context.pcAccess().admit(member, true).deviceId != admitted.deviceId);
}

void TestServerStorage::sessionsCloseAndEnd() {
    QTemporaryDir dir;
    ServerContext context(configFor(dir));
    QVERIFY(context.open(nullptr));
    const qint64 member = addMember(context, QStringLiteral("kim"));
    QVERIFY(member > 0);
    PcAccessStore& access = context.pcAccess();
    const QString first = access.admit(member, true).deviceId;
    const QString second = access.admit(member, true).deviceId;
    const QString third = access.admit(member, true).deviceId;

    QVERIFY(access.closeSession(first, QStringLiteral("test")));
    QVERIFY(!access.sessionMember(first));
    QVERIFY(!access.closeSession(first, QStringLiteral("test")));
    QVERIFY(!access.closeSession(QStringLiteral("unknown"), QStringLiteral("test")));
    QCOMPARE(access.sessionMember(second), member);

    QCOMPARE(access.endSessions(member, QStringLiteral("phone")), 2);
    QVERIFY(!access.sessionMember(second));
    QVERIFY(!access.sessionMember(third));
    QCOMPARE(access.endSessions(member, QStringLiteral("phone")), 0);
}

void TestServerStorage::secondConnectionSeesChangesAtOnce() {
    // Two connections on one file stand for the serving process and an admin process.
    QTemporaryDir dir;
    ServerContext serving(configFor(dir));
    ServerContext admin(configFor(dir));
    QVERIFY(serving.open(nullptr));
    QVERIFY(admin.open(nullptr));
    QVERIFY(
        admin.members().add(QStringLiteral("kim"), quickHash(QStringLiteral("a")), {}, nullptr));

    const auto member = serving.members().findByLoginId(QStringLiteral("kim"));
    QVERIFY(member);
    for (int round = 0; round < 3; ++round) {
        QCOMPARE(serving.pcAccess().admit(member->memberNo, false).outcome, Outcome::Pending);
        QVERIFY(admin.pcAccess().decide(member->memberNo, true));
        const auto admitted = serving.pcAccess().admit(member->memberNo, false);
        QCOMPARE(admitted.outcome, Outcome::Admitted);
        QCOMPARE(admin.pcAccess().endSessions(member->memberNo, QStringLiteral("phone")), 1);
        QVERIFY(!serving.pcAccess().sessionMember(admitted.deviceId));
    }
}

void TestServerStorage::dataSurvivesReopen() {
    QTemporaryDir dir;
    QString deviceId;
    {
        ServerContext context(configFor(dir));
        QVERIFY(context.open(nullptr));
        const auto member = MemberRegistration(context).add(QStringLiteral("kim"),
                                                            QStringLiteral("pw"), {}, {}, nullptr);
        QVERIFY(member);
        deviceId = context.pcAccess().admit(member->memberNo, true).deviceId;
    }
    ServerContext context(configFor(dir));
    QVERIFY(context.open(nullptr));
    const auto member = context.members().findByLoginId(QStringLiteral("kim"));
    QVERIFY(member);
    QVERIFY(PasswordHasher::verify(QStringLiteral("pw"), member->passwordHash));
    QCOMPARE(context.pcAccess().sessionMember(deviceId), member->memberNo);
}

void TestServerStorage::stagedFileWholeOrNothing() {
    QTemporaryDir dir;
    const DataFolder folder(dir.path());
    QVERIFY(folder.prepare(nullptr));
    const QString target = folder.imageRoot() + QStringLiteral("/a/b/파일 이름.jpg");

    QString error;
    QVERIFY2(StagedFile::writeWhole(folder.stagingDir(), target, "first", &error),
             qPrintable(error));
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("first"));
    file.close();

    {
        StagedFile staged(folder.stagingDir());
        QVERIFY(staged.open(&error));
        QVERIFY(staged.write("half", 4));
        QCOMPARE(QDir(folder.stagingDir()).entryList(QDir::Files).size(), 1);
        // Dropped without commit: the old file stays, the staged bytes go.
    }
    QVERIFY(QDir(folder.stagingDir()).isEmpty());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("first"));
    file.close();

    QVERIFY(StagedFile::writeWhole(folder.stagingDir(), target, "second", &error));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("second"));
    file.close();

    // A destination that is a folder is refused and leaves nothing staged.
    QVERIFY(!StagedFile::writeWhole(folder.stagingDir(), folder.imageRoot() + QStringLiteral("/a"),
                                    "x", &error));
    QVERIFY(QDir(folder.stagingDir()).isEmpty());
}

void TestServerStorage::staleStagingFilesAreCleared() {
    QTemporaryDir dir;
    const DataFolder folder(dir.path());
    QVERIFY(folder.prepare(nullptr));
    const QString old = folder.stagingDir() + QStringLiteral("/stage-old");
    const QString recent = folder.stagingDir() + QStringLiteral("/stage-recent");
    const QString foreign = folder.stagingDir() + QStringLiteral("/keep.txt");
    for (const QString& path : {old, recent, foreign}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QFile oldFile(old);
    QVERIFY(oldFile.open(QIODevice::ReadWrite));
    QVERIFY(oldFile.setFileTime(QDateTime::currentDateTimeUtc().addDays(-2),
                                QFileDevice::FileModificationTime));
    oldFile.close();
    QVERIFY(folder.prepare(nullptr));
    QVERIFY(!QFile::exists(old));
    QVERIFY(QFile::exists(recent));
    QVERIFY(QFile::exists(foreign));
}

QTEST_GUILESS_MAIN(TestServerStorage)
#include "tst_server_storage.moc"
