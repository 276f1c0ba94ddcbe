#pragma once
// Texts of the search form (see shared/Texts.h for the convention): its caption, buttons, the
// result grid's fixed texts and the pieces of the search statement. The filters' captions and
// the condition's fragments are the record's (shared/AssetRecord).
#include "shared/Texts.h"

#include <QStringView>

namespace vela::texts {

inline constexpr QStringView SearchFormCaption = u"جستجوي استقرار";
// Buttons: name, caption.
struct SearchButton {
    const char *name;
    QStringView caption;
};
inline constexpr SearchButton SearchButtons[] = {
    {"cmdSearch", u"جستجو"},
    {"cmdNewsearch", u"جديد"},
    {"cmdExit", u"خروج"},
    {"cmdExcel", u"انتقال به اكسل"},
    {"cmdSentToText", u"انتقال به فايل متني"},
};
// The grid's row-number header, totals row caption and the command its rows come from.
inline constexpr QStringView RowNumberHeader = u"رديف";
inline constexpr QStringView TotalsCaption = u"جمع";
inline constexpr QStringView SearchCommandName = u"sqlCommon";
// The headers of the grid's 28 result columns, as the statement's aliases give them.
inline constexpr QStringView SearchResultHeaders[28] = {
    u"شماره رايانه اي",
    u"ايجاد کننده",
    u"شماره پلاک",
    u"شماره پلاک قديم",
    u"کد کالا",
    u"عنوان دارايي",
    u"تاريخ بهره برداري",
    u"تاريخ بهره برداري",
    u"تاريخ ايجاد",
    u"تاريخ ايجاد",
    u"نوع",
    u"قيمت تمام شده",
    u"استهلاک انباشته",
    u"ارزش اسقاط",
    u"سقف ارزش دفتري",
    u"وضعيت دارايي",
    u"شماره سند",
    u"تاريخ سند",
    u"تاريخ سند",
    u"تاريخ تجديد ارزيابي",
    u"تاريخ تجديد ارزيابي",
    u"گروه اموال",
    u"محل استقرار",
    u"واحد سازماني",
    u"جمعدار",
    u"مسوول",
    u"مرکز هزينه",
    u"شرح",
};
// The statement: these twelve pieces, then the condition.
inline constexpr QStringView SearchStatementPieces[12] = {
    u"select ID as 'شماره رايانه اي',CreatorID as 'ايجاد کننده',LabelNo as 'شماره پلاک',OldLabelNo as 'شماره پلاک قديم' ",
    u",Code as 'کد کالا',Name as 'عنوان دارايي',UtilizationDate as 'تاريخ بهره برداري',FarsiUtilizationDate as 'تاريخ بهره برداري'",
    u",CreateDate as 'تاريخ ايجاد',FarsiCreateDate as 'تاريخ ايجاد',TypeID as 'نوع',Cost as 'قيمت تمام شده',AccumulatedCost as 'استهلاک انباشته'",
    u",AbortCost as 'ارزش اسقاط',OfficeMaxCost as 'سقف ارزش دفتري',StatusTypeID as 'وضعيت دارايي',DocumentNo as 'شماره سند'",
    u",DocumentDate as 'تاريخ سند',FarsiDocumentDate as 'تاريخ سند',ReevaluationDate as 'تاريخ تجديد ارزيابي',FarsiReevaluationDate as 'تاريخ تجديد ارزيابي'",
    u",(Select x.Name from vwAssetGroupMajor x Where x.ID=GroupID) as 'گروه اموال'",
    u",(Select x.Name from vwOrvoInternalLocationMajor x Where x.ID=LocationID) as 'محل استقرار'",
    u",OrganizationLocation as 'واحد سازماني'",
    u",(Select x.Name from vwEmployeeMajor x Where x.ID=AccountableID) as 'جمعدار'",
    u",(Select x.Name from vwEmployeeMajor x Where x.ID=ResponsibleID) as 'مسوول'",
    u",(Select x.Name from vwAccountCostCenterMajor x Where x.ID=CostCenterID) as 'مرکز هزينه',Description as 'شرح'",
    u" from tblAssetEstablishment  Where ",
};

} // namespace vela::texts

namespace vela {
// Grid columns of the four money amounts.
constexpr int FirstMoneyColumn = 12;
constexpr int LastMoneyColumn = 15;
} // namespace vela
