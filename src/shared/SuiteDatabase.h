#pragma once
// Creating the suite database for the embedded backend: schema, views and role grants, and on
// request the demo data (Persian, realistic, with generated pictures).
#include <QString>

namespace vela::SuiteDatabase {

constexpr qint32 DemoAdminUserID = 1;   // holds every role of the component
constexpr qint32 DemoViewerUserID = 2;  // holds only role 111 (open the form)

// Creates a new SQLite database file at `path` (the file must not exist yet). Throws VelaError
// naming the failing script on failure and removes the half-made file.
void createSqlite(const QString &path, bool withDemoData);

// "Provider=SQLite;Data Source=<path>" with the path quoted when it needs it.
QString sqliteConnectionString(const QString &path);

// The demo database of the demo host: <user data folder>/demo.sqlite.
QString defaultDemoPath();

} // namespace vela::SuiteDatabase
