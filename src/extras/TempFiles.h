#pragma once
// Temporary files that show stored attachments and print reports: fresh names in the system's
// temporary folder, created exclusively so that nothing already there (a file, a link planted by
// someone else) is ever written through.
#include <QByteArray>
#include <QString>

namespace vela::tempfiles {

// An extension that cannot lead out of a folder: 1 to 10 ASCII letters or digits.
bool isPlainExtension(const QString &extension);

// "rad" + 10 random characters + ".tmp".
QString randomTempName();

// True when anything, also a dangling link, stands at the path.
bool pathExists(const QString &path);

// Creates the file (O_CREAT|O_EXCL|O_NOFOLLOW, mode 0600) and writes all of `data`. False when
// the name is taken; throws VelaError on any other failure (and leaves no partial file).
bool writeNewFile(const QString &path, const QByteArray &data);

} // namespace vela::tempfiles
