#pragma once
// Texts of the attachment viewer and the statements on the attachment table (see shared/Texts.h
// for the convention). Numbers follow the statement pieces in plain decimal.
#include "shared/Texts.h"

#include <QStringView>

namespace vela::texts {

inline constexpr QStringView AttachmentSql
    = u"Select * from tblOrvoFormAttachment Where FormTypeID = ";
inline constexpr QStringView DeleteAttachmentsSql
    = u"Delete tblOrvoFormAttachment Where FormTypeID = ";
inline constexpr QStringView AndFormID = u" and FormID = ";
inline constexpr QStringView AndRowNumber = u" and RowNumber = ";
// The captions of the buttons under the picture (cmdRefreshPicture's is the row number shown).
inline constexpr QStringView PreviousCaption = u">";
inline constexpr QStringView FirstRowCaption = u"1";
inline constexpr QStringView NextCaption = u"<";
inline constexpr QStringView EditorCaption = u"+/-";
// The attachment editor asked for without a record.
inline constexpr QStringView NoRecordForEditor = u"شماره رايانه اي استقرار يافت نشد.";

} // namespace vela::texts
