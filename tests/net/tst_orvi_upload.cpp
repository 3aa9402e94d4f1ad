#include "net/orvi_upload.h"
#include "net/upload_notice.h"
#include "platform/message_target.h"
#include "support/tcp_peer.h"

#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>
#include <tuple>
#include <vector>

using namespace orvix;
using test::TcpPeer;

namespace {

using Kind = UploadNotice::Kind;
using Step = std::tuple<Kind, qint64, COrviUpload*>;
using Steps = std::vector<Step>;

// A window that records the upload notices it is handed.
class UploadOwner : public QObject, public MessageTarget {
public:
    Steps steps;
    QString finishedName; // read from the upload in the Finished handler
    bool allOnThisThread = true;
    std::function<void(Kind)> duringHandler;

    int onMessage(int message, WParam wParam, LParam lParam) override {
        const auto notice = UploadNotice::from(message, wParam, lParam);
        if (!notice)
            return 0;
        steps.emplace_back(notice->kind, notice->bytes, notice->upload);
        allOnThisThread = allOnThisThread && QThread::currentThread() == thread();
        if (notice->kind == Kind::Finished)
            finishedName = notice->upload->targetName();
        if (duringHandler)
            duringHandler(notice->kind);
        return 1;
    }
};

QByteArray patterned(qsizetype size) {
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return bytes;
}

} // namespace

class TestOrviUpload : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString writeFile(const QByteArray& content) {
        QFile file(m_dir.filePath(QString::number(content.size())));
        const bool written =
            file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
        return written ? file.fileName() : QString();
    }

    // Starts an upload to the port, without the pause between pieces.
    static QPointer<COrviUpload> start(quint16 port, QObject* owner, const QString& path,
                                       const QString& folder = u"f"_qs,
                                       const QString& name = u"n"_qs, int stallMs = 60000) {
        auto* upload = new COrviUpload;
        upload->setPiecePause(std::chrono::milliseconds(0));
        upload->setStallTimeout(std::chrono::milliseconds(stallMs));
        // The address's port, if any, is not the upload port.
        upload->Start(u"127.0.0.1:8080"_qs, port, folder, name, path, owner);
        return upload;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void sendsHeaderBlockThenPieces_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("sizeOnceStarted");
        QTest::addColumn<QList<qint64>>("progress");
        QTest::newRow("empty file")
            << u"document/0000000077"_qs << u"empty.txt"_qs << 0 << 0 << QList<qint64>{0};
        QTest::newRow("2,049 bytes: two pieces")
            << u"chat/5"_qs << u"p.jpg"_qs << 2049 << 2049 << QList<qint64>{2048, 2049};
        QTest::newRow("Korean target name")
            << u"mailbox/0000000012"_qs << u"사진 한글.jpg"_qs << 5 << 5 << QList<qint64>{5};
        QTest::newRow("file shrinks: stops, no Finished")
            << u"f"_qs << u"n"_qs << 5000 << 3000 << QList<qint64>{2048, 3000};
        QTest::newRow("file grows: the announced size is sent")
            << u"f"_qs << u"n"_qs << 3000 << 8000 << QList<qint64>{2048, 3000};
    }
    void sendsHeaderBlockThenPieces() {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(int, sizeOnceStarted);
        QFETCH(QList<qint64>, progress);
        TcpPeer peer;
        UploadOwner owner;
        const QString path = writeFile(patterned(size));
        owner.duringHandler = [&](Kind kind) {
            if (kind == Kind::Started)
                QFile::resize(path, sizeOnceStarted);
        };
        QPointer<COrviUpload> upload = start(peer.port(), &owner, path, folder, name);
        const bool finishes = sizeOnceStarted >= size;
        Steps expected{{Kind::Started, size, nullptr}};
        for (qint64 sent : progress)
            expected.emplace_back(Kind::Progress, sent, nullptr);
        if (finishes)
            expected.emplace_back(Kind::Finished, size, upload.data());
        QTRY_VERIFY_WITH_TIMEOUT(upload.isNull(), 20000); // released after Finished, or failing
        QCOMPARE(owner.steps, expected);
        QCOMPARE(owner.finishedName, finishes ? name : QString());
        QVERIFY(owner.allOnThisThread);
        QTRY_VERIFY(peer.ended(0));
        const QByteArray text =
            QByteArray::number(size) + ' ' + folder.toUtf8() + ' ' + name.toUtf8();
        QCOMPARE(peer.received(0), text + QByteArray(2048 - text.size(), '\0') +
                                       patterned(std::min(size, sizeOnceStarted)));
    }

    void headerTooLongNoFileOrNoPeerSendsNothing() {
        // "1 " + folder + " " + name: 2,047 bytes of text and the zero fit, 2,048 do not;
        // multibyte characters count in bytes.
        const QString longest(2047 - 4, u'f');
        QCOMPARE(COrviUpload::headerBlock(1, longest, u"n"_qs).size(), 2048);
        QVERIFY(COrviUpload::headerBlock(1, longest + u'f', u"n"_qs).isEmpty());
        QVERIFY(COrviUpload::headerBlock(1, QString(700, u'한'), u"n"_qs).isEmpty());

        const quint16 closedPort = TcpPeer().port();
        const QString file = writeFile("abc");
        for (const auto& [folder, path, refused] :
             {std::tuple{QString(3000, u'd'), file, false},
              std::tuple{u"f"_qs, m_dir.filePath(u"missing"_qs), false},
              std::tuple{u"f"_qs, file, true}}) {
            TcpPeer peer;
            UploadOwner owner;
            QPointer<COrviUpload> upload =
                start(refused ? closedPort : peer.port(), &owner, path, folder);
            QTRY_VERIFY(upload.isNull());
            QTRY_VERIFY(refused || peer.ended(0));
            QVERIFY(peer.received(0).isEmpty());
            QVERIFY(owner.steps.empty());
        }
    }

    void peerThatClosesOrStopsReadingEndsTheUpload() {
        for (bool reading : {true, false}) {
            TcpPeer peer(
                [](const QByteArray& received) -> std::optional<TcpPeer::Answer> {
                    if (received.size() < 4 * 2048)
                        return std::nullopt;
                    return TcpPeer::Answer{{}, TcpPeer::Then::Abort};
                },
                reading ? TcpPeer::Reading::On : TcpPeer::Reading::Off);
            UploadOwner owner;
            QPointer<COrviUpload> upload =
                start(peer.port(), &owner, writeFile(patterned(4 * 1024 * 1024)), u"f"_qs, u"n"_qs,
                      reading ? 60000 : 300);
            QTRY_VERIFY_WITH_TIMEOUT(upload.isNull(), 30000);
            QVERIFY(!owner.steps.empty());
            QCOMPARE(std::get<Kind>(owner.steps.front()), Kind::Started);
            QVERIFY(std::get<Kind>(owner.steps.back()) != Kind::Finished);
        }
    }

    void ownerGoneMidUploadDropsTheMessages() {
        TcpPeer peer;
        auto* owner = new UploadOwner;
        owner->duringHandler = [owner](Kind) { owner->deleteLater(); };
        const QByteArray content = patterned(3 * 2048);
        QPointer<COrviUpload> upload = start(peer.port(), owner, writeFile(content));
        QTRY_VERIFY(upload.isNull());
        QTRY_VERIFY(peer.ended(0));
        QCOMPARE(peer.received(0).mid(2048), content);
    }

    // The upload message read back from its parameters; anything else is no notice.
    void uploadNoticeFromAMessage() {
        UploadOwner owner;
        COrviUpload upload;
        const auto address = reinterpret_cast<LParam>(&upload);
        for (const UploadNotice& notice : {UploadNotice{Kind::Started, 4096, nullptr},
                                           UploadNotice{Kind::Progress, 2048, nullptr},
                                           UploadNotice{Kind::Finished, 0, &upload}})
            QCOMPARE(notice.sendTo(&owner), 1);
        // A finished notice takes the size from the upload (0: it never opened a file).
        QCOMPARE(owner.steps, Steps({{Kind::Started, 4096, nullptr},
                                     {Kind::Progress, 2048, nullptr},
                                     {Kind::Finished, 0, &upload}}));
        for (const auto& [message, wParam, lParam] : {std::tuple{Msg::Reply, WParam(1), LParam(5)},
                                                      {Msg::Upload, WParam(0), LParam(5)},
                                                      {Msg::Upload, WParam(4), address},
                                                      {Msg::Upload, WParam(2), LParam(-1)},
                                                      {Msg::Upload, WParam(3), LParam(0)}})
            QVERIFY(!UploadNotice::from(message, wParam, lParam));
    }
};

QTEST_GUILESS_MAIN(TestOrviUpload)
#include "tst_orvi_upload.moc"
