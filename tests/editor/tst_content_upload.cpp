// The upload chain driven by scripted notices and replies: a refusal at every step of each
// kind, refusals to start, uploads that fail and servers that never answer. (The order, the
// bodies and the branches on the wire: tst_content_wire.)

#include "editor/content_model.h"
#include "editor/content_upload.h"
#include "editor/html_writer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace orvix;
using namespace Qt::StringLiterals;

namespace {

// Records what the chain asks for, in order, and hands out uploads and requests the test
// finishes or drops.
struct Host final : ContentUpload::Host {
    ContentModel& model;
    QString folder;
    QStringList log;
    bool exportWorks = true;
    QList<QObject*> uploads;  // owned here until dropped
    QList<QObject*> requests; // likewise

    Host(ContentModel& m, QString work)
        : model(m)
        , folder(std::move(work)) {}
    ~Host() override {
        qDeleteAll(uploads);
        qDeleteAll(requests);
    }

    bool buildExport() override {
        log << u"export"_s;
        if (!exportWorks)
            return false;
        model.html = HtmlWriter::exportFragment(model, {u"srv"_s, u"img"_s});
        return true;
    }
    void writeContentFile() override { log << u"write"_s; }
    void showMessage(const QString& text) override { log << u"message "_s + text; }
    void showProgress(qint64 total) override { log << u"show "_s + QString::number(total); }
    void hideProgress() override { log << u"hide"_s; }
    QObject* upload(const QString& target, const QString& name, const QString& path) override {
        log << u"upload %1 %2 %3"_s.arg(target, name, QString(path).remove(folder));
        uploads << new QObject;
        return uploads.last();
    }
    QObject* request(const QByteArray& script, const QString& body) override {
        log << QString::fromLatin1(script) + u' ' + body;
        requests << new QObject;
        return requests.last();
    }
    void postRegistered() override { log << u"posted"_s; }
    void requestPostList() override { log << u"post list"_s; }
    QString deviceId() const override { return u"dev&1"_s; }
    QString workFolder() const override { return folder; }
    qint32 now() const override { return 1700000000; }
};

struct Chain {
    QTemporaryDir dir;
    ContentModel model;
    Host host{model, dir.path()};
    ContentUpload upload{model, host};

    explicit Chain(int kind, int photos = 0) {
        model.setLayout([](CContentText&) {});
        model.fileName = u"kim1170"_s;
        model.folder = u"mailbox/0000000001"_s;
        model.title = u"T&<1>"_s;
        model.contentKind = kind;
        model.mailIndex = u"55"_s;
        model.addText(u"a&b"_s);
        for (int i = 0; i < photos; ++i) {
            const QString path = dir.filePath(u"p%1.jpg"_s.arg(i));
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(QByteArray(100 * (i + 1), 'x'));
            file.close();
            model.addPhoto(path, u"p.jpg"_s, 1);
        }
        upload.setPhotoPause(std::chrono::milliseconds(30));
    }
    void finishUpload() { upload.uploadFinished(); }
    void answer(const QString& text) { upload.reply(host.requests.last(), text); }
    QStringList take() {
        const QStringList taken = host.log;
        host.log.clear();
        return taken;
    }
};

} // namespace

class TestContentUpload : public QObject {
    Q_OBJECT
private slots:
    void phpErrorEndsTheChain_data();
    void phpErrorEndsTheChain();
    void refusals();
    void failedUploadOrSilentServer();
};

void TestContentUpload::phpErrorEndsTheChain_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("goodReplies"); // before the refusal
    QTest::addColumn<QString>("refusal");
    QTest::newRow("registration") << int(ContentModel::MemberContent) << 0 << u"0"_s;
    QTest::newRow("empty reply") << int(ContentModel::PostContent) << 0 << QString();
    QTest::newRow("one with more") << int(ContentModel::PostContent) << 0 << u"10</>1"_s;
    QTest::newRow("post registration") << int(ContentModel::PostContent) << 1 << u"2"_s;
    QTest::newRow("post text") << int(ContentModel::PostContent) << 2 << u"0</>1"_s;
    QTest::newRow("profile update") << int(ContentModel::MemberContent) << 1 << u"x"_s;
}

void TestContentUpload::phpErrorEndsTheChain() {
    QFETCH(int, kind);
    QFETCH(int, goodReplies);
    QFETCH(QString, refusal);
    Chain c(kind);
    QVERIFY(c.upload.start());
    c.finishUpload();
    for (int i = 0; i < goodReplies; ++i)
        c.answer(u"1</>5"_s);
    c.take();
    c.answer(refusal);
    QCOMPARE(c.take(), QStringList({u"message php error"_s, u"hide"_s}));
    QCOMPARE(c.upload.phase(), ContentUpload::Phase::Idle);
    // Nothing more comes of a late reply, and the member can upload again.
    c.answer(u"1</>5"_s);
    QCOMPARE(c.take(), QStringList());
    QVERIFY(c.upload.start());
}

void TestContentUpload::refusals() {
    // A second press while the chain runs is refused before anything is built.
    Chain running(ContentModel::MemberContent, 1);
    QVERIFY(running.upload.start());
    running.take();
    QVERIFY(!running.upload.start());
    QCOMPARE(running.take(), QStringList());
    running.finishUpload();
    QVERIFY(!running.upload.start()); // waiting for the pause
    QTRY_VERIFY(running.host.uploads.size() == 2);

    // No title: nothing is sent.
    Chain untitled(ContentModel::MemberContent);
    untitled.host.exportWorks = false;
    QVERIFY(!untitled.upload.start());
    QCOMPARE(untitled.take(), QStringList{u"export"_s});
    QVERIFY(!untitled.upload.isRunning());

    // A photo whose file is gone: the message, and nothing is sent.
    Chain missing(ContentModel::MemberContent, 2);
    QVERIFY(QFile::remove(missing.dir.filePath(u"p1.jpg"_s)));
    QVERIFY(!missing.upload.start());
    QCOMPARE(missing.take(),
             QStringList({u"export"_s, u"write"_s, u"message 그림 파일의 연결이 에러 입니다."_s}));
    QVERIFY(missing.host.uploads.isEmpty() && !missing.upload.isRunning());
}

void TestContentUpload::failedUploadOrSilentServer() {
    // An upload that ends without its finishing notice (no connection, a stalled peer).
    Chain dropped(ContentModel::PostContent, 1);
    QVERIFY(dropped.upload.start());
    dropped.finishUpload();
    QTRY_COMPARE(dropped.host.uploads.size(), 2);
    dropped.take();
    delete dropped.host.uploads.takeLast();
    QCOMPARE(dropped.take(), QStringList{u"hide"_s});
    QVERIFY(!dropped.upload.isRunning());
    dropped.upload.uploadFinished(); // late: ignored
    QCOMPARE(dropped.take(), QStringList());

    // A request that is given up without a reply.
    Chain silent(ContentModel::PostContent);
    QVERIFY(silent.upload.start());
    silent.finishUpload();
    silent.answer(u"1</>3"_s);
    silent.take();
    QObject* pending = silent.host.requests.takeLast();
    silent.upload.reply(silent.host.requests.first(), u"1</>3"_s); // an old request: ignored
    QCOMPARE(silent.take(), QStringList());
    delete pending;
    QCOMPARE(silent.take(), QStringList{u"hide"_s});
    QVERIFY(silent.upload.start());
}

QTEST_MAIN(TestContentUpload)
#include "tst_content_upload.moc"
