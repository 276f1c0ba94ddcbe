// The statements of one fixed session, byte for byte: start-up on a record, a new record saved,
// edited and saved again, a search with every filter and a choice from it, and the deletion. The
// expected trace is the literal file statementtrace.expected beside this test; what the
// component sends the database changes only together with it.
#include "entry/FormDriver.h"
#include "search/FormSearch.h"
#include "shared/modMain.h"

#include <QRegularExpression>

using namespace vela;
using namespace formdriver;

namespace {

// The log entries carry the day and the minute they were written: both are replaced by names.
void removeToday(QStringList &trace, const OrvoDate &today)
{
    const QString day = SqlDateText(today.Value()) + QStringLiteral(" 00:00:00");
    static const QRegularExpression minute(QStringLiteral(", ([0-9]+)\\)$"));
    for (QString &line : trace) {
        if (!line.startsWith(QLatin1String("CALL spOrvoInsertFormAction(")))
            continue;
        const QString tail = QStringLiteral("'%1', '%2', ").arg(day, today.PersianDate());
        const qsizetype at = line.indexOf(tail);
        QVERIFY2(at > 0, qPrintable(line));
        line.replace(at, tail.size(), QStringLiteral("'{today}', '{today in Persian}', "));
        const QRegularExpressionMatch m = minute.match(line);
        QVERIFY2(m.hasMatch() && m.captured(1).toInt() < 24 * 60, qPrintable(line));
        line.replace(m.capturedStart(1), m.capturedLength(1), QStringLiteral("{minute}"));
    }
}

} // namespace

class TstStatementTrace : public QObject {
    Q_OBJECT
private slots:
    void fixedSession();
};

void TstStatementTrace::fixedSession()
{
    TestDatabase db;
    MessageRecorder messages; // every question answered yes
    QStringList trace;
    {
        FormDriver d(db);
        // Start-up, opened on a record with pictures.
        d.host.View(TestDatabase::AssetWithPictures);
        QApplication::setActiveWindow(&d.form());

        // A new record with the required values only.
        d.click("cmdNew");
        d.type("txtLabelNo", QStringLiteral("  PL-۱۲ "));
        d.type("txtName", QStringLiteral("میز O'Neil"));
        d.type("datUtilizationDate", QStringLiteral("1402/05/10"));
        d.choose("sltType", 1);
        d.type("txtCost", QStringLiteral("1500000.25"));
        d.type("txtAccumulatedCost", QStringLiteral("0"));
        d.type("txtAbortCost", QStringLiteral("-12"));
        d.choose("sltStatusType", 1);
        d.click("cmdSave");
        const QString id = d.text("txtID");
        QCOMPARE(id, QStringLiteral("57"));

        // Edited: every other input filled.
        d.click("cmdEdit");
        d.type("txtOldLabelNo", QStringLiteral("OLD-3"));
        d.type("txtCode", QStringLiteral("C%_1"));
        d.type("datCreateDate", QStringLiteral("1401/12/29"));
        d.type("txtOfficeMaxCost", QStringLiteral("99999999999999.9999"));
        d.type("txtDocumentNo", QStringLiteral("D-7"));
        d.type("datDocumentDate", QStringLiteral("1402/01/01"));
        d.type("datReevaluationDate", QStringLiteral("1403/06/31"));
        for (const char *s : {"sltGroup", "sltLocation", "sltAccountable", "sltResponsible",
                 "sltCostCenter", "sltBranch"})
            d.choose(s, 2);
        d.type("txtOrganizationLocation", QStringLiteral("واحد \\ ۲"));
        d.get<QPlainTextEdit>("txtDescription")->setPlainText(QStringLiteral("سطر ۱\nسطر '۲'"));
        d.click("cmdSave");
        QCOMPARE(messages.count(), 0);

        // A search with every filter set to the record's own values, and the record chosen.
        bool searched = false;
        QTimer::singleShot(0, this, [&] {
            auto *f = qobject_cast<FormSearch *>(QApplication::activeModalWidget());
            QVERIFY(f);
            type(f->txtID, id);
            type(f->txtName, QStringLiteral("O'Neil"));
            type(f->txtLabelNo, QStringLiteral("12"));
            type(f->txtOldLabelNo, QStringLiteral("OLD"));
            type(f->txtDocumentNo, QStringLiteral("D-7"));
            type(f->txtOrganizationLocation, QStringLiteral("\\"));
            type(f->txtDescription, QStringLiteral("'۲'"));
            // Rows picked from the lists and dates from the calendars: Enter in a filter would
            // run a search at each of them.
            for (const char *s :
                {"sltCreator", "sltType", "sltStatusType", "sltGroup", "sltLocation",
                    "sltAccountable", "sltResponsible", "sltCostCenter", "sltBranch"})
                find<OrvoSelector>(f, s)->setSelectedID(d.get<OrvoSelector>(s)->SelectedID());
            for (const char *s :
                {"datCreateDate", "datUtilizationDate", "datDocumentDate", "datReevaluationDate"})
                find<OrvoDate>(f, s)->setValue(d.get<OrvoDate>(s)->Value());
            click(f, "cmdSearch");
            QCOMPARE(f->flxSearch->Rows(), 3); // header, the record, totals
            searched = true;
            doubleClickRow(f->flxSearch, 1);
        });
        d.click("cmdSearch");
        QVERIFY(searched);
        QCOMPARE(d.text("txtID"), id);

        d.click("cmdDelete");
        QCOMPARE(d.form().FormMode, int(FormMain::ModeEmpty));
        QCOMPARE(messages.count(), 1); // the question
        trace = d.takeTrace();
        removeToday(trace, *d.get<OrvoDate>("datToday"));
        if (QTest::currentTestFailed())
            return;
    }
    FormSearch::unload();

    QFile expectedFile(qEnvironmentVariable("VELA_SOURCE_DIR")
        + QStringLiteral("/tests/entry/statementtrace.expected"));
    QVERIFY2(expectedFile.open(QIODevice::ReadOnly), qPrintable(expectedFile.fileName()));
    const QStringList expected
        = QString::fromUtf8(expectedFile.readAll()).split(u'\n', Qt::SkipEmptyParts);
    // On a difference the whole trace is left beside the build for a look with diff.
    QFile actual(QDir::current().filePath(QStringLiteral("statementtrace.actual")));
    if (actual.open(QIODevice::WriteOnly | QIODevice::Truncate))
        actual.write((trace.join(u'\n') + u'\n').toUtf8());
    QCOMPARE(trace, expected); // names the first line that differs
}

QTEST_MAIN(TstStatementTrace)
#include "tst_statementtrace.moc"
