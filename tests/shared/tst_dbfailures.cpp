// Database failures as users meet them: each condition the engine really reports (a lock held by
// another program, a full disk, a read-only database, a damaged file, refused rows) arrives as a
// VelaError of its kind whose text is a Persian sentence with the engine's text below it; and the
// rows a statement changed are counted.
#include "common/TestDatabase.h"
#include "shared/DataEnvironment.h"
#include "shared/SqliteBackend.h"
#include "shared/VelaError.h"

#include <QtTest>
#include <functional>
#include <sqlite3.h>

using namespace vela;

namespace {

// A second program on the same file.
struct OtherProgram {
    sqlite3 *db = nullptr;
    explicit OtherProgram(const QString &path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~OtherProgram() { sqlite3_close_v2(db); }
    int exec(const char *sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

VelaError failureOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const VelaError &e) {
        return e;
    }
    return VelaError(QStringLiteral("no failure"));
}

} // namespace

class TstDbFailures : public QObject {
    Q_OBJECT
private slots:
    void engineConditionsHaveKinds();
    void openingRefusalsSayWhy();
    void recordsAffected();
};

void TstDbFailures::engineConditionsHaveKinds()
{
    TestDatabase db(false);
    db.exec(QStringLiteral(
        "INSERT INTO tblAssetEstablishment(ID, Name) VALUES (1, 'a'), (2, 'b');"
        "INSERT INTO tblAssetMovement(EstablishmentID, MoveDate) VALUES (1, '2024-01-01');"
        "CREATE TRIGGER tNo BEFORE UPDATE OF Code ON tblAssetEstablishment "
        "BEGIN SELECT RAISE(ABORT, 'no codes'); END;"));
    DataEnvironment env;
    env.cn().setConnectionString(db.connectionString);
    ResultTable rows;
    auto run = [&](const char *sql) {
        return [&env, &rows, sql] { env.execute(QString::fromUtf8(sql), rows); };
    };
    OtherProgram other(db.path);
    auto *handle = static_cast<sqlite3 *>(env.cn().backend().nativeHandle());
    sqlite3_busy_timeout(handle, 0); // the lock is met at once instead of after the wait

    const struct {
        std::function<void()> setUp;
        std::function<void()> action;
        FailureKind kind;
        const char *engineText;
    } cases[] = {
        {[&] { QCOMPARE(other.exec("BEGIN EXCLUSIVE"), SQLITE_OK); },
            run("select * from tblAssetEstablishment"), FailureKind::Busy, "database is locked"},
        {{}, [&] { env.spOrvoHasPermission(1, 111); }, FailureKind::Busy,
            "spOrvoHasPermission: database is locked"},
        {[&] { other.exec("ROLLBACK"); }, run("Delete tblAssetEstablishment Where ID=1"),
            FailureKind::ForeignKey, "FOREIGN KEY constraint failed"},
        {{}, run("insert into tblAssetEstablishment(ID) values (2)"), FailureKind::Duplicate,
            "UNIQUE constraint failed"},
        {{}, run("Update tblAssetEstablishment Set Code='x'"), FailureKind::Refused, "no codes"},
        {{}, run("insert into tblOrvoUserPermission(UserID) values (NULL)"), FailureKind::Refused,
            "NOT NULL constraint failed"},
        {{}, run("select * from tblMissing"), FailureKind::Structure, "no such table: tblMissing"},
        {[&] { run("PRAGMA max_page_count=1")(); },
            run("Update tblAssetEstablishment Set Description=hex(randomblob(300000))"),
            FailureKind::DiskFull, "database or disk is full"},
        {[&] { run("PRAGMA query_only=1")(); }, run("Update tblAssetEstablishment Set Name='c'"),
            FailureKind::ReadOnly, "attempt to write a readonly database"},
    };
    for (const auto &c : cases) {
        if (c.setUp)
            c.setUp();
        const VelaError e = failureOf(c.action);
        const QString engineText = QString::fromUtf8(c.engineText);
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
    OtherProgram other(db.path);
    QCOMPARE(other.exec("BEGIN EXCLUSIVE"), SQLITE_OK);
    const VelaError locked = failureOf([&] { SqliteBackend backend(db.path); });
    QCOMPARE(locked.kind(), FailureKind::Busy);
    QVERIFY(locked.description().contains(failureSentence(FailureKind::Busy)));
    QVERIFY(!locked.description().contains(QStringLiteral("خوانا")));
    QCOMPARE(locked.detail(), QStringLiteral("database is locked"));
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
