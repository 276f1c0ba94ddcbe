#pragma once
// Texts of the template chooser and the printing routine that users and the suite's other programs
// see or compare byte for byte. Several mix the Arabic and the Persian forms of Yeh and Kaf on
// purpose; keep them exactly as they are.
#include <QStringView>

namespace vela::texts {

// The template chooser FormPrint: caption (with its trailing blank), labels and buttons.
inline constexpr QStringView PrintCaption = u"گزارشگيري ";
inline constexpr QStringView PrintReportLabel = u"قالب گزارش:";
inline constexpr QStringView PrintDescriptionLabel = u"شرح گزارش :";
inline constexpr QStringView PrintButton = u"چاپ";
inline constexpr QStringView PrintOkButton = u"تاييد";
// The print button without a chosen template.
inline constexpr QStringView TitleWarning = u"هشدار";
inline constexpr QStringView NoTemplateChosen = u"قالب گزارش مشخص نيست، آنرا مشخص سازيد.";
// Statements; the number follows in plain decimal.
inline constexpr QStringView TemplatesOfFormSql
    = u"Select * from tblOrvoReportTemplate where FormTypeID = ";
inline constexpr QStringView TemplateByIdSql = u"Select * From tblOrvoReportTemplate Where ID = ";
// The template file found neither as stored nor under the install directory: start + path + end.
inline constexpr QStringView MissingTemplateStart = u"فايل چاپي در مسير مورد نظر «";
inline constexpr QStringView MissingTemplateEnd = u"» وجود ندارد.";
// The selection formula: start + the record's number.
inline constexpr QStringView FormulaStart = u"fmlID = ";
// The title of an engine failure: start + its number.
inline constexpr QStringView EngineErrorTitleStart = u"خطا ";
// The extension a private copy of a template gets.
inline constexpr QStringView TemplateCopyExtension = u"rpt";

} // namespace vela::texts
