#include "app/progress_dlg.h"
#include "app/upload_progress.h"
#include "net/orvi_upload.h"
#include "net/upload_notice.h"
#include "support/shell_fixture.h"
#include "support/tcp_peer.h"

#include <QFile>
#include <QPointer>
#include <QTest>

#include <vector>

using namespace orvix;
using test::ShellFixture;
using test::TcpPeer;
using Kind = UploadNotice::Kind;

namespace {

// A window with a progress strip that uploads, as the editor, the post view and the document
// dialog do: it hands its upload notices to an UploadProgress and records the bar after each
// and the uploads handed back.
class UploadingWindow : public QWidget, public MessageTarget {
public:
    CProgressDlg* strip = new CProgressDlg(this);
    std::vector<COrviUpload*> finished;
    QStringList finishedNames;
    std::vector<int> positions;
    UploadProgress progress{*strip, [this](COrviUpload* upload) {
                                finished.push_back(upload);
                                finishedNames << upload->targetName();
                            }};

    int onMessage(int message, WParam wParam, LParam lParam) override {
        const int result = progress.onMessage(message, wParam, lParam);
        if (result)
            positions.push_back(strip->position());
        return result;
    }
};

} // namespace

class TestUploadProgress : public QObject {
    Q_OBJECT
private slots:
    // A chain of uploads counted against one total: the bar adds up the files, each finished
    // upload comes back, and the strip stays until the chain ends.
    void chainAgainstATotal() {
        ShellFixture f;
        UploadingWindow window;
        window.show();
        window.strip->setTotal(5);
        window.progress.begin(600);
        QVERIFY(window.strip->isVisible());
        QCOMPARE(window.strip->position(), 0);
        QCOMPARE(window.strip->total(), qint64(600));
        COrviUpload first, second;
        const std::vector<UploadNotice> notices{
            {Kind::Started, 100, nullptr},  {Kind::Progress, 50, nullptr},
            {Kind::Progress, 100, nullptr}, {Kind::Finished, 100, &first},
            {Kind::Started, 500, nullptr},  {Kind::Progress, 300, nullptr},
            {Kind::Progress, 499, nullptr}, {Kind::Finished, 500, &second}};
        for (const UploadNotice& notice : notices)
            QCOMPARE(notice.sendTo(&window), 1);
        QCOMPARE(window.positions, std::vector<int>({0, 8, 16, 16, 16, 66, 99, 99}));
        QCOMPARE(window.finished, std::vector<COrviUpload*>({&first, &second}));
        QCOMPARE(window.progress.bytesDone(), qint64(599));
        QVERIFY(window.strip->isVisible());
        QCOMPARE(sendMessage(&window, Msg::Reply, 1, 0), 0); // not an upload notice

        window.progress.end();
        QVERIFY(window.strip->isHidden());
        QCOMPARE(window.strip->position(), 0);
    }

    // A real upload started by the application object goes to the session's image server at
    // the configured port; without a total the strip counts against the file's own size.
    void followsARealUpload() {
        TcpPeer peer;
        Configuration configuration;
        configuration.uploadPort = peer.port();
        ShellFixture f(Country::Korea, configuration);
        f.session().imageServerAddress = QStringLiteral("127.0.0.1:8080"); // not the upload port
        const QString path = f.dir.filePath(QStringLiteral("photo.jpg"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(5000, 'p'));
        file.close();

        UploadingWindow window;
        window.progress.begin();
        QPointer<COrviUpload> upload = f.app->startUpload(QStringLiteral("mailbox/0000000012"),
                                                          QStringLiteral("125.jpg"), path, &window);
        QTRY_VERIFY(upload.isNull());
        QCOMPARE(window.finishedNames, QStringList{QStringLiteral("125.jpg")});
        QCOMPARE(window.positions.back(), 100);
        QCOMPARE(window.strip->total(), qint64(5000));
        QTRY_VERIFY(peer.ended(0));
        QVERIFY(peer.received(0).startsWith("5000 mailbox/0000000012 125.jpg"));
        QCOMPARE(peer.received(0).size(), 2048 + 5000);
    }
};

QTEST_MAIN(TestUploadProgress)
#include "tst_upload_progress.moc"
