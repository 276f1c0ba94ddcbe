// Connection strings: OLE DB style Key=Value pairs, quoted values, and what is refused.
#include "shared/ConnectionString.h"
#include "shared/VelaError.h"

#include <QtTest>

using namespace vela;

class TstConnectionString : public QObject {
    Q_OBJECT
private slots:
    void parsing();
    void refused_data();
    void refused();
};

void TstConnectionString::parsing()
{
    const ConnectionString cs = ConnectionString::parse(QStringLiteral(
        " provider = SQLite ; DATA SOURCE=\"/tmp/a;b.db\";Password='it''s';Empty=;"));
    QCOMPARE(cs.provider(), QStringLiteral("SQLite"));
    QCOMPARE(cs.value(QStringLiteral("Data Source")), QStringLiteral("/tmp/a;b.db"));
    QCOMPARE(cs.value(QStringLiteral("password")), QStringLiteral("it's"));
    QVERIFY(cs.contains(QStringLiteral("EMPTY")));
    QCOMPARE(cs.value(QStringLiteral("Empty"), QStringLiteral("x")), QString());
}

void TstConnectionString::refused_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("a key alone") << QStringLiteral("Provider");
    QTest::newRow("an unterminated quote")
        << QStringLiteral("Provider=SQLite;Data Source='unterminated");
    QTest::newRow("no key") << QStringLiteral("=x");
    QTest::newRow("text after a quote") << QStringLiteral("A='b' c");
}

void TstConnectionString::refused()
{
    QFETCH(QString, text);
    try {
        ConnectionString::parse(text);
        QFAIL("parsed");
    } catch (const VelaError &e) {
        QCOMPARE(e.number(), int(ErrConnection));
        QVERIFY(!e.description().isEmpty());
    }
}

QTEST_APPLESS_MAIN(TstConnectionString)
#include "tst_connectionstring.moc"
