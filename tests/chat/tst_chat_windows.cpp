// The chat windows against a scripted server: the room list request and its rows on screen,
// selecting a room, the panels under the panes, own messages and the input panel, polling with
// every branch of its reply, the sending queue with its photo chain and failures, and the photo
// viewer.

#include "chat/chat_frame.h"
#include "chat/chat_list_view.h"
#include "chat/chat_message.h"
#include "chat/chat_message_list.h"
#include "chat/chat_room.h"
#include "chat/chat_tool_dlg.h"
#include "chat/chat_view.h"
#include "chat/image_object.h"
#include "chat/list_tool_dlg.h"
#include "chat/receive_msg_dlg.h"
#include "chat/send_msg_dlg.h"
#include "editor/image_frame.h"
#include "editor/image_view.h"
#include "imaging/dib_picture.h"
#include "support/http_peer.h"
#include "support/shell_fixture.h"
#include "support/tcp_peer.h"

#include <QBuffer>
#include <QDir>
#include <QFontMetrics>
#include <QMutex>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>

using namespace orvix;
using namespace Qt::StringLiterals;
using orvix::test::HttpPeer;
using orvix::test::TcpPeer;

namespace {

QByteArray jpeg(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return bytes;
}

// A colour that went through JPEG: within a few steps of what was drawn.
bool near(const QColor& actual, const QColor& expected) {
    return qAbs(actual.red() - expected.red()) <= 6 &&
           qAbs(actual.green() - expected.green()) <= 6 &&
           qAbs(actual.blue() - expected.blue()) <= 6;
}

const QByteArray kNotFound = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n"
                             "Content-Type: text/html\r\n\r\n";

// The server side: answers each script from what the test set, records everything.
class ScriptedServer {
public:
    ScriptedServer()
        : m_peer([this](const HttpPeer::Request& request) { return answer(request); }) {}

    QString address() const { return m_peer.address(); }
    void setRoomList(const QByteArray& body) {
        QMutexLocker lock(&m_mutex);
        m_roomList = body;
    }
    void queuePoll(const QByteArray& body) {
        QMutexLocker lock(&m_mutex);
        m_polls.append(body);
    }
    void setSendAnswers(QList<QByteArray> answers) {
        QMutexLocker lock(&m_mutex);
        m_sends = std::move(answers);
    }
    void setFile(const QByteArray& path, const QByteArray& bytes) {
        QMutexLocker lock(&m_mutex);
        m_files[path] = bytes;
    }
    QList<HttpPeer::Request> requests(const QByteArray& path = {}) const {
        QList<HttpPeer::Request> found;
        for (const HttpPeer::Request& request : m_peer.requests()) {
            if (path.isEmpty() || request.path == path)
                found.append(request);
        }
        return found;
    }
    QList<QByteArray> bodies(const QByteArray& path) const {
        QList<QByteArray> found;
        for (const HttpPeer::Request& request : requests(path))
            found.append(request.body);
        return found;
    }

private:
    QByteArray answer(const HttpPeer::Request& request) {
        QMutexLocker lock(&m_mutex);
        if (request.method == "GET")
            return m_files.contains(request.path)
                       ? HttpPeer::reply(m_files[request.path], "image/jpeg")
                       : kNotFound;
        if (request.path == "/android/chatlistpc.php")
            return HttpPeer::reply(m_roomList);
        if (request.path == "/android/getreceivechatpc.php")
            return HttpPeer::reply(m_polls.isEmpty() ? QByteArray("1</>0") : m_polls.takeFirst());
        if (request.path == "/android/chatsendtextpc.php")
            return m_sends.isEmpty() ? HttpPeer::reply("1") : m_sends.takeFirst();
        return kNotFound;
    }

    mutable QMutex m_mutex;
    QByteArray m_roomList = "happychatlist</>0</>";
    QList<QByteArray> m_polls;
    QList<QByteArray> m_sends;
    QHash<QByteArray, QByteArray> m_files;
    HttpPeer m_peer; // last: stops before what its handler uses
};

// Fast pacing for the tests that do not measure it.
StepWorker::Timing quick() {
    StepWorker::Timing timing;
    timing.answerWait = std::chrono::milliseconds(400);
    timing.check = std::chrono::milliseconds(5);
    timing.pause = std::chrono::milliseconds(20);
    return timing;
}

const QByteArray kTwoRooms = "happychatlist</>2</>"
                             "5</>2</>3</>See you at 3</>03-01 10:00</>Minji</>1</>2</>HOST</>"
                             "6</>2</>1</>Hello</>03-01 09:00</>Wei</>0</>3</></>";

// The application object on doubles, a scripted server and the chat window on them.
struct Chat {
    ScriptedServer server;
    TcpPeer uploads;
    std::unique_ptr<test::ShellFixture> f;
    QWidget mainStandIn;
    CImageFrame* viewer = nullptr;
    std::unique_ptr<CChatFrame> frame;

    explicit Chat(const StepWorker::Timing& timing = quick(),
                  const QByteArray& roomList = kTwoRooms) {
        Configuration configuration;
        configuration.serverAddress = server.address();
        configuration.uploadPort = uploads.port();
        f = std::make_unique<test::ShellFixture>(Country::Other, configuration);
        SessionRecord& s = f->session();
        s.serverAddress = server.address();
        s.serverAddressNarrow = server.address().toUtf8();
        s.imageServerAddress = server.address();
        s.memberId = u"kim"_s;
        s.password = u"pw"_s;
        s.memberNumber = u"1"_s;
        f->app->registerWindow(COrvixWinApp::Window::Main, &mainStandIn);
        mainStandIn.show();
        f->app->LoadMemberPhoto(); // the default member picture
        viewer = new CImageFrame;
        server.setRoomList(QByteArray(roomList).replace("HOST", server.address().toUtf8()));
        server.setFile("/image/memberphoto/mem2.jpg", jpeg({160, 160}, Qt::blue));
        frame = std::make_unique<CChatFrame>(timing);
    }
    ~Chat() {
        frame.reset();
        delete viewer;
    }
    // Stops both workers, each within a time limit; false when one does not end.
    bool stopWorkers() {
        StepWorker* workers[] = {&list().sendWindow()->worker(), &list().receiveWindow()->worker()};
        for (StepWorker* worker : workers)
            worker->stop();
        for (StepWorker* worker : workers) {
            if (!worker->wait(std::chrono::seconds(5)))
                return false;
        }
        return true;
    }

    CChatListView& list() { return *frame->listView(); }
    CChatView& view() { return *frame->chatView(); }
    bool listLoaded() {
        return QTest::qWaitFor([&] { return list().rooms().loaded(); }, 5000);
    }
    void select(int row) { list().SelectRoomAt(10 + 60 * row + 20); }
    ChatMessageList& messages(int row) { return *list().rooms().at(row).messages; }
    QImage grab(QWidget& widget) { return widget.grab().toImage(); }
};

} // namespace

class TestChatWindows : public QObject {
    Q_OBJECT
private slots:
    void roomListRowsOnScreen();
    void selectionPanelsAndFrame();
    void ownMessagesFromThePanel();
    void pollRepliesOnEveryBranch();
    void sendingPacedOnePerStep();
    void photoChainAndFailuresShownAndResent();
    void photoViewer();
};

void TestChatWindows::roomListRowsOnScreen() {
    Chat c;
    QVERIFY(c.listLoaded());
    QCOMPARE(c.server.bodies("/android/chatlistpc.php").value(0), QByteArray("id=kim&password=pw"));
    // Minji's photo is fetched once into the working folder; Wei has none.
    QCOMPARE(c.server.requests("/image/memberphoto/mem2.jpg").size(), 1);
    QVERIFY(QFile::exists(c.f->session().workFolder + u"/mem2.jpg"_s));
    QCOMPARE(c.list().rooms().size(), 2);
    c.list().rooms().at(1).unread = 12;
    c.list().rooms().at(0).selected = true;

    c.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(c.frame.get()));
    const QImage rows = c.grab(*c.list().viewport());
    const int y0 = 10;
    const int y1 = 70;
    // Selected row: grey up to x 299 and down to y + 54; the photo stretched to 50 × 50 at 5.
    QCOMPARE(rows.pixelColor(240, y0 + 50), QColor(200, 200, 200));
    QCOMPARE(rows.pixelColor(240, y0 + 55), QColor(Qt::white));
    QVERIFY(near(rows.pixelColor(30, y0 + 25), Qt::blue));
    QCOMPARE(rows.pixelColor(30, y0 + 51), QColor(200, 200, 200));
    // Wei: the default picture, no grey; a red badge 20 wide for 12 with a white edge.
    QCOMPARE(rows.pixelColor(240, y1 + 30), QColor(Qt::white));
    QCOMPARE(rows.pixelColor(5, y1 + 4), QColor(Qt::white));
    QCOMPARE(rows.pixelColor(15, y1 - 3), QColor(Qt::white));
    bool badgeRed = false;
    bool badgeText = false;
    for (int x = 6; x < 24; ++x) {
        for (int y = y1 - 1; y < y1 + 11; ++y) {
            badgeRed = badgeRed || rows.pixelColor(x, y) == QColor(255, 0, 0);
            badgeText = badgeText || rows.pixelColor(x, y) == QColor(255, 255, 255);
        }
    }
    QVERIFY(badgeRed && badgeText);
    QVERIFY(rows.pixelColor(26, y1 + 4) != QColor(255, 0, 0));
    // The unread number lies wholly on its badge, and the preview shows a whole line of its font
    // without reaching the next row, for the face that stands in for the row font here.
    QFont rowFont(u"돋움체"_s);
    rowFont.setPixelSize(11);
    for (const int unread : {7, 42, 100, 4321}) {
        const QString number = QString::number(unread);
        const int w = ChatRoomList::badgeWidth(unread);
        const QPoint origin = CChatListView::badgeTextOrigin(rowFont, number, w, y1);
        const QRect ink = QFontMetrics(rowFont).tightBoundingRect(number).translated(origin);
        if (ink.width() <= w) {
            QVERIFY2(QRect(5, y1 - 3, w, 15).contains(ink), qPrintable(number));
            QVERIFY(qAbs((ink.left() - 5) - (5 + w - 1 - ink.right())) <= 1);
        }
        QVERIFY(qAbs((ink.top() - (y1 - 3)) - (y1 + 11 - ink.bottom())) <= 1);
    }
    const QRect preview = CChatListView::previewRect(rowFont, y1);
    QCOMPARE(preview.topLeft(), QPoint(60, y1 + 35));
    QCOMPARE(preview.right(), 199);
    QVERIFY(preview.height() >= std::min(QFontMetrics(rowFont).height(), 20));
    QVERIFY(preview.bottom() < y1 + 55);
    // The default picture (bitmap 143) stands where Wei's photo would be.
    const QImage fallback = c.list().rooms().at(1).defaultPicture;
    QCOMPARE(rows.pixelColor(5 + 25, y1 + 40), fallback.pixelColor(25, 40));
    QVERIFY(c.stopWorkers());
}

void TestChatWindows::selectionPanelsAndFrame() {
    Chat c;
    QVERIFY(c.listLoaded());
    c.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(c.frame.get()));
    QTRY_COMPARE(c.frame->frameGeometry().size(), QSize(800, 450)); // the outer frame
    // The panes give way to the frame's inside.
    QCOMPARE(c.frame->splitter()->sizes().value(0) + c.frame->splitter()->sizes().value(1) +
                 c.frame->splitter()->handleWidth(),
             c.frame->splitter()->width());
    QVERIFY(qAbs(c.frame->splitter()->sizes().value(0) - 250) <=
            c.frame->splitter()->handleWidth());
    QCOMPARE(c.f->app->window(COrvixWinApp::Window::ChatView), &c.view());
    QCOMPARE(c.f->app->window(COrvixWinApp::Window::ChatListView), &c.list());

    // A click in the 5 pixels under a row hits nothing; inside it selects and shows the room.
    c.list().rooms().at(1).unread = 3;
    c.list().SelectRoomAt(67);
    QVERIFY(!c.list().rooms().selectedRoom());
    QCOMPARE(c.view().conversation().messages(), nullptr);
    QTest::mouseClick(c.list().viewport(), Qt::LeftButton, {}, QPoint(100, 71));
    QCOMPARE(c.list().rooms().selectedRoom(), &c.list().rooms().at(1));
    QCOMPARE(c.list().rooms().at(1).unread, 0);
    QCOMPARE(c.view().conversation().roomNumberText(), u"6"_s);
    QCOMPARE(c.view().conversation().partnerNumber(), u"3"_s);
    QCOMPARE(c.view().conversation().messages(), &c.messages(1));

    // The panels show with the window, under their panes, and follow it.
    c.f->app->ShowChatWindows(true);
    QCOMPARE(c.frame->windowTitle(), u"채팅"_s);
    QVERIFY(QTest::qWaitForWindowExposed(c.frame.get()));
    QVERIFY(c.view().panel()->isVisible() && c.list().panel()->isVisible());
    auto placed = [&] {
        const QRect expected = CChatFrame::panelRect(&c.view());
        return c.view().panel()->geometry() == expected &&
               c.list().panel()->geometry() == CChatFrame::panelRect(&c.list()) &&
               expected.height() == 140 && expected.width() == c.view().width();
    };
    QVERIFY(QTest::qWaitFor(placed, 2000));
    // The typing box ends inside its panel, above the border, whatever the dialog font.
    const QRect box = c.view().panel()->edit()->geometry();
    QVERIFY(box.height() > 40);
    QVERIFY(box.bottom() <= c.view().panel()->height() - 1 - CChatToolDlg::EditBottomMargin);
    // The box and both buttons stay whole inside the panel (its pane is narrower than the
    // template's units at this font), the buttons side by side in their order.
    const CChatToolDlg* panel = c.view().panel();
    const QRect photo = panel->control<QPushButton>(CChatToolDlg::PhotoId)->geometry();
    const QRect send = panel->control<QPushButton>(CChatToolDlg::SendId)->geometry();
    QVERIFY(box.right() < panel->width());
    QVERIFY(photo.left() >= 0 && photo.right() < send.left());
    QVERIFY2(send.right() < panel->width(),
             qPrintable(u"%1 %2"_s.arg(send.right()).arg(panel->width())));
    QCOMPARE(send.size(), panel->units().toPixels(CChatToolDlg::SendRect).size());
    c.frame->move(c.frame->pos() + QPoint(37, 21));
    QVERIFY(QTest::qWaitFor(placed, 2000));
    c.f->app->ShowChatWindows(false);
    QVERIFY(!c.view().panel()->isVisible() && !c.list().panel()->isVisible());
    // The frame cannot be closed by the member: a close only hides it.
    QVERIFY(!(c.frame->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(c.stopWorkers());
}

void TestChatWindows::ownMessagesFromThePanel() {
    Chat c;
    QVERIFY(c.listLoaded());
    CChatToolDlg& panel = *c.view().panel();
    // Nothing is taken while no room is selected.
    panel.edit()->setPlainText(u"lost"_s);
    panel.SendText();
    QCOMPARE(c.list().sendWindow()->queue().size(), 0);

    c.select(0);
    c.f->environment.now = QDateTime(QDate(2026, 3, 1), QTime(7, 4), Qt::LocalTime);
    panel.show();
    panel.edit()->setFocus();
    // Enter makes a line break; F9 sends, "&" stays in the bubble and becomes a blank when queued.
    QTest::keyClicks(panel.edit(), u"a & b"_s);
    QTest::keyClick(panel.edit(), Qt::Key_Return);
    QTest::keyClicks(panel.edit(), u"c"_s);
    QVERIFY(panel.isVisible());
    QTest::keyClick(panel.edit(), Qt::Key_F9);
    QCOMPARE(panel.edit()->toPlainText(), QString());
    // F9 with an empty box sends an empty message; so does the button.
    QTest::keyClick(panel.edit(), Qt::Key_F9);
    QTest::mouseClick(panel.control<QPushButton>(CChatToolDlg::SendId), Qt::LeftButton);

    ChatMessageList& list = c.messages(0);
    QCOMPARE(list.size(), 3);
    const ChatMessage& typed = list.at(0);
    QCOMPARE(typed.side(), 1);
    QCOMPARE(typed.label(), u"2026-03-01 07:04"_s);
    QCOMPARE(typed.textBubble()->text(), u"a & b\r\nc"_s);
    QCOMPARE(typed.textBubble()->lineCount(), 2);
    QCOMPARE(list.at(1).textBubble()->lineCount(), 1);
    const SendQueue& queue = c.list().sendWindow()->queue();
    QCOMPARE(queue.size(), 3);
    QCOMPARE(queue.at(0).content, u"a   b\r\nc"_s);
    QCOMPARE(queue.at(0).roomNumber + queue.at(0).partnerNumber + queue.at(0).kind, u"521"_s);
    QCOMPARE(queue.at(1).content, QString());

    // The photo button: the member's choice is copied, shrunk, thumbnailed and sent.
    QTemporaryDir source;
    QImage wide(1600, 1000, QImage::Format_RGB32);
    wide.fill(Qt::green);
    QVERIFY(wide.save(source.filePath(u"wide.png"_s)));
    QVERIFY(QFile(source.filePath(u"notes.png"_s)).open(QIODevice::WriteOnly));
    c.f->ui.answerFiles({source.filePath(u"wide.png"_s)});
    c.f->ui.answerFiles({source.filePath(u"notes.png"_s)});
    c.f->ui.answerFiles({});
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(panel.control<QPushButton>(CChatToolDlg::PhotoId), Qt::LeftButton);
    QCOMPARE(c.f->ui.fileRequests().size(), size_t(3));
    QCOMPARE(c.f->ui.fileRequests()[0].filter, CChatToolDlg::PhotoFilter);
    QCOMPARE(c.f->ui.fileRequests()[0].initialName, u"*.JPG"_s);
    QCOMPARE(list.size(), 4); // the empty file and the cancelled choice send nothing
    const ChatMessage& photo = list.at(3);
    QCOMPARE(photo.kind(), 3);
    const QString t = QString::number(c.f->environment.currentTimeSeconds());
    QCOMPARE(queue.at(3).content, u"c1%1wide.png|1%1wide.png"_s.arg(t));
    QCOMPARE(photo.photoBubble()->height(), 125);
    CDibPicture copy;
    QVERIFY(copy.Load(c.f->session().workFolder + u"/1"_s + t + u"wide.png"_s));
    QCOMPARE(copy.storedWidth(), 800);

    // On screen: the own text bubble right of x 100 with its label at 160, the photo's at 200
    // and 260, the member's picture at 460.
    c.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(c.frame.get()));
    c.view().verticalScrollBar()->setValue(0);
    const QImage screen = c.grab(*c.view().viewport());
    QCOMPARE(screen.pixelColor(100, 10 + 20 + 5), QColor(127, 127, 127)); // bubble's left edge
    QCOMPARE(screen.pixelColor(99, 10 + 20 + 5), QColor(200, 200, 200));
    QCOMPARE(screen.pixelColor(120, 10 + 20 + 5), QColor(0, 255, 0));
    QCOMPARE(screen.pixelColor(460 + 25, 10 + 25),
             c.f->app->defaultMemberPicture().pixelColor(25, 25));
    QVERIFY(c.stopWorkers());
}

void TestChatWindows::pollRepliesOnEveryBranch() {
    Chat c;
    QVERIFY(c.listLoaded());
    c.select(0); // room 5 shown
    const QString host = c.server.address();
    auto record = [&](const char* room, const char* from, const char* content, const char* kind) {
        return u"1</>1</>9</>%1</>%2</>1</>%3</>%4</></>2026-03-01 09:30</></></>%5"_s
            .arg(QString::fromLatin1(room), QString::fromLatin1(from), QString::fromUtf8(content),
                 QString::fromLatin1(kind), host)
            .toUtf8();
    };
    c.server.setFile("/image/chatdata/cP1.jpg", jpeg({200, 100}, Qt::red));
    c.server.setFile("/image/chatdata/P1.jpg", jpeg({800, 400}, Qt::red));
    const int soundsBefore = c.f->sound.count();
    const int listsBefore = c.server.requests("/android/chatlistpc.php").size();
    for (const QByteArray& reply :
         {QByteArray("0"), QByteArray("1</>0"), record("5", "2", "for the shown room", "1"),
          record("6", "3", "for Wei", "1"), record("6", "3", "again", "1"),
          record("5", "1", "mine from the phone", "1"), record("5", "2", "cP1.jpg|P1.jpg", "3"),
          record("5", "2", "../../evil.jpg|C:\\x.jpg", "3"), record("5", "2", "x", "2")})
        c.server.queuePoll(reply);
    QVERIFY(QTest::qWaitFor([&] { return c.messages(0).size() == 4; }, 8000));
    // Every poll carries the device id.
    QCOMPARE(c.server.bodies("/android/getreceivechatpc.php").value(0),
             QByteArray("deviceid=dev-42"));

    QCOMPARE(c.f->sound.count() - soundsBefore, 6);
    ChatMessageList& shown = c.messages(0);
    QCOMPARE(shown.at(0).side(), 2);
    QCOMPARE(shown.at(1).side(), 1); // fields 3 and 4 equal: the member's own
    QCOMPARE(shown.at(2).photoBubble()->height(), 100);
    QCOMPARE(shown.at(3).photoBubble()->height(), 0); // hostile names: no picture, no file
    QCOMPARE(c.server.requests("/image/chatdata/cP1.jpg").size(), 1);
    QCOMPARE(c.server.requests("/image/chatdata/P1.jpg").size(), 1);
    QVERIFY(c.server.requests("/image/chatdata/cP1.jpg")[0].receivedAtMs <=
            c.server.requests("/image/chatdata/P1.jpg")[0].receivedAtMs);
    QCOMPARE(c.server.requests().size() -
                 c.server.requests("/android/getreceivechatpc.php").size() -
                 c.server.requests("/android/chatlistpc.php").size() -
                 c.server.requests("/image/memberphoto/mem2.jpg").size(),
             2);
    QCOMPARE(QDir(c.f->session().workFolder).entryList({u"*.jpg"_s}, QDir::Files).size(), 3);
    // Wei's room: two unread, moved to the top then passed by the shown room, its preview the
    // last text; a photo leaves the preview as it was.
    ChatRoom* wei = c.list().FindRoom(u"6");
    QCOMPARE(wei->unread, 2);
    QCOMPARE(wei->preview, u"again"_s);
    QCOMPARE(c.list().rooms().at(0).number, 5);
    QCOMPARE(c.list().rooms().at(0).preview, u"mine from the phone"_s);
    QCOMPARE(c.list().rooms().at(0).unread, 0);
    QCOMPARE(c.view().conversation().contentHeight(),
             std::max(shown.total(), c.view().viewport()->height()));

    // A record for a room that is not in the list asks for the list again and is lost.
    c.server.queuePoll(record("77", "2", "unknown room", "1"));
    QVERIFY(QTest::qWaitFor(
        [&] { return c.server.requests("/android/chatlistpc.php").size() == listsBefore + 1; },
        5000));
    QCOMPARE(c.f->sound.count() - soundsBefore, 6);

    // A closed room: its conversation goes and the list is asked for again.
    c.server.setRoomList(
        QByteArray("happychatlist</>1</>6</>2</>1</>Hello</>x</>Wei</>0</>3</></>"));
    c.server.queuePoll(record("5", "0", "", "9"));
    QVERIFY(QTest::qWaitFor([&] { return c.view().conversation().messages() == nullptr; }, 5000));
    QVERIFY(QTest::qWaitFor([&] { return c.list().rooms().size() == 1; }, 5000));
    QCOMPARE(c.list().rooms().at(0).unread, 2); // Wei's room kept its state through the reload

    // The PC access ended: the main window is closed.
    c.server.queuePoll("1</>-1");
    QVERIFY(QTest::qWaitFor([&] { return !c.mainStandIn.isVisible(); }, 5000));
    QVERIFY(c.stopWorkers());
}

void TestChatWindows::sendingPacedOnePerStep() {
    // The real pacing: a step, up to 5 s for the answer, then 2 s of sleep.
    Chat c(StepWorker::Timing{});
    QVERIFY(c.listLoaded());
    c.select(0);
    for (const char* text : {"one", "two", "three"})
        c.view().AddOwnMessage(QString::fromLatin1(text), 1);
    QVERIFY(QTest::qWaitFor(
        [&] { return c.server.requests("/android/chatsendtextpc.php").size() == 2; }, 10000));
    const auto sends = c.server.requests("/android/chatsendtextpc.php");
    QCOMPARE(sends[0].body, QByteArray("deviceid=dev-42&idx=1&roomidx=5&receiveidx=2&content=one"
                                       "&style=1&sendidx=1&pcsend=1"));
    QVERIFY(sends[1].body.startsWith("deviceid=dev-42&idx=2&"));
    // The second went out only after the first was answered and two seconds had passed.
    QVERIFY2(sends[1].receivedAtMs - sends[0].receivedAtMs >= 1950,
             qPrintable(QString::number(sends[1].receivedAtMs - sends[0].receivedAtMs)));
    QVERIFY(QTest::qWaitFor(
        [&] { return c.messages(0).at(0).delivery() == ChatMessage::Delivery::Sent; }, 2000));
    QCOMPARE(c.messages(0).at(2).delivery(), ChatMessage::Delivery::Waiting);
    QVERIFY(c.stopWorkers());
}

void TestChatWindows::photoChainAndFailuresShownAndResent() {
    Chat c;
    QVERIFY(c.listLoaded());
    c.list().sendWindow()->chain().setPhotoPause(std::chrono::milliseconds(300));
    c.select(0);
    const QString work = c.f->session().workFolder;
    QImage small(400, 300, QImage::Format_RGB32);
    small.fill(Qt::cyan);
    QVERIFY(small.save(work + u"/src.png"_s));
    // The first text is dropped by the server (no Content-Length: no reply), the second refused.
    c.server.setSendAnswers({"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n1",
                             HttpPeer::reply("0"), HttpPeer::reply("1"), HttpPeer::reply("1")});
    c.view().AddOwnMessage(u"dropped"_s, 1);
    c.view().AddOwnMessage(u"refused"_s, 1);
    QVERIFY(c.view().panel()->PreparePhoto(work + u"/src.png"_s, u"src.png"_s));
    ChatMessageList& list = c.messages(0);
    QCOMPARE(list.at(2).delivery(), ChatMessage::Delivery::Waiting);
    QVERIFY(QTest::qWaitFor([&] { return list.at(2).delivery() == ChatMessage::Delivery::Sent; },
                            8000));
    QCOMPARE(list.at(0).delivery(), ChatMessage::Delivery::NotSent);
    QCOMPARE(list.at(1).delivery(), ChatMessage::Delivery::NotSent);

    // Two uploads to chatdata, thumbnail first, each the header block and the file's bytes; then
    // the request with both names.
    QCOMPARE(c.uploads.connectionCount(), 2);
    const QString photoName = c.list().sendWindow()->queue().at(2).content.section(u'|', 1);
    for (int i = 0; i < 2; ++i) {
        const QString name = (i == 0 ? u"c"_s : QString()) + photoName;
        QFile file(work + u'/' + name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QByteArray header = QByteArray::number(bytes.size()) + " chatdata " + name.toUtf8();
        QCOMPARE(c.uploads.received(i), header + QByteArray(2048 - header.size(), '\0') + bytes);
    }
    const auto sends = c.server.requests("/android/chatsendtextpc.php");
    QCOMPARE(sends.size(), 3);
    QVERIFY(sends[2].body.contains("&content=c" + photoName.toUtf8() + '|' + photoName.toUtf8() +
                                   "&style=3&"));

    // The member sends the failed ones again from their bubbles: same idx, same bytes.
    QVERIFY(!c.view().SendAgain(list.at(2)));
    QVERIFY(c.view().SendAgain(list.at(0)));
    QCOMPARE(list.at(0).delivery(), ChatMessage::Delivery::Waiting);
    QVERIFY(QTest::qWaitFor([&] { return list.at(0).delivery() == ChatMessage::Delivery::Sent; },
                            5000));
    QCOMPARE(c.server.requests("/android/chatsendtextpc.php").value(3).body, sends[0].body);

    // A photo whose upload fails (its file is gone) is not sent either.
    QVERIFY(c.view().panel()->PreparePhoto(work + u"/src.png"_s, u"gone.png"_s));
    const QString gone = c.list().sendWindow()->queue().at(3).content.section(u'|', 0, 0);
    QVERIFY(QFile::remove(work + u'/' + gone));
    QVERIFY(QTest::qWaitFor([&] { return list.at(3).delivery() == ChatMessage::Delivery::NotSent; },
                            5000));
    QCOMPARE(c.server.requests("/android/chatsendtextpc.php").size(), 4);

    // The bubble says so, left of it, in red.
    c.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(c.frame.get()));
    c.view().Relayout();
    const QImage screen = c.grab(*c.view().viewport());
    const ChatMessage& failed = list.at(1);
    const int bottom =
        failed.top() - c.view().verticalScrollBar()->value() + 20 + failed.bubbleHeight();
    bool red = false;
    for (int x = 0; x < 96; ++x) {
        for (int y = bottom - 16; y < bottom; ++y)
            red = red ||
                  (screen.pixelColor(x, y).red() > 150 && screen.pixelColor(x, y).green() < 80);
    }
    QVERIFY(red);
    QVERIFY(c.stopWorkers());
}

void TestChatWindows::photoViewer() {
    Chat c;
    QVERIFY(c.listLoaded());
    const QString work = c.f->session().workFolder;
    QImage wide(1000, 700, QImage::Format_RGB32);
    wide.fill(Qt::magenta);
    QVERIFY(wide.save(work + u"/W.png"_s));
    QVERIFY(wide.scaled(200, 140).save(work + u"/cW.png"_s));
    QImage small(300, 200, QImage::Format_RGB32);
    small.fill(Qt::darkGreen);
    QVERIFY(small.save(work + u"/S.png"_s));
    QVERIFY(small.save(work + u"/cS.png"_s));
    QVERIFY(QFile(work + u"/cX.png"_s).open(QIODevice::WriteOnly));

    QCOMPARE(CImageFrame::sizeFor(1000, 700), QSize(800, 600));
    QCOMPARE(CImageFrame::sizeFor(300, 200), QSize(330, 230));
    QVERIFY(!c.viewer->ShowPhoto(work + u"/none.png"_s));
    QVERIFY(!c.viewer->isVisible());
    QCOMPARE(c.viewer->view()->scrollExtent(), QSize(100, 100));

    // A double click on a photo opens it; on text, on the gap below, or on a photo whose full
    // file is broken, the viewer stays as it was.
    c.select(0);
    c.view().AddOwnMessage(u"cW.png|W.png"_s, 3);
    c.view().AddOwnMessage(u"text"_s, 1);
    c.view().AddOwnMessage(u"cS.png|S.png"_s, 3);
    c.view().AddOwnMessage(u"cX.png|X.png"_s, 3);
    c.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(c.frame.get()));
    ChatMessageList& list = c.messages(0);
    auto doubleClick = [&](int index) {
        c.view().verticalScrollBar()->setValue(list.at(index).top() - 5);
        const int y = list.at(index).top() - c.view().verticalScrollBar()->value() + 30;
        QTest::mouseDClick(c.view().viewport(), Qt::LeftButton, {}, QPoint(300, y));
    };
    doubleClick(1);
    QVERIFY(!c.viewer->isVisible());
    doubleClick(0);
    QVERIFY(c.viewer->isVisible());
    QTRY_COMPARE(c.viewer->frameGeometry().size(), QSize(800, 600)); // the outer frame
    QCOMPARE(c.viewer->view()->scrollExtent(), QSize(1000, 700));
    QVERIFY(c.viewer->view()->verticalScrollBar()->maximum() > 0);
    doubleClick(3);
    QCOMPARE(c.viewer->frameGeometry().size(), QSize(800, 600)); // broken file: unchanged
    doubleClick(2);
    QTRY_COMPARE(c.viewer->frameGeometry().size(), QSize(330, 230));
    QCOMPARE(c.viewer->view()->verticalScrollBar()->maximum(), 0);
    QCOMPARE(c.grab(*c.viewer->view()->viewport()).pixelColor(150, 100), QColor(Qt::darkGreen));
    // Closing only hides it.
    c.viewer->close();
    QVERIFY(!c.viewer->isVisible());
    QVERIFY(c.f->app->window(COrvixWinApp::Window::ImageFrame));
    QVERIFY(c.stopWorkers());
}

QTEST_MAIN(TestChatWindows)
#include "tst_chat_windows.moc"
