// End to end: two members chat through orvix-server, each in a client of their own. This test
// is one client (kim); the other (lee) is this same program started again with
// --partner-client, which logs in, opens the room and reports on its standard output what its
// conversation shows, and answers "ping" with "pong". The operator's commands add a photo from
// the phone and close the room.

#include "app/login_dlg.h"
#include "app/orvix_win_app.h"
#include "chat/chat_frame.h"
#include "chat/chat_list_view.h"
#include "chat/chat_message.h"
#include "chat/chat_message_list.h"
#include "chat/chat_room.h"
#include "chat/chat_tool_dlg.h"
#include "chat/chat_view.h"
#include "chat/image_object.h"
#include "chat/receive_msg_dlg.h"
#include "chat/send_msg_dlg.h"
#include "chat/text_object.h"
#include "document_templates.h"
#include "platform/doubles/counting_sound.h"
#include "platform/doubles/fixed_environment.h"
#include "platform/doubles/scripted_ui_services.h"
#include "support/server_process.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace orvix;
using namespace Qt::StringLiterals;
using Window = COrvixWinApp::Window;

namespace {

// One client on doubles, logged in through its login dialog against the server.
struct Client {
    QTemporaryDir documents;
    FixedEnvironment environment;
    ScriptedUiServices ui;
    CountingSound sound;
    std::unique_ptr<COrvixWinApp> app;

    Client(const QString& server, quint16 uploadPort) {
        environment.documents = documents.path();
        environment.now = QDateTime::currentDateTime();
        Configuration configuration;
        configuration.serverAddress = server;
        configuration.uploadPort = uploadPort;
        app = std::make_unique<COrvixWinApp>(COrvixWinApp::Services{&environment, &ui, &sound, {}},
                                             configuration);
        registerDocumentTemplates(*app);
    }

    bool logIn(const QString& id, const QString& password) {
        ui.answerModal([=](QDialog& dialog) {
            auto& login = static_cast<CLoginDlg&>(dialog);
            login.control<QLineEdit>(CLoginDlg::IdEdit)->setText(id);
            login.control<QLineEdit>(CLoginDlg::PasswordEdit)->setText(password);
            QTest::keyClick(login.control<QLineEdit>(CLoginDlg::PasswordEdit), Qt::Key_Return);
            (void)QTest::qWaitFor([&] { return login.result() != 0; }, 10000);
            return login.result();
        });
        return app->InitInstance({});
    }

    CChatFrame* chat() const { return app->window<CChatFrame>(Window::ChatFrame); }
    CChatListView& list() const { return *chat()->listView(); }
    CChatView& view() const { return *chat()->chatView(); }
    // Opens the chat window and its first room, once the list is in.
    bool openFirstRoom() {
        app->ShowChatWindows(true);
        if (!QTest::qWaitFor([&] { return list().rooms().size() > 0; }, 10000))
            return false;
        list().SelectRoomAt(10 + 20);
        return view().conversation().messages() != nullptr;
    }
    const ChatMessageList* messages() const { return view().conversation().messages(); }
    // "side kind text" of each message on screen.
    QStringList shown() const {
        QStringList lines;
        const ChatMessageList* list = messages();
        for (int i = 0; list && i < list->size(); ++i) {
            const ChatMessage& m = list->at(i);
            const QString content = m.textBubble() ? m.textBubble()->text()
                                                   : u"photo %1"_s.arg(m.photoBubble()->height());
            lines << u"%1 %2 %3"_s.arg(m.side()).arg(m.kind()).arg(content);
        }
        return lines;
    }
    void type(const QString& text) {
        CChatToolDlg& panel = *view().panel();
        panel.edit()->setPlainText(text);
        QTest::keyClick(panel.edit(), Qt::Key_F9);
    }
};

// The partner: logs in as lee, reports each message its conversation shows ("shown ..."), answers
// "ping" with "pong", and ends when its standard input closes.
int runPartner(const QStringList& args) {
    QTextStream out(stdout);
    Client lee(args.value(0), quint16(args.value(1).toUInt()));
    if (!lee.logIn(args.value(2), args.value(3)) || !lee.openFirstRoom()) {
        out << "failed\n";
        return 1;
    }
    out << "ready\n";
    out.flush();
    int reported = 0;
    bool answered = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QStringList shown = lee.shown();
        for (; reported < shown.size(); ++reported)
            out << "shown " << shown[reported] << '\n';
        if (!answered && shown.contains(u"2 1 ping from kim"_s)) {
            lee.type(u"pong from lee"_s);
            answered = true;
        }
        if (lee.messages() == nullptr && reported > 0) {
            out << "closed\n";
            reported = 0;
        }
        out.flush();
    });
    watch.start(20);
    // The parent closes our standard input when it is done.
    ::fcntl(0, F_SETFL, ::fcntl(0, F_GETFL) | O_NONBLOCK);
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[64];
        const ssize_t read = ::read(0, buffer, sizeof buffer);
        // exit, not quit: the feature windows refuse to close, which would cancel a quit.
        if (read == 0 || (read < 0 && errno != EAGAIN && errno != EINTR))
            QCoreApplication::exit(0);
    });
    QTimer::singleShot(60000, [] { QCoreApplication::exit(2); });
    QApplication::exec();
    return 0;
}

} // namespace

class TestEndToEndChat : public QObject {
    Q_OBJECT
private slots:
    void twoMembersChatThroughTheServer();
};

void TestEndToEndChat::twoMembersChatThroughTheServer() {
    test::ServerProcess server(QStringLiteral(ORVIX_SERVER_BINARY));
    QVERIFY2(server.start({u"--auto-approve"_s}), server.output().constData());
    QCOMPARE(server.admin({u"add-member"_s, u"kim"_s, u"pw1"_s}), QByteArray("1\n"));
    QCOMPARE(server.admin({u"add-member"_s, u"lee"_s, u"pw2"_s, u"--name"_s, u"Lee"_s}),
             QByteArray("2\n"));
    QCOMPARE(server.admin({u"chat-room"_s, u"kim"_s, u"lee"_s}), QByteArray("1\n"));
    QVERIFY(!server.admin({u"chat-send"_s, u"1"_s, u"lee"_s, u"before you came"_s}).isNull());

    QProcess partner;
    partner.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    partner.start(QCoreApplication::applicationFilePath(),
                  {u"--partner-client"_s, server.httpAddress(),
                   QString::number(server.uploadPort()), u"lee"_s, u"pw2"_s});
    QByteArray said;
    auto partnerSaid = [&](const QByteArray& line, int timeout) {
        return QTest::qWaitFor(
            [&] {
                said += partner.readAllStandardOutput();
                return said.contains(line + '\n');
            },
            timeout);
    };
    QVERIFY2(partnerSaid("ready", 20000), said.constData());

    Client kim(server.httpAddress(), server.uploadPort());
    QVERIFY(kim.logIn(u"kim"_s, u"pw1"_s));
    QVERIFY(kim.openFirstRoom());
    const ChatRoom& room = kim.list().rooms().at(0);
    QCOMPARE(room.title, u"Lee"_s);
    QCOMPARE(room.preview, u"before you came"_s);

    // kim writes; lee's poll shows it on the left; lee's answer reaches kim on the left too.
    kim.type(u"ping from kim"_s);
    QVERIFY(QTest::qWaitFor(
        [&] { return kim.messages()->at(0).delivery() == ChatMessage::Delivery::Sent; }, 10000));
    QVERIFY2(partnerSaid("shown 2 1 ping from kim", 15000), said.constData());
    QVERIFY2(partnerSaid("shown 1 1 pong from lee", 15000), said.constData());
    QVERIFY(QTest::qWaitFor([&] { return kim.shown().size() == 2; }, 15000));
    QCOMPARE(kim.shown(), (QStringList{u"1 1 ping from kim"_s, u"2 1 pong from lee"_s}));
    QVERIFY(kim.sound.count() >= 1);

    // A photo from lee's phone: kim gets both files and sees the thumbnail; lee's PC shows it
    // as lee's own.
    QTemporaryDir scratch;
    QImage photo(1000, 750, QImage::Format_RGB32);
    photo.fill(QColor(30, 160, 90));
    QVERIFY(photo.save(scratch.filePath(u"p.jpg"_s)));
    QVERIFY(!server.admin({u"chat-send-photo"_s, u"1"_s, u"lee"_s, scratch.filePath(u"p.jpg"_s)})
                 .isNull());
    QVERIFY(QTest::qWaitFor([&] { return kim.shown().size() == 3; }, 15000));
    QCOMPARE(kim.shown().last(), u"2 3 photo 150"_s);
    QVERIFY2(partnerSaid("shown 1 3 photo 150", 15000), said.constData());

    // The operator closes the room: both conversations empty and the room leaves both lists.
    QVERIFY(!server.admin({u"chat-close"_s, u"1"_s}).isNull());
    QVERIFY(QTest::qWaitFor([&] { return kim.messages() == nullptr; }, 15000));
    QVERIFY(QTest::qWaitFor([&] { return kim.list().rooms().size() == 0; }, 10000));
    QVERIFY2(partnerSaid("closed", 15000), said.constData());

    for (StepWorker* worker :
         {&kim.list().sendWindow()->worker(), &kim.list().receiveWindow()->worker()}) {
        worker->stop();
        QVERIFY(worker->wait(std::chrono::seconds(5)));
    }
    partner.closeWriteChannel();
    QVERIFY(partner.waitForFinished(15000));
    QCOMPARE(partner.exitCode(), 0);
    // The windows without a parent; the panels and hidden windows go with their owners.
    QList<QPointer<QWidget>> windows;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->parentWidget())
            windows.append(window);
    }
    for (const QPointer<QWidget>& window : windows)
        delete window.data();
}

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.value(1) == u"--partner-client"_s)
        return runPartner(args.mid(2));
    TestEndToEndChat test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_e2e_chat.moc"
