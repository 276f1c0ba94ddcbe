// The host control velaAssetEst: its properties and their persistence, the permission to open
// the form, failures that reach the host, the repaint rule, and the C entry points.
#include "common/MessageRecorder.h"
#include "common/TestDatabase.h"
#include "entry/FormMain.h"
#include "host/velaAssetEst.h"
#include "host/velaAssetEstC.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>
#include <dlfcn.h>

using vela::FormMain;

namespace {

// A property store that records every write with the default it was given and, like the
// containers of the suite, does not keep a value equal to its default.
struct MemoryBag : VelaPropertyBag {
    QVariantMap stored;
    QStringList writes;
    QVariant ReadProperty(const QString &name, const QVariant &defaultValue) override
    {
        return stored.value(name, defaultValue);
    }
    void WriteProperty(const QString &name, const QVariant &value, const QVariant &defaultValue) override
    {
        writes << QStringLiteral("%1=%2/%3").arg(name, value.toString(), defaultValue.toString());
        if (value == defaultValue)
            stored.remove(name);
        else
            stored.insert(name, value);
    }
};

const QString Caption = QStringLiteral("استقرار");

} // namespace

class TestHost : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { FormMain::unload(); }
    void properties();
    void publishedOnlyByCalls();
    void refusedUser();
    void openEmptyOrOnRecord();
    void failuresReachTheHost();
    void repaintHides();
    void cEntryPoints();
};

void TestHost::properties()
{
    velaAssetEst c;
    QCOMPARE(c.UserID(), -1);
    QCOMPARE(c.PositionID(), -1);
    QCOMPARE(c.OLEConnectionString(), QString());

    // Defaults are handed to the store with their defaults, so none of them is kept.
    MemoryBag bag;
    c.WriteProperties(bag);
    QCOMPARE(bag.writes, (QStringList{QStringLiteral("UserID=-1/-1"), QStringLiteral("PositionID=-1/-1"),
                                      QStringLiteral("OLEConnectionString=/"), QStringLiteral("EmployeeID=-1/-1")}));
    QVERIFY(bag.stored.isEmpty());

    // Each write tells the host which property changed.
    QSignalSpy changed(&c, &velaAssetEst::PropertyChanged);
    c.setUserID(7);
    c.setPositionID(3);
    c.setOLEConnectionString(QStringLiteral("Provider=SQLite;Data Source=x"));
    QCOMPARE(changed.size(), 3);
    QCOMPARE(changed[0][0].toString(), QStringLiteral("UserID"));
    QCOMPARE(changed[1][0].toString(), QStringLiteral("PositionID"));
    QCOMPARE(changed[2][0].toString(), QStringLiteral("OLEConnectionString"));

    // Saved and read back by another instance, EmployeeID included.
    bag.writes.clear();
    c.WriteProperties(bag);
    bag.stored.insert(QStringLiteral("EmployeeID"), 12);
    velaAssetEst restored;
    restored.ReadProperties(bag);
    QCOMPARE(restored.UserID(), 7);
    QCOMPARE(restored.PositionID(), 3);
    QCOMPARE(restored.OLEConnectionString(), QStringLiteral("Provider=SQLite;Data Source=x"));
    MemoryBag again;
    restored.WriteProperties(again);
    QCOMPARE(again.stored.value(QStringLiteral("EmployeeID")).toInt(), 12);
    QCOMPARE(again.stored.size(), 4);

    // Back to the defaults: the store drops the keys.
    restored.InitProperties();
    restored.WriteProperties(again);
    QVERIFY(again.stored.isEmpty());
    QCOMPARE(restored.UserID(), -1);

    // The properties are reachable by name, as hosts that create components by name use them.
    QCOMPARE(c.property("UserID").toInt(), 7);
    QVERIFY(c.setProperty("PositionID", 9));
    QCOMPARE(c.PositionID(), 9);
}

void TestHost::publishedOnlyByCalls()
{
    TestDatabase db;
    MessageRecorder messages;
    velaAssetEst c;
    c.setUserID(vela::SuiteDatabase::DemoAdminUserID);
    c.setPositionID(4);
    c.setOLEConnectionString(db.connectionString);
    QSignalSpy relationships(&c, &velaAssetEst::CreateNewRelationship);
    QSignalSpy shown(&c, &velaAssetEst::ShowRelationships);

    QCOMPARE(c.ClearShow(), false);
    QCOMPARE(vela::CurrentUserID, vela::SuiteDatabase::DemoAdminUserID);
    QCOMPARE(vela::CurrentPositionID, 4);
    QCOMPARE(vela::CurrentConnectionString, db.connectionString);

    // A write reaches the component only with the next call.
    c.setUserID(vela::SuiteDatabase::DemoViewerUserID);
    QCOMPARE(vela::CurrentUserID, vela::SuiteDatabase::DemoAdminUserID);
    FormMain::instance().cmdNew->click();
    QCOMPARE(FormMain::instance().FormMode, int(FormMain::ModeNew)); // still the admin's right
    QCOMPARE(c.View(1), false);
    QCOMPARE(vela::CurrentUserID, vela::SuiteDatabase::DemoViewerUserID);
    QCOMPARE(messages.count(), 0);
    FormMain::instance().cmdNew->click();
    QCOMPARE(messages.count(), 1); // the viewer may not start a record

    QCOMPARE(relationships.size(), 0);
    QCOMPARE(shown.size(), 0);
}

void TestHost::refusedUser()
{
    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO tblOrvoUser (ID, UserName, Name) VALUES (30, 'guest', 'مهمان')"));
    MessageRecorder messages;
    velaAssetEst c;
    c.setUserID(30);
    c.setOLEConnectionString(db.connectionString);
    QCOMPARE(c.ClearShow(), false);
    QCOMPARE(c.View(1), false);
    QCOMPARE(messages.count(), 2);
    for (const vela::MessageRecord &m : messages.boxes) {
        QCOMPARE(m.title, QStringLiteral("خطا"));
        QCOMPARE(m.text, QStringLiteral("شما مجاز به انجام اين عمليات نيستيد. نقش ”111“"));
        QCOMPARE(m.type, 0);
    }
    QVERIFY(!FormMain::isLoaded());
}

void TestHost::openEmptyOrOnRecord()
{
    TestDatabase db;
    MessageRecorder messages;
    velaAssetEst c;
    c.setUserID(vela::SuiteDatabase::DemoAdminUserID);
    c.setOLEConnectionString(db.connectionString);

    qint32 id = 2;
    QCOMPARE(c.View(id), false);
    QCOMPARE(id, 2);
    FormMain &f = FormMain::instance();
    QVERIFY(f.isVisible());
    QCOMPARE(f.FormMode, int(FormMain::ModeView));
    QCOMPARE(f.txtID->text(), QStringLiteral("2"));

    for (qint32 empty : {0, -5}) {
        QCOMPARE(c.View(empty), false);
        QCOMPARE(f.FormMode, int(FormMain::ModeEmpty));
        QCOMPARE(f.windowTitle(), Caption);
        QVERIFY(f.txtID->text().isEmpty());
    }
    c.View(1);
    QCOMPARE(c.ClearShow(), false);
    QCOMPARE(f.FormMode, int(FormMain::ModeEmpty));
    QCOMPARE(f.windowTitle(), Caption);
    QCOMPARE(messages.count(), 0);
}

void TestHost::failuresReachTheHost()
{
    MessageRecorder messages;
    velaAssetEst c;
    c.setUserID(1);
    // No connection string, a missing database file, an unknown provider.
    for (const QString &cs : {QString(), QStringLiteral("Provider=SQLite;Data Source=/nonexistent/suite.sqlite"),
                              QStringLiteral("Provider=Nonsense;Data Source=x")}) {
        c.setOLEConnectionString(cs);
        QVERIFY_THROWS_EXCEPTION(vela::VelaError, c.ClearShow());
        QVERIFY_THROWS_EXCEPTION(vela::VelaError, c.View(1));
    }
    QVERIFY(!FormMain::isLoaded());
    QCOMPARE(messages.count(), 0);

    // A database that loses its tables: the form's start-up fails and so does the call; the
    // next call on a good database starts the form afresh.
    TestDatabase db;
    db.exec(QStringLiteral("DROP VIEW vwAssetGroupMajor"));
    c.setOLEConnectionString(db.connectionString);
    QVERIFY_THROWS_EXCEPTION(vela::VelaError, c.ClearShow());
    QVERIFY(!FormMain::isLoaded());
    TestDatabase good;
    c.setOLEConnectionString(good.connectionString);
    c.ClearShow();
    QVERIFY(FormMain::isLoaded());
}

void TestHost::repaintHides()
{
    QWidget window;
    window.resize(400, 300);
    auto *c = new velaAssetEst(&window);
    c->setGeometry(10, 10, 250, 120);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(!c->isVisible());
    QCOMPARE(c->size(), QSize(100, 100));
    // Shown again by a host, it hides again at the next paint.
    c->resize(300, 200);
    c->show();
    c->repaint();
    QTRY_VERIFY(!c->isVisible());
    QCOMPARE(c->size(), QSize(100, 100));
}

void TestHost::cEntryPoints()
{
    // Found by name, as a host that loads the library with dlopen finds it.
    auto api = reinterpret_cast<velaAssetEst_api_fn>(dlsym(RTLD_DEFAULT, "velaAssetEst_api"));
    QVERIFY(api);
    const VelaAssetEstApi *a = api();
    QCOMPARE(a->version, VELA_ASSET_EST_API_VERSION);
    QVERIFY(dlsym(RTLD_DEFAULT, "velaAssetEst_view"));

    QWidget window;
    VelaAssetEstHandle *h = a->create(&window);
    QVERIFY(h);
    QCOMPARE(static_cast<QWidget *>(a->widget(h))->parentWidget(), &window);
    QCOMPARE(a->userID(h), -1);
    QCOMPARE(QByteArray(a->connectionString(h)), QByteArray());

    // A failing call returns -1 with its description; nothing escapes into C.
    a->setUserID(h, 1);
    a->setConnectionString(h, "Provider=SQLite;Data Source=/nonexistent/suite.sqlite");
    QCOMPARE(a->clearShow(h), -1);
    QVERIFY(QByteArray(a->lastError(h)).size() > 0);

    TestDatabase db;
    MessageRecorder messages;
    a->setConnectionString(h, db.connectionString.toUtf8().constData());
    a->setPositionID(h, 5);
    QCOMPARE(QString::fromUtf8(a->connectionString(h)), db.connectionString);
    QCOMPARE(a->positionID(h), 5);
    QCOMPARE(a->view(h, 3), 0);
    QCOMPARE(QByteArray(a->lastError(h)), QByteArray());
    QCOMPARE(FormMain::instance().txtID->text(), QStringLiteral("3"));

    // The host window may delete the control first; the handle then fails cleanly.
    delete static_cast<QWidget *>(a->widget(h));
    QCOMPARE(a->clearShow(h), -1);
    a->destroy(h);
}

QTEST_MAIN(TestHost)
#include "tst_host.moc"
