#pragma once
// The data environment DtEn: one connection (cn) and named recordsets that are reused for any
// statement text. Statements are T-SQL text as the forms build them; the backend behind the
// connection adapts them to its engine in one place.
#include "ConnectionString.h"
#include "ResultTable.h"
#include <QDateTime>
#include <QString>
#include <map>
#include <memory>

namespace vela {

// A statement whose rows an engine may read in several parts at the same time, each part over a
// contiguous range of `keyColumn`, the integer key of `table` (unique, never NULL). The statement
// is `head` followed by `condition` (the text after its Where); a part runs it with the condition
// narrowed to the part's range, and the parts are joined in key order. The caller therefore asks
// this only for a statement that gives its rows in key order when run whole, as a plain read of
// the table does.
struct PartitionedStatement {
    QString head;
    QString condition;
    QString table;
    QString keyColumn;

    QString text() const { return head + condition; }
};

// One database engine. Implementations: SqliteBackend (embedded default); others later.
class Backend {
public:
    virtual ~Backend() = default;
    virtual QString name() const = 0;
    // Runs one statement (already traced, not yet adapted) and replaces `out` with its rows;
    // statements without rows leave `out` with no columns. Throws VelaError on failure with the
    // kind of the failure and the engine's own description.
    virtual void execute(const QString &tsql, ResultTable &out) = 0;
    // Runs a partitioned statement (already traced as its text(), not yet adapted) into `out`,
    // with its rows in key order, the order a plain read of the table gives on the embedded
    // engine. Engines that read in parts override this; the others, and servers that parallelise
    // a statement themselves, run it as one read, ordered by the key: a server's plain read
    // promises no order (a parallel scan or a table changed in place gives its rows in any
    // order), and the grid must be the same on every engine. A failure leaves `out` empty.
    virtual void executePartitioned(const PartitionedStatement &statement, ResultTable &out)
    {
        execute(statement.text() + QStringLiteral(" Order by ") + statement.table + QLatin1Char('.')
                + statement.keyColumn,
            out);
    }
    // The rows the last statement run by execute inserted, updated or deleted; 0 after a
    // statement that returns rows or writes none.
    virtual qint64 recordsAffected() const = 0;
    virtual qint32 hasPermission(qint32 userId, qint32 formPermissionId) = 0;
    virtual qint32 insertFormAction(qint32 eventId, const QString &formCode, qint32 formTypeId,
        const QString &description, qint32 userId, const QDateTime &eventDate,
        const QString &farsiEventDate, qint32 eventTime)
        = 0;
    // The engine's raw handle where one exists (sqlite3* for SQLite), for fast paths.
    virtual void *nativeHandle() { return nullptr; }

    // Picks the backend by Provider=. Throws VelaError naming an unknown provider or a missing
    // database file. Nothing is opened until the first statement.
    static std::unique_ptr<Backend> create(const ConnectionString &cs);
};

// The connection cn: keeps its connection string; opens its backend when the first statement
// runs.
class Connection {
public:
    void setConnectionString(const QString &text);
    const QString &connectionString() const { return m_text; }
    bool isOpen() const { return bool(m_backend); }
    void open(); // throws VelaError
    void close();
    Backend &backend(); // opens when needed

private:
    QString m_text;
    std::unique_ptr<Backend> m_backend;
};

class DataEnvironment;

// A reusable carrier of one statement's rows. Its row count is known as soon as it is open.
class Recordset {
public:
    enum State {
        adStateClosed = 0,
        adStateOpen = 1
    };

    Recordset(DataEnvironment *env, QString name) : m_env(env), m_name(std::move(name)) { }
    const QString &name() const { return m_name; }

    int State() const { return m_open ? adStateOpen : adStateClosed; }
    void Open(const QString &sql); // throws VelaError; the recordset is closed on failure
    // Opens on a statement the engine may read in parts (see PartitionedStatement); the rows
    // and the trace are those of Open(statement.text()).
    void Open(const PartitionedStatement &statement);
    void Close();

    int RecordCount() const { return m_open ? m_table->rowCount() : 0; }
    // The rows the statement it was opened on inserted, updated or deleted.
    qint64 RecordsAffected() const { return m_recordsAffected; }
    bool EOF_() const { return !m_open || m_row >= m_table->rowCount(); }
    void MoveFirst() { m_row = 0; }
    void MoveNext() { ++m_row; }
    int currentRow() const { return m_row; }

    // Fields of the current row by column name, case-insensitive. Throws VelaError for an
    // unknown column or when there is no current row.
    QVariant Field(const QString &column) const;
    QString FieldText(const QString &column) const; // NULL gives empty text
    bool FieldIsNull(const QString &column) const;

    const ResultTable &table() const { return *m_table; }
    // Hands the fetched rows over (the grid binds to them) and closes the recordset.
    std::shared_ptr<ResultTable> takeTable();

private:
    int column(const QString &name) const;
    DataEnvironment *m_env;
    QString m_name;
    std::shared_ptr<ResultTable> m_table = std::make_shared<ResultTable>();
    bool m_open = false;
    int m_row = 0;
    qint64 m_recordsAffected = 0;
};

class DataEnvironment {
public:
    DataEnvironment();
    ~DataEnvironment();

    Connection &cn() { return m_cn; }
    // Closes every recordset and the connection and takes a new connection string: the state of
    // a freshly created environment, while references to its recordsets stay valid.
    void reset(const QString &connectionString);

    Recordset &recordset(const QString &name); // created on first use
    Recordset &rssqlCommon() { return recordset(QStringLiteral("rssqlCommon")); }
    Recordset &rssqlAccountManager() { return recordset(QStringLiteral("rssqlAccountManager")); }
    Recordset &rssqlReportTemplates() { return recordset(QStringLiteral("rssqlReportTemplates")); }
    Recordset &rssqlCash() { return recordset(QStringLiteral("rssqlCash")); }
    Recordset &rssqlBufferQuery() { return recordset(QStringLiteral("rssqlBufferQuery")); }
    Recordset &rsspGoodTracePropertyDepInsert()
    {
        return recordset(QStringLiteral("rsspGoodTracePropertyDepInsert"));
    }

    // Runs one statement on cn (traced as built), fills `out` and returns the rows the
    // statement inserted, updated or deleted.
    qint64 execute(const QString &sql, ResultTable &out);
    // Runs a statement the engine may read in parts, traced once as its text().
    void executePartitioned(const PartitionedStatement &statement, ResultTable &out);

    // A transaction on cn, written as the T-SQL statements "BEGIN TRANSACTION",
    // "COMMIT TRANSACTION" and "ROLLBACK TRANSACTION" (read alike by every engine) and traced
    // like any statement. Begin and commit throw VelaError. Rollback never throws: when the
    // rollback itself fails (the engine may already have ended the transaction) the connection
    // is closed, which ends whatever is left of it; cn reopens on the next statement.
    void beginTransaction();
    void commitTransaction();
    void rollbackTransaction() noexcept;

    // The suite's two stored procedures; each call is traced as "CALL name(arg, ...)".
    qint32 spOrvoHasPermission(qint32 userId, qint32 formPermissionId);
    qint32 spOrvoInsertFormAction(qint32 eventId, const QString &formCode, qint32 formTypeId,
        const QString &description, qint32 userId, const QDateTime &eventDate,
        const QString &farsiEventDate, qint32 eventTime);

private:
    Connection m_cn;
    std::map<QString, std::unique_ptr<Recordset>> m_recordsets;
};

// A transaction for the span of a scope: begun on construction, rolled back when the scope is
// left (normally or by a failure) before commit() succeeded.
class TransactionScope {
public:
    explicit TransactionScope(DataEnvironment &env) : m_env(env) { m_env.beginTransaction(); }
    ~TransactionScope()
    {
        if (!m_done)
            m_env.rollbackTransaction();
    }
    void commit()
    {
        m_env.commitTransaction();
        m_done = true;
    }
    TransactionScope(const TransactionScope &) = delete;
    TransactionScope &operator=(const TransactionScope &) = delete;

private:
    DataEnvironment &m_env;
    bool m_done = false;
};

// Statement trace: when VELA_SQL_TRACE names a file, every statement is appended to it as built,
// one per line, CR and LF written as \r and \n.
namespace SqlTrace {
void write(const QString &statement);
bool enabled();
} // namespace SqlTrace

} // namespace vela
