#pragma once
// The one wrapper of SQLite's C API, used by the embedded backend, the demo database builder and
// the test fixture: a database handle, a prepared statement and a transaction, each released on
// every way out. Failures are VelaErrors of the kind SQLite's extended result code stands for
// (sorted in one place, failureKind), with the engine's own text as their detail.
//
//     sqlite::Database db(path, SQLITE_OPEN_READWRITE, lead);
//     sqlite::Transaction transaction(db);
//     sqlite::Statement insert(db, "INSERT INTO t(a) VALUES (?1)");
//     insert.bind(1, 42);
//     insert.step();
//     transaction.commit();
#include "VelaError.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace vela::sqlite {

// The kind of failure an extended result code stands for.
FailureKind failureKind(int extendedCode);

class Database {
public:
    // Opens the file with the given SQLITE_OPEN_* flags, with extended result codes and a busy
    // timeout of five seconds. A refusal throws VelaError(kind, engine text, lead, ErrConnection).
    Database(const QString &path, int flags, const QString &lead);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    sqlite3 *handle() const { return m_db; }
    // Runs statements that return nothing (PRAGMA, BEGIN, a script without parameters).
    void exec(const char *sql);
    // Throws the connection's last failure, `context` (may be empty) before the engine's text.
    [[noreturn]] void fail(const QString &context = QString()) const;
    QString lastMessage() const;
    qint64 changes() const;

private:
    sqlite3 *m_db = nullptr;
};

class Statement {
public:
    // A failure of the statement names `context` (may be empty) before the engine's text.
    Statement(Database &db, const char *sql, const QString &context = QString());
    // Prepares the first statement of [tail, end) and moves tail past it. Holds no statement
    // (isEmpty) when only blanks or comments were left.
    Statement(Database &db, const char *&tail, const char *end);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool isEmpty() const { return m_stmt == nullptr; }
    sqlite3_stmt *handle() const { return m_stmt; }

    void bind(int index, qint64 value);
    void bind(int index, int value) { bind(index, qint64(value)); }
    void bind(int index, const QByteArray &utf8); // copied
    void bind(int index, const std::string &utf8); // not copied: must outlive the step
    void bindBlob(int index, const QByteArray &bytes); // copied
    void bindNull(int index);

    // One step: true while it gives a row, false when done; a failure throws.
    bool step();
    void reset(); // ready to step again, bindings cleared

    int columnCount() const;
    bool isNull(int column) const;
    qint64 integer(int column) const;
    QString text(int column) const;
    // A cell as a QVariant: qint64, double, QString, QByteArray, or invalid for NULL.
    QVariant value(int column) const;

private:
    Database &m_db;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_context;
};

// BEGIN IMMEDIATE on construction; rolled back when left before commit().
class Transaction {
public:
    explicit Transaction(Database &db);
    ~Transaction();
    void commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Database &m_db;
    bool m_done = false;
};

} // namespace vela::sqlite
