// The entry form's start-up, its four modes and the new, edit and cancel commands,
// driven through the host control and the form's buttons.
#include "entry/FormDriver.h"

using vela::FormMain;

namespace {
const QString Caption = QStringLiteral("استقرار");
const QString NotAllowed = QStringLiteral("شما به انجام اين عمليات مجاز نيستيد.");
const QString InstallSql = QStringLiteral(
    "Select Isnull(BasePath,'') as InstallDirectory from vwOrvoBasePath Where ID=1 ");

// Enabled per mode (view, edit, new, empty); the last seven are left alone by the modes.
const char *const ModeTable[][2] = {
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
    {"cmdPreview", "1111"},
    {"cmdViewAccountDoc", "1111"},
    {"cmdDocGen", "1111"},
    {"cmdLeft", "1111"},
    {"cmdRefreshPicture", "1111"},
    {"cmdRight", "1111"},
    {"cmdEditPicture", "1111"},
};

void checkMode(FormDriver &d, int mode, const QString &caption)
{
    QCOMPARE(d.form().FormMode, mode);
    QCOMPARE(d.form().windowTitle(), caption);
    for (const auto &row : ModeTable)
        QVERIFY2(d.get(row[0])->isEnabled() == (row[1][mode] == '1'), row[0]);
}

// Every text field, also those inside the selectors, dates and amounts, is empty (the creator
// and today's date aside).
bool inputsEmpty(FormDriver &d)
{
    for (QLineEdit *e : d.form().findChildren<QLineEdit *>())
        if (!e->text().isEmpty() && !d.get("sltCreator")->isAncestorOf(e)
            && !d.get("datToday")->isAncestorOf(e))
            return false;
    return d.get<QPlainTextEdit>("txtDescription")->toPlainText().isEmpty();
}
} // namespace

class TestFormMainModes : public QObject {
    Q_OBJECT
private slots:
    void startUp();
    void modesAndTransitions();
    void refusalsAndMissingRecord();
    void closeBoxAsksLikeCancel();
};

void TestFormMainModes::startUp()
{
    TestDatabase db;
    db.exec(QStringLiteral("UPDATE tblOrvoSetting SET BasePath='/opt/orvo/'"));
    FormDriver d(db);
    d.host.ClearShow();
    QStringList trace = d.takeTrace();
    QCOMPARE(trace.count(InstallSql), 1);
    QVERIFY(trace.indexOf(InstallSql) < trace.indexOf(QStringLiteral("Select getdate() as today")));
    QCOMPARE(d.form().InstallDirectory, QStringLiteral("/opt/orvo/"));
    QVERIFY(d.form().isVisible());
    QCOMPARE(d.get<vela::OrvoSelector>("sltCreator")->SelectedID(), 1); // the current user
    QVERIFY(qAbs(d.get<vela::OrvoDate>("datToday")->Value().daysTo(QDate::currentDate())) <= 1);
    for (const char *s : {"sltCreator", "sltType", "sltStatusType", "sltGroup", "sltLocation",
             "sltAccountable", "sltResponsible", "sltCostCenter", "sltBranch"})
        QVERIFY2(d.get<vela::OrvoSelector>(s)->itemCount() > 0, s);
    QCOMPARE(d.get<vela::OrvoSelector>("sltResponsible")->MinorView(),
        QStringLiteral("vwEmployeeMajor"));

    // Start-up runs once per load: again only after the user closed the form; with no setting
    // row the installation directory is empty and the form still opens.
    d.host.View(1);
    QCOMPARE(d.takeTrace().count(InstallSql), 0);
    d.form().close();
    QVERIFY(!FormMain::isLoaded());
    db.exec(QStringLiteral("DELETE FROM tblOrvoSetting"));
    d.host.ClearShow();
    QCOMPARE(d.takeTrace().count(InstallSql), 1);
    QCOMPARE(d.form().InstallDirectory, QString());
    QVERIFY(d.form().isVisible());
}

void TestFormMainModes::modesAndTransitions()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    const QString name
        = db.scalar(QStringLiteral("SELECT Name FROM tblAssetEstablishment WHERE ID=1")).toString();
    d.host.ClearShow();
    checkMode(d, 3, Caption);
    d.host.View(1);
    checkMode(d, 0, Caption + QStringLiteral(" (مشاهده)"));
    d.click("cmdEdit");
    checkMode(d, 1, Caption + QStringLiteral(" (اصلاح)"));
    QVERIFY(d.takeTrace().contains(QStringLiteral("CALL spOrvoHasPermission(1, 102214802)")));

    // Cancel answered no keeps the edits; yes reloads the stored record in view mode.
    d.type("txtName", QStringLiteral(" تغییر"));
    messages.queue({0});
    d.click("cmdCancel");
    QCOMPARE(messages.last().title, QStringLiteral("انصراف از ثبت"));
    QCOMPARE(messages.last().text, QStringLiteral("آيا مطمئن هستيد؟"));
    QCOMPARE(d.text("txtName"), name + QStringLiteral(" تغییر"));
    messages.queue({1});
    d.click("cmdCancel");
    checkMode(d, 0, Caption + QStringLiteral(" (مشاهده)"));
    QCOMPARE(d.text("txtName"), name);

    // New from edit drops the edits unasked; the creator is the current user.
    d.click("cmdEdit");
    d.type("txtLabelNo", QStringLiteral("77"));
    d.click("cmdNew");
    checkMode(d, 2, Caption + QStringLiteral(" (جديد)"));
    QVERIFY(inputsEmpty(d));
    QCOMPARE(d.get<vela::OrvoSelector>("sltCreator")->SelectedID(), 1);
    QCOMPARE(messages.count(), 2);
    d.takeTrace();
    d.click("cmdEdit"); // disabled: starts nothing
    QVERIFY(d.takeTrace().isEmpty());
    d.type("txtName", QStringLiteral("میز"));
    d.click("cmdCancel"); // answered yes
    checkMode(d, 3, Caption);
    QVERIFY(inputsEmpty(d));
    QCOMPARE(
        db.scalar(QStringLiteral("SELECT Name FROM tblAssetEstablishment WHERE ID=1")).toString(),
        name);
}

void TestFormMainModes::refusalsAndMissingRecord()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db, vela::SuiteDatabase::DemoViewerUserID);
    d.host.View(1);
    for (const char *command : {"cmdEdit", "cmdNew"}) {
        d.click(command);
        QCOMPARE(messages.last().title, QStringLiteral("خطا"));
        QCOMPARE(messages.last().text, NotAllowed);
        checkMode(d, 0, Caption + QStringLiteral(" (مشاهده)"));
        QCOMPARE(d.text("txtID"), QStringLiteral("1"));
    }
    // A record that is not there: reported once, view mode with empty inputs; edit then asks
    // for record -1 and ends in edit mode, empty.
    d.host.View(9999);
    QCOMPARE(messages.count(), 3);
    QCOMPARE(messages.last().text, QStringLiteral("ركورد مورد نظر يافت نشد."));
    QCOMPARE(d.form().FormMode, int(FormMain::ModeView));
    QVERIFY(inputsEmpty(d));
    d.host.setUserID(1);
    d.host.View(9999);
    d.takeTrace();
    d.click("cmdEdit");
    QVERIFY(
        d.takeTrace().contains(QStringLiteral("select * from tblAssetEstablishment Where ID=-1")));
    QCOMPARE(d.form().FormMode, int(FormMain::ModeEdit));
    QVERIFY(inputsEmpty(d));
}

void TestFormMainModes::closeBoxAsksLikeCancel()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    d.host.View(1);
    d.click("cmdEdit");
    d.type("txtName", QStringLiteral(" تغییر"));
    const QString edited = d.text("txtName");
    // No keeps the form open with the edits; yes closes it.
    messages.queue({0});
    QVERIFY(!d.form().close());
    QCOMPARE(messages.last().title, QStringLiteral("انصراف از ثبت"));
    QCOMPARE(messages.last().text, QStringLiteral("آيا مطمئن هستيد؟"));
    QVERIFY(FormMain::isLoaded() && d.form().isVisible());
    QCOMPARE(d.form().FormMode, int(FormMain::ModeEdit));
    QCOMPARE(d.text("txtName"), edited);
    messages.queue({1});
    QVERIFY(d.form().close());
    QVERIFY(!FormMain::isLoaded());
    // New mode asks too; view and empty mode close unasked.
    d.host.ClearShow();
    d.click("cmdNew");
    messages.queue({0});
    QVERIFY(!d.form().close());
    QCOMPARE(messages.count(), 3);
    d.host.View(1);
    QVERIFY(d.form().close());
    d.host.ClearShow();
    QVERIFY(d.form().close());
    QCOMPARE(messages.count(), 3);
}

QTEST_MAIN(TestFormMainModes)
#include "tst_formmain_modes.moc"
