#pragma once
// The fixed texts of the two exports of the search results: the options form of the text file,
// its questions and messages, and the spreadsheet's messages. They mix Arabic and Persian forms
// of Yeh and Kaf exactly as the suite's other forms do; keep them byte for byte.
#include <QString>

namespace vela::ExportTexts {

// ---- the options form of the text file
inline const QString FormCaption = QStringLiteral("تهيه فايل متني از روي گزارش");
inline const QString Instruction = QStringLiteral(
    "جهت تهيه فايل متني، جداكننده ستونهاي گزارش را مشخص كنيد و پس از مشخص كردن مسير فايل  دكمه تاييد را بزنيد:");
inline const QString DelimiterCaption = QStringLiteral("جدا كننده:");
inline const QString DefaultDelimiter = QStringLiteral("^t=Tab");
inline const QString SaveCaption = QStringLiteral("...ذخيره در");
inline const QString HeaderCaption = QStringLiteral("سر ستونها منتقل شود.");
inline const QString RemoveMoneyCaption = QStringLiteral("مقادير مالي بدون جداکننده ارسال شوند.");
inline const QString NewLineCaption = QStringLiteral("در انتها يك خط اضافه شود.");
inline const QString OkCaption = QStringLiteral("تاييد");
inline const QString CancelCaption = QStringLiteral("انصراف");

// ---- choosing the file
inline const QString SaveDialogTitle = QStringLiteral("فايل متني");
inline const QString OverwriteTitle = QStringLiteral("هشدار");
inline const QString OverwriteQuestion
    = QStringLiteral("فايل مورد نظر تكراري است، آيا بازنويسي شود؟");
inline const QString NoNameTitle = QStringLiteral("خطا");
inline const QString NoNameText = QStringLiteral("لطفاً با دكمه ذخيره در، نام فايل را مشخص كنيد.");

// ---- results
inline const QString SavedTitle = QStringLiteral("اطلاع");
inline const QString SavedBefore = QStringLiteral("فايل متني با نام «");
inline const QString SavedAfter = QStringLiteral("» ذخيره شد.");
inline const QString SpreadsheetDoneTitle = QStringLiteral("موفقيت");
inline const QString SpreadsheetDoneText = QStringLiteral("انتقال به اكسل با موفقيت انجام شد");
inline const QString SpreadsheetFailureTitle = QStringLiteral("اشکال در انتقال به اکسل");

// ---- this edition's own texts: progress, failures, limits
inline const QString TextProgressLabel = QStringLiteral("در حال نوشتن فایل متنی...");
inline const QString SheetProgressLabel = QStringLiteral("در حال انتقال به اکسل...");
inline const QString SheetClosingLabel = QStringLiteral("در حال بستن و فشرده سازی کارپوشه...");
// %1 the file, %2 the cause
inline const QString FileNotSaved = QStringLiteral("فایل «%1» ذخیره نشد: %2");
inline const QString CauseNoFolder = QStringLiteral("پوشه آن وجود ندارد.");
inline const QString CauseNoPermission
    = QStringLiteral("اجازه نوشتن در این پوشه یا روی این فایل را ندارید.");
inline const QString CauseReadOnly = QStringLiteral("پوشه آن فقط خواندنی است.");
inline const QString CauseDiskFull = QStringLiteral("جای خالی دیسک کافی نیست.");
inline const QString CauseTooLarge
    = QStringLiteral("فایل از بیشترین اندازه مجاز روی این دیسک بزرگتر می شود.");
inline const QString CauseIsFolder = QStringLiteral("این نام، نام یک پوشه است.");
inline const QString CauseNameTooLong = QStringLiteral("نام فایل بیش از اندازه بلند است.");
inline const QString CauseDiskError = QStringLiteral("دیسک در خواندن یا نوشتن خطا داد.");
inline const QString CauseSystem = QStringLiteral("خطای سیستم (%1).");
// %1 rows of the grid, %2 rows of a sheet
inline const QString TooManyRows = QStringLiteral(
    "جدول نتایج %1 سطر دارد و یک کاربرگ اکسل بیش از %2 سطر نمی گیرد؛ چیزی منتقل نشد. جستجو را محدودتر کنید و دوباره به اکسل بفرستید.");
inline const QString TooManyCols = QStringLiteral(
    "جدول نتایج %1 ستون دارد و یک کاربرگ اکسل بیش از %2 ستون نمی گیرد؛ چیزی منتقل نشد.");
// %1 row, %2 column (of the sheet), %3 characters a cell holds
inline const QString CellTooLong = QStringLiteral(
    "متن خانه سطر %1، ستون %2 بلندتر از %3 نویسه ای است که یک خانه اکسل می گیرد؛ چیزی منتقل نشد. برای این نتایج از انتقال به فایل متنی استفاده کنید.");
inline const QString SheetLibraryFailure = QStringLiteral("کتابخانه ساخت کارپوشه خطا داد: %1");
// %1 the file
inline const QString NotOpened = QStringLiteral(
    "فایل در «%1» ذخیره شد، اما برنامه ای برای باز کردن آن پیدا نشد. آن را با یک برنامه صفحه گسترده باز کنید.");

} // namespace vela::ExportTexts
