// The compact result store: values held in the cell word, rows staged before they are stored,
// and buffers big enough to move to their own mappings.
#include "shared/PodBuffer.h"
#include "shared/ResultTable.h"

#include <QtTest>

using namespace vela;

class TestResultTable : public QObject {
    Q_OBJECT
private slots:
    void valuesHeldInTheWordReadBackExactly();
    void stagedRowsAreSeenByEveryReader();
    void largeBuffers();
    void rowsColumnsAndAmounts();
};

void TestResultTable::valuesHeldInTheWordReadBackExactly()
{
    ResultTable t({QStringLiteral("v")});
    const QList<qint64> numbers {0, 1, 0x1FFFFFFF, 0x20000000, 0x7FFFFFFF, 0xFFFFFFFFLL, -1,
        std::numeric_limits<qint64>::min(), 1234567890123LL};
    for (qint64 n : numbers) {
        t.beginRow();
        t.appendInteger(n);
        t.endRow();
    }
    // Texts that look like dates but are not exactly ten characters of the date shape stay text.
    const QStringList texts {QStringLiteral("2019-09-17"), QStringLiteral("1398/06/26"),
        QStringLiteral("0000-00-00"), QStringLiteral("9999/99/99"), QStringLiteral("2019-09/17"),
        QStringLiteral("2019-9-17"), QStringLiteral("2019-09-17 "), QStringLiteral("۱۳۹۸/۰۶/۲۶"),
        QStringLiteral("20a9-09-17"), QStringLiteral("12345678")};
    for (const QString &s : texts) {
        t.beginRow();
        t.appendText(s);
        t.endRow();
    }
    t.beginRow();
    t.appendNull();
    t.endRow();
    for (int i = 0; i < numbers.size(); ++i) {
        QCOMPARE(t.type(i, 0), ResultTable::CellType::Integer);
        QCOMPARE(t.integer(i, 0), numbers[i]);
        QVERIFY(t.text(i, 0) == QString::number(numbers[i]) && t.value(i, 0) == numbers[i]);
    }
    for (int i = 0; i < texts.size(); ++i) {
        const int row = int(numbers.size()) + i;
        QCOMPARE(t.type(row, 0), ResultTable::CellType::Text);
        QVERIFY(t.text(row, 0) == texts[i] && t.value(row, 0).toString() == texts[i]);
    }
    QVERIFY(t.isNull(t.rowCount() - 1, 0));
    QCOMPARE(t.text(t.rowCount() - 1, 0), QString());
    // The exports append the same characters without a string per cell.
    t.beginRow();
    t.appendReal(1234.5);
    t.endRow();
    for (int row = 0; row < t.rowCount(); ++row) {
        QString appended = QStringLiteral("ab");
        t.appendText(row, 0, appended);
        QCOMPARE(appended, QStringLiteral("ab") + t.text(row, 0));
    }
    // Edits take the same forms.
    t.setText(0, 0, QStringLiteral("1402/01/01"));
    QCOMPARE(t.text(0, 0), QStringLiteral("1402/01/01"));
    QCOMPARE(t.type(0, 0), ResultTable::CellType::Text);
    t.setText(1, 0, QStringLiteral("1/234"));
    QCOMPARE(t.text(1, 0), QStringLiteral("1/234"));
}

void TestResultTable::stagedRowsAreSeenByEveryReader()
{
    // Row counts around the staging batch; each reader must see the rows just appended.
    for (int n : {1, 511, 512, 513, 1500}) {
        ResultTable t({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        for (int i = 0; i < n; ++i) {
            t.beginRow();
            t.appendInteger(i);
            t.appendText(QStringLiteral("نام %1").arg(i % 7));
            if (i % 3 == 0)
                t.appendReal(i + 0.5);
            t.endRow();
        }
        QCOMPARE(t.integer(n - 1, 0), qint64(n - 1));
        QCOMPARE(t.text(n - 1, 1), QStringLiteral("نام %1").arg((n - 1) % 7));
        QCOMPARE(t.isNull(n - 1, 2), (n - 1) % 3 != 0);
        QCOMPARE(t.real(0, 2), 0.5);
        // Building goes on after a read, and an edit between rows lands where it was meant.
        t.setText(0, 1, QStringLiteral("x"));
        t.beginRow();
        t.appendInteger(-5);
        t.endRow();
        QCOMPARE(t.integer(n, 0), qint64(-5));
        QVERIFY(t.isNull(n, 1));
        QCOMPARE(t.text(0, 1), QStringLiteral("x"));
        const QString last = t.text(n - 1, 1);
        t.insertColumn(1, QStringLiteral("new"));
        QCOMPARE(t.text(n - 1, 2), last);
        QVERIFY(t.isNull(n - 1, 1));
        t.removeColumn(1);
        QCOMPARE(t.text(n - 1, 1), last);
        // Cleared before the staged rows were stored: none of them survives.
        t.beginRow();
        t.appendInteger(1);
        t.endRow();
        t.setColumns({QStringLiteral("z")});
        QCOMPARE(t.rowCount(), 0);
        t.beginRow();
        t.appendText(QStringLiteral("only"));
        t.endRow();
        QCOMPARE(t.text(0, 0), QStringLiteral("only"));
        // A read between the cells of a row stores the rows before it and keeps its cells.
        t.setColumns({QStringLiteral("y"), QStringLiteral("z")});
        for (const char *v : {"1", "2"}) {
            t.beginRow();
            t.appendText(QString::fromLatin1(v));
            if (*v == '2')
                QCOMPARE(t.text(0, 0), QStringLiteral("1"));
            t.appendText(QStringLiteral("half"));
            t.endRow();
        }
        QCOMPARE(t.text(1, 0), QStringLiteral("2"));
        QCOMPARE(t.text(1, 1), QStringLiteral("half"));
    }
}

void TestResultTable::largeBuffers()
{
    // Grows from the heap into its own mapping and on; copies and moves keep every value.
    PodBuffer<quint32> b;
    for (quint32 i = 0; i < 3000000; ++i)
        b.push_back(i * 7);
    QVERIFY(b.capacity() * sizeof(quint32) >= PodBuffer<quint32>::LargeBytes);
    PodBuffer<quint32> moved(std::move(b));
    moved.resize(5000000, 9);
    QCOMPARE(moved[2999999], 2999999u * 7);
    QCOMPARE(moved[4999999], 9u);
    // Values taken from the buffer itself while it grows, on the heap and mapped.
    PodBuffer<quint32> own;
    own.push_back(5);
    for (int i = 0; i < 21; ++i)
        own.append(own.data(), own.size());
    own.push_back(own[1]);
    QCOMPARE(own.size(), (size_t(1) << 21) + 1);
    QCOMPARE(own[own.size() - 2], 5u);
    QCOMPARE(own[own.size() - 1], 5u);

    // A table whose arena passes the mapping threshold: values that never repeat.
    ResultTable t({QStringLiteral("s")});
    for (int i = 0; i < 200000; ++i) {
        t.beginRow();
        t.appendText(QStringLiteral("plate-%1-").arg(i).repeated(2));
        t.endRow();
    }
    ResultTable same = t;
    QCOMPARE(same.text(199999, 0), QStringLiteral("plate-199999-plate-199999-"));
    QCOMPARE(t.text(0, 0), QStringLiteral("plate-0-plate-0-"));
    QVERIFY(t.memoryUsage() > size_t(4) << 20);
}

void TestResultTable::rowsColumnsAndAmounts()
{
    ResultTable t({QStringLiteral("ID"), QStringLiteral("Name"), QStringLiteral("Data")});
    for (int i = 0; i < 70000; ++i) {
        t.beginRow();
        t.appendInteger(i);
        t.appendText(i % 3 ? QStringLiteral("تهران") : QStringLiteral("name %1").arg(i));
        if (i % 2)
            t.appendBlob("\0\1", 2);
        t.endRow(); // pads the missing cell with NULL
    }
    QVERIFY(t.columnIndex(QStringLiteral("name")) == 1 && t.columnIndex(QStringLiteral("x")) == -1);
    QCOMPARE(t.text(69999, 1), QStringLiteral("name 69999"));
    QCOMPARE(t.text(69998, 1), QStringLiteral("تهران"));
    QVERIFY(t.isNull(0, 2));
    QCOMPARE(t.value(1, 2).toByteArray(), QByteArray("\0\1", 2));
    t.setText(5, 1, QStringLiteral("x")); // a repeated value edited: the others keep theirs
    QVERIFY(t.text(5, 1) == QStringLiteral("x") && t.text(4, 1) == QStringLiteral("تهران"));
    t.resizeRows(2);
    QCOMPARE(t.rowCount(), 2);

    // Amounts: whole ones as integers, the others exact.
    ResultTable m({QStringLiteral("Cost")});
    for (const char *a : {"1450000000", "98765432109876.25", "-0.0001", "-2.5"}) {
        m.beginRow();
        m.appendMoney(*Money::parse(QLatin1String(a)));
        m.endRow();
    }
    QCOMPARE(m.type(0, 0), ResultTable::CellType::Integer);
    QCOMPARE(m.type(1, 0), ResultTable::CellType::Decimal);
    QCOMPARE(m.text(1, 0), QStringLiteral("98765432109876.25"));
    QCOMPARE(m.value(2, 0), QVariant(QStringLiteral("-0.0001")));
    QCOMPARE(m.decimal(1, 0).raw(), 987654321098762500);
    QCOMPARE(m.integer(3, 0), -3);
    QCOMPARE(m.real(3, 0), -2.5);
}

QTEST_MAIN(TestResultTable)
#include "tst_resulttable.moc"
