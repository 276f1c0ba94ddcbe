#include "OdbcBackend.h"
#include "Money.h"

#include <QDateTime>
#include <cstring>
#include <sql.h>
#include <sqlext.h>
#include <vector>

namespace vela {

namespace odbc {

Fetch fetchFor(int sqlType)
{
    switch (sqlType) {
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_BIT:
        return Fetch::Integer;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return Fetch::Decimal;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return Fetch::Real;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return Fetch::Binary;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return Fetch::Date;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return Fetch::Timestamp;
    default:
        return Fetch::Text;
    }
}

int cType(Fetch fetch)
{
    switch (fetch) {
    case Fetch::Integer:
        return SQL_C_SBIGINT;
    case Fetch::Decimal:
        return SQL_C_CHAR;
    case Fetch::Real:
        return SQL_C_DOUBLE;
    case Fetch::Binary:
        return SQL_C_BINARY;
    case Fetch::Date:
        return SQL_C_TYPE_DATE;
    case Fetch::Timestamp:
        return SQL_C_TYPE_TIMESTAMP;
    case Fetch::Text:
        break;
    }
    return SQL_C_WCHAR;
}

void appendValue(ResultTable &out, Fetch fetch, const void *data, qsizetype bytes)
{
    if (!data) {
        out.appendNull();
        return;
    }
    switch (fetch) {
    case Fetch::Integer: {
        SQLBIGINT v;
        std::memcpy(&v, data, sizeof v);
        out.appendInteger(v);
        return;
    }
    case Fetch::Decimal: {
        const QLatin1String text(static_cast<const char *>(data), bytes);
        if (const std::optional<Money> m = Money::parse(text))
            out.appendMoney(*m);
        else
            out.appendReal(QString(text).toDouble());
        return;
    }
    case Fetch::Real: {
        double v;
        std::memcpy(&v, data, sizeof v);
        out.appendReal(v);
        return;
    }
    case Fetch::Binary:
        out.appendBlob(data, int(bytes));
        return;
    case Fetch::Date: {
        SQL_DATE_STRUCT d;
        std::memcpy(&d, data, sizeof d);
        const QByteArray text
            = QDate(d.year, d.month, d.day).toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
        out.appendText(text.constData(), int(text.size()));
        return;
    }
    case Fetch::Timestamp: {
        SQL_TIMESTAMP_STRUCT t;
        std::memcpy(&t, data, sizeof t);
        const QDateTime dt(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
        const QByteArray text = dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
        out.appendText(text.constData(), int(text.size()));
        return;
    }
    case Fetch::Text: {
        static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC's SQLWCHAR is UTF-16");
        out.appendText(QString::fromUtf16(
            static_cast<const char16_t *>(data), bytes / qsizetype(sizeof(SQLWCHAR))));
        return;
    }
    }
}

QString connectionString(const ConnectionString &cs)
{
    const QString integrated = cs.value(QStringLiteral("Integrated Security")).trimmed();
    if (!integrated.isEmpty()
        && (integrated.compare(QLatin1String("SSPI"), Qt::CaseInsensitive) == 0
            || integrated.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
            || integrated.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0))
        throw VelaError(
            QStringLiteral(
                "ورود با حساب ویندوز (Integrated Security) در این نسخه پشتیبانی "
                "نمی‌شود. در رشته اتصال نام کاربری (User ID) و رمز (Password) "
                "SQL Server را بدهید یا از مدیر سیستم بخواهید."),
            ErrConnection);
    QString server
        = cs.value(QStringLiteral("Data Source"), cs.value(QStringLiteral("Server"))).trimmed();
    if (server.isEmpty())
        throw VelaError(QStringLiteral("نام سرور SQL Server (Data Source) در رشته اتصال مشخص "
                                       "نشده است. به مدیر سیستم خبر دهید."),
            ErrConnection);
    // ODBC values holding ; { } or blanks at their ends are written in braces, } doubled.
    auto value = [](const QString &v) {
        if (!v.contains(QLatin1Char(';')) && !v.contains(QLatin1Char('{'))
            && !v.contains(QLatin1Char('}')) && v == v.trimmed())
            return v;
        return QLatin1Char('{') + QString(v).replace(QLatin1Char('}'), QLatin1String("}}"))
            + QLatin1Char('}');
    };
    QString port;
    const qsizetype comma = server.indexOf(QLatin1Char(','));
    if (comma >= 0) { // "host,port" as SQL Server's clients write it
        port = server.mid(comma + 1).trimmed();
        server = server.left(comma).trimmed();
    }
    QStringList parts;
    parts << QStringLiteral("Driver=")
            + value(cs.value(QStringLiteral("Driver"), QStringLiteral("FreeTDS")))
          << QStringLiteral("Server=") + value(server);
    if (!port.isEmpty())
        parts << QStringLiteral("Port=") + value(port);
    const QString database
        = cs.value(QStringLiteral("Initial Catalog"), cs.value(QStringLiteral("Database")));
    if (!database.isEmpty())
        parts << QStringLiteral("Database=") + value(database);
    if (cs.contains(QStringLiteral("User ID")))
        parts << QStringLiteral("UID=") + value(cs.value(QStringLiteral("User ID")));
    if (cs.contains(QStringLiteral("Password")))
        parts << QStringLiteral("PWD=") + value(cs.value(QStringLiteral("Password")));
    // Texts as UTF-8 on the wire of FreeTDS; TDS 7.4 carries date and datetime2 as such.
    parts << QStringLiteral("ClientCharset=UTF-8") << QStringLiteral("TDS_Version=7.4");
    return parts.join(QLatin1Char(';'));
}

FailureKind failureKind(const QByteArray &sqlstate, int nativeError, const QString &message)
{
    switch (nativeError) {
    case 547: // a FOREIGN KEY or CHECK conflict
        return message.contains(QLatin1String("FOREIGN KEY"), Qt::CaseInsensitive)
                || message.contains(QLatin1String("REFERENCE"), Qt::CaseInsensitive)
            ? FailureKind::ForeignKey
            : FailureKind::Refused;
    case 2601:
    case 2627:
        return FailureKind::Duplicate;
    case 1205: // deadlock victim
    case 1222: // lock request time out
        return FailureKind::Busy;
    case 1105:
    case 9002:
        return FailureKind::DiskFull;
    case 3906:
    case 229:
    case 230:
        return FailureKind::ReadOnly;
    case 208:
    case 207:
    case 102:
    case 2812:
        return FailureKind::Structure;
    case 8152:
    case 701:
        return FailureKind::Resources;
    case 4060:
    case 18456:
        return FailureKind::Unreachable;
    default:
        break;
    }
    if (nativeError >= 50000)
        return FailureKind::Refused; // RAISERROR / THROW of a trigger or procedure
    const QByteArray cls = sqlstate.left(2);
    if (sqlstate == "40001" || sqlstate == "HYT00" || sqlstate == "HYT01")
        return FailureKind::Busy;
    if (cls == "23")
        return FailureKind::Refused;
    if (cls == "08" || cls == "28")
        return FailureKind::Unreachable;
    if (cls == "42")
        return FailureKind::Structure;
    if (cls == "22")
        return FailureKind::Refused;
    if (sqlstate == "HY001")
        return FailureKind::Resources;
    return FailureKind::Other;
}

} // namespace odbc

// ---------------------------------------------------------------- the backend

namespace {

bool ok(SQLRETURN rc)
{
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// A statement handle, freed on every way out.
struct Stmt {
    SQLHSTMT h = SQL_NULL_HSTMT;
    ~Stmt()
    {
        if (h)
            SQLFreeHandle(SQL_HANDLE_STMT, h);
    }
};

std::u16string utf16(const QString &s)
{
    return std::u16string(reinterpret_cast<const char16_t *>(s.utf16()), size_t(s.size()));
}

} // namespace

OdbcBackend::OdbcBackend(const ConnectionString &cs)
{
    const QString odbcText = odbc::connectionString(cs); // refuses what it cannot map
    m_server = cs.value(QStringLiteral("Data Source"), cs.value(QStringLiteral("Server")));
    if (!ok(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env)))
        throw std::bad_alloc();
    SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!ok(SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc)))
        throw std::bad_alloc();
    SQLSetConnectAttr(m_dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(10), 0);
    const std::u16string text = utf16(odbcText);
    const SQLRETURN rc = SQLDriverConnectW(m_dbc, nullptr,
        reinterpret_cast<SQLWCHAR *>(const_cast<char16_t *>(text.c_str())), SQL_NTS, nullptr, 0,
        nullptr, SQL_DRIVER_NOPROMPT);
    if (!ok(rc)) {
        try {
            fail(SQL_HANDLE_DBC, m_dbc, QString());
        } catch (VelaError &e) {
            const QChar ltr(0x200E);
            const QString detail = e.detail();
            SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
            SQLFreeHandle(SQL_HANDLE_ENV, m_env);
            m_dbc = m_env = nullptr;
            throw VelaError(FailureKind::Unreachable, detail,
                QStringLiteral("اتصال به سرور SQL Server «%1» برقرار نشد.")
                    .arg(ltr + m_server + ltr),
                ErrConnection);
        }
    }
    // A bounded wait for rows other clients hold locked, as on the other engines.
    ResultTable none;
    execute(QStringLiteral("SET LOCK_TIMEOUT 5000"), none);
}

OdbcBackend::~OdbcBackend()
{
    if (m_dbc) {
        SQLDisconnect(m_dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    }
    if (m_env)
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
}

void OdbcBackend::fail(short handleType, void *handle, const QString &context) const
{
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLWCHAR message[1024] = {};
    SQLSMALLINT length = 0;
    QString text;
    QByteArray sqlstate;
    if (ok(SQLGetDiagRecW(handleType, handle, 1, state, &native, message,
            SQLSMALLINT(sizeof message / sizeof *message), &length))) {
        sqlstate = QString::fromUtf16(reinterpret_cast<const char16_t *>(state), 5).toLatin1();
        text = QString::fromUtf16(reinterpret_cast<const char16_t *>(message),
            qMin<qsizetype>(length, qsizetype(sizeof message / sizeof *message) - 1));
    } else {
        text = QStringLiteral("ODBC call failed");
    }
    if (!context.isEmpty())
        text = context + QStringLiteral(": ") + text;
    throw VelaError(odbc::failureKind(sqlstate, int(native), text), text);
}

void OdbcBackend::execute(const QString &tsql, ResultTable &out)
{
    out.clear();
    m_recordsAffected = 0;
    Stmt st;
    if (!ok(SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &st.h)))
        fail(SQL_HANDLE_DBC, m_dbc, QString());
    const std::u16string text = utf16(tsql);
    SQLRETURN rc = SQLExecDirectW(
        st.h, reinterpret_cast<SQLWCHAR *>(const_cast<char16_t *>(text.c_str())), SQL_NTS);
    if (rc == SQL_NO_DATA)
        return;
    if (!ok(rc))
        fail(SQL_HANDLE_STMT, st.h, QString());
    std::vector<char> chunk(64 * 1024);
    QByteArray value;
    // Each result of a batch: rows replace those of an earlier result, counts are kept for the
    // statements that write.
    do {
        SQLSMALLINT cols = 0;
        SQLNumResultCols(st.h, &cols);
        if (cols <= 0) {
            SQLLEN count = 0;
            if (ok(SQLRowCount(st.h, &count)))
                m_recordsAffected = qMax<SQLLEN>(count, 0);
            continue;
        }
        m_recordsAffected = 0;
        QStringList names;
        std::vector<odbc::Fetch> fetches;
        for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(cols); ++c) {
            SQLWCHAR name[256] = {};
            SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            SQLDescribeColW(st.h, c, name, 255, &nameLength, &type, &size, &digits, &nullable);
            names << QString::fromUtf16(
                reinterpret_cast<const char16_t *>(name), qMin<qsizetype>(nameLength, 255));
            fetches.push_back(odbc::fetchFor(type));
        }
        out.setColumns(names);
        while (ok(rc = SQLFetch(st.h))) {
            out.beginRow();
            for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(cols); ++c) {
                const odbc::Fetch f = fetches[c - 1];
                const SQLSMALLINT ct = SQLSMALLINT(odbc::cType(f));
                // Long values come in pieces: each call gives what fits, the last one the rest.
                value.clear();
                bool isNull = false;
                for (;;) {
                    SQLLEN indicator = 0;
                    const SQLRETURN g
                        = SQLGetData(st.h, c, ct, chunk.data(), SQLLEN(chunk.size()), &indicator);
                    if (g == SQL_NO_DATA)
                        break;
                    if (!ok(g))
                        fail(SQL_HANDLE_STMT, st.h, QString());
                    if (indicator == SQL_NULL_DATA) {
                        isNull = true;
                        break;
                    }
                    const bool fixed = f == odbc::Fetch::Integer || f == odbc::Fetch::Real
                        || f == odbc::Fetch::Date || f == odbc::Fetch::Timestamp;
                    const SQLLEN terminator = ct == SQL_C_WCHAR ? 2 : ct == SQL_C_CHAR ? 1 : 0;
                    SQLLEN piece = indicator;
                    if (fixed)
                        piece = f == odbc::Fetch::Date    ? SQLLEN(sizeof(SQL_DATE_STRUCT))
                            : f == odbc::Fetch::Timestamp ? SQLLEN(sizeof(SQL_TIMESTAMP_STRUCT))
                                                          : SQLLEN(8);
                    const bool more = g == SQL_SUCCESS_WITH_INFO && !fixed
                        && (indicator == SQL_NO_TOTAL
                            || indicator > SQLLEN(chunk.size()) - terminator);
                    if (more)
                        piece = SQLLEN(chunk.size()) - terminator;
                    value.append(chunk.data(), qsizetype(piece));
                    if (!more)
                        break;
                }
                odbc::appendValue(out, f, isNull ? nullptr : value.constData(), value.size());
            }
            out.endRow();
        }
        if (rc != SQL_NO_DATA) {
            out.clear();
            fail(SQL_HANDLE_STMT, st.h, QString());
        }
    } while (ok(rc = SQLMoreResults(st.h)));
    if (rc != SQL_NO_DATA && !ok(rc)) {
        out.clear();
        fail(SQL_HANDLE_STMT, st.h, QString());
    }
}

void OdbcBackend::callProcedure(const QString &call, const QList<QVariant> &args, qint32 &result)
{
    Stmt st;
    if (!ok(SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &st.h)))
        fail(SQL_HANDLE_DBC, m_dbc, QString());
    SQLINTEGER returned = 0;
    SQLLEN returnedIndicator = 0;
    SQLBindParameter(st.h, 1, SQL_PARAM_OUTPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &returned, 0,
        &returnedIndicator);
    // Buffers live until the call has run.
    std::vector<std::u16string> texts(size_t(args.size()));
    std::vector<SQLINTEGER> numbers(size_t(args.size()));
    std::vector<SQL_TIMESTAMP_STRUCT> stamps(size_t(args.size()));
    std::vector<SQLLEN> indicators(size_t(args.size()));
    for (int i = 0; i < args.size(); ++i) {
        const QVariant &a = args[i];
        const SQLUSMALLINT n = SQLUSMALLINT(i + 2);
        if (a.typeId() == QMetaType::Int) {
            numbers[size_t(i)] = a.toInt();
            SQLBindParameter(st.h, n, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0,
                &numbers[size_t(i)], 0, nullptr);
        } else if (a.typeId() == QMetaType::QDateTime) {
            const QDateTime dt = a.toDateTime();
            SQL_TIMESTAMP_STRUCT &t = stamps[size_t(i)];
            t = {SQLSMALLINT(dt.date().year()), SQLUSMALLINT(dt.date().month()),
                SQLUSMALLINT(dt.date().day()), SQLUSMALLINT(dt.time().hour()),
                SQLUSMALLINT(dt.time().minute()), SQLUSMALLINT(dt.time().second()), 0};
            indicators[size_t(i)] = dt.isValid() ? SQLLEN(sizeof t) : SQL_NULL_DATA;
            SQLBindParameter(st.h, n, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 19,
                0, &t, 0, &indicators[size_t(i)]);
        } else {
            texts[size_t(i)] = utf16(a.toString());
            indicators[size_t(i)] = SQLLEN(texts[size_t(i)].size() * sizeof(char16_t));
            SQLBindParameter(st.h, n, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                qMax<SQLULEN>(1, texts[size_t(i)].size()), 0,
                const_cast<char16_t *>(texts[size_t(i)].c_str()), 0, &indicators[size_t(i)]);
        }
    }
    const std::u16string text = utf16(call);
    SQLRETURN rc = SQLExecDirectW(
        st.h, reinterpret_cast<SQLWCHAR *>(const_cast<char16_t *>(text.c_str())), SQL_NTS);
    if (!ok(rc) && rc != SQL_NO_DATA)
        fail(SQL_HANDLE_STMT, st.h,
            call.section(QLatin1Char('('), 0, 0).section(QLatin1Char(' '), -1));
    // Output parameters arrive once every result of the call has been read.
    while (ok(rc = SQLMoreResults(st.h))) { }
    result = returnedIndicator == SQL_NULL_DATA ? 0 : qint32(returned);
}

qint32 OdbcBackend::hasPermission(qint32 userId, qint32 formPermissionId)
{
    qint32 result = 0;
    callProcedure(QStringLiteral("{? = CALL spOrvoHasPermission(?, ?)}"),
        {QVariant(int(userId)), QVariant(int(formPermissionId))}, result);
    return result;
}

qint32 OdbcBackend::insertFormAction(qint32 eventId, const QString &formCode, qint32 formTypeId,
    const QString &description, qint32 userId, const QDateTime &eventDate,
    const QString &farsiEventDate, qint32 eventTime)
{
    qint32 result = 0;
    callProcedure(QStringLiteral("{? = CALL dbo.spOrvoInsertFormAction(?, ?, ?, ?, ?, ?, ?, ?)}"),
        {QVariant(int(eventId)), QVariant(formCode.left(50)), QVariant(int(formTypeId)),
            QVariant(description.left(1000)), QVariant(int(userId)), QVariant(eventDate),
            QVariant(farsiEventDate.left(10)), QVariant(int(eventTime))},
        result);
    return result;
}

} // namespace vela
