#pragma once
// Texts of the accounting document link that users and the suite's other programs see or compare
// byte for byte. Several mix the Arabic and the Persian forms of Yeh and Kaf on purpose; keep them
// exactly as they are. The shared titles are the entry form's (entry/EntryTexts.h).
#include <QStringView>

namespace vela::texts {

// role 303 refused, or no viewer
inline constexpr QStringView AccountDocNotAllowed = u"شما مجاز به انجام اين عمليات نيستيد.";
// + the identifier box's number + AccountDocSql2
inline constexpr QStringView AccountDocSql1
    = u"Select * from tblAccountDocumentDetail Where FormID=";
inline constexpr QStringView AccountDocSql2
    = u" and FormTypeID=1022148 and description like '%ثبت نهايي استقرار%'";
// no document
inline constexpr QStringView AccountDocTitle = u"اطلاع";
inline constexpr QStringView AccountDocNotFound = u"سند حسابداري يافت نشد!";
// the viewer's programmatic identifier
inline constexpr QStringView AccountDocProgId = u"comAccountDoc.comAccountDoc1";
// the viewer's file under the install directory, as the suite names it
inline constexpr QStringView AccountDocFile = u"Commercial\\VelaAccountDoc.dll";

} // namespace vela::texts
