#include "app/main_frame.h"
#include "app/orvix_win_view.h"
#include "support/shell_fixture.h"

#include "support/tcp_peer.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWindow>

using namespace orvix;
using test::FeatureWindows;
using test::ShellFixture;

namespace {

// A server on the test's thread that keeps every connection open and answers only when told.
class HeldPeer {
public:
    HeldPeer() {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                m_sockets.push_back(socket);
        });
    }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }
    // The whole request received on a connection, once its announced body has arrived.
    QByteArray request(std::size_t index) {
        if (index >= m_sockets.size())
            return {};
        QTcpSocket* socket = m_sockets[index];
        socket->setProperty("received",
                            socket->property("received").toByteArray() + socket->readAll());
        const QByteArray bytes = socket->property("received").toByteArray();
        const qsizetype end = bytes.indexOf("\r\n\r\n");
        return end >= 0 && bytes.size() - end - 4 >= 15 ? bytes : QByteArray();
    }
    void answer(std::size_t index, const QByteArray& body) {
        m_sockets.at(index)->write(
            "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
            "\r\nContent-Type: text/html\r\n\r\n" + body);
    }

private:
    QTcpServer m_server;
    std::vector<QTcpSocket*> m_sockets;
};

} // namespace

class TestMainFrame : public QObject {
    Q_OBJECT
private slots:
    void geometryTitleAndFrame() {
        ShellFixture f;
        CMainFrame frame;
        const int workArea = QGuiApplication::primaryScreen()->availableGeometry().width();
        // The window's outer frame, caption and border included, is 500 × 170 at the top,
        // centred; the launcher gets what is inside.
        const QRect outer((workArea - 500) / 2, 20, 500, 170);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        const QMargins margins = frame.windowHandle()->frameMargins();
        QTRY_COMPARE(frame.frameGeometry(), outer);
        QCOMPARE(frame.geometry(), outer.marginsRemoved(margins));
        QVERIFY(frame.view()->width() >= 480 && frame.view()->height() >= 132);
        QCOMPARE(CMainFrame::initialPosition(1001), QPoint(250, 20));
        QCOMPARE(frame.windowTitle(), QStringLiteral("Orvix"));
        QVERIFY(frame.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(frame.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!frame.findChild<QMenuBar*>());
        QCOMPARE(f.app->window(COrvixWinApp::Window::Main), &frame);
        // Creating the frame completed the launcher's initial update.
        QCOMPARE(frame.view()->buttons().size(), std::size_t(5));
    }

    void minimiseHidesTheFeatureWindows() {
        ShellFixture f;
        FeatureWindows windows(*f.app);
        CMainFrame frame;
        frame.show();
        for (QWidget* window : {&windows.chatFrame, &windows.postListFrame, &windows.postFrame})
            window->show();
        frame.setWindowState(Qt::WindowMinimized);
        frame.setWindowState(Qt::WindowNoState); // restoring does not bring them back
        QVERIFY(frame.isVisible());
        for (QWidget* window : {&windows.chatFrame, &windows.postListFrame, &windows.postFrame})
            QVERIFY(!window->isVisible());
    }

    void closeEndsTheSessionOnTheServerFirst() {
        HeldPeer peer;
        ShellFixture f;
        f.app->setServerAddress(peer.address());
        CMainFrame frame;
        QSignalSpy ended(&frame, &CMainFrame::sessionEnded);
        frame.show();

        QVERIFY(!frame.close());
        QTRY_VERIFY(!peer.request(0).isEmpty());
        const QByteArray request = peer.request(0);
        QVERIFY(request.startsWith(
            "POST /android/closeusepc.php HTTP/1.1\r\nHost: " + peer.address().toUtf8() + "\r\n"));
        QVERIFY(request.endsWith("\r\nContent-Length: 15\r\n\r\ndeviceid=dev-42"));
        QVERIFY(frame.isVisible());

        // A second Close while the first is unanswered asks again.
        QVERIFY(!frame.close());
        QTRY_COMPARE(peer.request(1), request);
        QVERIFY(frame.isVisible());
        QCOMPARE(ended.count(), 0);

        peer.answer(0, ""); // any reply text ends the session
        QTRY_COMPARE(ended.count(), 1);
        QVERIFY(!frame.isVisible());
        // The late answer to the second request changes nothing; Close now just closes.
        peer.answer(1, "1");
        QTest::qWait(50);
        QCOMPARE(ended.count(), 1);
        QVERIFY(frame.close());
        QCOMPARE(frame.endOfSessionRequests(), 2);
    }

    // With the server gone the window still closes, and the program with it: at once when the
    // request fails, after the wait when the server never answers.
    void closeEndsWithoutTheServer_data() {
        QTest::addColumn<QByteArray>("answer"); // what the server sends; empty: nothing
        QTest::addColumn<bool>("serverGone");   // nothing listens at the address
        QTest::newRow("refused") << QByteArray() << true;
        QTest::newRow("silent") << QByteArray() << false;
        QTest::newRow("garbage") << QByteArray("\x16\x03 no reply here\r\n\r\n") << false;
    }
    void closeEndsWithoutTheServer() {
        QFETCH(QByteArray, answer);
        QFETCH(bool, serverGone);
        test::TcpPeer peer(
            answer.isEmpty() ? test::TcpPeer::Script()
                             : [answer](const QByteArray&) -> std::optional<test::TcpPeer::Answer> {
                return test::TcpPeer::Answer{{{answer}}};
            });
        ShellFixture f;
        f.app->setServerAddress(serverGone ? u"127.0.0.1:%1"_qs.arg(test::TcpPeer().port())
                                           : peer.address());
        CMainFrame frame;
        frame.setEndOfSessionTimeout(std::chrono::milliseconds(300));
        QSignalSpy ended(&frame, &CMainFrame::sessionEnded);
        frame.show();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!frame.close());
        QTRY_COMPARE(ended.count(), 1);
        QVERIFY(!frame.isVisible());
        QVERIFY(frame.sessionHasEnded());
        if (answer.isEmpty() && !serverGone)
            QVERIFY(clock.elapsed() >= 300);
        QCOMPARE(frame.endOfSessionRequests(), 1);
    }
};

QTEST_MAIN(TestMainFrame)
#include "tst_main_frame.moc"
