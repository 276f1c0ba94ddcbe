// The data environment on the embedded backend: opening failures, real statements and their
// trace, the stored procedures, the server date, like() and money columns of earlier databases.
#include "common/Failure.h"
#include "shared/DataEnvironment.h"
#include "shared/Money.h"
#include "shared/Sqlite.h"
#include "shared/SqliteBackend.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace vela;

class TstSqliteBackend : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_db;

    void exec(const char *sql)
    {
        sqlite::Database db(m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, QString());
        db.exec(sql);
    }

    void useDatabase(qint32 user)
    {
        CurrentUserID = user;
        CurrentConnectionString = QStringLiteral("Provider=SQLite;Data Source=\"%1\"").arg(m_db);
        ResetDataEnvironment();
    }

private slots:
    void initTestCase()
    {
        m_db = m_dir.filePath(QStringLiteral("suite's db.sqlite")); // a quote in the path too
        exec(
            "CREATE TABLE tblOrvoUserPermission(UserID INTEGER, FormPermissionID INTEGER);"
            "INSERT INTO tblOrvoUserPermission VALUES (1, 111), (1, 102214805), (2, 111);"
            "CREATE TABLE tblOrvoFormAction(ID INTEGER PRIMARY KEY AUTOINCREMENT, EventID INTEGER, FormCode TEXT,"
            " FormTypeID INTEGER, Description TEXT, UserID INTEGER, EventDate TEXT, FarsiEventDate TEXT, EventTime INTEGER);"
            "CREATE TABLE tblParent(ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT, Cost NUMERIC(19,4), BasePath TEXT);"
            "INSERT INTO tblParent(Name, Cost, BasePath) VALUES ('يك', 1500000.0, NULL), ('دو', 1234.5, '/opt/suite/');");
    }

    void openingFailures()
    {
        // Unknown provider, missing file, empty string: clear failures when the first statement
        // runs (a file that is no database is a damaged one: tst_dbfailures); and the server date
        // is then the workstation's, quietly.
        for (const char *wrong : {"Provider=Oracle;Data Source=x",
                 "Provider=SQLite;Data Source=/nonexistent/db.sqlite", "Data Source=/tmp/x", ""}) {
            CurrentConnectionString = QString::fromUtf8(wrong);
            ResetDataEnvironment();
            const VelaError e = failureOf([] { HasPermission(111); });
            QVERIFY2(e.number() == ErrConnection, wrong);
            QCOMPARE(ServerDate(), QDate::currentDate());
        }
    }

    void realStatements()
    {
        useDatabase(1);
        const QString trace = m_dir.filePath(QStringLiteral("trace.txt"));
        qputenv("VELA_SQL_TRACE", trace.toUtf8());

        // Quotes, percent signs, backslashes, Persian and emoji reach the table and come back
        // unchanged.
        const QString text = QStringLiteral("O'Brien %1 \\n 100% ي ی ك ک 😀 '' ;--");
        Recordset &rs = DtEn().rssqlAccountManager();
        RunQuery(rs,
            QStringLiteral("insert into tblParent(Name, Cost) values ('") + SqlText(text)
                + QStringLiteral("', 12.5)"));
        RunQuery(rs, QStringLiteral("Select SCOPE_IDENTITY() as newID"));
        QCOMPARE(rs.RecordCount(), 1);
        const QString id = NumberText(ToNumber(rs.FieldText(QStringLiteral("NEWID"))));
        QCOMPARE(id, QStringLiteral("3"));
        RunQuery(rs, QStringLiteral("select * from tblParent Where ID=") + id);
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.FieldText(QStringLiteral("name")), text);
        QCOMPARE(rs.FieldText(QStringLiteral("Cost")), QStringLiteral("12.5"));
        QVERIFY(rs.FieldIsNull(QStringLiteral("BasePath")));
        QVERIFY_THROWS_EXCEPTION(VelaError, rs.Field(QStringLiteral("NoSuchColumn")));
        // Money stored whole reads back without a decimal tail.
        RunQuery(
            rs, QStringLiteral("select Cost, Isnull(BasePath,'') as P from tblParent Where ID=1"));
        QCOMPARE(rs.FieldText(QStringLiteral("Cost")), QStringLiteral("1500000"));
        QCOMPARE(rs.FieldText(QStringLiteral("P")), QString());
        // Aliases in single quotes, and like() that does not care which ي/ك the user typed.
        RunQuery(rs,
            QStringLiteral("select Name as 'نام' from tblParent Where 1=1 and Name like '%یک%'"));
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.table().columnName(0), QStringLiteral("نام"));
        QCOMPARE(rs.FieldText(QStringLiteral("نام")), QStringLiteral("يك"));
        RunQuery(rs,
            QStringLiteral(
                "select ID from tblParent Where Name like 'o''b%' and Name like '%\\n%'"));
        QCOMPARE(rs.RecordCount(), 1);
        // Delete without FROM.
        RunQuery(rs, QStringLiteral("Delete tblParent Where ID=2"));
        RunQuery(rs, QStringLiteral("select count(*) as n from tblParent"));
        QCOMPARE(rs.FieldText(QStringLiteral("n")), QStringLiteral("2"));

        // Permissions: granted, refused although the call succeeded; each user's own.
        QVERIFY(HasPermission(111) && HasPermission(102214805) && !HasPermission(102214803));
        useDatabase(2);
        QVERIFY(HasPermission(111) && !HasPermission(102214805));

        // The log procedure stores its arguments; the trace shows the call.
        const QString action = QStringLiteral("فرم استقرار به ش.ر. ”3“ ايجاد شد. %1 'x'");
        DtEn().spOrvoInsertFormAction(102214801, QStringLiteral("3"), 1022148, action, 2,
            QDateTime(QDate(2024, 3, 20), QTime()), QStringLiteral("1402/12/30"), 615);
        RunQuery(rs, QStringLiteral("select * from tblOrvoFormAction"));
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.FieldText(QStringLiteral("EventDate")), QStringLiteral("2024-03-20"));
        QCOMPARE(rs.FieldText(QStringLiteral("EventTime")), QStringLiteral("615"));
        QCOMPARE(rs.FieldText(QStringLiteral("Description")), action);
        // Server date comes from getdate().
        QCOMPARE(ServerDate(), QDate::currentDate());
        SqlTrace::write(QStringLiteral("select 1\r\nfrom t\nwhere a='\r'"));

        qunsetenv("VELA_SQL_TRACE");
        RunQuery(rs, QStringLiteral("select 1 as untraced"));
        QFile f(trace);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList lines
            = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(lines.contains(QStringLiteral(
            "CALL spOrvoInsertFormAction(102214801, '3', 1022148, 'فرم استقرار به ش.ر. ”3“ ايجاد شد. %1 ''x''', 2, '2024-03-20 00:00:00', '1402/12/30', 615)")));
        QVERIFY(lines.contains(QStringLiteral("Select getdate() as today")));
        // Line breaks are escaped, so that every statement is one line; nothing after the end.
        QCOMPARE(lines.last(), QStringLiteral("select 1\\r\\nfrom t\\nwhere a='\\r'"));
    }

    void likeMatching()
    {
        // Either Yeh and Kaf, any case; ASCII, Persian and Arabic-Indic digits are the same
        // digits, each way round. The last pattern of each row does not match.
        const char *const rows[][4] = {{"%ي%", "علی", "%a%b", "xxaxxbxx"},
            {"%ک%", "كتاب", "a_c", "abbc"}, {"a_c", "ABC", "_", ""}, {"%a%b%", "xxaxxbxx", "", "x"},
            {"%", "", "%۱۰۰۰۲%", "100032"}, {"%۱۰۰۰۲%", "A-100025", "100!%", "1000"},
            {"%1002_", "پلاک ١٠٠٢٥", "a", "b"}, {"٧۷7", "۷7٧", "a", "b"}};
        for (const auto &r : rows) {
            QVERIFY2(persianLikeMatch(r[0], r[1], 0), r[0]);
            QVERIFY2(!persianLikeMatch(r[2], r[3], '!'), r[2]);
        }
        QVERIFY(persianLikeMatch("100!%", "100%", '!'));
    }

    void earlierMoneyColumns()
    {
        // Databases made before money was kept as text hold fractions as doubles: each reads as
        // the amount it was written as, at four decimals, also beyond 15 significant digits.
        useDatabase(1);
        exec("INSERT INTO tblParent(ID, Cost) VALUES (101, 333333333333.3333), "
             "(102, 98765432109876.25), (103, 0.1 + 0.2), (104, -0.0001), (105, 1e300)");
        const char *const expected[]
            = {"333333333333.3333", "98765432109876.25", "0.3", "-0.0001", nullptr};
        Recordset &rs = DtEn().rssqlCommon();
        RunQuery(rs,
            QStringLiteral("select Cost as 'مبلغ', typeof(Cost) as T from tblParent "
                           "where ID > 100 order by ID"));
        QCOMPARE(rs.RecordCount(), 5);
        for (const char *e : expected) {
            QCOMPARE(rs.FieldText(QStringLiteral("T")), QStringLiteral("real"));
            if (e)
                QCOMPARE(rs.FieldText(QStringLiteral("مبلغ")), QString::fromLatin1(e));
            else // no amount at all: shown as the double it is
                QCOMPARE(rs.FieldText(QStringLiteral("مبلغ")), QStringLiteral("1e+300"));
            rs.MoveNext();
        }
        rs.Close();
    }
};

QTEST_MAIN(TstSqliteBackend)
#include "tst_sqlitebackend.moc"
