#include "Sqlite.h"

#include <QFile>
#include <mutex>
#include <sqlite3.h>

namespace vela::sqlite {

// The one place SQLite's result codes (extended codes are on) become the kinds users read.
FailureKind failureKind(int code)
{
    switch (code) {
    case SQLITE_CONSTRAINT_FOREIGNKEY:
        return FailureKind::ForeignKey;
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_ROWID:
        return FailureKind::Duplicate;
    default:
        break;
    }
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return FailureKind::Busy;
    case SQLITE_FULL:
        return FailureKind::DiskFull;
    case SQLITE_READONLY:
        return FailureKind::ReadOnly;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return FailureKind::Damaged;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return FailureKind::Unreachable;
    case SQLITE_IOERR:
        return FailureKind::DiskIo;
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
        return FailureKind::Refused;
    case SQLITE_ERROR:
    case SQLITE_SCHEMA:
    case SQLITE_RANGE:
        return FailureKind::Structure;
    case SQLITE_NOMEM:
    case SQLITE_TOOBIG:
        return FailureKind::Resources;
    default:
        return FailureKind::Other;
    }
}

// ---------------------------------------------------------------- database

namespace {

// SQLite's process-wide settings, made once before the library initialises, that is before the
// first connection is opened. Its memory statistics are turned off: with them on, every
// allocation of every connection takes one process-wide mutex, and the parts of a search read
// on several threads would wait for each other there. When the host program initialised SQLite
// already, the settings are refused (SQLITE_MISUSE) and its own stay: harmless, only slower.
void configureLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
}

} // namespace

Database::Database(const QString &path, int flags, const QString &lead)
{
    configureLibrary();
    const QByteArray file = QFile::encodeName(path);
    const int opened = sqlite3_open_v2(file.constData(), &m_db, flags, nullptr);
    if (opened != SQLITE_OK) {
        const int code = m_db ? sqlite3_extended_errcode(m_db) : opened;
        const QString text = m_db ? lastMessage() : QString::fromUtf8(sqlite3_errstr(opened));
        sqlite3_close(m_db);
        m_db = nullptr;
        throw VelaError(failureKind(code), text, lead, ErrConnection);
    }
    sqlite3_busy_timeout(m_db, 5000);
    sqlite3_extended_result_codes(m_db, 1);
}

Database::~Database()
{
    sqlite3_close_v2(m_db);
}

QString Database::lastMessage() const
{
    return QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "out of memory");
}

qint64 Database::changes() const
{
    return sqlite3_changes(m_db);
}

void Database::fail(const QString &context) const
{
    QString msg = lastMessage();
    if (!context.isEmpty())
        msg = context + QStringLiteral(": ") + msg;
    throw VelaError(failureKind(sqlite3_extended_errcode(m_db)), msg);
}

void Database::exec(const char *sql)
{
    char *err = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &err);
    if (rc == SQLITE_OK)
        return;
    const QString msg = QString::fromUtf8(err ? err : sqlite3_errstr(rc));
    sqlite3_free(err);
    throw VelaError(failureKind(sqlite3_extended_errcode(m_db)), msg);
}

// ---------------------------------------------------------------- statement

Statement::Statement(Database &db, const char *sql, const QString &context)
    : m_db(db), m_context(context)
{
    if (sqlite3_prepare_v2(db.handle(), sql, -1, &m_stmt, nullptr) != SQLITE_OK)
        db.fail(m_context);
}

Statement::Statement(Database &db, const char *&tail, const char *end) : m_db(db)
{
    const char *next = nullptr;
    if (sqlite3_prepare_v2(db.handle(), tail, int(end - tail), &m_stmt, &next) != SQLITE_OK)
        db.fail();
    tail = next;
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(m_stmt, index, value);
}

void Statement::bind(int index, const QByteArray &utf8)
{
    sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void Statement::bind(int index, const std::string &utf8)
{
    sqlite3_bind_text(m_stmt, index, utf8.data(), int(utf8.size()), SQLITE_STATIC);
}

void Statement::bindBlob(int index, const QByteArray &bytes)
{
    sqlite3_bind_blob(m_stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

void Statement::bindNull(int index)
{
    sqlite3_bind_null(m_stmt, index);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        m_db.fail(m_context);
    return false;
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QString Statement::text(int column) const
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column)),
        sqlite3_column_bytes(m_stmt, column));
}

QVariant Statement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_TEXT:
        return QVariant(text(column));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(m_stmt, column)),
            sqlite3_column_bytes(m_stmt, column)));
    default:
        return QVariant();
    }
}

// ---------------------------------------------------------------- transaction

Transaction::Transaction(Database &db) : m_db(db)
{
    m_db.exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
    if (!m_done)
        sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    m_db.exec("COMMIT");
    m_done = true;
}

} // namespace vela::sqlite
