// End to end: the content editor against orvix-server. The demo member opens the profile
// content from the server, edits it (text, photo, document, styles), uploads it; after New,
// opening the member's content again brings back the same blocks.

#include "app/configuration.h"
#include "app/login_dlg.h"
#include "app/orvix_win_app.h"
#include "document_templates.h"
#include "editor/content_frame.h"
#include "editor/content_view.h"
#include "editor/sml_writer.h"
#include "platform/doubles/counting_sound.h"
#include "platform/doubles/fixed_environment.h"
#include "platform/doubles/scripted_ui_services.h"
#include "support/server_process.h"

#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace orvix;
using namespace Qt::StringLiterals;

class TestEndToEndEditor : public QObject {
    Q_OBJECT
private slots:
    void editUploadAndOpenAgain();
};

void TestEndToEndEditor::editUploadAndOpenAgain() {
    test::ServerProcess server{QStringLiteral(ORVIX_SERVER_BINARY)};
    QVERIFY2(server.start({u"--demo"_s, u"--auto-approve"_s}), server.output().constData());
    Configuration configuration;
    configuration.serverAddress = server.httpAddress();
    configuration.uploadPort = server.uploadPort();
    QTemporaryDir documents;
    FixedEnvironment environment;
    environment.documents = documents.path();
    environment.now = QDateTime::currentDateTimeUtc();
    ScriptedUiServices ui;
    CountingSound sound;
    auto app = std::make_unique<COrvixWinApp>(COrvixWinApp::Services{&environment, &ui, &sound, {}},
                                              configuration);
    registerDocumentTemplates(*app);
    ui.answerModal([](QDialog& dialog) {
        auto& login = static_cast<CLoginDlg&>(dialog);
        login.control<QLineEdit>(CLoginDlg::IdEdit)->setText(u"demo"_s);
        login.control<QLineEdit>(CLoginDlg::PasswordEdit)->setText(u"demo1234"_s);
        QTest::keyClick(login.control<QLineEdit>(CLoginDlg::PasswordEdit), Qt::Key_Return);
        if (!QTest::qWaitFor([&] { return login.result() != 0; }, 15000))
            return int(DialogResult::Cancel);
        return login.result();
    });
    QVERIFY(app->InitInstance({}));
    auto* frame = app->window<CContentFrame>(COrvixWinApp::Window::ContentFrame);
    QVERIFY(frame);
    CContentView* view = frame->view();
    const auto downloadEnds = [&ui] {
        ui.answerModal([](QDialog& dialog) {
            if (!QTest::qWaitFor([&] { return dialog.result() != 0; }, 20000))
                return 0;
            return dialog.result();
        });
    };

    // Information: the demo profile comes down from the server.
    downloadEnds();
    QVERIFY(app->runAction(COrvixWinApp::Action::OpenMemberContent));
    QVERIFY(frame->isVisible());
    ContentModel& model = view->model();
    QCOMPARE(model.count(), 4);
    QCOMPARE(model.contentKind, int(ContentModel::MemberContent));
    QCOMPARE(frame->titleEdit()->text(), u"Demo의 소개"_s);
    QVERIFY(model.block(1)->photo->picture);

    // Edits: a styled text, a photo, a document's size, a link, an order.
    view->AddText(u"PC에서 쓴 글 & <b>marker</> test\nsecond line"_s);
    view->SetFont(-20, true, false);
    view->SetTextColour(QColor(200, 30, 40));
    view->SetAlignment(2);
    model.setLink(u"http://orvix.example/a b"_s);
    QImage photo(800, 600, QImage::Format_RGB32);
    photo.fill(QColor(30, 160, 90));
    const QString photoPath = documents.filePath(u"new photo.jpg"_s);
    QVERIFY(photo.save(photoPath, "JPEG"));
    view->AddPhoto(photoPath, u"new photo.jpg"_s);
    model.setSizePercent(50);
    view->MoveToFirst();
    model.select(4);
    model.setSizePercent(75); // the document
    frame->titleEdit()->setText(u"새 제목 & </> 2"_s);

    // Upload: the content file and both photos, the registration, the profile update.
    QVERIFY(view->Upload());
    QVERIFY(QTest::qWaitFor([&] { return view->upload().phase() == ContentUpload::Phase::Idle; },
                            30000));
    QCOMPARE(ui.messages().size(), size_t(1));
    QCOMPARE(ui.messages().back().text, u"수정되었습니다."_s);
    model.blockCount = model.count();
    const QString uploaded = SmlWriter::text(model);

    // New (the content is modified: the question is answered), then Information again.
    ui.answerModal([](QDialog&) { return int(DialogResult::Ok); });
    QVERIFY(view->NewContent());
    QCOMPARE(model.count(), 0);
    frame->titleEdit()->clear();
    downloadEnds();
    QVERIFY(app->runAction(COrvixWinApp::Action::OpenMemberContent));
    QCOMPARE(model.count(), 6);
    model.blockCount = model.count();
    QCOMPARE(SmlWriter::text(model), uploaded);
    QCOMPARE(frame->titleEdit()->text(), u"새 제목 & < /> 2"_s);
    QCOMPARE(model.block(0)->photo->widthPercent, 50);
    QVERIFY(model.block(0)->photo->picture);
    QCOMPARE(model.block(0)->photo->picture->height(), 600);
    QCOMPARE(model.block(5)->text->text, u"PC에서 쓴 글   <b>marker< /> test\r\nsecond line"_s);
    QCOMPARE(model.block(5)->text->textColour, QColor(200, 30, 40));
    QCOMPARE(model.block(4)->document->sizePercent, 75);
    QCOMPARE(model.block(5)->link, u"http://orvix.example/a b"_s);
    qDeleteAll(QApplication::topLevelWidgets());
}

QTEST_MAIN(TestEndToEndEditor)
#include "tst_e2e_editor.moc"
