#pragma once
// The rows of one statement, fully fetched and stored compactly: per column one 32-bit word per
// row, either a small non-negative integer held in the word itself or an offset into a byte
// arena that holds each distinct value once while the column repeats itself (lookup names,
// dates, amounts). A million search rows of 28 columns take a fraction of what QVariant or
// QString cells would.
#include "Money.h"
#include "PodBuffer.h"
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <vector>

namespace vela {

class ResultTable {
public:
    enum class CellType : quint8 {
        Null = 0,
        Integer = 1,
        Real = 2,
        Text = 3,
        Blob = 4,
        Decimal = 5 // an exact amount with a fraction, held as ten-thousandths (Money::raw)
    };

    ResultTable() = default;
    explicit ResultTable(const QStringList &columnNames) { setColumns(columnNames); }

    // ---- shape
    void setColumns(const QStringList &names); // drops all rows
    void clear(); // drops rows and columns
    int rowCount() const { return m_rows; } // staged rows included
    int columnCount() const { return int(m_columns.size()); }
    const QStringList &columnNames() const { return m_names; }
    QString columnName(int col) const { return m_names.value(col); }
    // Case-insensitive; -1 when there is no such column. The first of equal names wins.
    int columnIndex(const QString &name) const;

    // ---- reading
    CellType type(int row, int col) const;
    bool isNull(int row, int col) const { return type(row, col) == CellType::Null; }
    // Text form of a cell: NULL gives empty text, integers and reals their shortest decimal text,
    // decimals their exact text (1234.5, -0.0001).
    QString text(int row, int col) const;
    // NULL gives an invalid QVariant; blobs a QByteArray; decimals their exact text.
    QVariant value(int row, int col) const;
    // Appends text(row, col) to `out`: the same characters, without a QString of its own for
    // text, integer and date cells (the exports read millions of cells).
    void appendText(int row, int col, QString &out) const;
    qint64 integer(int row, int col) const; // Integer cells; others convert as best they can
    double real(int row, int col) const;
    Money decimal(int row, int col) const; // Decimal cells; others give 0

    // ---- building, one row at a time, cells left to right
    void reserveRows(int rows);
    void beginRow();
    void appendNull() { putWord(NullCell); }
    void appendInteger(qint64 v)
    {
        if (v >= 0 && v < InlineLimit)
            putWord(InlineFlag | KindInteger | uint32_t(v));
        else
            appendWide(CellType::Integer, v);
    }
    void appendReal(double v);
    // A money amount, kept exact: whole amounts as integers, others as a decimal cell. Backends
    // hand money columns over this way (never through a double).
    void appendMoney(Money m);
    void appendText(const char *utf8, int bytes)
    {
        uint32_t word;
        if (inlineText(utf8, bytes, word))
            putWord(word);
        else
            stage(CellType::Text, utf8, bytes);
    }
    void appendText(const QString &s);
    void appendBlob(const void *data, int bytes);
    void appendVariant(const QVariant &v);
    void endRow(); // pads missing cells with NULL

    // ---- editing (the results grid edits its cells in place)
    void setText(int row, int col, const QString &s);
    void insertColumn(int col, const QString &name); // all rows NULL
    void removeColumn(int col);
    void appendRowOfNulls();
    void resizeRows(int rows); // truncates or pads with NULL rows
    // A run of rows of one of several tables being joined.
    struct RowRun {
        int table;
        int firstRow;
        int rows;
    };
    // Joins tables of as many columns into one: all rows of parts[0], then the rows of `runs`,
    // one run after the other, each taken from `parts[run.table]` (never part 0). Values are not
    // stored again: part 0 becomes the result, and the other parts' cells and value bytes are
    // copied in as they are, a column at a time, freeing the part's column as it goes. The parts
    // are left empty. Throws VelaError when a column would grow past the store's limit (or
    // std::bad_alloc); then everything is dropped.
    static ResultTable join(std::vector<ResultTable> &parts, const std::vector<RowRun> &runs);

    // Bytes held, for the benchmark's report.
    size_t memoryUsage() const;

private:
    struct DedupSlot {
        uint32_t offset; // NullCell when free
        uint32_t hash;
    };
    struct PendingCell {
        uint32_t row;
        CellType type;
        int32_t len;
        uint32_t pos; // payload in m_stageBytes
    };
    struct Column {
        // Per row: NullCell for NULL; InlineFlag | kind | v for a value held in the word itself
        // (an integer 0 <= v < InlineLimit, or a date text "dddd-dd-dd" / "dddd/dd/dd" whose
        // eight digits make v); else the offset of the value in the arena.
        PodBuffer<uint32_t> cells;
        PodBuffer<char> arena; // [type][payload]; text/blob payload: varint length + bytes
        // While a column repeats values, identical entries are shared through this index (open
        // addressing; the hash kept beside each offset spares a look into the arena on most
        // misses); it is dropped once a column proves unique.
        PodBuffer<DedupSlot> dedup;
        // Staged values of this column: its cell at `row` holds NullCell until they are stored.
        PodBuffer<PendingCell> pending;
        uint32_t dedupCount = 0; // distinct values in the index
        uint32_t dedupLookups = 0; // values looked up in it (inline cells never are)
        bool dedupOn = true;
    };
    static constexpr uint32_t NullCell = 0xFFFFFFFFu;
    static constexpr uint32_t InlineFlag = 0x80000000u;
    static constexpr uint32_t KindMask = 0x60000000u;
    static constexpr uint32_t KindInteger = 0x00000000u;
    static constexpr uint32_t KindDashDate = 0x20000000u; // yyyy-MM-dd, the calendar dates
    static constexpr uint32_t KindSlashDate = 0x40000000u; // yyyy/MM/dd, their Persian twins
    static constexpr uint32_t PayloadMask = 0x1FFFFFFFu;
    static constexpr qint64 InlineLimit = 0x20000000; // kind 3 is unused, so no word is NullCell
    static constexpr size_t ArenaLimit = 0x80000000u; // offsets stay below InlineFlag
    // A date text held in the word: "dddd-dd-dd" or "dddd/dd/dd".
    static bool inlineText(const char *p, int bytes, uint32_t &word)
    {
        if (bytes != 10)
            return false;
        const char sep = p[4];
        if ((sep != '-' && sep != '/') || p[7] != sep)
            return false;
        uint32_t v = 0;
        for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
            const unsigned d = unsigned(p[i]) - '0';
            if (d > 9)
                return false;
            v = v * 10 + d;
        }
        word = InlineFlag | (sep == '-' ? KindDashDate : KindSlashDate) | v;
        return true;
    }
    static QString inlineTextOf(uint32_t word);
    static void inlineTextChars(uint32_t word, char16_t (&buf)[10]);

    uint32_t store(Column &c, CellType t, const char *payload, int bytes);
    uint32_t storeRaw(Column &c, CellType t, const char *payload, int bytes);
    static void decode(const Column &c, uint32_t off, CellType &t, const char *&p, int &len);
    static bool isInline(uint32_t word) { return word != NullCell && (word & InlineFlag); }
    qint64 rawAt(int row, int col) const; // the 8-byte payload of a stored (non-inline) cell

    // Cells held in the word go straight to their column. Values to be looked up in a column's
    // index are staged and stored a batch of rows at a time, one column after the other, so
    // that a column's index and arena stay in the processor's cache while its values are stored;
    // row by row, 28 columns' indexes would keep pushing each other out.
    void putWord(uint32_t word)
    {
        if (m_cursor < columnCount()) // extra cells are ignored
            m_columns[size_t(m_cursor++)].cells.push_back(word);
    }
    void appendWide(CellType t, qint64 v); // an 8-byte payload
    void stage(CellType t, const char *payload, int bytes);
    // Readers see every row: staged ones are stored first. The store is logically unchanged,
    // so this is allowed on a const table.
    void flush() const
    {
        if (m_stagedRows)
            const_cast<ResultTable *>(this)->flushStaged();
    }
    void flushStaged();
    void dropStaged();
    PodBuffer<char> m_stageBytes;
    int m_stagedRows = 0;

    QStringList m_names;
    std::vector<Column> m_columns;
    int m_rows = 0;
    int m_cursor = 0; // next column while building a row
};

// Shortest plain decimal text of a double (no exponent for magnitudes up to 1e15, at most 15
// significant digits): 1234567, 1234.5, 0.25.
QString shortestDecimal(double v);

} // namespace vela
