// The report engine on its own: the demo templates rendered to PDF and read back by independent
// readers (the record's values in Persian, the label's codes decoded, pictures present or not),
// templates with mistakes reported with their file and line, the template a print cannot use
// where it lies, and the two text transformations a template goes through.
#include "common/Failure.h"
#include "common/PdfTools.h"
#include "common/TestDatabase.h"
#include "shared/VelaError.h"
#include "suite/ReportEngine.h"
#include "suite/ReportTemplate.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vela;

class TestReportEngine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void assetCardAndPictures();
    void assetLabel();
    void templateMistakes_data();
    void templateMistakes();
    void templateInUse();
    void printerLine();
    void mirroredTables();

private:
    // Renders record `id` through the template at `path` into a PDF in the test's folder.
    QString render(TestDatabase &db, const QString &path, qint32 id)
    {
        const QString pdf = m_dir.filePath(QStringLiteral("out%1.pdf").arg(++m_count));
        ReportEngine engine;
        engine.setReportFileName(path);
        engine.setConnectionString(db.connectionString);
        engine.Connect(db.connectionString);
        engine.SetFormula(1, QStringLiteral("fmlID = %1").arg(id));
        engine.setOutputFile(pdf);
        engine.ShowReport(1);
        return pdf;
    }
    QString writeTemplate(const QString &text)
    {
        const QString path = m_dir.filePath(QStringLiteral("t%1.html").arg(++m_count));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0)
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QTemporaryDir m_dir;
    QString m_card, m_label;
    int m_count = 0;
};

void TestReportEngine::initTestCase()
{
    // The demo templates as the build ships them, copied so that no other test holds them.
    const QString reports = SuiteDatabase::installDirectory() + QStringLiteral("Reports/");
    m_card = m_dir.filePath(QStringLiteral("AssetCard.html"));
    m_label = m_dir.filePath(QStringLiteral("AssetLabel.html"));
    QVERIFY2(QFile::copy(reports + QStringLiteral("AssetCard.html"), m_card), qPrintable(reports));
    QVERIFY(QFile::copy(reports + QStringLiteral("AssetLabel.html"), m_label));
}

void TestReportEngine::assetCardAndPictures()
{
    TestDatabase db;
    const QString pdf = render(db, m_card, 1);
    QCOMPARE(pdftools::pageCount(pdf), 1);
    QCOMPARE(pdftools::imageCount(pdf), 1); // stored
    const QString text = pdftools::text(pdf);
    // The name, the plate and the code, amounts grouped as the entry form shows them, both dates
    // of each pair (Persian with Persian digits, and the calendar date), the document, the
    // place and the description, the names of the lookups, and the template's own captions.
    QStringList fields = {"100001", "0301-0001", "1/450/000/000", "1/331/484/000", "1/885/000/000",
        "۱۳۹۸/۰۶/۲۶", "2019/09/17", "۱۳۹۸/۰۸/۰۲", "2019/10/24", "۱۳۹۸/۰۸/۰۷", "2019/10/29", "1407",
        "امور اداری", "تحویل شده با فاکتور رسمی و ضمانت نامه", "شناسنامه اموال", "قیمت تمام شده"};
    fields << db.scalar("SELECT Name FROM tblAssetEstablishment WHERE ID=1").toString();
    const QString lookupName
        = "SELECT x.Name FROM %1 x, tblAssetEstablishment a WHERE a.ID = 1 AND x.ID = a.%2";
    for (const auto &[view, column] :
        {std::pair {"vwUserMinor", "CreatorID"}, {"vwAssetEstablishmentTypeMinor", "TypeID"},
            {"vwAssetStatusTypeMinor", "StatusTypeID"}, {"vwAssetGroupMinor", "GroupID"},
            {"vwOrvoInternalLocationMinor", "LocationID"},
            {"vwAssetAccountableMinor", "AccountableID"}, {"vwEmployeeMajor", "ResponsibleID"},
            {"vwAccountCostCenterMinor", "CostCenterID"}, {"vwAccountBranchMinor", "BranchID"}})
        fields << db.scalar(lookupName.arg(view, column)).toString();
    for (const QString &field : fields)
        QVERIFY2(!field.isEmpty() && pdftools::hasWords(text, field),
            qPrintable(field + QStringLiteral("\n") + text));
    // A fraction of a rial stays; NULL columns are printed as nothing at all.
    const QString five = pdftools::text(render(db, m_card, 5));
    QVERIFY2(pdftools::hasWords(five, QStringLiteral("49/000/000.5")), qPrintable(five));
    QVERIFY(!five.contains(QLatin1String("NULL"), Qt::CaseInsensitive));

    QCOMPARE(pdftools::imageCount(render(db, m_card, 4)), 1); // an external file
    QCOMPARE(pdftools::imageCount(render(db, m_card, 50)), 0); // none: the frame stays empty
    // An external path that would block a plain read (a pipe without a writer) leaves the frame
    // empty too, and the card is still printed.
    const QString fifo = m_dir.filePath(QStringLiteral("picture.fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    db.exec(
        QStringLiteral("UPDATE tblOrvoFormAttachment SET MediaPath='%1' WHERE FormID=4").arg(fifo));
    const QString blocked = render(db, m_card, 4);
    QCOMPARE(pdftools::imageCount(blocked), 0);
    QVERIFY(pdftools::hasWords(pdftools::text(blocked), QStringLiteral("100004")));
}

void TestReportEngine::assetLabel()
{
    TestDatabase db;
    const QString pdf = render(db, m_label, 5);
    QCOMPARE(pdftools::pageCount(pdf), 1);
    const QSizeF page = pdftools::pageSizePoints(pdf); // 50 x 25 mm
    QVERIFY2(qAbs(page.width() - 141.73) < 0.5 && qAbs(page.height() - 70.87) < 0.5,
        qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));
    QCOMPARE(pdftools::barcodes(pdf),
        QStringList({QStringLiteral("CODE-128:100005"), QStringLiteral("QR-Code:100005")}));
    const QString text = pdftools::text(pdf);
    QVERIFY2(pdftools::hasWords(text, QStringLiteral("وانت نیسان زامیاد")), qPrintable(text));
    QVERIFY2(pdftools::hasWords(text, QStringLiteral("شرکت صنایع نمونه")), qPrintable(text));

    // A long name is cut so that the label keeps to its one page, its codes whole.
    db.exec(QStringLiteral("UPDATE tblAssetEstablishment SET Name='%1' WHERE ID=5")
                .arg(QStringLiteral("دستگاه تصفیه هوای صنعتی ").repeated(8)));
    const QString cut = render(db, m_label, 5);
    QCOMPARE(pdftools::pageCount(cut), 1);
    QCOMPARE(pdftools::barcodes(cut).size(), 2);
    QVERIFY(pdftools::hasWords(pdftools::text(cut), QStringLiteral("دستگاه تصفیه هوای")));
    // A plate number written in Persian digits is encoded as the digits a scanner types.
    db.exec(QStringLiteral("UPDATE tblAssetEstablishment SET LabelNo='۲۰۰۳۴' WHERE ID=5"));
    QCOMPARE(pdftools::barcodes(render(db, m_label, 5)),
        QStringList({QStringLiteral("CODE-128:20034"), QStringLiteral("QR-Code:20034")}));
    // An empty form's label: no codes and no failure.
    QCOMPARE(pdftools::barcodes(render(db, m_label, 0)), QStringList());
}

void TestReportEngine::templateMistakes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("names"); // a word the message must carry
    auto row = [](const char *name, const QString &text, int number, int line, const char *word) {
        QTest::newRow(name) << text << number << line << QString::fromUtf8(word);
    };
    const QString open = "<!--vela-report\n";
    const QString head = open
        + "Query: Select Name, LabelNo from tblAssetEstablishment\n    Where ID = {fmlID}\n-->\n";
    row("no header", "\n<p>{{Name}}</p>\n", 20515, 1, "vela-report");
    row("header not closed", open + "Query: Select 1\n<p>", 20515, 1, "-->");
    row("unknown key", open + "Query: Select 1 as A\nColour: red\n-->\n", 20515, 3, "Colour");
    row("no query", open + "Title: x\n-->\n", 20515, 1, "Query");
    row("bad page", open + "Query: Select 1 as A\nPage: A9\n-->\n", 20515, 3, "A9");
    row("placeholder not closed", head + "<p>\n{{Name</p>\n}}", 20515, 6, "{{");
    row("unknown format", head + "\n\n<p>{{Name|money}}</p>", 20515, 7, "money");
    row("cell not closed", head + "<table>\n<tr><td>{{Name}}</tr>\n</table>", 20515, 6, "</td>");
    row("unknown field", head + "<p>{{Name}}</p>\n<p>{{Nmae}}</p>", 20520, 6, "Nmae");
    row("formula not given",
        open + "Query: Select Name from tblAssetEstablishment\n    Where ID = {fmlNo}\n-->\n",
        20515, 3, "fmlNo");
    row("query refused", open + "Title: x\nQuery: Select Nope from tblAssetEstablishment\n-->\n",
        20530, 3, "Nope");
}

void TestReportEngine::templateMistakes()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QFETCH(int, line);
    QFETCH(QString, names);
    TestDatabase db;
    const QString path = writeTemplate(text);
    const VelaError e = failureOf([&] { render(db, path, 1); });
    QCOMPARE(e.number(), number);
    // (A server names an unquoted column as it folds it: "nope".)
    QVERIFY2(e.description().contains(path)
            && e.description().contains(QStringLiteral("سطر %1:").arg(line))
            && e.description().contains(names, Qt::CaseInsensitive),
        qPrintable(e.description()));
}

void TestReportEngine::templateInUse()
{
    TestDatabase db;
    auto refusal = [&](const QString &path) {
        const VelaError e = failureOf([&] { render(db, path, 5); });
        QVERIFY2(e.number() == 20544 && e.description().contains(path), qPrintable(path));
    };
    QFile original(m_label);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    // Another print holds the template; then it is free again.
    const int fd = ::open(QFile::encodeName(m_label).constData(), O_RDONLY);
    QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX) == 0);
    refusal(m_label);
    ::close(fd);
    QCOMPARE(pdftools::barcodes(render(db, m_label, 5)).size(), 2);
    // A file marked read-only, for every user (root included); a folder the engine may not write
    // in (root may write anywhere, so only for other users).
    const QString readOnly = m_dir.filePath(QStringLiteral("ReadOnlyLabel.html"));
    QVERIFY(QFile::copy(m_label, readOnly));
    QCOMPARE(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    refusal(readOnly);
    if (::geteuid() != 0) {
        const QString folder = m_dir.filePath(QStringLiteral("readonly"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::copy(m_label, folder + QStringLiteral("/AssetLabel.html")));
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
        refusal(folder + QStringLiteral("/AssetLabel.html"));
        ::chmod(QFile::encodeName(folder).constData(), 0755);
    }
    // Rendering never changes the template.
    QFile after(m_label);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), bytes);
}

void TestReportEngine::printerLine()
{
    const QString text = QStringLiteral(
        "<!--vela-report\r\nTitle: x\r\nQuery: Select 1 as A\r\n-->\r\n<p>Printer: body</p>\r\n");
    const QString once = report::withPrinter(text, QStringLiteral("Label\nPrinter"));
    QCOMPARE(once,
        QStringLiteral("<!--vela-report\r\nTitle: x\r\nQuery: Select 1 as A\r\nPrinter: Label "
                       "Printer\r\n-->\r\n<p>Printer: body</p>\r\n"));
    const QString twice = report::withPrinter(once, QStringLiteral("HP"));
    QCOMPARE(twice,
        QString(text).insert(
            text.indexOf(QLatin1String("-->")), QStringLiteral("Printer: HP\r\n")));
    QCOMPARE(report::Template::parse(QStringLiteral("t"), twice).printer, QStringLiteral("HP"));
    // A text without a header is left alone.
    QCOMPARE(
        report::withPrinter(QStringLiteral("<p/>"), QStringLiteral("HP")), QStringLiteral("<p/>"));
}

void TestReportEngine::mirroredTables()
{
    auto mirror = [](const QString &html) {
        return report::mirrorTables(
            html, [](qsizetype, const QString &what) { throw VelaError(what, 20515); });
    };
    QCOMPARE(mirror(QStringLiteral(
                 "<p>a</p><table><tr><td>1</td> <th x=\"y\">2</th>\n<td>3</td></tr></table>")),
        QStringLiteral(
            "<p>a</p><table><tr><td>3</td> <th x=\"y\">2</th>\n<td>1</td></tr></table>"));
    // A table inside a cell is mirrored in itself; its cell moves with it.
    QCOMPARE(
        mirror(QStringLiteral(
            "<table><tr><td>a</td><td><table><tr><td>b</td><td>c</td></tr></table></td></tr></table>")),
        QStringLiteral(
            "<table><tr><td><table><tr><td>c</td><td>b</td></tr></table></td><td>a</td></tr></table>"));
    // Left to right on request; comments are not tags.
    const QString ltr
        = QStringLiteral("<table dir='ltr'><tr><td>1</td><td>2</td></tr></table><!-- <td> -->");
    QCOMPARE(mirror(ltr), ltr);
    QVERIFY_THROWS_EXCEPTION(VelaError, mirror(QStringLiteral("<table><tr><td>1</td></table>")));
    QVERIFY_THROWS_EXCEPTION(VelaError, mirror(QStringLiteral("<td>1</td>")));
}

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
