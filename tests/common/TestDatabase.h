#pragma once
// Test fixture: a fresh suite database, made exactly as the demo host makes one (schema, views,
// grants and, by default, the demo data with its pictures).
//
//     TestDatabase db;                       // demo data included
//     db.useAsCurrent();                     // the component now works on it as the admin
//     db.exec("DELETE FROM tblAssetMovement");
//     QCOMPARE(db.scalar("SELECT count(*) FROM tblAssetMovement").toInt(), 0);
//
// The engine comes from the environment, so every test that uses this fixture runs on both:
// VELA_TEST_ENGINE unset or "sqlite" gives a database file in a temporary folder;
// "postgresql" gives a new database on the server VELA_TEST_PG_SERVER names (the state folder of
// scripts/pg-test-server, or a connection string of Provider=PostgreSQL to a maintenance
// database), copied from a template built once per server, and dropped afterwards. CTest
// registers each test program that uses this fixture twice: tst_x on SQLite, tst_x_pg on a
// throw-away server it starts for the run.
//
// Statements run on a connection of their own (foreign keys on), so they see and change exactly
// what the component does. Test statements are written in the SQL both engines read; where they
// differ, the helpers below hide it. A failing statement throws VelaError with the engine's
// message and the statement; Qt Test reports it as a failure of the test.
#include "demo/SuiteDatabase.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <QVariantList>
#include <memory>

struct TestDatabase {
    enum class Engine {
        Sqlite,
        Postgres
    };
    // The engine of this test run (VELA_TEST_ENGINE).
    static Engine engine();
    static bool onPostgres() { return engine() == Engine::Postgres; }

    // Facts of the demo data that tests lean on.
    static constexpr qint32 AssetFormTypeID = 1022148;
    static constexpr qint32 DemoAssetCount = 56; // IDs 1..56
    static constexpr qint32 AssetWithPictures = 1; // stored pictures, rows 1, 2 and 3
    static constexpr qint32 AssetWithExternalPicture = 4; // row 1 is a file next to the database
    static constexpr qint32 AssetWithMovements = 5; // also 12, 18 and 27: deletion refused
    static constexpr qint32 AssetWithDocument = 1; // final accounting document rows
    static constexpr qint32 PlainAsset = 50; // no pictures, moves or documents

    explicit TestDatabase(bool demo = true);
    ~TestDatabase(); // detaches the component's data environment if useAsCurrent() was called
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    QString path; // the database file (SQLite only)
    QString connectionString; // "Provider=SQLite;Data Source=..." or "Provider=PostgreSQL;..."

    // Every statement of the text, in one transaction (so PRAGMA foreign_keys has no effect here).
    void exec(const QString &sql);
    QVariant scalar(const QString &sql); // first column of the first row; invalid when none/NULL
    // All rows; NULL cells are invalid QVariants. Values read as on SQLite: whole numbers as
    // qint64, money as its shortest decimal text, dates as 'yyyy-MM-dd' text, blobs as bytes.
    QList<QVariantList> rows(const QString &sql);
    // Makes the component work on this database as `userId`: sets vela::CurrentUserID and
    // vela::CurrentConnectionString and renews the data environment.
    void useAsCurrent(qint32 userId = vela::SuiteDatabase::DemoAdminUserID);
    QString folder() const { return m_dir.path(); } // for files a test wants next to the database

    // An SQL literal of these bytes as the engine's binary type (blob, bytea).
    static QString blob(const QByteArray &bytes);

    // ---- faults as the engine meets them, written once for both engines
    // A rule of the database that refuses every `event` ("INSERT", "UPDATE" or "DELETE") on
    // `table` with `message` (a trigger), and its removal.
    // With `when`, a condition on NEW or OLD in the SQL both engines read, only the rows it holds
    // for are refused.
    void refuse(const QString &table, const QString &event, const QString &message,
        const QString &when = QString());
    void allow(const QString &table, const QString &event);
    // The component's own connection meets a lock at once instead of after the usual wait.
    static void componentWaitsNotForLocks();
    // The component's own connection may no longer write (SQLite: query_only; PostgreSQL: a
    // read-only session, as on a standby or for a read-only role).
    static void componentReadOnly(bool on);

    // Another program on the same database.
    class OtherClient {
    public:
        explicit OtherClient(const TestDatabase &db);
        ~OtherClient();
        bool exec(const QString &sql); // false when the engine refused it
        // Holds the lock a writer takes, so the component's writes wait (reads go on).
        bool holdWriteLock();
        // Holds a lock no one may read or write past.
        bool holdExclusiveLock();
        void release();

    private:
        struct Impl;
        std::unique_ptr<Impl> d;
    };

private:
    QTemporaryDir m_dir;
    QString m_database; // PostgreSQL: the database made for this fixture
    bool m_current = false;
};
