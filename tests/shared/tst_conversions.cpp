// The shared conversions: exact amounts at four decimals, reading numbers the classic way
// (ToNumber, ToInt32, NumberText), digit grouping with "/" and its reversal, connection strings,
// and the save-file dialog's seam.
#include "shared/ConnectionString.h"
#include "shared/Money.h"
#include "shared/ResultTable.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

#include <QtTest>
#include <limits>

using namespace vela;

class TstConversions : public QObject {
    Q_OBJECT
private slots:
    void exactAmounts();
    void toNumber_data();
    void toNumber();
    void toInt32AndGrouping();
    void ungroupDigits();
    void connectionStrings();
    void saveDialogSeam();
};

void TstConversions::exactAmounts()
{
    QCOMPARE(Money::parse(QStringLiteral("1234.5"))->toString(), QStringLiteral("1234.5"));
    QCOMPARE(Money::parse(QStringLiteral("۱۲۳٫۴"))->toString(), QStringLiteral("123.4"));
    QCOMPARE(Money::parse(QStringLiteral("-0.00005"))->raw(), 0); // half to even
    QCOMPARE(Money::parse(QStringLiteral("0.00015"))->raw(), 2);
    QCOMPARE(Money::parse(QStringLiteral("0.000051"))->raw(), 1);
    QCOMPARE(Money::parse(QStringLiteral("-922337203685477.5808"))->raw(),
        std::numeric_limits<qint64>::min());
    QCOMPARE(Money::parse(QLatin1String("-98765432109876.25"))->raw(), -987654321098762500);
    for (const char *text : {"922337203685477.5808", "12a", "1.2.3", "-", "", "\xdb\xb1"})
        QVERIFY2(!Money::parse(QLatin1String(text)), text); // (UTF-8 bytes are no digits)
    QCOMPARE(Money::fromRaw(std::numeric_limits<qint64>::min()).toString(),
        QStringLiteral("-922337203685477.5808"));
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

void TstConversions::toNumber_data()
{
    // An int expected is compared as the variant itself (-1 blank, 1 "True", 0 overflow); a
    // double by its value.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("empty") << QString() << QVariant(qint32(-1));
    QTest::newRow("blanks") << QStringLiteral("   ") << QVariant(qint32(-1));
    QTest::newRow("a tab is no blank") << QStringLiteral("\t") << QVariant(0.0);
    QTest::newRow("True") << QStringLiteral("True") << QVariant(qint32(1));
    QTest::newRow("true") << QStringLiteral("true") << QVariant(0.0);
    QTest::newRow("a Persian date") << QStringLiteral("1396/02/23") << QVariant(13960223.0);
    QTest::newRow("leading number") << QStringLiteral("12abc") << QVariant(12.0);
    QTest::newRow("blanks inside") << QStringLiteral(" 1 2 3 ") << QVariant(123.0);
    QTest::newRow("a carriage return ends it") << QStringLiteral("12\r34") << QVariant(12.0);
    QTest::newRow("exponent") << QStringLiteral("-1.5e2") << QVariant(-150.0);
    QTest::newRow("D exponent") << QStringLiteral("2D3") << QVariant(2000.0);
    QTest::newRow("two points") << QStringLiteral("1.2.3") << QVariant(1.2);
    QTest::newRow("hexadecimal") << QStringLiteral("&H1F") << QVariant(31.0);
    QTest::newRow("16-bit hexadecimal") << QStringLiteral("&HFFFF") << QVariant(-1.0);
    QTest::newRow("octal") << QStringLiteral("&O17") << QVariant(15.0);
    QTest::newRow("Persian digits") << QStringLiteral("۱۲۳") << QVariant(123.0);
    QTest::newRow("overflow") << QStringLiteral("1e999") << QVariant(qint32(0));
    QTest::newRow("400 nines") << QString(400, QLatin1Char('9')) << QVariant(qint32(0));
}

void TstConversions::toNumber()
{
    QFETCH(QString, text);
    QFETCH(QVariant, expected);
    const QVariant n = ToNumber(text);
    if (expected.typeId() == QMetaType::Int)
        QCOMPARE(n, expected);
    else
        QCOMPARE(n.toDouble(), expected.toDouble());
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
    } cases[] = {
        {"1/234/567.89", "1234567.89", "1234567.89"},
        {"", "0", ""},
        {"12abc", "12", "12abc"},
        // Looks numeric, is no amount: read classically, no overflow.
        {"1.2.3", "1.2", "1.2.3"},
        {"-", "0", "-"},
        {"922/337/203/685/477.5807", "922337203685477.5807", "922337203685477.5807"},
        {"922/337/203/685/477.5808", nullptr, nullptr},
        {"1e300", nullptr, nullptr},
    };
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
        try {
            ConnectionString::parse(QLatin1String(text));
            QFAIL(text);
        } catch (const VelaError &e) {
            QVERIFY(e.number() == ErrConnection && !e.description().isEmpty());
        }
    }
}

void TstConversions::saveDialogSeam()
{
    QString seenTitle, answer;
    setSaveFileDialogHook([&](const QString &, const QString &title) {
        seenTitle = title;
        return answer;
    });
    QString name = QStringLiteral("old.txt");
    QVERIFY(!AskSaveFileName(name, QStringLiteral("فايل متني")));
    QVERIFY(name.isEmpty());
    answer = QStringLiteral("/tmp/out.txt");
    QVERIFY(AskSaveFileName(name, QStringLiteral("فايل متني")));
    QCOMPARE(name, answer);
    QCOMPARE(seenTitle, QStringLiteral("فايل متني"));
    setSaveFileDialogHook(nullptr);
}

QTEST_MAIN(TstConversions)
#include "tst_conversions.moc"
