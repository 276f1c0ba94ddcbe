#include "PgBackend.h"
#include "Money.h"
#include "TsqlAdapter.h"

#include <QDateTime>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <libpq-fe.h>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace vela {

namespace {

// Type OIDs of the server's built-in types (pg_type.h), the ones read as something other than
// text.
constexpr Oid BoolOid = 16, ByteaOid = 17, Int8Oid = 20, Int2Oid = 21, Int4Oid = 23, OidOid = 26,
              Float4Oid = 700, Float8Oid = 701, NumericOid = 1700;

enum class Cell : quint8 {
    Text,
    Integer,
    Boolean,
    Real,
    Numeric,
    Bytea
};

Cell cellKind(Oid type)
{
    switch (type) {
    case Int2Oid:
    case Int4Oid:
    case Int8Oid:
    case OidOid:
        return Cell::Integer;
    case BoolOid:
        return Cell::Boolean;
    case Float4Oid:
    case Float8Oid:
        return Cell::Real;
    case NumericOid:
        return Cell::Numeric;
    case ByteaOid:
        return Cell::Bytea;
    default:
        return Cell::Text; // text, varchar, date ('yyyy-MM-dd'), timestamp(0), ...
    }
}

struct ResultDeleter {
    void operator()(PGresult *r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// One cell of a row in the server's text form, appended as the embedded backend would give it.
void appendCell(ResultTable &out, Cell kind, const char *v, int n)
{
    switch (kind) {
    case Cell::Integer: {
        qint64 i = 0;
        if (std::from_chars(v, v + n, i).ec == std::errc())
            out.appendInteger(i);
        else
            out.appendText(v, n);
        return;
    }
    case Cell::Boolean:
        out.appendInteger(n > 0 && v[0] == 't' ? 1 : 0);
        return;
    case Cell::Real:
        out.appendReal(std::strtod(v, nullptr));
        return;
    case Cell::Numeric: {
        // Money columns are numeric(19,4): exact amounts. A computed numeric beyond the money
        // range or with more decimals (an average, a huge sum) becomes a number as near as a
        // double holds it.
        if (const std::optional<Money> m = Money::parse(QLatin1String(v, n)))
            out.appendMoney(*m);
        else
            out.appendReal(std::strtod(v, nullptr));
        return;
    }
    case Cell::Bytea: {
        size_t bytes = 0;
        unsigned char *raw = PQunescapeBytea(reinterpret_cast<const unsigned char *>(v), &bytes);
        if (!raw)
            throw std::bad_alloc();
        const std::unique_ptr<unsigned char, void (*)(void *)> owner(raw, PQfreemem);
        if (bytes > size_t(std::numeric_limits<int>::max()))
            throw VelaError(FailureKind::Resources, QStringLiteral("value too large"));
        out.appendBlob(raw, int(bytes));
        return;
    }
    case Cell::Text:
        out.appendText(v, n);
        return;
    }
}

QString engineText(const PGresult *r)
{
    QString text = QString::fromUtf8(PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY));
    if (text.isEmpty())
        text = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
    const char *detail = PQresultErrorField(r, PG_DIAG_MESSAGE_DETAIL);
    if (detail && *detail)
        text += QStringLiteral(" (") + QString::fromUtf8(detail) + QLatin1Char(')');
    return text;
}

// Rows counted only for the statements that write them, as on the embedded backend.
qint64 rowsWritten(const PGresult *r)
{
    const char *status = PQcmdStatus(const_cast<PGresult *>(r));
    for (const char *verb : {"INSERT", "UPDATE", "DELETE", "MERGE"})
        if (std::strncmp(status, verb, std::strlen(verb)) == 0)
            return std::atoll(PQcmdTuples(const_cast<PGresult *>(r)));
    return 0;
}

} // namespace

// ---------------------------------------------------------------- T-SQL adaptation

PgStatement adaptTsqlForPostgres(const QString &tsql, const QString &identity)
{
    using tsql::Tok;
    const std::vector<tsql::Token> toks = tsql::lex(tsql);
    auto text = [&](size_t k) { return QStringView(tsql).mid(toks[k].start, toks[k].length); };
    auto isWord = [&](size_t k, const char *w) {
        return k < toks.size() && toks[k].kind == Tok::Word
            && text(k).compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    };
    auto isChar = [&](size_t k, char c) {
        return k < toks.size() && toks[k].kind == Tok::Other && text(k) == QLatin1Char(c);
    };
    auto nextSignificant = [&](size_t k) {
        ++k;
        while (k < toks.size() && (toks[k].kind == Tok::Space || toks[k].kind == Tok::Comment))
            ++k;
        return k;
    };
    // "name ( )": the index of the closing parenthesis, or 0 when the word is not called so.
    auto emptyCall = [&](size_t k) -> size_t {
        const size_t open = nextSignificant(k);
        if (!isChar(open, '('))
            return 0;
        const size_t close = nextSignificant(open);
        return isChar(close, ')') ? close : 0;
    };

    PgStatement st;
    QString &out = st.sql;
    out.reserve(tsql.size() + 16);
    bool statementStart = true;
    int statements = 0;
    bool isInsert = false;
    size_t previous = size_t(-1); // the last significant token
    for (size_t k = 0; k < toks.size(); ++k) {
        const tsql::Token &t = toks[k];
        if (t.kind == Tok::Space || t.kind == Tok::Comment) {
            out += text(k);
            continue;
        }
        const bool atStart = statementStart;
        statementStart = false;
        const size_t before = previous;
        previous = k;
        if (isChar(k, ';')) {
            statementStart = true;
            out += text(k);
            continue;
        }
        if (atStart) {
            ++statements;
            isInsert = isWord(k, "insert");
            if (isInsert) {
                size_t nx = nextSignificant(k);
                if (isWord(nx, "into"))
                    nx = nextSignificant(nx);
                if (nx < toks.size()
                    && (toks[nx].kind == Tok::Word || toks[nx].kind == Tok::QuotedId))
                    st.insertTable = text(nx).toString();
            }
        }
        if (t.kind == Tok::QuotedId && text(k).startsWith(QLatin1Char('['))) {
            // A bracketed name is delimited only: as a plain name it folds like the schema's.
            const QStringView inner = text(k).mid(1, t.length - 2);
            const bool plain = !inner.isEmpty() && !inner.front().isDigit()
                && std::all_of(inner.begin(), inner.end(),
                    [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); });
            out += plain ? inner.toString()
                         : QLatin1Char('"')
                    + inner.toString().replace(QLatin1Char('"'), QLatin1String("\"\""))
                    + QLatin1Char('"');
            continue;
        }
        if (t.kind == Tok::String && isWord(before, "as")) {
            out += tsql::aliasName(text(k));
            continue;
        }
        if (t.kind != Tok::Word) {
            out += text(k);
            continue;
        }
        if (const std::optional<QString> digits = tsql::binaryDigits(text(k))) {
            out += QLatin1String("'\\x") + *digits + QLatin1String("'::bytea");
            continue;
        }
        if (isWord(k, "getdate")) {
            if (const size_t close = emptyCall(k)) {
                out += QLatin1String("localtimestamp(0)");
                k = previous = close;
                continue;
            }
        }
        if (isWord(k, "scope_identity")) {
            if (const size_t close = emptyCall(k)) {
                out += identity == QLatin1String("NULL") ? QStringLiteral("CAST(NULL AS bigint)")
                                                         : identity;
                k = previous = close;
                continue;
            }
        }
        if (isWord(k, "isnull") && isChar(nextSignificant(k), '(')) {
            out += QLatin1String("coalesce");
            continue;
        }
        if (atStart && isWord(k, "delete")) {
            out += text(k);
            const size_t nx = nextSignificant(k);
            if (nx < toks.size() && !isWord(nx, "from")
                && (toks[nx].kind == Tok::Word || toks[nx].kind == Tok::QuotedId))
                out += QLatin1String(" from");
            continue;
        }
        if ((atStart && (isWord(k, "begin") || isWord(k, "commit") || isWord(k, "rollback")))) {
            out += text(k);
            const size_t nx = nextSignificant(k);
            if (isWord(nx, "tran")) {
                out += tsql.mid(toks[k].start + toks[k].length,
                    toks[nx].start - toks[k].start - toks[k].length);
                out += QLatin1String("TRANSACTION");
                k = previous = nx;
            }
            continue;
        }
        if (isWord(k, "not") && isWord(nextSignificant(k), "like")) {
            out += QLatin1String(" !~~~ ");
            k = previous = nextSignificant(k);
            continue;
        }
        if (isWord(k, "like")) {
            out += QLatin1String(" ~~~ ");
            continue;
        }
        out += text(k);
    }
    // A RETURNING clause goes right after the insert's last token (before a trailing semicolon
    // or comment); statements in a batch keep to SCOPE_IDENTITY() of the ones before.
    if (isInsert && statements == 1 && !st.insertTable.isEmpty()) {
        int end = int(out.size());
        // Walk back over trailing blanks, comments and the semicolon in the output text.
        const std::vector<tsql::Token> outToks = tsql::lex(out);
        for (auto it = outToks.rbegin(); it != outToks.rend(); ++it) {
            const QStringView s = QStringView(out).mid(it->start, it->length);
            if (it->kind == Tok::Space || it->kind == Tok::Comment
                || (it->kind == Tok::Other && s == QLatin1Char(';')))
                end = it->start;
            else
                break;
        }
        st.returningAt = end;
    } else {
        st.insertTable.clear();
    }
    return st;
}

// ---------------------------------------------------------------- failures

FailureKind pgFailureKind(const char *sqlstate)
{
    if (!sqlstate || std::strlen(sqlstate) != 5)
        return FailureKind::Unreachable; // no answer from the server at all
    const std::string s(sqlstate);
    const std::string cls = s.substr(0, 2);
    if (s == "40001" || s == "40P01" || s == "55P03" || s == "55006" || s == "57014")
        return FailureKind::Busy; // serialization, deadlock, lock wait timed out, in use, cancel
    if (s == "53100")
        return FailureKind::DiskFull;
    if (s == "25006" || s == "42501")
        return FailureKind::ReadOnly; // a read-only transaction or server, or a role without
                                      // the right to write
    if (s == "23503")
        return FailureKind::ForeignKey;
    if (s == "23505")
        return FailureKind::Duplicate;
    if (cls == "23" || s == "P0001")
        return FailureKind::Refused; // other constraints, a trigger's refusal
    if (s == "22001" || s == "22003" || cls == "53" || cls == "54")
        return FailureKind::Resources; // too long, too large, out of memory or connections
    if (cls == "22")
        return FailureKind::Refused; // a value of the wrong form (a NUL, a bad number)
    if (cls == "42" || cls == "0A" || s == "2BP01")
        return FailureKind::Structure;
    if (cls == "08" || cls == "28" || s == "3D000" || s == "57P01" || s == "57P02" || s == "57P03")
        return FailureKind::Unreachable;
    if (s == "XX001" || s == "XX002")
        return FailureKind::Damaged;
    if (cls == "58")
        return FailureKind::DiskIo;
    return FailureKind::Other;
}

// ---------------------------------------------------------------- connection

QList<QPair<QByteArray, QByteArray>> PgBackend::connectionParameters(const ConnectionString &cs)
{
    QList<QPair<QByteArray, QByteArray>> p;
    auto take = [&](const char *keyword, std::initializer_list<const char *> keys) {
        for (const char *key : keys) {
            const QString k = QString::fromLatin1(key);
            if (cs.contains(k) && !cs.value(k).isEmpty()) {
                p.append(qMakePair(QByteArray(keyword), cs.value(k).toUtf8()));
                return;
            }
        }
    };
    take("host", {"Host", "Server"});
    take("port", {"Port"});
    take("dbname", {"Database", "Initial Catalog"});
    take("user", {"User ID", "User", "UID", "Username"});
    take("password", {"Password", "PWD"}); // none: libpq reads ~/.pgpass
    take("sslmode", {"sslmode", "SSL Mode"});
    p.append(qMakePair(QByteArray("connect_timeout"), QByteArray("10")));
    p.append(qMakePair(QByteArray("application_name"), QByteArray("vela-asset")));
    p.append(qMakePair(QByteArray("client_encoding"), QByteArray("UTF8")));
    // Dates in the text form the forms read ('yyyy-MM-dd'); a bounded wait for locks.
    p.append(qMakePair(QByteArray("options"),
        QByteArray("-c datestyle=ISO,YMD -c lock_timeout=") + QByteArray::number(LockWaitMs)));
    return p;
}

PgBackend::PgBackend(const ConnectionString &cs) : m_params(connectionParameters(cs))
{
    QString host = cs.value(QStringLiteral("Host"), cs.value(QStringLiteral("Server")));
    QString port = cs.value(QStringLiteral("Port"));
    if (host.isEmpty())
        host = QStringLiteral("localhost");
    if (port.isEmpty())
        port = QStringLiteral("5432");
    m_where = host + QLatin1Char(':') + port;
    connect();
}

PgBackend::~PgBackend()
{
    PQfinish(m_conn);
}

void PgBackend::failConnection(const QString &engineText) const
{
    const QChar ltr(0x200E);
    const QString lead = QStringLiteral("اتصال به سرور پایگاه داده PostgreSQL در «%1» برقرار نشد.")
                             .arg(ltr + m_where + ltr);
    throw VelaError(FailureKind::Unreachable, engineText, lead, ErrConnection);
}

void PgBackend::connect()
{
    std::vector<const char *> keys, values;
    for (const auto &[k, v] : m_params) {
        keys.push_back(k.constData());
        values.push_back(v.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    PQfinish(m_conn);
    m_conn = PQconnectdbParams(keys.data(), values.data(), 0);
    if (!m_conn)
        throw std::bad_alloc();
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const QString text = QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
        PQfinish(m_conn);
        m_conn = nullptr;
        failConnection(text);
    }
    // The server's notices (an object that did not exist and was skipped) are no failures and
    // are not shown; libpq would print them to the standard error.
    PQsetNoticeProcessor(
        m_conn, [](void *, const char *) {}, nullptr);
    m_identityColumns.clear();
}

void PgBackend::ensureConnected(bool rollback)
{
    // A connection the server dropped (restarted, network gone) is opened again for the next
    // statement; whatever transaction it had is gone with it, as the server has rolled it back.
    if (m_conn && PQstatus(m_conn) == CONNECTION_OK)
        return;
    if (m_lostTransaction && !rollback)
        failConnection(QStringLiteral("the connection was lost during a transaction"));
    m_lostTransaction = false;
    connect();
}

// ---------------------------------------------------------------- statements

void PgBackend::execute(const QString &tsql, ResultTable &out)
{
    const bool rollback = tsql.trimmed().startsWith(QLatin1String("rollback"), Qt::CaseInsensitive);
    if (rollback && m_lostTransaction && (!m_conn || PQstatus(m_conn) != CONNECTION_OK)) {
        ensureConnected(true); // the server rolled the lost transaction back already
        out.clear();
        m_recordsAffected = 0;
        return;
    }
    ensureConnected();
    PgStatement st = adaptTsqlForPostgres(tsql, m_identity);
    if (st.sql.contains(QChar(0)))
        // libpq takes C strings: the statement would end at the NUL. The server keeps no NUL in
        // a text either, so the value is refused as it would be.
        throw VelaError(
            FailureKind::Refused, QStringLiteral("a text holds a NUL character (0x00)"));
    if (st.returningAt >= 0) {
        const QByteArray column = identityColumn(st.insertTable);
        if (!column.isEmpty()) {
            st.sql.insert(
                st.returningAt, QStringLiteral(" RETURNING ") + QString::fromUtf8(column));
            ResultTable ids;
            run(st.sql.toUtf8(), ids, true);
            out.clear();
            return;
        }
    }
    run(st.sql.toUtf8(), out, false);
}

void PgBackend::executeNative(const QByteArray &sql, ResultTable &out)
{
    ensureConnected();
    run(sql, out, false);
}

QByteArray PgBackend::identityColumn(const QString &table)
{
    const auto it = m_identityColumns.constFind(table);
    if (it != m_identityColumns.constEnd())
        return *it;
    // The table's identity (or serial) column, as the catalog knows it; none for tables whose
    // rows are keyed by their values.
    const QByteArray name = table.toUtf8();
    const char *params[] = {name.constData()};
    const Result r(PQexecParams(m_conn,
        "SELECT quote_ident(a.attname) FROM pg_catalog.pg_attribute a "
        "WHERE a.attrelid = to_regclass($1) AND a.attnum > 0 AND NOT a.attisdropped "
        "AND (a.attidentity <> '' OR pg_get_serial_sequence($1, a.attname) IS NOT NULL) "
        "ORDER BY a.attnum LIMIT 1",
        1, nullptr, params, nullptr, nullptr, 0));
    if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) {
        if (PQstatus(m_conn) != CONNECTION_OK)
            failConnection(engineText(r.get()));
        throw VelaError(
            pgFailureKind(PQresultErrorField(r.get(), PG_DIAG_SQLSTATE)), engineText(r.get()));
    }
    const QByteArray column
        = PQntuples(r.get()) > 0 ? QByteArray(PQgetvalue(r.get(), 0, 0)) : QByteArray();
    m_identityColumns.insert(table, column);
    return column;
}

void PgBackend::run(const QByteArray &sql, ResultTable &out, bool identityOnly)
{
    out.clear();
    m_recordsAffected = 0;
    const bool inTransaction = PQtransactionStatus(m_conn) != PQTRANS_IDLE;
    if (!PQsendQuery(m_conn, sql.constData())) {
        m_lostTransaction = inTransaction && PQstatus(m_conn) != CONNECTION_OK;
        failConnection(QString::fromUtf8(PQerrorMessage(m_conn)).trimmed());
    }
    // One row per result: the rows go into the compact store as they arrive instead of piling
    // up in one result of the whole query (for a million search rows several times the store).
    PQsetSingleRowMode(m_conn);

    Result failure;
    bool inRows = false; // rows of the current statement are arriving
    std::vector<Cell> kinds;
    QString identity;
    bool sawIdentity = false;
    auto startRows = [&](const PGresult *r) {
        const int cols = PQnfields(r);
        kinds.resize(size_t(cols));
        QStringList names;
        names.reserve(cols);
        for (int c = 0; c < cols; ++c) {
            names << QString::fromUtf8(PQfname(r, c));
            kinds[size_t(c)] = cellKind(PQftype(r, c));
        }
        if (!identityOnly)
            out.setColumns(names);
        inRows = true;
    };
    while (PGresult *raw = PQgetResult(m_conn)) {
        Result r(raw);
        if (failure)
            continue; // drain what is left of a failed batch
        switch (PQresultStatus(raw)) {
        case PGRES_SINGLE_TUPLE: {
            if (!inRows)
                startRows(raw);
            if (identityOnly) {
                identity = PQgetisnull(raw, 0, 0) ? QString()
                                                  : QString::fromLatin1(PQgetvalue(raw, 0, 0));
                sawIdentity = true;
                break;
            }
            out.beginRow();
            const int cols = int(kinds.size());
            for (int c = 0; c < cols; ++c) {
                if (PQgetisnull(raw, 0, c))
                    out.appendNull();
                else
                    appendCell(
                        out, kinds[size_t(c)], PQgetvalue(raw, 0, c), PQgetlength(raw, 0, c));
            }
            out.endRow();
            break;
        }
        case PGRES_TUPLES_OK: // the end of a statement's rows (its only result when it has none)
            if (!inRows)
                startRows(raw);
            inRows = false;
            m_recordsAffected = rowsWritten(raw);
            break;
        case PGRES_COMMAND_OK:
            m_recordsAffected = rowsWritten(raw);
            break;
        case PGRES_EMPTY_QUERY:
            break;
        default:
            failure = std::move(r);
            break;
        }
    }
    if (failure) {
        out.clear();
        m_recordsAffected = 0;
        if (PQstatus(m_conn) != CONNECTION_OK) {
            m_lostTransaction = inTransaction;
            failConnection(engineText(failure.get()));
        }
        throw VelaError(pgFailureKind(PQresultErrorField(failure.get(), PG_DIAG_SQLSTATE)),
            engineText(failure.get()));
    }
    if (identityOnly && sawIdentity)
        m_identity = identity.isEmpty() ? QStringLiteral("NULL") : identity;
}

// ---------------------------------------------------------------- procedures

qint32 PgBackend::hasPermission(qint32 userId, qint32 formPermissionId)
{
    ensureConnected();
    const QByteArray user = QByteArray::number(userId), role = QByteArray::number(formPermissionId);
    const char *params[] = {user.constData(), role.constData()};
    const Result r(PQexecParams(m_conn, "SELECT spOrvoHasPermission($1::integer, $2::integer)", 2,
        nullptr, params, nullptr, nullptr, 0));
    if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) {
        if (PQstatus(m_conn) != CONNECTION_OK)
            failConnection(engineText(r.get()));
        throw VelaError(pgFailureKind(PQresultErrorField(r.get(), PG_DIAG_SQLSTATE)),
            QStringLiteral("spOrvoHasPermission: ") + engineText(r.get()));
    }
    return PQntuples(r.get()) > 0 && !PQgetisnull(r.get(), 0, 0)
        ? qint32(std::atol(PQgetvalue(r.get(), 0, 0)))
        : 0;
}

qint32 PgBackend::insertFormAction(qint32 eventId, const QString &formCode, qint32 formTypeId,
    const QString &description, qint32 userId, const QDateTime &eventDate,
    const QString &farsiEventDate, qint32 eventTime)
{
    ensureConnected();
    // Parameters travel apart from the statement text: no quoting, any character but NUL.
    const QByteArray values[] = {QByteArray::number(eventId), formCode.left(50).toUtf8(),
        QByteArray::number(formTypeId), description.left(1000).toUtf8(), QByteArray::number(userId),
        eventDate.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8(),
        farsiEventDate.left(10).toUtf8(), QByteArray::number(eventTime)};
    const char *params[8];
    for (int i = 0; i < 8; ++i)
        params[i] = values[i].constData();
    if (!eventDate.isValid())
        params[5] = nullptr;
    for (const QByteArray &v : values)
        if (v.contains('\0'))
            throw VelaError(FailureKind::Refused,
                QStringLiteral("spOrvoInsertFormAction: a text holds a NUL character (0x00)"));
    const Result r(PQexecParams(m_conn,
        "SELECT spOrvoInsertFormAction($1::integer, $2::text, $3::integer, $4::text, $5::integer, "
        "$6::timestamp, $7::text, $8::integer)",
        8, nullptr, params, nullptr, nullptr, 0));
    if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) {
        if (PQstatus(m_conn) != CONNECTION_OK)
            failConnection(engineText(r.get()));
        throw VelaError(pgFailureKind(PQresultErrorField(r.get(), PG_DIAG_SQLSTATE)),
            QStringLiteral("spOrvoInsertFormAction: ") + engineText(r.get()));
    }
    return PQntuples(r.get()) > 0 ? qint32(std::atol(PQgetvalue(r.get(), 0, 0))) : 0;
}

} // namespace vela
