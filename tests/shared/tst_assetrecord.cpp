// The statements a record description derives, for a description with one more column than the
// asset record's: the extra column takes its place and the rest stays as the asset record's own
// (whose texts the statement trace and the search form's tests compare whole); and the order of
// the search form's filters.
#include "shared/AssetRecord.h"

#include <QtTest>

using namespace vela::record;

namespace {

// Values by column name from "Name=text" or "Name=date,twin" parts separated by "|"; the
// columns not named are empty.
Values valuesOf(const Description &d, const QString &assignments)
{
    Values values(d.columns.size());
    for (const QString &part : assignments.split(u'|', Qt::SkipEmptyParts)) {
        const QStringList value = part.section(u'=', 1).split(u',');
        for (size_t i = 0; i < d.columns.size(); ++i)
            if (d.columns[i].name == part.section(u'=', 0, 0))
                values[i] = {false, value[0], value.value(1)};
    }
    return values;
}

const QString Required = QStringLiteral(
    "CreatorID=1|LabelNo=PL-7|Name=O'Neil|UtilizationDate=2023-08-01,1402/05/10|TypeID=5|"
    "Cost=1500000.25|AccumulatedCost=0|AbortCost=-12|StatusTypeID=7");

} // namespace

class TstAssetRecord : public QObject {
    Q_OBJECT
private slots:
    void extraColumn();
    void filterOrder();
};

void TstAssetRecord::extraColumn()
{
    // The asset record with a required text column SerialNo after Name, searched last.
    const Description &a = asset();
    std::vector<Column> columns;
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
    const Description d {a.table, columns};
    const Values values = valuesOf(d, Required + "|SerialNo=SN-1");
    QCOMPARE(insertStatement(d, values),
        insertStatement(a, valuesOf(a, Required))
            .replace(QLatin1String("Name,"), QLatin1String("Name,SerialNo,"))
            .replace(QLatin1String("'O''Neil',"), QLatin1String("'O''Neil','SN-1',")));
    QCOMPARE(updateStatement(d, values, QStringLiteral("3")),
        updateStatement(a, valuesOf(a, Required), QStringLiteral("3"))
            .replace(QLatin1String("Name='O''Neil',"),
                QLatin1String("Name='O''Neil',SerialNo='SN-1',")));
    QCOMPARE(searchCondition(d, valuesOf(d, "SerialNo=SN|Name=میز")),
        QStringLiteral("1=1 and Name like '%میز%' and SerialNo like '%SN%'"));
}

void TstAssetRecord::filterOrder()
{
    // The search form's filters (and its tab order) follow their table, not the columns.
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
