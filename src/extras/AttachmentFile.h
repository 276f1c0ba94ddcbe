#pragma once
// Reading an attachment's file as the attachment viewer reads it: whole, only a regular file of
// a sensible size, and never waiting on it for more than a few seconds (a pipe, a device or a
// network share that stopped answering cannot hold the window). Printed reports read their
// pictures this way too.
#include <QByteArray>
#include <QString>

namespace vela {

// False when the file was not read (missing, unreadable, not a file, too large, no answer).
bool readAttachmentFile(const QString &path, QByteArray &out);

} // namespace vela
