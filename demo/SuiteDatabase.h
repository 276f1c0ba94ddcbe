#pragma once
// Creating the suite database for the embedded backend: schema, views and role grants, and on
// request the demo data (Persian, realistic, with generated pictures). Part of the demo library
// that the demo host, the tests and the benchmarks link; the shipped component never uses it.
//
// The demo pictures are drawn with QPainter; their Persian captions need a QGuiApplication (or
// QApplication) for text rendering. Without one the pictures carry their shapes only.
#include <QString>

namespace vela::SuiteDatabase {

constexpr qint32 DemoAdminUserID = 1; // holds every role of the component
constexpr qint32 DemoViewerUserID = 2; // holds only role 111 (open the form)

// Creates a new SQLite database file at `path` (the file must not exist yet). Throws VelaError
// naming the failing script on failure and removes the half-made file.
void createSqlite(const QString &path, bool withDemoData);

// "Provider=SQLite;Data Source=<path>" with the path quoted when it needs it.
QString sqliteConnectionString(const QString &path);

// The demo database of the demo host: <user data folder>/demo.sqlite.
QString defaultDemoPath();

// The suite's install directory as the running program finds it, with a trailing "/" (the suite
// puts file names right after it): <prefix>/lib/vela-asset/ beside the installed program's bin/,
// else the build tree's mirror of it, <build>/suite/, beside the folder of a program of the build
// (app/, tests/, bench/). Report templates lie under Reports/, components under Commercial/.
// Empty when neither exists. Needs a QCoreApplication.
QString installDirectory();

// Sets the suite's base path (BasePath of tblOrvoSetting, which vwOrvoBasePath gives the forms
// as their install directory) in the database at `path`; empty text writes NULL.
void setBasePath(const QString &path, const QString &basePath);

// Runs every statement of `sql` on the existing database file at `path` in one transaction with
// foreign keys on. Throws VelaError with the engine's message and the line of the failing
// statement; the database is then left as it was.
void runSqliteScript(const QString &path, const QString &sql);

// Appends `count` generated assets to the database at `path` in one transaction: Persian names
// fitting each asset's group, amounts up to hundreds of billions of rials (some with fractions),
// calendar dates with their Persian twins, and about a tenth to a third of each optional column
// NULL. Every lookup ID is taken from the active rows of the lookup views, so the database needs
// its lookups (a demo database has them); throws VelaError naming an empty view. The same seed on
// the same database gives the same rows. A million rows take some ten seconds.
void generateAssets(const QString &path, int count, quint32 seed);

// ---- the same on a PostgreSQL server (connection strings of Provider=PostgreSQL)

// Builds the suite, and on request the demo data, in the existing empty database the connection
// string names, in one transaction. The demo's external picture is written into `mediaFolder`
// (empty: "<database>_media" beside defaultDemoPath()). Throws VelaError naming the failing script;
// the database is then left empty. A database that has tables already is refused.
void createPostgres(
    const QString &connectionString, bool withDemoData, const QString &mediaFolder = {});

// Runs every statement of `sql` (PostgreSQL text) in one transaction. Throws VelaError with the
// server's message; the database is then left as it was.
void runPostgresScript(const QString &connectionString, const QString &sql);

// Copies the assets of the SQLite database at `sqlitePath` (generateAssets' rows) whose IDs are
// above the largest the PostgreSQL database holds, with their IDs, in one transaction.
void copyAssetsToPostgres(const QString &sqlitePath, const QString &connectionString);

} // namespace vela::SuiteDatabase
