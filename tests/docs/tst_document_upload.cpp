// The document upload's rules: which files may be uploaded (as the dialog keeps them), the
// registration body and what each reply means.

#include "docs/document_choice.h"
#include "docs/document_registration.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace orvix;
using Outcome = DocumentRegistration::Outcome;

Q_DECLARE_METATYPE(Outcome)

class TestDocumentUpload : public QObject {
    Q_OBJECT
private slots:
    void choice_data();
    void choice();
    void namesAndBody();
    void replies_data();
    void replies();
};

void TestDocumentUpload::choice_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("extension");
    // Which extensions are refused is DocumentFile's (tested with it); the choice keeps the
    // path, the name and the extension as it names the upload.
    QTest::newRow("pdf") << u"/home/me/report.pdf"_s << true << u"PDF"_s;
    QTest::newRow("ampersand") << u"/d/x.p&f"_s << true << u"P F"_s;
    QTest::newRow("php3 lower case") << u"/d/x.php3"_s << false << QString();
    QTest::newRow("nothing picked") << QString() << false << QString();
}

void TestDocumentUpload::choice() {
    QFETCH(QString, path);
    QFETCH(bool, accepted);
    QFETCH(QString, extension);
    const auto choice = DocumentChoice::fromPath(path);
    QCOMPARE(choice.has_value(), accepted);
    if (choice) {
        QCOMPARE(choice->extension(), extension);
        QCOMPARE(choice->localPath(), path);
        QCOMPARE(choice->fileName(), path.section(u'/', -1));
    }
}

void TestDocumentUpload::namesAndBody() {
    QCOMPARE(
        DocumentRegistration::fileAddress(u"img:8080"_s, u"document/12"_s, u"121765012345.PDF"_s),
        u"http://img:8080/image/document/12/121765012345.PDF"_s);
    // Values as typed, but no "&" of a description or a file name can split the form.
    QCOMPARE(DocumentRegistration::body(u"dev"_s, u"http://h/image/document/1/1.PDF"_s,
                                        u"Q&A 자료\r\nline=2"_s, u"PDF"_s, u"R&D plan.pdf"_s),
             u"deviceid=dev&path=http://h/image/document/1/1.PDF&comment=Q A 자료\r\nline=2"
             u"&ext=PDF&filename=R D plan.pdf"_s);
}

void TestDocumentUpload::replies_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("message");
    const QString error = u"전송 에러"_s;
    QTest::newRow("uploaded") << u"1</>1"_s << Outcome::Uploaded
                              << u"파일을 서버에 업로드 하였습니다."_s;
    QTest::newRow("overwritten") << u"1</>2"_s << Outcome::Overwritten
                                 << u"같은 파일이름이 존재 합니다. 덮어 쓰기를 하였습니다."_s;
    QTest::newRow("more fields") << u"1</>2</>x"_s << Outcome::Overwritten
                                 << u"같은 파일이름이 존재 합니다. 덮어 쓰기를 하였습니다."_s;
    QTest::newRow("refused") << u"0"_s << Outcome::SendError << error;
    QTest::newRow("empty") << QString() << Outcome::SendError << error;
    QTest::newRow("blank first") << u" 1</>1"_s << Outcome::SendError << error;
    QTest::newRow("no second field") << u"1"_s << Outcome::Unknown << QString();
    QTest::newRow("other second field") << u"1</>3"_s << Outcome::Unknown << QString();
}

void TestDocumentUpload::replies() {
    QFETCH(QString, reply);
    QFETCH(Outcome, outcome);
    QFETCH(QString, message);
    QCOMPARE(DocumentRegistration::outcomeOf(reply), outcome);
    QCOMPARE(DocumentRegistration::message(outcome), message);
}

QTEST_GUILESS_MAIN(TestDocumentUpload)
#include "tst_document_upload.moc"
