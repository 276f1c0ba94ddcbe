#pragma once
// Outside components of the suite are created by name through this registry, as the Windows
// suite created them by programmatic identifier. "Not registered" is its own failure
// (VelaError number 429); plugins (.so) can add components, as the registration tool did.
// Plugins see the registry only through the C interface of VelaPluginApi.h.
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>

namespace vela {

class ComponentRegistry {
public:
    using Factory = std::function<std::unique_ptr<QObject>()>;

    static ComponentRegistry &instance(); // holds the built-in components

    void registerFactory(const QString &progId, Factory factory);
    void unregister(const QString &progId);
    bool isRegistered(const QString &progId) const;

    // Loads a plugin that exports  extern "C" int vela_register_components(const VelaPluginHost *)
    // (VelaPluginApi.h) and lets it register its components. Throws VelaError naming the file
    // when it is missing, does not load, lacks the function or refuses to register.
    void registerPlugin(const QString &path);

    // Throws VelaError(ErrNotRegistered) when the name is unknown.
    std::unique_ptr<QObject> create(const QString &progId) const;

    template<class T> std::unique_ptr<T> createAs(const QString &progId) const
    {
        std::unique_ptr<QObject> o = create(progId);
        T *t = qobject_cast<T *>(o.get());
        if (!t)
            return nullptr;
        o.release();
        return std::unique_ptr<T>(t);
    }

private:
    ComponentRegistry();
    std::map<QString, Factory> m_factories; // keys lower case
};

} // namespace vela
