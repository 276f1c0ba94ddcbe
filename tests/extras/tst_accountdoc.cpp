// The accounting document link through the entry form's cmdViewAccountDoc on the demo database:
// the permission, the document query and its messages, and the viewer plugin made available
// from the install directory on the first click.
#include "entry/FormDriver.h"
#include "suite/ComponentRegistry.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QTableWidget>

namespace {

const QString ProgId = QStringLiteral("comAccountDoc.comAccountDoc1");
const QString NotAllowed = QStringLiteral("شما مجاز به انجام اين عمليات نيستيد.");
const QString Phrase = QStringLiteral("ثبت نهايي استقرار");

// The viewer windows open now.
QList<QWidget *> viewers()
{
    QList<QWidget *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("FormAccountDoc") && w->isVisible())
            out << w;
    return out;
}

void closeViewers()
{
    for (QWidget *w : viewers())
        w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString field(QWidget *viewer, const char *name)
{
    auto *e = viewer->findChild<QLineEdit *>(QLatin1String(name));
    return e ? e->text() : QStringLiteral("(none)");
}

} // namespace

class TestAccountDoc : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The install directory of the build tree: the plugin's folder's parent.
        m_installDirectory
            = QFileInfo(QFileInfo(QStringLiteral(VELA_ACCOUNT_DOC_PLUGIN)).path()).path()
            + QLatin1Char('/');
        QVERIFY(
            QFileInfo::exists(m_installDirectory + QStringLiteral("Commercial/VelaAccountDoc.so")));
        QVERIFY(!vela::ComponentRegistry::instance().isRegistered(ProgId));
    }
    void cleanup() { closeViewers(); }
    void refusalsAndNoDocument();
    void firstClickRegistersAndOpens();

private:
    void setInstallDirectory(TestDatabase &db, const QString &folder)
    {
        db.exec(QStringLiteral("UPDATE tblOrvoSetting SET BasePath='%1'").arg(folder));
    }
    QString m_installDirectory;
};

// Each way the document is not shown: no permission, no document, no viewer plugin to load.
void TestAccountDoc::refusalsAndNoDocument()
{
    TestDatabase db;
    setInstallDirectory(db, db.folder() + QLatin1Char('/')); // no plugin file there
    MessageRecorder messages;
    {
        // User 2 may open the form but not the document.
        FormDriver viewer(db, vela::SuiteDatabase::DemoViewerUserID);
        viewer.host.View(TestDatabase::AssetWithDocument);
        viewer.takeTrace();
        viewer.click("cmdViewAccountDoc");
        QCOMPARE(messages.last().title, QStringLiteral("خطا"));
        QCOMPARE(messages.last().text, NotAllowed);
        QCOMPARE(
            viewer.takeTrace(), QStringList(QStringLiteral("CALL spOrvoHasPermission(2, 303)")));
    }
    FormDriver d(db);
    // No document: a record without one, an empty form, a document row without the phrase.
    d.host.View(TestDatabase::PlainAsset);
    d.takeTrace();
    messages.clear();
    d.click("cmdViewAccountDoc");
    QCOMPARE(d.takeTrace(),
        QStringList({QStringLiteral("CALL spOrvoHasPermission(1, 303)"),
            QStringLiteral("Select * from tblAccountDocumentDetail Where FormID=50 and "
                           "FormTypeID=1022148 and description like '%")
                + Phrase + QStringLiteral("%'")}));
    QCOMPARE(messages.last().title, QStringLiteral("اطلاع"));
    QCOMPARE(messages.last().text, QStringLiteral("سند حسابداري يافت نشد!"));
    d.host.ClearShow(); // the button works in empty mode; the empty box counts as 0
    d.takeTrace();
    d.click("cmdViewAccountDoc");
    QVERIFY(d.takeTrace().last().contains(QStringLiteral("Where FormID=0 and")));
    QCOMPARE(messages.count(), 2);
    // A document, but the viewer is not registered and its file is missing: the refusal text.
    d.host.View(TestDatabase::AssetWithDocument);
    d.click("cmdViewAccountDoc");
    QCOMPARE(messages.count(), 3);
    QVERIFY(messages.last().title == QStringLiteral("خطا") && messages.last().text == NotAllowed);
    QVERIFY(!vela::ComponentRegistry::instance().isRegistered(ProgId));
    db.exec(QStringLiteral(
        "UPDATE tblAccountDocumentDetail SET Description='سند خرید' WHERE FormID=1"));
    d.host.View(TestDatabase::AssetWithDocument);
    d.click("cmdViewAccountDoc");
    QCOMPARE(messages.count(), 4);
    QCOMPARE(messages.last().text, QStringLiteral("سند حسابداري يافت نشد!"));
    QVERIFY(viewers().isEmpty());
}

// The plugin is present but not registered: one click loads it and opens the document; later
// clicks find it registered and load nothing (the install directory no longer matters).
void TestAccountDoc::firstClickRegistersAndOpens()
{
    TestDatabase db;
    setInstallDirectory(db, m_installDirectory);
    // Amounts beyond what a double keeps, whose total is beyond the range of one amount.
    db.exec(QStringLiteral(
        "INSERT INTO tblAccountDocumentDetail (DocumentID, RowNumber, AccountCode, AccountTitle, "
        "FormID, FormTypeID, Description, Debit, Credit) VALUES "
        "(1, 3, '1290', 'پیش پرداخت', 1, 1022148, 'ثبت نهايي استقرار - آزمون', "
        "'922337203685477.5807', '0'), "
        "(1, 4, '3190', 'سایر', 1, 1022148, 'ثبت نهايي استقرار - آزمون', '0', "
        "'922337203685477.5807')"));
    MessageRecorder messages;
    FormDriver d(db, 4); // a reviewer who holds role 303
    d.host.setPositionID(7);
    d.host.View(TestDatabase::AssetWithDocument);
    d.click("cmdViewAccountDoc");
    QCOMPARE(messages.count(), 0);
    QVERIFY(vela::ComponentRegistry::instance().isRegistered(ProgId));
    QCOMPARE(viewers().size(), 1);
    QWidget *viewer = viewers().first();
    QCOMPARE(viewer->layoutDirection(), Qt::RightToLeft);
    QStringList fields;
    for (const char *name : {"txtDocumentNo", "txtDocumentDate", "txtBranch", "txtStatus"})
        fields << field(viewer, name);
    QCOMPARE(fields, QStringList({"1407", "1398/08/07", "تهران - مرکزی", "قطعی"}));
    QVERIFY(viewer->findChild<QLabel *>(QStringLiteral("lblViewer"))
                ->text()
                .contains(QStringLiteral("حسین محمدی")));
    auto *grid = viewer->findChild<QTableWidget *>(QStringLiteral("flxRows"));
    QVERIFY(grid);
    QCOMPARE(grid->rowCount(), 5); // four rows and the totals
    QStringList cells;
    for (auto [r, c] : {std::pair {0, 2}, {0, 5}, {0, 6}, {2, 5}, {4, 4}, {4, 5}, {4, 6}})
        cells << grid->item(r, c)->text();
    QCOMPARE(cells,
        QStringList({"اموال، ماشین آلات و تجهیزات", "1/450/000/000", "", "922/337/203/685/477.5807",
            "جمع", "922/338/653/685/477.5807", "922/338/653/685/477.5807"}));

    // Registered now: no file is needed any more (the form reads the install directory anew
    // when it is loaded again).
    closeViewers();
    setInstallDirectory(db, db.folder() + QStringLiteral("/nowhere/"));
    vela::FormMain::unload();
    d.host.View(2);
    d.click("cmdViewAccountDoc");
    QCOMPARE(messages.count(), 0);
    QCOMPARE(viewers().size(), 1);
    QCOMPARE(field(viewers().first(), "txtDocumentNo"), QStringLiteral("1414"));
}

QTEST_MAIN(TestAccountDoc)
#include "tst_accountdoc.moc"
