// Printing from the entry form: the template chooser, the print button and the printing routine
// with a recording stand-in for the report engine (the members it is given in their order, the
// template's path, the formula, error 20544 and other errors, the button and the pointer while
// it works), the real engine from the button on the demo label, and vela-asset --print.
#include "common/PdfTools.h"
#include "common/WhenModal.h"
#include "entry/EntryTexts.h"
#include "entry/FormDriver.h"
#include "entry/FormMainPrint.h"
#include "printing/FormPrint.h"
#include "printing/PrintTexts.h"
#include "shared/VelaError.h"
#include "suite/ComponentRegistry.h"
#include "suite/ReportEngine.h"

#include <QDir>
#include <QProcess>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace vela;

namespace {

// Stands in for the report engine: records every member it is given and runs `onShow` when asked
// to render.
class FakeEngine : public ReportEngine {
public:
    static inline QStringList calls;
    static inline std::function<void(FakeEngine &)> onShow;
    void setConnectionString(const QString &text) override { calls << "ConnectionString=" + text; }
    void setReportFileName(const QString &path) override
    {
        calls << "ReportFileName=" + path;
        ReportEngine::setReportFileName(path);
    }
    void Connect(const QVariant &c) override { calls << "Connect(" + c.toString() + ")"; }
    QVariant SetFormula(int index, const QString &formula) override
    {
        calls << u"SetFormula(%1, %2)"_qs.arg(index).arg(formula);
        return {};
    }
    void ShowReport(const QVariant &destination) override
    {
        calls << u"ShowReport(%1)"_qs.arg(destination.toInt());
        if (onShow)
            onShow(*this);
    }
};

// Presses the entry form's print button and, once the chooser shows, prints template `index`.
bool print(FormDriver &d, int index)
{
    return whenModal<FormPrint>([&d] { d.click("cmdPreview"); },
        [index](FormPrint &chooser) {
            chooser.cmbReport->setCurrentIndex(index);
            QTest::mouseClick(chooser.cmdPrint, Qt::LeftButton);
        });
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("TMPDIR", QFile::encodeName(m_temp.path())); }
    void cleanup()
    {
        ComponentRegistry::instance().registerFactory(QString::fromLatin1(ReportEngine::ProgId),
            [] { return std::unique_ptr<QObject>(new ReportEngine); });
        ReportEngine::setPreviewHook(nullptr);
        FakeEngine::onShow = nullptr;
    }
    void chooser();
    void printRecord();
    void demoLabelFromTheButton();
    void commandLine();

private:
    QTemporaryDir m_temp;
};

void TestPrinting::chooser()
{
    TestDatabase db;
    db.useAsCurrent();
    MessageRecorder messages;
    FormPrint &form = FormPrint::instance();

    // The form's templates, titles with their IDs, the first one selected; not another form's.
    form.DocumnetID = 1022148;
    QVERIFY(LoadReportTemplates(&form));
    const QList<QVariantList> rows = db.rows(
        u"SELECT ID, Title FROM tblOrvoReportTemplate WHERE FormTypeID = 1022148 ORDER BY ID"_qs);
    QCOMPARE(form.cmbReport->count(), rows.size());
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE((QVariantList {form.cmbReport->itemData(i).toInt(), form.cmbReport->itemText(i)}),
            (QVariantList {rows[i][0].toInt(), rows[i][1].toString()}));
    QCOMPARE(form.cmbReport->currentIndex(), 0);
    // A form type without templates: false, and the list stays as it was.
    form.DocumnetID = 4242;
    QVERIFY(!LoadReportTemplates(&form));
    QCOMPARE(form.cmbReport->count(), rows.size());

    // The print button without a chosen template warns and keeps the form open.
    form.ReportFileName.clear();
    form.cmbReport->setCurrentIndex(-1);
    form.show();
    QTest::mouseClick(form.cmdPrint, Qt::LeftButton);
    QCOMPARE(
        lastBox(messages), box(texts::TitleWarning.toString(), texts::NoTemplateChosen.toString()));
    QVERIFY(form.isVisible() && form.ReportFileName.isEmpty());

    // With one template, it is selected at once, and the small button chooses it as the print
    // button does: its stored path, and the form closes.
    db.exec("DELETE FROM tblOrvoReportTemplate WHERE ID <> 2");
    form.DocumnetID = 1022148;
    QVERIFY(LoadReportTemplates(&form));
    QCOMPARE(form.cmbReport->currentIndex(), 0);
    QTest::mouseClick(form.cmdOk, Qt::LeftButton);
    QCOMPARE(form.ReportFileName, "Reports/AssetLabel.html");
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
}

void TestPrinting::printRecord()
{
    TestDatabase db;
    QTemporaryDir install;
    const QString base = install.path() + "/";
    db.exec(u"UPDATE tblOrvoSetting SET BasePath='%1'"_qs.arg(base));
    // Template 1 exists as stored (absolute), 2 only under the install directory, 3 nowhere.
    const QString stored = m_temp.filePath("Card.html");
    writeFile(stored, "the template's bytes");
    writeFile(base + "Reports/Only.html", "only");
    db.exec(
        u"UPDATE tblOrvoReportTemplate SET FilePath='%1' WHERE ID=1; "
        "UPDATE tblOrvoReportTemplate SET FilePath='Reports/Only.html' WHERE ID=2"_qs.arg(stored));
    FormDriver d(db);
    MessageRecorder messages;
    FakeEngine::calls.clear();
    ComponentRegistry::instance().registerFactory(QString::fromLatin1(ReportEngine::ProgId),
        [] { return std::unique_ptr<QObject>(new FakeEngine); });
    auto button = [&d] { return d.get<QPushButton>("cmdPreview")->isEnabled(); };
    bool enabledWhileShown = true, hourglassWhileShown = false;
    FakeEngine::onShow = [&](FakeEngine &) {
        enabledWhileShown = button();
        hourglassWhileShown = QApplication::overrideCursor()
            && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    };
    auto print = [&d](int index) {
        FakeEngine::calls.clear();
        QVERIFY(::print(d, index));
    };
    d.host.View(5);
    d.takeTrace();
    const QString connect = "Connect(" + db.connectionString + ")";

    print(0);
    QCOMPARE(FakeEngine::calls,
        QStringList({"ReportFileName=" + stored, "ConnectionString=" + db.connectionString, connect,
            "SetFormula(1, fmlID = 5)", "ShowReport(1)"}));
    QVERIFY(!enabledWhileShown && hourglassWhileShown);
    QVERIFY(button() && !QApplication::overrideCursor());
    QCOMPARE(messages.count(), 0);
    const QStringList trace = d.takeTrace();
    QVERIFY(trace.contains("Select * from tblOrvoReportTemplate where FormTypeID = 1022148"));
    QVERIFY(trace.contains("Select * From tblOrvoReportTemplate Where ID = 1"));

    // Found only under the install directory: used prefixed, and the chooser keeps that path.
    print(1);
    QCOMPARE(FakeEngine::calls.value(0), "ReportFileName=" + base + "Reports/Only.html");
    QCOMPARE(FormPrint::instance().ReportFileName, base + "Reports/Only.html");
    // Found nowhere: the message names the completed path, and no engine is made.
    print(2);
    QCOMPARE(FakeEngine::calls, QStringList());
    QCOMPARE(lastBox(messages),
        box(texts::TitleInvalid.toString(),
            texts::MissingTemplateStart.toString() + base + "reports/AssetHandover.xml"
                + texts::MissingTemplateEnd.toString()));
    // Closing the chooser without a choice prints nothing.
    FakeEngine::calls.clear();
    QVERIFY(whenModal<FormPrint>([&d] { d.click("cmdPreview"); }, &FormPrint::reject));
    QCOMPARE(FakeEngine::calls, QStringList());

    // Any error but 20544: shown with its number in the title; the button and the pointer are
    // back.
    messages.clear();
    FakeEngine::onShow = [](FakeEngine &) { throw VelaError("چاپگر پاسخ نداد.", 20599); };
    print(0);
    QCOMPARE(lastBox(messages), box("خطا 20599", "چاپگر پاسخ نداد."));
    QVERIFY(button() && !QApplication::overrideCursor());

    // 20544: the template is copied into the temporary folder under a ".rpt" name, the engine
    // is given the copy, connected again and the copy is rendered; the copy goes afterwards.
    messages.clear();
    QByteArray copied;
    FakeEngine::onShow = [&copied](FakeEngine &engine) {
        if (engine.ReportFileName().endsWith(".rpt")) {
            QFile f(engine.ReportFileName());
            if (f.open(QIODevice::ReadOnly))
                copied = f.readAll();
            return;
        }
        throw VelaError("در دست است", 20544);
    };
    print(0);
    const QString copy = FakeEngine::calls.value(5).mid(QStringLiteral("ReportFileName=").size());
    QCOMPARE(FakeEngine::calls.mid(4),
        QStringList({"ShowReport(1)", "ReportFileName=" + copy, connect, "ShowReport(1)"}));
    QCOMPARE(QFileInfo(copy).absolutePath(), QFileInfo(m_temp.path()).absoluteFilePath());
    QVERIFY2(QFileInfo(copy).fileName().startsWith("rad"), qPrintable(copy));
    QCOMPARE(QFileInfo(copy).suffix(), "rpt");
    QCOMPARE(copied, QByteArray("the template's bytes"));
    QCOMPARE(messages.count(), 0);
    QVERIFY(!QFile::exists(copy));
    QVERIFY(button());

    // A failure outside the rendering (no engine installed) is shown too, the button back.
    ComponentRegistry::instance().unregister(QString::fromLatin1(ReportEngine::ProgId));
    print(0);
    QCOMPARE(messages.last().title, texts::TitleError.toString());
    QCOMPARE(lacks(messages, {"ReportEngine"}), QString());
    QVERIFY(button() && !QApplication::overrideCursor());

    // An empty form prints with 0.
    FakeEngine::onShow = nullptr;
    ComponentRegistry::instance().registerFactory(QString::fromLatin1(ReportEngine::ProgId),
        [] { return std::unique_ptr<QObject>(new FakeEngine); });
    d.host.ClearShow();
    print(0);
    QVERIFY(FakeEngine::calls.contains("SetFormula(1, fmlID = 0)"));

    // A user without the print permission is told so; no chooser, no engine.
    messages.clear();
    d.host.setUserID(SuiteDatabase::DemoViewerUserID);
    d.host.View(5);
    FakeEngine::calls.clear();
    QVERIFY(!::print(d, 0));
    QCOMPARE(FakeEngine::calls, QStringList());
    QCOMPARE(messages.count(), 1);
    QCOMPARE(lastBox(messages), box(texts::TitleError.toString(), texts::NotAllowed.toString()));
}

void TestPrinting::demoLabelFromTheButton()
{
    // The demo label where the build puts it, printed from the entry form with the real engine:
    // the codes are those of the record shown. (The engine's own tests read the templates' texts.)
    TestDatabase db;
    db.exec(
        QString("UPDATE tblOrvoSetting SET BasePath='%1'").arg(SuiteDatabase::installDirectory()));
    FormDriver d(db);
    MessageRecorder messages;
    QString pdf, renderedFrom;
    bool enabledWhileShown = true;
    ReportEngine::setPreviewHook([&](ReportDocument &report) {
        enabledWhileShown = d.get<QPushButton>("cmdPreview")->isEnabled();
        renderedFrom = report.templatePath;
        report.writePdf(pdf);
    });
    d.host.View(5);
    // Free, then held by another print: the engine cannot use it where it lies, so it is printed
    // from a private copy, which is gone afterwards.
    const QString label = SuiteDatabase::installDirectory() + "Reports/AssetLabel.html";
    for (const bool held : {false, true}) {
        const int fd = held ? ::open(QFile::encodeName(label).constData(), O_RDONLY) : -1;
        QVERIFY(!held || (fd >= 0 && ::flock(fd, LOCK_EX) == 0));
        pdf = m_temp.filePath(QString("label%1.pdf").arg(held));
        QVERIFY(print(d, 1));
        if (fd >= 0)
            ::close(fd);
        QVERIFY(!enabledWhileShown);
        QCOMPARE(QFileInfo(renderedFrom).suffix(), held ? "rpt" : "html");
        QCOMPARE(pdftools::barcodes(pdf), QStringList({"CODE-128:100005", "QR-Code:100005"}));
        QCOMPARE(QDir(m_temp.path()).entryList({"*.rpt"}, QDir::Files), QStringList());
        QCOMPARE(messages.texts(), QStringList());
    }
}

void TestPrinting::commandLine()
{
    TestDatabase db;
    db.exec(u"UPDATE tblOrvoSetting SET BasePath='%1'"_qs.arg(SuiteDatabase::installDirectory()));
    QTemporaryDir home;
    QString err;
    auto run = [&home, &err](const QStringList &args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        for (const char *v : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "DISPLAY",
                 "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(v)); // no screen at all: the program finds its own way
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(VELA_ASSET_PROGRAM), args);
        if (!p.waitForFinished(120000))
            return -1;
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    const QString pdf = home.filePath("label.pdf");
    const QStringList onDb = {"-c", db.connectionString, "-u", "1", "--print", "5"};
    // On the database given, by the template's title.
    QCOMPARE(run(onDb + QStringList {"--template", "برچسب اموال", "--pdf", pdf}), 0);
    QCOMPARE(pdftools::barcodes(pdf).size(), 2);
    // On the demo database it makes in a new home, by file name: the demo's base path is the
    // program's install directory, where it finds the template.
    const QString card = home.filePath("card.pdf");
    QCOMPARE(run({"--print", "1", "--template", "AssetCard.html", "--pdf", card}), 0);
    QVERIFY(pdftools::hasWords(pdftools::text(card), "100001"));

    // Failures: a clear word on stderr and a nonzero status.
    QCOMPARE(run(onDb + QStringList {"--template", "قالب ناموجود", "--pdf", pdf}), 1);
    QVERIFY2(err.contains("قالب ناموجود") && err.contains("برچسب اموال"), qPrintable(err));
    QStringList viewer = onDb;
    viewer[3] = "2";
    QCOMPARE(run(viewer + QStringList {"--template", "AssetLabel.html", "--pdf", pdf}), 1);
    QVERIFY2(err.contains("102214809"), qPrintable(err));
    QCOMPARE(run({"--print", "5", "--pdf", pdf}), 2);
    QVERIFY(err.contains("--template"));
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
