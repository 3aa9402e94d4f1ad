// The upload chain over real sockets against scripted peers: the bytes on the upload port in
// their order and spacing, each request body byte for byte, the reply branches, the progress
// strip.

#include "app/progress_dlg.h"
#include "editor/content_frame.h"
#include "editor/content_view.h"
#include "editor/sml_writer.h"
#include "support/http_peer.h"
#include "support/shell_fixture.h"
#include "support/tcp_peer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTest>

using namespace orvix;
using namespace Qt::StringLiterals;
using orvix::test::HttpPeer;
using orvix::test::TcpPeer;

namespace {

// The image server's upload port: records what each connection sends, never answers.
struct UploadPort {
    TcpPeer peer{[](const QByteArray&) -> std::optional<TcpPeer::Answer> { return std::nullopt; }};
    Configuration configuration() const {
        Configuration c;
        c.uploadPort = peer.port();
        return c;
    }
    // The header text of a connection and the bytes after the 2,048-byte block.
    QByteArray header(int connection) const {
        const QByteArray block = peer.received(connection).left(2048);
        return block.left(block.indexOf('\0'));
    }
    QByteArray file(int connection) const { return peer.received(connection).mid(2048); }
};

struct Wire {
    UploadPort uploads;
    test::ShellFixture f{Country::Korea, uploads.configuration()};
    QMap<QByteArray, QByteArray> answers; // script → reply body
    HttpPeer scripts{[this](const HttpPeer::Request& request) {
        return HttpPeer::reply(answers.value(request.path, "0"));
    }};
    std::unique_ptr<CContentFrame> frame;
    CContentView* view = nullptr;
    int postLists = 0;
    QByteArray photo1, photo2;

    explicit Wire(int kind) {
        SessionRecord& s = f.session();
        s.memberId = u"kim"_s;
        s.memberNumber = u"12"_s;
        s.serverAddress = scripts.address();
        s.serverAddressNarrow = scripts.address().toUtf8();
        s.imageServerAddress = u"127.0.0.1:1"_s; // the host; the port is the upload port's
        f.app->setAction(COrvixWinApp::Action::RequestPostList,
                         [this](const QVariant&) { ++postLists; });
        frame = std::make_unique<CContentFrame>();
        frame->show();
        view = frame->view();
        view->model().contentKind = kind;
        view->model().mailIndex = u"55"_s;
        frame->titleEdit()->setText(u"제목 & <1>"_s);
        view->AddText(u"a&b\nc"_s);
        photo1 = QByteArray(3000, 'p');
        photo2 = QByteArray(100, 'q');
        for (const QByteArray* bytes : {&photo1, &photo2}) {
            const QString path = f.dir.filePath(u"p%1.jpg"_s.arg(bytes == &photo1 ? 1 : 2));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(*bytes);
            file.close();
            view->AddPhoto(path, u"p.jpg"_s);
        }
    }
    bool finished() {
        return QTest::qWaitFor([&] { return view->upload().phase() == ContentUpload::Phase::Idle; },
                               20000);
    }
    QStringList messages() const {
        QStringList texts;
        for (const auto& message : f.ui.messages())
            texts << message.text;
        return texts;
    }
};

} // namespace

class TestContentWire : public QObject {
    Q_OBJECT
private slots:
    void profileUpload();
    void postUpload();
    void refusedRegistration();
};

void TestContentWire::profileUpload() {
    Wire w(ContentModel::MemberContent);
    w.answers["/android/contentadd_new.php"] = "1</>77";
    w.answers["/android/setmyinfo.php"] = "1";
    const QString file = w.view->model().fileName;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(w.view->Upload());
    CProgressDlg* strip = w.view->progressDialog();
    QVERIFY(strip->isVisible());
    QCOMPARE(strip->pos(), QPoint(10, 20));
    QCOMPARE(strip->total(), 3100);
    QVERIFY(!w.view->Upload()); // refused while it runs
    QVERIFY(w.finished());
    // The content file, then the photos about a second apart each.
    QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE(w.uploads.peer.connectionCount(), 3);
    const QByteArray sml = SmlWriter::text(w.view->model()).toUtf8();
    QCOMPARE(w.uploads.header(0),
             QByteArray::number(sml.size()) + " mailbox/0000000012 " + file.toUtf8() + ".sml");
    QCOMPARE(w.uploads.file(0), sml);
    QCOMPARE(w.uploads.header(1), "3000 mailbox/0000000012 " + file.toUtf8() + "1.jpg");
    QCOMPARE(w.uploads.file(1), w.photo1);
    QCOMPARE(w.uploads.header(2), "100 mailbox/0000000012 " + file.toUtf8() + "2.jpg");
    QCOMPARE(w.uploads.file(2), w.photo2);
    // The registration carries the export, the time and the photo list; then the profile.
    const auto requests = w.scripts.requests();
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[0].path, QByteArray("/android/contentadd_new.php"));
    const QString html = w.view->model().html;
    QVERIFY(html.startsWith(u"<p style='font-size:16px;"_s) && html.contains(u"a b<br>c"_s));
    QCOMPARE(QString::fromUtf8(requests[0].body),
             u"deviceid=dev-42&style=replayinfo&content="_s + html + u"&file="_s + file +
                 u"&idate="_s + QString::number(w.f.environment.currentTimeSeconds()) +
                 u"&title=제목   [1]&imagefile="_s + file + u"1.jpg=3000,"_s + file +
                 u"2.jpg=100"_s);
    QCOMPARE(requests[1].path, QByteArray("/android/setmyinfo.php"));
    QCOMPARE(requests[1].body, QByteArray("deviceid=dev-42&info=77"));
    QCOMPARE(w.messages(), QStringList{u"수정되었습니다."_s});
    QVERIFY(!strip->isVisible());
    QCOMPARE(strip->position(), 0);
    QVERIFY(w.frame->isVisible()); // a profile keeps the editor open
    // The content file stays in the working folder.
    QFile written(w.f.dir.filePath(file + u".sml"_s));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), sml);
}

void TestContentWire::postUpload() {
    Wire w(ContentModel::PostContent);
    w.view->upload().setPhotoPause(std::chrono::milliseconds(10));
    w.answers["/android/contentadd_new.php"] = "1</>9</>x";
    w.answers["/android/orwriteinfo_android.php"] = "1";
    w.answers["/android/orwrtextupdate_new.php"] = "1";
    QVERIFY(w.view->Upload());
    QVERIFY(w.finished());
    QTRY_COMPARE(w.postLists, 1);
    const auto requests = w.scripts.requests();
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests[1].path, QByteArray("/android/orwriteinfo_android.php"));
    QCOMPARE(requests[1].body, QByteArray("deviceid=dev-42&mailidx=55&info=9"));
    QCOMPARE(requests[2].path, QByteArray("/android/orwrtextupdate_new.php"));
    QCOMPARE(requests[2].body, QByteArray("deviceid=dev-42&mailidx=55&info=9"));
    QVERIFY(!w.frame->isVisible()); // the editor hides once the post has its content
    QVERIFY(!w.view->progressDialog()->isVisible());
    QVERIFY(w.messages().isEmpty());
}

void TestContentWire::refusedRegistration() {
    Wire w(ContentModel::StoreContent);
    w.view->upload().setPhotoPause(std::chrono::milliseconds(10));
    w.answers["/android/contentadd_new.php"] = "0</>no";
    QVERIFY(w.view->Upload());
    QVERIFY(w.finished());
    QCOMPARE(w.messages(), QStringList{u"php error"_s});
    QVERIFY(!w.view->progressDialog()->isVisible());
    QCOMPARE(w.scripts.requestCount(), 1);
    // The member can try again: the store update follows this time.
    w.answers["/android/contentadd_new.php"] = "1</>10";
    w.answers["/android/updatestoreinfo.php"] = "1";
    QVERIFY(w.view->Upload());
    QVERIFY(w.finished());
    QTRY_COMPARE(w.scripts.requestCount(), 3);
    QCOMPARE(w.scripts.requests().last().body, QByteArray("deviceid=dev-42&info=10"));
    QCOMPARE(w.uploads.peer.connectionCount(), 6);
}

QTEST_MAIN(TestContentWire)
#include "tst_content_wire.moc"
