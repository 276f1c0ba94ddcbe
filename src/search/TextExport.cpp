// The results grid as a delimited text file: UTF-16 little-endian with a byte-order mark, one
// line per grid row, the delimiter after every cell. The text is built straight into one large
// UTF-16 buffer from the grid's cells and written out whenever it fills, so a million rows cost
// neither a string per cell nor memory that grows with the rows.
#include "ExportFile.h"
#include "GridExport.h"
#include "ResultsGrid.h"
#include "SearchTexts.h"
#include "shared/Money.h"

#include <QSysInfo>
#include <QtEndian>
#include <vector>

namespace vela {

namespace {

constexpr qsizetype FlushUnits = qsizetype(1) << 20; // 2 MB of UTF-16
constexpr int BlockRows = 64;

// Removes the carriage returns and line feeds of out[from..]: every CR LF pair, then every CR
// left, then every LF left, which together leave none of either.
inline bool isLineBreak(char16_t c)
{
    return c <= u'\r' && (c == u'\r' || c == u'\n'); // one comparison for nearly every character
}

void dropLineBreaks(QString &out, qsizetype from)
{
    const char16_t *begin = reinterpret_cast<const char16_t *>(out.constData());
    const char16_t *p = begin + from, *end = begin + out.size();
    while (p != end && !isLineBreak(*p))
        ++p;
    if (p == end)
        return;
    char16_t *w = reinterpret_cast<char16_t *>(out.data()) + (p - begin);
    const char16_t *r = w;
    end = reinterpret_cast<const char16_t *>(out.constData()) + out.size();
    for (; r != end; ++r)
        if (!isLineBreak(*r))
            *w++ = *r;
    out.truncate(w - reinterpret_cast<const char16_t *>(out.constData()));
}

// A money cell without its group separators: where it holds an amount, the exact amount the grid
// keeps, in plain decimal ("1234567.25"); an empty cell stays empty; any other text (a total
// beyond the money range) loses only its "/".
void appendPlainAmount(const ResultsGrid &grid, int row, int col, QString &out)
{
    QString shown;
    grid.appendText(row, col, shown);
    if (shown.isEmpty())
        return;
    shown.remove(QLatin1Char('/'));
    if (Money::parse(shown))
        out += grid.cellAmount(row, col).toString();
    else
        out += shown;
}

void writeUtf16(ReplacingFile &file, QString &buffer)
{
    if (buffer.isEmpty())
        return;
    if constexpr (QSysInfo::ByteOrder == QSysInfo::BigEndian)
        qToLittleEndian<char16_t>(buffer.utf16(), buffer.size(), buffer.data());
    file.write(buffer.constData(), size_t(buffer.size()) * sizeof(QChar));
    buffer.resize(0); // keeps the capacity
}

} // namespace

bool writeGridText(
    const ResultsGrid &grid, const TextExportOptions &options, ExportProgress *progress)
{
    const int rows = grid.Rows();
    std::vector<int> cols; // column 0 holds the row numbers and is never written
    for (int c = 1; c < grid.Cols(); ++c)
        if (grid.ColWidth(c) != 0)
            cols.push_back(c);
    std::vector<char> money(size_t(grid.Cols()), false);
    if (options.removeMoneySep)
        for (int c = FirstMoneyColumn; c <= LastMoneyColumn && c < grid.Cols(); ++c)
            money[size_t(c)] = true;

    ReplacingFile file(options.fileName);
    QString out;
    out.reserve(FlushUnits + 4096);
    out += QChar(0xFEFF);
    // Rows are built a block at a time, column by column within the block: each column's cells
    // are then read in order, which the processor's caches serve far better than every column
    // visited once per row.
    std::vector<QString> lines(BlockRows);
    const QChar *delimiter = options.delimiter.constData();
    const qsizetype delimiterSize = options.delimiter.size();
    const int first = options.addHeaders ? 0 : 1;
    for (int r0 = first; r0 < rows; r0 += BlockRows) {
        const int n = qMin(BlockRows, rows - r0);
        for (int c : cols)
            for (int i = 0; i < n; ++i) {
                QString &line = lines[size_t(i)];
                const qsizetype at = line.size();
                if (r0 + i > 0 && money[size_t(c)])
                    appendPlainAmount(grid, r0 + i, c, line);
                else
                    grid.appendText(r0 + i, c, line);
                dropLineBreaks(line, at);
                line.append(delimiter, delimiterSize);
            }
        for (int i = 0; i < n; ++i) {
            out += lines[size_t(i)];
            lines[size_t(i)].resize(0); // keeps the capacity for the next block
            if (r0 + i < rows - 1 || options.addNewLine)
                out += QLatin1String("\r\n");
        }
        if (out.size() >= FlushUnits)
            writeUtf16(file, out);
        if (progress && !progress->advance(r0 + n - first))
            return false; // the temporary file goes with `file`
    }
    writeUtf16(file, out);
    file.commit();
    return true;
}

} // namespace vela
