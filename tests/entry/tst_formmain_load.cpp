// Loading a stored record: every column into its control, NULLs as empty controls.
#include "entry/FormDriver.h"

namespace {
// Control, column, kind: t text, l lookup, m money, d date.
const char *const Columns[][3] = {
    {"txtID", "ID", "t"},
    {"sltCreator", "CreatorID", "l"},
    {"txtLabelNo", "LabelNo", "t"},
    {"txtOldLabelNo", "OldLabelNo", "t"},
    {"txtCode", "Code", "t"},
    {"txtName", "Name", "t"},
    {"datUtilizationDate", "UtilizationDate", "d"},
    {"datCreateDate", "CreateDate", "d"},
    {"sltType", "TypeID", "l"},
    {"txtCost", "Cost", "m"},
    {"txtAccumulatedCost", "AccumulatedCost", "m"},
    {"txtAbortCost", "AbortCost", "m"},
    {"txtOfficeMaxCost", "OfficeMaxCost", "m"},
    {"sltStatusType", "StatusTypeID", "l"},
    {"txtDocumentNo", "DocumentNo", "t"},
    {"datDocumentDate", "DocumentDate", "d"},
    {"datReevaluationDate", "ReevaluationDate", "d"},
    {"sltGroup", "GroupID", "l"},
    {"sltLocation", "LocationID", "l"},
    {"txtOrganizationLocation", "OrganizationLocation", "t"},
    {"sltAccountable", "AccountableID", "l"},
    {"sltResponsible", "ResponsibleID", "l"},
    {"sltCostCenter", "CostCenterID", "l"},
    {"sltBranch", "BranchID", "l"},
    {"txtDescription", "Description", "t"},
};

// The control's value in the form the database holds it; NULL as an invalid variant.
QVariant shown(FormDriver &d, const char *const c[3])
{
    QString s;
    if (c[2][0] == 'l')
        s = d.get<vela::OrvoSelector>(c[0])->IsEmpty()
            ? QString()
            : QString::number(d.get<vela::OrvoSelector>(c[0])->SelectedID());
    else if (c[2][0] == 'm')
        s = d.get<vela::OrvoCurrency>(c[0])->Text();
    else if (c[2][0] == 'd')
        s = d.get<vela::OrvoDate>(c[0])->Value().toString(Qt::ISODate);
    else
        s = qstrcmp(c[0], "txtDescription") ? d.text(c[0])
                                            : d.get<QPlainTextEdit>(c[0])->toPlainText();
    return s.isEmpty() ? QVariant() : QVariant(s);
}
} // namespace

class TestFormMainLoad : public QObject {
    Q_OBJECT
private slots:
    void everyColumn();
};

void TestFormMainLoad::everyColumn()
{
    TestDatabase db;
    MessageRecorder messages;
    // A fraction, a quote, and a record whose every optional column is NULL.
    db.exec(QStringLiteral(
        "UPDATE tblAssetEstablishment SET AbortCost='98765432109876.25', Name='O''Brien' WHERE ID=2;"
        "INSERT INTO tblAssetEstablishment (ID, CreatorID, LabelNo, Name, UtilizationDate, "
        "FarsiUtilizationDate, TypeID, Cost, AccumulatedCost, AbortCost, StatusTypeID) "
        "VALUES (900, 2, '900900', 'میز', '2020-03-20', '1399/01/01', 1, 10, 0, 0, 1)"));
    FormDriver d(db);
    for (int id : {1, 2, 3, 900}) {
        d.host.View(id);
        for (const auto &c : Columns) {
            // The stored value's text, as the fixture reads it on either engine.
            QVariant stored
                = db.scalar(QStringLiteral("SELECT %1 FROM tblAssetEstablishment WHERE ID=%2")
                                .arg(QLatin1String(c[1]))
                                .arg(id));
            if (stored.isValid())
                stored = stored.toString();
            QVERIFY2(shown(d, c) == stored,
                qPrintable(QStringLiteral("%1 of %2").arg(QLatin1String(c[1])).arg(id)));
        }
        const QString farsi
            = db.scalar(QStringLiteral(
                            "SELECT FarsiUtilizationDate FROM tblAssetEstablishment WHERE ID=%1")
                            .arg(id))
                  .toString();
        QCOMPARE(d.get<vela::OrvoDate>("datUtilizationDate")->PersianDate(), farsi);
    }
    QCOMPARE(d.get<vela::OrvoSelector>("sltGroup")->SelectedID(), -1);
    QVERIFY(d.form().currentPicture().isNull()); // record 900 has no attachment
    QVERIFY(
        d.takeTrace().contains(QStringLiteral("select * from tblAssetEstablishment Where ID=900")));
    // Without its date of first use the record still loads, the date empty.
    db.exec(QStringLiteral("UPDATE tblAssetEstablishment SET UtilizationDate=NULL WHERE ID=900"));
    d.host.View(900);
    QVERIFY(d.get<vela::OrvoDate>("datUtilizationDate")->IsEmpty());
    QCOMPARE(d.text("txtName"), QStringLiteral("میز"));
    QCOMPARE(messages.count(), 0);
}

QTEST_MAIN(TestFormMainLoad)
#include "tst_formmain_load.moc"
