// The server backends' own pieces, without a server: how a connection string of each provider
// becomes the client library's, how T-SQL becomes PostgreSQL text, and how SQL Server's values
// arrive in the result store from ODBC's own C types. (The PostgreSQL backend against a live
// server is in every *_pg test; SQL Server cannot be started here.)
#include "shared/ConnectionString.h"
#include "shared/DataEnvironment.h"
#include "shared/Money.h"
#include "shared/OdbcBackend.h"
#include "shared/PgBackend.h"
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
QString pg(const char *tsql, const char *identity = "NULL")
{
    return adaptTsqlForPostgres(QString::fromUtf8(tsql), QString::fromLatin1(identity)).sql;
}
} // namespace

class TstBackends : public QObject {
    Q_OBJECT
private slots:
    void postgresConnectionParameters();
    void tsqlForPostgres();
    void sqlServerConnectionString();
    void sqlServerValues();
    void sqlServerUnreachable();
};

void TstBackends::postgresConnectionParameters()
{
    const auto params = PgBackend::connectionParameters(
        cs("Provider=PostgreSQL;Host=db.example;Port=6543;Database=suite;User ID=ali;"
           "Password='p;w';sslmode=verify-full"));
    QMap<QByteArray, QByteArray> p;
    for (const auto &[k, v] : params)
        p.insert(k, v);
    QCOMPARE(p.value("host"), QByteArray("db.example"));
    QCOMPARE(p.value("port"), QByteArray("6543"));
    QCOMPARE(p.value("dbname"), QByteArray("suite"));
    QCOMPARE(p.value("user"), QByteArray("ali"));
    QCOMPARE(p.value("password"), QByteArray("p;w"));
    QCOMPARE(p.value("sslmode"), QByteArray("verify-full"));
    QCOMPARE(p.value("client_encoding"), QByteArray("UTF8"));
    // Without a password none is given, so that libpq takes it from ~/.pgpass; without sslmode
    // libpq's own default holds.
    const auto bare = PgBackend::connectionParameters(cs("Provider=PostgreSQL;Host=h;User ID=u"));
    for (const auto &[k, v] : bare)
        QVERIFY2(k != "password" && k != "sslmode", k.constData());
}

void TstBackends::tsqlForPostgres()
{
    // The pieces the forms write, adapted; string literals stay exactly as written.
    QCOMPARE(pg("Select getdate() as today"), QString("Select localtimestamp(0) as today"));
    QCOMPARE(pg("select Isnull(Name,'Isnull(x)') as 'نام' from t"),
        QString("select coalesce(Name,'Isnull(x)') as \"نام\" from t"));
    QCOMPARE(pg("Delete tblAssetEstablishment Where ID=5"),
        QString("Delete from tblAssetEstablishment Where ID=5"));
    QCOMPARE(pg("Delete from t Where ID=5"), QString("Delete from t Where ID=5"));
    QCOMPARE(pg("Select SCOPE_IDENTITY() as newID", "42"), QString("Select 42 as newID"));
    QCOMPARE(
        pg("Select SCOPE_IDENTITY() as newID"), QString("Select CAST(NULL AS bigint) as newID"));
    QCOMPARE(pg("select 'a like b' where Name like '%ك%' and x not like 'y'"),
        QString("select 'a like b' where Name  ~~~  '%ك%' and x  !~~~  'y'"));
    QCOMPARE(pg("select [Order] from [my table]"), QString("select Order from \"my table\""));
    // Binary literals as bytea, an odd count of digits with a zero before them; a word that only
    // starts like one, and a string, stay.
    QCOMPARE(pg("insert into t values (0x89504E47, 0xABC, 0x, 0x1G, '0xAB')"),
        QString("insert into t values ('\\x89504E47'::bytea, '\\x0ABC'::bytea, '\\x'::bytea, 0x1G, "
                "'0xAB')"));
    QCOMPARE(pg("BEGIN TRAN"), QString("BEGIN TRANSACTION"));
    // An insert learns its own identity through RETURNING, placed before a trailing semicolon.
    const PgStatement ins = adaptTsqlForPostgres(
        QStringLiteral("insert into tblAssetEstablishment (Name) values ('a;b');"), "NULL");
    QCOMPARE(ins.insertTable, QString("tblAssetEstablishment"));
    QCOMPARE(ins.sql.left(ins.returningAt),
        QString("insert into tblAssetEstablishment (Name) values ('a;b')"));
    // Two statements: no RETURNING (the identity is the single insert's).
    QCOMPARE(adaptTsqlForPostgres(QStringLiteral("insert into t values (1); select 1"), "NULL")
                 .returningAt,
        -1);
}

void TstBackends::sqlServerConnectionString()
{
    // The host's string as installed sites write it, in its order of keys.
    QCOMPARE(odbc::connectionString(
                 cs("Provider=SQLOLEDB.1;Password=s3cret;Persist Security Info=True;User ID=sa;"
                    "Initial Catalog=Suite;Data Source=srv\\SQL2008;Use Procedure for Prepare=1;"
                    "Auto Translate=True;Packet Size=4096;Workstation ID=PC1;"
                    "Use Encryption for Data=False;Tag with column collation when possible=False")),
        QString("Driver=FreeTDS;Server=srv\\SQL2008;Database=Suite;UID=sa;PWD=s3cret;"
                "ClientCharset=UTF-8;TDS_Version=7.4"));
    // "host,port"; values holding ; or } braced.
    QCOMPARE(odbc::connectionString(cs("Provider=SQLOLEDB.1;Data Source=10.0.0.5,1533;"
                                       "User ID=u;Password='a;b}c'")),
        QString("Driver=FreeTDS;Server=10.0.0.5;Port=1533;UID=u;PWD={a;b}}c};"
                "ClientCharset=UTF-8;TDS_Version=7.4"));
    // Windows sign-in and a missing server are refused in Persian before anything is tried.
    for (const char *text : {"Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=srv",
             "Provider=SQLOLEDB.1;Initial Catalog=Suite;User ID=sa"}) {
        try {
            odbc::connectionString(cs(text));
            QFAIL(text);
        } catch (const VelaError &e) {
            QCOMPARE(e.number(), int(ErrConnection));
            QVERIFY2(e.description().contains(QStringLiteral("SQL Server")), text);
        }
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
    // Through the real driver manager and FreeTDS: a server that is not there is named.
    DataEnvironment env;
    env.cn().setConnectionString(
        QStringLiteral("Provider=SQLOLEDB.1;Data Source=127.0.0.1,1;Initial Catalog=Suite;"
                       "User ID=sa;Password=x"));
    try {
        env.spOrvoHasPermission(1, 111);
        QFAIL("connected to nothing");
    } catch (const VelaError &e) {
        QCOMPARE(e.kind(), FailureKind::Unreachable);
        QVERIFY2(
            e.description().contains(QStringLiteral("127.0.0.1,1")), qPrintable(e.description()));
        // ... by the driver itself, not by a driver manager that could not load it.
        QVERIFY2(e.detail().contains(QStringLiteral("[FreeTDS]")), qPrintable(e.detail()));
    }
}

QTEST_GUILESS_MAIN(TstBackends)
#include "tst_backends.moc"
