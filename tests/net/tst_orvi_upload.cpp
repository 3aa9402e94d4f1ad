#include "net/orvi_upload.h"
#include "platform/message_target.h"
#include "scripted_peer.h"

#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>
#include <memory>
#include <vector>

using namespace orvix;
using orvix::test::ScriptedPeer;

namespace {

// A window that records the upload notices it is handed.
class UploadOwner : public QObject, public MessageTarget {
public:
    struct Notice {
        int step;
        LParam value;
        QThread* thread;
    };
    std::vector<Notice> notices;
    std::function<void(int step, LParam value)> duringHandler;
    QString finishedName; // read from the upload in the Finished handler

    int onMessage(int message, WParam wParam, LParam lParam) override {
        if (message != Msg::Upload)
            return 0;
        notices.push_back({static_cast<int>(wParam), lParam, QThread::currentThread()});
        if (wParam == UploadStep::Finished)
            finishedName = reinterpret_cast<COrviUpload*>(lParam)->targetName();
        if (duringHandler)
            duringHandler(static_cast<int>(wParam), lParam);
        return 1;
    }

    bool finished() const {
        return !notices.empty() && notices.back().step == UploadStep::Finished;
    }
    std::vector<std::pair<int, LParam>> steps() const {
        std::vector<std::pair<int, LParam>> result;
        for (const auto& n : notices)
            result.emplace_back(n.step, n.step == UploadStep::Finished ? 0 : n.value);
        return result;
    }
};

QByteArray patterned(qsizetype size) {
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return bytes;
}

using Steps = std::vector<std::pair<int, LParam>>;

} // namespace

class TestOrviUpload : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& content) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return QString();
        return path;
    }

    static void usePort(const ScriptedPeer& peer) {
        qputenv("ORVIX_UPLOAD_PORT", QByteArray::number(peer.port()));
    }

    static QByteArray headerText(const QByteArray& block) {
        return block.left(block.indexOf('\0'));
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void emptyFile() {
        ScriptedPeer peer;
        usePort(peer);
        UploadOwner owner;
        auto* upload = new COrviUpload;
        QPointer<COrviUpload> guard(upload);
        QCOMPARE(upload->Start(QStringLiteral("127.0.0.1"), QStringLiteral("document/0000000077"),
                               QStringLiteral("empty.txt"), writeFile(u"empty.txt"_qs, {}), &owner),
                 1);
        QTRY_VERIFY(owner.finished());
        QCOMPARE(owner.steps(), (Steps{{1, 0}, {2, 0}, {3, 0}}));
        QCOMPARE(owner.notices.back().value, reinterpret_cast<LParam>(upload));
        QCOMPARE(owner.finishedName, QStringLiteral("empty.txt"));
        for (const auto& notice : owner.notices)
            QCOMPARE(notice.thread, QThread::currentThread());
        QTRY_VERIFY(peer.connectionCount() == 1 && peer.connection(0).ended);
        const QByteArray received = peer.connection(0).received;
        QCOMPARE(received.size(), 2048);
        const QByteArray text = "0 document/0000000077 empty.txt";
        QCOMPARE(received.left(text.size()), text);
        QCOMPARE(received.mid(text.size()), QByteArray(2048 - text.size(), '\0'));
        // The upload released itself after the Finished handler.
        QTRY_VERIFY(guard.isNull());
    }

    void fileOfTwoPieces() {
        ScriptedPeer peer;
        usePort(peer);
        UploadOwner owner;
        const QByteArray content = patterned(2049);
        auto* upload = new COrviUpload;
        upload->Start(QStringLiteral("127.0.0.1"), QStringLiteral("chat/5"),
                      QStringLiteral("p.jpg"), writeFile(u"p.jpg"_qs, content), &owner);
        QTRY_VERIFY(owner.finished());
        QCOMPARE(owner.steps(), (Steps{{1, 2049}, {2, 2048}, {2, 2049}, {3, 0}}));
        QTRY_VERIFY(peer.connection(0).ended);
        const QByteArray received = peer.connection(0).received;
        QCOMPARE(received.size(), 2048 + 2049);
        QCOMPARE(headerText(received), QByteArray("2049 chat/5 p.jpg"));
        QCOMPARE(received.mid(2048), content);
    }

    void largerFileArrivesUnchanged() {
        ScriptedPeer peer;
        usePort(peer);
        UploadOwner owner;
        const QByteArray content = patterned(50 * 2048 + 17);
        auto* upload = new COrviUpload;
        upload->Start(QStringLiteral("127.0.0.1"), QStringLiteral("f"), QStringLiteral("n"),
                      writeFile(u"large.bin"_qs, content), &owner);
        QTRY_VERIFY_WITH_TIMEOUT(owner.finished(), 20000);
        QCOMPARE(owner.notices.size(), size_t(1 + 51 + 1));
        for (size_t i = 1; i <= 50; ++i)
            QCOMPARE(owner.notices[i].value, LParam(i * 2048));
        QCOMPARE(owner.notices[51].value, LParam(content.size()));
        QTRY_VERIFY(peer.connection(0).ended);
        QCOMPARE(peer.connection(0).received.mid(2048), content);
    }

    void koreanTargetNameInUtf8() {
        ScriptedPeer peer;
        usePort(peer);
        UploadOwner owner;
        const QString name = QStringLiteral("사진 한글.jpg");
        auto* upload = new COrviUpload;
        // The address's port, if any, is not the upload port.
        upload->Start(QStringLiteral("127.0.0.1:8080"), QStringLiteral("mailbox/0000000012"), name,
                      writeFile(u"k.jpg"_qs, "12345"), &owner);
        QTRY_VERIFY(owner.finished());
        QTRY_VERIFY(peer.connection(0).ended);
        const QByteArray received = peer.connection(0).received;
        QCOMPARE(headerText(received), "5 mailbox/0000000012 " + name.toUtf8());
        QCOMPARE(received.mid(2048), QByteArray("12345"));
        QCOMPARE(owner.finishedName, name);
    }

    void headerBlockLimits() {
        const QByteArray block = COrviUpload::headerBlock(12, u"a"_qs, u"b"_qs);
        QCOMPARE(block.size(), 2048);
        QCOMPARE(headerText(block), QByteArray("12 a b"));
        // "1 " + folder + " " + name: 2,047 bytes of text and the zero fit, 2,048 do not.
        const QString folder(2047 - 4, u'f');
        QCOMPARE(COrviUpload::headerBlock(1, folder, u"n"_qs).size(), 2048);
        QVERIFY(COrviUpload::headerBlock(1, folder + u'f', u"n"_qs).isEmpty());
        // Multibyte characters count in bytes.
        QVERIFY(COrviUpload::headerBlock(1, QString(700, u'한'), u"n"_qs).isEmpty());
    }

    void headerThatDoesNotFitSendsNothing() {
        ScriptedPeer peer;
        usePort(peer);
        UploadOwner owner;
        auto* upload = new COrviUpload;
        QPointer<COrviUpload> guard(upload);
        upload->Start(QStringLiteral("127.0.0.1"), QString(3000, u'd'), QStringLiteral("n"),
                      writeFile(u"h.txt"_qs, "abc"), &owner);
        QTRY_VERIFY(guard.isNull());
        QTRY_VERIFY(peer.connectionCount() == 1 && peer.connection(0).ended);
        QVERIFY(peer.connection(0).received.isEmpty());
        QVERIFY(owner.notices.empty());
    }

    void missingFileSendsNoMessage() {
        ScriptedPeer peer;
        usePort(peer);
        UploadOwner owner;
        auto* upload = new COrviUpload;
        QPointer<COrviUpload> guard(upload);
        upload->Start(QStringLiteral("127.0.0.1"), QStringLiteral("f"), QStringLiteral("n"),
                      m_dir.filePath(u"no such file"_qs), &owner);
        QTRY_VERIFY(guard.isNull());
        QVERIFY(owner.notices.empty());
        QTRY_VERIFY(peer.connectionCount() == 1 && peer.connection(0).ended);
        QVERIFY(peer.connection(0).received.isEmpty());
    }

    void refusedConnectionReleasesTheUpload() {
        quint16 port;
        {
            ScriptedPeer gone;
            port = gone.port();
        }
        qputenv("ORVIX_UPLOAD_PORT", QByteArray::number(port));
        UploadOwner owner;
        auto* upload = new COrviUpload;
        QPointer<COrviUpload> guard(upload);
        QCOMPARE(upload->Start(QStringLiteral("127.0.0.1"), QStringLiteral("f"),
                               QStringLiteral("n"), writeFile(u"r.txt"_qs, "x"), &owner),
                 1);
        QTRY_VERIFY(guard.isNull());
        QVERIFY(owner.notices.empty());
    }

    void peerClosingMidUpload() {
        ScriptedPeer peer([](ScriptedPeer::Connection& connection) {
            if (connection.received.size() >= 2048 + 3 * 2048)
                connection.socket->abort();
        });
        usePort(peer);
        UploadOwner owner;
        auto* upload = new COrviUpload;
        QPointer<COrviUpload> guard(upload);
        upload->Start(QStringLiteral("127.0.0.1"), QStringLiteral("f"), QStringLiteral("n"),
                      writeFile(u"big.bin"_qs, patterned(512 * 1024)), &owner);
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 20000);
        QVERIFY(!owner.notices.empty());
        QCOMPARE(owner.notices.front().step, UploadStep::Started);
        QVERIFY(!owner.finished());
        QVERIFY(owner.notices.back().value < 512 * 1024);
    }

    void stalledPeerIsGivenUp() {
        ScriptedPeer peer;
        peer.setReading(false);
        usePort(peer);
        UploadOwner owner;
        auto* upload = new COrviUpload;
        QPointer<COrviUpload> guard(upload);
        upload->setPiecePause(std::chrono::milliseconds(0));
        upload->setStallTimeout(std::chrono::milliseconds(300));
        upload->Start(QStringLiteral("127.0.0.1"), QStringLiteral("f"), QStringLiteral("n"),
                      writeFile(u"stall.bin"_qs, patterned(4 * 1024 * 1024)), &owner);
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 30000);
        QVERIFY(!owner.notices.empty());
        QVERIFY(!owner.finished());
    }

    void destroyingAStuckUploadJoinsItsWorker() {
        ScriptedPeer peer;
        peer.setReading(false);
        usePort(peer);
        UploadOwner owner;
        auto* upload = new COrviUpload;
        QPointer<COrviUpload> guard(upload);
        upload->setPiecePause(std::chrono::milliseconds(0));
        upload->Start(QStringLiteral("127.0.0.1"), QStringLiteral("f"), QStringLiteral("n"),
                      writeFile(u"stuck.bin"_qs, patterned(4 * 1024 * 1024)), &owner);
        // Wait until the peer's buffers are full and the worker waits for it.
        QTRY_VERIFY(owner.notices.size() > 1);
        size_t seen = 0;
        while (owner.notices.size() != seen) {
            seen = owner.notices.size();
            QTest::qWait(200);
        }
        delete upload; // stops and joins the worker, which waits for a peer that takes nothing
        QVERIFY(guard.isNull());
        QTest::qWait(50);
        QCOMPARE(owner.notices.size(), seen);
    }

    void fileThatShrinksStops() {
        ScriptedPeer peer;
        usePort(peer);
        UploadOwner owner;
        const QString path = writeFile(u"shrink.bin"_qs, patterned(5000));
        owner.duringHandler = [&](int step, LParam) {
            if (step == UploadStep::Started)
                QFile::resize(path, 3000);
        };
        auto* upload = new COrviUpload;
        QPointer<COrviUpload> guard(upload);
        upload->Start(QStringLiteral("127.0.0.1"), QStringLiteral("f"), QStringLiteral("n"), path,
                      &owner);
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(owner.steps(), (Steps{{1, 5000}, {2, 2048}, {2, 3000}}));
        QTRY_VERIFY(peer.connection(0).ended);
        QCOMPARE(peer.connection(0).received.size(), 2048 + 3000);
        QCOMPARE(headerText(peer.connection(0).received), QByteArray("5000 f n"));
    }

    void fileThatGrowsSendsTheAnnouncedSize() {
        ScriptedPeer peer;
        usePort(peer);
        UploadOwner owner;
        const QByteArray content = patterned(3000);
        const QString path = writeFile(u"grow.bin"_qs, content);
        owner.duringHandler = [&](int step, LParam) {
            QFile file(path);
            if (step == UploadStep::Started && file.open(QIODevice::Append))
                file.write(QByteArray(5000, 'g'));
        };
        auto* upload = new COrviUpload;
        upload->Start(QStringLiteral("127.0.0.1"), QStringLiteral("f"), QStringLiteral("n"), path,
                      &owner);
        QTRY_VERIFY(owner.finished());
        QCOMPARE(owner.steps(), (Steps{{1, 3000}, {2, 2048}, {2, 3000}, {3, 0}}));
        QTRY_VERIFY(peer.connection(0).ended);
        QCOMPARE(peer.connection(0).received.mid(2048), content);
    }

    void ownerGoneMidUploadDropsTheMessages() {
        ScriptedPeer peer;
        usePort(peer);
        auto* owner = new UploadOwner;
        owner->duringHandler = [owner](int step, LParam) {
            if (step == UploadStep::Progress)
                owner->deleteLater();
        };
        const QByteArray content = patterned(3 * 2048);
        auto* upload = new COrviUpload;
        QPointer<COrviUpload> guard(upload);
        upload->Start(QStringLiteral("127.0.0.1"), QStringLiteral("f"), QStringLiteral("n"),
                      writeFile(u"orphan.bin"_qs, content), owner);
        QTRY_VERIFY(guard.isNull());
        QTRY_VERIFY(peer.connection(0).ended);
        QCOMPARE(peer.connection(0).received.mid(2048), content);
    }

    void deletingTheUploadFromAProgressHandlerStopsIt() {
        // Not how owners use it, but a cancel written that way must stop cleanly.
        ScriptedPeer peer;
        usePort(peer);
        UploadOwner owner;
        auto* upload = new COrviUpload;
        QPointer<COrviUpload> guard(upload);
        owner.duringHandler = [&](int step, LParam) {
            if (step == UploadStep::Progress && guard)
                delete guard.data();
        };
        upload->Start(QStringLiteral("127.0.0.1"), QStringLiteral("f"), QStringLiteral("n"),
                      writeFile(u"cancel.bin"_qs, patterned(10 * 2048)), &owner);
        QTRY_VERIFY(guard.isNull());
        QTRY_VERIFY(peer.connectionCount() == 1 && peer.connection(0).ended);
        QTest::qWait(50);
        QCOMPARE(owner.steps(), (Steps{{1, 10 * 2048}, {2, 2048}}));
    }

    void uploadPortFromEnvironment() {
        const QByteArray saved = qgetenv("ORVIX_UPLOAD_PORT");
        qunsetenv("ORVIX_UPLOAD_PORT");
        QCOMPARE(int(COrviUpload::uploadPort()), 2000);
        qputenv("ORVIX_UPLOAD_PORT", "2100");
        QCOMPARE(int(COrviUpload::uploadPort()), 2100);
        qputenv("ORVIX_UPLOAD_PORT", "abc");
        QCOMPARE(int(COrviUpload::uploadPort()), 2000);
        qputenv("ORVIX_UPLOAD_PORT", "70000");
        QCOMPARE(int(COrviUpload::uploadPort()), 2000);
        qputenv("ORVIX_UPLOAD_PORT", "0");
        QCOMPARE(int(COrviUpload::uploadPort()), 2000);
        qputenv("ORVIX_UPLOAD_PORT", saved);
    }
};

QTEST_GUILESS_MAIN(TestOrviUpload)
#include "tst_orvi_upload.moc"
