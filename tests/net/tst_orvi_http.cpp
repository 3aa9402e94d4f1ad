#include "net/failure_notice.h"
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
    std::vector<FailureNotice::Reason> failures;
    int otherMessages = 0;
    std::function<void(COrviHttp*)> duringHandler; // may spin the event loop or release it

    int onMessage(int message, WParam wParam, LParam lParam) override {
        if (const auto failure = FailureNotice::from(message, wParam, lParam)) {
            failures.push_back(failure->reason);
            return 1;
        }
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
        QVERIFY(owner.failures.empty());
    }

    void repliesThatAreNotDelivered_data() {
        using Reason = FailureNotice::Reason;
        QTest::addColumn<QByteArray>("reply"); // none: the peer never answers
        QTest::addColumn<bool>("closeAfter");
        QTest::addColumn<QString>("server"); // instead of the peer
        QTest::addColumn<int>("timeoutMs");  // the request's own time-out; 0: the shared one
        QTest::addColumn<Reason>("reason");
        const auto row = [](const char* name, const char* reply, bool closeAfter, Reason reason,
                            const QString& server = {}, int timeoutMs = 0) {
            QTest::newRow(name) << QByteArray(reply) << closeAfter << server << timeoutMs << reason;
        };
        row("no Content-Length", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n1", true,
            Reason::BadReply);
        row("garbage", "\x16\x03\x01 not http at all \r\n\r\n", true, Reason::BadReply);
        row("closed before complete", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n12345", true,
            Reason::BadReply);
        row("beyond the 8 MiB cap", "HTTP/1.1 200 OK\r\nContent-Length: 8388609\r\n\r\n1", false,
            Reason::BadReply);
        row("length beyond any integer",
            "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n1", false,
            Reason::BadReply);
        row("time-out", "", false, Reason::TimedOut);
        row("time-out of its own", "", false, Reason::TimedOut, {}, 300);
        row("refused", "", false, Reason::Unreachable, u"127.0.0.1:%1"_qs.arg(TcpPeer().port()));
        row("unusable address", "", false, Reason::Unreachable, u"127.0.0.1:99999"_qs);
    }
    void repliesThatAreNotDelivered() {
        QFETCH(QByteArray, reply);
        QFETCH(bool, closeAfter);
        QFETCH(QString, server);
        QFETCH(int, timeoutMs);
        QFETCH(FailureNotice::Reason, reason);
        const bool timeOut = reply.isEmpty() && server.isEmpty();
        // A shared time-out that only the rows about time-outs could reach.
        COrviHttp::setReplyTimeout(std::chrono::milliseconds(timeOut && !timeoutMs ? 1000 : 60000));
        TcpPeer peer(reply.isEmpty()
                         ? TcpPeer::Script()
                         : HttpPeer::answering({{{reply}}, closeAfter ? Then::Close : Then::Hold}));
        ReplyOwner owner;
        QPointer<COrviHttp> request = send(server.isEmpty() ? peer.address() : server, &owner);
        if (timeoutMs)
            request->setTimeout(std::chrono::milliseconds(timeoutMs));
        QVERIFY(!request.isNull());      // still readable right after the call
        QVERIFY(owner.failures.empty()); // and nothing said yet, even for an unusable address
        if (timeOut) {
            QTRY_COMPARE(peer.connectionCount(), 1);
            QVERIFY(!request.isNull());
        }
        // The request gives up, closes its socket, tells its owner once and releases itself.
        QTRY_VERIFY(request.isNull());
        QTRY_VERIFY(!server.isEmpty() || peer.ended(0));
        QCoreApplication::processEvents();
        QVERIFY(owner.replies.empty());
        QCOMPARE(owner.failures, std::vector{reason});
    }

    void ownerMayGoOrRunANestedEventLoopOrReleaseTheRequest() {
        COrviHttp::setReplyTimeout(std::chrono::milliseconds(500));
        TcpPeer peer(HttpPeer::answering({{{HttpPeer::reply("1")}, {"more bytes", 20}}}));
        auto gone = std::make_unique<ReplyOwner>();
        QPointer<COrviHttp> request = send(peer.address(), gone.get());
        gone.reset();
        QTRY_VERIFY(request.isNull());
        gone = std::make_unique<ReplyOwner>();
        request = send(u"127.0.0.1:%1"_qs.arg(TcpPeer().port()), gone.get());
        gone.reset();
        QTRY_VERIFY(request.isNull()); // a failure with nobody to tell

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

        // The failure message likewise, and only with a known reason.
        QCOMPARE((FailureNotice{&request, FailureNotice::Reason::TimedOut}.sendTo(&owner)), 1);
        QCOMPARE(owner.failures, std::vector{FailureNotice::Reason::TimedOut});
        for (const auto& [message, wParam, lParam] : {std::tuple{Msg::Reply, WParam(2), address},
                                                      {Msg::RequestFailed, WParam(0), address},
                                                      {Msg::RequestFailed, WParam(4), address},
                                                      {Msg::RequestFailed, WParam(1), LParam(0)}})
            QVERIFY(!FailureNotice::from(message, wParam, lParam));
        QCOMPARE(FailureNotice::from(Msg::RequestFailed, 3, address)->request, &request);
    }
};

QTEST_GUILESS_MAIN(TestOrviHttp)
#include "tst_orvi_http.moc"
