#pragma once
// The accounting document link of the entry form: the document the accounting module posted for
// the record's final registration, opened in the suite's accounting document viewer.
#include <QString>

namespace vela {

// cmdViewAccountDoc: `idText` is the entry form's identifier box, `installDirectory` the suite's
// install directory read at start-up. Database failures propagate to the caller.
void ViewAccountDocument(const QString &idText, const QString &installDirectory);

// Where the viewer's plugin lies under the install directory.
QString AccountDocPluginPath(const QString &installDirectory);

} // namespace vela
