// The document library and the document dialog as the member uses them, against scripted
// upload and script peers: the library's addresses per button, the file choice, the upload's
// folder, name and bytes, the registration body, every reply and every way an upload can fail.

#include "app/document_dialog_run.h"
#include "app/progress_dlg.h"
#include "docs/document_actions.h"
#include "docs/document_dlg.h"
#include "docs/my_document_dlg.h"
#include "support/http_peer.h"
#include "support/shell_fixture.h"
#include "support/tcp_peer.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace orvix;
using orvix::test::HttpPeer;
using orvix::test::ShellFixture;
using orvix::test::TcpPeer;

namespace {

const QByteArray kDocument = QByteArray(5000, 'd') + "%%EOF";

// The application with a scripted upload port and a scripted script server.
struct DocsFixture {
    TcpPeer uploads;
    HttpPeer server;
    ShellFixture f;
    ScriptedUiServices& ui = f.ui;
    FixedEnvironment& environment = f.environment;
    QTemporaryDir& dir = f.dir;
    std::vector<RecordingBrowser*>& browsers = f.browsers;
    COrvixWinApp* app = nullptr;

    static Configuration pointedAt(quint16 uploadPort) {
        Configuration configuration;
        configuration.webHost = u"web.example:8080"_s;
        configuration.uploadPort = uploadPort;
        return configuration;
    }
    // Without uploadsTaken the upload port is one where nothing listens.
    explicit DocsFixture(const QByteArray& reply = "1</>1", bool uploadsTaken = true)
        : server([reply](const HttpPeer::Request&) { return HttpPeer::reply(reply); })
        , f(Country::Korea, pointedAt(uploadsTaken ? uploads.port() : 1)) {
        app = f.app.get();
        SessionRecord& s = app->session();
        s.memberNumber = u"12"_s;
        s.imageServerAddress = u"127.0.0.1:%1"_s.arg(server.port());
        app->setServerAddress(server.address());
    }
    QString document(const QString& name, const QByteArray& bytes = kDocument) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()
                   ? file.fileName()
                   : QString();
    }
    QStringList messages() const {
        QStringList texts;
        for (const auto& shown : ui.messages())
            texts << shown.text;
        return texts;
    }
};

void choose(DocsFixture& f, CDocumentDlg& dialog, const QString& path) {
    f.ui.answerFiles({path});
    QTest::mouseClick(dialog.control<QPushButton>(CDocumentDlg::ChooseFileButton), Qt::LeftButton);
}

void pressOk(CDocumentDlg& dialog) {
    QTest::mouseClick(dialog.control<QPushButton>(1), Qt::LeftButton);
}

} // namespace

class TestDocumentDialogs : public QObject {
    Q_OBJECT
private slots:
    void libraryAddressesPerButton() {
        DocsFixture f;
        CMyDocumentDlg library;
        QCOMPARE(library.windowTitle(), u"도큐먼트"_s);
        const QString base =
            u"http://web.example:8080/android/pcdocument.php?deviceid=dev-42&order="_s;
        auto press = [&](int id) {
            QTest::mouseClick(library.control<QPushButton>(id), Qt::LeftButton);
        };
        press(CMyDocumentDlg::NewestFirstButton);
        press(CMyDocumentDlg::ReloadButton);
        press(CMyDocumentDlg::RegistrationOrderButton);
        press(CMyDocumentDlg::ReloadButton);
        press(CMyDocumentDlg::NewestFirstButton);
        // Registering: the list again after OK, not after Cancel.
        f.ui.answerModal([](QDialog&) { return int(DialogResult::Cancel); });
        press(CMyDocumentDlg::RegisterButton);
        f.ui.answerModal([](QDialog& dialog) {
            return qobject_cast<CDocumentDlg*>(&dialog) && dialog.parentWidget()
                       ? int(DialogResult::Ok)
                       : int(DialogResult::Cancel);
        });
        press(CMyDocumentDlg::RegisterButton);
        QStringList expected;
        for (int order : {0, 1, 1, 0, 0, 1, 1})
            expected << u"navigate "_s + base + QString::number(order);
        QCOMPARE(f.browsers.at(0)->actions(), expected);
        QCOMPARE(f.ui.modalDialogs(), QStringList({u"CDocumentDlg"_s, u"CDocumentDlg"_s}));
        // The controls at their places.
        const DialogTemplate t = CMyDocumentDlg::dialogTemplate();
        for (const DialogControl& control : t.controls)
            QCOMPARE(library.control<QWidget>(control.id)->geometry(),
                     library.units().toPixels(control.rect));
    }

    void fileChoice() {
        DocsFixture f;
        CDocumentDlg dialog;
        QCOMPARE(dialog.windowTitle(), u"문서설정"_s);
        QVERIFY(dialog.progress()->isHidden());
        choose(f, dialog, f.document(u"plan.PDF"_s));
        choose(f, dialog, f.document(u"evil.php3"_s));
        QCOMPARE(f.messages(), QStringList{u"문서 파일만 가능합니다."_s});
        QCOMPARE(dialog.control<QLineEdit>(CDocumentDlg::FileNameEdit)->text(), u"plan.PDF"_s);
        QCOMPARE(dialog.choice()->extension(), u"PDF"_s);
        const FileOpenRequest& request = f.ui.fileRequests().front();
        QCOMPARE(request.filter, DocumentChoice::Filter);
        QCOMPARE(request.initialName, u"*.PDF"_s);
        QVERIFY(!request.multiple);
        // Cancelling the chooser keeps the choice.
        QTest::mouseClick(dialog.control<QPushButton>(CDocumentDlg::ChooseFileButton),
                          Qt::LeftButton);
        QCOMPARE(dialog.choice()->fileName(), u"plan.PDF"_s);
    }

    void uploadAndRegistration_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("ends");
        QTest::newRow("uploaded") << QByteArray("1</>1") << u"파일을 서버에 업로드 하였습니다."_s
                                  << true;
        QTest::newRow("overwritten")
            << QByteArray("1</>2") << u"같은 파일이름이 존재 합니다. 덮어 쓰기를 하였습니다."_s
            << true;
        QTest::newRow("refused") << QByteArray("0") << u"전송 에러"_s << false;
        QTest::newRow("unknown") << QByteArray("1</>9") << QString() << false;
    }

    void uploadAndRegistration() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, message);
        QFETCH(bool, ends);
        DocsFixture f(reply);
        CDocumentDlg dialog;
        dialog.show();
        choose(f, dialog, f.document(u"report.pdf"_s));
        dialog.control<QPlainTextEdit>(CDocumentDlg::DescriptionEdit)->setPlainText(u"Q&A 자료"_s);
        auto* bar = dialog.progress()->control<QProgressBar>(CProgressDlg::BarId);
        QSignalSpy positions(bar, &QProgressBar::valueChanged);
        pressOk(dialog);
        QVERIFY(dialog.isBusy());
        QVERIFY(!dialog.progress()->isHidden());
        pressOk(dialog); // busy: nothing more starts
        QVERIFY(QTest::qWaitFor([&] { return !dialog.isBusy(); }, 20000));

        // One upload: the header block, then the file, into the member's document folder.
        QCOMPARE(f.uploads.connectionCount(), 1);
        const QString name = u"12%1.PDF"_s.arg(qint32(f.environment.now.toSecsSinceEpoch()));
        const QByteArray header =
            QByteArray::number(kDocument.size()) + " document/12 " + name.toUtf8();
        QTRY_VERIFY(f.uploads.ended(0));
        QCOMPARE(f.uploads.received(0),
                 header + QByteArray(2048 - header.size(), '\0') + kDocument);
        // The strip followed the upload to its end, and went away with the reply.
        QVERIFY(positions.contains(QVariantList{100}));
        QVERIFY(dialog.progress()->isHidden());

        // Then the registration, once.
        QCOMPARE(f.server.requestCount(), 1);
        const auto request = f.server.requests().first();
        QCOMPARE(request.path, QByteArray("/android/adddocument.php"));
        const QString address =
            u"http://%1/image/document/12/%2"_s.arg(f.app->session().imageServerAddress, name);
        QCOMPARE(
            QString::fromUtf8(request.body),
            u"deviceid=dev-42&path=%1&comment=Q A 자료&ext=PDF&filename=report.pdf"_s.arg(address));
        QCOMPARE(f.messages(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(dialog.result(), ends ? int(DialogResult::Ok) : 0);
        QCOMPARE(dialog.isVisible(), !ends);
        if (ends) {
            QCOMPARE(dialog.fileAddress(), address);
            QCOMPARE(dialog.fileName(), u"report.pdf"_s);
            QCOMPARE(dialog.description(), u"Q&A 자료"_s);
        } else {
            // Not stuck: OK uploads again.
            pressOk(dialog);
            QVERIFY(QTest::qWaitFor([&] { return f.server.requestCount() == 2; }, 20000));
        }
    }

    void unreadableFileEndsTheBusyState() {
        DocsFixture f;
        CDocumentDlg dialog;
        dialog.show();
        // No file chosen, then a file that went away: nothing is sent.
        pressOk(dialog);
        choose(f, dialog, f.document(u"gone.pdf"_s));
        QFile::remove(f.dir.filePath(u"gone.pdf"_s));
        pressOk(dialog);
        QVERIFY(!dialog.isBusy());
        QCOMPARE(f.messages(), QStringList(2, CDocumentDlg::UnreadableMessage));
        QCOMPARE(f.uploads.connectionCount(), 0);
    }

    void uploadNobodyTakesIsReported() {
        DocsFixture f("1</>1", false);
        CDocumentDlg dialog;
        dialog.show();
        choose(f, dialog, f.document(u"a.pdf"_s));
        pressOk(dialog);
        QVERIFY(QTest::qWaitFor([&] { return !dialog.isBusy(); }, 20000));
        QCOMPARE(f.messages(), QStringList{CDocumentDlg::UploadFailedMessage});
        QCOMPARE(f.server.requestCount(), 0);
        QVERIFY(dialog.progress()->isHidden());
    }

    void actionsForTheLauncherAndOtherFeatures() {
        DocsFixture f("1</>2");
        registerDocumentActions(*f.app);
        QWidget parent;
        // Story: the library over the window it is given.
        QWidget* libraryParent = nullptr;
        f.ui.answerModal([&](QDialog& dialog) {
            libraryParent = dialog.parentWidget();
            return int(DialogResult::Cancel);
        });
        QVERIFY(f.app->runAction(COrvixWinApp::Action::OpenDocumentLibrary,
                                 QVariant::fromValue(&parent)));
        QCOMPARE(libraryParent, &parent);

        // Another feature's run: cancelled, then a document registered (over a same-named one).
        DocumentDialogRun cancelled;
        cancelled.parent = &parent;
        QVERIFY(DocumentDialogRun::run(*f.app, cancelled));
        QCOMPARE(cancelled.result, int(DialogResult::Cancel));
        QVERIFY(cancelled.address.isEmpty());
        const QString path = f.document(u"plan.hwp"_s);
        f.ui.answerModal([&](QDialog& dialog) {
            auto& upload = static_cast<CDocumentDlg&>(dialog);
            choose(f, upload, path);
            upload.control<QPlainTextEdit>(CDocumentDlg::DescriptionEdit)->setPlainText(u"v2"_s);
            pressOk(upload);
            const bool ended = QTest::qWaitFor([&] { return upload.result() != 0; }, 20000);
            return ended && dialog.parentWidget() == &parent ? upload.result()
                                                             : int(DialogResult::Cancel);
        });
        DocumentDialogRun run;
        run.parent = &parent;
        QVERIFY(DocumentDialogRun::run(*f.app, run));
        QCOMPARE(run.result, int(DialogResult::Ok));
        QCOMPARE(run.fileName, u"plan.hwp"_s);
        QCOMPARE(run.extension, u"HWP"_s);
        QCOMPARE(run.comment, u"v2"_s);
        QVERIFY(run.address.startsWith(
            u"http://%1/image/document/12/12"_s.arg(f.app->session().imageServerAddress)));
        QVERIFY(run.address.endsWith(u".HWP"_s));
        // Without its run the action shows nothing.
        QVERIFY(f.app->runAction(COrvixWinApp::Action::RunDocumentDialog));
        QCOMPARE(f.ui.modalDialogs(),
                 QStringList({u"CMyDocumentDlg"_s, u"CDocumentDlg"_s, u"CDocumentDlg"_s}));
    }

    void registrationWithoutReplyIsASendError() {
        DocsFixture f;
        // A script server that closes every connection without a word.
        TcpPeer silent([](const QByteArray& received) -> std::optional<TcpPeer::Answer> {
            if (!HttpPeer::Request::parse(received))
                return std::nullopt;
            return TcpPeer::Answer{{}, TcpPeer::Then::Close};
        });
        f.app->setServerAddress(silent.address());
        CDocumentDlg dialog;
        dialog.show();
        choose(f, dialog, f.document(u"a.pdf"_s));
        pressOk(dialog);
        QVERIFY(QTest::qWaitFor([&] { return !dialog.isBusy(); }, 20000));
        QCOMPARE(f.messages(), QStringList{u"전송 에러"_s});
        QCOMPARE(silent.connectionCount(), 1);
        QVERIFY(dialog.isVisible());
    }
};

QTEST_MAIN(TestDocumentDialogs)
#include "tst_document_dialogs.moc"
