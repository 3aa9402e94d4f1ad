// Opening a post from the list, from the double click to the page shown (the post view's
// browser has finished loading it), against a bare WebEngine view loading the same page, in
// the same run. The reference server with its demo data runs in this process on a thread of
// its own.
//
// Usage: bench_open_post [rounds, default 10]

#include "app/orvix_win_app.h"
#include "board/orvix_area_view.h"
#include "board/orvix_frame.h"
#include "board/orvix_list_frame.h"
#include "board/orvix_list_view.h"
#include "platform/browser_control.h"
#include "platform/doubles/counting_sound.h"
#include "platform/doubles/fixed_environment.h"
#include "platform/doubles/scripted_ui_services.h"
#include "platform/web_engine_browser.h"
#include "server/app/orvix_server.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSemaphore>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <vector>

using namespace orvix;

namespace {

class ServerThread : public QThread {
public:
    explicit ServerThread(server::ServerConfig config)
        : m_config(std::move(config)) {}
    bool startAndWait() {
        start();
        m_ready.acquire();
        return m_port != 0;
    }
    quint16 port() const { return m_port; }

protected:
    void run() override {
        server::OrvixServer server(m_config);
        QString error;
        if (server.start(&error))
            m_port = server.httpPort();
        else
            QTextStream(stderr) << error << '\n';
        m_ready.release();
        if (m_port != 0)
            exec();
    }

private:
    server::ServerConfig m_config;
    QSemaphore m_ready;
    quint16 m_port = 0;
};

QByteArray postForm(quint16 port, const QByteArray& path, const QByteArray& body) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write("POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
                 QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QByteArray reply;
    while (socket.waitForReadyRead(10000)) {
        reply += socket.readAll();
        const qsizetype start = reply.indexOf("\r\n\r\n") + 4;
        const qsizetype at = reply.indexOf("Content-Length: ") + 16;
        if (start >= 4 &&
            reply.size() - start >= reply.mid(at, reply.indexOf('\r', at) - at).toInt())
            return reply.mid(start);
    }
    return {};
}

// Milliseconds until the view has finished loading (what `start` begins).
double timeLoad(QWebEngineView* view, const std::function<void()>& start) {
    QEventLoop loop;
    bool ok = false;
    const auto connection =
        QObject::connect(view, &QWebEngineView::loadFinished, &loop, [&](bool finished) {
            ok = finished;
            loop.quit();
        });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    start();
    loop.exec();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    QObject::disconnect(connection);
    return ok ? ms : -1;
}

QString stats(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return QStringLiteral("median %1 ms, min %2 ms, max %3 ms (%4 rounds)")
        .arg(ms[ms.size() / 2], 0, 'f', 1)
        .arg(ms.front(), 0, 'f', 1)
        .arg(ms.back(), 0, 'f', 1)
        .arg(ms.size());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    QTextStream out(stdout);

    QTemporaryDir data;
    server::ServerConfig config;
    config.dataDir = data.path();
    config.httpPort = 0;
    config.uploadPort = 0;
    config.demo = true;
    config.autoApprove = true;
    ServerThread serverThread(config);
    if (!serverThread.startAndWait())
        return 1;
    const quint16 port = serverThread.port();
    const QStringList login =
        QString::fromUtf8(postForm(port, "/android/pclogin.php", "id=demo&password=demo1234"))
            .split(QStringLiteral("</>"));

    QTemporaryDir documents;
    FixedEnvironment environment;
    environment.documents = documents.path();
    ScriptedUiServices ui;
    CountingSound sound;
    COrvixWinApp::Services services{&environment, &ui, &sound, {}};
    services.makeBrowser = [](QWidget* parent) {
        return std::unique_ptr<BrowserControl>(std::make_unique<WebEngineBrowser>(parent));
    };
    COrvixWinApp app(services, Configuration{});
    SessionRecord& session = app.session();
    session.workFolder = documents.path();
    session.country = 2;
    session.memberNumber = login.value(2);
    session.deviceId = login.value(3);
    session.memberId = QStringLiteral("demo");
    app.setServerAddress(QStringLiteral("127.0.0.1:%1").arg(port));
    session.imageServerAddress = app.session().serverAddress;

    COrvixListFrame list;
    COrvixFrame post;
    post.show();
    list.show();
    COrvixListView* view = list.view();
    view->RequestPostList();
    QElapsedTimer wait;
    wait.start();
    while (view->model().rows().empty() && wait.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    if (view->model().rows().empty())
        return 1;

    auto* postView = qobject_cast<QWebEngineView*>(post.view()->browser()->widget());
    QWebEngineView bare;
    bare.resize(700, 500);
    bare.show();
    std::vector<double> opened;
    std::vector<double> loaded;
    const int rows = int(view->model().rows().size());
    for (int round = 0; round < rounds; ++round) {
        const int row = round % rows;
        const QString address =
            QStringLiteral("http://127.0.0.1:%1/android/orviview_pc_new.php?deviceid=%2&mailidx=%3")
                .arg(port)
                .arg(session.deviceId, view->model().rows()[std::size_t(row)].mailIndex);
        loaded.push_back(timeLoad(&bare, [&] { bare.setUrl(QUrl(address)); }));
        opened.push_back(timeLoad(
            postView, [&] { view->OpenPostAt(QPoint(200, PostListModel::rowTop(row) + 50)); }));
        // Let the viewed request's reply and the list that follows it settle.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 300)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    out << "opening a post, double click to page shown: " << stats(opened) << '\n';
    out << "bare WebEngine load of the same pages: " << stats(loaded) << '\n';
    serverThread.quit();
    serverThread.wait();
    return 0;
}
