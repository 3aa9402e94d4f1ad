#include "net/orvi_http.h"
#include "net/reply_notice.h"
#include "platform/message_target.h"
#include "support/http_peer.h"

#include <QPointer>
#include <QTest>

#include <climits>
#include <functional>
#include <tuple>
#include <vector>

using namespace orvix;
using test::HttpPeer;
using test::TcpPeer;
using Then = TcpPeer::Then;

namespace {

// A window that records the replies it is handed and what it read from them.
class ReplyOwner : public QObject, public MessageTarget {
public:
    using Reply = std::tuple<int, COrviHttp*, QString>;
    std::vector<Reply> replies;
    int otherMessages = 0;
    std::function<void(COrviHttp*)> duringHandler; // may spin the event loop or release it

    int onMessage(int message, WParam wParam, LParam lParam) override {
        const auto reply = ReplyNotice::from(message, wParam, lParam);
        if (!reply) {
            ++otherMessages;
            return 0;
        }
        replies.emplace_back(reply->announcedLength, reply->request, reply->text());
        if (duringHandler)
            duringHandler(reply->request);
        return 1;
    }
};

const QByteArray FixedHeaders =
    "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 6.1; en-US; rv:1.9.1.5) Gecko/20091102 "
    "Firefox/3.5.5 (.NET CLR 3.5.30729)\r\n"
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
    "Accept-Language: en-us,en;q=0.5\r\n"
    "Accept-Encoding: gzip,deflate\r\n"
    "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\n"
    "Keep-Alive: 300\r\n"
    "Connection: keep-alive\r\n"
    "Referer: http://127.0.0.1/test.php\r\n"
    "Content-Type: application/x-www-form-urlencoded\r\n";

QPointer<COrviHttp> send(const QString& server, QObject* owner, const QString& body = {}) {
    return COrviHttp::Send(server, server.toLatin1(), "/android/pclogin.php", body, owner);
}

} // namespace

class TestOrviHttp : public QObject {
    Q_OBJECT
private slots:
    void init() { COrviHttp::setReplyTimeout(std::chrono::seconds(60)); }

    // The request bytes exactly, and the reply handed over whole, once, though it arrives in
    // three pieces 30 ms apart.
    void requestAndReply_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QByteArray>("sent"); // the body's bytes on the wire
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("text");
        QTest::newRow("login body, 15 bytes")
            << u"userid=a&pass=b"_qs << QByteArray("userid=a&pass=b") << HttpPeer::reply("1")
            << u"1"_qs;
        QTest::newRow("Korean counted in bytes")
            << u"deviceid=7&msg=안녕"_qs << u"deviceid=7&msg=안녕"_qs.toUtf8()
            << HttpPeer::reply(u"1</>안녕하세요</>3"_qs.toUtf8()) << u"1</>안녕하세요</>3"_qs;
        QTest::newRow("body not escaped; charset, length in lower case, bytes after the reply")
            << u"a=1 2&b=%41+&c=<x>;d=\"q\""_qs << QByteArray("a=1 2&b=%41+&c=<x>;d=\"q\"")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                          "content-length:  5 \r\n\r\n1</>xGARBAGE")
            << u"1</>x"_qs;
        QTest::newRow("the body ends at its first NUL")
            << u"id=김\0&password=x"_qs << u"id=김"_qs.toUtf8() << HttpPeer::reply("1") << u"1"_qs;
        const QByteArray large = "1</>" + QByteArray(19996, 'z');
        QTest::newRow("100 KB request, Content-Length 20000")
            << u"html="_qs + QString(100000, u'h') << "html=" + QByteArray(100000, 'h')
            << HttpPeer::reply(large) << QString::fromLatin1(large);
    }
    void requestAndReply() {
        QFETCH(QString, body);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, reply);
        QFETCH(QString, text);
        // Rows of an odd body length hold the connection open after the reply, the others close
        // it: a reply that arrives with the end of the stream is whole too.
        TcpPeer peer(HttpPeer::answering(
            {{{reply.left(20)}, {reply.mid(20, reply.size() - 25), 30}, {reply.right(5), 30}},
             sent.size() % 2 ? Then::Hold : Then::Close}));
        ReplyOwner owner;
        QPointer<COrviHttp> request = send(peer.address(), &owner, body);
        COrviHttp* const handed = request.data();
        // Released after the handler returned, and the connection closed.
        QTRY_VERIFY(request.isNull());
        QTRY_VERIFY(peer.ended(0));
        QCOMPARE(peer.received(0),
                 "POST /android/pclogin.php HTTP/1.1\r\nHost: " + peer.address().toLatin1() +
                     "\r\n" + FixedHeaders + "Content-Length: " + QByteArray::number(sent.size()) +
                     "\r\n\r\n" + sent);
        const ReplyOwner::Reply expected{int(text.toUtf8().size()), handed, text};
        QCOMPARE(owner.replies, std::vector{expected});
    }

    void repliesThatAreNotDelivered_data() {
        QTest::addColumn<QByteArray>("reply"); // none: the peer never answers
        QTest::addColumn<bool>("closeAfter");
        QTest::addColumn<QString>("server"); // instead of the peer
        const auto row = [](const char* name, const char* reply, bool closeAfter,
                            const QString& server = {}) {
            QTest::newRow(name) << QByteArray(reply) << closeAfter << server;
        };
        row("no Content-Length", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n1", true);
        row("closed before complete", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n12345", true);
        row("beyond the 8 MiB cap", "HTTP/1.1 200 OK\r\nContent-Length: 8388609\r\n\r\n1", false);
        row("length beyond any integer",
            "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n1", false);
        row("time-out", "", false);
        row("refused", "", false, u"127.0.0.1:%1"_qs.arg(TcpPeer().port()));
    }
    void repliesThatAreNotDelivered() {
        QFETCH(QByteArray, reply);
        QFETCH(bool, closeAfter);
        QFETCH(QString, server);
        const bool timeOut = reply.isEmpty() && server.isEmpty();
        COrviHttp::setReplyTimeout(std::chrono::milliseconds(timeOut ? 1000 : 60000));
        TcpPeer peer(reply.isEmpty()
                         ? TcpPeer::Script()
                         : HttpPeer::answering({{{reply}}, closeAfter ? Then::Close : Then::Hold}));
        ReplyOwner owner;
        QPointer<COrviHttp> request = send(server.isEmpty() ? peer.address() : server, &owner);
        QVERIFY(!request.isNull()); // still readable right after the call
        if (timeOut) {
            QTRY_COMPARE(peer.connectionCount(), 1);
            QVERIFY(!request.isNull());
        }
        // The request gives up, closes its socket and releases itself; its owner hears nothing.
        QTRY_VERIFY(request.isNull());
        QTRY_VERIFY(!server.isEmpty() || peer.ended(0));
        QCoreApplication::processEvents();
        QVERIFY(owner.replies.empty());
    }

    void ownerMayGoOrRunANestedEventLoopOrReleaseTheRequest() {
        COrviHttp::setReplyTimeout(std::chrono::milliseconds(500));
        TcpPeer peer(HttpPeer::answering({{{HttpPeer::reply("1")}, {"more bytes", 20}}}));
        auto gone = std::make_unique<ReplyOwner>();
        QPointer<COrviHttp> request = send(peer.address(), gone.get());
        gone.reset();
        QTRY_VERIFY(request.isNull());

        // A handler that shows a modal box spins the event loop while the request is still
        // handing over its reply, for longer than the reply time-out; a handler may also release
        // the request itself. Neither may break anything.
        ReplyOwner owner;
        for (auto* handler : {+[](COrviHttp*) { QTest::qWait(700); },
                              +[](COrviHttp* finished) { delete finished; }}) {
            owner.duringHandler = handler;
            request = send(peer.address(), &owner);
            QTRY_VERIFY(request.isNull());
        }
        QCOMPARE(owner.replies.size(), size_t(2));
        QCOMPARE(std::get<QString>(owner.replies[0]), u"1"_qs);
    }

    // The reply message read back from its parameters; anything else is no reply.
    void replyNoticeFromAMessage() {
        ReplyOwner owner;
        COrviHttp request;
        QCOMPARE((ReplyNotice{&request, 12}.sendTo(&owner)), 1);
        const ReplyOwner::Reply expected{12, &request, QString()};
        QCOMPARE(owner.replies, std::vector{expected});
        const auto address = reinterpret_cast<LParam>(&request);
        for (const auto& [message, lParam] :
             {std::pair{Msg::Upload, address}, {Msg::Progress, address}, {Msg::Reply, LParam(0)}})
            QVERIFY(!ReplyNotice::from(message, 12, lParam));
        QCOMPARE(ReplyNotice::from(Msg::Reply, WParam(1) << 40, address)->announcedLength, INT_MAX);
    }
};

QTEST_GUILESS_MAIN(TestOrviHttp)
#include "tst_orvi_http.moc"
