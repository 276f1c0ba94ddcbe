#pragma once
// The suite's own server, SQL Server, reached through the FreeTDS ODBC driver (unixODBC). The
// statements are T-SQL already and go to the server unchanged, each run directly (not prepared),
// so that SCOPE_IDENTITY() of one statement is seen by the next on the same connection as it is
// over OLE DB. Rows are converted from ODBC's own C types into the compact result store.
//
// No SQL Server can be started where this is built and tested: the connection-string mapping,
// the failure kinds and the conversion of column values are tested on their own; the path to a
// live server is kept thin.
#include "DataEnvironment.h"
#include "VelaError.h"

#include <QByteArray>

namespace vela {

namespace odbc {

// How one column's values are fetched (the C type asked of SQLGetData) and stored.
enum class Fetch {
    Integer, // SQL_C_SBIGINT: int, smallint, tinyint, bigint, bit
    Decimal, // SQL_C_CHAR: decimal, numeric, money as exact text
    Real, // SQL_C_DOUBLE: real, float
    Text, // SQL_C_WCHAR: char, varchar, nchar, nvarchar, text, ntext, anything else
    Binary, // SQL_C_BINARY: binary, varbinary, image
    Date, // SQL_C_TYPE_DATE
    Timestamp // SQL_C_TYPE_TIMESTAMP: datetime, datetime2, smalldatetime
};

// The fetch for a column of ODBC SQL type `sqlType` (SQLDescribeCol's DataType).
Fetch fetchFor(int sqlType);

// The C type SQLGetData is asked for with `fetch`.
int cType(Fetch fetch);

// Appends one value as fetched into `data` (`bytes` long; for Text, UTF-16 code units of
// SQLWCHAR; for Date and Timestamp, the ODBC structs) to the current row of `out`, as the embedded
// backend would give it: whole numbers as integers, decimals as exact money, dates as
// 'yyyy-MM-dd' and timestamps as 'yyyy-MM-dd HH:mm:ss'. A null `data` is NULL.
void appendValue(ResultTable &out, Fetch fetch, const void *data, qsizetype bytes);

// The ODBC connection string for an OLE DB one of the provider SQLOLEDB: Data Source (host,
// "host,port" or "host\instance"), Initial Catalog, User ID and Password, for the FreeTDS driver
// (or the one named by Driver=). Integrated Security (Windows sign-in) is refused with a
// VelaError, as is a missing Data Source.
QString connectionString(const ConnectionString &cs);

// SQL Server's error numbers first (they tell duplicates from foreign keys), then the ODBC
// SQLSTATE's class.
FailureKind failureKind(const QByteArray &sqlstate, int nativeError, const QString &message);

} // namespace odbc

class OdbcBackend : public Backend {
public:
    explicit OdbcBackend(const ConnectionString &cs); // connects; throws VelaError
    ~OdbcBackend() override;

    QString name() const override { return QStringLiteral("SQL Server"); }
    void execute(const QString &tsql, ResultTable &out) override;
    qint64 recordsAffected() const override { return m_recordsAffected; }
    qint32 hasPermission(qint32 userId, qint32 formPermissionId) override;
    qint32 insertFormAction(qint32 eventId, const QString &formCode, qint32 formTypeId,
        const QString &description, qint32 userId, const QDateTime &eventDate,
        const QString &farsiEventDate, qint32 eventTime) override;
    void *nativeHandle() override { return m_dbc; }

private:
    [[noreturn]] void fail(short handleType, void *handle, const QString &context) const;
    void callProcedure(const QString &call, const QList<QVariant> &args, qint32 &result);

    void *m_env = nullptr;
    void *m_dbc = nullptr;
    QString m_server;
    qint64 m_recordsAffected = 0;
};

} // namespace vela
