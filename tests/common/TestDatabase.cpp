#include "TestDatabase.h"

#include "shared/VelaError.h"
#include "shared/modMain.h"

#include <QtTest>
#include <sqlite3.h>

namespace {

[[noreturn]] void fail(const QString &what, const QString &sql)
{
    const QString msg = what + QStringLiteral("\n  in: ") + sql;
    qWarning().noquote() << msg;
    throw vela::VelaError(msg, vela::ErrDatabase);
}

// A connection for one call; closed on every way out.
struct Connection {
    sqlite3 *db = nullptr;
    explicit Connection(const QString &path)
    {
        if (sqlite3_open_v2(
                QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
            != SQLITE_OK) {
            const QString msg = QString::fromUtf8(sqlite3_errmsg(db));
            sqlite3_close(db);
            db = nullptr;
            fail(msg, path);
        }
        sqlite3_busy_timeout(db, 5000);
        sqlite3_exec(db, "PRAGMA foreign_keys=ON", nullptr, nullptr, nullptr);
    }
    ~Connection() { sqlite3_close_v2(db); }
};

QVariant cell(sqlite3_stmt *st, int col)
{
    switch (sqlite3_column_type(st, col)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(st, col)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, col));
    case SQLITE_TEXT:
        return QVariant(
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, col)),
                sqlite3_column_bytes(st, col)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(st, col)),
            sqlite3_column_bytes(st, col)));
    default:
        return QVariant();
    }
}

} // namespace

TestDatabase::TestDatabase(bool demo)
{
    if (!m_dir.isValid())
        fail(QStringLiteral("no temporary folder: ") + m_dir.errorString(), QString());
    path = m_dir.filePath(QStringLiteral("suite.sqlite"));
    vela::SuiteDatabase::createSqlite(path, demo);
    connectionString = vela::SuiteDatabase::sqliteConnectionString(path);
}

TestDatabase::~TestDatabase()
{
    if (!m_current)
        return;
    try {
        if (vela::CurrentConnectionString == connectionString) {
            vela::CurrentConnectionString.clear();
            vela::ResetDataEnvironment();
        }
    } catch (const std::exception &e) {
        qWarning() << "TestDatabase: detaching the data environment failed:" << e.what();
    }
}

void TestDatabase::exec(const QString &sql)
{
    try {
        vela::SuiteDatabase::runSqliteScript(path, sql);
    } catch (const vela::VelaError &e) {
        fail(e.description(), sql);
    }
}

QList<QVariantList> TestDatabase::rows(const QString &sql)
{
    Connection c(path);
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(c.db, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK)
        fail(QString::fromUtf8(sqlite3_errmsg(c.db)), sql);
    QList<QVariantList> out;
    const int cols = sqlite3_column_count(st);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QVariantList row;
        row.reserve(cols);
        for (int i = 0; i < cols; ++i)
            row << cell(st, i);
        out << row;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        fail(QString::fromUtf8(sqlite3_errmsg(c.db)), sql);
    return out;
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
