#pragma once
// Test fixture: a fresh suite database in its own temporary folder, made exactly as the demo host
// makes one (schema, views, grants and, by default, the demo data with its pictures).
//
//     TestDatabase db;                       // demo data included
//     db.useAsCurrent();                     // the component now works on it as the admin
//     db.exec("DELETE FROM tblAssetMovement");
//     QCOMPARE(db.scalar("SELECT count(*) FROM tblAssetMovement").toInt(), 0);
//
// Statements run through the sqlite3 C API on a connection of their own (foreign keys on), so
// they see and change exactly what the component does. A failing statement throws VelaError
// with the engine's message and the statement; Qt Test reports it as a failure of the test.
#include "demo/SuiteDatabase.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <QVariantList>

struct TestDatabase {
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

    QString path; // the database file
    QString connectionString; // "Provider=SQLite;Data Source=..."

    // Every statement of the text, in one transaction (so PRAGMA foreign_keys has no effect here).
    void exec(const QString &sql);
    QVariant scalar(const QString &sql); // first column of the first row; invalid when none/NULL
    QList<QVariantList> rows(const QString &sql); // all rows; NULL cells are invalid QVariants
    // Makes the component work on this database as `userId`: sets vela::CurrentUserID and
    // vela::CurrentConnectionString and renews the data environment.
    void useAsCurrent(qint32 userId = vela::SuiteDatabase::DemoAdminUserID);
    QString folder() const { return m_dir.path(); } // for files a test wants next to the database

private:
    QTemporaryDir m_dir;
    bool m_current = false;
};
