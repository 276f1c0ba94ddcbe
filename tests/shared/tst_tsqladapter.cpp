// The statement adapter: T-SQL text as the forms build it, rewritten for SQLite in one place
// without ever touching a string literal.
#include "shared/TsqlAdapter.h"

#include <QtTest>

using namespace vela;

class TstTsqlAdapter : public QObject {
    Q_OBJECT
private slots:
    void adaptation_data();
    void adaptation();
};

void TstTsqlAdapter::adaptation_data()
{
    QTest::addColumn<QString>("tsql");
    QTest::addColumn<QString>("sqlite");
    // Isnull, Delete without FROM and quoted aliases are rewritten; literals never are.
    QTest::newRow("Isnull")
        << QStringLiteral(
               "Select Isnull(BasePath,'') as InstallDirectory from vwOrvoBasePath Where ID=1 ")
        << QStringLiteral(
               "Select ifnull(BasePath,'') as InstallDirectory from vwOrvoBasePath Where ID=1 ");
    QTest::newRow("Delete without from")
        << QStringLiteral("Delete tblAssetEstablishment Where ID=5")
        << QStringLiteral("Delete from tblAssetEstablishment Where ID=5");
    QTest::newRow("Delete in a literal")
        << QStringLiteral("delete from t where a='Delete x Where'")
        << QStringLiteral("delete from t where a='Delete x Where'");
    QTest::newRow("quoted aliases")
        << QStringLiteral("select ID as 'شماره رايانه اي',Name as 'it''s \"x\"' from t")
        << QStringLiteral("select ID as \"شماره رايانه اي\",Name as \"it's \"\"x\"\"\" from t");
    QTest::newRow("Isnull in literals and comments")
        << QStringLiteral("select 'Isnull(a,b)', Isnull (a, 'as ''x''') from t -- Isnull(")
        << QStringLiteral("select 'Isnull(a,b)', ifnull (a, 'as ''x''') from t -- Isnull(");
    QTest::newRow("a column named isnull")
        << QStringLiteral("select a isnull from t") << QStringLiteral("select a isnull from t");
    QTest::newRow("unterminated literal, left to the engine")
        << QStringLiteral("select 'abc") << QStringLiteral("select 'abc");
    // Literals with a point become exact text in their shortest form, a sign in front of one
    // with them; whole numbers, exponents, subtraction, words and strings stay as written.
    QTest::newRow("decimal literals")
        << QStringLiteral("Update t Set Cost=98765432109876.25,AbortCost=-0.0001,X=-5 Where ID=3")
        << QStringLiteral(
               "Update t Set Cost='98765432109876.25',AbortCost='-0.0001',X=-5 Where ID=3");
    QTest::newRow("signs and zeros")
        << QStringLiteral("values (1,- 922337203685477.5808, 12.50,.5,3., -0.00,007.10)")
        << QStringLiteral("values (1,'-922337203685477.5808', '12.5','0.5','3', '0','7.1')");
    QTest::newRow("subtraction")
        << QStringLiteral("select a -1.5, b-2.25, (c)-0.5, 'x'-1.5 from t where a=-1.5 and -1.5<a")
        << QStringLiteral("select a -'1.5', b-'2.25', (c)-'0.5', 'x'-'1.5' from t where "
                          "a='-1.5' and '-1.5'<a");
    QTest::newRow("exponents, names, strings, comments")
        << QStringLiteral("select 1e5, -1.5e-3, 2nd, t2.c3, x.y, '1.50' -- 2.50")
        << QStringLiteral("select 1e5, -1.5e-3, 2nd, t2.c3, x.y, '1.50' -- 2.50");
    // Binary literals (an odd count of digits gets a zero in front); not inside a text, nor a
    // word that only starts like one.
    QTest::newRow("binary literals")
        << QStringLiteral("values (0x89504e47, 0xABC, 0x, '0x1F', 0x1G, x0x1)")
        << QStringLiteral("values (X'89504e47', X'0ABC', X'', '0x1F', 0x1G, x0x1)");
}

void TstTsqlAdapter::adaptation()
{
    QFETCH(QString, tsql);
    QFETCH(QString, sqlite);
    QCOMPARE(adaptTsqlForSqlite(tsql), sqlite);
}

QTEST_APPLESS_MAIN(TstTsqlAdapter)
#include "tst_tsqladapter.moc"
