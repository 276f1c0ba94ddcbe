// The host control velaAssetEst: properties and their persistence, the role to open the form,
// failures that reach the host, the repaint rule and the C entry points.
#include "entry/FormDriver.h"
#include "host/velaAssetEstC.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

#include <QSignalSpy>

using vela::FormMain;

namespace {
// Keeps what it is given, except a value equal to its default.
struct MemoryBag : VelaPropertyBag {
    QVariantMap stored;
    QVariant ReadProperty(const QString &n, const QVariant &def) override
    {
        return stored.value(n, def);
    }
    void WriteProperty(const QString &n, const QVariant &v, const QVariant &def) override
    {
        v == def ? void(stored.remove(n)) : void(stored.insert(n, v));
    }
};
} // namespace

class TestHost : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { FormMain::unload(); }
    void properties();
    void calls();
    void repaintHides();
    void cEntryPoints();
};

void TestHost::properties()
{
    velaAssetEst c;
    QCOMPARE((QVariantList {c.UserID(), c.PositionID(), c.OLEConnectionString()}),
        (QVariantList {-1, -1, QString()}));
    MemoryBag bag;
    bag.stored.insert(u"EmployeeID"_qs, 12);
    c.WriteProperties(bag); // every value is its default: the store keeps nothing
    QVERIFY(bag.stored.isEmpty());

    QSignalSpy changed(&c, &velaAssetEst::PropertyChanged);
    c.setProperty("UserID", 7); // by name, as hosts that create components by name do
    c.setPositionID(3);
    c.setOLEConnectionString(u"Provider=SQLite;Data Source=x"_qs);
    QCOMPARE(changed.size(), 3);
    QCOMPARE(changed[0][0].toString(), u"UserID"_qs);
    c.WriteProperties(bag);
    bag.stored.insert(u"EmployeeID"_qs, 12);
    velaAssetEst restored;
    restored.ReadProperties(bag);
    MemoryBag again;
    restored.WriteProperties(again);
    QCOMPARE(again.stored, bag.stored); // all four keys, EmployeeID included
    QCOMPARE(again.stored.size(), 4);
}

void TestHost::calls()
{
    TestDatabase db;
    db.exec(u"INSERT INTO tblOrvoUser (ID, UserName, Name) VALUES (30, 'guest', 'مهمان')"_qs);
    MessageRecorder messages;
    FormDriver d(db, 30);
    QSignalSpy events(&d.host, &velaAssetEst::CreateNewRelationship),
        shown(&d.host, &velaAssetEst::ShowRelationships);

    // Without role 111: the refusal, and the form is not touched.
    QCOMPARE(d.host.ClearShow(), false);
    QCOMPARE(d.host.View(1), false);
    QCOMPARE(messages.count(), 2);
    QCOMPARE(
        lastBox(messages), box(u"خطا"_qs, u"شما مجاز به انجام اين عمليات نيستيد. نقش ”111“"_qs));
    QVERIFY(!FormMain::isLoaded());

    // A write reaches the component only with the next call.
    d.host.setUserID(1);
    d.host.setPositionID(4);
    QCOMPARE(vela::CurrentUserID, 30);
    qint32 id = 2;
    QCOMPARE(d.host.View(id), false);
    QCOMPARE(id, 2);
    QCOMPARE(vela::CurrentPositionID, 4);
    QCOMPARE(d.text("txtID"), u"2"_qs);
    for (qint32 empty : {0, -5}) {
        d.host.View(empty);
        QCOMPARE(d.form().FormMode, int(FormMain::ModeEmpty));
    }
    QCOMPARE(messages.count(), 2);

    // Failures of the database reach the host: no connection, a missing file, an unknown
    // provider, a start-up that cannot load a selector (the next good call starts afresh).
    FormMain::unload();
    for (const QString &cs :
        {QString(), u"Provider=SQLite;Data Source=/nonexistent/x.sqlite"_qs, u"Provider=No"_qs}) {
        d.host.setOLEConnectionString(cs);
        QVERIFY_THROWS_EXCEPTION(vela::VelaError, d.host.ClearShow());
        QVERIFY_THROWS_EXCEPTION(vela::VelaError, d.host.View(1));
    }
    db.exec(u"DROP VIEW vwAssetGroupMajor"_qs);
    d.host.setOLEConnectionString(db.connectionString);
    QVERIFY_THROWS_EXCEPTION(vela::VelaError, d.host.ClearShow());
    QVERIFY(!FormMain::isLoaded());
    TestDatabase good;
    d.host.setOLEConnectionString(good.connectionString);
    d.host.ClearShow();
    QVERIFY(d.form().isVisible());
    QCOMPARE(events.size() + shown.size(), 0);
}

void TestHost::repaintHides()
{
    QWidget window;
    auto *c = new velaAssetEst(&window);
    c->setGeometry(10, 10, 250, 120);
    window.show();
    QTRY_VERIFY(!c->isVisible());
    QCOMPARE(c->size(), QSize(100, 100));
    c->resize(300, 200);
    c->show();
    QTRY_VERIFY(!c->isVisible());
    QCOMPARE(c->size(), QSize(100, 100));
}

void TestHost::cEntryPoints()
{
    const VelaAssetEstApi *a = velaAssetEst_api();
    QWidget window;
    VelaAssetEstHandle *h = a->create(&window);
    QCOMPARE(static_cast<QWidget *>(a->widget(h))->parentWidget(), &window);
    a->setUserID(h, 1);
    a->setConnectionString(h, "Provider=SQLite;Data Source=/nonexistent/x.sqlite");
    QCOMPARE(a->clearShow(h), -1); // the failure as a text, nothing thrown into C
    QVERIFY(*a->lastError(h));
    TestDatabase db;
    a->setConnectionString(h, db.connectionString.toUtf8().constData());
    QCOMPARE(a->view(h, 3), 0);
    QCOMPARE(FormMain::instance().txtID->text(), u"3"_qs);
    delete static_cast<QWidget *>(a->widget(h)); // the host window may delete it first
    QCOMPARE(a->clearShow(h), -1);
    a->destroy(h);
}

QTEST_MAIN(TestHost)
#include "tst_host.moc"
