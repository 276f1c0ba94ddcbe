// Amounts on the whole road a user takes them: typed into the entry form, saved, stored, loaded
// again, saved a second time after another change, and shown in the search grid with its
// totals. Every amount of the money range comes back digit for digit.
#include "entry/FormDriver.h"
#include "shared/DataEnvironment.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

using namespace vela;

namespace {

// The ends of the range and fractions of one to four decimals; the second and third records of
// 333333333333.3333 make the total of three that once read 999999999999.999.
const QString Amounts[] = {u"0.0001"_qs, u"-0.0001"_qs, u"12.5"_qs, u"-1234567.125"_qs,
    u"98765432109876.25"_qs, u"922337203685477.5807"_qs, u"-922337203685477.5808"_qs,
    u"333333333333.3333"_qs, u"333333333333.3333"_qs, u"333333333333.3333"_qs};
const char *const MoneyControls[]
    = {"txtCost", "txtAccumulatedCost", "txtAbortCost", "txtOfficeMaxCost"};

} // namespace

class TestMoney : public QObject {
    Q_OBJECT
    TestDatabase db;
    FormDriver d {db};
    MessageRecorder messages;

    QList<QVariantList> stored(const QString &id)
    {
        // SQLite keeps the exact text, a server an exact numeric.
        return db.rows(
            u"SELECT %1, Cost, AccumulatedCost, AbortCost, OfficeMaxCost "
            "FROM tblAssetEstablishment WHERE ID="_qs.arg(
                TestDatabase::onPostgres() ? u"pg_typeof(Cost)::text"_qs : u"typeof(Cost)"_qs)
            + id);
    }
    // Searches by title on the search form and leaves it once `check` has read the grid.
    void search(const QString &name, const std::function<void(ResultsGrid &)> &check)
    {
        d.search([&](FormSearch &f) {
            f.cmdNewsearch_Click();
            f.txtName->setText(name);
            f.cmdSearch_Click();
            check(*f.flxSearch);
            f.cmdExit_Click();
        });
    }

private slots:
    void initTestCase() { d.host.ClearShow(); }
    void cleanupTestCase() { FormSearch::unload(); }

    void saveLoadSaveKeepsEveryDigit()
    {
        for (const QString &a : Amounts) {
            d.click("cmdNew");
            d.fillRequired(u"M-"_qs + a, u"Amount "_qs + a, {a, a, a});
            d.type("txtOfficeMaxCost", a);
            d.click("cmdSave");
            QCOMPARE(messages.count(), 0);
            const QString id = d.text("txtID");
            const QList<QVariantList> row {
                {TestDatabase::onPostgres() ? u"numeric"_qs : u"text"_qs, a, a, a, a}};
            QCOMPARE(stored(id), row);
            // Loaded again after the save: each box holds the amount, shown grouped.
            for (const char *c : MoneyControls) {
                const OrvoCurrency *box = d.get<OrvoCurrency>(c);
                QCOMPARE(box->Text(), a);
                QCOMPARE(box->editor()->text(), OrvoCurrency::grouped(a));
            }

            // Only the title changes; the second save writes the same amounts again.
            d.click("cmdEdit");
            d.get<QLineEdit>("txtName")->clear();
            d.type("txtName", u"Edited "_qs + a);
            d.click("cmdSave");
            QCOMPARE(messages.count(), 0);
            QCOMPARE(stored(id), row);
        }
        QCOMPARE(d.get<OrvoCurrency>("txtCost")->editor()->text(), u"333/333/333/333.3333"_qs);
    }

    void searchGridAndTotalsAreExact()
    {
        // Every saved record: each money cell is its amount grouped by characters, each total
        // the exact sum of its column.
        __int128 total = 0;
        for (const QString &a : Amounts)
            total += Money::parse(a)->raw();
        search(u"Edited "_qs, [&](ResultsGrid &g) {
            const int n = int(std::size(Amounts));
            QCOMPARE(g.Rows(), n + 2);
            // Rows come in the order the engine returns them (no order is asked for): each
            // record is found by its title.
            QStringList titles;
            for (int i = 1; i <= n; ++i)
                titles << g.TextMatrix(i, 6);
            for (const QString &a : Amounts) {
                const int i = int(titles.indexOf(u"Edited "_qs + a)) + 1;
                QVERIFY2(i > 0, qPrintable(a));
                for (int c = 12; c <= 15; ++c) {
                    QCOMPARE(g.TextMatrix(i, c), GroupDigits(a));
                    QCOMPARE(g.cellAmount(i, c), *Money::parse(a));
                }
            }
            for (int c = 12; c <= 15; ++c)
                QCOMPARE(g.TextMatrix(n + 1, c), GroupDigits(Money::scaledText(total)));
        });
        // Three records of 333333333333.3333 total 999999999999.9999 exactly; grouping counts
        // characters, the fraction included.
        search(u"Edited 333333333333.3333"_qs, [](ResultsGrid &g) {
            QCOMPARE(g.Rows(), 5);
            QCOMPARE(g.TextMatrix(1, 12), u"33/333/333/333/3.3/333"_qs);
            QCOMPARE(g.TextMatrix(4, 12), u"99/999/999/999/9.9/999"_qs);
            QCOMPARE(g.TextMatrix(4, 15), GroupDigits(u"999999999999.9999"_qs));
        });
        QCOMPARE(messages.count(), 0);
    }

    void malformedOrOutOfRangeIsRefused()
    {
        const QString before = stored(u"1"_qs)[0][1].toString();
        const bool pg = TestDatabase::onPostgres();
        // Statements of the program: beyond either end, a fifth decimal, an exponent. (A
        // server's numeric(19,4) rounds a fifth decimal, as SQL Server's decimal does; the
        // program itself never writes one.)
        Recordset &rs = DtEn().rssqlAccountManager();
        for (const char *value :
            {"922337203685477.5808", "-922337203685477.5809", "0.00001", "1e20"}) {
            if (pg && qstrcmp(value, "0.00001") == 0)
                continue;
            QVERIFY_THROWS_EXCEPTION(VelaError,
                RunQuery(rs,
                    u"Update tblAssetEstablishment Set Cost=%1 Where ID=1"_qs.arg(
                        QLatin1String(value))));
        }
        // Any other writer: text that is not the amount's shortest decimal (SQLite keeps text;
        // a server reads any spelling of the number as the number), and other types.
        const QStringList malformed = pg ? QStringList {"'1,000'", "'abc'", "x'3132'"}
                                         : QStringList {"'12.50'", "'012'", "'-0'", "'.5'", "' 12'",
                                             "'1,000'", "'abc'", "x'3132'"};
        for (const QString &value : malformed)
            QVERIFY_THROWS_EXCEPTION(VelaError,
                db.exec(u"UPDATE tblAssetEstablishment SET AbortCost=%1 WHERE ID=1"_qs.arg(value)));
        QCOMPARE(stored(u"1"_qs)[0][1].toString(), before);
        // The accounting rows keep exact amounts as well.
        db.exec(u"UPDATE tblAccountDocumentDetail SET Debit='98765432109876.25' WHERE ID=1"_qs);
        if (!pg)
            QVERIFY_THROWS_EXCEPTION(VelaError,
                db.exec(u"UPDATE tblAccountDocumentDetail SET Credit='1.0' WHERE ID=1"_qs));
        QCOMPARE(db.scalar(u"SELECT Debit FROM tblAccountDocumentDetail WHERE ID=1"_qs),
            QVariant(u"98765432109876.25"_qs));
    }
};

QTEST_MAIN(TestMoney)
#include "tst_money.moc"
