// The backends' own pieces, without a server: how T-SQL becomes SQLite's and PostgreSQL's text
// (never touching a string literal), how a connection string of each provider becomes the client
// library's, and how SQL Server's values arrive in the result store from ODBC's own C types.
// (The PostgreSQL backend against a live server is in every *_pg test; SQL Server cannot be
// started here.)
#include "common/Failure.h"
#include "shared/ConnectionString.h"
#include "shared/DataEnvironment.h"
#include "shared/Money.h"
#include "shared/OdbcBackend.h"
#include "shared/PgBackend.h"
#include "shared/TsqlAdapter.h"
#include "shared/VelaError.h"

#include <QtTest>
#include <sql.h>
#include <sqlext.h>

using namespace vela;

namespace {
ConnectionString cs(const char *text)
{
    return ConnectionString::parse(QString::fromUtf8(text));
}
} // namespace

class TstBackends : public QObject {
    Q_OBJECT
private slots:
    void tsqlForSqlite();
    void tsqlForPostgres();
    void connectionStrings();
    void sqlServerValues();
    void sqlServerUnreachable();
};

void TstBackends::tsqlForSqlite()
{
    const char *const cases[][2] = {
        // Isnull, Delete without FROM and quoted aliases are rewritten; literals never are.
        {"select 'Isnull(a,b)', Isnull (a, 'as ''x''') from t -- Isnull(",
            "select 'Isnull(a,b)', ifnull (a, 'as ''x''') from t -- Isnull("},
        {"Delete tblAssetEstablishment Where ID=5", "Delete from tblAssetEstablishment Where ID=5"},
        {"delete from t where a='Delete x Where'", "delete from t where a='Delete x Where'"},
        {"select ID as 'شماره رايانه اي',Name as 'it''s \"x\"' from t",
            "select ID as \"شماره رايانه اي\",Name as \"it's \"\"x\"\"\" from t"},
        {"select a isnull from t", "select a isnull from t"},
        {"select 'abc", "select 'abc"}, // unterminated: left to the engine
        // Literals with a point become exact text in their shortest form, a sign in front of one
        // with them; whole numbers, exponents, subtraction, words and strings stay as written.
        {"Update t Set Cost=98765432109876.25,AbortCost=-0.0001,X=-5 Where ID=3",
            "Update t Set Cost='98765432109876.25',AbortCost='-0.0001',X=-5 Where ID=3"},
        {"values (1,- 922337203685477.5808, 12.50,.5,3., -0.00,007.10)",
            "values (1,'-922337203685477.5808', '12.5','0.5','3', '0','7.1')"},
        {"select a -1.5, b-2.25, (c)-0.5, 'x'-1.5 from t where a=-1.5 and -1.5<a",
            "select a -'1.5', b-'2.25', (c)-'0.5', 'x'-'1.5' from t where a='-1.5' and '-1.5'<a"},
        {"select 1e5, -1.5e-3, 2nd, t2.c3, x.y, '1.50' -- 2.50",
            "select 1e5, -1.5e-3, 2nd, t2.c3, x.y, '1.50' -- 2.50"},
        // Binary literals (an odd count of digits gets a zero in front); not inside a text, nor
        // a word that only starts like one.
        {"values (0x89504e47, 0xABC, 0x, '0x1F', 0x1G, x0x1)",
            "values (X'89504e47', X'0ABC', X'', '0x1F', 0x1G, x0x1)"},
    };
    for (const auto &[tsql, sqlite] : cases)
        QCOMPARE(adaptTsqlForSqlite(QString::fromUtf8(tsql)), QString::fromUtf8(sqlite));
}

void TstBackends::tsqlForPostgres()
{
    const char *const cases[][3] = {
        {"Select getdate() as today", "Select localtimestamp(0) as today", "NULL"},
        {"select Isnull(Name,'Isnull(x)') as 'نام' from t",
            "select coalesce(Name,'Isnull(x)') as \"نام\" from t", "NULL"},
        {"Delete tblAssetEstablishment Where ID=5", "Delete from tblAssetEstablishment Where ID=5",
            "NULL"},
        {"Delete from t Where ID=5", "Delete from t Where ID=5", "NULL"},
        {"Select SCOPE_IDENTITY() as newID", "Select 42 as newID", "42"},
        {"Select SCOPE_IDENTITY() as newID", "Select CAST(NULL AS bigint) as newID", "NULL"},
        {"select 'a like b' where Name like '%ك%' and x not like 'y'",
            "select 'a like b' where Name  ~~~  '%ك%' and x  !~~~  'y'", "NULL"},
        {"select [Order] from [my table]", "select Order from \"my table\"", "NULL"},
        // Binary literals as bytea; a word that only starts like one, and a string, stay.
        {"insert into t values (0x89504E47, 0xABC, 0x, 0x1G, '0xAB')",
            "insert into t values ('\\x89504E47'::bytea, '\\x0ABC'::bytea, '\\x'::bytea, 0x1G, "
            "'0xAB')",
            "NULL"},
        {"BEGIN TRAN", "BEGIN TRANSACTION", "NULL"},
    };
    for (const auto &[tsql, pg, identity] : cases)
        QCOMPARE(adaptTsqlForPostgres(QString::fromUtf8(tsql), QLatin1String(identity)).sql,
            QString::fromUtf8(pg));
    // An insert learns its own identity through RETURNING, placed before a trailing semicolon;
    // not so with two statements (the identity is the single insert's).
    const PgStatement ins = adaptTsqlForPostgres(
        QStringLiteral("insert into tblAssetEstablishment (Name) values ('a;b');"), "NULL");
    QCOMPARE(ins.insertTable, QString("tblAssetEstablishment"));
    QCOMPARE(ins.sql.left(ins.returningAt),
        QString("insert into tblAssetEstablishment (Name) values ('a;b')"));
    QCOMPARE(adaptTsqlForPostgres(QStringLiteral("insert into t values (1); select 1"), "NULL")
                 .returningAt,
        -1);
}

void TstBackends::connectionStrings()
{
    QMap<QByteArray, QByteArray> p;
    for (const auto &[k, v] : PgBackend::connectionParameters(
             cs("Provider=PostgreSQL;Host=db.example;Port=6543;Database=suite;User ID=ali;"
                "Password='p;w';sslmode=verify-full")))
        p.insert(k, v);
    const char *const expected[][2]
        = {{"host", "db.example"}, {"port", "6543"}, {"dbname", "suite"}, {"user", "ali"},
            {"password", "p;w"}, {"sslmode", "verify-full"}, {"client_encoding", "UTF8"}};
    for (const auto &[k, v] : expected)
        QCOMPARE(p.value(k), QByteArray(v));
    // Without a password none is given, so that libpq takes it from ~/.pgpass; without sslmode
    // libpq's own default holds.
    for (const auto &[k, v] :
        PgBackend::connectionParameters(cs("Provider=PostgreSQL;Host=h;User ID=u")))
        QVERIFY2(k != "password" && k != "sslmode", k.constData());

    // SQL Server's string as installed sites write it, in its order of keys; "host,port"; values
    // holding ; or } braced.
    QCOMPARE(odbc::connectionString(
                 cs("Provider=SQLOLEDB.1;Password=s3cret;Persist Security Info=True;User ID=sa;"
                    "Initial Catalog=Suite;Data Source=srv\\SQL2008;Use Procedure for Prepare=1;"
                    "Auto Translate=True;Packet Size=4096;Workstation ID=PC1;"
                    "Use Encryption for Data=False;Tag with column collation when possible=False")),
        QString("Driver=FreeTDS;Server=srv\\SQL2008;Database=Suite;UID=sa;PWD=s3cret;"
                "ClientCharset=UTF-8;TDS_Version=7.4"));
    QCOMPARE(odbc::connectionString(cs("Provider=SQLOLEDB.1;Data Source=10.0.0.5,1533;"
                                       "User ID=u;Password='a;b}c'")),
        QString("Driver=FreeTDS;Server=10.0.0.5;Port=1533;UID=u;PWD={a;b}}c};"
                "ClientCharset=UTF-8;TDS_Version=7.4"));
    // Windows sign-in and a missing server are refused in Persian before anything is tried.
    for (const char *text : {"Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=srv",
             "Provider=SQLOLEDB.1;Initial Catalog=Suite;User ID=sa"}) {
        const VelaError e = failureOf([text] { odbc::connectionString(cs(text)); });
        QVERIFY2(e.number() == ErrConnection && e.description().contains("SQL Server"), text);
    }
}

void TstBackends::sqlServerValues()
{
    ResultTable t;
    t.setColumns({"i", "money", "big", "real", "text", "bin", "date", "ts", "null"});
    t.beginRow();
    const SQLBIGINT i = -2147483648LL;
    odbc::appendValue(t, odbc::fetchFor(SQL_INTEGER), &i, sizeof i);
    const char top[] = "922337203685477.5807", bottom[] = "-922337203685477.5808";
    odbc::appendValue(t, odbc::fetchFor(SQL_DECIMAL), top, qsizetype(strlen(top)));
    odbc::appendValue(t, odbc::fetchFor(SQL_NUMERIC), bottom, qsizetype(strlen(bottom)));
    const double r = 0.5;
    odbc::appendValue(t, odbc::fetchFor(SQL_FLOAT), &r, sizeof r);
    const QString persian = QStringLiteral("كتاب ویژه");
    odbc::appendValue(t, odbc::fetchFor(SQL_WVARCHAR), persian.utf16(), persian.size() * 2);
    const char bytes[] = {'\0', '\xff', 'a'};
    odbc::appendValue(t, odbc::fetchFor(SQL_VARBINARY), bytes, 3);
    const SQL_DATE_STRUCT d {2017, 5, 13};
    odbc::appendValue(t, odbc::fetchFor(SQL_TYPE_DATE), &d, sizeof d);
    const SQL_TIMESTAMP_STRUCT ts {2024, 3, 20, 23, 59, 7, 0};
    odbc::appendValue(t, odbc::fetchFor(SQL_TYPE_TIMESTAMP), &ts, sizeof ts);
    odbc::appendValue(t, odbc::fetchFor(SQL_INTEGER), nullptr, 0);
    t.endRow();

    QCOMPARE(t.value(0, 0), QVariant(qint64(-2147483648LL)));
    // Money at both ends of its range, exact.
    QCOMPARE(t.text(0, 1), QString(top));
    QCOMPARE(t.text(0, 2), QString(bottom));
    QCOMPARE(t.value(0, 3).toDouble(), 0.5);
    QCOMPARE(t.text(0, 4).toUtf8(), persian.toUtf8());
    QCOMPARE(t.value(0, 5).toByteArray(), QByteArray(bytes, 3));
    QCOMPARE(t.text(0, 6), QString("2017-05-13"));
    QCOMPARE(t.text(0, 7), QString("2024-03-20 23:59:07"));
    QVERIFY(t.isNull(0, 8));
    // The C types asked of the driver match: decimals as text, never as a double.
    QCOMPARE(odbc::cType(odbc::Fetch::Decimal), int(SQL_C_CHAR));
    QCOMPARE(odbc::cType(odbc::Fetch::Text), int(SQL_C_WCHAR));

    // SQL Server's error numbers sort as the other engines' conditions.
    QCOMPARE(odbc::failureKind("23000", 2627, {}), FailureKind::Duplicate);
    QCOMPARE(odbc::failureKind(
                 "23000", 547, "The DELETE statement conflicted with the REFERENCE constraint"),
        FailureKind::ForeignKey);
    QCOMPARE(odbc::failureKind("40001", 1205, {}), FailureKind::Busy);
    QCOMPARE(odbc::failureKind("42S02", 208, {}), FailureKind::Structure);
    QCOMPARE(odbc::failureKind("42000", 50000, {}), FailureKind::Refused);
}

void TstBackends::sqlServerUnreachable()
{
    // Through the real driver manager and FreeTDS: a server that is not there is named, by the
    // driver itself, not by a driver manager that could not load it.
    const VelaError e = failureOf([] {
        DataEnvironment env;
        env.cn().setConnectionString(
            QStringLiteral("Provider=SQLOLEDB.1;Data Source=127.0.0.1,1;Initial Catalog=Suite;"
                           "User ID=sa;Password=x"));
        env.spOrvoHasPermission(1, 111);
    });
    QCOMPARE(e.kind(), FailureKind::Unreachable);
    QVERIFY2(e.description().contains(QStringLiteral("127.0.0.1,1")), qPrintable(e.description()));
    QVERIFY2(e.detail().contains(QStringLiteral("[FreeTDS]")), qPrintable(e.detail()));
}

QTEST_GUILESS_MAIN(TstBackends)
#include "tst_backends.moc"
