// Parsing of what reaches the server from outside: form bodies, upload header blocks, image
// paths, and the command lines.

#include "server_test_support.h"

#include "server/app/command_line.h"
#include "server/app/serve_command.h"
#include "server/http/form_body.h"
#include "server/http/reply_fields.h"
#include "server/storage/image_path.h"
#include "server/upload/upload_header.h"

#include <QTest>

using namespace orvix::server;
using orvix::server::test::strings;

class TestServerParsing : public QObject {
    Q_OBJECT
private slots:
    void formBodyKeepsValuesAsTyped_data();
    void formBodyKeepsValuesAsTyped();
    void formBodyOddPairs();
    void replyFieldsKeepEmptyFields();
    void uploadHeaderAccepted_data();
    void uploadHeaderAccepted();
    void uploadHeaderRefused_data();
    void uploadHeaderRefused();
    void imagePathPieces_data();
    void imagePathPieces();
    void commandLineOptionsAndPositional();
    void serveOptions();
    void serveOptionsRefused_data();
    void serveOptionsRefused();
};

void TestServerParsing::formBodyKeepsValuesAsTyped_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << QByteArray("id=a&password=b") << "password"
                           << "b";
    QTest::newRow("percent stays") << QByteArray("id=a%20b&x=1") << "id"
                                   << "a%20b";
    QTest::newRow("plus stays") << QByteArray("id=a+b") << "id"
                                << "a+b";
    QTest::newRow("space stays") << QByteArray("content=hello world&style=1") << "content"
                                 << "hello world";
    QTest::newRow("equals in value") << QByteArray("password=a=b==") << "password"
                                     << "a=b==";
    QTest::newRow("markup in value") << QByteArray("content=<p style='x'>a/b</p>&s=1") << "content"
                                     << "<p style='x'>a/b</p>";
    QTest::newRow("korean") << QByteArray("content=안녕하세요&idx=1") << "content"
                            << QStringLiteral("안녕하세요");
    QTest::newRow("empty value") << QByteArray("id=&password=x") << "id"
                                 << "";
    QTest::newRow("missing") << QByteArray("id=a") << "password"
                             << "";
    QTest::newRow("first wins") << QByteArray("id=a&id=b") << "id"
                                << "a";
}

void TestServerParsing::formBodyKeepsValuesAsTyped() {
    QFETCH(QByteArray, body);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QCOMPARE(FormBody::parse(body).value(name), value);
}

void TestServerParsing::formBodyOddPairs() {
    const FormBody form = FormBody::parse("&&flag&=novalue&x=1&");
    QCOMPARE(form.pairs().size(), 3);
    QVERIFY(form.contains(u"flag"));
    QCOMPARE(form.value(u"flag"), QString());
    QCOMPARE(form.value(u""), QStringLiteral("novalue"));
    QCOMPARE(form.value(u"x"), QStringLiteral("1"));
    QVERIFY(FormBody::parse(QByteArray()).pairs().isEmpty());
}

void TestServerParsing::replyFieldsKeepEmptyFields() {
    QCOMPARE(ReplyFields({QStringLiteral("1"), QString(), QStringLiteral("2")}).text(),
             QStringLiteral("1</></>2"));
    ReplyFields fields;
    fields.add(QStringLiteral("1")).add(42).add(QString()).add(QString());
    QCOMPARE(fields.text(), QStringLiteral("1</>42</></>"));
    QCOMPARE(ReplyFields{}.text(), QString());
}

void TestServerParsing::uploadHeaderAccepted_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("path");
    QTest::newRow("chat") << QByteArray("1234 chatdata s1700000000.jpg") << qint64(1234)
                          << "chatdata/s1700000000.jpg";
    QTest::newRow("mailbox") << QByteArray("0 mailbox/0000000012 12name0.jpg") << qint64(0)
                             << "mailbox/0000000012/12name0.jpg";
    QTest::newRow("spaces in name") << QByteArray("5 document/12 my report  v2 .PDF") << qint64(5)
                                    << "document/12/my report  v2 .PDF";
    QTest::newRow("korean name") << QByteArray("7 chatdata 사진 한장.jpg") << qint64(7)
                                 << QStringLiteral("chatdata/사진 한장.jpg");
    QTest::newRow("leading zeros") << QByteArray("007 a b") << qint64(7) << "a/b";
    QTest::newRow("dots inside") << QByteArray("1 a.b ..x..") << qint64(1) << "a.b/..x..";
}

void TestServerParsing::uploadHeaderAccepted() {
    QFETCH(QByteArray, text);
    QFETCH(qint64, size);
    QFETCH(QString, path);
    QByteArray block = text;
    block.append(QByteArray(2048 - block.size(), '\0'));
    QString reason;
    const auto header = UploadHeader::parse(block, 100000, &reason);
    QVERIFY2(header, qPrintable(reason));
    QCOMPARE(header->size, size);
    QCOMPARE(header->relativePath(), path);
}

void TestServerParsing::uploadHeaderRefused_data() {
    QTest::addColumn<QByteArray>("block");
    auto padded = [](const QByteArray& text) {
        return text + QByteArray(2048 - text.size(), '\0');
    };
    QTest::newRow("parent folder") << padded("1 .. x.jpg");
    QTest::newRow("parent inside folder") << padded("1 chatdata/../.. x.jpg");
    QTest::newRow("absolute folder") << padded("1 /etc x.jpg");
    QTest::newRow("empty piece") << padded("1 a//b x.jpg");
    QTest::newRow("trailing slash") << padded("1 a/ x.jpg");
    QTest::newRow("backslash folder") << padded("1 a\\..\\b x.jpg");
    QTest::newRow("slash in name") << padded("1 chatdata ../x.jpg");
    QTest::newRow("backslash in name") << padded("1 chatdata ..\\x.jpg");
    QTest::newRow("dot dot name") << padded("1 chatdata ..");
    QTest::newRow("dot name") << padded("1 chatdata .");
    QTest::newRow("control in name") << padded("1 chatdata a\tb.jpg");
    QTest::newRow("newline in name") << padded("1 chatdata a\nb.jpg");
    QTest::newRow("empty name") << padded("1 chatdata ");
    QTest::newRow("no name") << padded("1 chatdata");
    QTest::newRow("negative size") << padded("-1 chatdata x.jpg");
    QTest::newRow("plus size") << padded("+1 chatdata x.jpg");
    QTest::newRow("no size") << padded(" chatdata x.jpg");
    QTest::newRow("letters in size") << padded("12a chatdata x.jpg");
    QTest::newRow("too large") << padded("100001 chatdata x.jpg");
    QTest::newRow("huge number") << padded("99999999999999999999999 chatdata x.jpg");
    QTest::newRow("bad utf8") << padded("1 chatdata \xff\xfe.jpg");
    QTest::newRow("no terminator") << QByteArray("1 chatdata ") + QByteArray(2037, 'x');
    QTest::newRow("short block") << QByteArray("1 chatdata x.jpg");
}

void TestServerParsing::uploadHeaderRefused() {
    QFETCH(QByteArray, block);
    QString reason;
    QVERIFY(!UploadHeader::parse(block, 100000, &reason));
    QVERIFY(!reason.isEmpty());
}

void TestServerParsing::imagePathPieces_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("photo") << "memberphoto/mem1.jpg" << true;
    QTest::newRow("deep") << "mailbox/0000000001/a b.jpg" << true;
    QTest::newRow("korean") << QStringLiteral("chatdata/사진.jpg") << true;
    QTest::newRow("no folder") << "mem1.jpg" << false;
    QTest::newRow("parent") << "memberphoto/../../orvix.db" << false;
    QTest::newRow("dot") << "./memberphoto/mem1.jpg" << false;
    QTest::newRow("absolute") << "/etc/passwd" << false;
    QTest::newRow("backslash") << "memberphoto\\..\\x" << false;
    QTest::newRow("double slash") << "memberphoto//mem1.jpg" << false;
    QTest::newRow("nul") << QStringLiteral("memberphoto/a") + QChar(0) + QStringLiteral("b")
                         << false;
    QTest::newRow("c1 control") << QStringLiteral("memberphoto/a") + QChar(0x85) << false;
}

void TestServerParsing::imagePathPieces() {
    QFETCH(QString, relative);
    QFETCH(bool, accepted);
    QCOMPARE(ImagePath::splitFile(relative).has_value(), accepted);
}

void TestServerParsing::commandLineOptionsAndPositional() {
    QString error;
    const QStringList values{QStringLiteral("--data"), QStringLiteral("--photo")};
    auto line = CommandLine::parse(
        strings({"--data", "/d", "add-member", "kim", "-secret", "--photo=/p.png"}), values, {},
        &error);
    QVERIFY2(line, qPrintable(error));
    QCOMPARE(line->value(QStringLiteral("--data")), QStringLiteral("/d"));
    QCOMPARE(line->value(QStringLiteral("--photo")), QStringLiteral("/p.png"));
    QCOMPARE(line->positional(), strings({"add-member", "kim", "-secret"}));

    line = CommandLine::parse(strings({"add-member", "--data", "/d", "--", "kim", "--photo"}),
                              values, {}, &error);
    QVERIFY(line);
    QCOMPARE(line->positional(), strings({"add-member", "kim", "--photo"}));
    QVERIFY(!line->has(QStringLiteral("--photo")));

    QVERIFY(!CommandLine::parse(strings({"--bogus"}), values, {}, &error));
    QVERIFY(error.contains(QStringLiteral("--bogus")));
    QVERIFY(!CommandLine::parse(strings({"--data"}), values, {}, &error));
    QVERIFY(!CommandLine::parse(strings({"--demo=1"}), values, {QStringLiteral("--demo")}, &error));
}

void TestServerParsing::serveOptions() {
    QString error;
    auto config = ServeCommand::parse(strings({"--data", "/srv/orvix"}), &error);
    QVERIFY2(config, qPrintable(error));
    QCOMPARE(config->dataDir, QStringLiteral("/srv/orvix"));
    QCOMPARE(config->bindAddress, QStringLiteral("127.0.0.1"));
    QCOMPARE(config->httpPort, quint16(8080));
    QCOMPARE(config->uploadPort, quint16(2000));
    QVERIFY(config->publicAddress.isEmpty());
    QCOMPARE(config->maxUpload, qint64(100) * 1024 * 1024);
    QCOMPARE(config->versionCode, QStringLiteral("7"));
    QCOMPARE(config->versionName, QStringLiteral("0.5.6"));
    QCOMPARE(config->minVersionCode, QStringLiteral("7"));
    QVERIFY(!config->demo);
    QVERIFY(!config->autoApprove);

    config = ServeCommand::parse(strings({"--data",
                                          "d",
                                          "--bind",
                                          "0.0.0.0",
                                          "--http-port",
                                          "0",
                                          "--upload-port",
                                          "2001",
                                          "--public-address",
                                          "example.org:81",
                                          "--demo",
                                          "--auto-approve",
                                          "--max-upload",
                                          "1000",
                                          "--version-code",
                                          "8",
                                          "--version-name",
                                          "0.6.0",
                                          "--min-version-code",
                                          "6"}),
                                 &error);
    QVERIFY2(config, qPrintable(error));
    QCOMPARE(config->bindAddress, QStringLiteral("0.0.0.0"));
    QCOMPARE(config->httpPort, quint16(0));
    QCOMPARE(config->uploadPort, quint16(2001));
    QCOMPARE(config->publicAddress, QStringLiteral("example.org:81"));
    QVERIFY(config->demo);
    QVERIFY(config->autoApprove);
    QCOMPARE(config->maxUpload, qint64(1000));
    QCOMPARE(config->versionCode, QStringLiteral("8"));
    QCOMPARE(config->versionName, QStringLiteral("0.6.0"));
    QCOMPARE(config->minVersionCode, QStringLiteral("6"));
}

void TestServerParsing::serveOptionsRefused_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no data") << strings({"--demo"});
    QTest::newRow("port too big") << strings({"--data", "d", "--http-port", "65536"});
    QTest::newRow("port not number") << strings({"--data", "d", "--upload-port", "x"});
    QTest::newRow("negative cap") << strings({"--data", "d", "--max-upload", "-1"});
    QTest::newRow("marker in address") << strings({"--data", "d", "--public-address", "a</>b"});
    QTest::newRow("blank in version") << strings({"--data", "d", "--version-name", "0 5"});
    QTest::newRow("stray argument") << strings({"--data", "d", "extra"});
}

void TestServerParsing::serveOptionsRefused() {
    QFETCH(QStringList, arguments);
    QString error;
    QVERIFY(!ServeCommand::parse(arguments, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestServerParsing)
#include "tst_server_parsing.moc"
