#include "shared/VelaError.h"
#include "suite/ComponentRegistry.h"
#include "suite/comMSG.h"

#include <QTemporaryDir>
#include <QtTest>
#include <dlfcn.h>

using namespace vela;

class TestComponentRegistry : public QObject {
    Q_OBJECT
private slots:
    void createsByName();
    void registerAndUnregister();
    void pluginFailuresNameTheFile();
};

void TestComponentRegistry::createsByName()
{
    ComponentRegistry &r = ComponentRegistry::instance();
    for (const char *name : {"comMessage.comMSG", "COMMESSAGE.COMMSG"})
        QVERIFY(r.createAs<comMSG>(QString::fromLatin1(name)));
    try {
        r.create(QStringLiteral("comNothing.Here"));
        QFAIL("created an unknown component");
    } catch (const VelaError &e) {
        QCOMPARE(e.number(), int(ErrNotRegistered));
        QVERIFY(e.description().contains(QStringLiteral("comNothing.Here")));
    }
}

void TestComponentRegistry::registerAndUnregister()
{
    ComponentRegistry &r = ComponentRegistry::instance();
    auto named = [](const char *name) -> ComponentRegistry::Factory {
        return [name] {
            auto o = std::make_unique<QObject>();
            o->setObjectName(QLatin1String(name));
            return o;
        };
    };
    r.registerFactory(QStringLiteral("Test.Widget"), named("first"));
    QCOMPARE(r.create(QStringLiteral("test.widget"))->objectName(), QStringLiteral("first"));
    QVERIFY(!r.createAs<comMSG>(QStringLiteral("Test.Widget"))); // not a message box
    // The same name in another case replaces the factory.
    r.registerFactory(QStringLiteral("TEST.WIDGET"), named("second"));
    QCOMPARE(r.create(QStringLiteral("Test.Widget"))->objectName(), QStringLiteral("second"));

    r.unregister(QStringLiteral("Test.WIDGET"));
    QVERIFY(!r.isRegistered(QStringLiteral("Test.Widget")));
    QVERIFY_THROWS_EXCEPTION(VelaError, r.create(QStringLiteral("Test.Widget")));
    QVERIFY(r.isRegistered(QString::fromLatin1(comMSG::ProgId)));
}

void TestComponentRegistry::pluginFailuresNameTheFile()
{
    auto failure = [](const QString &path) -> QString {
        try {
            ComponentRegistry::instance().registerPlugin(path);
        } catch (const VelaError &e) {
            return e.description();
        }
        return QStringLiteral("loaded");
    };
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("libmissing.so"));
    QVERIFY(failure(missing).contains(missing));

    const QString notElf = dir.filePath(QStringLiteral("libtext.so"));
    QFile f(notElf);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("not a shared object") > 0);
    f.close();
    QVERIFY(failure(notElf).contains(notElf));

    // A real library without the entry point: Qt's core library.
    Dl_info info {};
    QVERIFY(dladdr(reinterpret_cast<void *>(&qVersion), &info) && info.dli_fname);
    const QString library = QFile::decodeName(info.dli_fname);
    const QString message = failure(library);
    QVERIFY2(
        message.contains(library) && message.contains(QStringLiteral("vela_register_components")),
        qPrintable(message));
}

QTEST_GUILESS_MAIN(TestComponentRegistry)
#include "tst_componentregistry.moc"
