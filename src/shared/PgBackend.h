#pragma once
// The server backend: a PostgreSQL database reached through libpq. Rows go from the server's
// result straight into a ResultTable, one row at a time (single-row mode), so a million-row
// search never holds the whole result twice.
#include "DataEnvironment.h"
#include "VelaError.h"

#include <QByteArray>
#include <QHash>

typedef struct pg_conn PGconn;

namespace vela {

// The component's T-SQL statement as PostgreSQL reads it (see adaptTsqlForPostgres).
struct PgStatement {
    QString sql;
    // For a single INSERT: the table it writes and where in `sql` a RETURNING clause goes, so
    // that the backend learns the identity the insert itself assigned; else empty and -1.
    QString insertTable;
    int returningAt = -1;
};

// Rewrites T-SQL text with the lexer the SQLite adaptation uses (string literals, quoted names
// and comments are never touched):
//   expr as 'alias'              -> expr as "alias"
//   [Name]                       -> Name
//   getdate()                    -> localtimestamp(0)
//   Isnull(a,b)                  -> coalesce(a,b)
//   SCOPE_IDENTITY()             -> `identity` (digits, or NULL typed as bigint)
//   Delete tbl Where ...         -> Delete from tbl Where ...
//   a like b / a not like b      -> a ~~~ b / a !~~~ b (the schema's like: case-, digit-, yeh- and
//                                   kaf-blind; precedence above comparisons, AND, OR and NOT)
//   BEGIN TRAN / COMMIT TRAN     -> BEGIN TRANSACTION / COMMIT TRANSACTION
//   0x89504E47                   -> '\x89504E47'::bytea (binary literals; 0xABC is 0x0ABC)
// Decimal literals stay as written: PostgreSQL reads them as exact numerics. Unquoted
// identifiers fold to lower case as the schema's do, so mixed-case names keep working.
PgStatement adaptTsqlForPostgres(const QString &tsql, const QString &identity);

// The one place SQLSTATEs become the kinds users read.
FailureKind pgFailureKind(const char *sqlstate);

class PgBackend : public Backend {
public:
    // How long a statement waits for a row or table another client has locked before it is
    // reported busy; the same bound as the embedded backend's.
    static constexpr int LockWaitMs = 5000;

    // Connects at once: Host, Port, Database, User ID, Password and sslmode of the connection
    // string (no Password: libpq's ~/.pgpass). Throws VelaError naming host and port when the
    // server cannot be reached or refuses the login.
    explicit PgBackend(const ConnectionString &cs);
    ~PgBackend() override;

    QString name() const override { return QStringLiteral("PostgreSQL"); }
    void execute(const QString &tsql, ResultTable &out) override;
    qint64 recordsAffected() const override { return m_recordsAffected; }
    qint32 hasPermission(qint32 userId, qint32 formPermissionId) override;
    qint32 insertFormAction(qint32 eventId, const QString &formCode, qint32 formTypeId,
        const QString &description, qint32 userId, const QDateTime &eventDate,
        const QString &farsiEventDate, qint32 eventTime) override;
    void *nativeHandle() override { return m_conn; }

    // Runs PostgreSQL text as it is (all statements of it), keeping the rows of the last
    // statement that returns columns.
    void executeNative(const QByteArray &sql, ResultTable &out);

    // The keywords libpq is given for a connection string (for the tests of the mapping).
    static QList<QPair<QByteArray, QByteArray>> connectionParameters(const ConnectionString &cs);

private:
    void connect();
    // Before a statement: opens the connection again if the server dropped it. A transaction
    // lost that way is not continued outside a transaction: every statement but a rollback is
    // refused until the rollback has been asked for.
    void ensureConnected(bool rollback = false);
    // Runs `sql`; the rows of a statement go to `out`, or, with `identityOnly`, only the first
    // column of its last row is kept as the remembered identity.
    void run(const QByteArray &sql, ResultTable &out, bool identityOnly);
    QByteArray identityColumn(const QString &table);
    [[noreturn]] void failConnection(const QString &engineText) const;

    QList<QPair<QByteArray, QByteArray>> m_params;
    QString m_where; // "host:port" as users read it in messages
    PGconn *m_conn = nullptr;
    qint64 m_recordsAffected = 0;
    bool m_lostTransaction = false;
    QString m_identity = QStringLiteral("NULL"); // SCOPE_IDENTITY() of this connection
    QHash<QString, QByteArray> m_identityColumns; // table (as written) -> column, empty: none
};

} // namespace vela
