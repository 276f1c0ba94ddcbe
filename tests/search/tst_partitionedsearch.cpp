// The search read in parts against the same search read in one part, on generated records with
// gaps in their identifiers, deleted rows and NULLs: the grids must be the same cell by cell,
// totals and colours included, for every kind of filter; a part that fails must fail the whole
// search with the usual message and leave no rows and no open read behind.
//
// Reading in parts is the embedded engine's: on a PostgreSQL server (the _pg run) the same
// statement is one read, the server parallelising it itself. There the test holds that it is
// read whole and gives the grid the checks expect, and that a failing read fails the search the
// same way.
#include "ShowSearchForm.h"
#include "common/MessageRecorder.h"
#include "common/TestDatabase.h"
#include "search/FormSearch.h"
#include "search/ResultsGrid.h"
#include "shared/DataEnvironment.h"
#include "shared/SqliteBackend.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"

#include <QLineEdit>
#include <QtTest>

using namespace vela;

namespace {

// Everything a user or an export can read of the grid, one string per row.
QStringList gridContents(const ResultsGrid &g)
{
    QStringList rows;
    for (int r = 0; r < g.Rows(); ++r) {
        QString line;
        for (int c = 0; c < g.Cols(); ++c)
            line += g.TextMatrix(r, c) + QLatin1Char('|') + QString::number(g.cellBackColor(r, c))
                + QLatin1Char('\t');
        rows << line;
    }
    return rows;
}

// The embedded backend, or null on a server.
SqliteBackend *sqliteBackend()
{
    auto *b = dynamic_cast<SqliteBackend *>(&DtEn().cn().backend());
    if (!b && !TestDatabase::onPostgres())
        qFatal("not the SQLite backend");
    return b;
}

// Reads in parts (at most 4 of at least 100 rows), in one part, or as the engine chooses.
void setParts(int maxParts, int minRows = SqliteBackend::DefaultMinRowsPerPart)
{
    if (SqliteBackend *b = sqliteBackend())
        b->setPartitioning(SqliteBackend::Partitioning {maxParts, minRows});
}

// The parts the last search was read in; a server reads it as one.
int lastPartCount()
{
    SqliteBackend *b = sqliteBackend();
    return b ? b->lastPartCount() : 1;
}

// The statements that put gaps, NULLs and fractions into the generated records.
const char *const Gaps
    = "DELETE FROM tblAssetEstablishment WHERE ID BETWEEN 800 AND 1400;"
      "DELETE FROM tblAssetEstablishment WHERE ID > 100 AND ID % 7 = 3;"
      "UPDATE tblAssetEstablishment SET ID = ID + 5000000 WHERE ID > 2000;"
      "UPDATE tblAssetEstablishment SET Cost = NULL, Name = NULL, GroupID = NULL WHERE ID % 5 = 1;"
      "UPDATE tblAssetEstablishment SET AccumulatedCost = '1234.5', AbortCost = '-0.0001'"
      " WHERE ID % 11 = 2;";

} // namespace

class TestPartitionedSearch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void partsGiveTheGridOfOneRead();
    void failingPartFailsTheWholeSearch();

private:
    // Runs the form's search read in parts and in one part; returns the grid of the first. On a
    // server, where there is one way of reading, the search runs once.
    QStringList searchBothWays(FormSearch &f, int *parts = nullptr)
    {
        setParts(4, 100);
        f.cmdSearch_Click();
        const QStringList inParts = gridContents(*f.flxSearch);
        if (parts)
            *parts = lastPartCount();
        if (sqliteBackend()) {
            setParts(1);
            f.cmdSearch_Click();
            sqliteBackend()->setPartitioning({});
            // (A differing row is shown with both texts.)
            [&] { QCOMPARE(inParts, gridContents(*f.flxSearch)); }();
        }
        return inParts;
    }

    TestDatabase *m_db = nullptr;
};

void TestPartitionedSearch::initTestCase()
{
    m_db = new TestDatabase;
    // Gaps: a block of identifiers deleted, scattered rows deleted, and the last thousand moved
    // far up the key line. NULLs in money, text and lookup columns, and amounts with fractions.
    // A server gets the records generated in an embedded file, copied.
    if (TestDatabase::onPostgres()) {
        const QString file = m_db->folder() + QStringLiteral("/generated.sqlite");
        SuiteDatabase::createSqlite(file, true);
        SuiteDatabase::generateAssets(file, 3000, 7);
        SuiteDatabase::runSqliteScript(file, QString::fromLatin1(Gaps));
        SuiteDatabase::copyAssetsToPostgres(file, m_db->connectionString);
    } else {
        SuiteDatabase::generateAssets(m_db->path, 3000, 7);
        m_db->exec(QString::fromLatin1(Gaps));
    }
    m_db->useAsCurrent();
}

void TestPartitionedSearch::cleanupTestCase()
{
    FormSearch::unload();
    delete m_db;
}

void TestPartitionedSearch::partsGiveTheGridOfOneRead()
{
    MessageRecorder messages;
    const int records
        = m_db->scalar(QStringLiteral("SELECT count(*) FROM tblAssetEstablishment")).toInt();
    const QVariantList filter
        = m_db
              ->rows(QStringLiteral(
                  "SELECT GroupID, CreateDate FROM tblAssetEstablishment WHERE ID > 5000000 AND GroupID"
                  " IS NOT NULL AND CreateDate IS NOT NULL LIMIT 1"))
              .value(0);
    QCOMPARE(filter.size(), 2);
    showSearchForm([&](FormSearch &f) {
        f.cmdNewsearch_Click();
        int parts = 0;
        const QStringList all = searchBothWays(f, &parts);
        if (TestDatabase::onPostgres())
            QCOMPARE(parts, 1);
        else
            QVERIFY2(parts > 1, "the search was not read in parts");
        QCOMPARE(all.size(), records + 2); // header, rows, totals
        // Identifiers ascending: the parts joined in key order.
        qint64 previous = 0;
        for (int r = 1; r <= records; ++r) {
            const qint64 id = f.flxSearch->TextMatrix(r, 1).toLongLong();
            QVERIFY(id > previous);
            previous = id;
        }

        // Each kind of filter: a text, the identifier, a selector, a date, and all at once.
        f.txtName->setText(QStringLiteral("ی"));
        QVERIFY(searchBothWays(f).size() > 3);
        f.cmdNewsearch_Click();
        f.txtID->setText(QString::number(5000000 + 2500));
        QCOMPARE(searchBothWays(f).size(), 3);
        f.cmdNewsearch_Click();
        f.sltGroup->setSelectedID(filter[0].toInt());
        QVERIFY(!f.sltGroup->IsEmpty());
        QVERIFY(searchBothWays(f).size() > 2);
        f.cmdNewsearch_Click();
        f.datCreateDate->setValue(filter[1].toDate());
        QVERIFY(!f.datCreateDate->IsEmpty());
        QVERIFY(searchBothWays(f).size() > 2);
        f.sltGroup->setSelectedID(filter[0].toInt());
        f.txtDescription->setText(QStringLiteral("'%"));
        searchBothWays(f);
        // Nothing found: header and an empty totals row either way.
        f.cmdNewsearch_Click();
        f.txtID->setText(QStringLiteral("4000000"));
        QCOMPARE(searchBothWays(f).size(), 2);
    });
    QCOMPARE(messages.count(), 0);
}

void TestPartitionedSearch::failingPartFailsTheWholeSearch()
{
    // The group name of the record with the highest identifier, in the last part, cannot be
    // computed: the engine fails that part only, after the others have read their rows.
    const qint32 last
        = m_db->scalar(QStringLiteral("SELECT max(ID) FROM tblAssetEstablishment")).toInt();
    // (A server wants both branches of the CASE as text; the overflow is the same.)
    m_db->exec(QStringLiteral(
        "INSERT INTO tblAssetGroup (ID, CategoryID, Name) SELECT 999999, min(ID), 'x' FROM tblAssetCategory;"
        "UPDATE tblAssetEstablishment SET GroupID = 999999 WHERE ID = %1;"
        "DROP VIEW vwAssetGroupMajor;"
        "CREATE VIEW vwAssetGroupMajor AS SELECT ID, CASE WHEN ID = 999999 THEN"
        " CAST(abs(-9223372036854775807 - 1) AS TEXT) ELSE Name END AS Name, CategoryID, Code"
        " FROM tblAssetGroup;")
                   .arg(last));
    MessageRecorder messages;
    showSearchForm([&](FormSearch &f) {
        f.cmdNewsearch_Click();
        setParts(4, 100);
        f.cmdSearch_Click();
        QVERIFY(TestDatabase::onPostgres() ? lastPartCount() == 1 : lastPartCount() > 1);
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().title, QStringLiteral("خطا"));
        QCOMPARE(f.flxSearch->Rows(), 1);
        QCOMPARE(DtEn().rssqlCommon().State(), int(Recordset::adStateClosed));
        // The one-part read tells the same.
        setParts(1);
        f.cmdSearch_Click();
        QCOMPARE(messages.count(), 2);
        QCOMPARE(messages.last().text, messages.texts().first());

        // No part keeps a read open: a writer is not kept waiting, and the next search reads
        // everything again.
        m_db->exec(QStringLiteral("DROP VIEW vwAssetGroupMajor;"
                                  "CREATE VIEW vwAssetGroupMajor AS SELECT ID, Name, CategoryID,"
                                  " Code FROM tblAssetGroup WHERE IsActive = 1;"));
        setParts(4, 100);
        f.cmdSearch_Click();
        QCOMPARE(messages.count(), 2);
        QCOMPARE(f.flxSearch->TextMatrix(f.flxSearch->Rows() - 2, 1), QString::number(last));
        setParts(0);
    });
}

QTEST_MAIN(TestPartitionedSearch)
#include "tst_partitionedsearch.moc"
