#include "app/main_frame.h"
#include "app/orvix_win_view.h"
#include "shell_fixture.h"

#include <QDialog>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>
#include <vector>

using namespace orvix;
using orvix::test::FeatureWindows;
using orvix::test::ShellFixture;

namespace {

// A server peer on the test's own thread that keeps every connection open and answers only when
// the test says so.
class HeldPeer {
public:
    HeldPeer() {
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                const std::size_t index = m_connections.size();
                m_connections.push_back({socket, {}});
                QObject::connect(socket, &QTcpSocket::readyRead, [this, index] {
                    m_connections[index].received += m_connections[index].socket->readAll();
                });
            }
        });
    }

    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }
    std::size_t connections() const { return m_connections.size(); }
    QByteArray received(std::size_t index) const { return m_connections.at(index).received; }
    // Whether a whole request (head and the body it announces) has arrived on a connection.
    bool hasRequest(std::size_t index) const {
        if (index >= m_connections.size())
            return false;
        const QByteArray& bytes = m_connections[index].received;
        const qsizetype end = bytes.indexOf("\r\n\r\n");
        const qsizetype length = bytes.indexOf("Content-Length: ");
        if (end < 0 || length < 0)
            return false;
        const qsizetype lineEnd = bytes.indexOf("\r\n", length);
        const int announced = bytes.mid(length + 16, lineEnd - length - 16).toInt();
        return bytes.size() - (end + 4) >= announced;
    }
    void answer(std::size_t index, const QByteArray& body) {
        QTcpSocket* socket = m_connections.at(index).socket;
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\nContent-Type: text/html\r\n\r\n" + body);
        socket->flush();
    }

private:
    struct Connection {
        QTcpSocket* socket;
        QByteArray received;
    };
    QTcpServer m_server;
    std::vector<Connection> m_connections;
};

} // namespace

class TestMainFrame : public QObject {
    Q_OBJECT
private slots:
    void geometryTitleAndFrame() {
        ShellFixture f;
        CMainFrame frame;
        const int workArea = QGuiApplication::primaryScreen()->availableGeometry().width();
        QCOMPARE(frame.geometry(), QRect((workArea - 500) / 2, 20, 500, 170));
        QCOMPARE(frame.windowTitle(), QStringLiteral("Orvix"));
        QVERIFY(frame.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(frame.windowFlags() & Qt::WindowSystemMenuHint);
        QVERIFY(!(frame.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!frame.findChild<QMenuBar*>());
        QCOMPARE(frame.centralWidget(), frame.view());
        QCOMPARE(f.app->window(COrvixWinApp::Window::Main), &frame);
        // Creating the frame completed the launcher's initial update.
        QCOMPARE(frame.view()->buttons().size(), std::size_t(5));
        QVERIFY(f.ui.modalDialogs().isEmpty());

        QCOMPARE(CMainFrame::initialPosition(1280), QPoint(390, 20));
        QCOMPARE(CMainFrame::initialPosition(1001), QPoint(250, 20));
        QCOMPARE(CMainFrame::initialPosition(1000), QPoint(250, 20));
    }

    void upgradeExitReachesTheFrame() {
        ShellFixture f;
        CMainFrame frame;
        QSignalSpy exits(&frame, &CMainFrame::exitRequested);
        f.session().latestVersionCode = QStringLiteral("8");
        f.ui.answerModal([](QDialog& dialog) {
            dialog.accept();
            return dialog.result();
        });
        frame.view()->OnInitialUpdate();
        QCOMPARE(exits.count(), 1);
        QCOMPARE(exits.at(0).at(0).toInt(), 1);
    }

    void minimiseHidesTheFeatureWindows() {
        ShellFixture f;
        FeatureWindows windows(*f.app);
        CMainFrame frame;
        frame.show();
        windows.chatFrame.show();
        windows.postListFrame.show();
        windows.postFrame.show();

        frame.setWindowState(Qt::WindowMinimized);
        QVERIFY(!windows.chatFrame.isVisible());
        QVERIFY(!windows.postListFrame.isVisible());
        QVERIFY(!windows.postFrame.isVisible());

        frame.setWindowState(Qt::WindowNoState);
        QVERIFY(!windows.chatFrame.isVisible());
        QVERIFY(!windows.postListFrame.isVisible());
        QVERIFY(!windows.postFrame.isVisible());
        QVERIFY(frame.isVisible());
    }

    void closeEndsTheSessionOnTheServerFirst() {
        HeldPeer peer;
        ShellFixture f;
        f.app->setServerAddress(peer.address());
        CMainFrame frame;
        QSignalSpy ended(&frame, &CMainFrame::sessionEnded);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));

        QVERIFY(!frame.close());
        QTRY_VERIFY(peer.hasRequest(0));
        const QByteArray request = peer.received(0);
        QVERIFY(request.startsWith(
            "POST /android/closeusepc.php HTTP/1.1\r\nHost: " + peer.address().toUtf8() + "\r\n"));
        QVERIFY(request.contains("\r\nContent-Length: 15\r\n\r\n"));
        QVERIFY(request.endsWith("\r\n\r\ndeviceid=dev-42"));
        QVERIFY(frame.isVisible());
        QCOMPARE(ended.count(), 0);

        // A second Close while the first is unanswered asks again.
        QVERIFY(!frame.close());
        QTRY_VERIFY(peer.hasRequest(1));
        QCOMPARE(peer.received(1), request);
        QCOMPARE(frame.endOfSessionRequests(), 2);
        QVERIFY(frame.isVisible());

        peer.answer(0, "1");
        QTRY_COMPARE(ended.count(), 1);
        QVERIFY(!frame.isVisible());
        QVERIFY(frame.sessionHasEnded());

        // The late answer to the second request changes nothing; Close now just closes.
        peer.answer(1, "1");
        QTest::qWait(50);
        QCOMPARE(ended.count(), 1);
        QVERIFY(frame.close());
        QCOMPARE(frame.endOfSessionRequests(), 2);
    }

    void anyReplyTextEndsTheSession() {
        HeldPeer peer;
        ShellFixture f;
        f.app->setServerAddress(peer.address());
        CMainFrame frame;
        QSignalSpy ended(&frame, &CMainFrame::sessionEnded);
        frame.show();
        frame.close();
        QTRY_VERIFY(peer.hasRequest(0));
        peer.answer(0, "");
        QTRY_COMPARE(ended.count(), 1);
        QVERIFY(!frame.isVisible());
    }
};

QTEST_MAIN(TestMainFrame)
#include "tst_main_frame.moc"
