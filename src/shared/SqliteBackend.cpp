#include "SqliteBackend.h"
#include "Money.h"
#include "Sqlite.h"
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

// The next row of a statement; a failure empties the rows read so far before it is thrown.
bool stepOrClear(sqlite::Statement &statement, ResultTable &out)
{
    try {
        return statement.step();
    } catch (...) {
        out.clear();
        throw;
    }
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
    // Every refusal while opening is reported by its kind: a locked file is busy, not unreadable.
    const QString notOpened = QStringLiteral("پایگاه داده «%1» باز نشد.").arg(shownPath);
    m_db = std::make_unique<sqlite::Database>(
        path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, notOpened);
    registerFunctions(m_db->handle());
    // A file that is not a database is only noticed on the first read: check it now.
    for (const char *sql : {"PRAGMA foreign_keys=ON", "SELECT count(*) FROM sqlite_master"}) {
        try {
            m_db->exec(sql);
        } catch (const VelaError &e) {
            throw VelaError(e.kind(), e.detail(), notOpened, ErrConnection);
        }
    }
}

SqliteBackend::~SqliteBackend() = default;

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
        // Finalized on every way out, also when storing a row fails (a result too large, no
        // memory): a statement left stepping would keep its read transaction open.
        sqlite::Statement statement(*m_db, tail, end);
        if (statement.isEmpty()) // blank or comment only
            continue;
        sqlite3_stmt *stmt = statement.handle();
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
        for (bool row = stepOrClear(statement, out); row; row = stepOrClear(statement, out)) {
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
        // Only a statement that writes rows reports them; the count of an earlier one would
        // otherwise stand for a query or a transaction statement after it.
        m_recordsAffected = cols == 0 && !sqlite3_stmt_readonly(stmt) ? m_db->changes() : 0;
    }
}

qint32 SqliteBackend::hasPermission(qint32 userId, qint32 formPermissionId)
{
    // The suite grants roles per user in tblOrvoUserPermission; a grant row means permitted.
    sqlite::Statement st(*m_db,
        "SELECT count(*) FROM tblOrvoUserPermission WHERE UserID=?1 AND FormPermissionID=?2",
        QStringLiteral("spOrvoHasPermission"));
    st.bind(1, userId);
    st.bind(2, formPermissionId);
    if (!st.step())
        m_db->fail(QStringLiteral("spOrvoHasPermission"));
    return st.integer(0) > 0 ? 1 : 0;
}

qint32 SqliteBackend::insertFormAction(qint32 eventId, const QString &formCode, qint32 formTypeId,
    const QString &description, qint32 userId, const QDateTime &eventDate,
    const QString &farsiEventDate, qint32 eventTime)
{
    sqlite::Statement st(*m_db,
        "INSERT INTO tblOrvoFormAction(EventID, FormCode, FormTypeID, Description, UserID, "
        "EventDate, FarsiEventDate, EventTime) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)",
        QStringLiteral("spOrvoInsertFormAction"));
    // Parameters are declared with these widths in the suite; longer texts are cut as the
    // procedure's parameters would cut them.
    const QString dateText = eventDate.time() == QTime(0, 0)
        ? eventDate.date().toString(QStringLiteral("yyyy-MM-dd"))
        : eventDate.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    st.bind(1, eventId);
    st.bind(2, formCode.left(50).toUtf8());
    st.bind(3, formTypeId);
    st.bind(4, description.left(1000).toUtf8());
    st.bind(5, userId);
    if (eventDate.isValid())
        st.bind(6, dateText.toUtf8());
    else
        st.bindNull(6);
    st.bind(7, farsiEventDate.left(10).toUtf8());
    st.bind(8, eventTime);
    st.step();
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
    if (provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0
        || provider.startsWith(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive))
        throw VelaError(
            QStringLiteral("اتصال از نوع «%1» در این نسخه پشتیبانی نمی شود.").arg(provider),
            ErrConnection);
    throw VelaError(
        QStringLiteral("نوع پایگاه داده «%1» شناخته نیست.").arg(provider), ErrConnection);
}

} // namespace vela
