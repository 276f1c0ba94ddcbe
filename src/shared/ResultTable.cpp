#include "ResultTable.h"
#include "VelaError.h"
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace vela {

namespace {

// A column keeps sharing identical values until this many distinct values have been seen with
// little repetition (fewer than two look-ups per value); unique columns (identifiers, plate
// numbers, most amounts with a fraction) then stop paying for an index that no longer fits the
// processor's cache.
constexpr uint32_t DedupGiveUpDistinct = 16384;
// Rows staged before they are stored column by column; fewer when their payload is large.
constexpr int StageRows = 512;
constexpr size_t StageBytes = size_t(4) << 20;

// Eight bytes at a time, multiply and fold: fast for the short values of a result column.
inline uint32_t hashBytes(quint8 t, const char *p, int n)
{
    constexpr uint64_t k = 0x9E3779B97F4A7C15ull;
    uint64_t h = (uint64_t(t) << 56) ^ uint64_t(n) ^ k;
    while (n >= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * k;
        h ^= h >> 29;
        p += 8;
        n -= 8;
    }
    if (n > 0) {
        uint64_t w = 0;
        std::memcpy(&w, p, size_t(n));
        h = (h ^ w) * k;
        h ^= h >> 29;
    }
    h *= k;
    return uint32_t(h >> 32);
}

inline void putVarint(PodBuffer<char> &a, uint32_t v)
{
    while (v >= 0x80) {
        a.push_back(char((v & 0x7F) | 0x80));
        v >>= 7;
    }
    a.push_back(char(v));
}

inline uint32_t getVarint(const char *&p)
{
    uint32_t v = 0;
    int shift = 0;
    for (;;) {
        const unsigned char b = static_cast<unsigned char>(*p++);
        v |= uint32_t(b & 0x7F) << shift;
        if (!(b & 0x80))
            return v;
        shift += 7;
    }
}

} // namespace

void ResultTable::inlineTextChars(uint32_t word, char16_t (&buf)[10])
{
    uint32_t v = word & PayloadMask;
    const char16_t sep = (word & KindMask) == KindDashDate ? u'-' : u'/';
    for (int i : {9, 8, 6, 5, 3, 2, 1, 0}) {
        buf[i] = char16_t(u'0' + v % 10);
        v /= 10;
    }
    buf[4] = buf[7] = sep;
}

QString ResultTable::inlineTextOf(uint32_t word)
{
    char16_t buf[10];
    inlineTextChars(word, buf);
    return QString(reinterpret_cast<const QChar *>(buf), 10);
}

void ResultTable::setColumns(const QStringList &names)
{
    dropStaged();
    m_names = names;
    m_columns.clear();
    m_columns.resize(names.size());
    m_rows = 0;
    m_cursor = 0;
}

void ResultTable::clear()
{
    dropStaged();
    m_names.clear();
    m_columns.clear();
    m_rows = 0;
    m_cursor = 0;
}

int ResultTable::columnIndex(const QString &name) const
{
    for (int i = 0; i < m_names.size(); ++i)
        if (m_names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

inline void ResultTable::decode(
    const Column &c, uint32_t off, CellType &t, const char *&p, int &len)
{
    if (off == NullCell || (off & InlineFlag)) { // callers handle inline integers themselves
        t = CellType::Null;
        p = nullptr;
        len = 0;
        return;
    }
    const char *q = c.arena.data() + off;
    t = static_cast<CellType>(*q++);
    if (t == CellType::Integer || t == CellType::Real || t == CellType::Decimal) {
        p = q;
        len = 8;
    } else {
        len = int(getVarint(q));
        p = q;
    }
}

ResultTable::CellType ResultTable::type(int row, int col) const
{
    flush();
    if (col < 0 || col >= columnCount() || row < 0 || row >= m_rows)
        return CellType::Null;
    const Column &c = m_columns[col];
    const uint32_t off = c.cells[row];
    if (off == NullCell)
        return CellType::Null;
    if (off & InlineFlag)
        return (off & KindMask) == KindInteger ? CellType::Integer : CellType::Text;
    return static_cast<CellType>(c.arena[off]);
}

QString ResultTable::text(int row, int col) const
{
    flush();
    if (col < 0 || col >= columnCount() || row < 0 || row >= m_rows)
        return QString();
    const Column &c = m_columns[col];
    const uint32_t word = c.cells[row];
    if (isInline(word))
        return (word & KindMask) == KindInteger ? QString::number(word & PayloadMask)
                                                : inlineTextOf(word);
    CellType t;
    const char *p;
    int len;
    decode(c, word, t, p, len);
    switch (t) {
    case CellType::Null:
        return QString();
    case CellType::Integer: {
        qint64 v;
        std::memcpy(&v, p, 8);
        return QString::number(v);
    }
    case CellType::Real: {
        double v;
        std::memcpy(&v, p, 8);
        return shortestDecimal(v);
    }
    case CellType::Decimal: {
        qint64 v;
        std::memcpy(&v, p, 8);
        return Money::scaledText(v);
    }
    case CellType::Text:
    case CellType::Blob:
        return QString::fromUtf8(p, len);
    }
    return QString();
}

void ResultTable::appendText(int row, int col, QString &out) const
{
    flush();
    if (col < 0 || col >= columnCount() || row < 0 || row >= m_rows)
        return;
    const Column &c = m_columns[col];
    const uint32_t word = c.cells[row];
    if (word == NullCell)
        return;
    CellType t = CellType::Integer;
    qint64 integer = 0;
    const char *p = nullptr;
    int len = 0;
    if (isInline(word)) {
        if ((word & KindMask) != KindInteger) {
            char16_t date[10];
            inlineTextChars(word, date);
            out.append(reinterpret_cast<const QChar *>(date), 10);
            return;
        }
        integer = qint64(word & PayloadMask);
    } else {
        decode(c, word, t, p, len);
        if (t == CellType::Integer)
            std::memcpy(&integer, p, 8);
    }
    if (t == CellType::Integer) {
        char16_t digits[20];
        int n = 0;
        quint64 mag = integer < 0 ? 0 - quint64(integer) : quint64(integer);
        do {
            digits[19 - n++] = char16_t(u'0' + mag % 10);
            mag /= 10;
        } while (mag);
        if (integer < 0)
            out += QLatin1Char('-');
        out.append(reinterpret_cast<const QChar *>(digits + 20 - n), n);
        return;
    }
    if (t != CellType::Text) {
        out += text(row, col);
        return;
    }
    // UTF-8 is never shorter in code units than the UTF-16 it decodes to.
    const qsizetype at = out.size();
    out.resize(at + len);
    QChar *dst = out.data() + at;
    int i = 0;
    for (; i < len && static_cast<unsigned char>(p[i]) < 0x80; ++i)
        dst[i] = QLatin1Char(p[i]);
    if (i == len)
        return;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QChar *end = decoder.appendToBuffer(dst + i, QByteArrayView(p + i, len - i));
    out.truncate(end - out.constData());
}

QVariant ResultTable::value(int row, int col) const
{
    flush();
    if (col < 0 || col >= columnCount() || row < 0 || row >= m_rows)
        return QVariant();
    const Column &c = m_columns[col];
    const uint32_t word = c.cells[row];
    if (isInline(word))
        return (word & KindMask) == KindInteger ? QVariant(qint64(word & PayloadMask))
                                                : QVariant(inlineTextOf(word));
    CellType t;
    const char *p;
    int len;
    decode(c, word, t, p, len);
    switch (t) {
    case CellType::Null:
        return QVariant();
    case CellType::Integer: {
        qint64 v;
        std::memcpy(&v, p, 8);
        return QVariant(v);
    }
    case CellType::Real: {
        double v;
        std::memcpy(&v, p, 8);
        return QVariant(v);
    }
    case CellType::Decimal: {
        qint64 v;
        std::memcpy(&v, p, 8);
        return QVariant(Money::scaledText(v));
    }
    case CellType::Text:
        return QVariant(QString::fromUtf8(p, len));
    case CellType::Blob:
        return QVariant(QByteArray(p, len));
    }
    return QVariant();
}

qint64 ResultTable::integer(int row, int col) const
{
    switch (type(row, col)) {
    case CellType::Integer: {
        const Column &c = m_columns[col];
        const uint32_t word = c.cells[row];
        if (word & InlineFlag)
            return qint64(word & PayloadMask);
        qint64 v;
        std::memcpy(&v, c.arena.data() + word + 1, 8);
        return v;
    }
    case CellType::Real:
        return qint64(std::llround(real(row, col)));
    case CellType::Decimal: {
        // Half away from zero, as llround does for reals.
        const qint64 raw = rawAt(row, col);
        const qint64 half = raw < 0 ? -Money::Scale / 2 : Money::Scale / 2;
        return qint64((__int128(raw) + half) / Money::Scale);
    }
    case CellType::Null:
        return 0;
    default:
        return text(row, col).trimmed().toLongLong();
    }
}

double ResultTable::real(int row, int col) const
{
    switch (type(row, col)) {
    case CellType::Integer:
        return double(integer(row, col));
    case CellType::Real: {
        double v;
        std::memcpy(&v, m_columns[col].arena.data() + m_columns[col].cells[row] + 1, 8);
        return v;
    }
    case CellType::Decimal:
        return double(rawAt(row, col)) / double(Money::Scale);
    case CellType::Null:
        return 0;
    default:
        return text(row, col).trimmed().toDouble();
    }
}

Money ResultTable::decimal(int row, int col) const
{
    return type(row, col) == CellType::Decimal ? Money::fromRaw(rawAt(row, col)) : Money();
}

qint64 ResultTable::rawAt(int row, int col) const
{
    qint64 v;
    std::memcpy(&v, m_columns[col].arena.data() + m_columns[col].cells[row] + 1, 8);
    return v;
}

void ResultTable::reserveRows(int rows)
{
    flush();
    for (Column &c : m_columns)
        c.cells.reserve(size_t(rows));
}

void ResultTable::beginRow()
{
    m_cursor = 0;
}

void ResultTable::stage(CellType t, const char *payload, int bytes)
{
    if (m_cursor >= columnCount())
        return;
    Column &col = m_columns[size_t(m_cursor)];
    if (!col.dedupOn || t == CellType::Blob) {
        // Nothing to look up: the value goes to the end of the column's bytes right away.
        col.cells.push_back(storeRaw(col, t, payload, bytes));
    } else {
        col.pending.push_back(
            PendingCell {uint32_t(col.cells.size()), t, bytes, uint32_t(m_stageBytes.size())});
        m_stageBytes.append(payload, size_t(bytes));
        col.cells.push_back(NullCell); // until the value is stored
    }
    ++m_cursor;
}

void ResultTable::flushStaged()
{
    // Every column has the same number of rows before and after, also when storing fails half
    // way (the arena limit, out of memory): the staged rows are then given up in every column,
    // so that no reader ever looks past the end of a shorter column.
    const size_t stored = size_t(m_rows - m_stagedRows);
    try {
        for (Column &col : m_columns) {
            for (const PendingCell &p : col.pending)
                col.cells[p.row] = store(col, p.type, m_stageBytes.data() + p.pos, p.len);
            col.pending.clear();
        }
    } catch (...) {
        for (Column &col : m_columns)
            col.cells.resize(std::min(col.cells.size(), stored), NullCell);
        m_rows = int(stored);
        m_cursor = 0;
        dropStaged();
        throw;
    }
    // The cells of a row still being built (a reader came between its cells) are stored too;
    // the row counts once it ends.
    m_stageBytes.clear();
    m_stagedRows = 0;
}

void ResultTable::dropStaged()
{
    for (Column &col : m_columns)
        col.pending.clear();
    m_stageBytes.clear();
    m_stagedRows = 0;
}

uint32_t ResultTable::storeRaw(Column &c, CellType t, const char *payload, int bytes)
{
    const size_t off = c.arena.size();
    if (off + size_t(bytes) + 6 > ArenaLimit)
        throw VelaError(QStringLiteral("نتیجه پرس و جو بزرگتر از حد مجاز است."), ErrDatabase);
    c.arena.push_back(char(t));
    if (t == CellType::Text || t == CellType::Blob)
        putVarint(c.arena, uint32_t(bytes));
    c.arena.append(payload, size_t(bytes));
    return uint32_t(off);
}

uint32_t ResultTable::store(Column &c, CellType t, const char *payload, int bytes)
{
    if (!c.dedupOn || t == CellType::Blob)
        return storeRaw(c, t, payload, bytes);

    if (c.dedup.empty())
        c.dedup.assign(1024, DedupSlot {NullCell, 0});
    ++c.dedupLookups;
    const uint32_t h = hashBytes(quint8(t), payload, bytes);
    size_t mask = c.dedup.size() - 1;
    size_t i = h & mask;
    while (c.dedup[i].offset != NullCell) {
        if (c.dedup[i].hash == h) {
            CellType et;
            const char *ep;
            int elen;
            decode(c, c.dedup[i].offset, et, ep, elen);
            if (et == t && elen == bytes && std::memcmp(ep, payload, size_t(bytes)) == 0)
                return c.dedup[i].offset;
        }
        i = (i + 1) & mask;
    }
    const uint32_t off = storeRaw(c, t, payload, bytes);
    c.dedup[i] = DedupSlot {off, h};
    ++c.dedupCount;
    // A column whose values hardly repeat is not worth indexing: stop and free the index.
    if (c.dedupCount >= DedupGiveUpDistinct && c.dedupCount * 2 > c.dedupLookups) {
        c.dedupOn = false;
        c.dedup.reset();
        return off;
    }
    if (c.dedupCount * 2 > c.dedup.size()) {
        PodBuffer<DedupSlot> bigger;
        bigger.assign(c.dedup.size() * 2, DedupSlot {NullCell, 0});
        mask = bigger.size() - 1;
        for (const DedupSlot &slot : c.dedup) {
            if (slot.offset == NullCell)
                continue;
            size_t j = slot.hash & mask;
            while (bigger[j].offset != NullCell)
                j = (j + 1) & mask;
            bigger[j] = slot;
        }
        c.dedup.swap(bigger);
    }
    return off;
}

void ResultTable::appendReal(double v)
{
    qint64 bits;
    std::memcpy(&bits, &v, 8);
    appendWide(CellType::Real, bits);
}

void ResultTable::appendMoney(Money m)
{
    if (m.raw() % Money::Scale == 0) {
        appendInteger(m.raw() / Money::Scale);
        return;
    }
    appendWide(CellType::Decimal, m.raw());
}

void ResultTable::appendText(const QString &s)
{
    const QByteArray u = s.toUtf8();
    appendText(u.constData(), int(u.size()));
}

void ResultTable::appendBlob(const void *data, int bytes)
{
    if (m_cursor >= columnCount())
        return;
    stage(CellType::Blob, static_cast<const char *>(data), bytes);
}

void ResultTable::appendVariant(const QVariant &v)
{
    if (!v.isValid() || v.isNull()) {
        appendNull();
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        appendInteger(v.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        appendReal(v.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        appendBlob(b.constData(), int(b.size()));
        break;
    }
    default:
        appendText(v.toString());
    }
}

void ResultTable::endRow()
{
    while (m_cursor < columnCount())
        appendNull();
    m_cursor = 0;
    ++m_rows;
    if (++m_stagedRows >= StageRows || m_stageBytes.size() >= StageBytes)
        flushStaged();
}

void ResultTable::appendWide(CellType t, qint64 v)
{
    char buf[8];
    std::memcpy(buf, &v, 8);
    stage(t, buf, 8);
}

void ResultTable::setText(int row, int col, const QString &s)
{
    flush();
    if (col < 0 || col >= columnCount() || row < 0 || row >= m_rows)
        return;
    Column &c = m_columns[col];
    const QByteArray u = s.toUtf8();
    uint32_t word;
    c.cells[row] = inlineText(u.constData(), int(u.size()), word)
        ? word
        : store(c, CellType::Text, u.constData(), int(u.size()));
}

void ResultTable::insertColumn(int col, const QString &name)
{
    flush();
    col = qBound(0, col, columnCount());
    m_names.insert(col, name);
    Column c;
    c.cells.assign(size_t(m_rows), NullCell);
    m_columns.insert(m_columns.begin() + col, std::move(c));
}

void ResultTable::removeColumn(int col)
{
    flush();
    if (col < 0 || col >= columnCount())
        return;
    m_names.removeAt(col);
    m_columns.erase(m_columns.begin() + col);
}

void ResultTable::appendRowOfNulls()
{
    flush();
    for (Column &c : m_columns)
        c.cells.push_back(NullCell);
    ++m_rows;
}

void ResultTable::resizeRows(int rows)
{
    flush();
    rows = qMax(0, rows);
    for (Column &c : m_columns)
        c.cells.resize(size_t(rows), NullCell);
    m_rows = rows;
}

ResultTable ResultTable::join(std::vector<ResultTable> &parts, const std::vector<RowRun> &runs)
{
    ResultTable out;
    if (parts.empty())
        return out;
    for (ResultTable &p : parts) {
        p.flush();
        if (p.columnCount() != parts[0].columnCount()) {
            for (ResultTable &q : parts)
                q.clear();
            throw VelaError(QStringLiteral("جدول های نتیجه ستون های یکسان ندارند."), ErrDatabase);
        }
    }
    // Where each run starts in the result.
    std::vector<size_t> at(runs.size());
    size_t total = size_t(parts[0].m_rows);
    for (size_t r = 0; r < runs.size(); ++r) {
        at[r] = total;
        total += size_t(runs[r].rows);
    }
    out = std::move(parts[0]);
    try {
        for (size_t c = 0; c < out.m_columns.size(); ++c) {
            Column &to = out.m_columns[c];
            // The other parts' value bytes after part 0's; their offsets move by what is before.
            std::vector<uint32_t> shift(parts.size(), 0);
            for (size_t p = 1; p < parts.size(); ++p) {
                const PodBuffer<char> &bytes = parts[p].m_columns[c].arena;
                if (to.arena.size() + bytes.size() > ArenaLimit)
                    throw VelaError(
                        QStringLiteral("نتیجه پرس و جو بزرگتر از حد مجاز است."), ErrDatabase);
                shift[p] = uint32_t(to.arena.size());
                to.arena.append(bytes.data(), bytes.size());
            }
            to.cells.resize(total, NullCell);
            uint32_t *cells = to.cells.data();
            for (size_t r = 0; r < runs.size(); ++r) {
                const RowRun &run = runs[r];
                const uint32_t add = shift[size_t(run.table)];
                const uint32_t *src
                    = parts[size_t(run.table)].m_columns[c].cells.data() + run.firstRow;
                uint32_t *dst = cells + at[r];
                // Inline cells and NULLs stay as they are (NullCell has the flag set too).
                for (int i = 0; i < run.rows; ++i)
                    dst[i] = (src[i] & InlineFlag) ? src[i] : src[i] + add;
            }
            to.cells.shrinkToFit(); // part 0's room for rows read by the others
            for (size_t p = 1; p < parts.size(); ++p) {
                Column &from = parts[p].m_columns[c];
                from.cells.reset();
                from.arena.reset();
                from.dedup.reset();
            }
        }
    } catch (...) {
        out.clear();
        for (ResultTable &p : parts)
            p.clear();
        throw;
    }
    out.m_rows = int(total);
    for (ResultTable &p : parts)
        p.clear();
    return out;
}

size_t ResultTable::memoryUsage() const
{
    flush();
    size_t total = 0;
    for (const Column &c : m_columns)
        total += c.cells.capacity() * sizeof(uint32_t) + c.arena.capacity()
            + c.dedup.capacity() * sizeof(DedupSlot);
    return total;
}

QString shortestDecimal(double v)
{
    if (!std::isfinite(v))
        return QString::number(v);
    if (v == 0)
        return QStringLiteral("0");
    if (std::fabs(v) < 1e15) {
        // Up to 15 significant digits, then trailing zeros removed.
        const int intDigits = std::fabs(v) >= 1 ? int(std::floor(std::log10(std::fabs(v)))) + 1 : 1;
        const int decimals = qBound(0, 15 - intDigits, 15);
        QString s = QString::number(v, 'f', decimals);
        if (s.contains(QLatin1Char('.'))) {
            while (s.endsWith(QLatin1Char('0')))
                s.chop(1);
            if (s.endsWith(QLatin1Char('.')))
                s.chop(1);
        }
        if (s == QLatin1String("-0"))
            s = QStringLiteral("0");
        return s;
    }
    return QString::number(v, 'g', 15);
}

} // namespace vela
