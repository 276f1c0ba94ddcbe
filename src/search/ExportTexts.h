#pragma once
// The fixed texts of the two exports of the search results (see shared/Texts.h for the
// convention): the options form of the text file, its questions and messages, and the
// spreadsheet's messages. They mix Arabic and Persian forms of Yeh and Kaf exactly as the suite's
// other forms do; keep them byte for byte.
#include "shared/Texts.h"

#include <QStringView>

namespace vela::texts {

// ---- the options form of the text file
inline constexpr QStringView TextExportCaption = u"تهيه فايل متني از روي گزارش";
inline constexpr QStringView Instruction
    = u"جهت تهيه فايل متني، جداكننده ستونهاي گزارش را مشخص كنيد و پس از مشخص كردن مسير فايل  دكمه تاييد را بزنيد:";
inline constexpr QStringView DelimiterCaption = u"جدا كننده:";
inline constexpr QStringView DefaultDelimiter = u"^t=Tab";
inline constexpr QStringView SaveCaption = u"...ذخيره در";
inline constexpr QStringView HeaderCaption = u"سر ستونها منتقل شود.";
inline constexpr QStringView RemoveMoneyCaption = u"مقادير مالي بدون جداکننده ارسال شوند.";
inline constexpr QStringView NewLineCaption = u"در انتها يك خط اضافه شود.";
inline constexpr QStringView OkCaption = u"تاييد";
inline constexpr QStringView CancelCaption = u"انصراف";

// ---- choosing the file
inline constexpr QStringView SaveDialogTitle = u"فايل متني";
inline constexpr QStringView OverwriteTitle = u"هشدار";
inline constexpr QStringView OverwriteQuestion = u"فايل مورد نظر تكراري است، آيا بازنويسي شود؟";
inline constexpr QStringView NoNameText = u"لطفاً با دكمه ذخيره در، نام فايل را مشخص كنيد.";

// ---- results
inline constexpr QStringView SavedTitle = u"اطلاع";
inline constexpr QStringView SavedBefore = u"فايل متني با نام «";
inline constexpr QStringView SavedAfter = u"» ذخيره شد.";
inline constexpr QStringView SpreadsheetDoneTitle = u"موفقيت";
inline constexpr QStringView SpreadsheetDoneText = u"انتقال به اكسل با موفقيت انجام شد";
inline constexpr QStringView SpreadsheetFailureTitle = u"اشکال در انتقال به اکسل";

// ---- this edition's own texts: progress, failures, limits
inline constexpr QStringView TextProgressLabel = u"در حال نوشتن فایل متنی...";
inline constexpr QStringView SheetProgressLabel = u"در حال انتقال به اکسل...";
inline constexpr QStringView SheetClosingLabel = u"در حال بستن و فشرده سازی کارپوشه...";
// %1 the file, %2 the cause
inline constexpr QStringView FileNotSaved = u"فایل «%1» ذخیره نشد: %2";
inline constexpr QStringView CauseNoFolder = u"پوشه آن وجود ندارد.";
inline constexpr QStringView CauseNoPermission
    = u"اجازه نوشتن در این پوشه یا روی این فایل را ندارید.";
inline constexpr QStringView CauseReadOnly = u"پوشه آن فقط خواندنی است.";
inline constexpr QStringView CauseDiskFull = u"جای خالی دیسک کافی نیست.";
inline constexpr QStringView CauseTooLarge
    = u"فایل از بیشترین اندازه مجاز روی این دیسک بزرگتر می شود.";
inline constexpr QStringView CauseIsFolder = u"این نام، نام یک پوشه است.";
inline constexpr QStringView CauseNameTooLong = u"نام فایل بیش از اندازه بلند است.";
inline constexpr QStringView CauseDiskError = u"دیسک در خواندن یا نوشتن خطا داد.";
inline constexpr QStringView CauseSystem = u"خطای سیستم (%1).";
// %1 rows of the grid, %2 rows of a sheet
inline constexpr QStringView TooManyRows
    = u"جدول نتایج %1 سطر دارد و یک کاربرگ اکسل بیش از %2 سطر نمی گیرد؛ چیزی منتقل نشد. جستجو را محدودتر کنید و دوباره به اکسل بفرستید.";
inline constexpr QStringView TooManyCols
    = u"جدول نتایج %1 ستون دارد و یک کاربرگ اکسل بیش از %2 ستون نمی گیرد؛ چیزی منتقل نشد.";
// %1 row, %2 column (of the sheet), %3 characters a cell holds
inline constexpr QStringView CellTooLong
    = u"متن خانه سطر %1، ستون %2 بلندتر از %3 نویسه ای است که یک خانه اکسل می گیرد؛ چیزی منتقل نشد. برای این نتایج از انتقال به فایل متنی استفاده کنید.";
inline constexpr QStringView SheetLibraryFailure = u"کتابخانه ساخت کارپوشه خطا داد: %1";
// %1 the file
inline constexpr QStringView NotOpened
    = u"فایل در «%1» ذخیره شد، اما برنامه ای برای باز کردن آن پیدا نشد. آن را با یک برنامه صفحه گسترده باز کنید.";

} // namespace vela::texts
