// The search form on the demo database, worked through its controls: the statement each filter
// builds (read from the statement trace), the grid against the database, the choice of a record
// in each way the chooser can end, a rejected statement, and the layout.
#include "ShowSearchForm.h"
#include "common/MessageRecorder.h"
#include "common/TestDatabase.h"
#include "entry/FormDriver.h"
#include "search/FormSearch.h"
#include "search/ResultsGrid.h"
#include "search/SearchTexts.h"
#include "shared/AssetRecord.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>
#include <functional>

using namespace vela;

namespace {

using formdriver::doubleClickRow;
using formdriver::type;

template<class T = QWidget> T *control(FormSearch &f, const char *name)
{
    return formdriver::find<T>(&f, name);
}

void click(FormSearch &f, const char *name)
{
    formdriver::click(&f, name);
}

// The grid cell text a database value gives: numbers in their shortest decimal text.
QString cellText(const QVariant &v)
{
    if (!v.isValid())
        return QString();
    if (v.typeId() == QMetaType::Double)
        return shortestDecimal(v.toDouble());
    return v.toString();
}

// ASCII digits written with the digit set that starts at `zero` (Persian, Arabic-Indic).
QString digitsFrom(const QString &ascii, char16_t zero)
{
    QString s = ascii;
    for (QChar &c : s)
        c = QChar(char16_t(zero + (c.unicode() - u'0')));
    return s;
}

} // namespace

class TestFormSearch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void filtersAsTyped();
    void resultsMatchTheDatabase();
    void typedLettersAndDigitsMatchEveryForm();
    void rejectedStatementIsReported();
    void choosingARecord();
    void controlsAndLayout();

private:
    // The conditions of the search statements traced since the last call; the statement up to
    // its condition (whose text the statement trace's test compares whole) in m_select.
    QStringList searches()
    {
        static const QString from = QStringLiteral(" from tblAssetEstablishment  Where ");
        QFile f(m_trace);
        QStringList out;
        if (f.open(QIODevice::ReadOnly))
            for (const QString &line : QString::fromUtf8(f.readAll()).split(u'\n'))
                if (const qsizetype at = line.indexOf(from); at > 0) {
                    m_select = line.left(at + from.size());
                    out << line.mid(at + from.size());
                }
        QFile::remove(m_trace);
        return out;
    }

    TestDatabase *m_db = nullptr;
    QTemporaryDir m_dir;
    QString m_trace, m_select;
};

void TestFormSearch::initTestCase()
{
    m_db = new TestDatabase;
    // Names in both forms of Yeh and Kaf, a quote, amounts of seven digits and with fractions.
    m_db->exec(QStringLiteral(
        "INSERT INTO tblAssetEstablishment (ID, Name, Cost, AccumulatedCost, Description, CreateDate, FarsiCreateDate) VALUES "
        "(101, 'قفسه كتاب ويژه', 1234567, 0.25, 'O''Neil', '2024-03-20', '1403/01/01'),"
        "(102, 'قفسه کتاب ویژه', 9999999.5, 123, NULL, '2024-03-20', '1403/01/01'),"
        "(103, 'صندلی گردان', NULL, NULL, '100% نو', NULL, NULL)"));
    m_db->useAsCurrent();
    m_trace = m_dir.filePath("trace.sql");
    qputenv("VELA_SQL_TRACE", QFile::encodeName(m_trace));
}

void TestFormSearch::cleanupTestCase()
{
    FormSearch::unload();
    qunsetenv("VELA_SQL_TRACE");
    delete m_db;
}

void TestFormSearch::filtersAsTyped()
{
    // Every filter's fragment, in order, is compared whole by the statement trace's test; here
    // what typing gives: the identifier read as a number, wildcards and blanks kept, quotes
    // doubled, Enter in a date committing it and searching (the form's default button).
    const QString typed = QStringLiteral(
        "1=1 and Description like '% O''Neil %' and ID = 12 and LabelNo like '%10_0%' and Name "
        "like '%   %' and OldLabelNo like '%%%' and ReEvaluationDate = '2023-07-10'");
    searches();
    showSearchForm([&](FormSearch &f) {
        click(f, "cmdSearch"); // empty filters: the neutral condition alone
        type(f.txtID, "12abc");
        type(f.txtName, "   ");
        type(f.txtLabelNo, "10_0");
        type(f.txtOldLabelNo, "%");
        type(f.txtDescription, " O'Neil ");
        type(f.datReevaluationDate, "1402/04/19");
        QCOMPARE(f.datReevaluationDate->Value(), QDate(2023, 7, 10));
        // The filters stay after a search; a second search builds the same statement.
        QCOMPARE(f.txtDescription->text(), " O'Neil ");
        click(f, "cmdSearch");
        // Blanks in the identifier read as -1, letters as 0.
        f.cmdNewsearch_Click();
        type(f.txtID, "  ");
        click(f, "cmdSearch");
        f.txtID->setText("abc");
        click(f, "cmdSearch");
        QCOMPARE(f.flxSearch->Rows(), 2); // no record, the totals row
    });
    QCOMPARE(searches(), (QStringList {"1=1", typed, typed, "1=1 and ID = -1", "1=1 and ID = 0"}));
}

void TestFormSearch::resultsMatchTheDatabase()
{
    showSearchForm([&](FormSearch &f) {
        click(f, "cmdNewsearch");
        click(f, "cmdSearch");
        // The grid is in key order on every engine; a server's plain read is in no order.
        searches();
        const QList<QVariantList> rows = m_db->rows(m_select + "1=1 Order by ID");
        QVERIFY(rows.size() > 50);
        ResultsGrid *g = f.flxSearch;
        const int n = int(rows.size()), t = n + 1;
        QCOMPARE(g->Rows(), n + 2);
        QCOMPARE(g->Cols(), 29);

        // Every cell as the database has it; money grouped; totals exact in four decimals.
        qint64 totals[4] = {};
        for (int i = 1; i <= n; ++i) {
            QCOMPARE(g->TextMatrix(i, 0), QString::number(i));
            for (int c = 1; c <= 28; ++c) {
                const QString db = cellText(rows[i - 1][c - 1]);
                const bool money = c >= 12 && c <= 15;
                QCOMPARE(g->TextMatrix(i, c), money ? GroupDigits(db) : db);
                if (money)
                    totals[c - 12] += db.isEmpty() ? 0 : Money::parse(db)->raw();
            }
        }
        QCOMPARE(g->TextMatrix(t, 0), texts::TotalsCaption.toString());
        for (int c = 1; c <= 28; ++c)
            QCOMPARE(g->TextMatrix(t, c),
                c < 12 || c > 15 ? QString()
                                 : GroupDigits(Money::fromRaw(totals[c - 12]).toString()));
        // Alternating colours from row 1, the totals row included; column 0 untouched.
        for (int i : {1, 2, t}) {
            QCOMPARE(g->cellBackColor(i, 28), i % 2 ? 15464446u : 13561085u);
            QCOMPARE(g->cellBackColor(i, 0), 0u);
        }
        QCOMPARE(g->BackColorBkg(), 15464446u);
        QCOMPARE(g->Row(), t);
        QCOMPARE(g->ColSel(), 28);
        QVERIFY(g->Redraw());

        // Nothing found: the totals row alone, empty and coloured.
        f.txtName->setText("no such asset");
        click(f, "cmdSearch");
        QCOMPARE(g->Rows(), 2);
        QCOMPARE(g->TextMatrix(1, 0), texts::TotalsCaption.toString());
        QCOMPARE(g->TextMatrix(1, 12), QString());
        QCOMPARE(g->cellBackColor(1, 5), 15464446u);
        // Wildcards typed by the user act as wildcards.
        f.txtName->clear();
        type(f.txtDescription, "100%");
        click(f, "cmdSearch");
        QCOMPARE(g->Rows(), 3);
        QCOMPARE(g->TextMatrix(1, 1), "103");
    });
}

void TestFormSearch::typedLettersAndDigitsMatchEveryForm()
{
    // Plates are stored in ASCII digits (the demo's) or in Persian ones (this record).
    m_db->exec(
        "INSERT INTO tblAssetEstablishment (ID, LabelNo, Name) VALUES (104, '۷۷۰۰۱', 'قفسه')");
    searches();
    showSearchForm([](FormSearch &f) {
        f.cmdNewsearch_Click();
        // Typed with Persian Yeh and Keheh or with Arabic Yeh and Kaf: both records either way.
        for (const char *typed : {"کتاب ویژه", "كتاب ويژه"}) {
            f.txtName->clear();
            type(f.txtName, typed);
            click(f, "cmdSearch");
            QCOMPARE(f.flxSearch->Rows(), 4);
            QCOMPARE(QSet<QString>({f.flxSearch->TextMatrix(1, 6), f.flxSearch->TextMatrix(2, 6)}),
                QSet<QString>({"قفسه كتاب ويژه", "قفسه کتاب ویژه"}));
        }
        f.txtName->clear();
        // A plate typed in ASCII, Persian or Arabic-Indic digits.
        for (auto [plate, id] : {std::pair {"100002", "2"}, {"77001", "104"}})
            for (char16_t zero : {u'0', u'\u06F0', u'\u0660'}) {
                f.txtLabelNo->clear();
                type(f.txtLabelNo, digitsFrom(plate, zero));
                click(f, "cmdSearch");
                QCOMPARE(f.flxSearch->Rows(), 3);
                QCOMPARE(f.flxSearch->TextMatrix(1, 1), id);
            }
    });
    // The statement carries the letters and digits exactly as typed.
    const QStringList s = searches();
    QCOMPARE(s.mid(0, 2),
        QStringList({"1=1 and Name like '%کتاب ویژه%'", "1=1 and Name like '%كتاب ويژه%'"}));
    QCOMPARE(s.value(3), "1=1 and LabelNo like '%۱۰۰۰۰۲%'");
}

void TestFormSearch::rejectedStatementIsReported()
{
    MessageRecorder messages;
    showSearchForm([&](FormSearch &f) {
        f.cmdNewsearch_Click();
        type(f.txtID, "7");
        click(f, "cmdSearch");
        QCOMPARE(f.flxSearch->Rows(), 3);
        m_db->exec(QStringLiteral(
            "ALTER TABLE tblAssetEstablishment RENAME COLUMN OrganizationLocation TO Unit"));
        click(f, "cmdSearch");
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().title, "خطا");
        QVERIFY2(messages.last().text.contains("OrganizationLocation", Qt::CaseInsensitive),
            qPrintable(messages.last().text));
        // The grid is still a grid: drawn, and ready for the next search.
        QVERIFY(f.flxSearch->Redraw());
        QVERIFY(f.flxSearch->updatesEnabled());
        QCOMPARE(DtEn().rssqlCommon().State(), int(Recordset::adStateClosed));
        m_db->exec(QStringLiteral(
            "ALTER TABLE tblAssetEstablishment RENAME COLUMN Unit TO OrganizationLocation"));
        click(f, "cmdSearch");
        QCOMPARE(f.flxSearch->Rows(), 3);
        QCOMPARE(f.flxSearch->TextMatrix(1, 1), "7");
    });
    QCOMPARE(messages.count(), 1);
}

void TestFormSearch::choosingARecord()
{
    // Left at once: no choice.
    QCOMPARE(showSearchForm([](FormSearch &f) { click(f, "cmdExit"); }), -1);
    // A double-click on a result row gives its identifier.
    QCOMPARE(showSearchForm([](FormSearch &f) {
        f.cmdNewsearch_Click();
        type(f.txtID, "7");
        click(f, "cmdSearch");
        // The empty area below the rows chooses nothing.
        QTest::mouseDClick(f.flxSearch->viewport(), Qt::LeftButton, {},
            QPoint(20, f.flxSearch->viewport()->height() - 2));
        QVERIFY(f.isVisible());
        doubleClickRow(f.flxSearch, 1);
    }),
        7);
    // Shown again as it was left; the totals row chooses 0.
    QCOMPARE(showSearchForm([](FormSearch &f) {
        QCOMPARE(f.txtID->text(), "7");
        QCOMPARE(f.flxSearch->Rows(), 3);
        QCOMPARE(f.flxSearch->TextMatrix(1, 1), "7");
        doubleClickRow(f.flxSearch, 2);
    }),
        0);
    // An earlier choice does not leak into a call left without one.
    QCOMPARE(showSearchForm([](FormSearch &f) { f.cmdExit_Click(); }), -1);
    // Enter on the current row, for the keyboard.
    QCOMPARE(showSearchForm([](FormSearch &f) {
        f.txtID->clear();
        type(f.txtName, "کتاب ویژه");
        click(f, "cmdSearch");
        f.flxSearch->setFocus();
        f.flxSearch->setRow(f.flxSearch->TextMatrix(1, 1) == "102" ? 1 : 2);
        QTest::keyClick(f.flxSearch, Qt::Key_Return);
    }),
        102);
    // The cleared grid keeps its header and one empty row, which chooses 0.
    QCOMPARE(showSearchForm([](FormSearch &f) {
        click(f, "cmdNewsearch");
        QCOMPARE(f.txtName->text(), QString());
        QCOMPARE(f.flxSearch->Rows(), 2);
        QCOMPARE(f.flxSearch->TextMatrix(0, 1), texts::SearchResultHeaders[0].toString());
        QCOMPARE(f.flxSearch->TextMatrix(1, 0), QString());
        doubleClickRow(f.flxSearch, 1);
    }),
        0);
    // The close box unloads: -1, and the next call starts from a fresh form.
    type(control(FormSearch::instance(), "txtName"), "x");
    QCOMPARE(showSearchForm([](FormSearch &f) { f.close(); }), -1);
    QVERIFY(!FormSearch::isLoaded());
    QCOMPARE(showSearchForm([](FormSearch &f) {
        QCOMPARE(f.txtName->text(), QString());
        QCOMPARE(f.flxSearch->TextMatrix(0, 1), QString());
        QVERIFY(f.sltCreator->itemCount() > 0);
        click(f, "cmdExit");
    }),
        -1);
    QVERIFY(FormSearch::isLoaded());
}

void TestFormSearch::controlsAndLayout()
{
    MessageRecorder messages;
    showSearchForm([](FormSearch &f) {
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        // Right to left: each label stands to the right of its input, in the filter frame.
        for (const record::Column *t : record::byFilterPlace(record::asset())) {
            QWidget *input = control(f, t->control);
            QCOMPARE(input->parentWidget(), f.frameFilter);
            auto *label = control<QLabel>(f, qPrintable(QString("lbl") + (t->control + 3)));
            QCOMPARE(label->buddy(), input);
            QVERIFY(label->geometry().left() >= input->geometry().right());
        }
        // Every selector has its list.
        for (const record::Column &c : record::asset().columns)
            if (c.kind == record::Kind::Lookup)
                QVERIFY2(control<OrvoSelector>(f, c.control)->itemCount() > 0, c.control);
        // The layout follows the window from the design size.
        QCOMPARE(f.LastWidth, double(FormSearch::DesignWidth));
        QCOMPARE(f.LastHeight, double(FormSearch::DesignHeight));
        const QRectF frame = twipsGeometry(f.frameFilter), search = twipsGeometry(f.cmdSearch),
                     exit = twipsGeometry(f.cmdExit), grid = twipsGeometry(f.flxSearch);
        auto resizeTwips = [&f](double w, double h) {
            f.resize(twipsToPixels(w), twipsToPixels(h));
            QCoreApplication::processEvents();
        };
        // Wider by 1500 twips and taller by 600.
        resizeTwips(FormSearch::DesignWidth + 1500, FormSearch::DesignHeight + 600);
        QCOMPARE(twipsGeometry(f.frameFilter).left(), frame.left() + 750);
        QCOMPARE(twipsGeometry(f.frameFilter).size(), frame.size());
        QCOMPARE(twipsGeometry(f.cmdSearch).left(), search.left() + 1500);
        QCOMPARE(twipsGeometry(f.cmdExit).left(), exit.left() + 1500);
        QCOMPARE(twipsGeometry(f.cmdExit).top(), exit.top());
        QCOMPARE(twipsGeometry(f.flxSearch),
            QRectF(grid.left(), grid.top(), grid.width() + 1500, grid.height() + 600));
        // 6000 twips or less in either direction: nothing moves.
        resizeTwips(6000, 9000);
        QCOMPARE(twipsGeometry(f.cmdSearch).left(), search.left() + 1500);
        QCOMPARE(f.LastWidth, FormSearch::DesignWidth + 1500.0);
        // Beyond 16 bits, then back to the design size: the layout comes back whole.
        resizeTwips(48000, 36000);
        QCOMPARE(f.LastWidth, 48000.0);
        QCOMPARE(
            twipsGeometry(f.flxSearch).width(), grid.width() + 48000 - FormSearch::DesignWidth);
        resizeTwips(FormSearch::DesignWidth, FormSearch::DesignHeight);
        QCOMPARE(twipsGeometry(f.frameFilter), frame);
        QCOMPARE(twipsGeometry(f.cmdSearch), search);
        QCOMPARE(twipsGeometry(f.flxSearch), grid);
        // Just above the threshold the grid is held to its minimum and never turns negative.
        resizeTwips(6015, 6015);
        QVERIFY(f.flxSearch->width() >= 0 && f.flxSearch->height() >= 0);
        QVERIFY(twipsGeometry(f.flxSearch).width() >= FormSearch::MinGridSize);
    });
    QCOMPARE(messages.count(), 0);
}

QTEST_MAIN(TestFormSearch)
#include "tst_formsearch.moc"
