// The shared conversions: exact amounts at four decimals, reading numbers the classic way
// (ToNumber, ToInt32, NumberText), digit grouping with "/" and its reversal, and connection
// strings.
#include "common/Failure.h"
#include "shared/ConnectionString.h"
#include "shared/Money.h"
#include "shared/modMain.h"

#include <QtTest>
#include <limits>

using namespace vela;

class TstConversions : public QObject {
    Q_OBJECT
private slots:
    void exactAmounts();
    void toNumber();
    void toInt32AndGrouping();
    void ungroupDigits();
    void connectionStrings();
};

void TstConversions::exactAmounts()
{
    // Persian digits and decimal sign; half to even at the fifth decimal; the range's ends.
    const struct {
        const char *text;
        qint64 raw;
    } parsed[] = {{"1234.5", 12345000}, {"۱۲۳٫۴", 1234000}, {"-0.00005", 0}, {"0.00015", 2},
        {"0.000051", 1}, {"-98765432109876.25", -987654321098762500},
        {"-922337203685477.5808", std::numeric_limits<qint64>::min()}};
    for (const auto &p : parsed)
        QVERIFY2(Money::parse(QString::fromUtf8(p.text))->raw() == p.raw, p.text);
    for (const char *text : {"922337203685477.5808", "12a", "1.2.3", "-", "", "\xdb\xb1"})
        QVERIFY2(!Money::parse(QLatin1String(text)), text); // (UTF-8 bytes are no digits)
    QCOMPARE(Money::fromRaw(std::numeric_limits<qint64>::min()).toString(),
        QStringLiteral("-922337203685477.5808"));
    QCOMPARE(Money::fromRaw(12345000).toString(), QStringLiteral("1234.5"));
    QVERIFY_THROWS_EXCEPTION(
        VelaError, Money::fromRaw(std::numeric_limits<qint64>::max()) + Money::fromRaw(1));
    // Amounts that came as doubles: their shortest text, half to even.
    QVERIFY_THROWS_EXCEPTION(VelaError, Money::fromDouble(1e300));
    QVERIFY(!Money::tryFromDouble(std::numeric_limits<double>::quiet_NaN()));
    QCOMPARE(Money::fromDouble(333333333333.3333).toString(), QStringLiteral("333333333333.3333"));
    QCOMPARE(Money::fromDouble(0.00015).raw(), 2);
    QCOMPARE(shortestDecimal(0.1 + 0.2), QStringLiteral("0.3"));
    QCOMPARE(shortestDecimal(1500000), QStringLiteral("1500000"));
}

void TstConversions::toNumber()
{
    // An int expected is compared as the variant itself (-1 blank, 1 "True", 0 overflow); a
    // double by its value.
    const std::pair<QString, QVariant> cases[]
        = {{QString(), qint32(-1)}, {"   ", qint32(-1)}, {"\t", 0.0}, // a tab is no blank
            {"True", qint32(1)}, {"true", 0.0}, {"1396/02/23", 13960223.0}, {"12abc", 12.0},
            {" 1 2 3 ", 123.0}, {"12\r34", 12.0}, {"-1.5e2", -150.0}, {"2D3", 2000.0},
            {"1.2.3", 1.2}, {"&H1F", 31.0}, {"&HFFFF", -1.0}, {"&O17", 15.0}, {"۱۲۳", 123.0},
            {"1e999", qint32(0)}, {QString(400, u'9'), qint32(0)}};
    for (const auto &[text, expected] : cases) {
        const QVariant n = ToNumber(text);
        if (expected.typeId() == QMetaType::Int)
            QVERIFY2(n == expected, qPrintable(text));
        else
            QVERIFY2(n.toDouble() == expected.toDouble(), qPrintable(text));
    }
}

void TstConversions::toInt32AndGrouping()
{
    QCOMPARE(ToInt32(QVariant(2.5)), 2); // half to even
    QCOMPARE(ToInt32(QVariant(3.5)), 4);
    QCOMPARE(ToInt32(QVariant(-2.5)), -2);
    QCOMPARE(ToInt32(QVariant()), 0);
    QCOMPARE(ToInt32(QVariant(2147483647.0)), 2147483647);
    QVERIFY_THROWS_EXCEPTION(VelaError, ToInt32(QVariant(2147483648.0)));
    QCOMPARE(NumberText(ToNumber(QStringLiteral("1396/02/23"))), QStringLiteral("13960223"));
    QCOMPARE(NumberText(ToNumber(QString())), QStringLiteral("-1"));
    QCOMPARE(NumberText(QVariant(12.5)), QStringLiteral("12.5"));
    // Grouping counts characters, not digits.
    const char *const grouped[][2] = {{"", ""}, {"123", "123"}, {"1000", "1/000"},
        {"100000", "100/000"}, {"1234567", "1/234/567"}, {"1234.5", "123/4.5"}, {"-123", "-/123"}};
    for (const auto &[text, want] : grouped)
        QCOMPARE(GroupDigits(QLatin1String(text)), QLatin1String(want));
}

void TstConversions::ungroupDigits()
{
    // The amount read and the text left in the caller's variable; no amount: overflow.
    const struct {
        const char *text, *amount, *left;
    } cases[] = {{"1/234/567.89", "1234567.89", "1234567.89"}, {"", "0", ""},
        {"12abc", "12", "12abc"}, {"1.2.3", "1.2", "1.2.3"}, {"-", "0", "-"}, // read classically
        {"922/337/203/685/477.5807", "922337203685477.5807", "922337203685477.5807"},
        {"922/337/203/685/477.5808", nullptr, nullptr}, {"1e300", nullptr, nullptr}};
    for (const auto &c : cases) {
        QString text = QLatin1String(c.text);
        if (!c.amount) {
            QVERIFY_THROWS_EXCEPTION(VelaError, UngroupDigits(text));
            continue;
        }
        QCOMPARE(UngroupDigits(text).toString(), QLatin1String(c.amount));
        QCOMPARE(text, QLatin1String(c.left));
    }
}

void TstConversions::connectionStrings()
{
    const ConnectionString cs = ConnectionString::parse(QStringLiteral(
        " provider = SQLite ; DATA SOURCE=\"/tmp/a;b.db\";Password='it''s';Empty=;"));
    QCOMPARE(cs.provider(), QStringLiteral("SQLite"));
    QCOMPARE(cs.value(QStringLiteral("Data Source")), QStringLiteral("/tmp/a;b.db"));
    QCOMPARE(cs.value(QStringLiteral("password")), QStringLiteral("it's"));
    QVERIFY(cs.contains(QStringLiteral("EMPTY")));
    QCOMPARE(cs.value(QStringLiteral("Empty"), QStringLiteral("x")), QString());
    // A key alone, an unterminated quote, no key, text after a quote.
    for (const char *text :
        {"Provider", "Provider=SQLite;Data Source='unterminated", "=x", "A='b' c"}) {
        const VelaError e = failureOf([text] { ConnectionString::parse(QLatin1String(text)); });
        QVERIFY2(e.number() == ErrConnection && !e.description().isEmpty(), text);
    }
}

QTEST_MAIN(TstConversions)
#include "tst_conversions.moc"
