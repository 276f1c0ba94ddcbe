// The money type: exact decimals at four places, parsing, rounding half to even, the range, and
// amounts that came as doubles.
#include "shared/Money.h"
#include "shared/ResultTable.h"
#include "shared/VelaError.h"

#include <QtTest>
#include <limits>

using namespace vela;

class TstAmounts : public QObject {
    Q_OBJECT
private slots:
    void exactDecimals();
};

void TstAmounts::exactDecimals()
{
    QCOMPARE(Money::parse(QStringLiteral("1234.5"))->toString(), QStringLiteral("1234.5"));
    QCOMPARE(Money::parse(QStringLiteral("۱۲۳٫۴"))->toString(), QStringLiteral("123.4"));
    QCOMPARE(Money::parse(QStringLiteral("-0.00005"))->raw(), 0); // half to even
    QCOMPARE(Money::parse(QStringLiteral("0.00015"))->raw(), 2);
    QCOMPARE(Money::parse(QStringLiteral("0.000051"))->raw(), 1);
    QCOMPARE(Money::parse(QStringLiteral("-922337203685477.5808"))->raw(),
        std::numeric_limits<qint64>::min());
    QVERIFY(!Money::parse(QStringLiteral("922337203685477.5808")));
    QVERIFY(!Money::parse(QStringLiteral("12a")));
    QVERIFY(!Money::parse(QStringLiteral("1.2.3")));
    QVERIFY(!Money::parse(QStringLiteral("-")));
    QVERIFY(!Money::parse(QString()));
    QCOMPARE(Money::fromRaw(std::numeric_limits<qint64>::min()).toString(),
        QStringLiteral("-922337203685477.5808"));
    QVERIFY_THROWS_EXCEPTION(
        VelaError, Money::fromRaw(std::numeric_limits<qint64>::max()) + Money::fromRaw(1));
    QVERIFY_THROWS_EXCEPTION(VelaError, Money::fromDouble(1e300));
    QVERIFY(!Money::tryFromDouble(std::numeric_limits<double>::quiet_NaN()));
    QCOMPARE(Money::fromDouble(333333333333.3333).toString(), QStringLiteral("333333333333.3333"));
    QCOMPARE(Money::fromDouble(0.00015).raw(), 2); // the double's shortest text, half to even
    QCOMPARE(Money::parse(QLatin1String("-98765432109876.25"))->raw(), -987654321098762500);
    QVERIFY(!Money::parse(QLatin1String("\xdb\xb1"))); // UTF-8 bytes are no digits
    QCOMPARE(shortestDecimal(0.1 + 0.2), QStringLiteral("0.3"));
    QCOMPARE(shortestDecimal(1500000), QStringLiteral("1500000"));
}

QTEST_APPLESS_MAIN(TstAmounts)
#include "tst_amounts.moc"
