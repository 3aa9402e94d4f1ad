#include "net/reply_text.h"
#include "net/server_address.h"

#include <QTest>

#include <climits>

using namespace orvix;

class TestReplyText : public QObject {
    Q_OBJECT
private slots:
    void splitsAtWholeMarkerKeepingEmptyFields() {
        const ReplyFields fields(QStringLiteral("happychatlist</>2</></>a<b/>c</>"));
        QCOMPARE(fields.count(), 5);
        QCOMPARE(fields.field(1), QStringLiteral("happychatlist"));
        QCOMPARE(fields.field(2), QStringLiteral("2"));
        QCOMPARE(fields.field(3), QString());
        // Parts of the marker alone do not split.
        QCOMPARE(fields.field(4), QStringLiteral("a<b/>c"));
        QCOMPARE(fields.field(5), QString());
        QCOMPARE(fields.number(2), 2);
    }

    void fieldsPastTheEndReadEmpty() {
        const ReplyFields fields(QStringLiteral("1</>x"));
        QCOMPARE(fields.field(0), QString());
        QCOMPARE(fields.field(-3), QString());
        QCOMPARE(fields.field(3), QString());
        QCOMPARE(fields.field(1000), QString());
        QCOMPARE(fields.number(9), 0);
    }

    void edgeTexts() {
        QCOMPARE(ReplyFields(QString()).count(), 0);
        QCOMPARE(ReplyFields(QString()).field(1), QString());
        const ReplyFields onlyMarkers(QStringLiteral("</></>"));
        QCOMPARE(onlyMarkers.count(), 3);
        QCOMPARE(onlyMarkers.field(2), QString());
        const ReplyFields noMarker(QStringLiteral("1"));
        QCOMPARE(noMarker.count(), 1);
        QCOMPARE(noMarker.field(1), QStringLiteral("1"));
        // Overlapping candidates: the first whole marker wins, the rest stays text.
        const ReplyFields overlap(QStringLiteral("a<</>>b"));
        QCOMPARE(overlap.field(1), QStringLiteral("a<"));
        QCOMPARE(overlap.field(2), QStringLiteral(">b"));
        // An empty separator leaves the text whole.
        QCOMPARE(ReplyFields(QStringLiteral("a#b"), u"").field(1), QStringLiteral("a#b"));
    }

    void otherSeparators() {
        const ReplyFields record(QStringLiteral("7<@>Kim<@><@>사진.jpg"), u"<@>");
        QCOMPARE(record.count(), 4);
        QCOMPARE(record.number(1), 7);
        QCOMPARE(record.field(2), QStringLiteral("Kim"));
        QCOMPARE(record.field(3), QString());
        QCOMPARE(record.field(4), QStringLiteral("사진.jpg"));

        const ReplyFields hashes(QStringLiteral("#a##b#"), u"#");
        QCOMPARE(hashes.count(), 5);
        QCOMPARE(hashes.field(1), QString());
        QCOMPARE(hashes.field(2), QStringLiteral("a"));
        QCOMPARE(hashes.field(4), QStringLiteral("b"));

        const ReplyFields bars(QStringLiteral("x|y"), u"|");
        QCOMPARE(bars.field(2), QStringLiteral("y"));
        // "</>" inside a "<@>" field is plain text there.
        QCOMPARE(ReplyFields(QStringLiteral("a</>b"), u"<@>").count(), 1);
    }

    void leadingNumberReadsLikeAtoi_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << QStringLiteral("42") << 42;
        QTest::newRow("leading zeros") << QStringLiteral("0007") << 7;
        QTest::newRow("trailing text") << QStringLiteral("12abc") << 12;
        QTest::newRow("blanks first") << QStringLiteral(" \t\r\n\v\f15") << 15;
        QTest::newRow("plus") << QStringLiteral("+5") << 5;
        QTest::newRow("minus") << QStringLiteral("-17x") << -17;
        QTest::newRow("sign then blank") << QStringLiteral("- 5") << 0;
        QTest::newRow("two signs") << QStringLiteral("--5") << 0;
        QTest::newRow("blank after digits") << QStringLiteral("3 4") << 3;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("letters") << QStringLiteral("abc") << 0;
        QTest::newRow("only sign") << QStringLiteral("-") << 0;
        QTest::newRow("decimal point") << QStringLiteral("3.9") << 3;
        QTest::newRow("no-break space is not a blank") << QStringLiteral("\u00a05") << 0;
        QTest::newRow("full-width digit is not a digit") << QStringLiteral("\uff15") << 0;
        QTest::newRow("int max") << QStringLiteral("2147483647") << INT_MAX;
        QTest::newRow("int min") << QStringLiteral("-2147483648") << INT_MIN;
        QTest::newRow("just over max") << QStringLiteral("2147483648") << INT_MAX;
        QTest::newRow("just under min") << QStringLiteral("-2147483649") << INT_MIN;
        QTest::newRow("very long") << QStringLiteral("99999999999999999999999999") << INT_MAX;
        QTest::newRow("very long negative")
            << QStringLiteral("-99999999999999999999999") << INT_MIN;
    }
    void leadingNumberReadsLikeAtoi() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(leadingNumber(text), value);
    }

    void serverAddresses_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("host only")
            << QStringLiteral("121.78.1.5") << QStringLiteral("121.78.1.5") << 80;
        QTest::newRow("host and port")
            << QStringLiteral("127.0.0.1:8080") << QStringLiteral("127.0.0.1") << 8080;
        QTest::newRow("name and port")
            << QStringLiteral("orvix.example:81") << QStringLiteral("orvix.example") << 81;
        QTest::newRow("bracketed ipv6 with port")
            << QStringLiteral("[::1]:8081") << QStringLiteral("::1") << 8081;
        QTest::newRow("bracketed ipv6") << QStringLiteral("[::1]") << QStringLiteral("::1") << 80;
        QTest::newRow("bare ipv6") << QStringLiteral("fe80::1") << QStringLiteral("fe80::1") << 80;
        QTest::newRow("empty port") << QStringLiteral("host:") << QStringLiteral("host") << 0;
        QTest::newRow("port too big")
            << QStringLiteral("host:65536") << QStringLiteral("host") << 0;
        QTest::newRow("port zero") << QStringLiteral("host:0") << QStringLiteral("host") << 0;
        QTest::newRow("port with text")
            << QStringLiteral("host:80a") << QStringLiteral("host") << 0;
        QTest::newRow("port max") << QStringLiteral("host:65535") << QStringLiteral("host")
                                  << 65535;
        QTest::newRow("empty") << QString() << QString() << 80;
    }
    void serverAddresses() {
        QFETCH(QString, address);
        QFETCH(QString, host);
        QFETCH(int, port);
        const ServerAddress parsed = ServerAddress::parse(address);
        QCOMPARE(parsed.host, host);
        QCOMPARE(int(parsed.port), port);
        QCOMPARE(parsed.isValid(), !host.isEmpty() && port != 0);
    }

    void defaultPortIsTheCallers() {
        QCOMPARE(int(ServerAddress::parse(QStringLiteral("img.example"), 2000).port), 2000);
        QCOMPARE(int(ServerAddress::parse(QStringLiteral("img.example:9"), 2000).port), 9);
    }
};

QTEST_GUILESS_MAIN(TestReplyText)
#include "tst_reply_text.moc"
