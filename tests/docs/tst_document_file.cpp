#include "docs/document_file.h"

#include <QTest>

using namespace orvix;

class TestDocumentFile : public QObject {
    Q_OBJECT
private slots:
    void extensionsAreComparedUpperCased_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("pdf") << u"/home/m/report.pdf"_qs << u"PDF"_qs << true;
        QTest::newRow("php3 in lower case") << u"x.php3"_qs << u"PHP3"_qs << false;
        QTest::newRow("Html") << u"page.Html"_qs << u"HTML"_qs << false;
        QTest::newRow("exe") << u"setup.exe"_qs << u"EXE"_qs << false;
        QTest::newRow("php inside the name") << u"notes.php.txt"_qs << u"TXT"_qs << true;
        QTest::newRow("last dot counts") << u"a.tar.gz"_qs << u"GZ"_qs << true;
        QTest::newRow("no extension") << u"README"_qs << QString() << true;
    }
    void extensionsAreComparedUpperCased() {
        QFETCH(QString, path);
        QFETCH(QString, extension);
        QFETCH(bool, accepted);
        QCOMPARE(DocumentFile::upperExtension(path), extension);
        QCOMPARE(DocumentFile::isAccepted(extension), accepted);
    }

    void serverFolderAndName() {
        QCOMPARE(DocumentFile::targetFolder(u"12"_qs), u"document/12"_qs);
        QCOMPARE(DocumentFile::targetName(u"12"_qs, 1700000000, u"PDF"_qs), u"121700000000.PDF"_qs);
        QCOMPARE(DocumentFile::targetName(u"12"_qs, -5, u"HWP"_qs), u"12-5.HWP"_qs);
    }
};

QTEST_APPLESS_MAIN(TestDocumentFile)
#include "tst_document_file.moc"
