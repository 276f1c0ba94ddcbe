#pragma once
// Texts of the entry form and the host control that users and the suite's other programs see or
// compare byte for byte. Several mix the Arabic and the Persian forms of Yeh and Kaf on purpose;
// keep them exactly as they are.
#include <QStringView>

namespace vela::texts {

// The window caption; the mode's suffix follows it.
inline constexpr QStringView FormCaption = u"استقرار";
inline constexpr QStringView SuffixView = u" (مشاهده)";
inline constexpr QStringView SuffixEdit = u" (اصلاح)";
inline constexpr QStringView SuffixNew = u" (جديد)";
// Refusals and records not found: title and texts.
inline constexpr QStringView TitleError = u"خطا";
inline constexpr QStringView NotAllowed = u"شما به انجام اين عمليات مجاز نيستيد.";
inline constexpr QStringView NotFound = u"ركورد مورد نظر يافت نشد.";
// Validation failures.
inline constexpr QStringView TitleInvalid = u"اشکال";
// The question of cmdCancel.
inline constexpr QStringView CancelTitle = u"انصراف از ثبت";
inline constexpr QStringView CancelQuestion = u"آيا مطمئن هستيد؟";
// Role 111 refused at the host: start + "111" + end.
inline constexpr QStringView HostRefusalStart = u"شما مجاز به انجام اين عمليات نيستيد. نقش ”";
inline constexpr QStringView HostRefusalEnd = u"“";
// Statements and their pieces; numbers follow the pieces in plain decimal.
inline constexpr QStringView LoadSql = u"select * from tblAssetEstablishment Where ID=";
inline constexpr QStringView InstallDirectorySql
    = u"Select Isnull(BasePath,'') as InstallDirectory from vwOrvoBasePath Where ID=1 ";
inline constexpr QStringView AttachmentSql1
    = u"Select * from tblOrvoFormAttachment Where FormTypeID = ";
inline constexpr QStringView AttachmentSql2 = u" and FormID = ";
inline constexpr QStringView AttachmentSql3 = u" and RowNumber = ";
// The attachment editor asked for without a record.
inline constexpr QStringView TitleProblem = u"اشكال";
inline constexpr QStringView NoRecordForEditor = u"شماره رايانه اي استقرار يافت نشد.";

// Captions of the entry form's buttons and labels, by control name.
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
    {"lblCreatorID", u"ايجاد کننده:"},
    {"lblCost", u"قيمت تمام شده:"},
    {"lblAccumulatedCost", u"استهلاک انباشته:"},
    {"lblAbortCost", u"ارزش اسقاط:"},
    {"lblOfficeValueMax", u"سقف ارزش دفتري:"},
    {"lblStatusType", u"وضعيت دارايي:"},
    {"lblDocumentNo", u"شماره سند:"},
    {"lblDocumentDate", u"تاريخ سند:"},
    {"lblReEvaluationDate", u"تاريخ تجديد ارزيابي:"},
    {"lblResponsible", u"مسوول:"},
    {"lblCostCenter", u"مرکزهزينه:"},
    {"lblBranch", u"شعبه:"},
    {"lblID", u"شماره رايانه اي:"},
    {"lblLabelNo", u"شماره پلاک:"},
    {"lblOldLabelNo", u"شماره پلاک قديم:"},
    {"lblCode", u"کد کالا:"},
    {"lblName", u"عنوان دارايي:"},
    {"lblUtilizationDate", u"تاريخ بهره برداي:"},
    {"lblCreateDate", u"تاريخ ايجاد:"},
    {"lblType", u"نوع:"},
    {"lblGroup", u"گروه:"},
    {"lblLocation", u"محل استقرار:"},
    {"lblOrganizationLocation", u"واحد سازماني:"},
    {"lblAccounable", u"جمعدار:"},
    {"lblDescription", u"شرح:"},
    {"cmdMoreInfo", u"اطلاعات تکميلي"},
    {"cmdLeft", u">"},
    {"cmdRefreshPicture", u"1"},
    {"cmdRight", u"<"},
    {"cmdEditPicture", u"+/-"},
};

} // namespace vela::texts
