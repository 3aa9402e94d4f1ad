#include "net/http_reply_reader.h"
#include "net/orvi_http.h"
#include "platform/message_target.h"
#include "scripted_peer.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <vector>

using namespace orvix;
using orvix::test::ScriptedPeer;

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

    int onMessage(int message, WParam wParam, LParam lParam) override {
        auto* request = reinterpret_cast<COrviHttp*>(lParam);
        replies.push_back({message, wParam, request, request->replyText()});
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

// A peer that answers each whole request with `answer`, sent in the given pieces.
ScriptedPeer::Handler answerWith(QList<QByteArray> pieces, int gapMs = 0) {
    return [pieces, gapMs](ScriptedPeer::Connection& connection) {
        if (ScriptedPeer::isWholeRequest(connection.received) &&
            !connection.socket->property("answered").toBool()) {
            connection.socket->setProperty("answered", true);
            ScriptedPeer::sendPieces(connection.socket, pieces, gapMs);
        }
    };
}

QString serverOf(const ScriptedPeer& peer) {
    return peer.address();
}

} // namespace

class TestOrviHttp : public QObject {
    Q_OBJECT
private slots:
    void init() { COrviHttp::setReplyTimeout(std::chrono::seconds(60)); }

    // The request bytes, all of them, in order.

    void loginBodyIsSentExactly() {
        ScriptedPeer peer(answerWith({ScriptedPeer::reply("1")}));
        ReplyOwner owner;
        const QString body = QStringLiteral("userid=a&pass=b");
        COrviHttp* sent = COrviHttp::Send(serverOf(peer), peer.addressNarrow(),
                                          "/android/pclogin.php", body, &owner);
        QPointer<COrviHttp> request(sent);
        QTRY_COMPARE(owner.replies.size(), size_t(1));
        const QByteArray expected =
            "POST /android/pclogin.php HTTP/1.1\r\nHost: " + peer.addressNarrow() + "\r\n" +
            FixedHeaders + "Content-Length: 15\r\n\r\nuserid=a&pass=b";
        QCOMPARE(peer.connection(0).received, expected);
        QCOMPARE(owner.replies[0].message, Msg::Reply);
        QCOMPARE(owner.replies[0].length, WParam(1));
        QCOMPARE(owner.replies[0].text, QStringLiteral("1"));
        QCOMPARE(quintptr(owner.replies[0].request), quintptr(sent));
        // Released after the handler returned, and the connection closed.
        QTRY_VERIFY(request.isNull());
        QTRY_VERIFY(peer.connection(0).ended);
    }

    void requestIsPreparedWithoutNetwork() {
        COrviHttp request;
        request.Prepare(QStringLiteral("orvix.example:8080"), "orvix.example:8080",
                        "/android/chatlistpc.php", QStringLiteral("deviceid=7&msg=안녕"), nullptr);
        // Korean text counts in UTF-8 bytes: "deviceid=7&msg=" is 15, "안녕" is 6.
        QCOMPARE(request.request(), "POST /android/chatlistpc.php HTTP/1.1\r\n"
                                    "Host: orvix.example:8080\r\n" +
                                        FixedHeaders + "Content-Length: 21\r\n\r\ndeviceid=7&msg=" +
                                        QStringLiteral("안녕").toUtf8());
    }

    void bodyIsSentAsGivenWithoutEscaping() {
        COrviHttp request;
        const QString body = QStringLiteral("a=1 2&b=%41+&c=<x>;d=\"q\"");
        request.Prepare(QStringLiteral("h"), "h", "/s.php", body, nullptr);
        QVERIFY(request.request().endsWith("\r\n\r\n" + body.toUtf8()));
        // An empty body still gets its Content-Length.
        COrviHttp empty;
        empty.Prepare(QStringLiteral("h"), "h", "/s.php", QString(), nullptr);
        QVERIFY(empty.request().endsWith("Content-Length: 0\r\n\r\n"));
    }

    void largeBodyIsSentWhole() {
        // A content registration carries its whole HTML: far more than a few kilobytes.
        QByteArray html(100000, 'h');
        ScriptedPeer peer(answerWith({ScriptedPeer::reply("1</>ok")}));
        ReplyOwner owner;
        COrviHttp::Send(serverOf(peer), peer.addressNarrow(), "/android/contentadd_new.php",
                        QString::fromLatin1("html=" + html), &owner);
        QTRY_COMPARE(owner.replies.size(), size_t(1));
        QVERIFY(peer.connection(0).received.endsWith("Content-Length: 100005\r\n\r\nhtml=" + html));
        QCOMPARE(owner.replies[0].text, QStringLiteral("1</>ok"));
    }

    // Replies.

    void replyInThreePiecesIsDeliveredWhole() {
        const QByteArray body = QStringLiteral("1</>안녕하세요</>3").toUtf8();
        const QByteArray whole = ScriptedPeer::reply(body);
        ScriptedPeer peer(
            answerWith({whole.left(20), whole.mid(20, whole.size() - 25), whole.right(5)}, 50));
        ReplyOwner owner;
        COrviHttp::Send(serverOf(peer), peer.addressNarrow(), "/android/getreceivechatpc.php",
                        QStringLiteral("deviceid=1"), &owner);
        QTRY_COMPARE(owner.replies.size(), size_t(1));
        QCOMPARE(owner.replies[0].length, WParam(body.size()));
        QCOMPARE(owner.replies[0].text, QStringLiteral("1</>안녕하세요</>3"));
        QTest::qWait(100);
        QCOMPARE(owner.replies.size(), size_t(1));
    }

    void contentTypeWithParameterDeliversTheBody() {
        ScriptedPeer peer(answerWith({ScriptedPeer::reply("1</>x", "text/html; charset=utf-8")}));
        ReplyOwner owner;
        COrviHttp::Send(serverOf(peer), peer.addressNarrow(), "/a.php", QString(), &owner);
        QTRY_COMPARE(owner.replies.size(), size_t(1));
        QCOMPARE(owner.replies[0].text, QStringLiteral("1</>x"));
    }

    void replyOfTwentyThousandBytesIsDelivered() {
        QByteArray body(20000, 'z');
        body.prepend("1</>");
        body.resize(20000);
        ScriptedPeer peer(answerWith({ScriptedPeer::reply(body)}));
        ReplyOwner owner;
        COrviHttp::Send(serverOf(peer), peer.addressNarrow(), "/a.php", QString(), &owner);
        QTRY_COMPARE(owner.replies.size(), size_t(1));
        QCOMPARE(owner.replies[0].length, WParam(20000));
        QCOMPARE(owner.replies[0].text.size(), 20000);
        QVERIFY(owner.replies[0].text.startsWith(QStringLiteral("1</>zz")));
    }

    void repliesThatAreNotDelivered_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("closeAfter");
        QTest::newRow("no Content-Length")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n1") << true;
        QTest::newRow("Content-Length without digits")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: x\r\n\r\n1") << false;
        QTest::newRow("closed before the body is complete")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n12345") << true;
        QTest::newRow("closed inside the headers")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Len") << true;
        QTest::newRow("announced beyond the cap")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 8388609\r\n\r\n1") << false;
    }
    void repliesThatAreNotDelivered() {
        QFETCH(QByteArray, answer);
        QFETCH(bool, closeAfter);
        ScriptedPeer peer([&](ScriptedPeer::Connection& connection) {
            if (ScriptedPeer::isWholeRequest(connection.received)) {
                connection.socket->write(answer);
                if (closeAfter)
                    connection.socket->disconnectFromHost();
            }
        });
        ReplyOwner owner;
        QPointer<COrviHttp> request = COrviHttp::Send(serverOf(peer), peer.addressNarrow(),
                                                      "/a.php", QStringLiteral("x=1"), &owner);
        // The request gives up and releases itself; its owner hears nothing.
        QTRY_VERIFY(request.isNull());
        QTRY_VERIFY(peer.connection(0).ended);
        QCoreApplication::processEvents();
        QVERIFY(owner.replies.empty());
    }

    void unansweredRequestTimesOut() {
        COrviHttp::setReplyTimeout(std::chrono::milliseconds(1000));
        ScriptedPeer peer; // reads but never answers
        ReplyOwner owner;
        QPointer<COrviHttp> request = COrviHttp::Send(serverOf(peer), peer.addressNarrow(),
                                                      "/a.php", QStringLiteral("x=1"), &owner);
        QTRY_COMPARE(peer.connectionCount(), 1);
        QVERIFY(!request.isNull());
        QTRY_VERIFY(request.isNull());
        QTRY_VERIFY(peer.connection(0).ended); // the socket was closed
        QVERIFY(owner.replies.empty());
    }

    void refusedConnectionReleasesTheRequest() {
        quint16 port;
        {
            ScriptedPeer closed;
            port = closed.port();
        }
        ReplyOwner owner;
        const QString server = QStringLiteral("127.0.0.1:%1").arg(port);
        QPointer<COrviHttp> request =
            COrviHttp::Send(server, server.toLatin1(), "/a.php", QString(), &owner);
        QTRY_VERIFY(request.isNull());
        QVERIFY(owner.replies.empty());
    }

    void invalidAddressReleasesTheRequest() {
        ReplyOwner owner;
        QPointer<COrviHttp> request =
            COrviHttp::Send(QStringLiteral("127.0.0.1:99999"), "x", "/a.php", QString(), &owner);
        QVERIFY(!request.isNull()); // still readable right after the call
        QTRY_VERIFY(request.isNull());
        QVERIFY(owner.replies.empty());
    }

    void ownerDestroyedBeforeTheReplyGetsNothing() {
        ScriptedPeer peer(answerWith({ScriptedPeer::reply("1")}, 0));
        auto owner = std::make_unique<ReplyOwner>();
        QPointer<COrviHttp> request =
            COrviHttp::Send(serverOf(peer), peer.addressNarrow(), "/a.php", QString(), owner.get());
        owner.reset();
        QTRY_VERIFY(request.isNull());
    }

    void extraBytesAfterTheBodyAreIgnored() {
        ScriptedPeer peer(answerWith({ScriptedPeer::reply("ok") + "GARBAGE"}));
        ReplyOwner owner;
        COrviHttp::Send(serverOf(peer), peer.addressNarrow(), "/a.php", QString(), &owner);
        QTRY_COMPARE(owner.replies.size(), size_t(1));
        QCOMPARE(owner.replies[0].text, QStringLiteral("ok"));
        QTest::qWait(50);
        QCOMPARE(owner.replies.size(), size_t(1));
    }

    void handlerMayRunANestedEventLoop() {
        // A handler that shows a modal box spins the event loop while the request is still
        // handing over its reply; nothing may happen to the request meanwhile.
        COrviHttp::setReplyTimeout(std::chrono::milliseconds(500));
        ScriptedPeer peer(answerWith({ScriptedPeer::reply("1"), "more bytes"}, 20));
        class NestingOwner : public QObject, public MessageTarget {
        public:
            int calls = 0;
            QString text;
            int onMessage(int, WParam, LParam lParam) override {
                ++calls;
                QTest::qWait(700); // longer than the reply time-out
                text = reinterpret_cast<COrviHttp*>(lParam)->replyText();
                return 1;
            }
        } owner;
        QPointer<COrviHttp> request =
            COrviHttp::Send(serverOf(peer), peer.addressNarrow(), "/a.php", QString(), &owner);
        QTRY_VERIFY(request.isNull());
        QCOMPARE(owner.calls, 1);
        QCOMPARE(owner.text, QStringLiteral("1"));
    }

    void replyFollowedByCloseIsDelivered() {
        ScriptedPeer peer([](ScriptedPeer::Connection& connection) {
            if (ScriptedPeer::isWholeRequest(connection.received)) {
                connection.socket->write(ScriptedPeer::reply("1</>bye"));
                connection.socket->disconnectFromHost();
            }
        });
        ReplyOwner owner;
        COrviHttp::Send(serverOf(peer), peer.addressNarrow(), "/android/closeusepc.php", QString(),
                        &owner);
        QTRY_COMPARE(owner.replies.size(), size_t(1));
        QCOMPARE(owner.replies[0].text, QStringLiteral("1</>bye"));
    }

    void ownerThatReleasesTheRequestItselfIsHarmless() {
        // Handlers written to release the request themselves must not break anything.
        ScriptedPeer peer(answerWith({ScriptedPeer::reply("1")}));
        class DeletingOwner : public QObject, public MessageTarget {
        public:
            bool useDeleteLater = false;
            int calls = 0;
            int onMessage(int, WParam, LParam lParam) override {
                ++calls;
                auto* request = reinterpret_cast<COrviHttp*>(lParam);
                if (useDeleteLater)
                    request->deleteLater();
                else
                    delete request;
                return 1;
            }
        } owner;
        for (bool later : {false, true}) {
            owner.useDeleteLater = later;
            QPointer<COrviHttp> request =
                COrviHttp::Send(serverOf(peer), peer.addressNarrow(), "/a.php", QString(), &owner);
            QTRY_VERIFY(request.isNull());
        }
        QCOMPARE(owner.calls, 2);
    }

    // The reply reader on its own.

    void readerTakesPiecesOfAnySize() {
        const QByteArray whole = ScriptedPeer::reply(QStringLiteral("1</>한글").toUtf8());
        HttpReplyReader reader;
        for (qsizetype i = 0; i < whole.size() - 1; ++i)
            QCOMPARE(reader.append(whole.mid(i, 1)), HttpReplyReader::State::Incomplete);
        QCOMPARE(reader.append(whole.right(1)), HttpReplyReader::State::Complete);
        QCOMPARE(reader.text(), QStringLiteral("1</>한글"));
        QCOMPARE(reader.announcedLength(), qint64(QStringLiteral("1</>한글").toUtf8().size()));
    }

    void readerFindsTheHeaderFields_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("text");
        QTest::newRow("service framing")
            << QByteArray(
                   "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Type: text/html\r\n\r\n1")
            << QStringLiteral("1");
        QTest::newRow("length last, other case, no blank")
            << QByteArray(
                   "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\ncontent-length:3\r\n\r\nabc")
            << QStringLiteral("abc");
        QTest::newRow("bare line feeds")
            << QByteArray("HTTP/1.1 200 OK\nContent-Length: 2\n\nok") << QStringLiteral("ok");
        QTest::newRow("blanks around the value")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length:   2  \r\n\r\nok")
            << QStringLiteral("ok");
        QTest::newRow("zero length")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n") << QString();
        QTest::newRow("status is not examined")
            << QByteArray("HTTP/1.1 500 Oops\r\nContent-Length: 1\r\n\r\n0") << QStringLiteral("0");
        QTest::newRow("first Content-Length counts")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 3\r\n\r\nabc")
            << QStringLiteral("a");
        QTest::newRow("zero byte ends the text")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n") + QByteArray("a\0b", 3)
            << QStringLiteral("a");
        QTest::newRow("broken UTF-8 is replaced")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\na\xff")
            << QStringLiteral("a\ufffd");
    }
    void readerFindsTheHeaderFields() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, text);
        HttpReplyReader reader;
        QCOMPARE(reader.append(reply), HttpReplyReader::State::Complete);
        QCOMPARE(reader.text(), text);
    }

    void readerRejects() {
        {
            // "ngth:" in the body is body, not a header.
            HttpReplyReader reader;
            QCOMPARE(reader.append("HTTP/1.1 200 OK\r\nX-Length-Of: 2\r\n\r\nContent-Length: 2"),
                     HttpReplyReader::State::Rejected);
            QCOMPARE(reader.rejection(), HttpReplyReader::Rejection::NoContentLength);
        }
        {
            // 39 bytes of headers and 62 of body are one more than the cap.
            HttpReplyReader reader(100);
            QCOMPARE(reader.append("HTTP/1.1 200 OK\r\nContent-Length: 62\r\n\r\n"),
                     HttpReplyReader::State::Rejected);
            QCOMPARE(reader.rejection(), HttpReplyReader::Rejection::TooLarge);
        }
        {
            // Headers that never end are cut off at the cap as well.
            HttpReplyReader reader(100);
            QCOMPARE(reader.append(QByteArray(100, 'x')), HttpReplyReader::State::Incomplete);
            QCOMPARE(reader.append("x"), HttpReplyReader::State::Rejected);
            QCOMPARE(reader.rejection(), HttpReplyReader::Rejection::TooLarge);
        }
        {
            // A reply of exactly the cap is whole.
            const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 60\r\n\r\n";
            HttpReplyReader reader(head.size() + 60);
            QCOMPARE(reader.append(head + QByteArray(60, 'b')), HttpReplyReader::State::Complete);
        }
        {
            HttpReplyReader reader;
            reader.append("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nab");
            QCOMPARE(reader.finish(), HttpReplyReader::State::Rejected);
            QCOMPARE(reader.rejection(), HttpReplyReader::Rejection::Truncated);
            QCOMPARE(reader.text(), QString());
        }
        {
            HttpReplyReader reader;
            QCOMPARE(
                reader.append("HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n"),
                HttpReplyReader::State::Rejected);
            QCOMPARE(reader.rejection(), HttpReplyReader::Rejection::TooLarge);
        }
    }
};

QTEST_GUILESS_MAIN(TestOrviHttp)
#include "tst_orvi_http.moc"
