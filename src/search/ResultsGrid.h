#pragma once
// The results grid: the members of the classic hierarchical flex grid that the search and the
// exports use, over a compact model shown in a QTableView.
//
// Grid coordinates: row 0 is the header row, column 0 the row-number column; the cells of rows
// 1.. and columns 1.. live in a ResultTable (row r, column c is table cell r-1, c-1), usually
// the very table a recordset fetched. Row 0 and column 0 are held apart: row 0 as one text per
// column, column 0 as a few explicit texts plus a numbering rule, so a million rows cost no
// per-row strings there. Cell colours are rules (plain or alternating rectangles) plus single
// cell exceptions; the money columns keep their numbers and show them grouped on reading.
//
// Fixed rows and columns (0 or 1 each) are drawn by the view's headers, so they stay in place
// while the cells scroll.
#include "shared/Money.h"
#include "shared/ResultTable.h"

#include <QHash>
#include <QStringList>
#include <QTableView>
#include <memory>
#include <vector>

namespace vela {

class DataEnvironment;
class ResultsGridModel;

class ResultsGrid : public QTableView {
    Q_OBJECT
public:
    // Alignment values of ColAlignment.
    enum Alignment {
        flexAlignLeftTop = 0,
        flexAlignLeftCenter,
        flexAlignLeftBottom,
        flexAlignCenterTop,
        flexAlignCenterCenter,
        flexAlignCenterBottom,
        flexAlignRightTop,
        flexAlignRightCenter,
        flexAlignRightBottom,
        flexAlignGeneral
    };
    static constexpr int ErrSubscript = 381; // a row or column outside the grid

    explicit ResultsGrid(QWidget *parent = nullptr);
    ~ResultsGrid() override;

    // ---- shape (a new grid has 2 rows, 2 columns, one fixed row and one fixed column)
    int Rows() const { return m_rows; }
    void setRows(int rows); // at least 1; new rows are empty, removed rows forgotten
    int Cols() const { return m_cols; }
    void setCols(int cols); // at least 1
    int FixedRows() const { return m_fixedRows; }
    void setFixedRows(int n); // 0 or 1, and less than Rows
    int FixedCols() const { return m_fixedCols; }
    void setFixedCols(int n); // 0 or 1, and less than Cols

    // ---- current cell and selection; setting Row or Col collapses the selection onto it
    int Row() const { return m_row; }
    void setRow(int row);
    int Col() const { return m_col; }
    void setCol(int col);
    int RowSel() const { return m_rowSel; }
    void setRowSel(int row);
    int ColSel() const { return m_colSel; }
    void setColSel(int col);

    // ---- cells; a row or column outside the grid throws VelaError(ErrSubscript)
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);
    // Appends TextMatrix(row, col) to `out`, without a QString of its own for the plain cells of
    // the table: the exports read every cell of a million rows this way.
    void appendText(int row, int col, QString &out) const;
    // Appends a row; the tab-separated parts of `item` fill its cells from column 0.
    void AddItem(const QString &item);

    // ---- columns
    int ColWidth(int col) const; // twips
    void setColWidth(int col, int twips);
    int ColAlignment(int col) const; // Alignment
    void setColAlignment(int col, int alignment);

    // ---- colours: 32-bit values with red in the lowest byte; 0 means the default colour
    quint32 CellBackColor() const; // of the current cell
    // Colours the selection (Row..RowSel, Col..ColSel).
    void setCellBackColor(quint32 ole);
    quint32 BackColorSel() const { return m_backColorSel; }
    void setBackColorSel(quint32 ole); // background of selected cells
    quint32 BackColorBkg() const { return m_backColorBkg; }
    void setBackColorBkg(quint32 ole); // the area around and behind the cells

    // ---- drawing: while off, changes are collected and shown at once when it is turned on
    bool Redraw() const { return m_redraw; }
    void setRedraw(bool on);

    // ---- binding to a recordset of a data environment: DataMember names the command,
    // DataSource takes the rows of its recordset "rs" + DataMember (closing it). The header row
    // shows the column names; the recordset's columns follow the fixed column.
    QString DataMember() const { return m_dataMember; }
    void setDataMember(const QString &member) { m_dataMember = member; }
    void setDataSource(DataEnvironment &env);
    void bindTable(std::shared_ptr<ResultTable> table);

    // ---- whole ranges at once, for a million rows
    // Column 0 of rows first..last shows the row number; nothing is stored per row.
    void NumberRows(int firstRow, int lastRow);
    // Rows first..last, columns firstCol..lastCol: odd rows oddColor, even rows evenColor.
    void FillAlternateRows(
        int firstRow, int lastRow, int firstCol, int lastCol, quint32 oddColor, quint32 evenColor);
    // Column `col`, rows first..last: every cell reads as GroupDigits of its text from now on.
    // Numbers keep their stored value and are grouped when read; text cells are rewritten.
    void GroupDigitsInColumn(int col, int firstRow, int lastRow);
    // Columns firstCol..lastCol (from 1), rows first..last: the exact total of each column's
    // amounts as cellAmount reads them (Money's plain text), and then GroupDigitsInColumn on each
    // column, in one pass over the column. Large ranges are worked on a few columns per thread.
    // Throws VelaError(ErrOverflow) for an amount outside the currency range.
    QStringList TotalAndGroupDigits(int firstCol, int lastCol, int firstRow, int lastRow);
    // The amount UngroupDigits reads from TextMatrix(row, col), without building the text for
    // whole-number cells. Throws VelaError(ErrOverflow) outside the currency range.
    Money cellAmount(int row, int col) const;
    quint32 cellBackColor(int row, int col) const; // 0 when the cell has the default colour

    const ResultTable &table() const { return *m_table; }
    size_t memoryUsage() const; // bytes held for the cells

signals:
    // A double-click on a cell (after it became the current cell), or Enter on the current row.
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class ResultsGridModel;

    struct ColorRect {
        int r1, r2, c1, c2;
        quint32 odd, even; // equal for a plain rectangle
        quint64 seq;
    };
    struct CellColor {
        quint32 color;
        quint64 seq;
    };
    struct RowRange {
        int first = 1, last = 0; // empty
        bool contains(int r) const { return r >= first && r <= last; }
    };

    QString cellText(int row, int col) const; // no range check
    Money amountAt(int row, int col, ResultTable::CellType type) const; // no range check
    // GroupDigitsInColumn without telling the view; adds the amounts to *total when given. Only
    // this column's cells change, so columns may be grouped on several threads at once.
    void groupColumn(int col, int firstRow, int lastRow, __int128 *total);
    void appendCellText(int row, int col, QString &out) const; // no range check
    void checkCell(int row, int col) const;
    static quint64 cellKey(int row, int col)
    {
        return (quint64(quint32(row)) << 32) | quint32(col);
    }
    void structureChanged(); // rows, columns or fixed parts changed
    void contentChanged(); // texts or colours changed
    void applyView(); // publishes the shape and sizes to the view
    void syncCurrentToView();
    void clipToRows(); // forgets rules and texts beyond the last row

    ResultsGridModel *m_model;
    std::shared_ptr<ResultTable> m_table;
    QStringList m_row0; // row 0, one text per column
    QHash<int, QString> m_col0; // column 0 texts set one by one, by row
    RowRange m_numbered; // column 0 rows that show their number
    std::vector<RowRange> m_grouped; // per grid column: rows read with digit grouping
    std::vector<int> m_colWidth; // twips; -1 default
    std::vector<int> m_colAlignment;
    std::vector<ColorRect> m_colorRects;
    QHash<quint64, CellColor> m_cellColors;
    quint64 m_colorSeq = 0;
    int m_rows = 2, m_cols = 2, m_fixedRows = 1, m_fixedCols = 1;
    int m_row = 1, m_col = 1, m_rowSel = 1, m_colSel = 1;
    quint32 m_backColorSel = 0, m_backColorBkg = 0;
    bool m_redraw = true;
    bool m_structureDirty = false, m_contentDirty = false;
    bool m_syncing = false;
    QString m_dataMember;
};

} // namespace vela
