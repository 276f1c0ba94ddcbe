// The suite database: creation, lookup views, roles, foreign keys, the demo data with its pictures
// and the generated assets of the benchmark.
#include "common/Failure.h"
#include "common/TestDatabase.h"
#include "demo/SuiteDatabase.h"
#include "shared/ConnectionString.h"
#include "shared/Jalali.h"
#include "shared/Sqlite.h"
#include "shared/VelaError.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace vela;

namespace {

// Every lookup column of the asset table with the view its selector lists.
const QList<QPair<QString, QString>> LookupColumns = {
    {"CreatorID", "vwUserMajor"},
    {"TypeID", "vwAssetEstablishmentTypeMajor"},
    {"StatusTypeID", "vwAssetStatusTypeMajor"},
    {"GroupID", "vwAssetGroupMajor"},
    {"LocationID", "vwOrvoInternalLocationMajor"},
    {"AccountableID", "vwAssetAccountableMajor"},
    {"ResponsibleID", "vwEmployeeMajor"},
    {"CostCenterID", "vwAccountCostCenterMajor"},
    {"BranchID", "vwAccountBranchMajor"},
};

// Every lookup view pair (Major and Minor): those of the asset's columns and two more.
QStringList lookupViews()
{
    QStringList out = {"vwAssetCategory", "vwAssetPropertyType"};
    for (const auto &column : LookupColumns)
        out << column.second.chopped(5);
    return out;
}

// The whole number `sql` reads, its %1, %2... filled with `args` in turn.
template<class... A> int count(TestDatabase &db, const QString &sql, const A &...args)
{
    QString s = sql;
    ((s = s.arg(args)), ...);
    return db.scalar(s).toInt();
}

// Required lookups are set and every lookup ID of the chosen assets is listed by its view.
void verifyLookups(TestDatabase &db, const QString &where)
{
    for (const char *col : {"CreatorID", "TypeID", "StatusTypeID", "GroupID", "BranchID", "Name",
             "LabelNo", "CreateDate"})
        QCOMPARE(count(db, "SELECT count(*) FROM tblAssetEstablishment WHERE (%1) AND %2 IS NULL",
                     where, col),
            0);
    for (const auto &[col, view] : LookupColumns) {
        const int bad = count(db,
            "SELECT count(*) FROM tblAssetEstablishment a WHERE (%1) AND a.%2 IS NOT NULL AND NOT "
            "EXISTS (SELECT 1 FROM %3 v WHERE v.ID = a.%2)",
            where, col, view);
        QVERIFY2(
            bad == 0, qPrintable(QString("%1 rows with %2 not in %3").arg(bad).arg(col, view)));
    }
}

// Every Persian date is the Persian form of its calendar date; both are NULL together.
void verifyPersianDates(TestDatabase &db, const QString &where)
{
    for (const char *date : {"UtilizationDate", "CreateDate", "DocumentDate", "ReevaluationDate"}) {
        const auto rows = db.rows(
            QString("SELECT ID, %1, Farsi%1 FROM tblAssetEstablishment WHERE %2").arg(date, where));
        for (const QVariantList &r : rows) {
            QCOMPARE(r[1].isNull(), r[2].isNull());
            if (r[1].isNull())
                continue;
            const QDate d = QDate::fromString(r[1].toString(), "yyyy-MM-dd");
            QVERIFY2(d.isValid(), qPrintable(r[1].toString()));
            QVERIFY2(r[2].toString() == jalali::formatDate(d),
                qPrintable(QString("asset %1 %2: %3 vs %4")
                               .arg(r[0].toString(), date, r[1].toString(), r[2].toString())));
        }
    }
}

} // namespace

class TstSuiteDatabase : public QObject {
    Q_OBJECT

private slots:
    // The SQL Server scripts cannot be run here: they are held to the tables, columns, views and
    // procedures of the database the other engines' scripts build, so that they do not drift.
    void sqlServerScriptsMatch()
    {
        TestDatabase db(false);
        const bool pg = TestDatabase::onPostgres();
        QSet<QString> built, views;
        for (const QVariantList &r :
            db.rows(pg ? "SELECT c.table_name, c.column_name FROM information_schema.columns c "
                         "JOIN information_schema.tables t ON t.table_name = c.table_name AND "
                         "t.table_schema = c.table_schema WHERE t.table_type = 'BASE TABLE' AND "
                         "t.table_schema = current_schema()"
                       : "SELECT m.name, p.name FROM sqlite_master m, pragma_table_info(m.name) p "
                         "WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite%'"))
            built << (r[0].toString() + '.' + r[1].toString()).toLower();
        for (const QVariantList &r :
            db.rows(pg ? "SELECT table_name FROM information_schema.views WHERE table_schema = "
                         "current_schema()"
                       : "SELECT name FROM sqlite_master WHERE type = 'view'"))
            views << r[0].toString().toLower();

        const QString folder = qEnvironmentVariable("VELA_SOURCE_DIR") + "/db/sqlserver/";
        auto read = [&](const char *name) {
            QFile f(folder + name);
            if (!f.open(QIODevice::ReadOnly))
                qFatal("%s: %s", name, qPrintable(f.errorString()));
            return QString::fromUtf8(f.readAll());
        };
        QSet<QString> scripted, scriptedViews;
        QString table;
        for (const QString &line : read("01_schema.sql").split('\n')) {
            const QString t = line.trimmed();
            if (t.startsWith("CREATE TABLE "))
                table = t.section(' ', 2, 2).toLower();
            else if (t.startsWith(")"))
                table.clear();
            else if (!table.isEmpty() && !t.isEmpty() && !t.startsWith("--")
                && !t.startsWith("PRIMARY KEY") && !t.startsWith("UNIQUE"))
                scripted << table + '.' + t.section(' ', 0, 0).toLower();
        }
        for (const QString &line : read("02_views.sql").split('\n'))
            if (line.startsWith("CREATE VIEW "))
                scriptedViews << line.section(' ', 2, 2).toLower();
        QCOMPARE(scripted, built);
        QCOMPARE(scriptedViews, views);
        const QString procedures = read("04_procedures.sql");
        for (const char *p : {"CREATE PROCEDURE dbo.spOrvoHasPermission",
                 "CREATE PROCEDURE dbo.spOrvoInsertFormAction"})
            QVERIFY2(procedures.contains(p), p);
    }

    void creation()
    {
        const bool pg = TestDatabase::onPostgres();
        TestDatabase empty(false);
        QCOMPARE(count(empty, "SELECT count(*) FROM tblAssetEstablishment"), 0);
        if (!pg)
            QCOMPARE(count(empty, "PRAGMA user_version"), 2);
        // Even without demo data the administrator exists, and the base path row is there.
        QCOMPARE(empty.scalar("SELECT Name FROM vwUserMajor WHERE ID = 1").toString(),
            QString("مدیر سیستم"));
        QCOMPARE(empty.rows("SELECT ID, BasePath FROM vwOrvoBasePath"),
            QList<QVariantList>({{qint64(1), QVariant()}}));

        // An existing file, or a database that has tables, is never built over.
        if (pg) {
            QVERIFY_THROWS_EXCEPTION(
                VelaError, SuiteDatabase::createPostgres(empty.connectionString, true));
            QCOMPARE(count(empty, "SELECT count(*) FROM tblAssetEstablishment"), 0);
        } else {
            QFile file(empty.path);
            const qint64 size = file.size();
            QVERIFY_THROWS_EXCEPTION(VelaError, SuiteDatabase::createSqlite(empty.path, true));
            QCOMPARE(QFile(empty.path).size(), size);
        }

        // Dates are kept in the one form the statements compare by equality.
        empty.exec(
            "INSERT INTO tblAssetEstablishment (ID, CreateDate, FarsiCreateDate, Cost) VALUES (7, '2017-05-13', '1396/02/23', 1500000)");
        // (A server's date column holds the date alone whatever the text it was given.)
        QCOMPARE(empty
                     .scalar(pg ? "SELECT pg_typeof(Cost)::text FROM tblAssetEstablishment"
                                : "SELECT typeof(Cost) FROM tblAssetEstablishment")
                     .toString(),
            QString(pg ? "numeric" : "text"));
        if (!pg)
            QVERIFY_THROWS_EXCEPTION(VelaError,
                empty.exec("UPDATE tblAssetEstablishment SET CreateDate = '2017-05-13 00:00:00' "
                           "WHERE ID = 7"));
        QVERIFY_THROWS_EXCEPTION(VelaError,
            empty.exec(
                "UPDATE tblAssetEstablishment SET FarsiCreateDate = '1396-02-23' WHERE ID = 7"));
        // Amounts are exact text on SQLite: a double written directly ('1500000.0' in the
        // column) is refused rather than kept.
        if (!pg)
            QVERIFY_THROWS_EXCEPTION(VelaError,
                empty.exec("UPDATE tblAssetEstablishment SET Cost = 1500000.0 WHERE ID = 7"));

        // A failing script names its line (SQLite) or the missing table and leaves nothing
        // behind.
        const QString script = "INSERT INTO tblAssetStatusType (Name) VALUES ('فعال');\n"
                               "-- a comment\n"
                               "INSERT INTO tblNoSuchTable VALUES (1);";
        const QString failure = failureOf([&] {
            if (pg)
                SuiteDatabase::runPostgresScript(empty.connectionString, script);
            else
                SuiteDatabase::runSqliteScript(empty.path, script);
        }).description();
        QVERIFY2((pg || failure.contains("line 3"))
                && failure.contains("tblNoSuchTable", Qt::CaseInsensitive),
            qPrintable(failure));
        QCOMPARE(count(empty, "SELECT count(*) FROM tblAssetStatusType"), 0);

        // A path that needs quoting survives the connection string.
        for (const QString &path : {QString("/tmp/a b/suite.sqlite"),
                 QString("/tmp/it's; here/x.sqlite"), QString(" /lead/space ")}) {
            const ConnectionString cs
                = ConnectionString::parse(SuiteDatabase::sqliteConnectionString(path));
            QCOMPARE(cs.provider(), QString("SQLite"));
            QCOMPARE(cs.value("Data Source"), path);
        }
    }

    // The demo data, on one database: lookups, assets, pictures, then what deleting may do.
    void demoData()
    {
        TestDatabase db;
        const bool pg = TestDatabase::onPostgres();
        for (const QString &base : lookupViews()) {
            // Rows, each ID once, named, and the Minor view holds every row of the Major one.
            const int faults = count(db,
                "SELECT (SELECT count(*) - count(DISTINCT ID) FROM %1Major) + (SELECT count(*) - "
                "count(DISTINCT ID) FROM %1Minor) + (SELECT count(*) FROM %1Major m WHERE "
                "coalesce(m.Name, '') = '' OR NOT EXISTS (SELECT 1 FROM %1Minor n WHERE n.ID = m.ID))",
                base);
            QVERIFY2(count(db, "SELECT count(*) FROM %1Major", base) > 0 && faults == 0,
                qPrintable(base));
            // A lookup by ID is a primary-key probe, not a scan.
            QString plan;
            for (const QVariantList &line :
                db.rows(QString("EXPLAIN %1SELECT Name FROM %2Major WHERE ID = 3")
                            .arg(pg ? "" : "QUERY PLAN ", base)))
                plan += line.value(pg ? 0 : 3).toString() + '\n';
            QVERIFY2(pg ? plan.contains("Index Scan") && plan.contains("_pkey")
                        : plan.contains("INTEGER PRIMARY KEY") || plan.contains("PRIMARY KEY"),
                qPrintable(base + ": " + plan));
        }
        // Some rows are inactive: the Major views leave them out.
        QVERIFY(count(db, "SELECT count(*) FROM vwEmployeeMinor")
            > count(db, "SELECT count(*) FROM vwEmployeeMajor"));
        // Keepers are employees with the same IDs and names: the search reads their names there.
        QCOMPARE(
            count(db,
                "SELECT count(*) FROM vwAssetAccountableMajor k JOIN vwEmployeeMajor e ON e.ID = k.ID AND e.Name = k.Name"),
            count(db, "SELECT count(*) FROM vwAssetAccountableMajor"));
        const int n = TestDatabase::DemoAssetCount;
        QCOMPARE(db.rows("SELECT count(*), max(ID) FROM tblAssetEstablishment"),
            QList<QVariantList>({{n, n}}));
        verifyLookups(db, "1=1");
        verifyPersianDates(db, "1=1");
        // Amounts are kept as exact text on SQLite (numeric(19,4) on PostgreSQL).
        if (!pg)
            QCOMPARE(
                count(db,
                    "SELECT count(*) FROM tblAssetEstablishment WHERE typeof(Cost) NOT IN ('text', 'null')"),
                0);

        // (The accounting document and the report templates of the demo are read by the tests of
        // their forms.)
        const auto rows = db.rows(
            "SELECT RowNumber, isExternal, FileExtension, FileData, MediaPath FROM tblOrvoFormAttachment "
            "WHERE FormTypeID = 1022148 AND FormID = 1 ORDER BY RowNumber");
        QCOMPARE(rows.size(), 3);
        QSet<QByteArray> distinct;
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i].mid(0, 3), QVariantList({i + 1, 0, "png"}));
            const QImage image = QImage::fromData(rows[i][3].toByteArray(), "PNG");
            QVERIFY(image.width() > 100 && image.height() > 100);
            distinct << rows[i][3].toByteArray();
        }
        QCOMPARE(distinct.size(), 3);

        const auto external = db.rows(QString(
            "SELECT MediaPath, FileData FROM tblOrvoFormAttachment WHERE FormTypeID = 1022148 "
            "AND FormID = %1 AND isExternal = 1")
                                          .arg(TestDatabase::AssetWithExternalPicture));
        QCOMPARE(external.size(), 1);
        QVERIFY(external[0][1].isNull());
        const QString media = external[0][0].toString();
        if (!pg) // a server's is written where its template was built
            QVERIFY2(media.startsWith(db.folder()), qPrintable(media));
        QVERIFY(!QImage(media).isNull());
        const QString granted
            = "SELECT count(*) FROM tblOrvoUserPermission WHERE UserID=%1 AND FormPermissionID=%2";
        const QList<int> roles = {111, 102214801, 102214802, 102214803, 102214805, 102214809, 303};
        for (int role : roles) {
            QVERIFY2(count(db, granted, SuiteDatabase::DemoAdminUserID, role) > 0,
                qPrintable(QString::number(role)));
            QCOMPARE(
                count(db, granted, SuiteDatabase::DemoViewerUserID, role), role == 111 ? 1 : 0);
        }

        // An asset that has moved cannot be deleted.
        const QString deleteAsset = "DELETE FROM tblAssetEstablishment WHERE ID = %1";
        const QString refused = failureOf([&] {
            db.exec(deleteAsset.arg(TestDatabase::AssetWithMovements));
        }).description();
        QVERIFY2(refused.contains("FOREIGN KEY", Qt::CaseInsensitive), qPrintable(refused));
        QCOMPARE(count(db, "SELECT count(*) FROM tblAssetEstablishment WHERE ID = %1",
                     TestDatabase::AssetWithMovements),
            1);

        // Property values go with their asset; attachments and documents do not hold it back.
        const int plain = TestDatabase::PlainAsset;
        QVERIFY(
            count(db,
                "SELECT count(*) FROM tblAssetEstablishmentPropertyData WHERE EstablishmentID = %1",
                plain)
            > 0);
        db.exec(deleteAsset.arg(plain));
        QCOMPARE(
            count(db,
                "SELECT count(*) FROM tblAssetEstablishmentPropertyData WHERE EstablishmentID = %1",
                plain),
            0);
        db.exec(deleteAsset.arg(TestDatabase::AssetWithPictures));
        QCOMPARE(
            count(db,
                "SELECT count(*) FROM tblOrvoFormAttachment WHERE FormTypeID = 1022148 AND FormID = 1"),
            3);

        // A new asset continues after the demo IDs.
        db.exec("INSERT INTO tblAssetEstablishment (Name) VALUES ('میز')");
        QCOMPARE(db.scalar("SELECT max(ID) FROM tblAssetEstablishment").toInt(),
            TestDatabase::DemoAssetCount + 1);
    }

    // The benchmark's generated assets: on a server they arrive by copy from an embedded
    // database, every value as generated, money exact.
    void generatedAssets()
    {
        const bool pg = TestDatabase::onPostgres();
        const int n = pg ? 3000 : 10000, demo = TestDatabase::DemoAssetCount;
        TestDatabase db;
        const QString file = pg ? db.folder() + "/generated.sqlite" : db.path;
        if (pg)
            SuiteDatabase::createSqlite(file, true);
        SuiteDatabase::generateAssets(file, n, 7);
        if (pg)
            SuiteDatabase::copyAssetsToPostgres(file, db.connectionString);
        const QString added = QString("ID > %1").arg(demo);
        QCOMPARE(db.rows("SELECT count(*), count(DISTINCT LabelNo) FROM tblAssetEstablishment"),
            QList<QVariantList>({{demo + n, demo + n}}));
        verifyLookups(db, added);
        verifyPersianDates(db, added);

        if (pg) {
            // Amounts with a fraction arrive (and are compared below) exactly.
            QVERIFY(
                count(db,
                    "SELECT count(*) FROM tblAssetEstablishment WHERE %1 AND Cost <> trunc(Cost)",
                    added)
                > 50);
            const QString columns = "SELECT ID, Name, Cost, AbortCost, UtilizationDate, "
                                    "FarsiUtilizationDate, AccountableID, Description FROM "
                                    "tblAssetEstablishment WHERE ID > 56 ORDER BY ID";
            sqlite::Database src(file, SQLITE_OPEN_READONLY, file);
            const QByteArray text = columns.toUtf8();
            sqlite::Statement st(src, text.constData());
            QList<QVariantList> generated;
            while (st.step()) {
                QVariantList row;
                for (int c = 0; c < 8; ++c)
                    row << st.value(c);
                generated << row;
            }
            QCOMPARE(db.rows(columns), generated);
            // The next assigned identity follows the copied ones.
            db.exec("INSERT INTO tblAssetEstablishment (Name) VALUES ('x')");
            QCOMPARE(count(db, "SELECT max(ID) FROM tblAssetEstablishment"), demo + n + 1);
            return;
        }

        // The same seed gives the same rows.
        TestDatabase again;
        SuiteDatabase::generateAssets(again.path, n, 7);
        const QString digest = QString(
            "SELECT group_concat(Name || Cost || ifnull(FarsiUtilizationDate, '-') || ifnull(AccountableID, '-'), '|') "
            "FROM tblAssetEstablishment WHERE %1")
                                   .arg(added);
        QCOMPARE(again.scalar(digest).toString(), db.scalar(digest).toString());

        // Without lookups there is nothing valid to point at.
        TestDatabase empty(false);
        const QString failure
            = failureOf([&] { SuiteDatabase::generateAssets(empty.path, 10, 1); }).description();
        QVERIFY2(failure.contains("vw"), qPrintable(failure));
        QCOMPARE(count(empty, "SELECT count(*) FROM tblAssetEstablishment"), 0);
    }
};

QTEST_MAIN(TstSuiteDatabase)
#include "tst_suitedatabase.moc"
