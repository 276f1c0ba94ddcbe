#include "ComponentRegistry.h"
#include "AttachmentEditor.h"
#include "PluginHost.h"
#include "ReportEngine.h"
#include "comMSG.h"
#include "shared/VelaError.h"

#include <QFileInfo>
#include <dlfcn.h>

namespace vela {

namespace {
QString keyOf(const QString &progId)
{
    return progId.trimmed().toLower();
}
} // namespace

ComponentRegistry &ComponentRegistry::instance()
{
    static ComponentRegistry registry;
    return registry;
}

ComponentRegistry::ComponentRegistry()
{
    registerFactory(
        QString::fromLatin1(comMSG::ProgId), [] { return std::unique_ptr<QObject>(new comMSG); });
    registerFactory(QString::fromLatin1(ReportEngine::ProgId),
        [] { return std::unique_ptr<QObject>(new ReportEngine); });
    registerFactory(QString::fromLatin1(AttachmentEditor::ProgId),
        [] { return std::unique_ptr<QObject>(new AttachmentEditor); });
}

void ComponentRegistry::registerFactory(const QString &progId, Factory factory)
{
    if (keyOf(progId).isEmpty())
        throw VelaError(QStringLiteral("جزء بدون نام ثبت نمی شود."));
    if (!factory)
        throw VelaError(QStringLiteral("جزء «%1» بدون سازنده ثبت شده است.").arg(progId));
    m_factories[keyOf(progId)] = std::move(factory);
}

void ComponentRegistry::unregister(const QString &progId)
{
    m_factories.erase(keyOf(progId));
}

bool ComponentRegistry::isRegistered(const QString &progId) const
{
    return m_factories.count(keyOf(progId)) != 0;
}

void ComponentRegistry::registerPlugin(const QString &path)
{
    const QByteArray file = QFile::encodeName(path);
    if (!QFileInfo::exists(path))
        throw VelaError(QStringLiteral("کتابخانه جزء «%1» وجود ندارد.").arg(path));
    dlerror();
    // The handle stays open for good: the factories it registers live in its code.
    void *handle = dlopen(file.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw VelaError(QStringLiteral("کتابخانه جزء «%1» بار نشد: %2")
                            .arg(path, QString::fromLocal8Bit(dlerror())));
    auto fn = reinterpret_cast<VelaRegisterComponents>(dlsym(handle, "vela_register_components"));
    if (!fn) {
        dlclose(handle);
        throw VelaError(
            QStringLiteral("کتابخانه جزء «%1» تابع vela_register_components را ندارد.").arg(path));
    }
    // What it registered before refusing stays usable, so the library stays loaded either way.
    const int refused = fn(&pluginHost(*this));
    if (refused != 0)
        throw VelaError(QStringLiteral("کتابخانه جزء «%1» اجزای خود را ثبت نکرد (کد %2)؛ شاید "
                                       "برای نسخه دیگری از این برنامه ساخته شده است.")
                            .arg(path)
                            .arg(refused));
}

std::unique_ptr<QObject> ComponentRegistry::create(const QString &progId) const
{
    auto it = m_factories.find(keyOf(progId));
    if (it == m_factories.end())
        throw VelaError(QStringLiteral("جزء «%1» ثبت نشده است؛ ساختن آن ممکن نیست.").arg(progId),
            ErrNotRegistered);
    std::unique_ptr<QObject> object = it->second();
    if (!object)
        throw VelaError(QStringLiteral("جزء «%1» ساخته نشد.").arg(progId), ErrNotRegistered);
    return object;
}

} // namespace vela
