#include "TestDatabase.h"

#include "shared/ConnectionString.h"
#include "shared/DataEnvironment.h"
#include "shared/Money.h"
#include "shared/PgBackend.h"
#include "shared/Sqlite.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

#include <QtTest>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const QString &what, const QString &sql)
{
    const QString msg = what + QStringLiteral("\n  in: ") + sql;
    qWarning().noquote() << msg;
    throw vela::VelaError(msg, vela::ErrDatabase);
}

// ---------------------------------------------------------------- SQLite

QList<QVariantList> sqliteRows(const QString &path, const QString &sql)
{
    QList<QVariantList> out;
    try {
        // A connection for one call, with foreign keys on like the component's.
        vela::sqlite::Database db(path, SQLITE_OPEN_READWRITE, QString());
        db.exec("PRAGMA foreign_keys=ON");
        const QByteArray text = sql.toUtf8();
        vela::sqlite::Statement st(db, text.constData());
        while (st.step()) {
            QVariantList row;
            for (int i = 0; i < st.columnCount(); ++i)
                row << st.value(i);
            out << row;
        }
    } catch (const vela::VelaError &e) {
        fail(e.description(), sql);
    }
    return out;
}

// ---------------------------------------------------------------- PostgreSQL

// The maintenance database of the test server: a connection string, or the state folder of
// scripts/pg-test-server that holds one.
QString serverConnection()
{
    const QString server = qEnvironmentVariable("VELA_TEST_PG_SERVER");
    if (server.startsWith(QLatin1String("Provider="), Qt::CaseInsensitive))
        return server;
    QFile f(server + QStringLiteral("/connection"));
    if (server.isEmpty() || !f.open(QIODevice::ReadOnly))
        fail(QStringLiteral("VELA_TEST_ENGINE=postgresql needs a running test server: "
                            "VELA_TEST_PG_SERVER names the state folder of "
                            "scripts/pg-test-server start (or a connection string)"),
            server);
    return QString::fromUtf8(f.readAll()).trimmed();
}

QString withDatabase(const QString &connection, const QString &database)
{
    // A later key replaces an earlier one of the same name.
    return connection + QStringLiteral(";Database=") + database;
}

QString mediaFolder()
{
    const QString server = qEnvironmentVariable("VELA_TEST_PG_SERVER");
    return server.startsWith(QLatin1String("Provider="), Qt::CaseInsensitive)
        ? QDir::tempPath() + QStringLiteral("/vela-test-media")
        : server + QStringLiteral("/media");
}

std::unique_ptr<vela::PgBackend> pgConnect(const QString &connection)
{
    return std::make_unique<vela::PgBackend>(vela::ConnectionString::parse(connection));
}

void pgRun(vela::PgBackend &db, const QString &sql)
{
    vela::ResultTable none;
    try {
        db.executeNative(sql.toUtf8(), none);
    } catch (const vela::VelaError &e) {
        fail(e.detail(), sql);
    }
}

// The template databases are built once per server by whichever test comes first; the others
// wait on the advisory lock and then copy them.
QString pgTemplate(vela::PgBackend &admin, bool demo)
{
    const QString name
        = demo ? QStringLiteral("vela_template_demo") : QStringLiteral("vela_template_empty");
    pgRun(admin, QStringLiteral("SELECT pg_advisory_lock(7341)"));
    try {
        vela::ResultTable t;
        admin.executeNative(
            "SELECT count(*) FROM pg_database WHERE datname = '" + name.toUtf8() + "'", t);
        if (t.integer(0, 0) == 0) {
            const QString building = name + QStringLiteral("_build");
            pgRun(admin, QStringLiteral("DROP DATABASE IF EXISTS %1").arg(building));
            pgRun(admin, QStringLiteral("CREATE DATABASE %1").arg(building));
            vela::SuiteDatabase::createPostgres(
                withDatabase(serverConnection(), building), demo, mediaFolder());
            pgRun(admin, QStringLiteral("ALTER DATABASE %1 RENAME TO %2").arg(building, name));
        }
    } catch (...) {
        pgRun(admin, QStringLiteral("SELECT pg_advisory_unlock(7341)"));
        throw;
    }
    pgRun(admin, QStringLiteral("SELECT pg_advisory_unlock(7341)"));
    return name;
}

// Cells as the SQLite fixture gives them, so a test reads the same values on both engines.
QVariant pgCell(const PGresult *r, int row, int col)
{
    if (PQgetisnull(r, row, col))
        return QVariant();
    const char *v = PQgetvalue(r, row, col);
    const int n = PQgetlength(r, row, col);
    switch (PQftype(r, col)) {
    case 20:
    case 21:
    case 23:
        return QVariant(QByteArray(v, n).toLongLong());
    case 16:
        return QVariant(qint64(v[0] == 't' ? 1 : 0));
    case 700:
    case 701:
        return QVariant(QByteArray(v, n).toDouble());
    case 1700: {
        const std::optional<vela::Money> m = vela::Money::parse(QLatin1String(v, n));
        return m ? QVariant(m->toString()) : QVariant(QString::fromLatin1(v, n));
    }
    case 17: {
        size_t bytes = 0;
        unsigned char *raw = PQunescapeBytea(reinterpret_cast<const unsigned char *>(v), &bytes);
        const QByteArray out(reinterpret_cast<const char *>(raw), qsizetype(bytes));
        PQfreemem(raw);
        return QVariant(out);
    }
    default:
        return QVariant(QString::fromUtf8(v, n));
    }
}

QList<QVariantList> pgRows(const QString &connection, const QString &sql)
{
    const std::unique_ptr<vela::PgBackend> db = pgConnect(connection);
    // Queries may be written as the component writes them (aliases in quotes, like, Isnull).
    const QByteArray text = vela::adaptTsqlForPostgres(sql, QStringLiteral("NULL")).sql.toUtf8();
    PGresult *r = PQexec(static_cast<PGconn *>(db->nativeHandle()), text.constData());
    const std::unique_ptr<PGresult, void (*)(PGresult *)> owner(r, PQclear);
    if (PQresultStatus(r) != PGRES_TUPLES_OK && PQresultStatus(r) != PGRES_COMMAND_OK)
        fail(QString::fromUtf8(PQresultErrorMessage(r)).trimmed(), sql);
    QList<QVariantList> out;
    for (int row = 0; row < PQntuples(r); ++row) {
        QVariantList cells;
        for (int col = 0; col < PQnfields(r); ++col)
            cells << pgCell(r, row, col);
        out << cells;
    }
    return out;
}

vela::Backend &componentBackend()
{
    return vela::DtEn().cn().backend();
}

bool componentOnSqlite()
{
    return componentBackend().name() == QLatin1String("SQLite");
}

void componentRun(const char *sqliteSql, const char *pgSql)
{
    if (componentOnSqlite()) {
        sqlite3_exec(static_cast<sqlite3 *>(componentBackend().nativeHandle()), sqliteSql, nullptr,
            nullptr, nullptr);
    } else {
        PQclear(PQexec(static_cast<PGconn *>(componentBackend().nativeHandle()), pgSql));
    }
}

QString triggerName(const QString &table, const QString &event)
{
    QString name = QStringLiteral("trRefuse_") + table + QLatin1Char('_') + event;
    for (QChar &c : name)
        if (!c.isLetterOrNumber())
            c = QLatin1Char('_');
    return name;
}

} // namespace

TestDatabase::Engine TestDatabase::engine()
{
    const QString e = qEnvironmentVariable("VELA_TEST_ENGINE").toLower();
    return e == QLatin1String("postgresql") || e == QLatin1String("postgres") ? Engine::Postgres
                                                                              : Engine::Sqlite;
}

TestDatabase::TestDatabase(bool demo)
{
    if (!m_dir.isValid())
        fail(QStringLiteral("no temporary folder: ") + m_dir.errorString(), QString());
    if (engine() == Engine::Sqlite) {
        path = m_dir.filePath(QStringLiteral("suite.sqlite"));
        vela::SuiteDatabase::createSqlite(path, demo);
        connectionString = vela::SuiteDatabase::sqliteConnectionString(path);
        return;
    }
    static int made = 0;
    m_database = QStringLiteral("vela_test_%1_%2").arg(getpid()).arg(++made);
    const std::unique_ptr<vela::PgBackend> admin = pgConnect(serverConnection());
    const QString source = pgTemplate(*admin, demo);
    pgRun(*admin, QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(m_database, source));
    connectionString = withDatabase(serverConnection(), m_database);
}

TestDatabase::~TestDatabase()
{
    try {
        if (m_current && vela::CurrentConnectionString == connectionString) {
            vela::CurrentConnectionString.clear();
            vela::ResetDataEnvironment();
        }
        if (!m_database.isEmpty()) {
            const std::unique_ptr<vela::PgBackend> admin = pgConnect(serverConnection());
            pgRun(
                *admin, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_database));
        }
    } catch (const std::exception &e) {
        qWarning() << "TestDatabase: cleaning up failed:" << e.what();
    }
}

void TestDatabase::exec(const QString &sql)
{
    try {
        if (m_database.isEmpty())
            vela::SuiteDatabase::runSqliteScript(path, sql);
        else
            vela::SuiteDatabase::runPostgresScript(connectionString, sql);
    } catch (const vela::VelaError &e) {
        fail(e.description(), sql);
    }
}

QList<QVariantList> TestDatabase::rows(const QString &sql)
{
    return m_database.isEmpty() ? sqliteRows(path, sql) : pgRows(connectionString, sql);
}

QVariant TestDatabase::scalar(const QString &sql)
{
    const QList<QVariantList> r = rows(sql);
    return r.isEmpty() || r.first().isEmpty() ? QVariant() : r.first().first();
}

void TestDatabase::useAsCurrent(qint32 userId)
{
    vela::CurrentUserID = userId;
    vela::CurrentConnectionString = connectionString;
    vela::ResetDataEnvironment();
    m_current = true;
}

QString TestDatabase::blob(const QByteArray &bytes)
{
    const QString hex = QString::fromLatin1(bytes.toHex());
    return onPostgres() ? QStringLiteral("'\\x%1'::bytea").arg(hex)
                        : QStringLiteral("x'%1'").arg(hex);
}

void TestDatabase::refuse(
    const QString &table, const QString &event, const QString &message, const QString &when)
{
    const QString name = triggerName(table, event);
    QString text = message;
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    const QString condition = when.isEmpty() ? QString() : QStringLiteral(" WHEN (%1)").arg(when);
    if (m_database.isEmpty()) {
        exec(QStringLiteral(
            "CREATE TRIGGER %1 BEFORE %2 ON %3%5 BEGIN SELECT RAISE(ABORT, '%4'); END")
                 .arg(name, event, table, text, condition));
    } else {
        exec(QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                            "RAISE EXCEPTION '%2'; END $$; CREATE TRIGGER %1 BEFORE %3 ON %4 "
                            "FOR EACH ROW%5 EXECUTE FUNCTION %1()")
                 .arg(name, text, event, table, condition));
    }
}

void TestDatabase::allow(const QString &table, const QString &event)
{
    const QString name = triggerName(table, event);
    if (m_database.isEmpty())
        exec(QStringLiteral("DROP TRIGGER %1").arg(name));
    else
        exec(QStringLiteral("DROP TRIGGER %1 ON %2; DROP FUNCTION %1()").arg(name, table));
}

void TestDatabase::componentWaitsNotForLocks()
{
    if (componentOnSqlite())
        sqlite3_busy_timeout(static_cast<sqlite3 *>(componentBackend().nativeHandle()), 0);
    else // 0 would mean no limit at all
        componentRun("", "SET lock_timeout = 1");
}

void TestDatabase::componentReadOnly(bool on)
{
    componentRun(on ? "PRAGMA query_only=1" : "PRAGMA query_only=0",
        on ? "SET default_transaction_read_only = on" : "SET default_transaction_read_only = off");
}

// ---------------------------------------------------------------- another program

struct TestDatabase::OtherClient::Impl {
    std::unique_ptr<vela::sqlite::Database> sqlite;
    std::unique_ptr<vela::PgBackend> pg;
};

TestDatabase::OtherClient::OtherClient(const TestDatabase &db) : d(std::make_unique<Impl>())
{
    if (db.m_database.isEmpty()) {
        d->sqlite = std::make_unique<vela::sqlite::Database>(
            db.path, SQLITE_OPEN_READWRITE, QStringLiteral("another program"));
        // Another program that finds the file locked gives up at once instead of waiting.
        sqlite3_busy_timeout(d->sqlite->handle(), 0);
    } else {
        d->pg = pgConnect(db.connectionString);
    }
}

TestDatabase::OtherClient::~OtherClient() = default;

bool TestDatabase::OtherClient::exec(const QString &sql)
{
    try {
        if (d->sqlite) {
            d->sqlite->exec(sql.toUtf8().constData());
        } else {
            vela::ResultTable none;
            d->pg->executeNative(sql.toUtf8(), none);
        }
        return true;
    } catch (const vela::VelaError &) {
        return false;
    }
}

// The tables a save or delete of the entry form writes, and the grants its permission check
// reads: what SQLite's whole-file locks cover for the component.
static const QLatin1String PgLockedTables(
    "tblAssetEstablishment, tblOrvoFormAction, tblOrvoFormAttachment, tblOrvoUserPermission");

bool TestDatabase::OtherClient::holdWriteLock()
{
    return exec(d->sqlite
            ? QStringLiteral("BEGIN IMMEDIATE")
            : QStringLiteral("BEGIN; LOCK TABLE %1 IN EXCLUSIVE MODE").arg(PgLockedTables));
}

bool TestDatabase::OtherClient::holdExclusiveLock()
{
    return exec(d->sqlite
            ? QStringLiteral("BEGIN EXCLUSIVE")
            : QStringLiteral("BEGIN; LOCK TABLE %1 IN ACCESS EXCLUSIVE MODE").arg(PgLockedTables));
}

void TestDatabase::OtherClient::release()
{
    exec(QStringLiteral("ROLLBACK"));
}
