#include "ResultTable.h"
#include <QtEndian>
#include <cmath>
#include <cstring>

namespace vela {

namespace {

// A column keeps sharing identical values until this many distinct values have been seen with
// little repetition; unique columns (identifiers, plate numbers) then stop paying for the index.
constexpr uint32_t DedupGiveUpDistinct = 50000;

inline uint64_t hashBytes(quint8 t, const char *p, int n)
{
    uint64_t h = 1469598103934665603ull ^ t;
    for (int i = 0; i < n; ++i) {
        h ^= static_cast<unsigned char>(p[i]);
        h *= 1099511628211ull;
    }
    return h;
}

inline void putVarint(std::vector<char> &a, uint32_t v)
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

void ResultTable::setColumns(const QStringList &names)
{
    m_names = names;
    m_columns.clear();
    m_columns.resize(names.size());
    m_rows = 0;
    m_cursor = 0;
}

void ResultTable::clear()
{
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

void ResultTable::decode(const Column &c, uint32_t off, CellType &t, const char *&p, int &len)
{
    if (off == NullCell) {
        t = CellType::Null;
        p = nullptr;
        len = 0;
        return;
    }
    const char *q = c.arena.data() + off;
    t = static_cast<CellType>(*q++);
    if (t == CellType::Integer || t == CellType::Real) {
        p = q;
        len = 8;
    } else {
        len = int(getVarint(q));
        p = q;
    }
}

ResultTable::CellType ResultTable::type(int row, int col) const
{
    if (col < 0 || col >= columnCount() || row < 0 || row >= m_rows)
        return CellType::Null;
    const Column &c = m_columns[col];
    const uint32_t off = c.cells[row];
    if (off == NullCell)
        return CellType::Null;
    return static_cast<CellType>(c.arena[off]);
}

QString ResultTable::text(int row, int col) const
{
    if (col < 0 || col >= columnCount() || row < 0 || row >= m_rows)
        return QString();
    const Column &c = m_columns[col];
    CellType t;
    const char *p;
    int len;
    decode(c, c.cells[row], t, p, len);
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
    case CellType::Text:
    case CellType::Blob:
        return QString::fromUtf8(p, len);
    }
    return QString();
}

QVariant ResultTable::value(int row, int col) const
{
    if (col < 0 || col >= columnCount() || row < 0 || row >= m_rows)
        return QVariant();
    const Column &c = m_columns[col];
    CellType t;
    const char *p;
    int len;
    decode(c, c.cells[row], t, p, len);
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
    case CellType::Integer:
        return value(row, col).toLongLong();
    case CellType::Real:
        return qint64(std::llround(real(row, col)));
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
        return double(value(row, col).toLongLong());
    case CellType::Real:
        return value(row, col).toDouble();
    case CellType::Null:
        return 0;
    default:
        return text(row, col).trimmed().toDouble();
    }
}

void ResultTable::reserveRows(int rows)
{
    for (Column &c : m_columns)
        c.cells.reserve(size_t(rows));
}

void ResultTable::beginRow()
{
    m_cursor = 0;
}

void ResultTable::append(uint32_t offset)
{
    if (m_cursor >= columnCount())
        return; // extra cells are ignored
    m_columns[m_cursor].cells.push_back(offset);
    ++m_cursor;
}

uint32_t ResultTable::storeRaw(Column &c, CellType t, const char *payload, int bytes)
{
    const size_t off = c.arena.size();
    c.arena.push_back(char(t));
    if (t == CellType::Text || t == CellType::Blob)
        putVarint(c.arena, uint32_t(bytes));
    c.arena.insert(c.arena.end(), payload, payload + bytes);
    return uint32_t(off);
}

uint32_t ResultTable::store(Column &c, CellType t, const char *payload, int bytes)
{
    if (!c.dedupOn || t == CellType::Blob)
        return storeRaw(c, t, payload, bytes);

    if (c.dedup.empty())
        c.dedup.assign(1024, NullCell);
    const uint64_t h = hashBytes(quint8(t), payload, bytes);
    size_t mask = c.dedup.size() - 1;
    size_t i = size_t(h) & mask;
    while (c.dedup[i] != NullCell) {
        CellType et;
        const char *ep;
        int elen;
        decode(c, c.dedup[i], et, ep, elen);
        if (et == t && elen == bytes && std::memcmp(ep, payload, size_t(bytes)) == 0)
            return c.dedup[i];
        i = (i + 1) & mask;
    }
    const uint32_t off = storeRaw(c, t, payload, bytes);
    c.dedup[i] = off;
    ++c.dedupCount;
    // A column whose values hardly repeat is not worth indexing: stop and free the index.
    if (c.dedupCount >= DedupGiveUpDistinct && c.dedupCount * 2 > c.cells.size()) {
        c.dedupOn = false;
        std::vector<uint32_t>().swap(c.dedup);
        return off;
    }
    if (c.dedupCount * 2 > c.dedup.size()) {
        std::vector<uint32_t> bigger(c.dedup.size() * 2, NullCell);
        mask = bigger.size() - 1;
        for (uint32_t o : c.dedup) {
            if (o == NullCell)
                continue;
            CellType et;
            const char *ep;
            int elen;
            decode(c, o, et, ep, elen);
            size_t j = size_t(hashBytes(quint8(et), ep, elen)) & mask;
            while (bigger[j] != NullCell)
                j = (j + 1) & mask;
            bigger[j] = o;
        }
        c.dedup.swap(bigger);
    }
    return off;
}

void ResultTable::appendNull()
{
    append(NullCell);
}

void ResultTable::appendInteger(qint64 v)
{
    if (m_cursor >= columnCount())
        return;
    char buf[8];
    std::memcpy(buf, &v, 8);
    append(store(m_columns[m_cursor], CellType::Integer, buf, 8));
}

void ResultTable::appendReal(double v)
{
    if (m_cursor >= columnCount())
        return;
    char buf[8];
    std::memcpy(buf, &v, 8);
    append(store(m_columns[m_cursor], CellType::Real, buf, 8));
}

void ResultTable::appendText(const char *utf8, int bytes)
{
    if (m_cursor >= columnCount())
        return;
    append(store(m_columns[m_cursor], CellType::Text, utf8, bytes));
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
    append(store(m_columns[m_cursor], CellType::Blob, static_cast<const char *>(data), bytes));
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
    ++m_rows;
    m_cursor = 0;
}

void ResultTable::setText(int row, int col, const QString &s)
{
    if (col < 0 || col >= columnCount() || row < 0 || row >= m_rows)
        return;
    Column &c = m_columns[col];
    const QByteArray u = s.toUtf8();
    c.cells[row] = store(c, CellType::Text, u.constData(), int(u.size()));
}

void ResultTable::insertColumn(int col, const QString &name)
{
    col = qBound(0, col, columnCount());
    m_names.insert(col, name);
    Column c;
    c.cells.assign(size_t(m_rows), NullCell);
    m_columns.insert(m_columns.begin() + col, std::move(c));
}

void ResultTable::appendRowOfNulls()
{
    for (Column &c : m_columns)
        c.cells.push_back(NullCell);
    ++m_rows;
}

void ResultTable::resizeRows(int rows)
{
    rows = qMax(0, rows);
    for (Column &c : m_columns)
        c.cells.resize(size_t(rows), NullCell);
    m_rows = rows;
}

size_t ResultTable::memoryUsage() const
{
    size_t total = 0;
    for (const Column &c : m_columns)
        total += c.cells.capacity() * sizeof(uint32_t) + c.arena.capacity()
               + c.dedup.capacity() * sizeof(uint32_t);
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
