// The exports of the search results, driven through the search form's buttons and the real
// options form: text files compared byte for byte, workbooks read back by openpyxl and converted
// by gnumeric's ssconvert, limits, failures and cancelling.
#include "ShowSearchForm.h"
#include "common/MessageRecorder.h"
#include "common/TestDatabase.h"
#include "search/ExportTexts.h"
#include "search/FormSearch.h"
#include "search/FormSendToTextFile.h"
#include "search/GridExport.h"
#include "search/ResultsGrid.h"
#include "search/SearchTexts.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QStringEncoder>
#include <QtTest>
#include <csignal>
#include <functional>
#include <sys/resource.h>

using namespace vela;
namespace T = vela::texts;

namespace {

// A whole number beyond 32 bits in a lookup column. A server's lookup columns are 32-bit
// integers, so on PostgreSQL it is their largest value.
const QString BigWhole = TestDatabase::onPostgres() ? "2147483647" : "9000000000";

// The grid after searching "@T" in the descriptions: two records and the totals row.
const QStringList Row1 = {"201", "", "00123", "12345678901234567890", "A-1", "میزاداری", "", "",
    "2024-03-20", "1403/01/01", BigWhole, "1/234/567", "0/.25", "", "500", "", "14", "", "", "", "",
    "", "", "", "", "", "", "xyz @T"};
const QStringList Row2 = {"202", "-3", "7", "", "-5", "قفسه", "", "", "", "", "", "999/999/9.5",
    "123", "", "", "", "0.5", "", "", "", "", "", "", "", "", "", "", "@T صادرات"};
const QStringList Totals = [] {
    QStringList t(28);
    t[11] = "1/123/456/6.5";
    t[12] = "123/.25";
    t[13] = "0";
    t[14] = "500";
    return t;
}();
const QStringList Headers = [] {
    QStringList h;
    for (QStringView header : T::SearchResultHeaders)
        h << header.toString();
    return h;
}();

// The bytes of a text export: UTF-16 LE with a byte-order mark, the delimiter after every cell,
// CR LF between lines and, when asked, after the last.
QByteArray textFile(const QList<QStringList> &lines, const QString &delimiter, bool newLine)
{
    QString s = QChar(0xFEFF);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        for (const QString &cell : lines[i])
            s += cell + delimiter;
        if (i + 1 < lines.size() || newLine)
            s += "\r\n";
    }
    QStringEncoder le(QStringConverter::Utf16LE);
    return le.encode(s);
}

QStringList without(QStringList cells, int gridColumn)
{
    cells.removeAt(gridColumn - 1);
    return cells;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no file>");
}

// Runs `body` once a visible top-level widget of type W (and the name, if given) is up.
template<class W> void whenShown(std::function<void(W &)> body, const char *name = nullptr)
{
    auto *timer = new QTimer;
    timer->setInterval(0); // also fires inside an export's processEvents
    QObject::connect(timer, &QTimer::timeout, [timer, body, name] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *found = qobject_cast<W *>(w);
            if (found && found->isVisible()
                && (!name || found->objectName() == QLatin1String(name))) {
                timer->stop();
                timer->deleteLater();
                body(*found);
                return;
            }
        }
    });
    timer->start();
}

void type(QLineEdit *box, const QString &text)
{
    box->setFocus();
    QCoreApplication::processEvents(); // the box selects its text on the focus
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void click(QAbstractButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton);
}

void tick(QCheckBox *b)
{
    b->setFocus();
    QTest::keyClick(b, Qt::Key_Space);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

void writeOld(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("old") == 3);
}

// Runs `work` while files may not grow beyond `bytes`: the disk refuses more part way, as a full
// one does.
void withFileSizeLimit(rlim_t bytes, const std::function<void()> &work)
{
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = bytes;
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    work();
    setrlimit(RLIMIT_FSIZE, &saved);
}

// The last box is a failure of this title that names `where` and the cause.
void saidFailure(
    const MessageRecorder &messages, QStringView title, const QString &where, QStringView cause)
{
    QCOMPARE(messages.last().title, title.toString());
    QVERIFY2(messages.last().text.contains(where) && messages.last().text.contains(cause),
        qPrintable(messages.last().text));
}

// The next export shows its progress at once, and it is cancelled there.
void cancelProgress()
{
    ExportProgress::setShowDelay(0);
    whenShown<QProgressDialog>(
        [](QProgressDialog &p) { click(p.findChild<QPushButton *>()); }, "exportProgress");
}

} // namespace

class TestExports : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void textFileByteForByte();
    void textFileAnswersCancelsAndFailures();
    void workbooks();
    void plainNumbers();

private:
    static void search(FormSearch &f)
    {
        f.cmdNewsearch_Click();
        f.txtDescription->setText("@T");
        click(f.cmdSearch);
        QCOMPARE(f.flxSearch->Rows(), 4);
    }
    // Exports through cmdSentToText; `set` fills the options form, whose save dialog answers
    // `path`.
    void exportText(FormSearch &f, const QString &path,
        const std::function<void(FormSendToTextFile &)> &set = {})
    {
        setSaveFileDialogHook([this, path](const QString &, const QString &title) {
            m_dialogTitle = title;
            return path;
        });
        whenShown<FormSendToTextFile>([set](FormSendToTextFile &o) {
            QCOMPARE(o.txtDelimiter->text(),
                T::DefaultDelimiter.toString()); // a fresh form every time
            QCOMPARE(o.txtSaveFileName->text(), QString());
            if (set)
                set(o);
            click(o.cmdSave);
            click(o.cmdOk);
        });
        click(f.cmdSentToText);
        QVERIFY(f.flxSearch->Redraw());
        QVERIFY(!QApplication::overrideCursor());
    }
    QJsonObject readWorkbook(const QString &path)
    {
        // openpyxl from Debian (scripts/setup installs python3-openpyxl).
        const QString python = QStandardPaths::findExecutable("python3", {"/usr/bin"});
        QProcess p;
        p.start(python,
            {"-c",
                QStringLiteral(
                    "import json, sys, openpyxl\n"
                    "from openpyxl.utils.escape import unescape\n"
                    "wb = openpyxl.load_workbook(sys.argv[1])\n"
                    "ws = wb.worksheets[0]\n"
                    // Texts as the file format defines them: _x000D_ stands for a carriage return.
                    "cells = [[c.row, c.column, c.data_type, unescape(c.value) if c.data_type == 's'"
                    " else c.value] for r in ws.iter_rows() for c in r if c.value is not None]\n"
                    "print(json.dumps({'sheets': len(wb.worksheets), 'rtl': "
                    "bool(ws.sheet_view.rightToLeft), 'rows': ws.max_row, 'cols': ws.max_column, "
                    "'cells': cells}))\n"),
                path});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            qWarning() << python << p.errorString() << p.readAllStandardError();
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    }

    TestDatabase *m_db = nullptr;
    QTemporaryDir m_dir;
    QString m_dialogTitle;
    QStringList m_opened;
    bool m_openAnswer = true;
};

void TestExports::initTestCase()
{
    m_db = new TestDatabase;
    QString insert = QStringLiteral(
        "INSERT INTO tblAssetEstablishment (ID, CreatorID, LabelNo, OldLabelNo, Code, Name, "
        "CreateDate, FarsiCreateDate, TypeID, Cost, AccumulatedCost, OfficeMaxCost, DocumentNo, "
        "Description) VALUES "
        "(201, NULL, '00123', '12345678901234567890', 'A-1', 'میز' || char(13, 10) || 'اداری', "
        "'2024-03-20', '1403/01/01', 9000000000, 1234567, 0.25, 500, '14', "
        "'x' || char(13) || 'y' || char(10) || 'z @T'),"
        "(202, -3, '7', NULL, '-5', 'قفسه', NULL, NULL, NULL, 9999999.5, 123, NULL, '0.5', "
        "'@T صادرات')");
    insert.replace("9000000000", BigWhole);
    if (TestDatabase::onPostgres()) // a server's character function is chr, of one code each
        insert.replace("char(13, 10)", "chr(13) || chr(10)").replace("char(", "chr(");
    m_db->exec(insert);
    m_db->useAsCurrent();
    qputenv("HOME", QFile::encodeName(m_dir.filePath("home")));
    qunsetenv("XDG_CONFIG_HOME");
    QDir().mkpath(m_dir.filePath("home/Documents"));
    setOpenFileHook([this](const QString &path) {
        m_opened << path;
        return m_openAnswer;
    });
}

void TestExports::cleanupTestCase()
{
    setSaveFileDialogHook(nullptr);
    setOpenFileHook(nullptr);
    FormSearch::unload();
    delete m_db;
}

void TestExports::init()
{
    ExportProgress::setShowDelay(500);
    m_opened.clear();
    m_openAnswer = true;
}

void TestExports::textFileByteForByte()
{
    MessageRecorder messages;
    const QString path = m_dir.filePath("results.txt");
    showSearchForm([&](FormSearch &f) {
        search(f);
        // The defaults: "^t=Tab" is six characters of delimiter; no header (a greyed box counts
        // as not ticked); a closing break.
        exportText(f, path, [](FormSendToTextFile &o) {
            o.chkHeader->setTristate(true);
            o.chkHeader->setCheckState(Qt::PartiallyChecked);
        });
        QCOMPARE(m_dialogTitle, T::SaveDialogTitle.toString());
        QCOMPARE(
            readAll(path), textFile({Row1, Row2, Totals}, T::DefaultDelimiter.toString(), true));
        QCOMPARE(messages.count(), 1);
        QCOMPARE(messages.last().title, T::SavedTitle.toString());
        QCOMPARE(messages.last().text, T::SavedBefore.toString() + path + T::SavedAfter.toString());

        // "^t" is a tab (typed over the whole default, which the box selects on the focus); the
        // header row first; no break after the last line. The existing file is replaced once
        // the overwrite question is answered yes.
        exportText(f, path, [](FormSendToTextFile &o) {
            type(o.txtDelimiter, "^t");
            tick(o.chkHeader);
            tick(o.chkNewLine);
        });
        QCOMPARE(messages.boxes[1].title, T::OverwriteTitle.toString());
        QCOMPARE(messages.boxes[1].text, T::OverwriteQuestion.toString());
        QCOMPARE(readAll(path), textFile({Headers, Row1, Row2, Totals}, "\t", false));

        // " ^T " with blanks is a tab too; other blanks are kept as typed.
        for (auto [typed, written] : {std::pair {" ^T ", "\t"}, {" ^t, ", " ^t, "}}) {
            exportText(f, path, [typed](FormSendToTextFile &o) { type(o.txtDelimiter, typed); });
            QCOMPARE(readAll(path), textFile({Row1, Row2, Totals}, written, true));
        }
        // An empty delimiter writes the cells back to back; a zero-width column is left out.
        f.flxSearch->setColWidth(5, 0);
        exportText(f, path, [](FormSendToTextFile &o) { type(o.txtDelimiter, QString()); });
        f.flxSearch->setColWidth(5, 1000);
        QCOMPARE(readAll(path),
            textFile({without(Row1, 5), without(Row2, 5), without(Totals, 5)}, QString(), true));

        // Money without separators: the exact amounts, the totals too; the header row as it is.
        exportText(f, path, [](FormSendToTextFile &o) {
            type(o.txtDelimiter, ";");
            tick(o.chkRemoveMoney);
            tick(o.chkHeader);
        });
        QStringList r1 = Row1, r2 = Row2, t = Totals;
        r1[11] = "1234567", r1[12] = "0.25";
        r2[11] = "9999999.5";
        t[11] = "11234566.5", t[12] = "123.25";
        QCOMPARE(readAll(path), textFile({Headers, r1, r2, t}, ";", true));
        QCOMPARE(filesIn(m_dir.path()), QStringList {"results.txt"});
        QCOMPARE(f.flxSearch->TextMatrix(1, 12), "1/234/567"); // only read
    });
}

void TestExports::textFileAnswersCancelsAndFailures()
{
    MessageRecorder messages;
    const QString path = m_dir.filePath("kept/results.txt");
    const QString gone = m_dir.filePath("gone/results.txt");
    writeOld(path);
    showSearchForm([&](FormSearch &f) {
        search(f);
        // An existing file answered No keeps the name empty, so cmdOk still asks for one; a
        // dialog cancelled after a choice keeps the choice.
        whenShown<FormSendToTextFile>([&](FormSendToTextFile &o) {
            setSaveFileDialogHook([path](const QString &, const QString &) { return path; });
            messages.queue({0});
            click(o.cmdSave);
            QCOMPARE(o.txtSaveFileName->text(), QString());
            click(o.cmdOk);
            QVERIFY(o.isVisible());
            QCOMPARE(messages.last().title, T::TitleError.toString());
            QCOMPARE(messages.last().text, T::NoNameText.toString());
            click(o.cmdSave);
            setSaveFileDialogHook([](const QString &, const QString &) { return QString(); });
            click(o.cmdSave);
            QCOMPARE(o.txtSaveFileName->text(), path);
            click(o.cmdCancel);
        });
        click(f.cmdSentToText);
        QCOMPARE(messages.count(), 3);
        QCOMPARE(messages.boxes[0].type, 1);

        // The close box: nothing written, nothing said.
        whenShown<FormSendToTextFile>([&](FormSendToTextFile &o) { o.close(); });
        click(f.cmdSentToText);
        QCOMPARE(messages.count(), 3);

        // Cancelled in the progress dialog: the old file stays, the grid is as it was.
        cancelProgress();
        exportText(f, path);
        QCOMPARE(messages.count(), 4); // the overwrite question only
        QCOMPARE(f.flxSearch->Rows(), 4);
        QCOMPARE(f.flxSearch->TextMatrix(2, 6), "قفسه");
        ExportProgress::setShowDelay(500);

        // A folder that is not there.
        messages.clear();
        exportText(f, gone);
        QCOMPARE(messages.count(), 1);
        saidFailure(messages, T::TitleError, gone, T::CauseNoFolder);

        // A full disk part way: the old file stays whole and no temporary file is left.
        withFileSizeLimit(2048, [&] {
            exportText(
                f, path, [](FormSendToTextFile &o) { type(o.txtDelimiter, QString(40, u'x')); });
        });
        QCOMPARE(messages.count(), 3);
        saidFailure(messages, T::TitleError, path, T::CauseTooLarge);
        QCOMPARE(f.flxSearch->Rows(), 4);
    });
    QCOMPARE(readAll(path), QByteArray("old"));
    QCOMPARE(filesIn(QFileInfo(path).path()), QStringList {"results.txt"});
}

void TestExports::workbooks()
{
    MessageRecorder messages;
    const QString home = m_dir.filePath("home"), docs = home + "/Documents";
    QList<QStringList> grid;
    showSearchForm([&](FormSearch &f) {
        // More rows than a worksheet holds: said before anything is written.
        f.flxSearch->setCols(2);
        f.flxSearch->setRows(SheetMaxRows + 1);
        click(f.cmdExcel);
        saidFailure(messages, T::SpreadsheetFailureTitle, QString::number(SheetMaxRows + 1), {});
        QCOMPARE(filesIn(docs), QStringList());

        search(f);
        // A folder that is not there: the file and the cause are named.
        qputenv("HOME", QFile::encodeName(m_dir.filePath("nohome")));
        click(f.cmdExcel);
        qputenv("HOME", QFile::encodeName(home));
        saidFailure(
            messages, T::SpreadsheetFailureTitle, m_dir.filePath("nohome/"), T::CauseNoFolder);
        // A full disk part way.
        withFileSizeLimit(1024, [&] { click(f.cmdExcel); });
        saidFailure(messages, T::SpreadsheetFailureTitle, docs, T::CauseTooLarge);
        // A cell longer than a worksheet cell holds, found while rows are being written.
        const QString kept = f.flxSearch->TextMatrix(2, 3);
        f.flxSearch->setTextMatrix(2, 3, QString(40000, u'ی'));
        click(f.cmdExcel);
        f.flxSearch->setTextMatrix(2, 3, kept);
        saidFailure(messages, T::SpreadsheetFailureTitle, QStringLiteral("32767"), {});
        QVERIFY(f.flxSearch->Redraw());
        // Cancelled in the progress dialog: no workbook.
        cancelProgress();
        click(f.cmdExcel);
        ExportProgress::setShowDelay(500);
        QCOMPARE(messages.count(), 4);
        QVERIFY(m_opened.isEmpty());
        QCOMPARE(filesIn(docs), QStringList());
        messages.clear();

        f.flxSearch->setColWidth(5, 0); // a zero-width column goes along too
        click(f.cmdExcel);
        f.flxSearch->setColWidth(5, 1000);
        QVERIFY(f.flxSearch->Redraw());
        QVERIFY(!QApplication::overrideCursor());
        for (int r = 0; r < f.flxSearch->Rows(); ++r) {
            QStringList row;
            for (int c = 0; c < f.flxSearch->Cols(); ++c)
                row << f.flxSearch->TextMatrix(r, c);
            grid << row;
        }
        // Nothing can open it: the message says where it is.
        m_openAnswer = false;
        click(f.cmdExcel);
    });
    QCOMPARE(m_opened.size(), 2);
    const QString book = m_opened.first();
    QCOMPARE(QFileInfo(book).path(), docs);
    QVERIFY2(book.endsWith(".xlsx") && m_opened[1] != book, qPrintable(m_opened[1]));
    QCOMPARE(messages.count(), 2);
    QCOMPARE(messages.boxes[0].title, T::SpreadsheetDoneTitle.toString());
    QCOMPARE(messages.boxes[0].text, T::SpreadsheetDoneText.toString());
    QVERIFY(messages.boxes[1].text.startsWith(T::SpreadsheetDoneText.toString() + u'\n'));
    QVERIFY(messages.boxes[1].text.contains(m_opened[1]));
    QCOMPARE(filesIn(docs).size(), 2); // no temporary files left
    // Without a documents folder the workbook goes to the home folder.
    QDir().rename(docs, docs + ".away");
    QCOMPARE(QFileInfo(newWorkbookPath()).path(), home);
    QDir().rename(docs + ".away", docs);

    // Read back independently, cell by cell.
    const QJsonObject wb = readWorkbook(book);
    QVERIFY2(!wb.isEmpty(),
        "openpyxl could not read the workbook (scripts/setup installs python3-openpyxl)");
    QCOMPARE(wb["sheets"].toInt(), 1);
    QVERIFY(wb["rtl"].toBool());
    QCOMPARE(wb["rows"].toInt(), 4);
    QCOMPARE(wb["cols"].toInt(), 29);
    QHash<QPair<int, int>, QJsonArray> cells; // by sheet row and column, counted from 1
    for (const QJsonValue &v : wb["cells"].toArray())
        cells.insert({v[0].toInt(), v[1].toInt()}, v.toArray());
    auto kind = [&](int r, int c) { return cells.value({r + 1, c + 1}).at(2).toString(); };
    int filled = 0;
    for (int r = 0; r < grid.size(); ++r)
        for (int c = 0; c < grid[r].size(); ++c) {
            const QString &text = grid[r][c];
            const QJsonArray cell = cells.value({r + 1, c + 1});
            const QByteArray where = QStringLiteral("(%1, %2)").arg(r).arg(c).toUtf8();
            filled += !text.isEmpty();
            if (text.isEmpty())
                QVERIFY2(cell.isEmpty(), where);
            else if (kind(r, c) == "n")
                QVERIFY2(cell[3].toDouble() == text.toDouble(), where);
            else
                QVERIFY2(kind(r, c) == "s" && cell[3].toString() == text,
                    where + QJsonDocument(cell).toJson());
        }
    QCOMPARE(int(cells.size()), filled); // nothing beyond the grid's cells
    // The row numbers, identifiers and amounts a spreadsheet keeps as they are become numbers;
    // leading zeros, long plate numbers, grouped money, dates and captions stay text.
    for (auto [r, c, k] :
        {std::tuple {1, 0, "n"}, {1, 1, "n"}, {2, 2, "n"}, {2, 5, "n"}, {1, 11, "n"}, {1, 15, "n"},
            {2, 17, "n"}, {3, 14, "n"}, {0, 0, "s"}, {0, 1, "s"}, {3, 0, "s"}, {1, 3, "s"},
            {1, 4, "s"}, {1, 9, "s"}, {1, 10, "s"}, {1, 12, "s"}, {1, 13, "s"}, {3, 12, "s"}})
        QVERIFY2(kind(r, c) == k, qPrintable(QString("(%1, %2)").arg(r).arg(c)));
    QCOMPARE(grid[0].mid(1), Headers);

    // A spreadsheet program opens it: gnumeric's converter, run headless.
    const QString ssconvert = QStandardPaths::findExecutable("ssconvert");
    QVERIFY2(!ssconvert.isEmpty(), "ssconvert is missing (scripts/setup installs gnumeric)");
    const QString csv = m_dir.filePath("converted.csv");
    QCOMPARE(QProcess::execute(ssconvert, {"--export-type=Gnumeric_stf:stf_csv", book, csv}), 0);
    const QString converted = QString::fromUtf8(readAll(csv));
    for (const QString &value :
        QStringList {T::RowNumberHeader.toString(), T::TotalsCaption.toString(), Headers[0],
            "00123", "12345678901234567890", "1/234/567", "1/123/456/6.5", BigWhole, "@T صادرات"})
        QVERIFY2(converted.contains(value), qPrintable(value + " in " + converted));
}

void TestExports::plainNumbers()
{
    double v = 0;
    for (const char *n : {"0", "7", "-5", "0.5", "-0.25", "123.25", "123456789012345", "0.00001"}) {
        QVERIFY2(isPlainNumber(n, strlen(n), v), n);
        QCOMPARE(v, QByteArray(n).toDouble());
    }
    for (const char *t : {"", "-", "00123", "1.50", "+5", "1e3", "-0", "1/234", ".5", "5.", "1 2",
             "12345678901234567890", "1234567890123456", "0.0000000000000001", "۱۲", "1,234"})
        QVERIFY2(!isPlainNumber(t, strlen(t), v), t);
}

QTEST_MAIN(TestExports)
#include "tst_exports.moc"
