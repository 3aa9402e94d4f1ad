#include "net/reply_text.h"
#include "net/server_address.h"

#include <QTest>

#include <climits>

using namespace orvix;

class TestReplyText : public QObject {
    Q_OBJECT
private slots:
    void splitsAtEachWholeSeparator_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QStringList>("fields");
        const auto row = [](const char* name, const QString& text, const QString& separator,
                            const QStringList& fields) {
            QTest::newRow(name) << text << separator << fields;
        };
        row("empty pieces keep their place, parts of the marker do not split",
            u"happychatlist</>2</></>a<b/>c</>"_qs, u"</>"_qs,
            {u"happychatlist"_qs, u"2"_qs, QString(), u"a<b/>c"_qs, QString()});
        row("empty text", QString(), u"</>"_qs, {});
        row("only markers", u"</></>"_qs, u"</>"_qs, {QString(), QString(), QString()});
        row("no marker", u"1"_qs, u"</>"_qs, {u"1"_qs});
        row("first whole marker wins", u"a<</>>b"_qs, u"</>"_qs, {u"a<"_qs, u">b"_qs});
        row("empty separator", u"a#b"_qs, QString(), {u"a#b"_qs});
        row("record", u"7<@>Kim<@><@>사진.jpg"_qs, u"<@>"_qs,
            {u"7"_qs, u"Kim"_qs, QString(), u"사진.jpg"_qs});
        row("hashes", u"#a##b#"_qs, u"#"_qs, {QString(), u"a"_qs, QString(), u"b"_qs, QString()});
        row("bars", u"x|y"_qs, u"|"_qs, {u"x"_qs, u"y"_qs});
        row("</> inside a <@> field", u"a</>b"_qs, u"<@>"_qs, {u"a</>b"_qs});
    }
    void splitsAtEachWholeSeparator() {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(QStringList, fields);
        const ReplyFields split(text, separator);
        QCOMPARE(split.count(), fields.size());
        for (int n = 1; n <= fields.size(); ++n)
            QCOMPARE(split.field(n), fields.at(n - 1));
        // Fields before the first and past the end read empty, and their number is 0.
        for (int n : {-3, 0, int(fields.size()) + 1, 1000}) {
            QCOMPARE(split.field(n), QString());
            QCOMPARE(split.number(n), 0);
        }
    }

    void leadingNumberReadsLikeAtoi_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("leading zeros") << u"0007"_qs << 7;
        QTest::newRow("trailing text") << u"12abc"_qs << 12;
        QTest::newRow("blanks first") << u" \t\r\n\v\f15"_qs << 15;
        QTest::newRow("sign") << u"-17x"_qs << -17;
        QTest::newRow("sign then blank") << u"- 5"_qs << 0;
        QTest::newRow("two signs") << u"--5"_qs << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("decimal point") << u"3.9"_qs << 3;
        QTest::newRow("no-break space is not a blank") << u"\u00a05"_qs << 0;
        QTest::newRow("full-width digit is not a digit") << u"\uff15"_qs << 0;
        QTest::newRow("just over max") << u"2147483648"_qs << INT_MAX;
        QTest::newRow("just under min") << u"-2147483649"_qs << INT_MIN;
        QTest::newRow("very long") << u"99999999999999999999999999"_qs << INT_MAX;
    }
    void leadingNumberReadsLikeAtoi() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(leadingNumber(text), value);
        QCOMPARE(ReplyFields(u"x</>"_qs + text).number(2), value);
    }

    void serverAddresses_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("host only") << u"121.78.1.5"_qs << u"121.78.1.5"_qs << 80;
        QTest::newRow("name and port") << u"orvix.example:81"_qs << u"orvix.example"_qs << 81;
        QTest::newRow("bracketed ipv6 with port") << u"[::1]:8081"_qs << u"::1"_qs << 8081;
        QTest::newRow("port too big") << u"host:65536"_qs << u"host"_qs << 0;
        QTest::newRow("port with text") << u"host:80a"_qs << u"host"_qs << 0;
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
        // The caller's default port stands in for a missing one only.
        QCOMPARE(int(ServerAddress::parse(address, 2000).port), port == 80 ? 2000 : port);
    }
};

QTEST_GUILESS_MAIN(TestReplyText)
#include "tst_reply_text.moc"
