#include "AccountDocLink.h"
#include "AccountDocTexts.h"
#include "shared/Texts.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/ComponentRegistry.h"

#include <QMetaObject>
#include <QtGlobal>
#include <memory>

namespace vela {

namespace t = texts;

namespace {

// The number in the identifier box as plain decimal digits; an empty box is 0.
QString numberText(const QString &text)
{
    if (text.trimmed().isEmpty())
        return QStringLiteral("0");
    return NumberText(ToNumber(text));
}

// Creates the viewer; a failure other than "not registered" gives null (it is ignored).
std::unique_ptr<QObject> createViewer(bool &notRegistered)
{
    notRegistered = false;
    try {
        return ComponentRegistry::instance().create(t::AccountDocProgId.toString());
    } catch (const VelaError &e) {
        notRegistered = e.number() == ErrNotRegistered;
    } catch (...) {
    }
    return nullptr;
}

} // namespace

// The suite names the viewer's file "Commercial\VelaAccountDoc.dll" under the install directory
// and hands it to the registration tool. Here the viewer is a plugin of the component registry:
// the same folder and name with the platform's separator and the suffix of a shared library,
// Commercial/VelaAccountDoc.so. The install directory is taken as it is, with its own trailing
// separator; an empty one leaves the path relative.
QString AccountDocPluginPath(const QString &installDirectory)
{
    QString relative = t::AccountDocFile.toString();
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    relative.truncate(relative.lastIndexOf(QLatin1Char('.')));
    return installDirectory + relative + QStringLiteral(".so");
}

void ViewAccountDocument(const QString &idText, const QString &installDirectory)
{
    if (!HasPermission(303)) {
        ShowMessage(t::TitleError.toString(), t::AccountDocNotAllowed.toString());
        return;
    }

    qint32 documentId = -1;
    Recordset &rs = DtEn().rssqlCash();
    RunQuery(rs, t::AccountDocSql1.toString() + numberText(idText) + t::AccountDocSql2.toString());
    if (rs.RecordCount() > 0)
        documentId = ToInt32(ToNumber(rs.FieldText(QStringLiteral("DocumentID"))));
    rs.Close();
    if (documentId == -1) {
        ShowMessage(t::AccountDocTitle.toString(), t::AccountDocNotFound.toString());
        return;
    }

    // From here on a failure is ignored and the next step runs.
    bool notRegistered = false;
    std::unique_ptr<QObject> viewer = createViewer(notRegistered);
    if (notRegistered) {
        // Registering is loading the plugin into the registry, here and at once, so the second
        // attempt finds it when the file is there. Registration lasts while the program runs.
        const QString plugin = AccountDocPluginPath(installDirectory);
        try {
            ComponentRegistry::instance().registerPlugin(plugin);
        } catch (const VelaError &e) {
            // The user is told below that the viewer cannot be opened; why is for the
            // administrator.
            qWarning("%s", qUtf8Printable(e.description()));
        } catch (...) {
        }
        viewer = createViewer(notRegistered);
        if (notRegistered) {
            ShowMessage(t::TitleError.toString(), t::AccountDocNotAllowed.toString());
            return;
        }
    }
    if (!viewer)
        return;
    try {
        viewer->setProperty("UserID", CurrentUserID);
        viewer->setProperty("PositionID", CurrentPositionID);
        viewer->setProperty("OLEConnectionString", CurrentConnectionString);
        QMetaObject::invokeMethod(
            viewer.get(), "View", Qt::DirectConnection, Q_ARG(qint32, documentId));
    } catch (...) {
    }
}

} // namespace vela
