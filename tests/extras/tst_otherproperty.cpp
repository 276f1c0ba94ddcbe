// The extra properties dialog through the entry form's cmdMoreInfo on the demo database: what it
// shows and runs in view and edit mode, what OK stores, a category with more than eight
// properties, and a store that fails.
#include "common/WhenModal.h"
#include "entry/FormDriver.h"
#include "extras/FormOtherProperty.h"
#include "suite/velaPropertyPicker.h"

#include <QComboBox>
#include <QLabel>

using vela::FormOtherProperty;
using vela::velaPropertyPicker;

namespace {

const QString RecordSql = QStringLiteral(
    "select Name, (Select x.CategoryID from tblAssetGroup x Where x.ID=GroupID) as CategoryID,TypeID  from tblAssetEstablishment Where ID=");
const QString DefinitionsSql = QStringLiteral(
    "select * from tblAssetCategoryProperty Where CategoryID in (Select g.CategoryID from tblAssetGroup g where g.ID in(select x.GroupID from tblAssetEstablishment x Where x.ID=%1))");
const QString ValueSql = QStringLiteral(
    "select Value from tblAssetEstablishmentPropertyData Where EstablishmentID=%1 and PropertyTypeID=%2");
const QString DeleteSql
    = QStringLiteral("delete tblAssetEstablishmentPropertyData where EstablishmentID=");
const QString InsertSql = QStringLiteral(
    "Insert into tblAssetEstablishmentPropertyData(EstablishmentID, PropertyTypeID,Value) Values(%1,%2,'%3')");

// Presses cmdMoreInfo and runs `body` on the dialog while it waits; Cancel closes it if the
// body left it open. Returns whether a dialog came up.
bool withDialog(FormDriver &d, const std::function<void(FormOtherProperty &)> &body)
{
    return whenModal<FormOtherProperty>([&] { d.click("cmdMoreInfo"); },
        [&](FormOtherProperty &f) {
            QPointer<FormOtherProperty> alive(&f);
            body(f);
            if (alive && alive->isVisible())
                alive->cmdCancel_Click();
        });
}

QStringList slotTypes(FormOtherProperty &f)
{
    QStringList types;
    for (velaPropertyPicker *p : f.sltProperty)
        if (p->isVisible())
            types << QString::number(p->PropertyTypeID());
    return types;
}

// The dialog's own statements since the last call (the pickers and selectors read their types
// and lists through connections of their own).
QStringList dialogTrace(FormDriver &d)
{
    QStringList out;
    for (const QString &s : d.takeTrace())
        if (s.contains(QLatin1String("tblAssetEstablishment"))
            || s.contains(QLatin1String("tblAssetCategoryProperty"))
            || s.contains(QLatin1String("TRANSACTION")))
            out << s;
    return out;
}

// The stored values of a record: "type=value" in type order.
QStringList stored(TestDatabase &db, int id)
{
    QStringList out;
    for (const QVariantList &r : db.rows(
             QStringLiteral("SELECT PropertyTypeID, Value FROM tblAssetEstablishmentPropertyData "
                            "WHERE EstablishmentID=%1 ORDER BY PropertyTypeID")
                 .arg(id)))
        out << r[0].toString() + QLatin1Char('=') + r[1].toString();
    return out;
}

} // namespace

class TestOtherProperty : public QObject {
    Q_OBJECT
private slots:
    void viewAndEdit();
    void moreThanEightSlots();
    void failedStoreKeepsEverything();
    void nothingInNewAndEmptyModes();
};

// A computer (category 5: serial, model, warranty date, operating system, memory): the view shows
// the stored values read-only without OK and writes nothing; the edit stores what the user left.
void TestOtherProperty::viewAndEdit()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    d.host.View(18);
    d.takeTrace();
    const QStringList before = stored(db, 18);

    QVERIFY(withDialog(d, [&](FormOtherProperty &f) {
        QCOMPARE(f.txtName->text(), QStringLiteral("رایانه رومیزی Core i7"));
        QVERIFY(f.sltCategory->SelectedID() == 5 && f.sltType->SelectedID() == 1);
        QVERIFY(!f.txtName->isEnabled() && !f.sltCategory->isEnabled() && !f.sltType->isEnabled());
        QVERIFY(!f.cmdOk->isVisible());
        QCOMPARE(slotTypes(f), QStringList({"2", "3", "10", "17", "18"}));
        QCOMPARE(f.sltProperty[0]->typeName(), QStringLiteral("شماره سریال"));
        QStringList values; // no model stored
        for (velaPropertyPicker *p : f.sltProperty) {
            QVERIFY(!p->isEnabled());
            values << p->Value();
        }
        QCOMPARE(
            values.mid(0, 5), QStringList({"CN9282647", "", "1399/11/02", "Windows 10", "16"}));
        using K = velaPropertyPicker::Kind;
        QVERIFY(f.sltProperty[2]->kind() == K::Date && f.sltProperty[3]->kind() == K::Choice
            && f.sltProperty[4]->kind() == K::Number);
        QCOMPARE(f.sltProperty[3]->choices(),
            QStringList({"Windows 10", "Windows 11", "Ubuntu", "macOS"}));
    }));
    // The dialog's statements in their order, values read from the last slot to the first; the
    // view writes nothing.
    QStringList expected {RecordSql + QStringLiteral("18"), DefinitionsSql.arg(18)};
    for (int type : {18, 17, 10, 3, 2})
        expected << ValueSql.arg(18).arg(type);
    QCOMPARE(dialogTrace(d), expected);
    QCOMPARE(stored(db, 18), before);
    QCOMPARE(messages.count(), 0);

    // Edit: a model with a quote, the memory in Persian digits, the operating system cleared.
    d.click("cmdEdit");
    d.takeTrace();
    QVERIFY(withDialog(d, [&](FormOtherProperty &f) {
        QVERIFY(f.cmdOk->isVisible() && f.sltProperty[1]->isEnabled());
        f.sltProperty[1]->setValue(QStringLiteral("OptiPlex 7090 'SFF'"));
        static_cast<QLineEdit *>(f.sltProperty[4]->editor())->setText(QStringLiteral("۳۲"));
        static_cast<QComboBox *>(f.sltProperty[3]->editor())->setCurrentIndex(0);
        QVERIFY(f.sltProperty[3]->IsEmpty());
        d.takeTrace();
        QTest::mouseClick(f.cmdOk, Qt::LeftButton);
        QVERIFY(!f.isVisible());
    }));
    QCOMPARE(messages.count(), 0);
    QCOMPARE(dialogTrace(d),
        QStringList({QStringLiteral("BEGIN TRANSACTION"), DeleteSql + QStringLiteral("18"),
            InsertSql.arg(18).arg(2).arg(QStringLiteral("CN9282647")),
            InsertSql.arg(18).arg(3).arg(QStringLiteral("OptiPlex 7090 ''SFF''")),
            InsertSql.arg(18).arg(10).arg(QStringLiteral("1399/11/02")),
            InsertSql.arg(18).arg(18).arg(QStringLiteral("32")),
            QStringLiteral("COMMIT TRANSACTION")}));
    QCOMPARE(stored(db, 18),
        QStringList({"2=CN9282647", "3=OptiPlex 7090 'SFF'", "10=1399/11/02", "18=32"}));
}

// Vehicles define ten properties: the first eight the database returns get the slots, the user
// is told, and OK keeps the stored values of the two not shown while it replaces the rest (also
// a value of a type the category no longer defines).
void TestOtherProperty::moreThanEightSlots()
{
    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO tblAssetEstablishmentPropertyData VALUES (1, 2, 'old')"));
    // A long name: the notice grows to hold it.
    const QString longName = QStringLiteral(
        "پایان بیمه بدنه و شخص ثالث و حوادث راننده نزد بیمه‌گر طرف قرارداد سالانه سازمان با پوشش سرقت کلی و جزئی");
    db.exec(QStringLiteral("UPDATE tblAssetPropertyType SET Name='%1' WHERE ID=16").arg(longName));
    MessageRecorder messages;
    FormDriver d(db);
    d.host.View(1);
    QVERIFY(withDialog(d, [&](FormOtherProperty &f) {
        QCOMPARE(slotTypes(f), QStringList({"1", "3", "4", "5", "6", "7", "13", "14"}));
        QCOMPARE(f.NotShownTypes, QVector<qint32>({15, 16}));
        QVERIFY(f.lblNotShown->isVisible() && f.lblNotShown->text().contains(QStringLiteral("10"))
            && f.lblNotShown->text().contains(QStringLiteral("کارکرد (کیلومتر)، پایان بیمه بدنه")));
        // Room was made for the notice: nothing of it is cut off.
        QVERIFY(f.lblNotShown->geometry().bottom() < f.height());
        QVERIFY(f.lblNotShown->heightForWidth(f.lblNotShown->width()) <= f.lblNotShown->height());
        QCOMPARE(f.sltProperty[6]->Value(), QStringLiteral("دوگانه سوز"));
    }));
    d.click("cmdEdit");
    d.takeTrace();
    QVERIFY(withDialog(d, [&](FormOtherProperty &f) {
        f.sltProperty[0]->setValue(QStringLiteral("سفید"));
        QTest::mouseClick(f.cmdOk, Qt::LeftButton);
    }));
    QVERIFY(
        dialogTrace(d).contains(DeleteSql + QStringLiteral("1 and PropertyTypeID not in (15,16)")));
    QCOMPARE(stored(db, 1),
        QStringList({"1=سفید", "3=پژو ۴۰۵ GLX", "4=۱۲ ب ۳۴۵ ایران ۱۱", "5=NAAP89883340135",
            "7=1397", "13=دوگانه سوز", "14=دستی", "15=185400", "16=1403/08/26"}));
    QCOMPARE(messages.count(), 0);
}

// An insert the database refuses: the message says so, the dialog stays open with the user's
// values, and the record's values are as before. A date that does not exist is refused before
// anything is written.
void TestOtherProperty::failedStoreKeepsEverything()
{
    TestDatabase db;
    db.refuse(QStringLiteral("tblAssetEstablishmentPropertyData"), QStringLiteral("INSERT"),
        QStringLiteral("refused by the test"), QStringLiteral("NEW.Value = 'boom'"));
    MessageRecorder messages;
    FormDriver d(db);
    d.host.View(18);
    d.click("cmdEdit");
    const QStringList before = stored(db, 18);
    QVERIFY(withDialog(d, [&](FormOtherProperty &f) {
        auto *date = f.sltProperty[2]->editor()->findChild<QLineEdit *>();
        date->setText(QStringLiteral("1402/13/40"));
        d.takeTrace();
        QTest::mouseClick(f.cmdOk, Qt::LeftButton);
        QCOMPARE(messages.last().title, QStringLiteral("اشکال"));
        QVERIFY(messages.last().text.contains(QStringLiteral("پایان گارانتی")));
        QVERIFY(dialogTrace(d).isEmpty());
        date->setText(QStringLiteral("1404/01/15"));

        f.sltProperty[1]->setValue(QStringLiteral("boom"));
        QTest::mouseClick(f.cmdOk, Qt::LeftButton);
        QVERIFY(f.isVisible());
        QCOMPARE(messages.last().title, QStringLiteral("خطا در ثبت"));
        QVERIFY(messages.last().text.contains(QStringLiteral("دست نخورده")));
        QCOMPARE(f.sltProperty[1]->Value(), QStringLiteral("boom"));
        QCOMPARE(stored(db, 18), before);

        f.sltProperty[1]->setValue(QStringLiteral("OptiPlex"));
        QTest::mouseClick(f.cmdOk, Qt::LeftButton);
        QVERIFY(!f.isVisible());
    }));
    QVERIFY(stored(db, 18).contains(QStringLiteral("10=1404/01/15")));
    QVERIFY(stored(db, 18).contains(QStringLiteral("3=OptiPlex")));
}

// New and empty mode open nothing (the button is off there, and the routine itself does
// nothing); a view of a record that was not found shows an empty dialog and stores nothing.
void TestOtherProperty::nothingInNewAndEmptyModes()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    d.host.ClearShow();
    for (int mode : {2, 3}) {
        d.takeTrace();
        QVERIFY(!whenModal<QDialog>(
            [&] { FormOtherProperty::ShowForEntryForm(mode, 18, &d.form()); }, &QDialog::reject));
        QVERIFY(dialogTrace(d).isEmpty());
    }

    d.host.View(999); // not found: view mode with an empty identifier box
    messages.clear();
    d.takeTrace();
    QVERIFY(withDialog(d, [&](FormOtherProperty &f) {
        QVERIFY(f.txtName->text().isEmpty());
        QVERIFY(slotTypes(f).isEmpty());
    }));
    QCOMPARE(dialogTrace(d).first(), RecordSql + QStringLiteral("-1"));
    QCOMPARE(messages.count(), 0);
}

QTEST_MAIN(TestOtherProperty)
#include "tst_otherproperty.moc"
