// End to end against orvix-server: the member opens Story, registers a document (uploaded over
// the upload port, registered by its script) and finds it on the library page, which serves it
// for download; then registers a store through the New command and finds it on its address
// page.

#include "app/login_dlg.h"
#include "app/main_frame.h"
#include "app/new_document_command.h"
#include "app/new_type_dlg.h"
#include "app/orvix_win_app.h"
#include "app/orvix_win_view.h"
#include "docs/document_dlg.h"
#include "docs/my_document_dlg.h"
#include "document_templates.h"
#include "platform/doubles/counting_sound.h"
#include "platform/doubles/fixed_environment.h"
#include "platform/doubles/recording_browser.h"
#include "platform/doubles/scripted_ui_services.h"
#include "store/store_add_view.h"
#include "store/store_frame.h"
#include "store/web_map_view.h"
#include "support/server_process.h"

#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace orvix;

namespace {

struct EndToEnd {
    test::ServerProcess server{QStringLiteral(ORVIX_SERVER_BINARY)};
    QTemporaryDir documents;
    FixedEnvironment environment;
    ScriptedUiServices ui;
    CountingSound sound;
    std::vector<RecordingBrowser*> browsers;
    std::unique_ptr<COrvixWinApp> app;

    bool start() {
        // The server makes the data folder; the member is added beside it, as an operator would.
        if (!server.start({u"--auto-approve"_s}) ||
            server.admin({u"add-member"_s, u"kim"_s, u"pass1234"_s}).isEmpty())
            return false;
        Configuration configuration;
        configuration.serverAddress = server.httpAddress();
        configuration.webHost = server.httpAddress();
        configuration.uploadPort = server.uploadPort();
        environment.documents = documents.path();
        environment.now = QDateTime::currentDateTimeUtc();
        app = std::make_unique<COrvixWinApp>(
            COrvixWinApp::Services{&environment, &ui, &sound,
                                   [this](QWidget* parent) {
                                       auto browser = std::make_unique<RecordingBrowser>(parent);
                                       browsers.push_back(browser.get());
                                       return browser;
                                   }},
            configuration);
        registerDocumentTemplates(*app);
        ui.answerModal([](QDialog& dialog) {
            auto& login = static_cast<CLoginDlg&>(dialog);
            login.control<QLineEdit>(CLoginDlg::IdEdit)->setText(u"kim"_s);
            login.control<QLineEdit>(CLoginDlg::PasswordEdit)->setText(u"pass1234"_s);
            QTest::keyClick(login.control<QLineEdit>(CLoginDlg::PasswordEdit), Qt::Key_Return);
            const bool answered = QTest::qWaitFor([&] { return login.result() != 0; }, 10000);
            return answered ? login.result() : int(DialogResult::Cancel);
        });
        return app->InitInstance({});
    }
    ~EndToEnd() { qDeleteAll(QApplication::topLevelWidgets()); }

    QString file(const QString& name, const QByteArray& bytes) {
        QFile out(documents.filePath(name));
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? out.fileName()
                                                                                  : QString();
    }
};

} // namespace

class TestEndToEndDocs : public QObject {
    Q_OBJECT
private slots:
    void registerADocumentAndFindItInTheLibrary() {
        EndToEnd e;
        QVERIFY2(e.start(), e.server.output().constData());
        const QByteArray bytes = "%PDF-1.4\n" + QByteArray(30000, 'x') + "\n%%EOF\n";
        const QString path = e.file(u"분기 보고서.pdf"_s, bytes);

        // Story: the library; in it, register: choose the file, describe it, OK.
        bool registered = false;
        QStringList actions;
        e.ui.answerModal([&](QDialog& library) {
            e.ui.answerFiles({path});
            e.ui.answerModal([&](QDialog& dialog) {
                auto& upload = static_cast<CDocumentDlg&>(dialog);
                QTest::mouseClick(upload.control<QPushButton>(CDocumentDlg::ChooseFileButton),
                                  Qt::LeftButton);
                upload.control<QPlainTextEdit>(CDocumentDlg::DescriptionEdit)
                    ->setPlainText(u"Q3 <numbers> & notes"_s);
                QTest::mouseClick(upload.control<QPushButton>(1), Qt::LeftButton);
                const bool done = QTest::qWaitFor(
                    [&] { return upload.result() != 0 || !upload.isBusy(); }, 30000);
                registered = done && upload.result() == DialogResult::Ok;
                return upload.result();
            });
            QTest::mouseClick(static_cast<CMyDocumentDlg&>(library).control<QPushButton>(
                                  CMyDocumentDlg::NewestFirstButton),
                              Qt::LeftButton);
            QTest::mouseClick(static_cast<CMyDocumentDlg&>(library).control<QPushButton>(
                                  CMyDocumentDlg::RegisterButton),
                              Qt::LeftButton);
            actions = e.browsers.back()->actions(); // the library's browser, alive while it runs
            return int(DialogResult::Cancel);
        });
        auto* main = e.app->window<CMainFrame>(COrvixWinApp::Window::Main);
        QVERIFY(main);
        QCOMPARE(main->view()->OnLauncherCommand(COrvixWinView::Story), 1);
        QVERIFY(registered);
        QCOMPARE(e.ui.messages().back().text, u"파일을 서버에 업로드 하였습니다."_s);

        // The library was shown again, newest first; the page lists the document.
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions.at(1), actions.at(2));
        const QString address = actions.at(2).section(u' ', 1);
        QCOMPARE(address, u"http://%1/android/pcdocument.php?deviceid=%2&order=1"_s.arg(
                              e.server.httpAddress(), e.app->session().deviceId));
        const auto [status, page] = e.server.get(address);
        QCOMPARE(status, QByteArray("HTTP/1.1 200 OK"));
        QVERIFY2(page.contains(u"download=\"분기 보고서.pdf\""_s.toUtf8()), page.constData());
        QVERIFY(page.contains("Q3 &lt;numbers&gt;   notes"));

        // The link gives the bytes that were uploaded, as plain bytes.
        const qsizetype href = page.indexOf("href=\"/image/document/");
        QVERIFY(href > 0);
        const QByteArray link = page.mid(href + 6, page.indexOf('"', href + 6) - href - 6);
        const auto [fileStatus, fileBytes] = e.server.get(u"http://x"_s + QString::fromUtf8(link));
        QCOMPARE(fileStatus, QByteArray("HTTP/1.1 200 OK"));
        QCOMPARE(fileBytes, bytes);
    }

    void registerAStoreThroughTheNewCommand() {
        EndToEnd e;
        QVERIFY2(e.start(), e.server.output().constData());
        QImage photo(1600, 1000, QImage::Format_RGB32);
        photo.fill(Qt::darkCyan);
        const QString front = e.documents.filePath(u"front.jpg"_s);
        QVERIFY(photo.save(front));

        // New: the store type.
        e.ui.answerModal([](QDialog& dialog) {
            auto& chooser = static_cast<CNewTypeDlg&>(dialog);
            const auto found =
                chooser.list()->findItems(u"상점"_s, Qt::MatchContains).value(0, nullptr);
            chooser.list()->setCurrentItem(found);
            return found ? int(DialogResult::Ok) : int(DialogResult::Cancel);
        });
        NewDocumentCommand::run(*e.app, e.app->window(COrvixWinApp::Window::Main));
        auto* frame = e.app->window<CStoreFrame>(COrvixWinApp::Window::StoreFrame);
        QVERIFY(frame && frame->isVisible());
        CStoreAddView& view = *frame->view();
        const std::pair<int, QString> typed[] = {{CStoreAddView::StoreNameEdit, u"<Kim's> Cafe"_s},
                                                 {CStoreAddView::PhoneEdit, u"02-555-1234"_s},
                                                 {CStoreAddView::TitleEdit, u"Coffee & cake"_s},
                                                 {CStoreAddView::KindEdit, u"cafe"_s},
                                                 {CStoreAddView::OwnerEdit, u"Kim"_s}};
        for (const auto& [id, text] : typed)
            findControl<QLineEdit>(&view, id)->setText(text);
        e.ui.answerFiles({front});
        QTest::mouseClick(findControl<QPushButton>(&view, CStoreAddView::StorePhotoButton),
                          Qt::LeftButton);
        e.ui.answerFiles({front, front});
        QTest::mouseClick(findControl<QPushButton>(&view, CStoreAddView::InformationButton),
                          Qt::LeftButton);

        QString mapAddress;
        e.ui.answerModal([&](QDialog&) {
            mapAddress = e.browsers.back()->lastAddress();
            return int(DialogResult::Ok);
        });
        QTest::mouseClick(findControl<QPushButton>(&view, CStoreAddView::SaveButton),
                          Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return !mapAddress.isEmpty(); }, 20000));

        // The member's store number comes first; the new store is the next.
        const QString work = e.app->session().workFolder;
        QVERIFY(QFile::exists(work + u"/storephoto/000000002.jpg"_s));
        QVERIFY(mapAddress.endsWith(u"&idx=2"_s));
        const auto [status, page] = e.server.get(mapAddress);
        QCOMPARE(status, QByteArray("HTTP/1.1 200 OK"));
        QVERIFY2(page.contains("&lt;Kim&#39;s&gt; Cafe"), page.constData());
        QVERIFY(page.contains("<form method=\"post\""));
        QVERIFY(findControl<QLineEdit>(&view, CStoreAddView::StoreNameEdit)->text().isEmpty());
    }
};

QTEST_MAIN(TestEndToEndDocs)
#include "tst_e2e_docs.moc"
