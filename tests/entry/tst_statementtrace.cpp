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
    const QString day = SqlDateText(today.Value()) + u" 00:00:00"_qs;
    static const QRegularExpression minute(u", ([0-9]+)\\)$"_qs);
    for (QString &line : trace) {
        if (!line.startsWith(QLatin1String("CALL spOrvoInsertFormAction(")))
            continue;
        const QString tail = u"'%1', '%2', "_qs.arg(day, today.PersianDate());
        const qsizetype at = line.indexOf(tail);
        QVERIFY2(at > 0, qPrintable(line));
        line.replace(at, tail.size(), u"'{today}', '{today in Persian}', "_qs);
        const QRegularExpressionMatch m = minute.match(line);
        QVERIFY2(m.hasMatch() && m.captured(1).toInt() < 24 * 60, qPrintable(line));
        line.replace(m.capturedStart(1), m.capturedLength(1), u"{minute}"_qs);
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
        d.fillRequired(u"  PL-۱۲ "_qs, u"میز O'Neil"_qs, {u"1500000.25"_qs, u"0"_qs, u"-12"_qs}, 1);
        d.click("cmdSave");
        const QString id = d.text("txtID");
        QCOMPARE(id, u"57"_qs);

        // Edited: every other input filled.
        d.click("cmdEdit");
        for (const auto &[c, v] : {std::pair {"txtOldLabelNo", u"OLD-3"_qs},
                 {"txtCode", u"C%_1"_qs}, {"datCreateDate", u"1401/12/29"_qs},
                 {"txtOfficeMaxCost", u"99999999999999.9999"_qs}, {"txtDocumentNo", u"D-7"_qs},
                 {"datDocumentDate", u"1402/01/01"_qs}, {"datReevaluationDate", u"1403/06/31"_qs},
                 {"txtOrganizationLocation", u"واحد \\ ۲"_qs}})
            d.type(c, v);
        for (const char *s : {"sltGroup", "sltLocation", "sltAccountable", "sltResponsible",
                 "sltCostCenter", "sltBranch"})
            d.choose(s, 2);
        d.get<QPlainTextEdit>("txtDescription")->setPlainText(u"سطر ۱\nسطر '۲'"_qs);
        d.click("cmdSave");
        QCOMPARE(messages.count(), 0);

        // A search with every filter set to the record's own values, and the record chosen.
        d.search([&](FormSearch &form) {
            FormSearch *f = &form;
            for (const auto &[c, v] :
                {std::pair {f->txtID, id}, {f->txtName, u"O'Neil"_qs}, {f->txtLabelNo, u"12"_qs},
                    {f->txtOldLabelNo, u"OLD"_qs}, {f->txtDocumentNo, u"D-7"_qs},
                    {f->txtOrganizationLocation, u"\\"_qs}, {f->txtDescription, u"'۲'"_qs}})
                type(c, v);
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
            doubleClickRow(f->flxSearch, 1);
        });
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

    QFile expectedFile(
        qEnvironmentVariable("VELA_SOURCE_DIR") + u"/tests/entry/statementtrace.expected"_qs);
    QVERIFY2(expectedFile.open(QIODevice::ReadOnly), qPrintable(expectedFile.fileName()));
    const QStringList expected
        = QString::fromUtf8(expectedFile.readAll()).split(u'\n', Qt::SkipEmptyParts);
    // On a difference the whole trace is left beside the build for a look with diff.
    QFile actual(QDir::current().filePath(u"statementtrace.actual"_qs));
    if (actual.open(QIODevice::WriteOnly | QIODevice::Truncate))
        actual.write((trace.join(u'\n') + u'\n').toUtf8());
    QCOMPARE(trace, expected); // names the first line that differs
}

QTEST_MAIN(TstStatementTrace)
#include "tst_statementtrace.moc"
