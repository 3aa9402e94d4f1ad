// The board's windows against scripted local peers: the post list (request, photos fetched
// once, painting only the rows in view, the double click), the post view (its frame, commands
// and the chains of requests after an opinion and a photo, every reply handled by the kind of
// its own request, "php error"), and the opinion dialog (its controls, files and requests byte
// for byte).

#include "app/document_dialog_run.h"
#include "app/orvix_win_app.h"
#include "app/progress_dlg.h"
#include "board/orvix_area_view.h"
#include "board/orvix_frame.h"
#include "board/orvix_list_frame.h"
#include "board/orvix_list_view.h"
#include "board/write_text_dlg.h"
#include "support/http_peer.h"
#include "support/shell_fixture.h"
#include "support/tcp_peer.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMutex>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace orvix;
using orvix::test::HttpPeer;
using orvix::test::TcpPeer;
using Window = COrvixWinApp::Window;

namespace {

// A server for the form scripts and the photo downloads: each request is recorded in the order
// it arrived and answered by the handler, after the handler's delay.
class ScriptServer {
public:
    struct Answer {
        QByteArray body;
        int delayMs = 0;
    };
    using Handler = std::function<Answer(const HttpPeer::Request&)>;

    explicit ScriptServer(Handler handler)
        : m_handler(std::move(handler))
        , m_peer([this](const QByteArray& received) -> std::optional<TcpPeer::Answer> {
            const auto request = HttpPeer::Request::parse(received);
            if (!request)
                return std::nullopt;
            {
                QMutexLocker lock(&m_mutex);
                m_requests.append(*request);
            }
            const Answer answer = m_handler(*request);
            const QByteArray type =
                request->method == "GET" ? QByteArray("image/png") : QByteArray("text/html");
            return TcpPeer::Answer{{{HttpPeer::reply(answer.body, type), answer.delayMs}}};
        }) {}

    QString address() const { return m_peer.address(); }
    QList<HttpPeer::Request> requests() const {
        QMutexLocker lock(&m_mutex);
        return m_requests;
    }
    // "path body" of each form request, in order.
    QStringList posts() const {
        QStringList lines;
        for (const auto& request : requests()) {
            if (request.method == "POST")
                lines.append(QString::fromUtf8(request.path + ' ' + request.body));
        }
        return lines;
    }
    int count() const { return int(requests().size()); }

private:
    Handler m_handler;
    mutable QMutex m_mutex;
    QList<HttpPeer::Request> m_requests;
    TcpPeer m_peer; // last: its thread stops before what its script uses goes
};

QByteArray png(QColor colour) {
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QString post(int mail, const QString& title, const QString& photo = u"0"_s,
             const QString& host = u"127.0.0.1:1"_s) {
    return u"%1#12####%2#3#4#1##%3#%4#Kim"_s.arg(mail).arg(title, photo, host);
}

// The uploads one connection of the upload peer carried: header text and file bytes.
struct Uploaded {
    QString header;
    QByteArray file;
};
Uploaded uploaded(const TcpPeer& peer, int connection) {
    const QByteArray bytes = peer.received(connection);
    return {QString::fromUtf8(bytes.left(2048).constData()), bytes.mid(2048)};
}

// The application object on doubles with a session as a login leaves it, its browsers
// recorded, its requests going to the script server and its uploads to the upload peer.
struct Board {
    ScriptServer scripts;
    TcpPeer uploads; // records the files and answers nothing
    test::ShellFixture f;
    FixedEnvironment& environment = f.environment;
    ScriptedUiServices& ui = f.ui;
    std::vector<RecordingBrowser*>& browsers = f.browsers;
    COrvixWinApp* app = f.app.get();
    QTemporaryDir& dir = f.dir;

    static Configuration configurationFor(const ScriptServer& scripts, quint16 uploadPort) {
        Configuration configuration;
        configuration.serverAddress = scripts.address();
        configuration.uploadPort = uploadPort;
        return configuration;
    }

    explicit Board(ScriptServer::Handler handler, int country = 0, int uploadPort = -1)
        : scripts(std::move(handler))
        , f(country,
            configurationFor(scripts, uploadPort < 0 ? uploads.port() : quint16(uploadPort))) {
        SessionRecord& s = f.session();
        s.memberId = u"kim"_s;
        s.password = u"pw"_s;
        s.memberNumber = u"12"_s;
        app->setServerAddress(scripts.address());
        s.imageServerAddress = u"127.0.0.1"_s;
    }
};

bool waitForPosts(const ScriptServer& scripts, int count) {
    return QTest::qWaitFor([&] { return scripts.posts().size() >= count; }, 10000);
}

} // namespace

class TestBoardWindows : public QObject {
    Q_OBJECT
private slots:
    void listRequestedShownAndOpened();
    void listPaintsOnlyRowsInView();
    void frameToolBarAndCommands_data();
    void frameToolBarAndCommands();
    void opinionChain();
    void opinionRefusedShowsPhpErrorAndStays();
    void photoChain();
    void documentChainAndEditor();
    void repliesKeepTheirOwnKind();
    void failedUploadHidesTheStrip();
    void opinionDialogControls();
};

void TestBoardWindows::listRequestedShownAndOpened() {
    // The reply names this server as the photos' host.
    QString host;
    Board b([&host](const HttpPeer::Request& request) -> ScriptServer::Answer {
        if (request.method == "GET")
            return {png(Qt::blue)};
        if (request.path == "/android/pcorvixlist.php")
            return {(u"1</>2</>"_s + post(31, u"첫 글"_s, u"p31.jpg"_s, host) + u"</>"_s +
                     post(32, u"Second"_s))
                        .toUtf8()};
        return {"1"};
    });
    host = b.scripts.address();
    COrvixListFrame list;
    COrvixFrame postFrame;
    QCOMPARE(list.geometry().size(), QSize(470, 600));
    QCOMPARE(list.geometry().y(), 200);
    QCOMPARE(postFrame.geometry().size(), QSize(700, 600));
    QCOMPARE(postFrame.geometry().y(), 180);
    COrvixListView* view = list.view();
    QCOMPARE(b.app->window(Window::PostListView), view);
    QCOMPARE(view->scrollSize(), QSize(100, 100));

    // The launcher's Square runs the list's request.
    QVERIFY(b.app->runAction(COrvixWinApp::Action::RequestPostList));
    QVERIFY(QTest::qWaitFor([&] { return view->model().rows().size() == 2; }, 10000));
    QCOMPARE(b.scripts.posts().first(), u"/android/pcorvixlist.php deviceid=dev-42&id=kim"_s);
    QCOMPARE(view->scrollSize(), QSize(600, 200));
    // The photo came from the host of the reply, the post's mailbox folder, once.
    const auto gets = b.scripts.requests();
    QCOMPARE(gets.size(), 2);
    QCOMPARE(gets[1].path, "/image/mailbox/0000000012/p31.jpg"_qba);
    QVERIFY(QFile::exists(b.dir.path() + u"/p31.jpg.jpg"_s));
    QVERIFY(b.app->runAction(COrvixWinApp::Action::RequestPostList));
    QVERIFY(waitForPosts(b.scripts, 2));
    QTest::qWait(50);
    QCOMPARE(b.scripts.count(), 3); // no second download

    // A double click strictly inside the second row opens it in the post view.
    list.show();
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(200, 110));
    // (the post view makes its browser when it first shows a post)
    QVERIFY(b.browsers.empty() || b.browsers.back()->actions().isEmpty());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(200, 111));
    QCOMPARE(b.browsers.back()->lastAddress(),
             u"http://%1/android/orviview_pc_new.php?deviceid=dev-42&mailidx=32"_s.arg(
                 b.scripts.address()));
    QVERIFY(postFrame.isVisible());
    QVERIFY(waitForPosts(b.scripts, 3));
    QCOMPARE(b.scripts.posts()[2], u"/android/orviviewupdate.php deviceid=dev-42&mailidx=32"_s);
    // Its reply fetches the list again.
    QVERIFY(waitForPosts(b.scripts, 4));
    QCOMPARE(b.scripts.posts()[3], u"/android/pcorvixlist.php deviceid=dev-42&id=kim"_s);
}

void TestBoardWindows::listPaintsOnlyRowsInView() {
    Board b([](const HttpPeer::Request&) { return ScriptServer::Answer{"1"}; });
    COrvixListView standalone;
    COrvixListView* view = &standalone;
    QString reply = u"1</>50"_s;
    for (int i = 0; i < 50; ++i)
        reply += u"</>"_s + post(i, u"Post %1"_s.arg(i));
    QCOMPARE(view->OnReply(reply), 1);
    view->resize(470, 320);
    QImage target(view->viewport()->size(), QImage::Format_RGB32);
    // The rows whose band [10 + 100 i, 110 + 100 i) meets [top, top + viewport height).
    auto inView = [view](int top) {
        const int height = view->viewport()->height();
        const int first = (top - 10) / 100;
        int end = first;
        while (10 + 100 * end < top + height)
            ++end;
        return std::make_pair(first, end);
    };
    view->viewport()->render(&target);
    QCOMPARE(view->lastPaintedRows(), inView(0));
    QVERIFY(view->lastPaintedRows().second <= 4);
    // Scrolled to y = 1000: from row 9 (910–1010) on.
    view->verticalScrollBar()->setValue(1000);
    view->viewport()->render(&target);
    QCOMPARE(view->lastPaintedRows(), inView(1000));
    QCOMPARE(view->lastPaintedRows().first, 9);
    QCOMPARE(view->verticalScrollBar()->maximum(), 5000 - view->viewport()->height());
    QCOMPARE(view->verticalScrollBar()->pageStep(), 500);
    QCOMPARE(view->verticalScrollBar()->singleStep(), 50);
    // A double click opens by document y: 1000 + 10 is the top edge of row 10, 1000 + 11 inside.
    QVERIFY(!view->OpenPostAt(QPoint(10, 10)));
    QVERIFY(view->OpenPostAt(QPoint(10, 11)));
    // A refused reply keeps the rows.
    QCOMPARE(view->OnReply(u"0</>1</>x"_s), 0);
    QCOMPARE(view->model().rows().size(), std::size_t(50));
}

void TestBoardWindows::frameToolBarAndCommands_data() {
    QTest::addColumn<int>("country");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("Korea") << 0
                           << QStringList{u"스마트에디터"_s, u"의견쓰기"_s, u"사진"_s, u"문서"_s,
                                          u"새로고침"_s};
    QTest::newRow("China") << 1
                           << QStringList{u"多媒体编辑器"_s, u"写意见"_s, u"相片"_s, u"文档"_s,
                                          u"新修整"_s};
    QTest::newRow("other") << 2
                           << QStringList{u"Smart Editor"_s, u"Write Text"_s, u"Photo"_s,
                                          u"Document"_s, u"Reload"_s};
}

void TestBoardWindows::frameToolBarAndCommands() {
    QFETCH(int, country);
    QFETCH(QStringList, labels);
    Board b([](const HttpPeer::Request&) { return ScriptServer::Answer{"1"}; }, country);
    COrvixFrame frame;
    const int ids[] = {1052, 1049, 1050, 1051, 1053};
    const int labelIds[] = {1061, 1062, 1063, 1064, 1065};
    for (int i = 0; i < 5; ++i) {
        auto* button = findControl<QPushButton>(frame.toolBar(), ids[i]);
        QVERIFY(button);
        QCOMPARE(button->size(), QSize(40, 40));
        QCOMPARE(findControl<QLabel>(frame.toolBar(), labelIds[i])->text(), labels[i]);
    }
    QVERIFY(b.browsers.empty()); // the post view makes its browser when first used
    // Before any post, a reload navigates to the empty address.
    QVERIFY(frame.OnCommand(1053));
    QCOMPARE(b.browsers.size(), std::size_t(1));
    RecordingBrowser* browser = b.browsers.back();
    QCOMPARE(browser->actions(), QStringList{u"navigate "_s});
    // The commands without buttons act when sent to the frame.
    QVERIFY(frame.OnCommand(1019));
    QVERIFY(frame.OnCommand(1020));
    QVERIFY(frame.OnCommand(1021));
    QCOMPARE(browser->actions().mid(1),
             (QStringList{u"navigate http://%1/android/orvixarealist_windows.php?deviceid=dev-42&"
                          u"id=kim&password=pw"_s.arg(b.scripts.address()),
                          u"back"_s, u"forward"_s}));
    QVERIFY(!frame.OnCommand(1054));
    // The reload button reloads the post's page, and so does the action the editor runs.
    frame.view()->OpenPost(u"7"_s);
    const QString page = browser->lastAddress();
    QTest::mouseClick(findControl<QPushButton>(frame.toolBar(), 1053), Qt::LeftButton);
    QVERIFY(b.app->runAction(COrvixWinApp::Action::ReloadPost));
    QCOMPARE(browser->actions().mid(browser->actions().size() - 3),
             QStringList(3, u"navigate "_s + page));
}

void TestBoardWindows::opinionChain() {
    Board b([](const HttpPeer::Request& request) -> ScriptServer::Answer {
        if (request.path == "/android/contentadd_new.php")
            return {"1</>77"};
        return {"1"};
    });
    COrvixListFrame list;
    COrvixFrame frame;
    frame.view()->OpenPost(u"31"_s);
    QVERIFY(waitForPosts(b.scripts, 2)); // viewed, then the list
    b.environment.now = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    b.ui.answerModal([&](QDialog& dialog) {
        auto& opinion = static_cast<CWriteTextDlg&>(dialog);
        opinion.control<QPlainTextEdit>(CWriteTextDlg::TextBox)->setPlainText(u"a<b> & 한\nz"_s);
        opinion.control<QCheckBox>(CWriteTextDlg::BoldBox)->setChecked(true);
        opinion.control<QComboBox>(CWriteTextDlg::AlignmentBox)->setCurrentIndex(1);
        QTest::mouseClick(opinion.control<QPushButton>(CWriteTextDlg::SaveButton), Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return opinion.result() != 0; }, 10000))
            return int(DialogResult::Cancel); // the test then fails on what follows
        return opinion.result();
    });
    QVERIFY(frame.OnCommand(1049));
    QCOMPARE(b.ui.modalDialogs(), QStringList{u"CWriteTextDlg"_s});

    // The two files went to the member's mailbox folder, ".tml" first.
    QCOMPARE(b.uploads.connectionCount(), 2);
    const Uploaded tml = uploaded(b.uploads, 0);
    const Uploaded txt = uploaded(b.uploads, 1);
    const QByteArray tmlBytes = "0</>1</>center</>0</>16777215</>16</>a[b] & \xed\x95\x9c\r\r\nz";
    QCOMPARE(tml.header, u"%1 mailbox/0000000012 121700000000.tml"_s.arg(tmlBytes.size()));
    QCOMPARE(tml.file, tmlBytes);
    const QByteArray txtBytes = "a[b] & \xed\x95\x9c\r\r\nz";
    QCOMPARE(txt.header, u"%1 mailbox/0000000012 121700000000.txt"_s.arg(txtBytes.size()));
    QCOMPARE(txt.file, txtBytes);
    // Registration, the opinion, then the post view's info update with it and the list.
    QVERIFY(waitForPosts(b.scripts, 6));
    const QStringList posts = b.scripts.posts();
    QCOMPARE(posts[2], u"/android/contentadd_new.php deviceid=dev-42&style=text&content=<p "
                       u"style='font-size:16px;background-color:#ffffff;color:#000000;text-align:"
                       u"center;font-style:normal;font-weight:bold;'>a[b]   한\r\nz</p>&file="
                       u"121700000000&idate=1700000000&title=0&imagefile=0"_s);
    QCOMPARE(posts[3],
             u"/android/orwritetext_android_new.php deviceid=dev-42&mailidx=31&info=77"_s);
    QCOMPARE(posts[4], u"/android/orwrtextupdate_new.php deviceid=dev-42&mailidx=31&info=77"_s);
    QCOMPARE(posts[5], u"/android/pcorvixlist.php deviceid=dev-42&id=kim"_s);
    // The page was loaded again before the info update.
    const QStringList actions = b.browsers.back()->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0], actions[1]);
    QCOMPARE(frame.view()->state().opinionInfo(), u"77"_s);
}

void TestBoardWindows::opinionRefusedShowsPhpErrorAndStays() {
    Board b([](const HttpPeer::Request& request) -> ScriptServer::Answer {
        if (request.path == "/android/contentadd_new.php")
            return {"0</>refused"};
        return {"1"};
    });
    COrvixFrame frame;
    frame.view()->OpenPost(u"31"_s);
    bool stayedOpen = false;
    int stepAtError = -1;
    b.ui.answerModal([&](QDialog& dialog) {
        auto& opinion = static_cast<CWriteTextDlg&>(dialog);
        QTest::mouseClick(opinion.control<QPushButton>(CWriteTextDlg::SaveButton), Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return !b.ui.messages().empty(); }, 10000))
            return int(DialogResult::Cancel);
        stayedOpen = opinion.result() == 0 && opinion.isVisible();
        stepAtError = opinion.chain().step();
        return int(DialogResult::Cancel);
    });
    QVERIFY(frame.OnCommand(1049));
    QCOMPARE(b.ui.messages().size(), std::size_t(1));
    QCOMPARE(b.ui.messages()[0].text, u"php error"_s);
    QVERIFY(stayedOpen);
    QCOMPARE(stepAtError, 2);
    // Cancelled: no opinion, no info update.
    QTest::qWait(100);
    for (const QString& sent : b.scripts.posts())
        QVERIFY(!sent.contains(u"orwritetext"_s) && !sent.contains(u"orwrtextupdate"_s));
}

void TestBoardWindows::photoChain() {
    Board b([](const HttpPeer::Request&) { return ScriptServer::Answer{"1"}; });
    COrvixListFrame list;
    COrvixFrame frame;
    COrvixAreaView* view = frame.view();
    QCOMPARE(view->photoRegistrationDelay(), std::chrono::milliseconds(2000));
    view->setPhotoRegistrationDelay(std::chrono::milliseconds(300));
    view->OpenPost(u"31"_s);
    QVERIFY(waitForPosts(b.scripts, 2));
    const QString photo = b.dir.path() + u"/pick.png"_s;
    QFile file(photo);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(5000, 'p')) == 5000);
    file.close();
    b.environment.now = QDateTime::fromSecsSinceEpoch(7, Qt::UTC);
    b.ui.answerFiles({photo});
    QVERIFY(frame.OnCommand(1050));
    QCOMPARE(b.ui.fileRequests().back().filter,
             u"JPG(*.JPG)|*.JPG|PNG(*.PNG)|*.PNG|GIF(*.GIF)|*.GIF|ALL Files(*.*)|*.*||"_s);
    QCOMPARE(b.ui.fileRequests().back().initialName, u"*.JPG"_s);
    // The strip shows at the view's corner while the file goes out.
    QVERIFY(!view->progress()->isHidden());
    QCOMPARE(view->progress()->pos(), QPoint(10, 20));
    QCOMPARE(view->progress()->total(), 5000);
    QVERIFY(QTest::qWaitFor([&] { return view->photoRegistrationWaiting(); }, 10000));
    QCOMPARE(view->progress()->position(), 100);
    QCOMPARE(uploaded(b.uploads, 0).header, u"5000 mailbox/0000000012 127.png"_s);
    // Later, on a timer (two seconds in the program): the window answers meanwhile.
    QCOMPARE(b.scripts.posts().size(), 2);
    QVERIFY(waitForPosts(b.scripts, 5));
    const QStringList posts = b.scripts.posts();
    QCOMPARE(posts[2],
             u"/android/upimageorvi_new_pc.php deviceid=dev-42&mailidx=31&imgfile=127.png&"
             u"forder=mailbox/0000000012"_s);
    QCOMPARE(posts[3], u"/android/orwrtextupdate_new.php deviceid=dev-42&mailidx=31&info="_s);
    QCOMPARE(posts[4], u"/android/pcorvixlist.php deviceid=dev-42&id=kim"_s);
    QVERIFY(view->progress()->isHidden());
    QCOMPARE(view->progress()->position(), 0);
    QCOMPARE(b.browsers.back()->actions().size(), 2); // opened, then loaded again

    // A file that cannot be opened sends nothing.
    b.ui.answerFiles({b.dir.path() + u"/missing.jpg"_s});
    QVERIFY(frame.OnCommand(1050));
    QCOMPARE(b.ui.messages().back().text, u"그림 파일의 연결이 에러 입니다."_s);
    QCOMPARE(b.uploads.connectionCount(), 1);
    // Cancelling the file chooser does nothing.
    QVERIFY(frame.OnCommand(1050));
    QCOMPARE(b.uploads.connectionCount(), 1);
}

void TestBoardWindows::documentChainAndEditor() {
    Board b([](const HttpPeer::Request&) { return ScriptServer::Answer{"1"}; });
    COrvixListFrame list;
    COrvixFrame frame;
    COrvixAreaView* view = frame.view();
    view->OpenPost(u"31"_s);
    QVERIFY(waitForPosts(b.scripts, 2));
    // Without the documents feature, and for the editor without the editor, the buttons do
    // nothing.
    QVERIFY(frame.OnCommand(1051));
    QVERIFY(frame.OnCommand(1052));
    QTest::qWait(50);
    QCOMPARE(b.scripts.posts().size(), 2);

    // The documents feature's dialog: cancelled first, then a registered document.
    std::vector<QWidget*> parents;
    int result = DialogResult::Cancel;
    b.app->setAction(COrvixWinApp::Action::RunDocumentDialog, [&](const QVariant& argument) {
        DocumentDialogRun* run = DocumentDialogRun::of(argument);
        QVERIFY(run);
        parents.push_back(run->parent);
        run->result = result;
        if (result != DialogResult::Ok)
            return;
        run->fileName = u"trail|map & notes.pdf"_s;
        run->address = u"http://127.0.0.1/image/document/12/121.PDF"_s;
        run->extension = u"PDF"_s;
        run->comment = u"Map & notes"_s;
    });
    QVERIFY(frame.OnCommand(1051));
    QTest::qWait(50);
    QCOMPARE(b.scripts.posts().size(), 2);
    result = DialogResult::Ok;
    QVERIFY(frame.OnCommand(1051));
    QCOMPARE(parents, (std::vector<QWidget*>{view, view}));
    // Registration, then the page again and the info update, then the list.
    QVERIFY(waitForPosts(b.scripts, 5));
    const QStringList posts = b.scripts.posts();
    QCOMPARE(posts[2], u"/android/orwritedoc_new.php deviceid=dev-42&mailidx=31&content="
                       u"http://127.0.0.1/image/document/12/121.PDF|trail map   notes.pdf|Map   "
                       u"notes"_s);
    QCOMPARE(posts[3], u"/android/orwrtextupdate_new.php deviceid=dev-42&mailidx=31&info="_s);
    QCOMPARE(posts[4], u"/android/pcorvixlist.php deviceid=dev-42&id=kim"_s);
    QCOMPARE(b.browsers.back()->actions().size(), 2);

    // The editor starts a new content for the post shown.
    test::ActionRecorder actions;
    actions.provide(*b.app, COrvixWinApp::Action::OpenPostContent);
    QVERIFY(frame.OnCommand(1052));
    view->OpenPost(u"32"_s);
    QVERIFY(frame.OnCommand(1052));
    QCOMPARE(actions.count(COrvixWinApp::Action::OpenPostContent), 2);
    QCOMPARE(actions.runs[COrvixWinApp::Action::OpenPostContent][0].toString(), u"31"_s);
    QCOMPARE(actions.runs[COrvixWinApp::Action::OpenPostContent][1].toString(), u"32"_s);
}

void TestBoardWindows::repliesKeepTheirOwnKind() {
    // The viewed request is answered late, after the photo's registration went out and was
    // answered: each reply is still handled by its own request's kind.
    Board b([](const HttpPeer::Request& request) -> ScriptServer::Answer {
        if (request.path == "/android/orviviewupdate.php")
            return {"1", 1200};
        if (request.path == "/android/upimageorvi_new_pc.php")
            return {"0"}; // refused: "php error", no reload
        return {"1"};
    });
    COrvixListFrame list;
    COrvixFrame frame;
    COrvixAreaView* view = frame.view();
    view->setPhotoRegistrationDelay(std::chrono::milliseconds(100));
    view->OpenPost(u"31"_s);
    QCOMPARE(view->pendingKinds(), QList<int>{PostViewState::ViewedOrInfoUpdate});
    const QString photo = b.dir.path() + u"/p.jpg"_s;
    QFile file(photo);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("jpeg") == 4);
    file.close();
    b.ui.answerFiles({photo});
    QVERIFY(frame.OnCommand(1050));
    QVERIFY(waitForPosts(b.scripts, 2));
    // The refused registration: "php error" and nothing else; then the late viewed reply: the
    // list, not a reload with an info update.
    QVERIFY(waitForPosts(b.scripts, 3));
    const QStringList posts = b.scripts.posts();
    QCOMPARE(posts[0].section(u' ', 0, 0), u"/android/orviviewupdate.php"_s);
    QCOMPARE(posts[1].section(u' ', 0, 0), u"/android/upimageorvi_new_pc.php"_s);
    QCOMPARE(posts[2].section(u' ', 0, 0), u"/android/pcorvixlist.php"_s);
    QTest::qWait(200);
    QCOMPARE(b.scripts.posts().size(), 3);
    QCOMPARE(b.ui.messages().size(), std::size_t(1));
    QCOMPARE(b.ui.messages()[0].text, u"php error"_s);
    QCOMPARE(b.browsers.back()->actions().size(), 1);
    QVERIFY(view->pendingKinds().isEmpty());
}

void TestBoardWindows::failedUploadHidesTheStrip() {
    // The upload port closes each connection at once.
    TcpPeer closing([](const QByteArray&) { return TcpPeer::Answer{{}, TcpPeer::Then::Abort}; });
    Board b([](const HttpPeer::Request&) { return ScriptServer::Answer{"1"}; }, 2, closing.port());
    COrvixFrame frame;
    COrvixAreaView* view = frame.view();
    view->OpenPost(u"31"_s);
    const QString photo = b.dir.path() + u"/big.jpg"_s;
    QFile file(photo);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(400000, 'x')) == 400000);
    file.close();
    b.ui.answerFiles({photo});
    QVERIFY(frame.OnCommand(1050));
    QVERIFY(QTest::qWaitFor([&] { return !b.ui.messages().empty(); }, 20000));
    QCOMPARE(b.ui.messages()[0].text,
             u"The file could not be sent to the server. Please try again."_s);
    QVERIFY(view->progress()->isHidden());
    QVERIFY(!view->photoRegistrationWaiting());
}

void TestBoardWindows::opinionDialogControls() {
    Board b([](const HttpPeer::Request&) { return ScriptServer::Answer{"1"}; });
    CWriteTextDlg dialog(u"31"_s);
    QCOMPARE(dialog.windowTitle(), u"의견쓰기"_s);
    auto* size = dialog.control<QComboBox>(CWriteTextDlg::SizeBox);
    auto* alignment = dialog.control<QComboBox>(CWriteTextDlg::AlignmentBox);
    QCOMPARE(size->count(), 25);
    QCOMPARE(size->itemText(0), u"8"_s);
    QCOMPARE(size->itemText(24), u"32"_s);
    QCOMPARE(size->currentText(), u"16"_s);
    QCOMPARE(alignment->currentText(), u"좌측정렬"_s);
    QCOMPARE(dialog.style().sizePosition + 8, 16);
    for (int id : {CWriteTextDlg::BackgroundButton, CWriteTextDlg::TextColourButton,
                   CWriteTextDlg::SaveButton})
        QCOMPARE(dialog.control<QPushButton>(id)->size(), QSize(40, 40));
    // A typed size selects no entry: size 7; choosing from the list counts again.
    QTest::keyClicks(size->lineEdit(), u"0"_s);
    QCOMPARE(OpinionText::size(dialog.style()), 7);
    size->setCurrentIndex(24);
    emit size->activated(24);
    QCOMPARE(OpinionText::size(dialog.style()), 32);
    QTest::keyClicks(alignment->lineEdit(), u"x"_s);
    QCOMPARE(OpinionText::alignmentWord(dialog.style().alignPosition), u"left"_s);
    // The colour choosers start from black; the text box is painted in the chosen colours.
    b.ui.answerColor(QColor(255, 0, 0));
    QTest::mouseClick(dialog.control<QPushButton>(CWriteTextDlg::BackgroundButton), Qt::LeftButton);
    b.ui.answerColor(std::nullopt);
    QTest::mouseClick(dialog.control<QPushButton>(CWriteTextDlg::TextColourButton), Qt::LeftButton);
    QCOMPARE(dialog.backgroundColour(), QColor(255, 0, 0));
    QCOMPARE(dialog.textColour(), QColor(Qt::black));
    const QPalette palette = dialog.control<QPlainTextEdit>(CWriteTextDlg::TextBox)->palette();
    QCOMPARE(palette.color(QPalette::Base), QColor(255, 0, 0));
    QCOMPARE(b.ui.colorRequests(), 2);
    // The preview page: the header lines, the paragraph with <br>, the end; CR LF lines.
    dialog.control<QPlainTextEdit>(CWriteTextDlg::TextBox)->setPlainText(u"x\ny"_s);
    QVERIFY(dialog.Preview());
    QCOMPARE(b.ui.modalDialogs(), QStringList{u"CWebDialog"_s});
    QFile preview(b.dir.path() + u"/prevview.html"_s);
    QVERIFY(preview.open(QIODevice::ReadOnly));
    const QByteArray page = preview.readAll();
    QVERIFY(page.startsWith("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n"
                            "<HTML><HEAD><TITLE> \xeb\xaf\xb8\xeb\xa6\xac\xeb\xb3\xb4\xea\xb8\xb0 "
                            "</TITLE>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
                            "charset=utf-8\">\r\n"));
    QVERIFY(page.endsWith(
        "</HEAD><BODY>\r\n<p style='font-size:32px;background-color:#ff0000;color:#000000;"
        "text-align:left;font-style:normal;font-weight:normal;'>x<br>y</p></BODY></HTML>\r\n"));
    // The file name: member number and time, run together.
    QCOMPARE(dialog.fileName(), u"12"_s + QString::number(b.environment.currentTimeSeconds()));
}

QTEST_MAIN(TestBoardWindows)
#include "tst_board_windows.moc"
