// The data layer and the shared procedures: T-SQL adaptation, connection strings, number
// reading and grouping, money, the statement trace and real statements on SQLite.
#include "shared/ConnectionString.h"
#include "shared/DataEnvironment.h"
#include "shared/Money.h"
#include "shared/ResultTable.h"
#include "shared/SqliteBackend.h"
#include "shared/TsqlAdapter.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace vela;

class TstShared : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_db;

    void exec(const char *sql)
    {
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(m_db.toUtf8().constData(), &db), SQLITE_OK);
        char *err = nullptr;
        const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err);
        const QString msg = QString::fromUtf8(err ? err : "");
        sqlite3_free(err);
        sqlite3_close(db);
        QVERIFY2(rc == SQLITE_OK, qPrintable(msg));
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
            "CREATE TABLE tblChild(ID INTEGER PRIMARY KEY, ParentID INTEGER REFERENCES tblParent(ID));"
            "INSERT INTO tblParent(Name, Cost, BasePath) VALUES ('يك', 1500000.0, NULL), ('دو', 1234.5, '/opt/suite/');"
            "INSERT INTO tblChild VALUES (1, 1);");
    }

    void adaptation()
    {
        // Isnull, Delete without FROM and quoted aliases are rewritten; literals never are.
        QCOMPARE(
            adaptTsqlForSqlite(QStringLiteral(
                "Select Isnull(BasePath,'') as InstallDirectory from vwOrvoBasePath Where ID=1 ")),
            QStringLiteral(
                "Select ifnull(BasePath,'') as InstallDirectory from vwOrvoBasePath Where ID=1 "));
        QCOMPARE(adaptTsqlForSqlite(QStringLiteral("Delete tblAssetEstablishment Where ID=5")),
            QStringLiteral("Delete from tblAssetEstablishment Where ID=5"));
        QCOMPARE(adaptTsqlForSqlite(QStringLiteral("delete from t where a='Delete x Where'")),
            QStringLiteral("delete from t where a='Delete x Where'"));
        QCOMPARE(adaptTsqlForSqlite(
                     QStringLiteral("select ID as 'شماره رايانه اي',Name as 'it''s \"x\"' from t")),
            QStringLiteral("select ID as \"شماره رايانه اي\",Name as \"it's \"\"x\"\"\" from t"));
        QCOMPARE(adaptTsqlForSqlite(QStringLiteral(
                     "select 'Isnull(a,b)', Isnull (a, 'as ''x''') from t -- Isnull(")),
            QStringLiteral("select 'Isnull(a,b)', ifnull (a, 'as ''x''') from t -- Isnull("));
        // A column named like the function but not called stays.
        QCOMPARE(adaptTsqlForSqlite(QStringLiteral("select a isnull from t")),
            QStringLiteral("select a isnull from t"));
        // Binary literals (an odd count of digits has a zero before them); not inside a text,
        // nor a word that only starts like one.
        QCOMPARE(adaptTsqlForSqlite(
                     QStringLiteral("values (0x89504e47, 0xABC, 0x, '0x1F', 0x1G, x0x1)")),
            QStringLiteral("values (X'89504e47', X'0ABC', X'', '0x1F', 0x1G, x0x1)"));
        // An unterminated literal is left to the engine to reject.
        QCOMPARE(adaptTsqlForSqlite(QStringLiteral("select 'abc")), QStringLiteral("select 'abc"));
    }

    void decimalLiterals()
    {
        // Literals with a point become exact text in their shortest form, a sign in front of one
        // with them; whole numbers, exponents, subtraction, words and strings stay as written.
        const char *const cases[][2]
            = {{"Update t Set Cost=98765432109876.25,AbortCost=-0.0001,X=-5 Where ID=3",
                   "Update t Set Cost='98765432109876.25',AbortCost='-0.0001',X=-5 Where ID=3"},
                {"values (1,- 922337203685477.5808, 12.50,.5,3., -0.00,007.10)",
                    "values (1,'-922337203685477.5808', '12.5','0.5','3', '0','7.1')"},
                {"select a -1.5, b-2.25, (c)-0.5, 'x'-1.5 from t where a=-1.5 and -1.5<a",
                    "select a -'1.5', b-'2.25', (c)-'0.5', 'x'-'1.5' from t where a='-1.5' and "
                    "'-1.5'<a"},
                {"select 1e5, -1.5e-3, 2nd, t2.c3, x.y, '1.50' -- 2.50",
                    "select 1e5, -1.5e-3, 2nd, t2.c3, x.y, '1.50' -- 2.50"}};
        for (const auto &c : cases)
            QCOMPARE(adaptTsqlForSqlite(QString::fromUtf8(c[0])), QString::fromUtf8(c[1]));
    }

    void connectionStrings()
    {
        const ConnectionString cs = ConnectionString::parse(QStringLiteral(
            " provider = SQLite ; DATA SOURCE=\"/tmp/a;b.db\";Password='it''s';Empty=;"));
        QCOMPARE(cs.provider(), QStringLiteral("SQLite"));
        QCOMPARE(cs.value(QStringLiteral("Data Source")), QStringLiteral("/tmp/a;b.db"));
        QCOMPARE(cs.value(QStringLiteral("password")), QStringLiteral("it's"));
        QVERIFY(cs.contains(QStringLiteral("EMPTY")));
        QCOMPARE(cs.value(QStringLiteral("Empty"), QStringLiteral("x")), QString());

        for (const char *bad :
            {"Provider", "Provider=SQLite;Data Source='unterminated", "=x", "A='b' c"}) {
            try {
                ConnectionString::parse(QString::fromUtf8(bad));
                QFAIL(bad);
            } catch (const VelaError &e) {
                QCOMPARE(e.number(), int(ErrConnection));
                QVERIFY(!e.description().isEmpty());
            }
        }
        // Unknown provider, missing file, empty string: clear failures when the first statement
        // runs.
        const QStringList wrong {QStringLiteral("Provider=Oracle;Data Source=x"),
            QStringLiteral("Provider=SQLite;Data Source=/nonexistent/db.sqlite"),
            QStringLiteral("Data Source=/tmp/x"), QString()};
        for (const QString &w : wrong) {
            CurrentConnectionString = w;
            ResetDataEnvironment();
            try {
                HasPermission(111);
                QFAIL(qPrintable(w));
            } catch (const VelaError &e) {
                QVERIFY2(e.number() == ErrConnection, qPrintable(e.description()));
            }
        }
        // A file that is not a database.
        const QString junk = m_dir.filePath(QStringLiteral("junk.sqlite"));
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        QVERIFY_THROWS_EXCEPTION(VelaError, SqliteBackend {junk});
    }

    void toNumber()
    {
        QCOMPARE(ToNumber(QString()), QVariant(qint32(-1)));
        QCOMPARE(ToNumber(QStringLiteral("   ")), QVariant(qint32(-1)));
        QCOMPARE(ToNumber(QStringLiteral("\t")).toDouble(), 0.0); // not blank: no leading number
        QCOMPARE(ToNumber(QStringLiteral("True")), QVariant(qint32(1)));
        QCOMPARE(ToNumber(QStringLiteral("true")).toDouble(), 0.0);
        QCOMPARE(ToNumber(QStringLiteral("1396/02/23")).toDouble(), 13960223.0);
        QCOMPARE(ToNumber(QStringLiteral("abc")).toDouble(), 0.0);
        QCOMPARE(ToNumber(QStringLiteral("12abc")).toDouble(), 12.0);
        QCOMPARE(ToNumber(QStringLiteral(" 1 2 3 ")).toDouble(), 123.0);
        QCOMPARE(ToNumber(QStringLiteral("12\r34")).toDouble(),
            12.0); // only blanks, tabs, line feeds skipped
        QCOMPARE(ToNumber(QStringLiteral("-1.5e2")).toDouble(), -150.0);
        QCOMPARE(ToNumber(QStringLiteral("2D3")).toDouble(), 2000.0);
        QCOMPARE(ToNumber(QStringLiteral("1.2.3")).toDouble(), 1.2);
        QCOMPARE(ToNumber(QStringLiteral("&H1F")).toDouble(), 31.0);
        QCOMPARE(ToNumber(QStringLiteral("&HFFFF")).toDouble(), -1.0);
        QCOMPARE(ToNumber(QStringLiteral("&O17")).toDouble(), 15.0);
        QCOMPARE(ToNumber(QStringLiteral("۱۲۳")).toDouble(), 123.0);
        QCOMPARE(ToNumber(QStringLiteral("1e999")), QVariant(qint32(0))); // overflow
        QCOMPARE(ToNumber(QString(400, QLatin1Char('9'))), QVariant(qint32(0)));

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

    void grouping()
    {
        QCOMPARE(GroupDigits(QString()), QString());
        QCOMPARE(GroupDigits(QStringLiteral("123")), QStringLiteral("123"));
        QCOMPARE(GroupDigits(QStringLiteral("1000")), QStringLiteral("1/000"));
        QCOMPARE(GroupDigits(QStringLiteral("100000")), QStringLiteral("100/000"));
        QCOMPARE(GroupDigits(QStringLiteral("1234567")), QStringLiteral("1/234/567"));
        QCOMPARE(GroupDigits(QStringLiteral("1234.5")), QStringLiteral("123/4.5"));
        QCOMPARE(GroupDigits(QStringLiteral("-123")), QStringLiteral("-/123"));

        QString t = QStringLiteral("12/345");
        QCOMPARE(UngroupDigits(t).raw(), Money::fromRaw(123450000).raw());
        QCOMPARE(t, QStringLiteral("12345"));
        t = QStringLiteral("1/234/567.89");
        QCOMPARE(UngroupDigits(t).toString(), QStringLiteral("1234567.89"));
        t = QString();
        QCOMPARE(UngroupDigits(t).raw(), 0);
        t = QStringLiteral("12abc");
        QCOMPARE(UngroupDigits(t).toString(), QStringLiteral("12"));
        t = QStringLiteral("1.2.3"); // looks numeric, is no amount: read classically, no overflow
        QCOMPARE(UngroupDigits(t).toString(), QStringLiteral("1.2"));
        t = QStringLiteral("-");
        QCOMPARE(UngroupDigits(t).raw(), 0);
        t = QStringLiteral("922/337/203/685/477.5807");
        QCOMPARE(UngroupDigits(t).toString(), QStringLiteral("922337203685477.5807"));
        t = QStringLiteral("922/337/203/685/477.5808");
        QVERIFY_THROWS_EXCEPTION(VelaError, UngroupDigits(t));
        t = QStringLiteral("1e300");
        QVERIFY_THROWS_EXCEPTION(VelaError, UngroupDigits(t));
    }

    void money()
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
        QCOMPARE(
            Money::fromDouble(333333333333.3333).toString(), QStringLiteral("333333333333.3333"));
        QCOMPARE(Money::fromDouble(0.00015).raw(), 2); // the double's shortest text, half to even
        QCOMPARE(Money::parse(QLatin1String("-98765432109876.25"))->raw(), -987654321098762500);
        QVERIFY(!Money::parse(QLatin1String("\xdb\xb1"))); // UTF-8 bytes are no digits
        QCOMPARE(shortestDecimal(0.1 + 0.2), QStringLiteral("0.3"));
        QCOMPARE(shortestDecimal(1500000), QStringLiteral("1500000"));
    }

    void resultTable()
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
        QCOMPARE(t.rowCount(), 70000);
        QCOMPARE(t.columnIndex(QStringLiteral("name")), 1);
        QCOMPARE(t.columnIndex(QStringLiteral("nope")), -1);
        QCOMPARE(t.text(69999, 0), QStringLiteral("69999"));
        QCOMPARE(t.text(69999, 1), QStringLiteral("name 69999"));
        QCOMPARE(t.text(69998, 1), QStringLiteral("تهران"));
        QVERIFY(t.isNull(0, 2));
        QCOMPARE(t.value(1, 2).toByteArray(), QByteArray("\0\1", 2));
        t.setText(5, 1, QStringLiteral("x"));
        QCOMPARE(t.text(5, 1), QStringLiteral("x"));
        QCOMPARE(t.text(4, 1), QStringLiteral("تهران"));
        t.insertColumn(0, QStringLiteral("No"));
        QCOMPARE(t.text(69999, 1), QStringLiteral("69999"));
        QVERIFY(t.isNull(10, 0));
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
        // Delete without FROM; a refusal by a foreign key carries the engine's description.
        try {
            RunQuery(rs, QStringLiteral("Delete tblParent Where ID=1"));
            QFAIL("a parent with a child was deleted");
        } catch (const VelaError &e) {
            QVERIFY2(e.description().contains(QStringLiteral("FOREIGN KEY")),
                qPrintable(e.description()));
        }
        QCOMPARE(rs.State(), int(Recordset::adStateClosed));
        RunQuery(rs, QStringLiteral("Delete tblParent Where ID=2"));
        RunQuery(rs, QStringLiteral("select count(*) as n from tblParent"));
        QCOMPARE(rs.FieldText(QStringLiteral("n")), QStringLiteral("2"));
        // A statement the engine rejects.
        QVERIFY_THROWS_EXCEPTION(VelaError, RunQuery(rs, QStringLiteral("select * from nowhere")));

        // Permissions: granted, refused although the call succeeded.
        QVERIFY(HasPermission(111));
        QVERIFY(HasPermission(102214805));
        QVERIFY(!HasPermission(102214803));
        useDatabase(2);
        QVERIFY(HasPermission(111));
        QVERIFY(!HasPermission(102214805));

        // The log procedure stores its arguments; the trace shows the call.
        DtEn().spOrvoInsertFormAction(102214801, QStringLiteral("3"), 1022148,
            QStringLiteral("فرم استقرار به ش.ر. ”3“ ايجاد شد. %1 'x'"), 2,
            QDateTime(QDate(2024, 3, 20), QTime()), QStringLiteral("1402/12/30"), 615);
        RunQuery(rs, QStringLiteral("select * from tblOrvoFormAction"));
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.FieldText(QStringLiteral("EventDate")), QStringLiteral("2024-03-20"));
        QCOMPARE(rs.FieldText(QStringLiteral("EventTime")), QStringLiteral("615"));
        QCOMPARE(rs.FieldText(QStringLiteral("Description")),
            QStringLiteral("فرم استقرار به ش.ر. ”3“ ايجاد شد. %1 'x'"));

        // Server date comes from getdate().
        QCOMPARE(ServerDate(), QDate::currentDate());

        qunsetenv("VELA_SQL_TRACE");
        RunQuery(rs, QStringLiteral("select 1 as untraced"));
        QFile f(trace);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList lines
            = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.first(),
            QStringLiteral("insert into tblParent(Name, Cost) values ('")
                + SqlText(text).replace(QLatin1String("\n"), QLatin1String("\\n"))
                + QStringLiteral("', 12.5)"));
        QCOMPARE(lines[1], QStringLiteral("Select SCOPE_IDENTITY() as newID"));
        QVERIFY(lines.contains(QStringLiteral("CALL spOrvoHasPermission(1, 111)")));
        QVERIFY(lines.contains(QStringLiteral(
            "CALL spOrvoInsertFormAction(102214801, '3', 1022148, 'فرم استقرار به ش.ر. ”3“ ايجاد شد. %1 ''x''', 2, '2024-03-20 00:00:00', '1402/12/30', 615)")));
        QVERIFY(lines.contains(QStringLiteral("Select getdate() as today")));
        QVERIFY(!lines.contains(QStringLiteral("select 1 as untraced")));
    }

    void traceEscapesLineBreaks()
    {
        const QString trace = m_dir.filePath(QStringLiteral("trace2.txt"));
        qputenv("VELA_SQL_TRACE", trace.toUtf8());
        SqlTrace::write(QStringLiteral("select 1\r\nfrom t\nwhere a='\r'"));
        qunsetenv("VELA_SQL_TRACE");
        QFile f(trace);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("select 1\\r\\nfrom t\\nwhere a='\\r'\n"));
    }

    void serverDateWithoutConnection()
    {
        CurrentConnectionString.clear();
        ResetDataEnvironment();
        QCOMPARE(ServerDate(), QDate::currentDate());
        // A database that is gone: the workstation's date, quietly.
        CurrentConnectionString = QStringLiteral("Provider=SQLite;Data Source=/nonexistent.sqlite");
        ResetDataEnvironment();
        QCOMPARE(ServerDate(), QDate::currentDate());
    }

    void likeMatching()
    {
        QVERIFY(persianLikeMatch("%ي%", "علی", 0));
        QVERIFY(persianLikeMatch("%ک%", "كتاب", 0));
        QVERIFY(persianLikeMatch("a_c", "ABC", 0));
        QVERIFY(!persianLikeMatch("a_c", "abbc", 0));
        QVERIFY(persianLikeMatch("%a%b%", "xxaxxbxx", 0));
        QVERIFY(!persianLikeMatch("%a%b", "xxaxxbxx", 0));
        QVERIFY(persianLikeMatch("100!%", "100%", '!'));
        QVERIFY(!persianLikeMatch("100!%", "1000", '!'));
        QVERIFY(persianLikeMatch("%", "", 0));
        // ASCII, Persian and Arabic-Indic digits are the same digits, each way round.
        QVERIFY(persianLikeMatch("%۱۰۰۰۲%", "A-100025", 0));
        QVERIFY(persianLikeMatch("%1002_", "پلاک ١٠٠٢٥", 0));
        QVERIFY(persianLikeMatch("٧۷7", "۷7٧", 0));
        QVERIFY(!persianLikeMatch("%۱۰۰۰۲%", "100032", 0));
        QVERIFY(!persianLikeMatch("_", "", 0));
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

    void saveDialogSeam()
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
};

QTEST_MAIN(TstShared)
#include "tst_shared.moc"
