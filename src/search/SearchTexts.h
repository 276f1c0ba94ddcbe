#pragma once
// The search form's fixed texts: captions, the statement pieces and the condition fragments.
// They mix Arabic and Persian forms of Yeh and Kaf exactly as the suite's other forms and its
// database expect; keep them byte for byte.
#include <QString>

namespace vela::SearchTexts {

struct FilterText {
    const char *control; // objectName of the filter control
    const char *column; // its column in tblAssetEstablishment
    QString caption; // its label
};

struct Fragment {
    const char *control;
    QString before; // text before the value
    QString after; // text after the value (empty for numbers)
};

struct ButtonText {
    const char *name;
    QString caption;
};

struct SelectorViews {
    const char *name;
    QString majorView;
    QString minorView;
};

// control, column, label caption
inline const FilterText FilterTexts[] = {
    {"txtID", "ID", QStringLiteral("شماره رايانه اي:")},
    {"txtName", "Name", QStringLiteral("عنوان دارايي:")},
    {"txtLabelNo", "LabelNo", QStringLiteral("شماره پلاک:")},
    {"txtOldLabelNo", "OldLabelNo", QStringLiteral("شماره پلاک قديم:")},
    {"txtDocumentNo", "DocumentNo", QStringLiteral("شماره سند:")},
    {"txtOrganizationLocation", "OrganizationLocation", QStringLiteral("واحد سازماني:")},
    {"txtDescription", "Description", QStringLiteral("شرح:")},
    {"sltCreator", "CreatorID", QStringLiteral("ايجاد کننده:")},
    {"sltType", "TypeID", QStringLiteral("نوع:")},
    {"sltStatusType", "StatusTypeID", QStringLiteral("وضعيت دارايي:")},
    {"sltGroup", "GroupID", QStringLiteral("گروه:")},
    {"sltLocation", "LocationID", QStringLiteral("محل استقرار:")},
    {"sltAccountable", "AccountableID", QStringLiteral("جمعدار:")},
    {"sltResponsible", "ResponsibleID", QStringLiteral("مسوول:")},
    {"sltCostCenter", "CostCenterID", QStringLiteral("مرکزهزينه:")},
    {"sltBranch", "BranchID", QStringLiteral("شعبه:")},
    {"datCreateDate", "CreateDate", QStringLiteral("تاريخ ايجاد:")},
    {"datUtilizationDate", "UtilizationDate", QStringLiteral("تاريخ بهره برداي:")},
    {"datDocumentDate", "DocumentDate", QStringLiteral("تاريخ سند:")},
    {"datReevaluationDate", "ReevaluationDate", QStringLiteral("تاريخ تجديد ارزيابي:")},
};
inline const QString ResultHeaders[28] = {
    QStringLiteral("شماره رايانه اي"),
    QStringLiteral("ايجاد کننده"),
    QStringLiteral("شماره پلاک"),
    QStringLiteral("شماره پلاک قديم"),
    QStringLiteral("کد کالا"),
    QStringLiteral("عنوان دارايي"),
    QStringLiteral("تاريخ بهره برداري"),
    QStringLiteral("تاريخ بهره برداري"),
    QStringLiteral("تاريخ ايجاد"),
    QStringLiteral("تاريخ ايجاد"),
    QStringLiteral("نوع"),
    QStringLiteral("قيمت تمام شده"),
    QStringLiteral("استهلاک انباشته"),
    QStringLiteral("ارزش اسقاط"),
    QStringLiteral("سقف ارزش دفتري"),
    QStringLiteral("وضعيت دارايي"),
    QStringLiteral("شماره سند"),
    QStringLiteral("تاريخ سند"),
    QStringLiteral("تاريخ سند"),
    QStringLiteral("تاريخ تجديد ارزيابي"),
    QStringLiteral("تاريخ تجديد ارزيابي"),
    QStringLiteral("گروه اموال"),
    QStringLiteral("محل استقرار"),
    QStringLiteral("واحد سازماني"),
    QStringLiteral("جمعدار"),
    QStringLiteral("مسوول"),
    QStringLiteral("مرکز هزينه"),
    QStringLiteral("شرح"),
};
inline const QString StatementPieces[12] = {
    QStringLiteral(
        "select ID as 'شماره رايانه اي',CreatorID as 'ايجاد کننده',LabelNo as 'شماره پلاک',OldLabelNo as 'شماره پلاک قديم' "),
    QStringLiteral(
        ",Code as 'کد کالا',Name as 'عنوان دارايي',UtilizationDate as 'تاريخ بهره برداري',FarsiUtilizationDate as 'تاريخ بهره برداري'"),
    QStringLiteral(
        ",CreateDate as 'تاريخ ايجاد',FarsiCreateDate as 'تاريخ ايجاد',TypeID as 'نوع',Cost as 'قيمت تمام شده',AccumulatedCost as 'استهلاک انباشته'"),
    QStringLiteral(
        ",AbortCost as 'ارزش اسقاط',OfficeMaxCost as 'سقف ارزش دفتري',StatusTypeID as 'وضعيت دارايي',DocumentNo as 'شماره سند'"),
    QStringLiteral(
        ",DocumentDate as 'تاريخ سند',FarsiDocumentDate as 'تاريخ سند',ReevaluationDate as 'تاريخ تجديد ارزيابي',FarsiReevaluationDate as 'تاريخ تجديد ارزيابي'"),
    QStringLiteral(",(Select x.Name from vwAssetGroupMajor x Where x.ID=GroupID) as 'گروه اموال'"),
    QStringLiteral(
        ",(Select x.Name from vwOrvoInternalLocationMajor x Where x.ID=LocationID) as 'محل استقرار'"),
    QStringLiteral(",OrganizationLocation as 'واحد سازماني'"),
    QStringLiteral(",(Select x.Name from vwEmployeeMajor x Where x.ID=AccountableID) as 'جمعدار'"),
    QStringLiteral(",(Select x.Name from vwEmployeeMajor x Where x.ID=ResponsibleID) as 'مسوول'"),
    QStringLiteral(
        ",(Select x.Name from vwAccountCostCenterMajor x Where x.ID=CostCenterID) as 'مرکز هزينه',Description as 'شرح'"),
    QStringLiteral(" from tblAssetEstablishment  Where "),
};
// condition fragments in the order they are appended: control, before, after
inline const Fragment Fragments[] = {
    {"txtDescription", QStringLiteral(" and Description like '%"), QStringLiteral("%'")},
    {"txtDocumentNo", QStringLiteral(" and DocumentNo like '%"), QStringLiteral("%'")},
    {"txtID", QStringLiteral(" and ID = "), QString()},
    {"txtLabelNo", QStringLiteral(" and LabelNo like '%"), QStringLiteral("%'")},
    {"txtName", QStringLiteral(" and Name like '%"), QStringLiteral("%'")},
    {"txtOldLabelNo", QStringLiteral(" and OldLabelNo like '%"), QStringLiteral("%'")},
    {"txtOrganizationLocation", QStringLiteral(" and OrganizationLocation like '%"),
        QStringLiteral("%'")},
    {"sltAccountable", QStringLiteral(" and AccountableID = "), QString()},
    {"sltCostCenter", QStringLiteral(" and CostCenterID = "), QString()},
    {"sltBranch", QStringLiteral(" and BranchID = "), QString()},
    {"sltCreator", QStringLiteral(" and CreatorID = "), QString()},
    {"sltGroup", QStringLiteral(" and GroupID = "), QString()},
    {"sltLocation", QStringLiteral(" and LocationID = "), QString()},
    {"sltResponsible", QStringLiteral(" and ResponsibleID = "), QString()},
    {"sltStatusType", QStringLiteral(" and StatusTypeID = "), QString()},
    {"sltType", QStringLiteral(" and TypeID = "), QString()},
    {"datCreateDate", QStringLiteral(" and CreateDate = '"), QStringLiteral("'")},
    {"datDocumentDate", QStringLiteral(" and DocumentDate = '"), QStringLiteral("'")},
    {"datUtilizationDate", QStringLiteral(" and UtilizationDate = '"), QStringLiteral("'")},
    {"datReevaluationDate", QStringLiteral(" and ReEvaluationDate = '"), QStringLiteral("'")},
};
inline const QString ConditionStart = QStringLiteral("1=1");
inline const QString RowNumberHeader = QStringLiteral("رديف");
inline const QString TotalsCaption = QStringLiteral("جمع");
inline const QString SearchCaption = QStringLiteral("جستجو");
inline const QString CommandName = QStringLiteral("sqlCommon");
inline const QString FormCaption = QStringLiteral("جستجوي استقرار");
// buttons: name, caption
inline const ButtonText ButtonTexts[] = {
    {"cmdSearch", QStringLiteral("جستجو")},
    {"cmdNewsearch", QStringLiteral("جديد")},
    {"cmdExit", QStringLiteral("خروج")},
    {"cmdExcel", QStringLiteral("انتقال به اكسل")},
    {"cmdSentToText", QStringLiteral("انتقال به فايل متني")},
};
// selectors in load order: name, major view, minor view
inline const SelectorViews SelectorViewTexts[] = {
    {"sltCreator", QStringLiteral("vwUserMajor"), QStringLiteral("vwUserMinor")},
    {"sltType", QStringLiteral("vwAssetEstablishmentTypeMajor"),
        QStringLiteral("vwAssetEstablishmentTypeMinor")},
    {"sltStatusType", QStringLiteral("vwAssetStatusTypeMajor"),
        QStringLiteral("vwAssetStatusTypeMinor")},
    {"sltGroup", QStringLiteral("vwAssetGroupMajor"), QStringLiteral("vwAssetGroupMinor")},
    {"sltLocation", QStringLiteral("vwOrvoInternalLocationMajor"),
        QStringLiteral("vwOrvoInternalLocationMinor")},
    {"sltAccountable", QStringLiteral("vwAssetAccountableMajor"),
        QStringLiteral("vwAssetAccountableMinor")},
    {"sltResponsible", QStringLiteral("vwEmployeeMajor"), QStringLiteral("vwEmployeeMajor")},
    {"sltCostCenter", QStringLiteral("vwAccountCostCenterMajor"),
        QStringLiteral("vwAccountCostCenterMinor")},
    {"sltBranch", QStringLiteral("vwAccountBranchMajor"), QStringLiteral("vwAccountBranchMinor")},
};
inline const QString ErrorTitle = QStringLiteral("خطا");

// Grid columns of the four money amounts.
constexpr int FirstMoneyColumn = 12;
constexpr int LastMoneyColumn = 15;

} // namespace vela::SearchTexts
