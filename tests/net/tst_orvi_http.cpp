#include "net/http_reply_reader.h"
#include "net/orvi_http.h"
#include "platform/message_target.h"
#include "support/http_peer.h"

#include <QPointer>
#include <QTest>

#include <functional>
#include <vector>

using namespace orvix;
using orvix::test::HttpPeer;
using orvix::test::TcpPeer;
using Then = TcpPeer::Then;

namespace {

// A window that records the replies it is handed and what it read from them.
class ReplyOwner : public QObject, public MessageTarget {
public:
    struct Reply {
        int message;
        WParam length;
        COrviHttp* request;
        QString text;
    };
    std::vector<Reply> replies;
    std::function<void(COrviHttp*& request)> duringHandler; // may release it and clear it

    int onMessage(int message, WParam wParam, LParam lParam) override {
        auto* request = reinterpret_cast<COrviHttp*>(lParam);
        COrviHttp* alive = request;
        if (duringHandler)
            duringHandler(alive);
        replies.push_back({message, wParam, request, alive ? alive->replyText() : QString()});
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

    // The request bytes exactly, and the reply handed over whole, once, however it arrives.
    void requestAndReply_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("contentLength");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("inThreePieces");
        QTest::addColumn<QString>("text");
        QTest::newRow("login body, 15 bytes")
            << u"userid=a&pass=b"_qs << 15 << HttpPeer::reply("1") << false << u"1"_qs;
        QTest::newRow("Korean counted in bytes, three pieces 50 ms apart")
            << u"deviceid=7&msg=안녕"_qs << 21 << HttpPeer::reply(u"1</>안녕하세요</>3"_qs.toUtf8())
            << true << u"1</>안녕하세요</>3"_qs;
        QTest::newRow("charset parameter, body not escaped")
            << u"a=1 2&b=%41+&c=<x>;d=\"q\""_qs << 24
            << HttpPeer::reply("1</>x", "text/html; charset=utf-8") << false << u"1</>x"_qs;
        const QByteArray large = "1</>" + QByteArray(19996, 'z');
        QTest::newRow("100 KB request, Content-Length 20000")
            << u"html="_qs + QString(100000, u'h') << 100005 << HttpPeer::reply(large) << false
            << QString::fromLatin1(large);
        QTest::newRow("empty body; extra bytes after the reply")
            << QString() << 0 << HttpPeer::reply("ok") + "GARBAGE" << false << u"ok"_qs;
    }
    void requestAndReply() {
        QFETCH(QString, body);
        QFETCH(int, contentLength);
        QFETCH(QByteArray, reply);
        QFETCH(bool, inThreePieces);
        QFETCH(QString, text);
        // Rows of an odd Content-Length hold the connection open after the reply, the others close
        // it: a reply that arrives with the end of the stream is whole too.
        TcpPeer::Answer answer{{{reply}}, contentLength % 2 ? Then::Hold : Then::Close};
        if (inThreePieces)
            answer.pieces = {
                {reply.left(20)}, {reply.mid(20, reply.size() - 25), 50}, {reply.right(5), 50}};
        TcpPeer peer(HttpPeer::answering(answer));
        ReplyOwner owner;
        QPointer<COrviHttp> request = send(peer.address(), &owner, body);
        COrviHttp* const sent = request.data();
        // Released after the handler returned, and the connection closed.
        QTRY_VERIFY(request.isNull());
        QTRY_VERIFY(peer.ended(0));
        QCOMPARE(peer.received(0), "POST /android/pclogin.php HTTP/1.1\r\nHost: " +
                                       peer.address().toLatin1() + "\r\n" + FixedHeaders +
                                       "Content-Length: " + QByteArray::number(contentLength) +
                                       "\r\n\r\n" + body.toUtf8());
        QCOMPARE(owner.replies.size(), size_t(1));
        QCOMPARE(owner.replies[0].message, Msg::Reply);
        QCOMPARE(owner.replies[0].length, WParam(text.toUtf8().size()));
        QCOMPARE(quintptr(owner.replies[0].request), quintptr(sent));
        QCOMPARE(owner.replies[0].text, text);
    }

    void repliesThatAreNotDelivered_data() {
        QTest::addColumn<QByteArray>("reply"); // none: the peer never answers
        QTest::addColumn<bool>("closeAfter");
        QTest::addColumn<QString>("server"); // instead of the peer
        quint16 closedPort;
        {
            TcpPeer gone;
            closedPort = gone.port();
        }
        QTest::newRow("no Content-Length")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n1") << true
            << QString();
        QTest::newRow("closed before the body is complete")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n12345") << true
            << QString();
        QTest::newRow("announced beyond the 8 MiB cap")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 8388609\r\n\r\n1") << false
            << QString();
        QTest::newRow("time-out") << QByteArray() << false << QString();
        QTest::newRow("refused") << QByteArray() << false << u"127.0.0.1:%1"_qs.arg(closedPort);
        QTest::newRow("invalid port") << QByteArray() << false << u"127.0.0.1:99999"_qs;
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
        owner.duringHandler = [](COrviHttp*&) { QTest::qWait(700); };
        request = send(peer.address(), &owner);
        QTRY_VERIFY(request.isNull());
        owner.duringHandler = [](COrviHttp*& request) {
            delete request;
            request = nullptr;
        };
        request = send(peer.address(), &owner);
        QTRY_VERIFY(request.isNull());
        QCOMPARE(owner.replies.size(), size_t(2));
        QCOMPARE(owner.replies[0].text, u"1"_qs);
    }

    // The reply reader on its own, fed whole and a byte at a time.
    void reader_data() {
        using R = HttpReplyReader::Rejection;
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("cap");
        QTest::addColumn<int>("rejection");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, const QByteArray& reply, R rejection,
                            const QString& text = QString(), int cap = 0) {
            QTest::newRow(name) << reply << cap << int(rejection) << text;
        };
        row("service framing", HttpPeer::reply(u"1</>한글"_qs.toUtf8()), R::None, u"1</>한글"_qs);
        row("length last, other case, blanks",
            "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\ncontent-length:  3 \r\n\r\nabc",
            R::None, u"abc"_qs);
        row("zero length", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", R::None);
        row("zero byte ends the text",
            QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\na\0b", 41), R::None, u"a"_qs);
        row("length only in the body", "HTTP/1.1 200 OK\r\nX-Length-Of: 2\r\n\r\nContent-Length: 2",
            R::NoContentLength);
        const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 60\r\n\r\n"; // 39 bytes
        row("exactly the cap", head + QByteArray(60, 'b'), R::None, QString(60, u'b'), 99);
        row("one over the cap", head, R::TooLarge, QString(), 98);
        row("headers that never end", QByteArray(101, 'x'), R::TooLarge, QString(), 100);
        row("length beyond any integer",
            "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n", R::TooLarge);
    }
    void reader() {
        QFETCH(QByteArray, reply);
        QFETCH(int, cap);
        QFETCH(int, rejection);
        QFETCH(QString, text);
        for (qsizetype step : {reply.size(), qsizetype(1)}) {
            HttpReplyReader reader(cap ? cap : HttpReplyReader::DefaultCap);
            for (qsizetype at = 0; at < reply.size(); at += step)
                reader.append(reply.mid(at, step));
            reader.finish();
            QCOMPARE(int(reader.rejection()), rejection);
            QCOMPARE(reader.state() == HttpReplyReader::State::Complete, !rejection);
            QCOMPARE(reader.text(), text);
        }
    }
};

QTEST_GUILESS_MAIN(TestOrviHttp)
#include "tst_orvi_http.moc"
