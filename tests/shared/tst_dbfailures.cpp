// Database failures as users meet them: each condition the engine really reports (a lock held by
// another program, a full disk, a read-only database, a damaged file, refused rows) arrives as a
// VelaError of its kind whose text is a Persian sentence with the engine's text below it; and the
// rows a statement changed are counted.
#include "common/Failure.h"
#include "common/TestDatabase.h"
#include "shared/ConnectionString.h"
#include "shared/DataEnvironment.h"
#include "shared/PgBackend.h"
#include "shared/SqliteBackend.h"
#include "shared/modMain.h"

#include <QtTest>

using namespace vela;

class TstDbFailures : public QObject {
    Q_OBJECT
private slots:
    void engineConditionsHaveKinds();
    void openingRefusalsSayWhy();
    void recordsAffected();
    void serverCodesHaveKinds();
};

void TstDbFailures::engineConditionsHaveKinds()
{
    const bool pg = TestDatabase::onPostgres();
    TestDatabase db(false);
    db.exec(QStringLiteral(
        "INSERT INTO tblAssetEstablishment(ID, Name) VALUES (1, 'a'), (2, 'b');"
        "INSERT INTO tblAssetMovement(EstablishmentID, MoveDate) VALUES (1, '2024-01-01');"));
    db.refuse(QStringLiteral("tblAssetEstablishment"), QStringLiteral("UPDATE OF Code"),
        QStringLiteral("no codes"));
    db.useAsCurrent();
    TestDatabase::componentWaitsNotForLocks();
    ResultTable rows;
    auto run = [&rows](const char *sql) {
        return [&rows, sql] { DtEn().execute(QString::fromUtf8(sql), rows); };
    };
    TestDatabase::OtherClient other(db);

    // The engine's own text of each condition, SQLite's and PostgreSQL's; a condition the
    // engine cannot be brought into here (a full disk on a server) has none.
    const struct {
        std::function<void()> setUp;
        std::function<void()> action;
        FailureKind kind;
        const char *sqliteText, *pgText;
    } cases[] = {
        {[&] { QVERIFY(other.holdExclusiveLock()); }, run("select * from tblAssetEstablishment"),
            FailureKind::Busy, "database is locked", "canceling statement due to lock timeout"},
        {{}, [] { DtEn().spOrvoHasPermission(1, 111); }, FailureKind::Busy,
            "spOrvoHasPermission: database is locked",
            "spOrvoHasPermission: canceling statement due to lock timeout"},
        {[&] { other.release(); }, run("Delete tblAssetEstablishment Where ID=1"),
            FailureKind::ForeignKey, "FOREIGN KEY constraint failed",
            "update or delete on table \"tblassetestablishment\" violates foreign key"},
        {{}, run("insert into tblAssetEstablishment(ID) values (2)"), FailureKind::Duplicate,
            "UNIQUE constraint failed", "duplicate key value violates unique constraint"},
        {{}, run("Update tblAssetEstablishment Set Code='x'"), FailureKind::Refused, "no codes",
            "no codes"},
        {{}, run("insert into tblOrvoUserPermission(UserID) values (NULL)"), FailureKind::Refused,
            "NOT NULL constraint failed", "null value in column \"userid\""},
        {{}, run("select * from tblMissing"), FailureKind::Structure, "no such table: tblMissing",
            "relation \"tblmissing\" does not exist"},
        {[&] { run(pg ? "SELECT 1" : "PRAGMA max_page_count=1")(); },
            run("Update tblAssetEstablishment Set Description=hex(randomblob(300000))"),
            FailureKind::DiskFull, "database or disk is full", nullptr},
        {[] { TestDatabase::componentReadOnly(true); },
            run("Update tblAssetEstablishment Set Name='c'"), FailureKind::ReadOnly,
            "attempt to write a readonly database",
            "cannot execute UPDATE in a read-only transaction"},
    };
    for (const auto &c : cases) {
        const char *expected = pg ? c.pgText : c.sqliteText;
        if (!expected)
            continue;
        if (c.setUp)
            c.setUp();
        const VelaError e = failureOf(c.action);
        const QString engineText = QString::fromUtf8(expected);
        QVERIFY2(e.kind() == c.kind, qPrintable(e.description()));
        QVERIFY2(e.detail().startsWith(engineText), qPrintable(e.detail()));
        // The user reads the kind's sentence, the engine's text only on the line below it.
        const QStringList lines = e.description().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], failureSentence(c.kind));
        QVERIFY(lines[1].contains(engineText));
        QCOMPARE(e.number(), int(ErrDatabase));
    }
    // Every kind has a sentence of its own.
    QSet<QString> sentences;
    for (int k = int(FailureKind::Busy); k <= int(FailureKind::Other); ++k)
        sentences.insert(failureSentence(FailureKind(k)));
    QCOMPARE(sentences.size(), int(FailureKind::Other));
}

void TstDbFailures::openingRefusalsSayWhy()
{
    TestDatabase db(false);
    // A server that is not there: the message names where it was looked for.
    const VelaError away = failureOf([] {
        DataEnvironment env;
        env.cn().setConnectionString(QStringLiteral(
            "Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=suite;User ID=vela"));
        env.spOrvoHasPermission(1, 111);
    });
    QCOMPARE(away.kind(), FailureKind::Unreachable);
    QCOMPARE(away.number(), int(ErrConnection));
    QVERIFY2(
        away.description().contains(QStringLiteral("127.0.0.1:1")), qPrintable(away.description()));
    QVERIFY(away.description().contains(failureSentence(FailureKind::Unreachable)));

    if (TestDatabase::onPostgres()) {
        // A database the server does not have, and a role it does not know.
        for (const QString &wrong : {QStringLiteral(";Database=vela_no_such_database"),
                 QStringLiteral(";User ID=vela_no_such_role")}) {
            const VelaError refused = failureOf(
                [&] { PgBackend backend(ConnectionString::parse(db.connectionString + wrong)); });
            QCOMPARE(refused.kind(), FailureKind::Unreachable);
            QVERIFY(refused.detail().contains(wrong.section(QLatin1Char('='), 1)));
        }
        return;
    }
    const QString junk = db.folder() + QStringLiteral("/junk.sqlite");
    QFile f(junk);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    const VelaError damaged = failureOf([&] { SqliteBackend backend(junk); });
    QCOMPARE(damaged.kind(), FailureKind::Damaged);
    QCOMPARE(damaged.number(), int(ErrConnection));
    QVERIFY(damaged.description().contains(junk));
    QVERIFY(damaged.description().contains(failureSentence(FailureKind::Damaged)));

    // A file another program holds locked is busy (after the usual wait), not unreadable.
    TestDatabase::OtherClient other(db);
    QVERIFY(other.holdExclusiveLock());
    const VelaError locked = failureOf([&] { SqliteBackend backend(db.path); });
    QCOMPARE(locked.kind(), FailureKind::Busy);
    QVERIFY(locked.description().contains(failureSentence(FailureKind::Busy)));
    QVERIFY(!locked.description().contains(QStringLiteral("خوانا")));
    QCOMPARE(locked.detail(), QStringLiteral("database is locked"));
}

void TstDbFailures::serverCodesHaveKinds()
{
    // The SQLSTATEs of conditions a test cannot bring a server into (a full disk, a damaged
    // page, a lost connection) sort as the ones it can; a code from no list is Other.
    const struct {
        const char *state;
        FailureKind kind;
    } codes[] = {{"40001", FailureKind::Busy}, {"40P01", FailureKind::Busy},
        {"55P03", FailureKind::Busy}, {"53100", FailureKind::DiskFull},
        {"25006", FailureKind::ReadOnly}, {"23503", FailureKind::ForeignKey},
        {"23505", FailureKind::Duplicate}, {"23514", FailureKind::Refused},
        {"P0001", FailureKind::Refused}, {"42P01", FailureKind::Structure},
        {"08006", FailureKind::Unreachable}, {"53200", FailureKind::Resources},
        {"54000", FailureKind::Resources}, {"XX001", FailureKind::Damaged},
        {"58030", FailureKind::DiskIo}, {"HV000", FailureKind::Other}};
    for (const auto &c : codes)
        QVERIFY2(pgFailureKind(c.state) == c.kind, c.state);
    if (!TestDatabase::onPostgres())
        return;
    // Raised by the server, they arrive through the backend with their kind.
    TestDatabase db(false);
    DataEnvironment env;
    env.cn().setConnectionString(db.connectionString);
    ResultTable rows;
    const VelaError full = failureOf([&] {
        env.execute(
            QStringLiteral(
                "DO $$ BEGIN RAISE EXCEPTION 'no space' USING ERRCODE = 'disk_full'; END $$"),
            rows);
    });
    QCOMPARE(full.kind(), FailureKind::DiskFull);
    QCOMPARE(full.detail(), QStringLiteral("no space"));
}

void TstDbFailures::recordsAffected()
{
    TestDatabase db(false);
    db.exec(
        QStringLiteral("INSERT INTO tblAssetEstablishment(ID, Name) VALUES (1, 'a'), (2, 'a')"));
    DataEnvironment env;
    env.cn().setConnectionString(db.connectionString);
    Recordset &rs = env.rssqlAccountManager();
    const struct {
        const char *sql;
        qint64 affected;
    } statements[] = {
        {"Update tblAssetEstablishment Set Code='x' Where Name='a'", 2},
        {"select * from tblAssetEstablishment", 0}, // a query after a change counts nothing
        {"Update tblAssetEstablishment Set Code='y' Where ID=-1", 0},
        {"BEGIN TRANSACTION", 0},
        {"Delete tblAssetEstablishment Where ID=1", 1},
        {"COMMIT TRANSACTION", 0},
        {"insert into tblAssetEstablishment(Name) values ('b')", 1},
    };
    for (const auto &s : statements) {
        rs.Open(QString::fromUtf8(s.sql));
        QVERIFY2(rs.RecordsAffected() == s.affected, s.sql);
        rs.Close();
    }
}

QTEST_MAIN(TstDbFailures)
#include "tst_dbfailures.moc"
