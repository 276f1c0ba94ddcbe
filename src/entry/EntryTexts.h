#pragma once
// Texts of the entry form and the host control that users and the suite's other programs see or
// compare byte for byte. Several mix the Arabic and the Persian forms of Yeh and Kaf on purpose;
// keep them exactly as they are.
#include "extras/ExtrasTexts.h"
#include "shared/Texts.h"

#include <QStringView>

namespace vela::texts {

// The window caption; the mode's suffix follows it.
inline constexpr QStringView FormCaption = u"استقرار";
inline constexpr QStringView SuffixView = u" (مشاهده)";
inline constexpr QStringView SuffixEdit = u" (اصلاح)";
inline constexpr QStringView SuffixNew = u" (جديد)";
// A record not found.
inline constexpr QStringView NotFound = u"ركورد مورد نظر يافت نشد.";
// The title of the question of cmdCancel (and of the close box in edit and new mode).
inline constexpr QStringView CancelTitle = u"انصراف از ثبت";
// Save and delete: their titles, the action log's descriptions (prefix, identifier, suffix).
inline constexpr QStringView TitleSaveFailed = u"خطا در ثبت";
inline constexpr QStringView TitleDelete = u"حذف";
inline constexpr QStringView LogPrefix = u"فرم استقرار به ش.ر. ”";
inline constexpr QStringView LogCreated = u"“ ايجاد شد.";
inline constexpr QStringView LogModified = u"“ اصلاح شد.";
inline constexpr QStringView LogDeleted = u"“ حذف شد.";
inline constexpr QStringView Dependency = u"به اين فرم استقرار وابستگي وجود دارد.";
// What happened when a statement changed no row, and what the user can do (%1 the identifier).
inline constexpr QStringView StaleEdit
    = u"رکورد شماره %1 در این فاصله (به دست کاربر دیگری) حذف شده است و تغییرات شما ثبت نشد. "
      u"مقادیری که وارد کرده‌اید روی صفحه مانده است.\nآیا آن‌ها را به عنوان رکورد جدید ثبت می‌کنید؟";
inline constexpr QStringView NewRowMissing
    = u"رکوردی که درج شد برای نوشتن بقیه مقادیر پیدا نشد و چیزی ثبت نشد. دوباره "
      u"امتحان کنید و اگر تکرار شد به مدیر سیستم خبر دهید.";
inline constexpr QStringView SavedNotShown
    = u"رکورد با شماره %1 ثبت شد، ولی دوباره خوانده و نمایش داده نشد. برای دیدن "
      u"آن، چند لحظه بعد آن را جستجو کنید.";
inline constexpr QStringView AlreadyDeleted
    = u"رکورد شماره %1 پیش از این (به دست کاربر دیگری) حذف شده است؛ چیزی حذف نشد.";
// Role 111 refused at the host: start + "111" + end.
inline constexpr QStringView HostRefusalStart = u"شما مجاز به انجام اين عمليات نيستيد. نقش ”";
inline constexpr QStringView HostRefusalEnd = u"“";
// Statements and their pieces; numbers follow the pieces in plain decimal.
inline constexpr QStringView LoadSql = u"select * from tblAssetEstablishment Where ID=";
inline constexpr QStringView IdentityQuery = u"Select SCOPE_IDENTITY() as newID";
inline constexpr QStringView DeleteRecordSql = u"Delete tblAssetEstablishment Where ID=";
inline constexpr QStringView InstallDirectorySql
    = u"Select Isnull(BasePath,'') as InstallDirectory from vwOrvoBasePath Where ID=1 ";

// Captions of the entry form's buttons, by control name (the fields' labels are the record's).
struct Caption {
    const char *control;
    QStringView text;
};
inline constexpr Caption Captions[] = {
    {"cmdDocGen", u"توليد مجدد سند"},
    {"cmdViewAccountDoc", u"سند حسابداري..."},
    {"cmdPreview", u"مشاهده/چاپ"},
    {"cmdCancel", u"انصراف"},
    {"cmdSearch", u"جستجو"},
    {"cmdDelete", u"حذف"},
    {"cmdSave", u"ثبت"},
    {"cmdEdit", u"اصلاح"},
    {"cmdNew", u"جديد"},
    {"cmdMoreInfo", u"اطلاعات تکميلي"},
};

} // namespace vela::texts
