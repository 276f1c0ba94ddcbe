#include "ResultsGrid.h"
#include "shared/OleColor.h"
#include "shared/Parallel.h"

#include "shared/DataEnvironment.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <algorithm>
#include <limits>

namespace vela {

namespace {

constexpr int DefaultColWidthTwips = 960;

Qt::Alignment qtAlignment(int a)
{
    switch (a) {
    case ResultsGrid::flexAlignLeftTop:
        return Qt::AlignLeft | Qt::AlignTop;
    case ResultsGrid::flexAlignLeftCenter:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case ResultsGrid::flexAlignLeftBottom:
        return Qt::AlignLeft | Qt::AlignBottom;
    case ResultsGrid::flexAlignCenterTop:
        return Qt::AlignHCenter | Qt::AlignTop;
    case ResultsGrid::flexAlignCenterCenter:
        return Qt::AlignCenter;
    case ResultsGrid::flexAlignCenterBottom:
        return Qt::AlignHCenter | Qt::AlignBottom;
    case ResultsGrid::flexAlignRightTop:
        return Qt::AlignRight | Qt::AlignTop;
    case ResultsGrid::flexAlignRightCenter:
        return Qt::AlignRight | Qt::AlignVCenter;
    case ResultsGrid::flexAlignRightBottom:
        return Qt::AlignRight | Qt::AlignBottom;
    default:
        return Qt::AlignLeading | Qt::AlignVCenter;
    }
}

// Cells that keep a number, and are grouped when read.
bool isNumber(ResultTable::CellType t)
{
    return t == ResultTable::CellType::Integer || t == ResultTable::CellType::Real
        || t == ResultTable::CellType::Decimal;
}

[[noreturn]] void subscriptError(int row, int col)
{
    throw VelaError(QStringLiteral("خانه (%1، %2) در جدول نتایج نیست.").arg(row).arg(col),
        ResultsGrid::ErrSubscript);
}

} // namespace

// ---------------------------------------------------------------- model

// A view of the grid's cells for QTableView: the rows and columns after the fixed ones. Its row
// and column counts change only when the grid publishes its shape, so a grid being filled with
// Redraw off never shows a half-built state.
class ResultsGridModel : public QAbstractTableModel {
public:
    explicit ResultsGridModel(ResultsGrid *grid) : QAbstractTableModel(grid), g(grid) { }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : m_rows;
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : m_cols;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        const int r = index.row() + g->m_fixedRows;
        const int c = index.column() + g->m_fixedCols;
        switch (role) {
        case Qt::DisplayRole:
            return g->cellText(r, c);
        case Qt::TextAlignmentRole:
            return int(
                qtAlignment(c < int(g->m_colAlignment.size()) ? g->m_colAlignment[size_t(c)]
                                                              : ResultsGrid::flexAlignGeneral));
        case Qt::BackgroundRole: {
            const quint32 ole = g->cellBackColor(r, c);
            if (ole)
                return QBrush(oleColor(ole));
            // Cells without a colour of their own keep the plain cell colour even where the
            // area behind the cells has another.
            return g->m_backColorBkg ? QVariant(m_cellBrush) : QVariant();
        }
        default:
            return QVariant();
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role == Qt::TextAlignmentRole) {
            // Fixed cells are centred unless column 0 was given an alignment of its own.
            const int a
                = g->m_colAlignment.empty() ? ResultsGrid::flexAlignGeneral : g->m_colAlignment[0];
            return int(orientation == Qt::Vertical && a != ResultsGrid::flexAlignGeneral
                    ? qtAlignment(a)
                    : Qt::AlignCenter);
        }
        if (role != Qt::DisplayRole)
            return QVariant();
        if (orientation == Qt::Horizontal)
            return g->m_fixedRows ? g->cellText(0, section + g->m_fixedCols) : QString();
        return g->m_fixedCols ? g->cellText(section + g->m_fixedRows, 0) : QString();
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    void publish()
    {
        beginResetModel();
        m_rows = qMax(0, g->m_rows - g->m_fixedRows);
        m_cols = qMax(0, g->m_cols - g->m_fixedCols);
        endResetModel();
    }

    bool appendPublishedRow()
    {
        if (m_rows != g->m_rows - 1 - g->m_fixedRows || m_cols != g->m_cols - g->m_fixedCols)
            return false;
        beginInsertRows({}, m_rows, m_rows);
        ++m_rows;
        endInsertRows();
        return true;
    }

    void cellsChanged()
    {
        if (m_rows > 0 && m_cols > 0)
            emit dataChanged(index(0, 0), index(m_rows - 1, m_cols - 1));
        if (m_cols > 0)
            emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
        // The row header is only repainted: announcing a million changed sections would make
        // the header visit each of them.
        g->verticalHeader()->viewport()->update();
    }

    QBrush m_cellBrush;

private:
    ResultsGrid *g;
    int m_rows = 0, m_cols = 0;
};

// ---------------------------------------------------------------- grid

ResultsGrid::ResultsGrid(QWidget *parent) : QTableView(parent), m_model(new ResultsGridModel(this))
{
    m_table = std::make_shared<ResultTable>(QStringList {QString()});
    m_table->resizeRows(1);
    m_row0 = QStringList {QString(), QString()};
    m_grouped.assign(2, RowRange {});
    m_colWidth.assign(2, -1);
    m_colAlignment.assign(2, flexAlignGeneral);
    m_model->m_cellBrush = palette().brush(QPalette::Base);

    setModel(m_model);
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setWordWrap(false);
    // Uniform, fixed row heights keep a million rows cheap: no row is ever measured.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // Columns take the widths given in twips, narrow ones too (down to 0, a hidden column): left
    // to itself the header keeps every section as wide as the font's widest glyph, which for the
    // fallback fonts of Persian text is wider than a whole 1000-twip column.
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setDefaultSectionSize(twipsToPixels(DefaultColWidthTwips));
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);
    // The corner holds the header of column 0.
    if (auto *corner = findChild<QAbstractButton *>())
        corner->installEventFilter(this);
    connect(verticalHeader(), &QHeaderView::sectionDoubleClicked, this, [this](int section) {
        m_row = m_rowSel = section + m_fixedRows;
        emit DblClick();
    });
    m_model->publish();
    applyView();
}

ResultsGrid::~ResultsGrid() = default;

// ---- shape

void ResultsGrid::clipToRows()
{
    for (auto it = m_col0.begin(); it != m_col0.end();)
        it = it.key() >= m_rows ? m_col0.erase(it) : std::next(it);
    m_numbered.last = qMin(m_numbered.last, m_rows - 1);
    for (RowRange &g : m_grouped)
        g.last = qMin(g.last, m_rows - 1);
    for (auto it = m_cellColors.begin(); it != m_cellColors.end();) {
        const int r = int(it.key() >> 32), c = int(it.key() & 0xFFFFFFFF);
        it = (r >= m_rows || c >= m_cols) ? m_cellColors.erase(it) : std::next(it);
    }
    std::erase_if(m_colorRects, [this](ColorRect &rc) {
        rc.r2 = qMin(rc.r2, m_rows - 1);
        rc.c2 = qMin(rc.c2, m_cols - 1);
        return rc.r1 > rc.r2 || rc.c1 > rc.c2;
    });
    m_fixedRows = qMin(m_fixedRows, m_rows);
    m_fixedCols = qMin(m_fixedCols, m_cols);
    m_row = qMin(m_row, m_rows - 1);
    m_rowSel = qMin(m_rowSel, m_rows - 1);
    m_col = qMin(m_col, m_cols - 1);
    m_colSel = qMin(m_colSel, m_cols - 1);
}

void ResultsGrid::setRows(int rows)
{
    rows = qMax(1, rows);
    if (rows == 1) {
        // No data rows left: let the whole store go instead of keeping its capacity.
        m_table = std::make_shared<ResultTable>(m_table->columnNames());
    } else {
        m_table->resizeRows(rows - 1);
    }
    m_rows = rows;
    clipToRows();
    structureChanged();
}

void ResultsGrid::setCols(int cols)
{
    cols = qMax(1, cols);
    while (m_table->columnCount() < cols - 1)
        m_table->insertColumn(m_table->columnCount(), QString());
    while (m_table->columnCount() > cols - 1)
        m_table->removeColumn(m_table->columnCount() - 1);
    m_cols = cols;
    m_row0.resize(cols);
    m_grouped.resize(size_t(cols));
    m_colWidth.resize(size_t(cols), -1);
    m_colAlignment.resize(size_t(cols), flexAlignGeneral);
    clipToRows();
    structureChanged();
}

void ResultsGrid::setFixedRows(int n)
{
    m_fixedRows = qBound(0, n, qMin(1, m_rows));
    structureChanged();
}

void ResultsGrid::setFixedCols(int n)
{
    m_fixedCols = qBound(0, n, qMin(1, m_cols));
    structureChanged();
}

// ---- current cell

void ResultsGrid::setRow(int row)
{
    if (row < 0 || row >= m_rows)
        subscriptError(row, m_col);
    m_row = m_rowSel = row;
    m_colSel = m_col;
    syncCurrentToView();
}

void ResultsGrid::setCol(int col)
{
    if (col < 0 || col >= m_cols)
        subscriptError(m_row, col);
    m_col = m_colSel = col;
    m_rowSel = m_row;
    syncCurrentToView();
}

void ResultsGrid::setRowSel(int row)
{
    if (row < 0 || row >= m_rows)
        subscriptError(row, m_colSel);
    m_rowSel = row;
}

void ResultsGrid::setColSel(int col)
{
    if (col < 0 || col >= m_cols)
        subscriptError(m_rowSel, col);
    m_colSel = col;
}

void ResultsGrid::syncCurrentToView()
{
    if (!m_redraw || m_structureDirty)
        return;
    const QModelIndex idx = m_model->index(m_row - m_fixedRows, m_col - m_fixedCols);
    if (!idx.isValid() || idx == currentIndex())
        return;
    // Moving the current cell from code neither selects nor scrolls, as in the classic grid.
    m_syncing = true;
    const bool scroll = hasAutoScroll();
    setAutoScroll(false);
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::NoUpdate);
    setAutoScroll(scroll);
    m_syncing = false;
}

void ResultsGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || !current.isValid())
        return;
    m_row = m_rowSel = current.row() + m_fixedRows;
    m_col = m_colSel = current.column() + m_fixedCols;
}

// ---- cells

void ResultsGrid::checkCell(int row, int col) const
{
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols)
        subscriptError(row, col);
}

QString ResultsGrid::cellText(int row, int col) const
{
    QString text;
    appendCellText(row, col, text);
    return text;
}

// The one reading of a cell: the view, TextMatrix and the exports all come here.
void ResultsGrid::appendCellText(int row, int col, QString &out) const
{
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols)
        return;
    if (row == 0) {
        out += m_row0.value(col);
        return;
    }
    if (col == 0) {
        const auto it = m_col0.constFind(row);
        if (it != m_col0.constEnd())
            out += *it;
        else if (m_numbered.contains(row))
            out += QString::number(row);
        return;
    }
    const qsizetype at = out.size();
    m_table->appendText(row - 1, col - 1, out);
    if (m_grouped[size_t(col)].contains(row)) {
        const ResultTable::CellType t = m_table->type(row - 1, col - 1);
        if (isNumber(t))
            GroupDigitsInPlace(out, at);
    }
}

QString ResultsGrid::TextMatrix(int row, int col) const
{
    checkCell(row, col);
    return cellText(row, col);
}

void ResultsGrid::appendText(int row, int col, QString &out) const
{
    checkCell(row, col);
    appendCellText(row, col, out);
}

void ResultsGrid::setTextMatrix(int row, int col, const QString &text)
{
    checkCell(row, col);
    if (row == 0)
        m_row0[col] = text;
    else if (col == 0)
        m_col0.insert(row, text);
    else
        m_table->setText(row - 1, col - 1, text);
    if (!m_redraw) {
        m_contentDirty = true;
        return;
    }
    const int mr = row - m_fixedRows, mc = col - m_fixedCols;
    if (mr < 0 && mc >= 0)
        emit m_model->headerDataChanged(Qt::Horizontal, mc, mc);
    else if (mc < 0 && mr >= 0)
        emit m_model->headerDataChanged(Qt::Vertical, mr, mr);
    else if (mr >= 0 && mc >= 0)
        emit m_model->dataChanged(m_model->index(mr, mc), m_model->index(mr, mc));
    else if (auto *corner = findChild<QAbstractButton *>())
        corner->update();
}

void ResultsGrid::AddItem(const QString &item)
{
    m_table->appendRowOfNulls();
    ++m_rows;
    const int row = m_rows - 1;
    const QStringList parts = item.split(QLatin1Char('\t'));
    for (int c = 0; c < parts.size() && c < m_cols; ++c) {
        if (c == 0)
            m_col0.insert(row, parts[0]);
        else
            m_table->setText(row - 1, c - 1, parts[c]);
    }
    if (m_redraw && !m_structureDirty && m_model->appendPublishedRow())
        return;
    structureChanged();
}

// ---- columns

int ResultsGrid::ColWidth(int col) const
{
    checkCell(0, col);
    const int w = m_colWidth[size_t(col)];
    return w < 0 ? DefaultColWidthTwips : w;
}

void ResultsGrid::setColWidth(int col, int twips)
{
    checkCell(0, col);
    m_colWidth[size_t(col)] = qMax(0, twips);
    if (!m_redraw) {
        m_structureDirty = true;
        return;
    }
    applyView();
}

int ResultsGrid::ColAlignment(int col) const
{
    checkCell(0, col);
    return m_colAlignment[size_t(col)];
}

void ResultsGrid::setColAlignment(int col, int alignment)
{
    checkCell(0, col);
    m_colAlignment[size_t(col)] = qBound(0, alignment, int(flexAlignGeneral));
    if (col == 0)
        verticalHeader()->setDefaultAlignment(qtAlignment(alignment));
    contentChanged();
}

// ---- colours

quint32 ResultsGrid::cellBackColor(int row, int col) const
{
    quint32 color = 0;
    quint64 seq = 0;
    const auto it = m_cellColors.constFind(cellKey(row, col));
    if (it != m_cellColors.constEnd()) {
        color = it->color;
        seq = it->seq;
    }
    // Newest rectangle first; one older than the cell's own colour cannot win.
    for (auto r = m_colorRects.rbegin(); r != m_colorRects.rend() && r->seq > seq; ++r) {
        if (row >= r->r1 && row <= r->r2 && col >= r->c1 && col <= r->c2)
            return (row & 1) ? r->odd : r->even;
    }
    return color;
}

quint32 ResultsGrid::CellBackColor() const
{
    return cellBackColor(m_row, m_col);
}

void ResultsGrid::setCellBackColor(quint32 ole)
{
    const int r1 = qMin(m_row, m_rowSel), r2 = qMax(m_row, m_rowSel);
    const int c1 = qMin(m_col, m_colSel), c2 = qMax(m_col, m_colSel);
    if (r1 == r2 && c1 == c2)
        m_cellColors.insert(cellKey(r1, c1), CellColor {ole, ++m_colorSeq});
    else
        FillAlternateRows(r1, r2, c1, c2, ole, ole);
    contentChanged();
}

void ResultsGrid::FillAlternateRows(
    int firstRow, int lastRow, int firstCol, int lastCol, quint32 oddColor, quint32 evenColor)
{
    firstRow = qMax(0, firstRow);
    lastRow = qMin(lastRow, m_rows - 1);
    firstCol = qMax(0, firstCol);
    lastCol = qMin(lastCol, m_cols - 1);
    if (firstRow > lastRow || firstCol > lastCol)
        return;
    // Rules wholly covered by the new one can never show again.
    std::erase_if(m_colorRects, [&](const ColorRect &r) {
        return r.r1 >= firstRow && r.r2 <= lastRow && r.c1 >= firstCol && r.c2 <= lastCol;
    });
    m_colorRects.push_back(
        ColorRect {firstRow, lastRow, firstCol, lastCol, oddColor, evenColor, ++m_colorSeq});
    contentChanged();
}

void ResultsGrid::setBackColorSel(quint32 ole)
{
    m_backColorSel = ole;
    QPalette p = palette();
    p.setColor(QPalette::Highlight, oleColor(ole));
    setPalette(p);
}

void ResultsGrid::setBackColorBkg(quint32 ole)
{
    m_backColorBkg = ole;
    QPalette p = viewport()->palette();
    p.setColor(QPalette::Base, oleColor(ole));
    viewport()->setPalette(p);
    contentChanged();
}

// ---- whole ranges

void ResultsGrid::NumberRows(int firstRow, int lastRow)
{
    m_numbered.first = qMax(1, firstRow);
    m_numbered.last = qMin(lastRow, m_rows - 1);
    for (auto it = m_col0.begin(); it != m_col0.end();)
        it = m_numbered.contains(it.key()) ? m_col0.erase(it) : std::next(it);
    contentChanged();
}

void ResultsGrid::GroupDigitsInColumn(int col, int firstRow, int lastRow)
{
    checkCell(0, col);
    firstRow = qMax(1, firstRow);
    lastRow = qMin(lastRow, m_rows - 1);
    if (col == 0) {
        for (int r = firstRow; r <= lastRow; ++r)
            m_col0.insert(r, GroupDigits(cellText(r, 0)));
    } else {
        groupColumn(col, firstRow, lastRow, nullptr);
    }
    contentChanged();
}

void ResultsGrid::groupColumn(int col, int firstRow, int lastRow, __int128 *total)
{
    const int tc = col - 1;
    RowRange &grouped = m_grouped[size_t(col)];
    // Numbers grouped by an earlier call are written out first, so grouping twice groups twice.
    for (int r = grouped.first; r <= grouped.last; ++r) {
        if (isNumber(m_table->type(r - 1, tc)))
            m_table->setText(r - 1, tc, GroupDigits(m_table->text(r - 1, tc)));
    }
    for (int r = firstRow; r <= lastRow; ++r) {
        const ResultTable::CellType t = m_table->type(r - 1, tc);
        // Each amount is read before its own cell is grouped.
        if (total)
            *total += amountAt(r, col, t).raw();
        if (t == ResultTable::CellType::Text)
            m_table->setText(r - 1, tc, GroupDigits(m_table->text(r - 1, tc)));
    }
    grouped = RowRange {firstRow, lastRow};
}

QStringList ResultsGrid::TotalAndGroupDigits(int firstCol, int lastCol, int firstRow, int lastRow)
{
    checkCell(0, firstCol);
    checkCell(0, lastCol);
    firstCol = qMax(1, firstCol);
    firstRow = qMax(1, firstRow);
    lastRow = qMin(lastRow, m_rows - 1);
    const int cols = lastCol - firstCol + 1;
    std::vector<__int128> totals(size_t(qMax(0, cols)), 0);
    // A thread pays for itself from some ten thousand cells on.
    const qint64 cells = qint64(qMax(0, lastRow - firstRow + 1)) * qMax(0, cols);
    const int parts = cells < 40000 ? 1 : qMin(cols, hardwareThreads());
    if (cols > 0) {
        m_table->type(0, 0); // stores any staged rows before the threads read the table
        runInParallel(parts, [&](int part) {
            for (int i = part; i < cols; i += parts)
                groupColumn(firstCol + i, firstRow, lastRow, &totals[size_t(i)]);
        });
    }
    contentChanged();
    QStringList texts;
    for (const __int128 t : totals)
        texts << Money::scaledText(t);
    return texts;
}

Money ResultsGrid::amountAt(int row, int col, ResultTable::CellType type) const
{
    if (row >= 1 && col >= 1) {
        switch (type) {
        case ResultTable::CellType::Null:
            return Money();
        case ResultTable::CellType::Integer: {
            const qint64 v = m_table->integer(row - 1, col - 1);
            constexpr qint64 limit = std::numeric_limits<qint64>::max() / Money::Scale;
            if (v > limit || v < -limit)
                Money::throwOverflow();
            return Money::fromRaw(v * Money::Scale);
        }
        case ResultTable::CellType::Decimal:
            return m_table->decimal(row - 1, col - 1);
        default:
            break;
        }
    }
    QString text = cellText(row, col);
    return UngroupDigits(text);
}

Money ResultsGrid::cellAmount(int row, int col) const
{
    checkCell(row, col);
    return amountAt(row, col,
        row >= 1 && col >= 1 ? m_table->type(row - 1, col - 1) : ResultTable::CellType::Text);
}

size_t ResultsGrid::memoryUsage() const
{
    size_t bytes = m_table->memoryUsage();
    bytes += size_t(m_col0.size()) * 48 + size_t(m_cellColors.size()) * 32;
    bytes += m_colorRects.capacity() * sizeof(ColorRect);
    return bytes;
}

// ---- binding

void ResultsGrid::setDataSource(DataEnvironment &env)
{
    Recordset &rs = env.recordset(QStringLiteral("rs") + m_dataMember);
    if (rs.State() != Recordset::adStateOpen)
        throw VelaError(QStringLiteral("مجموعه رکورد «%1» باز نیست.").arg(rs.name()), ErrDatabase);
    bindTable(rs.takeTable());
}

void ResultsGrid::bindTable(std::shared_ptr<ResultTable> table)
{
    m_table = table ? std::move(table) : std::make_shared<ResultTable>();
    m_cols = m_table->columnCount() + 1;
    m_rows = m_table->rowCount() + 1;
    m_row0 = QStringList {QString()} + m_table->columnNames();
    m_col0.clear();
    m_numbered = RowRange {};
    m_grouped.assign(size_t(m_cols), RowRange {});
    m_colWidth.assign(size_t(m_cols), -1);
    m_colAlignment.assign(size_t(m_cols), flexAlignGeneral);
    m_colorRects.clear();
    m_cellColors.clear();
    m_fixedRows = qMin(m_fixedRows, m_rows);
    m_fixedCols = qMin(m_fixedCols, m_cols);
    m_row = m_rowSel = qMin(m_fixedRows, m_rows - 1);
    m_col = m_colSel = qMin(m_fixedCols, m_cols - 1);
    structureChanged();
}

// ---- drawing

void ResultsGrid::structureChanged()
{
    if (!m_redraw) {
        m_structureDirty = true;
        return;
    }
    m_model->publish();
    applyView();
    syncCurrentToView();
}

void ResultsGrid::contentChanged()
{
    if (!m_redraw) {
        m_contentDirty = true;
        return;
    }
    m_model->cellsChanged();
    viewport()->update();
}

void ResultsGrid::applyView()
{
    horizontalHeader()->setVisible(m_fixedRows > 0);
    verticalHeader()->setVisible(m_fixedCols > 0);
    const int modelCols = m_model->columnCount();
    for (int k = 0; k < modelCols && k + m_fixedCols < m_cols; ++k)
        horizontalHeader()->resizeSection(k, twipsToPixels(ColWidth(k + m_fixedCols)));
    if (m_fixedCols > 0)
        verticalHeader()->setFixedWidth(twipsToPixels(ColWidth(0)));
    viewport()->update();
}

void ResultsGrid::setRedraw(bool on)
{
    if (on == m_redraw)
        return;
    m_redraw = on;
    if (!on) {
        setUpdatesEnabled(false);
        return;
    }
    if (m_structureDirty) {
        m_structureDirty = false;
        m_contentDirty = false;
        m_model->publish();
        applyView();
    } else if (m_contentDirty) {
        m_contentDirty = false;
        m_model->cellsChanged();
    }
    syncCurrentToView();
    setUpdatesEnabled(true);
}

// ---- events

void ResultsGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex idx = indexAt(event->position().toPoint());
    if (!idx.isValid()) {
        QTableView::mouseDoubleClickEvent(event);
        return;
    }
    m_row = m_rowSel = idx.row() + m_fixedRows;
    m_col = m_colSel = idx.column() + m_fixedCols;
    event->accept();
    emit DblClick();
}

void ResultsGrid::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && event->modifiers() == Qt::NoModifier) {
        // Enter chooses the current row as a double-click would; it is kept from the dialog,
        // whose default button would otherwise run a new search.
        event->accept();
        if (m_rows > m_fixedRows)
            emit DblClick();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool ResultsGrid::eventFilter(QObject *watched, QEvent *event)
{
    // The corner button shows the header of column 0 (TextMatrix(0, 0)).
    if (event->type() == QEvent::Paint && m_fixedRows > 0 && m_fixedCols > 0) {
        auto *corner = qobject_cast<QAbstractButton *>(watched);
        if (corner) {
            QStyleOptionHeader opt;
            opt.initFrom(corner);
            opt.state |= QStyle::State_Raised;
            opt.rect = corner->rect();
            opt.position = QStyleOptionHeader::OnlyOneSection;
            opt.orientation = Qt::Horizontal;
            opt.text = m_row0.value(0);
            opt.textAlignment = Qt::AlignCenter;
            QPainter painter(corner);
            corner->style()->drawControl(QStyle::CE_Header, &opt, &painter, corner);
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace vela
