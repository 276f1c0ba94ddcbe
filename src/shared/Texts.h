#pragma once
// The system's texts that more than one form shows. Every text users read or the suite compares
// byte for byte is declared the same way, once, under one name, in namespace vela::texts: here the
// shared ones, and each form's own in its folder (EntryTexts.h, SearchTexts.h, ExportTexts.h,
// ExtrasTexts.h).
// Several mix the Arabic and the Persian forms of Yeh and Kaf on purpose; keep them exactly as
// they are.
#include <QStringView>

namespace vela::texts {

// Refusals, records not found and failed commands.
inline constexpr QStringView TitleError = u"خطا";
inline constexpr QStringView NotAllowed = u"شما به انجام اين عمليات مجاز نيستيد.";
// Validation failures.
inline constexpr QStringView TitleInvalid = u"اشکال";
// The attachment viewer's problems (written with the Arabic Kaf).
inline constexpr QStringView TitleProblem = u"اشكال";
// The question before dropping input or deleting.
inline constexpr QStringView AreYouSure = u"آيا مطمئن هستيد؟";

} // namespace vela::texts
