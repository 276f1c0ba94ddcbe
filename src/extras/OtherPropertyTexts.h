#pragma once
// Texts of the extra properties dialog that users and the suite's other programs see or compare
// byte for byte. Several mix the Arabic and the Persian forms of Yeh and Kaf on purpose; keep them
// exactly as they are. The shared titles are the entry form's (entry/EntryTexts.h).
#include <QStringView>

namespace vela::texts {

// window caption
inline constexpr QStringView PropertiesCaption = u"اطلاعات تکميلي";
// heading above the slots
inline constexpr QStringView PropertiesHeading = u"اطلاعات تکميلي:";
// label of txtName
inline constexpr QStringView PropertiesLabelName = u"نام دارايي:";
// label of sltCategory
inline constexpr QStringView PropertiesLabelCategory = u"طبقه:";
// label of sltType
inline constexpr QStringView PropertiesLabelType = u"نوع:";
// cmdOk
inline constexpr QStringView PropertiesOk = u"تاييد";
// cmdCancel
inline constexpr QStringView PropertiesCancel = u"انصراف";
// the record's name, category and type; + ID
inline constexpr QStringView PropertiesRecordSql
    = u"select Name, (Select x.CategoryID from tblAssetGroup x Where x.ID=GroupID) as CategoryID,TypeID  from tblAssetEstablishment Where ID=";
// the category's properties: + ID + PropertiesDefinitionsSql2
inline constexpr QStringView PropertiesDefinitionsSql1
    = u"select * from tblAssetCategoryProperty Where CategoryID in (Select g.CategoryID from tblAssetGroup g where g.ID in(select x.GroupID from tblAssetEstablishment x Where x.ID=";
inline constexpr QStringView PropertiesDefinitionsSql2 = u"))";
// + ID + PropertiesValueSql2 + PropertyTypeID
inline constexpr QStringView PropertiesValueSql1
    = u"select Value from tblAssetEstablishmentPropertyData Where EstablishmentID=";
inline constexpr QStringView PropertiesValueSql2 = u" and PropertyTypeID=";
// + ID
inline constexpr QStringView PropertiesDeleteSql
    = u"delete tblAssetEstablishmentPropertyData where EstablishmentID=";
// + PropertiesInsertSql2 + ID + "," + PropertyTypeID + ",'" + value + "')"
inline constexpr QStringView PropertiesInsertSql1
    = u"Insert into tblAssetEstablishmentPropertyData(EstablishmentID, PropertyTypeID,Value)";
inline constexpr QStringView PropertiesInsertSql2 = u" Values(";

} // namespace vela::texts
