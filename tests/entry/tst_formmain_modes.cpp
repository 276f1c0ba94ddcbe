// The entry form's start-up, its four modes and the new, edit and cancel commands, driven
// through the host control and the form's buttons on a fresh demo database.
#include "common/MessageRecorder.h"
#include "common/TestDatabase.h"
#include "entry/FormDriver.h"
#include "search/FormSearch.h"
#include "search/ResultsGrid.h"

#include <QApplication>
#include <QTimer>

using vela::FormMain;

namespace {

const QString Caption = QStringLiteral("استقرار");
const QString NotAllowed = QStringLiteral("شما به انجام اين عمليات مجاز نيستيد.");
const QString TitleError = QStringLiteral("خطا");

// Enabled state per mode: view, edit, new, empty.
const struct {
    const char *control;
    const char *states;
} ModeTable[] = {
    {"cmdNew", "1101"},
    {"cmdEdit", "1000"},
    {"cmdDelete", "1000"},
    {"cmdSave", "0110"},
    {"cmdCancel", "0110"},
    {"cmdSearch", "1111"},
    {"cmdMoreInfo", "1100"},
    {"txtID", "0000"},
    {"sltCreator", "0000"},
    {"txtLabelNo", "0110"},
    {"txtOldLabelNo", "0110"},
    {"txtCode", "0110"},
    {"txtName", "0110"},
    {"datUtilizationDate", "0110"},
    {"datCreateDate", "0110"},
    {"sltType", "0110"},
    {"txtCost", "0110"},
    {"txtAccumulatedCost", "0110"},
    {"txtAbortCost", "0110"},
    {"txtOfficeMaxCost", "0110"},
    {"sltStatusType", "0110"},
    {"txtDocumentNo", "0110"},
    {"datDocumentDate", "0110"},
    {"datReevaluationDate", "0110"},
    {"sltGroup", "0110"},
    {"sltLocation", "0110"},
    {"txtOrganizationLocation", "0110"},
    {"sltAccountable", "0110"},
    {"sltResponsible", "0110"},
    {"sltCostCenter", "0110"},
    {"sltBranch", "0110"},
    {"txtDescription", "0110"},
    // untouched by the mode
    {"cmdPreview", "1111"},
    {"cmdViewAccountDoc", "1111"},
    {"cmdDocGen", "1111"},
    {"cmdLeft", "1111"},
    {"cmdRefreshPicture", "1111"},
    {"cmdRight", "1111"},
    {"cmdEditPicture", "1111"},
};

void checkMode(FormDriver &d, int column, const QString &caption)
{
    QCOMPARE(d.caption(), caption);
    for (const auto &row : ModeTable) {
        const bool expected = row.states[column] == '1';
        if (d.control(row.control)->isEnabled() != expected)
            QFAIL(qPrintable(QStringLiteral("%1 in column %2 should be %3")
                                 .arg(QLatin1String(row.control)).arg(column).arg(expected)));
    }
}

bool allInputsEmpty(FormDriver &d)
{
    for (const char *t : {"txtID", "txtLabelNo", "txtOldLabelNo", "txtCode", "txtName", "txtDocumentNo",
                          "txtOrganizationLocation"})
        if (!d.edit(t)->text().isEmpty())
            return false;
    for (const char *a : {"txtCost", "txtAccumulatedCost", "txtAbortCost", "txtOfficeMaxCost"})
        if (!d.amount(a)->Text().isEmpty())
            return false;
    for (const char *s : {"sltType", "sltStatusType", "sltGroup", "sltLocation", "sltAccountable",
                          "sltResponsible", "sltCostCenter", "sltBranch"})
        if (!d.selector(s)->IsEmpty())
            return false;
    for (const char *t : {"datUtilizationDate", "datCreateDate", "datDocumentDate", "datReevaluationDate"})
        if (!d.date(t)->IsEmpty())
            return false;
    return d.control<QPlainTextEdit>("txtDescription")->toPlainText().isEmpty();
}

} // namespace

class TestFormMainModes : public QObject {
    Q_OBJECT
private slots:
    void startUp();
    void installDirectoryMissing();
    void modeTable();
    void newEditCancel();
    void refusals();
    void missingRecord();
    void closingUnloads();
    void search();
};

void TestFormMainModes::startUp()
{
    TestDatabase db;
    db.exec(QStringLiteral("UPDATE tblOrvoSetting SET BasePath='/opt/orvo/' WHERE ID=1"));
    FormDriver d(db);
    d.clearShow();

    const QStringList trace = d.takeTrace();
    QCOMPARE(trace.count(QStringLiteral("Select Isnull(BasePath,'') as InstallDirectory from vwOrvoBasePath Where ID=1 ")), 1);
    QVERIFY(trace.indexOf(QStringLiteral("Select Isnull(BasePath,'') as InstallDirectory from vwOrvoBasePath Where ID=1 ")) < trace.indexOf(QStringLiteral("Select getdate() as today")));
    QCOMPARE(d.form().InstallDirectory, QStringLiteral("/opt/orvo/"));
    QVERIFY(d.form().isVisible());
    QCOMPARE(d.caption(), Caption);
    QCOMPARE(d.form().FormMode, int(FormMain::ModeEmpty));
    QCOMPARE(d.selector("sltCreator")->SelectedID(), vela::SuiteDatabase::DemoAdminUserID);

    const struct {
        const char *selector, *major, *minor;
    } views[] = {
        {"sltCreator", "vwUserMajor", "vwUserMinor"},
        {"sltType", "vwAssetEstablishmentTypeMajor", "vwAssetEstablishmentTypeMinor"},
        {"sltStatusType", "vwAssetStatusTypeMajor", "vwAssetStatusTypeMinor"},
        {"sltGroup", "vwAssetGroupMajor", "vwAssetGroupMinor"},
        {"sltLocation", "vwOrvoInternalLocationMajor", "vwOrvoInternalLocationMinor"},
        {"sltAccountable", "vwAssetAccountableMajor", "vwAssetAccountableMinor"},
        {"sltResponsible", "vwEmployeeMajor", "vwEmployeeMajor"},
        {"sltCostCenter", "vwAccountCostCenterMajor", "vwAccountCostCenterMinor"},
        {"sltBranch", "vwAccountBranchMajor", "vwAccountBranchMinor"},
    };
    for (const auto &v : views) {
        vela::OrvoSelector *s = d.selector(v.selector);
        QCOMPARE(s->ConnectionString(), db.connectionString);
        QCOMPARE(s->MajorView(), QLatin1String(v.major));
        QCOMPARE(s->MinorView(), QLatin1String(v.minor));
        QVERIFY2(s->itemCount() > 0, v.selector);
    }

    // Today is the server's date, and its Persian twin matches it.
    vela::OrvoDate *today = d.date("datToday");
    QVERIFY(!today->isVisible());
    QVERIFY(qAbs(today->Value().daysTo(QDate::currentDate())) <= 1);
    QCOMPARE(today->PersianDate().size(), 10);

    // The form is not started up again by a second call: the installation directory is read
    // once per load.
    d.view(1);
    QCOMPARE(d.takeTrace().count(QStringLiteral("Select Isnull(BasePath,'') as InstallDirectory from vwOrvoBasePath Where ID=1 ")), 0);
}

void TestFormMainModes::installDirectoryMissing()
{
    TestDatabase db;
    {
        FormDriver d(db);
        d.clearShow(); // BasePath NULL
        QCOMPARE(d.form().InstallDirectory, QString());
    }
    db.exec(QStringLiteral("DELETE FROM tblOrvoSetting"));
    FormDriver d(db);
    d.clearShow();
    QCOMPARE(d.form().InstallDirectory, QString());
    QVERIFY(d.form().isVisible());
    QCOMPARE(d.caption(), Caption);
}

void TestFormMainModes::modeTable()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);

    d.clearShow();
    checkMode(d, 3, Caption);
    d.view(1);
    checkMode(d, 0, Caption + QStringLiteral(" (مشاهده)"));
    d.click("cmdEdit");
    checkMode(d, 1, Caption + QStringLiteral(" (اصلاح)"));
    d.click("cmdNew");
    checkMode(d, 2, Caption + QStringLiteral(" (جديد)"));
    QCOMPARE(messages.count(), 0);

    // Disabled buttons start nothing: in new mode edit and delete are dead.
    d.takeTrace();
    d.click("cmdEdit");
    d.click("cmdDelete");
    QCOMPARE(d.form().FormMode, int(FormMain::ModeNew));
    QVERIFY(d.takeTrace().isEmpty());
}

void TestFormMainModes::newEditCancel()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    const QString storedName = db.scalar(QStringLiteral("SELECT Name FROM tblAssetEstablishment WHERE ID=1")).toString();
    const int records = db.scalar(QStringLiteral("SELECT count(*) FROM tblAssetEstablishment")).toInt();

    d.view(1);
    d.takeTrace();
    d.click("cmdEdit");
    QStringList trace = d.takeTrace();
    QVERIFY(trace.contains(QStringLiteral("CALL spOrvoHasPermission(1, 102214802)")));
    QVERIFY(trace.contains(QStringLiteral("select * from tblAssetEstablishment Where ID=1")));
    QCOMPARE(d.form().FormMode, int(FormMain::ModeEdit));
    QCOMPARE(d.edit("txtName")->text(), storedName);

    // Cancel answered no: nothing changes.
    FormDriver::type(d.edit("txtName"), QStringLiteral(" تغییر"));
    messages.queue({0});
    d.click("cmdCancel");
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().type, 1);
    QCOMPARE(messages.last().title, QStringLiteral("انصراف از ثبت"));
    QCOMPARE(messages.last().text, QStringLiteral("آيا مطمئن هستيد؟"));
    QCOMPARE(d.form().FormMode, int(FormMain::ModeEdit));
    QCOMPARE(d.edit("txtName")->text(), storedName + QStringLiteral(" تغییر"));

    // Cancel answered yes: the stored record comes back in view mode.
    messages.queue({1});
    d.click("cmdCancel");
    QCOMPARE(d.form().FormMode, int(FormMain::ModeView));
    QCOMPARE(d.edit("txtName")->text(), storedName);
    QCOMPARE(d.edit("txtID")->text(), QStringLiteral("1"));

    // New from edit drops the edits without a question.
    d.click("cmdEdit");
    QTest::keyClicks(d.edit("txtLabelNo"), QStringLiteral("77"));
    messages.clear();
    d.click("cmdNew");
    QCOMPARE(messages.count(), 0);
    QCOMPARE(d.form().FormMode, int(FormMain::ModeNew));
    QVERIFY(allInputsEmpty(d));
    QCOMPARE(d.selector("sltCreator")->SelectedID(), vela::SuiteDatabase::DemoAdminUserID);
    QVERIFY(d.form().currentPicture().isNull());

    // Cancel of a new record answered yes: empty form.
    FormDriver::type(d.edit("txtName"), QStringLiteral("میز"));
    messages.queue({1});
    d.click("cmdCancel");
    QCOMPARE(d.form().FormMode, int(FormMain::ModeEmpty));
    QCOMPARE(d.caption(), Caption);
    QVERIFY(allInputsEmpty(d));

    // None of it reached the database.
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM tblAssetEstablishment")).toInt(), records);
    QCOMPARE(db.scalar(QStringLiteral("SELECT Name FROM tblAssetEstablishment WHERE ID=1")).toString(), storedName);
}

void TestFormMainModes::refusals()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db, vela::SuiteDatabase::DemoViewerUserID);
    d.view(1);
    const QString name = d.edit("txtName")->text();
    QVERIFY(!name.isEmpty());

    d.takeTrace();
    d.click("cmdEdit");
    QVERIFY(d.takeTrace().contains(QStringLiteral("CALL spOrvoHasPermission(2, 102214802)")));
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().title, TitleError);
    QCOMPARE(messages.last().text, NotAllowed);
    QCOMPARE(messages.last().type, 0);
    QCOMPARE(d.form().FormMode, int(FormMain::ModeView));

    d.click("cmdNew");
    QVERIFY(d.takeTrace().contains(QStringLiteral("CALL spOrvoHasPermission(2, 102214801)")));
    QCOMPARE(messages.count(), 2);
    QCOMPARE(messages.last().text, NotAllowed);
    QCOMPARE(d.form().FormMode, int(FormMain::ModeView));
    QCOMPARE(d.caption(), Caption + QStringLiteral(" (مشاهده)"));
    QCOMPARE(d.edit("txtName")->text(), name);
}

void TestFormMainModes::missingRecord()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    d.view(9999);
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().title, TitleError);
    QCOMPARE(messages.last().text, QStringLiteral("ركورد مورد نظر يافت نشد."));
    QCOMPARE(d.form().FormMode, int(FormMain::ModeView));
    QVERIFY(allInputsEmpty(d));

    // Edit of the empty identifier asks for record -1 and stays in edit mode, empty.
    d.takeTrace();
    d.click("cmdEdit");
    QVERIFY(d.takeTrace().contains(QStringLiteral("select * from tblAssetEstablishment Where ID=-1")));
    QCOMPARE(messages.count(), 2);
    QCOMPARE(messages.last().text, QStringLiteral("ركورد مورد نظر يافت نشد."));
    QCOMPARE(d.form().FormMode, int(FormMain::ModeEdit));
    QVERIFY(allInputsEmpty(d));
}

void TestFormMainModes::closingUnloads()
{
    TestDatabase db;
    FormDriver d(db);
    d.view(1);
    QVERIFY(FormMain::isLoaded());
    d.form().close();
    QVERIFY(!FormMain::isLoaded());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    d.takeTrace();
    d.clearShow();
    QCOMPARE(d.takeTrace().count(QStringLiteral("Select Isnull(BasePath,'') as InstallDirectory from vwOrvoBasePath Where ID=1 ")), 1);
    QCOMPARE(d.form().FormMode, int(FormMain::ModeEmpty));
    QVERIFY(d.form().isVisible());
}

void TestFormMainModes::search()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    d.view(1);
    d.click("cmdEdit");
    FormDriver::type(d.edit("txtName"), QStringLiteral("x"));

    // The user looks up record 7 and takes it: shown read-only, the edits dropped unasked.
    bool searched = false;
    QTimer::singleShot(0, this, [&searched] {
        auto *search = qobject_cast<vela::FormSearch *>(QApplication::activeModalWidget());
        if (!search)
            return;
        search->findChild<QLineEdit *>(QStringLiteral("txtID"))->setText(QStringLiteral("7"));
        search->cmdSearch_Click();
        search->flxSearch->setRow(1);
        search->flxSearch_DblClick();
        searched = true;
    });
    d.click("cmdSearch");
    QVERIFY(searched);
    QCOMPARE(d.form().FormMode, int(FormMain::ModeView));
    QCOMPARE(d.edit("txtID")->text(), QStringLiteral("7"));
    QCOMPARE(d.edit("txtName")->text(),
             db.scalar(QStringLiteral("SELECT Name FROM tblAssetEstablishment WHERE ID=7")).toString());

    // Left without a choice: nothing changes and no record is read.
    QTimer::singleShot(0, this, [] {
        if (auto *search = qobject_cast<vela::FormSearch *>(QApplication::activeModalWidget()))
            search->cmdExit_Click();
    });
    d.takeTrace();
    d.click("cmdSearch");
    QVERIFY(!d.takeTrace().join(QLatin1Char('\n')).contains(QLatin1String("from tblAssetEstablishment Where ID=")));
    QCOMPARE(d.edit("txtID")->text(), QStringLiteral("7"));
    QCOMPARE(d.form().FormMode, int(FormMain::ModeView));
    QCOMPARE(messages.count(), 0);
    vela::FormSearch::unload();
}

QTEST_MAIN(TestFormMainModes)
#include "tst_formmain_modes.moc"
