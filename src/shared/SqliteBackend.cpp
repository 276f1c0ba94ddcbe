#include "SqliteBackend.h"
#include "Money.h"
#include "OdbcBackend.h"
#include "PgBackend.h"
#include "TsqlAdapter.h"
#include "VelaError.h"
#include <QDateTime>
#include <QFileInfo>
#include <cstring>
#include <memory>
#include <optional>
#include <sqlite3.h>
#include <vector>

namespace vela {

namespace {

// One UTF-8 code point; advances p. Malformed bytes are taken one at a time.
unsigned nextCodePoint(const unsigned char *&p)
{
    unsigned c = *p++;
    if (c < 0x80)
        return c;
    int extra = (c >= 0xF0) ? 3 : (c >= 0xE0) ? 2 : (c >= 0xC0) ? 1 : 0;
    unsigned cp = c & (0x3F >> extra);
    while (extra-- > 0 && (*p & 0xC0) == 0x80)
        cp = (cp << 6) | (*p++ & 0x3F);
    return cp;
}

unsigned fold(unsigned c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    // Persian and Arabic-Indic digits match ASCII ones: plate numbers are typed in any of them.
    if (c >= 0x06F0 && c <= 0x06F9)
        return '0' + (c - 0x06F0);
    if (c >= 0x0660 && c <= 0x0669)
        return '0' + (c - 0x0660);
    switch (c) {
    case 0x064A: // Arabic yeh
    case 0x0649: // alef maksura
        return 0x06CC; // Persian yeh
    case 0x0643: // Arabic kaf
        return 0x06A9; // Persian keheh
    default:
        return c;
    }
}

void fnGetdate(sqlite3_context *ctx, int, sqlite3_value **)
{
    const QByteArray now
        = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
    sqlite3_result_text(ctx, now.constData(), int(now.size()), SQLITE_TRANSIENT);
}

void fnScopeIdentity(sqlite3_context *ctx, int, sqlite3_value **)
{
    const sqlite3_int64 id = sqlite3_last_insert_rowid(sqlite3_context_db_handle(ctx));
    if (id == 0)
        sqlite3_result_null(ctx);
    else
        sqlite3_result_int64(ctx, id);
}

void fnLike(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    const unsigned char *pattern = sqlite3_value_text(argv[0]);
    const unsigned char *text = sqlite3_value_text(argv[1]);
    if (!pattern || !text) {
        sqlite3_result_null(ctx);
        return;
    }
    unsigned escape = 0;
    if (argc == 3) {
        const unsigned char *e = sqlite3_value_text(argv[2]);
        if (e && *e) {
            const unsigned char *q = e;
            escape = nextCodePoint(q);
        }
    }
    sqlite3_result_int(ctx,
        persianLikeMatch(
            reinterpret_cast<const char *>(pattern), reinterpret_cast<const char *>(text), escape)
            ? 1
            : 0);
}

// Money columns are known by their declared type: "DECIMAL TEXT(19,4)" keeps exact decimal text
// (see the schema); "NUMERIC(19,4)", the type of earlier databases, may hold doubles.
bool isMoneyType(const char *declared)
{
    if (!declared)
        return false;
    QByteArray t(declared);
    t = t.toUpper();
    t.replace(' ', "");
    return t == "DECIMALTEXT(19,4)" || t == "NUMERIC(19,4)";
}

QString sqliteMessage(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

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

} // namespace

bool persianLikeMatch(const char *patternUtf8, const char *textUtf8, unsigned escape)
{
    // Decode both into code points once; then the classic wildcard match with one backtrack
    // point for the last % seen.
    std::vector<unsigned> p, t;
    std::vector<bool> literal; // pattern character escaped
    for (auto q = reinterpret_cast<const unsigned char *>(patternUtf8); *q;) {
        unsigned c = nextCodePoint(q);
        bool lit = false;
        if (escape && c == escape && *q) {
            c = nextCodePoint(q);
            lit = true;
        }
        p.push_back(fold(c));
        literal.push_back(lit);
    }
    for (auto q = reinterpret_cast<const unsigned char *>(textUtf8); *q;)
        t.push_back(fold(nextCodePoint(q)));

    size_t pi = 0, ti = 0, starP = size_t(-1), starT = 0;
    while (ti < t.size()) {
        if (pi < p.size() && !literal[pi] && p[pi] == '%') {
            starP = pi++;
            starT = ti;
        } else if (pi < p.size() && ((!literal[pi] && p[pi] == '_') || p[pi] == t[ti])) {
            ++pi;
            ++ti;
        } else if (starP != size_t(-1)) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < p.size() && !literal[pi] && p[pi] == '%')
        ++pi;
    return pi == p.size();
}

void SqliteBackend::registerFunctions(sqlite3 *db)
{
    sqlite3_create_function(db, "getdate", 0, SQLITE_UTF8, nullptr, fnGetdate, nullptr, nullptr);
    sqlite3_create_function(
        db, "scope_identity", 0, SQLITE_UTF8, nullptr, fnScopeIdentity, nullptr, nullptr);
    sqlite3_create_function(
        db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fnLike, nullptr, nullptr);
    sqlite3_create_function(
        db, "like", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fnLike, nullptr, nullptr);
}

SqliteBackend::SqliteBackend(const QString &path) : m_path(path)
{
    if (path.trimmed().isEmpty())
        throw VelaError(
            QStringLiteral("مسیر پایگاه داده (Data Source) در رشته اتصال مشخص نشده است. به "
                           "مدیر سیستم خبر دهید."),
            ErrConnection);
    // A file path inside Persian text keeps its own left-to-right order between the marks.
    const QString shownPath = QChar(0x200E) + path + QChar(0x200E);
    const QFileInfo fi(path);
    if (!fi.exists() || !fi.isFile())
        throw VelaError(QStringLiteral("پایگاه داده «%1» یافت نشد. اگر فایل جابجا یا پاک شده است، "
                                       "به مدیر سیستم خبر دهید.")
                            .arg(shownPath),
            ErrConnection);
    const QByteArray file = path.toUtf8();
    const QString notOpened = QStringLiteral("پایگاه داده «%1» باز نشد.").arg(shownPath);
    // Every refusal while opening is reported by its kind: a locked file is busy, not unreadable.
    auto refuse = [this, &notOpened](int code, const QString &engineText) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw VelaError(failureKind(code), engineText, notOpened, ErrConnection);
    };
    const int opened = sqlite3_open_v2(
        file.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (opened != SQLITE_OK)
        refuse(m_db ? sqlite3_extended_errcode(m_db) : opened,
            m_db ? sqliteMessage(m_db) : QString::fromUtf8(sqlite3_errstr(opened)));
    sqlite3_busy_timeout(m_db, 5000);
    sqlite3_extended_result_codes(m_db, 1);
    registerFunctions(m_db);
    // A file that is not a database is only noticed on the first read: check it now.
    for (const char *sql : {"PRAGMA foreign_keys=ON", "SELECT count(*) FROM sqlite_master"}) {
        char *err = nullptr;
        const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &err);
        if (rc != SQLITE_OK) {
            const QString msg = QString::fromUtf8(err ? err : sqlite3_errstr(rc));
            sqlite3_free(err);
            refuse(sqlite3_extended_errcode(m_db), msg);
        }
    }
}

SqliteBackend::~SqliteBackend()
{
    sqlite3_close_v2(m_db);
}

void SqliteBackend::fail(const QString &context) const
{
    QString msg = sqliteMessage(m_db);
    if (!context.isEmpty())
        msg = context + QStringLiteral(": ") + msg;
    throw VelaError(failureKind(sqlite3_extended_errcode(m_db)), msg);
}

void SqliteBackend::execute(const QString &tsql, ResultTable &out)
{
    executeNative(adaptTsqlForSqlite(tsql), out);
}

void SqliteBackend::executeNative(const QString &sql, ResultTable &out)
{
    const QByteArray text = sql.toUtf8();
    const char *tail = text.constData();
    const char *end = tail + text.size();
    out.clear();
    m_recordsAffected = 0;
    while (tail < end) {
        sqlite3_stmt *stmt = nullptr;
        const char *next = nullptr;
        if (sqlite3_prepare_v2(m_db, tail, int(end - tail), &stmt, &next) != SQLITE_OK)
            fail(QString());
        tail = next;
        if (!stmt) // blank or comment only
            continue;
        // Finalized on every way out, also when storing a row fails (a result too large, no
        // memory): a statement left stepping would keep its read transaction open.
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> owner(stmt, sqlite3_finalize);
        // Each statement that returns columns replaces the rows of an earlier one.
        const int cols = sqlite3_column_count(stmt);
        std::vector<bool> money(size_t(qMax(cols, 0)));
        if (cols > 0) {
            QStringList names;
            names.reserve(cols);
            for (int c = 0; c < cols; ++c) {
                names << QString::fromUtf8(sqlite3_column_name(stmt, c));
                money[size_t(c)] = isMoneyType(sqlite3_column_decltype(stmt, c));
            }
            out.setColumns(names);
        }
        ResultTable &rows = out;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            rows.beginRow();
            for (int c = 0; c < cols; ++c) {
                switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_INTEGER:
                    rows.appendInteger(sqlite3_column_int64(stmt, c));
                    break;
                case SQLITE_FLOAT: {
                    // A double in a money column comes from an earlier database: the amount it
                    // stands for is its shortest text at four decimals.
                    const double v = sqlite3_column_double(stmt, c);
                    const std::optional<Money> m
                        = money[size_t(c)] ? Money::tryFromDouble(v) : std::nullopt;
                    if (m)
                        rows.appendMoney(*m);
                    else
                        rows.appendReal(v);
                    break;
                }
                case SQLITE_TEXT: {
                    const char *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, c));
                    const int n = sqlite3_column_bytes(stmt, c);
                    // Exact decimal text of a money column; anything else stays text as stored.
                    const std::optional<Money> m
                        = money[size_t(c)] ? Money::parse(QLatin1String(p, n)) : std::nullopt;
                    if (m)
                        rows.appendMoney(*m);
                    else
                        rows.appendText(p, n);
                    break;
                }
                case SQLITE_BLOB: {
                    const void *p = sqlite3_column_blob(stmt, c);
                    rows.appendBlob(p, sqlite3_column_bytes(stmt, c));
                    break;
                }
                default:
                    rows.appendNull();
                }
            }
            rows.endRow();
        }
        if (rc != SQLITE_DONE) {
            out.clear();
            fail(QString());
        }
        // Only a statement that writes rows reports them; the count of an earlier one would
        // otherwise stand for a query or a transaction statement after it.
        m_recordsAffected = cols == 0 && !sqlite3_stmt_readonly(stmt) ? sqlite3_changes(m_db) : 0;
    }
}

qint32 SqliteBackend::hasPermission(qint32 userId, qint32 formPermissionId)
{
    // The suite grants roles per user in tblOrvoUserPermission; a grant row means permitted.
    sqlite3_stmt *stmt = nullptr;
    const char *sql
        = "SELECT count(*) FROM tblOrvoUserPermission WHERE UserID=?1 AND FormPermissionID=?2";
    if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        fail(QStringLiteral("spOrvoHasPermission"));
    // Finalized after a failure is read: finalizing may replace the connection's error.
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> owner(stmt, sqlite3_finalize);
    sqlite3_bind_int(stmt, 1, userId);
    sqlite3_bind_int(stmt, 2, formPermissionId);
    if (sqlite3_step(stmt) != SQLITE_ROW)
        fail(QStringLiteral("spOrvoHasPermission"));
    return sqlite3_column_int(stmt, 0) > 0 ? 1 : 0;
}

qint32 SqliteBackend::insertFormAction(qint32 eventId, const QString &formCode, qint32 formTypeId,
    const QString &description, qint32 userId, const QDateTime &eventDate,
    const QString &farsiEventDate, qint32 eventTime)
{
    sqlite3_stmt *stmt = nullptr;
    const char *sql
        = "INSERT INTO tblOrvoFormAction(EventID, FormCode, FormTypeID, Description, UserID, "
          "EventDate, FarsiEventDate, EventTime) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)";
    if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        fail(QStringLiteral("spOrvoInsertFormAction"));
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> owner(stmt, sqlite3_finalize);
    // Parameters are declared with these widths in the suite; longer texts are cut as the
    // procedure's parameters would cut them.
    const QByteArray code = formCode.left(50).toUtf8();
    const QByteArray desc = description.left(1000).toUtf8();
    const QByteArray farsi = farsiEventDate.left(10).toUtf8();
    const QString dateText = eventDate.time() == QTime(0, 0)
        ? eventDate.date().toString(QStringLiteral("yyyy-MM-dd"))
        : eventDate.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QByteArray date = dateText.toUtf8();
    sqlite3_bind_int(stmt, 1, eventId);
    sqlite3_bind_text(stmt, 2, code.constData(), int(code.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(stmt, 3, formTypeId);
    sqlite3_bind_text(stmt, 4, desc.constData(), int(desc.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(stmt, 5, userId);
    if (eventDate.isValid())
        sqlite3_bind_text(stmt, 6, date.constData(), int(date.size()), SQLITE_TRANSIENT);
    else
        sqlite3_bind_null(stmt, 6);
    sqlite3_bind_text(stmt, 7, farsi.constData(), int(farsi.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(stmt, 8, eventTime);
    if (sqlite3_step(stmt) != SQLITE_DONE)
        fail(QStringLiteral("spOrvoInsertFormAction"));
    return 0;
}

// ---------------------------------------------------------------- backend choice

std::unique_ptr<Backend> Backend::create(const ConnectionString &cs)
{
    const QString provider = cs.provider().trimmed();
    if (provider.isEmpty())
        throw VelaError(QStringLiteral("رشته اتصال نوع پایگاه داده (Provider) را مشخص نکرده است."),
            ErrConnection);
    if (provider.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0)
        return std::make_unique<SqliteBackend>(cs.value(QStringLiteral("Data Source")));
    if (provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0)
        return std::make_unique<PgBackend>(cs);
    if (provider.startsWith(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive))
        return std::make_unique<OdbcBackend>(cs);
    throw VelaError(
        QStringLiteral("نوع پایگاه داده «%1» شناخته نیست.").arg(provider), ErrConnection);
}

} // namespace vela
