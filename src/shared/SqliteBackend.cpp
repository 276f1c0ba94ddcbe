#include "SqliteBackend.h"
#include "Money.h"
#include "OdbcBackend.h"
#include "Parallel.h"
#include "PgBackend.h"
#include "Sqlite.h"
#include "TsqlAdapter.h"
#include "VelaError.h"
#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
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

// The result's column names; `money` tells which of them hold amounts.
QStringList resultColumns(sqlite3_stmt *stmt, std::vector<bool> &money)
{
    const int cols = sqlite3_column_count(stmt);
    QStringList names;
    names.reserve(cols);
    money.assign(size_t(qMax(cols, 0)), false);
    for (int c = 0; c < cols; ++c) {
        names << QString::fromUtf8(sqlite3_column_name(stmt, c));
        money[size_t(c)] = isMoneyType(sqlite3_column_decltype(stmt, c));
    }
    return names;
}

// Steps the statement to its end, storing each row in `rows` (whose columns are set).
void readRows(sqlite::Statement &statement, const std::vector<bool> &money, ResultTable &rows)
{
    sqlite3_stmt *stmt = statement.handle();
    const int cols = int(money.size());
    for (bool row = stepOrClear(statement, rows); row; row = stepOrClear(statement, rows)) {
        rows.beginRow();
        for (int c = 0; c < cols; ++c) {
            // The column's value read directly: each sqlite3_column_* call would look the column
            // up and check the connection again. The statement is stepped on this thread only.
            sqlite3_value *v = sqlite3_column_value(stmt, c);
            switch (sqlite3_value_type(v)) {
            case SQLITE_INTEGER:
                rows.appendInteger(sqlite3_value_int64(v));
                break;
            case SQLITE_FLOAT: {
                // A double in a money column comes from an earlier database: the amount it
                // stands for is its shortest text at four decimals.
                const double d = sqlite3_value_double(v);
                const std::optional<Money> m
                    = money[size_t(c)] ? Money::tryFromDouble(d) : std::nullopt;
                if (m)
                    rows.appendMoney(*m);
                else
                    rows.appendReal(d);
                break;
            }
            case SQLITE_TEXT: {
                const char *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
                const int n = sqlite3_value_bytes(v);
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
                const void *p = sqlite3_value_blob(v);
                rows.appendBlob(p, sqlite3_value_bytes(v));
                break;
            }
            default:
                rows.appendNull();
            }
        }
        rows.endRow();
    }
}

QByteArray quotedName(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return (QLatin1Char('"') + q + QLatin1Char('"')).toUtf8();
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
        std::vector<bool> money;
        if (cols > 0)
            out.setColumns(resultColumns(stmt, money));
        readRows(statement, money, out);
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

// ---------------------------------------------------------------- reading in parts

namespace {

// The key ranges per part: small enough that the part which ends last ends at most a range's
// read after the others, and large enough that a range's seek costs nothing beside its rows.
constexpr int RangesPerPart = 32;

// A key range [from, to) of the table with the rows it holds: counted when `exact`, else
// estimated from the spacing of the keys at its start.
struct KeyStratum {
    qint64 from, to;
    double rows;
    bool exact;
};

// Rows of [from, to): up to Probe keys from `from` on are read (one index seek and a few steps);
// fewer than Probe is the exact count, else their spacing stands for the whole range.
KeyStratum probeKeys(sqlite::Statement &probe, qint64 from, qint64 to)
{
    constexpr int Probe = 16;
    probe.reset();
    probe.bind(1, from);
    probe.bind(2, to);
    qint64 first = 0, last = 0;
    int found = 0;
    while (found < Probe && probe.step()) {
        last = probe.integer(0);
        if (found++ == 0)
            first = last;
    }
    probe.reset();
    if (found < Probe || last == first)
        return KeyStratum {from, to, double(found), found < Probe};
    const double perKey = double(found - 1) / double(last - first);
    return KeyStratum {from, to, found + double(to - 1 - last) * perKey, false};
}

// The statement of a part: the whole statement, adapted, with its condition narrowed to the key
// range [?1, ?2], bound for each range the part reads.
QByteArray rangeText(const PartitionedStatement &s)
{
    return (adaptTsqlForSqlite(s.head + QLatin1Char('(') + s.condition + QLatin1Char(')'))
        + QStringLiteral(" and %1 >= ?1 and %1 <= ?2").arg(s.keyColumn))
        .toUtf8();
}

// The key ranges a part reads, [lo, hi] in range numbers: it starts at a range of its own and
// grows into the free ranges beside it, so that what it reads stays one contiguous key range.
// The first part grows upward from the lowest range, the last downward from the highest, the
// others both ways from ranges spread between.
class RangeClaims {
public:
    RangeClaims(int ranges, int parts) : m_taken(size_t(ranges), false)
    {
        for (int p = 0; p < parts; ++p) {
            const int seed = int(qint64(p) * (ranges - 1) / (parts - 1));
            m_taken[size_t(seed)] = true;
            m_own.push_back({seed, seed, p % 2 == 0});
        }
    }
    int first(int part) const { return m_own[size_t(part)].lo; }
    // The next range of the part, -1 when both its neighbours are taken.
    int next(int part)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        Own &o = m_own[size_t(part)];
        const bool up = o.hi + 1 < int(m_taken.size()) && !m_taken[size_t(o.hi + 1)];
        const bool down = o.lo > 0 && !m_taken[size_t(o.lo - 1)];
        if (!up && !down)
            return -1;
        o.upward = up && (!down || !o.upward); // both ways free: every other range each way
        const int r = o.upward ? ++o.hi : --o.lo;
        m_taken[size_t(r)] = true;
        return r;
    }

private:
    struct Own {
        int lo, hi;
        bool upward;
    };
    std::mutex m_mutex;
    std::vector<bool> m_taken;
    std::vector<Own> m_own;
};

// The read transactions of the parts, begun one after the other; whatever is still open when
// the read ends (a failure, an interrupted part) is rolled back.
class PartTransactions {
public:
    PartTransactions(std::vector<std::unique_ptr<sqlite::Database>> &readers, int parts)
        : m_readers(readers), m_parts(parts)
    {
        for (int p = 0; p < parts; ++p) {
            m_readers[size_t(p)]->exec("BEGIN");
            // The first read takes the part's view of the database (its shared lock, or its
            // snapshot of a write-ahead log) and keeps it until the part ends.
            m_readers[size_t(p)]->exec("SELECT 1 FROM sqlite_master LIMIT 1");
        }
    }
    ~PartTransactions()
    {
        for (int p = 0; p < m_parts; ++p) {
            sqlite3 *db = m_readers[size_t(p)]->handle();
            if (!sqlite3_get_autocommit(db))
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    PartTransactions(const PartTransactions &) = delete;
    PartTransactions &operator=(const PartTransactions &) = delete;

private:
    std::vector<std::unique_ptr<sqlite::Database>> &m_readers;
    int m_parts;
};

} // namespace

qint64 SqliteBackend::dataVersion()
{
    sqlite::Statement st(*m_db, "PRAGMA data_version");
    st.step();
    return st.integer(0);
}

SqliteBackend::PartPlan SqliteBackend::planParts(const PartitionedStatement &statement)
{
    const int maxParts = m_partitioning.maxParts > 0 ? m_partitioning.maxParts
                                                     : std::min(hardwareThreads(), int(MaxParts));
    const int minRows = std::max(1, m_partitioning.minRowsPerPart);
    if (maxParts < 2)
        return {};
    const QByteArray table = quotedName(statement.table);
    const QByteArray key = quotedName(statement.keyColumn);

    // Only the table's integer primary key is its row order, reached by a seek for each range.
    {
        sqlite::Statement info(*m_db, QByteArray("PRAGMA table_info(" + table + ")").constData());
        bool rowKey = false;
        int keyColumns = 0;
        while (info.step()) {
            if (info.integer(5) == 0)
                continue;
            ++keyColumns;
            rowKey = info.text(1).compare(statement.keyColumn, Qt::CaseInsensitive) == 0
                && info.text(2).compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
        }
        if (!rowKey || keyColumns != 1)
            return {};
    }
    // Each end from a subquery of its own: the engine seeks a lone min() or max() on the key,
    // while both in one select would scan the whole table.
    sqlite::Statement range(*m_db,
        QByteArray("SELECT (SELECT min(" + key + ") FROM " + table + "), (SELECT max(" + key
            + ") FROM " + table + ")")
            .constData());
    if (!range.step() || range.isNull(0))
        return {};
    const qint64 low = range.integer(0), high = range.integer(1);
    // A key range narrower than two parts cannot hold enough rows for them.
    if (__int128(high) - low + 1 < __int128(2) * minRows)
        return {};
    const qint64 end = high == std::numeric_limits<qint64>::max() ? high : high + 1;

    // The rows per key range, from the keys the table holds: equal key ranges first, then the
    // heaviest estimated range split again, until no estimate is large enough to misplace a
    // boundary by much. Gaps and deleted rows thus do not unbalance the parts.
    sqlite::Statement probe(*m_db,
        QByteArray("SELECT " + key + " FROM " + table + " WHERE " + key + " >= ?1 AND " + key
            + " < ?2 ORDER BY " + key + " LIMIT 16")
            .constData());
    const auto split = [&](qint64 from, qint64 to, int pieces, std::vector<KeyStratum> &into) {
        const __int128 width = __int128(to) - from;
        pieces = int(std::min<__int128>(pieces, width));
        for (int i = 0; i < pieces; ++i) {
            const qint64 a = qint64(from + width * i / pieces);
            const qint64 b = qint64(from + width * (i + 1) / pieces);
            into.push_back(probeKeys(probe, a, b));
        }
    };
    std::vector<KeyStratum> strata;
    split(low, end, 64, strata);
    for (int probes = 64; probes < 1024; probes += 8) {
        double total = 0;
        for (const KeyStratum &k : strata)
            total += k.rows;
        auto heaviest = strata.end();
        for (auto it = strata.begin(); it != strata.end(); ++it)
            if (!it->exact && it->to - it->from > 8
                && (heaviest == strata.end() || it->rows > heaviest->rows))
                heaviest = it;
        if (heaviest == strata.end() || heaviest->rows <= total / (maxParts * 16))
            break;
        std::vector<KeyStratum> pieces;
        split(heaviest->from, heaviest->to, 8, pieces);
        const auto at = strata.erase(heaviest);
        strata.insert(at, pieces.begin(), pieces.end());
    }
    double total = 0;
    for (const KeyStratum &k : strata)
        total += k.rows;
    const int parts = int(std::min<double>(maxParts, std::floor(total / minRows)));
    if (parts < 2)
        return {};
    m_estimatedRows = total;

    // Each boundary where the rows before it reach its share, placed within its range by the
    // range's own spacing.
    const int ranges = parts * RangesPerPart;
    PartPlan plan;
    double before = 0;
    size_t i = 0;
    for (int r = 1; r < ranges; ++r) {
        const double target = total * r / ranges;
        while (i < strata.size() && before + strata[i].rows < target)
            before += strata[i++].rows;
        if (i == strata.size())
            break;
        const KeyStratum &k = strata[i];
        const double share = k.rows > 0 ? (target - before) / k.rows : 0;
        const qint64 bound = k.from + qint64(double(k.to - k.from) * share);
        if (bound > low && (plan.bounds.empty() || bound > plan.bounds.back()))
            plan.bounds.push_back(bound);
    }
    plan.parts = std::min(parts, int(plan.bounds.size()) + 1);
    if (plan.parts < 2)
        return {};
    return plan;
}

void SqliteBackend::executePartitioned(const PartitionedStatement &statement, ResultTable &out)
{
    out.clear();
    m_recordsAffected = 0;
    // Changes of a transaction open on this connection are seen by no other connection.
    const PartPlan plan
        = sqlite3_get_autocommit(m_db->handle()) ? planParts(statement) : PartPlan();
    if (plan.parts > 1) {
        // A writer that commits between the starts of two parts would leave them reading
        // different states; then the parts start again, and after a few tries one part reads.
        m_lastPartCount = plan.parts;
        for (int attempt = 0; attempt < 3; ++attempt)
            if (readInParts(statement, plan, out))
                return;
    }
    m_lastPartCount = 1;
    execute(statement.text(), out);
}

bool SqliteBackend::readInParts(
    const PartitionedStatement &statement, const PartPlan &plan, ResultTable &out)
{
    const int parts = plan.parts;
    while (int(m_readers.size()) < parts) {
        const QString notOpened = QStringLiteral("پایگاه داده «%1» باز نشد.")
                                      .arg(QChar(0x200E) + m_path + QChar(0x200E));
        auto reader = std::make_unique<sqlite::Database>(
            m_path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, notOpened);
        registerFunctions(reader->handle());
        m_readers.push_back(std::move(reader));
    }

    const qint64 version = dataVersion();
    PartTransactions transactions(m_readers, parts);
    if (dataVersion() != version)
        return false;

    // Prepared here, so that a statement the engine refuses fails as one read would.
    const QByteArray text = rangeText(statement);
    std::vector<std::unique_ptr<sqlite::Statement>> statements;
    for (int p = 0; p < parts; ++p)
        statements.push_back(
            std::make_unique<sqlite::Statement>(*m_readers[size_t(p)], text.constData()));
    std::vector<bool> money;
    const QStringList names = resultColumns(statements[0]->handle(), money);
    std::vector<ResultTable> rows(static_cast<size_t>(parts));
    for (ResultTable &r : rows) {
        r.setColumns(names);
        // Room for the rows a part may come to read, up to twice its share, taken before the
        // threads start: growing a large buffer remaps it, which holds up the page faults of
        // every other thread. Only the pages a part fills are ever backed by memory.
        const double room = std::min(1.0, 2.0 / parts) * m_estimatedRows * 1.1;
        r.reserveRows(int(std::min(room, double(std::numeric_limits<int>::max()))));
    }

    // Range r is [bounds[r - 1], bounds[r] - 1], the first and the last open at their far end.
    const auto rangeFrom = [&](int r) {
        return r == 0 ? std::numeric_limits<qint64>::min() : plan.bounds[size_t(r - 1)];
    };
    const auto rangeTo = [&](int r) {
        return r == int(plan.bounds.size()) ? std::numeric_limits<qint64>::max()
                                            : plan.bounds[size_t(r)] - 1;
    };
    RangeClaims claims(int(plan.bounds.size()) + 1, parts);
    struct ReadRange {
        int range;
        ResultTable::RowRun run;
    };
    std::vector<std::vector<ReadRange>> read(static_cast<size_t>(parts));

    // The first part to fail stops the others, and its failure is the one reported.
    std::atomic<bool> failed {false};
    std::exception_ptr failure;
    runInParallel(parts, [&](int p) {
        try {
            sqlite::Statement &st = *statements[size_t(p)];
            ResultTable &table = rows[size_t(p)];
            for (int r = claims.first(p); r >= 0 && !failed; r = claims.next(p)) {
                const int before = table.rowCount();
                st.reset();
                st.bind(1, rangeFrom(r));
                st.bind(2, rangeTo(r));
                readRows(st, money, table);
                read[size_t(p)].push_back({r, {p, before, table.rowCount() - before}});
            }
            statements[size_t(p)].reset();
            // The part's read ends as soon as it is done; writers wait for no finished part.
            m_readers[size_t(p)]->exec("COMMIT");
        } catch (...) {
            if (!failed.exchange(true)) {
                failure = std::current_exception();
                for (int q = 0; q < parts; ++q)
                    if (q != p)
                        sqlite3_interrupt(m_readers[size_t(q)]->handle());
            }
        }
    });
    if (failure)
        std::rethrow_exception(failure);

    // Joined in key order: the first part's rows, which start at the lowest range, then the
    // ranges the other parts read, by their number.
    std::vector<ReadRange> after;
    for (size_t p = 1; p < read.size(); ++p)
        after.insert(after.end(), read[p].begin(), read[p].end());
    std::sort(after.begin(), after.end(),
        [](const ReadRange &a, const ReadRange &b) { return a.range < b.range; });
    std::vector<ResultTable::RowRun> runs;
    runs.reserve(after.size());
    for (const ReadRange &r : after)
        runs.push_back(r.run);
    out = ResultTable::join(rows, runs);
    return true;
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
