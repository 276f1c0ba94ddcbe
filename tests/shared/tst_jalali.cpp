#include "shared/Jalali.h"

#include <QtTest>

using namespace vela::jalali;

class TestJalali : public QObject {
    Q_OBJECT
private slots:
    void knownDaysAndLeapYears();
    void everyDayRoundTrips();
    void parsingAndRangeEnds();
};

void TestJalali::knownDaysAndLeapYears()
{
    const struct {
        int y, m, d;
        QDate g;
    } anchors[] = {
        {1396, 2, 23, QDate(2017, 5, 13)},
        {1403, 12, 30, QDate(2025, 3, 20)},
        {1404, 1, 1, QDate(2025, 3, 21)},
        {1354, 1, 1, QDate(1975, 3, 21)},
    };
    for (const auto &a : anchors) {
        QCOMPARE(toGregorian(a.y, a.m, a.d), a.g);
        QCOMPARE(fromGregorian(a.g), (JDate {a.y, a.m, a.d}));
    }
    QCOMPARE(formatDate(QDate(2017, 5, 13)), QStringLiteral("1396/02/23"));
    QVERIFY(formatDate(QDate()).isEmpty());
    for (int y = 1399; y <= 1408; ++y)
        QCOMPARE(isLeapYear(y), y == 1399 || y == 1403 || y == 1408);
    QCOMPARE(daysInMonth(1404, 6) * 100 + daysInMonth(1404, 7), 3130);
    QCOMPARE(daysInMonth(1403, 12) * 100 + daysInMonth(1404, 12), 3029);
    QCOMPARE(monthName(1), QStringLiteral("فروردین"));
    QCOMPARE(monthName(12), QStringLiteral("اسفند"));
    QVERIFY(monthName(13).isEmpty());
}

// Every day of 1206-1498 converts both ways, and the days follow one another without gaps or
// overlaps across month and year ends.
void TestJalali::everyDayRoundTrips()
{
    qint64 expected = toGregorian(1206, 1, 1).toJulianDay();
    for (int y = 1206; y <= 1498; ++y) {
        const qint64 yearStart = expected;
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= daysInMonth(y, m); ++d) {
                const QDate g = toGregorian(y, m, d);
                if (g.toJulianDay() != expected || fromGregorian(g) != JDate {y, m, d})
                    QFAIL(qPrintable(QStringLiteral("%1/%2/%3").arg(y).arg(m).arg(d)));
                ++expected;
            }
        }
        QCOMPARE(expected - yearStart, isLeapYear(y) ? 366 : 365);
    }
}

// Text in every digit set and separator; at both ends of the calendar's range every day that
// parses is shown again as the same text, and the days just outside the range neither parse nor
// show.
void TestJalali::parsingAndRangeEnds()
{
    const QDate want(2017, 5, 13);
    for (const char *text : {"1396/02/23", "1396/2/23", "1396-02-23", " 1396/02/23 ", "۱۳۹۶/۰۲/۲۳",
             "١٣٩٦/٠٢/٢٣", "\u200F۱۳۹۶/۲/۲۳"})
        QVERIFY2(parse(QString::fromUtf8(text)) == want, text);
    for (const char *text : {"1402/13/40", "1402/00/10", "1402/01/32", "1402/07/31", "1403/12/31",
             "1404/12/30", "96/02/23", "1396/02", "1396/02-23", "abcd/02/23", ""})
        QVERIFY2(!parse(QString::fromUtf8(text)).isValid(), text);
    QCOMPARE(format(fromGregorian(firstDate())), QStringLiteral("0001/01/01"));
    QCOMPARE(format(fromGregorian(lastDate())), QStringLiteral("3177/12/29"));
    QVERIFY(formatDate(firstDate().addDays(-1)).isEmpty());
    QVERIFY(formatDate(lastDate().addDays(1)).isEmpty());
    for (const auto &[from, to] : {std::pair {firstDate(), firstDate().addDays(800)},
             std::pair {lastDate().addDays(-800), lastDate()}}) {
        for (QDate g = from; g <= to; g = g.addDays(1)) {
            const QString text = formatDate(g);
            if (text.isEmpty() || parse(text) != g)
                QFAIL(qPrintable(g.toString(Qt::ISODate) + QLatin1Char(' ') + text));
        }
    }
    QVERIFY(!parse(QStringLiteral("3178/01/01")).isValid());
    QVERIFY(!parse(QStringLiteral("0000/12/29")).isValid());
}

QTEST_GUILESS_MAIN(TestJalali)
#include "tst_jalali.moc"
