// The shared conversions of modMain: reading numbers the classic way (ToNumber, ToInt32,
// NumberText), digit grouping with "/" and its reversal, and the save-file dialog's seam.
#include "shared/Money.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

#include <QtTest>

using namespace vela;

class TstConversions : public QObject {
    Q_OBJECT
private slots:
    void toNumber_data();
    void toNumber();
    void toInt32AndNumberText();
    void groupDigits_data();
    void groupDigits();
    void ungroupDigits_data();
    void ungroupDigits();
    void saveDialogSeam();
};

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
    QTest::newRow("letters") << QStringLiteral("abc") << QVariant(0.0);
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

void TstConversions::toInt32AndNumberText()
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
}

void TstConversions::groupDigits_data()
{
    // Characters are counted, not digits.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("grouped");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("three") << QStringLiteral("123") << QStringLiteral("123");
    QTest::newRow("four") << QStringLiteral("1000") << QStringLiteral("1/000");
    QTest::newRow("six") << QStringLiteral("100000") << QStringLiteral("100/000");
    QTest::newRow("seven") << QStringLiteral("1234567") << QStringLiteral("1/234/567");
    QTest::newRow("a fraction") << QStringLiteral("1234.5") << QStringLiteral("123/4.5");
    QTest::newRow("a sign") << QStringLiteral("-123") << QStringLiteral("-/123");
}

void TstConversions::groupDigits()
{
    QFETCH(QString, text);
    QFETCH(QString, grouped);
    QCOMPARE(GroupDigits(text), grouped);
}

void TstConversions::ungroupDigits_data()
{
    // The amount read, and the text left in the caller's variable; an empty amount: overflow.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("left");
    QTest::newRow("grouped") << QStringLiteral("12/345") << QStringLiteral("12345")
                             << QStringLiteral("12345");
    QTest::newRow("a fraction") << QStringLiteral("1/234/567.89") << QStringLiteral("1234567.89")
                                << QStringLiteral("1234567.89");
    QTest::newRow("empty") << QString() << QStringLiteral("0") << QString();
    QTest::newRow("a leading number")
        << QStringLiteral("12abc") << QStringLiteral("12") << QStringLiteral("12abc");
    // Looks numeric, is no amount: read classically, no overflow.
    QTest::newRow("two points") << QStringLiteral("1.2.3") << QStringLiteral("1.2")
                                << QStringLiteral("1.2.3");
    QTest::newRow("a sign alone") << QStringLiteral("-") << QStringLiteral("0")
                                  << QStringLiteral("-");
    QTest::newRow("the largest amount")
        << QStringLiteral("922/337/203/685/477.5807") << QStringLiteral("922337203685477.5807")
        << QStringLiteral("922337203685477.5807");
    QTest::newRow("one past the largest")
        << QStringLiteral("922/337/203/685/477.5808") << QString() << QString();
    QTest::newRow("an exponent beyond") << QStringLiteral("1e300") << QString() << QString();
}

void TstConversions::ungroupDigits()
{
    QFETCH(QString, text);
    QFETCH(QString, amount);
    QFETCH(QString, left);
    if (amount.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(VelaError, UngroupDigits(text));
        return;
    }
    QCOMPARE(UngroupDigits(text).toString(), amount);
    QCOMPARE(text, left);
}

void TstConversions::saveDialogSeam()
{
    setSaveFileDialogHook([](const QString &, const QString &) { return QString(); });
    QString name = QStringLiteral("old.txt");
    QVERIFY(!AskSaveFileName(name, QStringLiteral("فايل متني")));
    QVERIFY(name.isEmpty());
    QString seenTitle;
    setSaveFileDialogHook([&](const QString &, const QString &title) {
        seenTitle = title;
        return QStringLiteral("/tmp/out.txt");
    });
    QVERIFY(AskSaveFileName(name, QStringLiteral("فايل متني")));
    QCOMPARE(name, QStringLiteral("/tmp/out.txt"));
    QCOMPARE(seenTitle, QStringLiteral("فايل متني"));
    setSaveFileDialogHook(nullptr);
}

QTEST_MAIN(TstConversions)
#include "tst_conversions.moc"
