#pragma once
// The rows of one statement, fully fetched and stored compactly: per column one 32-bit offset
// per row into a byte arena that holds each distinct value once while the column repeats itself
// (lookup names, dates, identifiers of a few kinds). A million search rows of 28 columns take a
// fraction of what QVariant or QString cells would.
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
    enum class CellType : quint8 { Null = 0, Integer = 1, Real = 2, Text = 3, Blob = 4 };

    ResultTable() = default;
    explicit ResultTable(const QStringList &columnNames) { setColumns(columnNames); }

    // ---- shape
    void setColumns(const QStringList &names); // drops all rows
    void clear();                              // drops rows and columns
    int rowCount() const { return m_rows; }
    int columnCount() const { return int(m_columns.size()); }
    const QStringList &columnNames() const { return m_names; }
    QString columnName(int col) const { return m_names.value(col); }
    // Case-insensitive; -1 when there is no such column. The first of equal names wins.
    int columnIndex(const QString &name) const;

    // ---- reading
    CellType type(int row, int col) const;
    bool isNull(int row, int col) const { return type(row, col) == CellType::Null; }
    // Text form of a cell: NULL gives empty text, integers and reals their shortest decimal text.
    QString text(int row, int col) const;
    QVariant value(int row, int col) const; // NULL gives an invalid QVariant; blobs a QByteArray
    qint64 integer(int row, int col) const; // Integer cells; others convert as best they can
    double real(int row, int col) const;

    // ---- building, one row at a time, cells left to right
    void reserveRows(int rows);
    void beginRow();
    void appendNull();
    void appendInteger(qint64 v);
    void appendReal(double v);
    void appendText(const char *utf8, int bytes);
    void appendText(const QString &s);
    void appendBlob(const void *data, int bytes);
    void appendVariant(const QVariant &v);
    void endRow(); // pads missing cells with NULL

    // ---- editing (the results grid edits its cells in place)
    void setText(int row, int col, const QString &s);
    void insertColumn(int col, const QString &name); // all rows NULL
    void appendRowOfNulls();
    void resizeRows(int rows); // truncates or pads with NULL rows

    // Bytes held, for the benchmark's report.
    size_t memoryUsage() const;

private:
    struct Column {
        std::vector<uint32_t> cells;   // arena offset per row; NullCell for NULL
        std::vector<char> arena;       // [type][payload]; text/blob payload: varint length + bytes
        // While a column repeats values, identical entries are shared through this index
        // (open addressing over arena offsets); it is dropped once a column proves unique.
        std::vector<uint32_t> dedup;
        uint32_t dedupCount = 0;
        bool dedupOn = true;
        uint32_t distinctProbe = 0;
    };
    static constexpr uint32_t NullCell = 0xFFFFFFFFu;

    uint32_t store(Column &c, CellType t, const char *payload, int bytes);
    uint32_t storeRaw(Column &c, CellType t, const char *payload, int bytes);
    void append(uint32_t offset);
    static void decode(const Column &c, uint32_t off, CellType &t, const char *&p, int &len);

    QStringList m_names;
    std::vector<Column> m_columns;
    int m_rows = 0;
    int m_cursor = 0; // next column while building a row
};

// Shortest plain decimal text of a double (no exponent for magnitudes up to 1e15, at most 15
// significant digits): 1234567, 1234.5, 0.25.
QString shortestDecimal(double v);

} // namespace vela
