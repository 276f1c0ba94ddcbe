// Loading a stored record: every column into its control, NULLs as empty controls, and the
// statements that run.
#include "common/MessageRecorder.h"
#include "common/TestDatabase.h"
#include "entry/FormDriver.h"

class TestFormMainLoad : public QObject {
    Q_OBJECT
private slots:
    void everyColumn();
    void nullColumns();
    void fractionsAndStatements();
};

namespace {

QDate dbDate(const QVariant &v)
{
    return v.isValid() ? QDate::fromString(v.toString(), QStringLiteral("yyyy-MM-dd")) : QDate();
}

// The stored text of an amount as the amount control is given it: plain decimal digits.
QString dbAmount(const QVariant &v)
{
    if (!v.isValid())
        return QString();
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'f', 4).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
    return v.toString();
}

qint32 dbId(const QVariant &v)
{
    return v.isValid() ? v.toInt() : -1;
}

} // namespace

void TestFormMainLoad::everyColumn()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    // Records with NULLs in different places: every control is checked against the row.
    for (qint32 id : {1, 2, 3}) {
        d.view(id);
        const QVariantList r = db.rows(QStringLiteral(
            "SELECT ID, CreatorID, LabelNo, OldLabelNo, Code, Name, UtilizationDate, CreateDate, TypeID, Cost, "
            "AccumulatedCost, AbortCost, OfficeMaxCost, StatusTypeID, DocumentNo, DocumentDate, ReevaluationDate, "
            "GroupID, LocationID, OrganizationLocation, AccountableID, ResponsibleID, CostCenterID, BranchID, "
            "Description FROM tblAssetEstablishment WHERE ID=%1").arg(id)).value(0);
        QCOMPARE(r.size(), 25);
        QCOMPARE(d.edit("txtID")->text(), QString::number(id));
        QCOMPARE(d.selector("sltCreator")->SelectedID(), dbId(r[1]));
        QCOMPARE(d.edit("txtLabelNo")->text(), r[2].toString());
        QCOMPARE(d.edit("txtOldLabelNo")->text(), r[3].toString());
        QCOMPARE(d.edit("txtCode")->text(), r[4].toString());
        QCOMPARE(d.edit("txtName")->text(), r[5].toString());
        QCOMPARE(d.date("datUtilizationDate")->Value(), dbDate(r[6]));
        QCOMPARE(d.date("datCreateDate")->Value(), dbDate(r[7]));
        QCOMPARE(d.selector("sltType")->SelectedID(), dbId(r[8]));
        QCOMPARE(d.amount("txtCost")->Text(), dbAmount(r[9]));
        QCOMPARE(d.amount("txtAccumulatedCost")->Text(), dbAmount(r[10]));
        QCOMPARE(d.amount("txtAbortCost")->Text(), dbAmount(r[11]));
        QCOMPARE(d.amount("txtOfficeMaxCost")->Text(), dbAmount(r[12]));
        QCOMPARE(d.selector("sltStatusType")->SelectedID(), dbId(r[13]));
        QCOMPARE(d.edit("txtDocumentNo")->text(), r[14].toString());
        QCOMPARE(d.date("datDocumentDate")->Value(), dbDate(r[15]));
        QCOMPARE(d.date("datReevaluationDate")->Value(), dbDate(r[16]));
        QCOMPARE(d.selector("sltGroup")->SelectedID(), dbId(r[17]));
        QCOMPARE(d.selector("sltLocation")->SelectedID(), dbId(r[18]));
        QCOMPARE(d.edit("txtOrganizationLocation")->text(), r[19].toString());
        QCOMPARE(d.selector("sltAccountable")->SelectedID(), dbId(r[20]));
        QCOMPARE(d.selector("sltResponsible")->SelectedID(), dbId(r[21]));
        QCOMPARE(d.selector("sltCostCenter")->SelectedID(), dbId(r[22]));
        QCOMPARE(d.selector("sltBranch")->SelectedID(), dbId(r[23]));
        QCOMPARE(d.control<QPlainTextEdit>("txtDescription")->toPlainText(), r[24].toString());
        // The Persian dates come from the calendar dates.
        const QString farsi = db.scalar(QStringLiteral("SELECT FarsiUtilizationDate FROM tblAssetEstablishment WHERE ID=%1").arg(id)).toString();
        QCOMPARE(d.date("datUtilizationDate")->PersianDate(), farsi);
    }
    QCOMPARE(messages.count(), 0);
}

void TestFormMainLoad::nullColumns()
{
    TestDatabase db;
    MessageRecorder messages;
    db.exec(QStringLiteral(
        "INSERT INTO tblAssetEstablishment (ID, CreatorID, LabelNo, Name, UtilizationDate, FarsiUtilizationDate, "
        "TypeID, Cost, AccumulatedCost, AbortCost, StatusTypeID) "
        "VALUES (900, 2, '900900', 'میز', '2020-03-20', '1399/01/01', 1, 10, 0, 0, 1)"));
    FormDriver d(db);
    // A record with every date set first, so that the next load has something to clear.
    d.view(1);
    QVERIFY(!d.date("datCreateDate")->IsEmpty());
    QVERIFY(!d.selector("sltGroup")->IsEmpty());

    d.view(900);
    QCOMPARE(messages.count(), 0);
    QCOMPARE(d.selector("sltCreator")->SelectedID(), 2);
    QCOMPARE(d.date("datUtilizationDate")->PersianDate(), QStringLiteral("1399/01/01"));
    for (const char *s : {"sltGroup", "sltLocation", "sltAccountable", "sltResponsible", "sltCostCenter", "sltBranch"}) {
        QVERIFY2(d.selector(s)->IsEmpty(), s);
        QCOMPARE(d.selector(s)->SelectedID(), -1);
    }
    for (const char *t : {"txtOldLabelNo", "txtCode", "txtDocumentNo", "txtOrganizationLocation"})
        QVERIFY2(d.edit(t)->text().isEmpty(), t);
    QVERIFY(d.amount("txtOfficeMaxCost")->Text().isEmpty());
    QCOMPARE(d.amount("txtAccumulatedCost")->Text(), QStringLiteral("0"));
    for (const char *t : {"datCreateDate", "datDocumentDate", "datReevaluationDate"})
        QVERIFY2(d.date(t)->IsEmpty(), t);
    QVERIFY(d.control<QPlainTextEdit>("txtDescription")->toPlainText().isEmpty());
    // No attachments: the picture stays empty.
    QVERIFY(d.form().currentPicture().isNull());

    // A stored row without its date of first use loads with the date empty.
    db.exec(QStringLiteral("UPDATE tblAssetEstablishment SET UtilizationDate=NULL, FarsiUtilizationDate=NULL WHERE ID=900"));
    d.view(900);
    QCOMPARE(messages.count(), 0);
    QVERIFY(d.date("datUtilizationDate")->IsEmpty());
    QCOMPARE(d.edit("txtName")->text(), QStringLiteral("میز"));
}

void TestFormMainLoad::fractionsAndStatements()
{
    TestDatabase db;
    MessageRecorder messages;
    db.exec(QStringLiteral("UPDATE tblAssetEstablishment SET AbortCost=4250000000.5, Name='O''Brien ''s' WHERE ID=2"));
    FormDriver d(db);
    d.clearShow();
    d.takeTrace();
    d.view(2);
    const QStringList trace = d.takeTrace();
    const int load = int(trace.indexOf(QStringLiteral("select * from tblAssetEstablishment Where ID=2")));
    const int picture = int(trace.indexOf(QStringLiteral(
        "Select * from tblOrvoFormAttachment Where FormTypeID = 1022148 and FormID = 2 and RowNumber = 1")));
    QVERIFY(load >= 0);
    QVERIFY(picture > load);
    QCOMPARE(d.amount("txtAbortCost")->Text(), QStringLiteral("4250000000.5"));
    QCOMPARE(d.edit("txtName")->text(), QStringLiteral("O'Brien 's"));

    // A record that is not there: one message, and the attachment query still runs for -1.
    d.view(77777);
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().text, QStringLiteral("ركورد مورد نظر يافت نشد."));
    QVERIFY(d.takeTrace().contains(QStringLiteral(
        "Select * from tblOrvoFormAttachment Where FormTypeID = 1022148 and FormID = -1 and RowNumber = 1")));
}

QTEST_MAIN(TestFormMainLoad)
#include "tst_formmain_load.moc"
