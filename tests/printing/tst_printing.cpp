// Printing from the entry form: the template chooser, the print button and the printing routine
// with a recording stand-in for the report engine (the members it is given in their order, the
// template's path, the formula, error 20544 and other errors, the button and the pointer while
// it works), the real engine from the button on both demo templates, and vela-asset --print.
#include "common/PdfTools.h"
#include "entry/EntryTexts.h"
#include "entry/FormDriver.h"
#include "entry/FormMainPrint.h"
#include "printing/FormPrint.h"
#include "printing/PrintTexts.h"
#include "shared/VelaError.h"
#include "suite/ComponentRegistry.h"
#include "suite/ReportEngine.h"

#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QTimer>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vela;

namespace {

// Stands in for the report engine: records every member it is given and runs `onShow` when asked
// to render.
class FakeEngine : public ReportEngine {
public:
    static inline QStringList calls;
    static inline std::function<void(FakeEngine &)> onShow;
    void setConnectionString(const QString &text) override
    {
        calls << QStringLiteral("ConnectionString=") + text;
    }
    void setReportFileName(const QString &path) override
    {
        calls << QStringLiteral("ReportFileName=") + path;
        ReportEngine::setReportFileName(path);
    }
    void Connect(const QVariant &c) override
    {
        calls << QStringLiteral("Connect(%1)").arg(c.toString());
    }
    QVariant SetFormula(int index, const QString &formula) override
    {
        calls << QStringLiteral("SetFormula(%1, %2)").arg(index).arg(formula);
        return {};
    }
    void ShowReport(const QVariant &destination) override
    {
        calls << QStringLiteral("ShowReport(%1)").arg(destination.toInt());
        if (onShow)
            onShow(*this);
    }
};

// Chooses template `index` in the chooser once it is open, with its print button.
void choose(int index)
{
    QTimer::singleShot(0, [index] {
        FormPrint &chooser = FormPrint::instance();
        if (!chooser.isVisible())
            return;
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

QStringList rptFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.rpt")}, QDir::Files);
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
    void engineFailures();
    void demoTemplatesFromTheButton();
    void commandLine();

private:
    void useFakeEngine()
    {
        FakeEngine::calls.clear();
        ComponentRegistry::instance().registerFactory(QString::fromLatin1(ReportEngine::ProgId),
            [] { return std::unique_ptr<QObject>(new FakeEngine); });
    }
    QTemporaryDir m_temp;
};

void TestPrinting::chooser()
{
    TestDatabase db;
    db.useAsCurrent();
    MessageRecorder messages;
    FormPrint &form = FormPrint::instance();
    QCOMPARE(form.windowTitle(), texts::PrintCaption.toString());

    // The form's templates, titles with their IDs, the first one selected; not another form's.
    form.DocumnetID = 1022148;
    QVERIFY(LoadReportTemplates(&form));
    const QList<QVariantList> rows = db.rows(QStringLiteral(
        "SELECT ID, Title FROM tblOrvoReportTemplate WHERE FormTypeID = 1022148 ORDER BY ID"));
    QCOMPARE(form.cmbReport->count(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(form.cmbReport->itemText(i), rows[i][1].toString());
        QCOMPARE(form.cmbReport->itemData(i).toInt(), rows[i][0].toInt());
    }
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
    QCOMPARE(messages.last().title, texts::TitleWarning.toString());
    QCOMPARE(messages.last().text, texts::NoTemplateChosen.toString());
    QVERIFY(form.isVisible());
    QVERIFY(form.ReportFileName.isEmpty());

    // With one template, it is selected at once, and the small button chooses it as the print
    // button does: its stored path, and the form closes.
    db.exec(QStringLiteral("DELETE FROM tblOrvoReportTemplate WHERE ID <> 2"));
    form.DocumnetID = 1022148;
    QVERIFY(LoadReportTemplates(&form));
    QCOMPARE(form.cmbReport->currentIndex(), 0);
    QTest::mouseClick(form.cmdOk, Qt::LeftButton);
    QCOMPARE(form.ReportFileName, QStringLiteral("Reports/AssetLabel.html"));
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
}

void TestPrinting::printRecord()
{
    TestDatabase db;
    QTemporaryDir install;
    const QString base = install.path() + QStringLiteral("/");
    db.exec(QStringLiteral("UPDATE tblOrvoSetting SET BasePath='%1'").arg(base));
    // Template 1 exists as stored (absolute), 2 only under the install directory, 3 nowhere.
    const QString stored = m_temp.filePath(QStringLiteral("Card.html"));
    writeFile(stored, "card");
    writeFile(base + QStringLiteral("Reports/Only.html"), "only");
    db.exec(
        QStringLiteral("UPDATE tblOrvoReportTemplate SET FilePath='%1' WHERE ID=1; "
                       "UPDATE tblOrvoReportTemplate SET FilePath='Reports/Only.html' WHERE ID=2")
            .arg(stored));
    FormDriver d(db);
    MessageRecorder messages;
    useFakeEngine();
    bool enabledWhileShown = true;
    bool hourglassWhileShown = false;
    FakeEngine::onShow = [&](FakeEngine &) {
        enabledWhileShown = d.get<QPushButton>("cmdPreview")->isEnabled();
        hourglassWhileShown = QApplication::overrideCursor()
            && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    };
    d.host.View(5);
    d.takeTrace();

    choose(0);
    d.click("cmdPreview");
    QCOMPARE(FakeEngine::calls,
        QStringList({QStringLiteral("ReportFileName=") + stored,
            QStringLiteral("ConnectionString=") + db.connectionString,
            QStringLiteral("Connect(%1)").arg(db.connectionString),
            QStringLiteral("SetFormula(1, fmlID = 5)"), QStringLiteral("ShowReport(1)")}));
    QVERIFY(!enabledWhileShown);
    QVERIFY(hourglassWhileShown);
    QVERIFY(d.get<QPushButton>("cmdPreview")->isEnabled());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(messages.count(), 0);
    const QStringList trace = d.takeTrace();
    QVERIFY(trace.contains(
        QStringLiteral("Select * from tblOrvoReportTemplate where FormTypeID = 1022148")));
    QVERIFY(trace.contains(QStringLiteral("Select * From tblOrvoReportTemplate Where ID = 1")));

    // Found only under the install directory: used prefixed, and the chooser keeps that path.
    FakeEngine::calls.clear();
    choose(1);
    d.click("cmdPreview");
    QCOMPARE(FakeEngine::calls.value(0),
        QStringLiteral("ReportFileName=") + base + QStringLiteral("Reports/Only.html"));
    QCOMPARE(FormPrint::instance().ReportFileName, base + QStringLiteral("Reports/Only.html"));

    // Found nowhere: the message names the completed path, and no engine is made.
    FakeEngine::calls.clear();
    choose(2);
    d.click("cmdPreview");
    QCOMPARE(FakeEngine::calls, QStringList());
    QCOMPARE(messages.last().title, texts::TitleInvalid.toString());
    QCOMPARE(messages.last().text,
        texts::MissingTemplateStart.toString() + base + QStringLiteral("reports/AssetHandover.xml")
            + texts::MissingTemplateEnd.toString());

    // Closing the chooser without a choice prints nothing.
    FakeEngine::calls.clear();
    QTimer::singleShot(0, [] { FormPrint::instance().reject(); });
    d.click("cmdPreview");
    QCOMPARE(FakeEngine::calls, QStringList());

    // An empty form prints with 0.
    d.host.ClearShow();
    choose(0);
    d.click("cmdPreview");
    QVERIFY(FakeEngine::calls.contains(QStringLiteral("SetFormula(1, fmlID = 0)")));

    // A user without the print permission is told so; no chooser, no engine.
    FakeEngine::calls.clear();
    messages.clear();
    d.host.setUserID(SuiteDatabase::DemoViewerUserID);
    d.host.View(5);
    d.click("cmdPreview");
    QCOMPARE(FakeEngine::calls, QStringList());
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().title, texts::TitleError.toString());
    QCOMPARE(messages.last().text, texts::NotAllowed.toString());
}

void TestPrinting::engineFailures()
{
    TestDatabase db;
    const QString stored = m_temp.filePath(QStringLiteral("Label.html"));
    writeFile(stored, "the template's bytes");
    db.exec(
        QStringLiteral("UPDATE tblOrvoReportTemplate SET FilePath='%1' WHERE ID=1").arg(stored));
    FormDriver d(db);
    MessageRecorder messages;
    useFakeEngine();
    d.host.View(5);
    auto button = [&d] { return d.get<QPushButton>("cmdPreview")->isEnabled(); };

    // Any error but 20544: shown with its number in the title; the button and the pointer are
    // back.
    FakeEngine::onShow
        = [](FakeEngine &) { throw VelaError(QStringLiteral("چاپگر پاسخ نداد."), 20599); };
    choose(0);
    d.click("cmdPreview");
    QCOMPARE(messages.last().title, QStringLiteral("خطا 20599"));
    QCOMPARE(messages.last().text, QStringLiteral("چاپگر پاسخ نداد."));
    QVERIFY(button());
    QVERIFY(!QApplication::overrideCursor());

    // 20544: the template is copied into the temporary folder under a ".rpt" name, the engine
    // is given the copy, connected again and the copy is rendered; the copy goes afterwards.
    FakeEngine::calls.clear();
    messages.clear();
    QByteArray copied;
    FakeEngine::onShow = [&copied](FakeEngine &engine) {
        if (engine.ReportFileName().endsWith(QLatin1String(".rpt"))) {
            QFile f(engine.ReportFileName());
            if (f.open(QIODevice::ReadOnly))
                copied = f.readAll();
            return;
        }
        throw VelaError(QStringLiteral("در دست است"), 20544);
    };
    choose(0);
    d.click("cmdPreview");
    QCOMPARE(FakeEngine::calls.size(), 8);
    QCOMPARE(FakeEngine::calls.mid(4, 1), QStringList(QStringLiteral("ShowReport(1)")));
    const QString copy = FakeEngine::calls.value(5).mid(QStringLiteral("ReportFileName=").size());
    QCOMPARE(QFileInfo(copy).absolutePath(), QFileInfo(m_temp.path()).absoluteFilePath());
    QVERIFY2(QFileInfo(copy).fileName().startsWith(QLatin1String("rad")), qPrintable(copy));
    QCOMPARE(QFileInfo(copy).suffix(), QStringLiteral("rpt"));
    QCOMPARE(FakeEngine::calls.mid(6),
        QStringList({QStringLiteral("Connect(%1)").arg(db.connectionString),
            QStringLiteral("ShowReport(1)")}));
    QCOMPARE(copied, QByteArray("the template's bytes"));
    QCOMPARE(messages.count(), 0);
    QVERIFY(!QFile::exists(copy));
    QVERIFY(button());

    // A failure outside the rendering (no engine installed) is shown too, the button back.
    ComponentRegistry::instance().unregister(QString::fromLatin1(ReportEngine::ProgId));
    choose(0);
    d.click("cmdPreview");
    QCOMPARE(messages.last().title, texts::TitleError.toString());
    QVERIFY(messages.last().text.contains(QLatin1String("ReportEngine")));
    QVERIFY(button());
    QVERIFY(!QApplication::overrideCursor());
}

void TestPrinting::demoTemplatesFromTheButton()
{
    // The demo templates where the build puts them, for the demo's own database: the card of
    // record 5 and its label, printed from the entry form with the real engine.
    TestDatabase db;
    db.exec(QStringLiteral("UPDATE tblOrvoSetting SET BasePath='%1'")
                .arg(SuiteDatabase::installDirectory()));
    FormDriver d(db);
    MessageRecorder messages;
    QString pdf;
    QString renderedFrom;
    bool enabledWhileShown = true;
    ReportEngine::setPreviewHook([&](ReportDocument &report) {
        enabledWhileShown = d.get<QPushButton>("cmdPreview")->isEnabled();
        renderedFrom = report.templatePath;
        report.writePdf(pdf);
    });
    d.host.View(5);

    pdf = m_temp.filePath(QStringLiteral("card.pdf"));
    choose(0);
    d.click("cmdPreview");
    QCOMPARE(messages.texts(), QStringList());
    QVERIFY(!enabledWhileShown);
    const QString card = pdftools::text(pdf);
    for (const QString &value : {QStringLiteral("وانت نیسان زامیاد"), QStringLiteral("100005"),
             QStringLiteral("980/000/000"), QStringLiteral("49/000/000.5"),
             QStringLiteral("۱۴۰۱/۰۵/۱۳"), QStringLiteral("2022/08/04"),
             db.scalar(QStringLiteral("SELECT Name FROM vwEmployeeMajor WHERE ID=15")).toString()})
        QVERIFY2(pdftools::hasWords(card, value), qPrintable(value + QStringLiteral("\n") + card));

    pdf = m_temp.filePath(QStringLiteral("label.pdf"));
    choose(1);
    d.click("cmdPreview");
    QCOMPARE(pdftools::barcodes(pdf),
        QStringList({QStringLiteral("CODE-128:100005"), QStringLiteral("QR-Code:100005")}));

    // The label held by another print, and a copy of it marked read-only: the engine cannot use
    // either where it lies, so each is printed from a private copy, which is gone afterwards.
    const QString label
        = SuiteDatabase::installDirectory() + QStringLiteral("Reports/AssetLabel.html");
    const QString readOnly = m_temp.filePath(QStringLiteral("ReadOnlyLabel.html"));
    QVERIFY(QFile::copy(label, readOnly));
    QCOMPARE(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    for (const bool held : {true, false}) {
        int fd = -1;
        if (held) {
            fd = ::open(QFile::encodeName(label).constData(), O_RDONLY);
            QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX) == 0);
        } else {
            db.exec(QStringLiteral("UPDATE tblOrvoReportTemplate SET FilePath='%1' WHERE ID=2")
                        .arg(readOnly));
        }
        pdf = m_temp.filePath(QStringLiteral("label-copy%1.pdf").arg(held));
        renderedFrom.clear();
        choose(1);
        d.click("cmdPreview");
        if (fd >= 0)
            ::close(fd);
        QCOMPARE(QFileInfo(renderedFrom).suffix(), QStringLiteral("rpt"));
        QCOMPARE(pdftools::barcodes(pdf).size(), 2);
        QCOMPARE(rptFiles(m_temp.path()), QStringList());
        QCOMPARE(messages.texts(), QStringList());
    }
}

void TestPrinting::commandLine()
{
    TestDatabase db;
    db.exec(QStringLiteral("UPDATE tblOrvoSetting SET BasePath='%1'")
                .arg(SuiteDatabase::installDirectory()));
    QTemporaryDir home;
    auto run = [&home](const QStringList &args, QString *err = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        for (const char *v : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "DISPLAY",
                 "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(v)); // no screen at all: the program finds its own way
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(VELA_ASSET_PROGRAM), args);
        if (!p.waitForFinished(120000))
            return -1;
        if (err)
            *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    const QString pdf = home.filePath(QStringLiteral("label.pdf"));
    // On the database given, by the template's title.
    QCOMPARE(
        run({QStringLiteral("-c"), db.connectionString, QStringLiteral("-u"), QStringLiteral("1"),
            QStringLiteral("--print"), QStringLiteral("5"), QStringLiteral("--template"),
            QStringLiteral("برچسب اموال"), QStringLiteral("--pdf"), pdf}),
        0);
    QCOMPARE(pdftools::barcodes(pdf).size(), 2);
    // On the demo database it makes in a new home, by file name: the demo's base path is the
    // program's install directory, where it finds the template.
    const QString card = home.filePath(QStringLiteral("card.pdf"));
    QCOMPARE(run({QStringLiteral("--print"), QStringLiteral("1"), QStringLiteral("--template"),
                 QStringLiteral("AssetCard.html"), QStringLiteral("--pdf"), card}),
        0);
    QVERIFY(pdftools::hasWords(pdftools::text(card), QStringLiteral("100001")));

    // Failures: a clear word on stderr and a nonzero status.
    QString err;
    QCOMPARE(
        run({QStringLiteral("-c"), db.connectionString, QStringLiteral("-u"), QStringLiteral("1"),
                QStringLiteral("--print"), QStringLiteral("5"), QStringLiteral("--template"),
                QStringLiteral("قالب ناموجود"), QStringLiteral("--pdf"), pdf},
            &err),
        1);
    QVERIFY2(
        err.contains(QStringLiteral("قالب ناموجود")) && err.contains(QStringLiteral("برچسب اموال")),
        qPrintable(err));
    QCOMPARE(
        run({QStringLiteral("-c"), db.connectionString, QStringLiteral("-u"), QStringLiteral("2"),
                QStringLiteral("--print"), QStringLiteral("5"), QStringLiteral("--template"),
                QStringLiteral("AssetLabel.html"), QStringLiteral("--pdf"), pdf},
            &err),
        1);
    QVERIFY2(err.contains(QStringLiteral("102214809")), qPrintable(err));
    QCOMPARE(
        run({QStringLiteral("--print"), QStringLiteral("5"), QStringLiteral("--pdf"), pdf}, &err),
        2);
    QVERIFY(err.contains(QLatin1String("--template")));
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
