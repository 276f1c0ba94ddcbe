// The record's description and the statements it derives, compared whole with literal texts: the
// asset record's own, and those of a description with one more column.
#include "shared/AssetRecord.h"

#include <QMap>
#include <QtTest>

using namespace vela::record;

namespace {

// Values by column name; the columns not named are empty.
Values valuesOf(const Description &d, const QMap<QString, Value> &byName)
{
    Values values(d.columns.size());
    for (size_t i = 0; i < d.columns.size(); ++i)
        values[i] = byName.value(d.columns[i].name.toString());
    return values;
}

Value v(const QString &text, const QString &twin = {})
{
    return {false, text, twin};
}

const QMap<QString, Value> Required = {
    {QStringLiteral("CreatorID"), v(QStringLiteral("1"))},
    {QStringLiteral("LabelNo"), v(QStringLiteral("PL-7"))},
    {QStringLiteral("Name"), v(QStringLiteral("O'Neil"))},
    {QStringLiteral("UtilizationDate"),
        v(QStringLiteral("2023-08-01"), QStringLiteral("1402/05/10"))},
    {QStringLiteral("TypeID"), v(QStringLiteral("5"))},
    {QStringLiteral("Cost"), v(QStringLiteral("1500000.25"))},
    {QStringLiteral("AccumulatedCost"), v(QStringLiteral("0"))},
    {QStringLiteral("AbortCost"), v(QStringLiteral("-12"))},
    {QStringLiteral("StatusTypeID"), v(QStringLiteral("7"))},
};

// The asset record with a required text column SerialNo after Name, searched last.
struct WithSerialNo {
    std::vector<Column> columns;
    Description description;
    WithSerialNo()
    {
        const Description &a = asset();
        for (const Column &c : a.columns) {
            columns.push_back(c);
            if (c.name == u"Name")
                columns.push_back({.name = u"SerialNo",
                    .kind = Kind::Text,
                    .control = "txtSerialNo",
                    .label = "lblSerialNo",
                    .caption = u"شماره سريال:",
                    .missing = u"شماره سريال مشخص نشده است!",
                    .filterPlace = 21,
                    .fragmentOrder = 21,
                    .fragment = u" and SerialNo like '%"});
        }
        description = {a.table, columns};
    }
};

} // namespace

class TstAssetRecord : public QObject {
    Q_OBJECT
private slots:
    void assetStatements();
    void extraColumn();
    void orders();
};

void TstAssetRecord::assetStatements()
{
    const Description &d = asset();
    QCOMPARE(d.columns.size(), size_t(25));
    QCOMPARE(insertStatement(d, valuesOf(d, Required)),
        QStringLiteral(
            "insert into tblAssetEstablishment (CreatorID,LabelNo,Name,UtilizationDate,"
            "FarsiUtilizationDate,TypeID,Cost,AccumulatedCost,AbortCost,StatusTypeID) "
            "values (1, 'PL-7','O''Neil', '2023-08-01','1402/05/10',5,1500000.25,0,-12,7)"));
    QCOMPARE(updateStatement(d, valuesOf(d, Required), QStringLiteral("57")),
        QStringLiteral(
            "Update tblAssetEstablishment Set CreatorID=1,LabelNo='PL-7',OldLabelNo=NULL,"
            "Code=NULL,Name='O''Neil',UtilizationDate='2023-08-01',"
            "FarsiUtilizationDate='1402/05/10',CreateDate=NULL,FarsiCreateDate=NULL,"
            "TypeID=5,Cost=1500000.25,AccumulatedCost=0,AbortCost=-12,OfficeMaxCost=NULL,"
            "StatusTypeID=7,DocumentNo=NULL,DocumentDate=NULL,FarsiDocumentDate=NULL,"
            "ReevaluationDate=NULL,FarsiReevaluationDate=NULL,GroupID=NULL,"
            "LocationID=NULL,OrganizationLocation=NULL,AccountableID=NULL,"
            "ResponsibleID=NULL,CostCenterID=NULL,BranchID=NULL,Description=NULL "
            "Where ID=57"));
    QCOMPARE(searchCondition(d, valuesOf(d, {})), QStringLiteral("1=1"));
    // Every filter, in the condition's own order (not the columns').
    QMap<QString, Value> all;
    for (const Column &c : d.columns)
        all[c.name.toString()] = v(c.name.toString(), QStringLiteral("x"));
    all[QStringLiteral("Description")] = v(QStringLiteral("it's"));
    QCOMPARE(searchCondition(d, valuesOf(d, all)),
        QStringLiteral("1=1 and Description like '%it''s%' and DocumentNo like '%DocumentNo%' and "
                       "ID = ID and LabelNo like '%LabelNo%' and Name like '%Name%' and OldLabelNo "
                       "like '%OldLabelNo%' and OrganizationLocation like '%OrganizationLocation%'"
                       " and AccountableID = AccountableID and CostCenterID = CostCenterID and "
                       "BranchID = BranchID and CreatorID = CreatorID and GroupID = GroupID and "
                       "LocationID = LocationID and ResponsibleID = ResponsibleID and StatusTypeID "
                       "= StatusTypeID and TypeID = TypeID and CreateDate = 'CreateDate' and "
                       "DocumentDate = 'DocumentDate' and UtilizationDate = 'UtilizationDate' and "
                       "ReEvaluationDate = 'ReevaluationDate'"));
}

void TstAssetRecord::extraColumn()
{
    // The extra column takes its place after Name in both statements, the rest unchanged.
    const WithSerialNo extended;
    const Description &d = extended.description;
    QMap<QString, Value> values = Required;
    values[QStringLiteral("SerialNo")] = v(QStringLiteral("SN-1"));
    const Description &a = asset();
    QCOMPARE(insertStatement(d, valuesOf(d, values)),
        insertStatement(a, valuesOf(a, Required))
            .replace(QLatin1String("Name,"), QLatin1String("Name,SerialNo,"))
            .replace(QLatin1String("'O''Neil',"), QLatin1String("'O''Neil','SN-1',")));
    QCOMPARE(updateStatement(d, valuesOf(d, values), QStringLiteral("3")),
        updateStatement(a, valuesOf(a, Required), QStringLiteral("3"))
            .replace(QLatin1String("Name='O''Neil',"),
                QLatin1String("Name='O''Neil',SerialNo='SN-1',")));
    QCOMPARE(searchCondition(d,
                 valuesOf(d,
                     {{QStringLiteral("SerialNo"), v(QStringLiteral("SN"))},
                         {QStringLiteral("Name"), v(QStringLiteral("میز"))}})),
        QStringLiteral("1=1 and Name like '%میز%' and SerialNo like '%SN%'"));
}

void TstAssetRecord::orders()
{
    // The search form's filters read in the order of their table, not of the columns.
    QStringList places;
    for (const Column *c : byFilterPlace(asset()))
        places << QLatin1String(c->control);
    QCOMPARE(places.join(u' '),
        QStringLiteral("txtID txtName txtLabelNo txtOldLabelNo txtDocumentNo "
                       "txtOrganizationLocation txtDescription sltCreator sltType sltStatusType "
                       "sltGroup sltLocation sltAccountable sltResponsible sltCostCenter sltBranch "
                       "datCreateDate datUtilizationDate datDocumentDate datReevaluationDate"));
}

QTEST_APPLESS_MAIN(TstAssetRecord)
#include "tst_assetrecord.moc"
