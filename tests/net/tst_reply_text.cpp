#include "net/reply_text.h"
#include "net/server_address.h"

#include <QTest>

#include <climits>

using namespace orvix;

class TestReplyText : public QObject {
    Q_OBJECT
private slots:
    // Empty pieces keep their place; parts of the marker do not split.
    void splitsAtEachWholeSeparator() {
        const std::tuple<QString, QString, QStringList> splits[]{
            {u"x</>2</></>a<b/>c</>"_qs, u"</>"_qs, {u"x"_qs, u"2"_qs, {}, u"a<b/>c"_qs, {}}},
            {QString(), u"</>"_qs, {}},
            {u"a<</>>b"_qs, u"</>"_qs, {u"a<"_qs, u">b"_qs}},
            {u"7<@>Kim<@><@>사진"_qs, u"<@>"_qs, {u"7"_qs, u"Kim"_qs, {}, u"사진"_qs}},
            {u"#a##b#"_qs, u"#"_qs, {{}, u"a"_qs, {}, u"b"_qs, {}}}};
        for (const auto& [text, separator, fields] : splits) {
            const ReplyFields split(text, separator);
            QCOMPARE(split.count(), fields.size());
            for (int n = 1; n <= fields.size(); ++n)
                QCOMPARE(split.field(n), fields.at(n - 1));
            // Fields before the first and past the end read empty, and their number is 0.
            for (int n : {-3, 0, int(fields.size()) + 1}) {
                QCOMPARE(split.field(n), QString());
                QCOMPARE(split.number(n), 0);
            }
        }
    }

    // Like the C library's atoi, clamped to the int range; a no-break space is not a blank.
    void leadingNumberAndServerAddresses() {
        const std::pair<QString, int> numbers[]{{u"0007"_qs, 7},
                                                {u"12abc"_qs, 12},
                                                {u" \t\r\n\v\f15"_qs, 15},
                                                {u"-17x"_qs, -17},
                                                {u"- 5"_qs, 0},
                                                {QString(), 0},
                                                {u"\u00a05"_qs, 0},
                                                {u"2147483648"_qs, INT_MAX},
                                                {u"-2147483649"_qs, INT_MIN}};
        for (const auto& [text, value] : numbers) {
            QCOMPARE(leadingNumber(text), value);
            QCOMPARE(ReplyFields(u"x</>"_qs + text).number(2), value);
        }
        // The caller's default port stands in for a missing one only; a bad port is 0.
        const std::tuple<QString, QString, int> addresses[]{
            {u"121.78.1.5"_qs, u"121.78.1.5"_qs, 2000},
            {u"[::1]:8081"_qs, u"::1"_qs, 8081},
            {u"orvix.example:81"_qs, u"orvix.example"_qs, 81},
            {u"host:80a"_qs, u"host"_qs, 0}};
        for (const auto& [address, host, port] : addresses) {
            const ServerAddress parsed = ServerAddress::parse(address, 2000);
            QCOMPARE(parsed.host, host);
            QCOMPARE(int(parsed.port), port);
            QCOMPARE(parsed.isValid(), port != 0);
        }
        QCOMPARE(int(ServerAddress::parse(u"h"_qs).port), 80);

        // Only plain digits may name a file.
        for (const QString& number : {u"0"_qs, u"12"_qs, u"0000000042"_qs})
            QVERIFY2(isFileNumber(number), qPrintable(number));
        for (const QString& text :
             {QString(), u"x/../../etc"_qs, u"../12"_qs, u"12/"_qs, u"-12"_qs, u"+12"_qs, u" 12"_qs,
              u"12 "_qs, u"1.2"_qs, u"１２"_qs, u"٢"_qs, u"12\\x"_qs})
            QVERIFY2(!isFileNumber(text), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestReplyText)
#include "tst_reply_text.moc"
