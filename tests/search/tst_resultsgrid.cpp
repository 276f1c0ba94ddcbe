// The results grid on its own: shape, cells, the whole-range rules (numbering, colours, digit
// grouping), binding and drawing deferral (choosing a row: tst_formsearch).
#include "search/ResultsGrid.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>

using namespace vela;

namespace {

// n rows: ID, Name, Cost (whole amounts, a fraction in row 2, NULL in row 3).
std::shared_ptr<ResultTable> sampleTable(int n)
{
    auto t = std::make_shared<ResultTable>(QStringList {"ID", "Name", "Cost"});
    for (int i = 0; i < n; ++i) {
        t->beginRow();
        t->appendInteger(i + 1);
        t->appendText(QStringLiteral("دارایی %1").arg(i + 1));
        if (i == 1)
            t->appendReal(1234.5);
        else if (i == 2)
            t->appendNull();
        else
            t->appendInteger(qint64(1000000) * (i + 1) + 7);
        t->endRow();
    }
    return t;
}

} // namespace

class TestResultsGrid : public QObject {
    Q_OBJECT
private slots:
    void cellsBindingAndDrawing();
    void coloursAreRulesWithExceptions();
};

// One grid through its life: cells of its own, then bound rows and the whole-range rules, then
// a binding while drawing is off.
void TestResultsGrid::cellsBindingAndDrawing()
{
    ResultsGrid g;
    g.setCols(4);
    g.setRows(3);
    g.setTextMatrix(0, 2, "سر");
    g.setTextMatrix(2, 3, "x");
    // Outside the grid is an error, not an empty text.
    QVERIFY_THROWS_EXCEPTION(VelaError, g.TextMatrix(3, 0));
    QVERIFY_THROWS_EXCEPTION(VelaError, g.setTextMatrix(0, 4, QString()));
    QVERIFY_THROWS_EXCEPTION(VelaError, g.setRow(3));

    // AddItem: tab-separated parts from column 0; a shorter item leaves the rest empty.
    g.AddItem("a\tb");
    QCOMPARE(g.Rows(), 4);
    QCOMPARE(QStringList({g.TextMatrix(3, 0), g.TextMatrix(3, 1), g.TextMatrix(3, 2)}),
        QStringList({"a", "b", ""}));

    // Rows shrink and grow back empty; the header row stays.
    g.setRows(1);
    g.setRows(3);
    QCOMPARE(g.TextMatrix(0, 2), "سر");
    QCOMPARE(g.TextMatrix(2, 3), QString());
    g.setColAlignment(2, ResultsGrid::flexAlignCenterCenter);
    QCOMPARE(g.model()->index(0, 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));

    // Setting Row or Col collapses the selection onto the current cell.
    g.setRow(1);
    g.setColSel(3);
    g.setRow(2);
    QCOMPARE(g.RowSel(), 2);
    QCOMPARE(g.ColSel(), g.Col());

    g.setColWidth(1, 2000);
    g.bindTable(sampleTable(5));
    QCOMPARE(g.Rows(), 6);
    QCOMPARE(g.Cols(), 4);
    QCOMPARE(g.ColWidth(1), 960); // a new binding starts from the default widths
    QCOMPARE(g.TextMatrix(5, 2), "دارایی 5");

    // The view: header row and number column are the headers, the rest are cells.
    QCOMPARE(g.model()->columnCount(), 3);
    QCOMPARE(g.model()->headerData(2, Qt::Horizontal).toString(), "Cost");

    g.NumberRows(1, g.Rows() - 1);
    QCOMPARE(g.TextMatrix(5, 0), "5");
    QCOMPARE(g.model()->headerData(4, Qt::Vertical).toString(), "5");
    g.AddItem("جمع");
    // A text set into a numbered row wins over its number.
    g.setTextMatrix(2, 0, "*");
    QCOMPARE(g.TextMatrix(2, 0), "*");

    // Amounts as UngroupDigits reads them: whole, fractional, NULL and text cells.
    QCOMPARE(g.cellAmount(1, 3), Money::fromRaw(1000007LL * 10000));
    QCOMPARE(g.cellAmount(2, 3), Money::fromRaw(12345000));
    QCOMPARE(g.cellAmount(3, 3), Money());
    QCOMPARE(g.cellAmount(6, 3), Money());
    g.setTextMatrix(6, 3, "12/345.25");
    QCOMPARE(g.cellAmount(6, 3), Money::fromRaw(123452500));

    // Grouping: numbers are grouped when read, text cells are rewritten, cells set later are
    // kept as written, rows outside the range are untouched.
    g.setTextMatrix(5, 3, "1234567");
    g.GroupDigitsInColumn(3, 1, 5);
    QStringList grouped;
    for (int r = 1; r <= 6; ++r)
        grouped << g.TextMatrix(r, 3);
    QCOMPARE(
        grouped, QStringList({"1/000/007", "123/4.5", "", "4/000/007", "1/234/567", "12/345.25"}));
    QCOMPARE(g.cellAmount(4, 3), Money::fromRaw(40000070000LL));
    g.setTextMatrix(4, 3, "99");
    QCOMPARE(g.TextMatrix(4, 3), "99");
    // Grouping a grouped column again groups its text again, as the plain procedure would.
    g.GroupDigitsInColumn(3, 1, 1);
    QCOMPARE(g.TextMatrix(1, 3), GroupDigits("1/000/007"));
    QCOMPARE(g.TextMatrix(4, 3), "99");

    // Clearing the rows lets the bound rows go.
    const size_t bound = g.memoryUsage();
    g.setRows(1);
    g.setRows(2);
    QVERIFY(g.memoryUsage() <= bound);
    QCOMPARE(g.TextMatrix(1, 3), QString());
    QCOMPARE(g.TextMatrix(0, 3), "Cost");

    g.setRedraw(false);
    g.bindTable(sampleTable(10));
    g.setColWidth(1, 3000);
    // Nothing reaches the view while drawing is off.
    QCOMPARE(g.model()->rowCount(), 1);
    QVERIFY(!g.updatesEnabled());
    g.setRedraw(true);
    QVERIFY(g.updatesEnabled());
    QCOMPARE(g.model()->rowCount(), 10);
    QCOMPARE(g.horizontalHeader()->sectionSize(0), twipsToPixels(3000));
    // With drawing on, AddItem inserts one row instead of rebuilding the view.
    QSignalSpy resets(g.model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserts(g.model(), &QAbstractItemModel::rowsInserted);
    g.AddItem("x");
    QCOMPARE(inserts.count(), 1);
    QCOMPARE(resets.count(), 0);
    QCOMPARE(g.model()->rowCount(), 11);
    // Without a fixed row the header row is a cell row like the others.
    g.setFixedRows(0);
    QCOMPARE(g.model()->rowCount(), 12);
    QCOMPARE(g.model()->index(0, 0).data().toString(), "ID");
    QVERIFY(g.horizontalHeader()->isHidden());
}

void TestResultsGrid::coloursAreRulesWithExceptions()
{
    ResultsGrid g;
    g.bindTable(sampleTable(200000));
    g.FillAlternateRows(1, g.Rows() - 1, 1, g.Cols() - 1, 15464446, 13561085);
    QCOMPARE(g.cellBackColor(1, 1), 15464446u);
    QCOMPARE(g.cellBackColor(2, 3), 13561085u);
    QCOMPARE(g.cellBackColor(199999, 2), 15464446u);
    QCOMPARE(g.cellBackColor(1, 0), 0u); // the number column keeps its own look
    QCOMPARE(g.cellBackColor(0, 1), 0u);
    // A million-row rule costs no per-row storage.
    QVERIFY(g.memoryUsage() < g.table().memoryUsage() + 4096);

    // One cell, then a selection over it: the newer colour wins either way.
    g.setRow(4);
    g.setCol(2);
    g.setCellBackColor(255);
    QCOMPARE(g.CellBackColor(), 255u);
    QCOMPARE(g.cellBackColor(4, 1), 13561085u);
    g.setRow(3);
    g.setCol(1);
    g.setRowSel(5);
    g.setColSel(3);
    g.setCellBackColor(0xFF0000);
    QCOMPARE(g.cellBackColor(4, 2), 0xFF0000u);
    QCOMPARE(g.cellBackColor(6, 2), 13561085u);
    g.setRow(4);
    g.setCol(2);
    g.setCellBackColor(65280);
    QCOMPARE(g.cellBackColor(4, 2), 65280u);
    // Shown to the view as colours with red in the lowest byte.
    QCOMPARE(
        g.model()->index(3, 1).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(0, 255, 0));
    QCOMPARE(g.model()->index(0, 0).data(Qt::BackgroundRole).value<QBrush>().color(),
        QColor(254, 247, 235));

    // Rows that go take their colours along; rows that come back are plain.
    g.setRows(3);
    g.setRows(6);
    QCOMPARE(g.cellBackColor(4, 2), 0u);
    QCOMPARE(g.cellBackColor(2, 2), 13561085u);
    // A new binding forgets every colour.
    g.bindTable(sampleTable(3));
    QCOMPARE(g.cellBackColor(1, 1), 0u);
}

QTEST_MAIN(TestResultsGrid)
#include "tst_resultsgrid.moc"
