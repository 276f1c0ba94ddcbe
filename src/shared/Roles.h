#pragma once
// The numbers that name this form and its operations in the suite's shared tables and procedures:
// the roles asked of spOrvoHasPermission, the events written through spOrvoInsertFormAction and
// the form type that keys attachments, report templates, accounting rows and the action log.
// The form's own roles and events are its form type followed by a two-digit action code.
#include <QtGlobal>

namespace vela {

// The asset establishment form's type number.
inline constexpr qint32 FormTypeID = 1022148;

namespace roles {
inline constexpr qint32 OpenForm = 111; // the host's ClearShow and View
inline constexpr qint32 New = 102214801;
inline constexpr qint32 Edit = 102214802;
inline constexpr qint32 Delete = 102214803;
inline constexpr qint32 Save = 102214805;
inline constexpr qint32 Preview = 102214809; // print preview and printing
inline constexpr qint32 ViewAccountDocument = 303;
} // namespace roles

namespace events {
inline constexpr qint32 Created = 102214801;
inline constexpr qint32 Deleted = 102214803;
inline constexpr qint32 Modified = 102214804;
} // namespace events

} // namespace vela
