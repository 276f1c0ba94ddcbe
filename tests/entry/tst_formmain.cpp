// The entry form: start-up, its four modes and the commands that change them, the loading of a
// record into every control, keyboard and input, and the geometry of the design and of a resize.
#include "entry/FormDriver.h"
#include "shared/modMain.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QTextBlock>

using vela::FormMain;
using Geometry = QHash<QString, QRectF>;

namespace {
const QString Caption = QStringLiteral("استقرار");
const QString NotAllowed = QStringLiteral("شما به انجام اين عمليات مجاز نيستيد.");
const QString InstallSql = QStringLiteral(
    "Select Isnull(BasePath,'') as InstallDirectory from vwOrvoBasePath Where ID=1 ");

const QString TitleInvalid = QStringLiteral("اشکال");

// Right to left: the middle column, the left one, the description, the command bar from cmdNew,
// then the buttons under the description and the picture.
const char *const TabOrder[] = {"txtID", "txtLabelNo", "txtOldLabelNo", "txtCode", "txtName",
    "datUtilizationDate", "datCreateDate", "sltType", "sltGroup", "sltLocation",
    "txtOrganizationLocation", "sltAccountable", "sltCreator", "txtCost", "txtAccumulatedCost",
    "txtAbortCost", "txtOfficeMaxCost", "sltStatusType", "txtDocumentNo", "datDocumentDate",
    "datReevaluationDate", "sltResponsible", "sltCostCenter", "sltBranch", "txtDescription",
    "cmdNew", "cmdEdit", "cmdSave", "cmdDelete", "cmdSearch", "cmdCancel", "cmdPreview",
    "cmdViewAccountDoc", "cmdDocGen", "cmdMoreInfo", "cmdEditPicture", "cmdRight",
    "cmdRefreshPicture", "cmdLeft"};

// Enabled per mode (view, edit, new, empty): the inputs in edit and new mode only, the record's
// number and creator never; the commands not listed here are left alone by the modes.
QString enabledIn(const QString &name)
{
    static const QHash<QString, QString> commands {{u"cmdNew"_qs, u"1101"_qs},
        {u"cmdEdit"_qs, u"1000"_qs}, {u"cmdDelete"_qs, u"1000"_qs}, {u"cmdSave"_qs, u"0110"_qs},
        {u"cmdCancel"_qs, u"0110"_qs}, {u"cmdMoreInfo"_qs, u"1100"_qs}};
    if (name.startsWith(u"cmd"))
        return commands.value(name, u"1111"_qs);
    return name == u"txtID" || name == u"sltCreator" ? u"0000"_qs : u"0110"_qs;
}

// The named control of the form that a focus widget belongs to.
QString fieldOf(QWidget *w)
{
    for (; w; w = w->parentWidget())
        for (const char *name : TabOrder)
            if (w->objectName() == QLatin1String(name))
                return w->objectName();
    return QString();
}

QString focused()
{
    return fieldOf(QApplication::focusWidget());
}

// The controls Tab or Enter visits from the one that has the focus, until it comes back or
// stays.
QStringList walk(Qt::Key key)
{
    QStringList seen {focused()};
    for (int most = 60; most > 0; --most) {
        QTest::keyClick(QApplication::focusWidget(), key);
        if (focused() == seen.first() || focused() == seen.last())
            break;
        seen << focused();
    }
    return seen;
}

QStringList enabledInOrder(FormDriver &d, const QString &from)
{
    QStringList out;
    for (const char *name : TabOrder)
        if (d.get(name)->isEnabled())
            out << QLatin1String(name);
    const qsizetype at = out.indexOf(from);
    return out.mid(at) + out.mid(0, at);
}

void paste(QWidget *w, const QString &text)
{
    QApplication::clipboard()->setText(text);
    w->setFocus();
    QTest::keySequence(w, QKeySequence::Paste);
}

void checkMode(FormDriver &d, int mode, const QString &caption)
{
    QCOMPARE(d.form().FormMode, mode);
    QCOMPARE(d.form().windowTitle(), caption);
    for (const char *name : TabOrder)
        QVERIFY2(d.get(name)->isEnabled() == (enabledIn(QLatin1String(name))[mode] == u'1'), name);
}

// Every text field, also those inside the selectors, dates and amounts, is empty (the creator
// and today's date aside).
bool inputsEmpty(FormDriver &d)
{
    for (QLineEdit *e : d.form().findChildren<QLineEdit *>())
        if (!e->text().isEmpty() && !d.get("sltCreator")->isAncestorOf(e)
            && !d.get("datToday")->isAncestorOf(e))
            return false;
    return d.get<QPlainTextEdit>("txtDescription")->toPlainText().isEmpty();
}
// The control's value in the form the database holds it; NULL as an invalid variant.
QVariant shown(QWidget *w)
{
    QString s;
    if (auto *l = qobject_cast<vela::OrvoSelector *>(w))
        s = l->IsEmpty() ? QString() : QString::number(l->SelectedID());
    else if (auto *m = qobject_cast<vela::OrvoCurrency *>(w))
        s = m->Text();
    else if (auto *d = qobject_cast<vela::OrvoDate *>(w))
        s = d->Value().toString(Qt::ISODate);
    else if (auto *e = qobject_cast<QLineEdit *>(w))
        s = e->text();
    else
        s = static_cast<QPlainTextEdit *>(w)->toPlainText();
    return s.isEmpty() ? QVariant() : QVariant(s);
}

// The table column of an input: its name without the prefix, "ID" added to a selector's.
QString columnOf(const char *input)
{
    const QString name = QLatin1String(input);
    return name.mid(3) + (name.startsWith(u"slt") ? u"ID"_qs : QString());
}

// A control's twips geometry in the form's coordinates (the attachment viewer's controls are
// placed in the viewer).
QRectF inForm(FormMain &f, QWidget *w)
{
    QRectF r = vela::twipsGeometry(w);
    for (QWidget *p = w->parentWidget(); p && p != &f; p = p->parentWidget())
        r.translate(vela::twipsGeometry(p).topLeft());
    return r;
}

// Every control of the form, the viewer's controls in place of the viewer.
Geometry snapshot(FormMain &f)
{
    Geometry g;
    for (QWidget *w : f.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w == f.attachmentViewer) {
            for (QWidget *v : w->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
                g.insert(v->objectName(), inForm(f, v));
            continue;
        }
        g.insert(w->objectName(), vela::twipsGeometry(w));
    }
    return g;
}

// Expected increments (left, top, width, height) of each control for a change dW x dH.
QHash<QString, QRectF> shares(double dW, double dH)
{
    QHash<QString, QRectF> s;
    // The tab order reads right to left: the first twelve inputs are the right column, the next
    // twelve the middle one; the bar and the picture buttons run right to left as well.
    for (int k = 0; k < 24; ++k)
        s[TabOrder[k]] = {k < 12 ? dW / 3 : 0, 0, dW / 3, 0};
    for (int k = 0; k < 9; ++k)
        s[TabOrder[33 - k]] = {k * dW / 9, 0, dW / 9, 0};
    for (const char *lbl : {"lblCreatorID", "lblCost", "lblAccumulatedCost", "lblAbortCost",
             "lblOfficeValueMax", "lblStatusType", "lblDocumentNo", "lblDocumentDate",
             "lblReEvaluationDate", "lblResponsible", "lblCostCenter", "lblBranch"})
        s[lbl] = {dW / 3, 0, 0, 0};
    for (const char *lbl : {"lblID", "lblLabelNo", "lblOldLabelNo", "lblCode", "lblName",
             "lblUtilizationDate", "lblCreateDate", "lblType", "lblGroup", "lblLocation",
             "lblOrganizationLocation", "lblAccounable", "lblDescription"})
        s[lbl] = {2 * dW / 3, 0, 0, 0};
    s["txtDescription"] = {0, 0, 2 * dW / 3, dH};
    s["frameMain"] = {0, 0, dW, dH};
    s["frameImportant"] = {0, 0, 2 * dW / 3, 0};
    s["cmdMoreInfo"] = {0, dH, 0, 0};
    s["picProduct"] = {2 * dW / 3, 0, dW / 3, dH};
    for (int k = 0; k < 4; ++k)
        s[TabOrder[38 - k]] = {2 * dW / 3 + k * dW / 12, dH, dW / 12, 0};
    return s; // anything else (datToday) does not move
}

// Resizes the window (frame included, twips) and checks every control against its share of the
// change; `refused` is a control whose width change is expected to be refused.
void resizeAndCheck(
    FormMain &f, double W, double H, double dW, double dH, const QString &refused = {})
{
    const Geometry before = snapshot(f);
    f.resize(vela::twipsToPixels(W - FormMain::FrameWidthTwips),
        vela::twipsToPixels(H - FormMain::FrameHeightTwips));
    QTRY_COMPARE(f.windowWidthTwips(), W);
    QTRY_COMPARE(f.windowHeightTwips(), H);
    const Geometry after = snapshot(f);
    const QHash<QString, QRectF> s = shares(dW, dH);
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const QRectF b = it.value(), a = after.value(it.key()), e = s.value(it.key());
        const QRectF want(b.left() + e.left(), b.top() + e.top(),
            b.width() + (it.key() == refused ? 0 : e.width()), b.height() + e.height());
        QVERIFY2(qAbs(a.left() - want.left()) + qAbs(a.top() - want.top())
                    + qAbs(a.width() - want.width()) + qAbs(a.height() - want.height())
                < 0.01,
            qPrintable(it.key()));
    }
}
} // namespace

class TestFormMain : public QObject {
    Q_OBJECT
private slots:
    void startUp();
    void modesAndTransitions();
    void refusalsAndMissingRecord();
    void everyColumn();
    void tabAndEnter();
    void typedDates();
    void longTexts();
    void designAndResize();
};

void TestFormMain::startUp()
{
    TestDatabase db;
    db.exec(QStringLiteral("UPDATE tblOrvoSetting SET BasePath='/opt/orvo/'"));
    FormDriver d(db);
    d.host.ClearShow();
    QStringList trace = d.takeTrace();
    QCOMPARE(trace.count(InstallSql), 1);
    QVERIFY(trace.indexOf(InstallSql) < trace.indexOf(QStringLiteral("Select getdate() as today")));
    QCOMPARE(d.form().InstallDirectory, QStringLiteral("/opt/orvo/"));
    QVERIFY(d.form().isVisible());
    QCOMPARE(d.get<vela::OrvoSelector>("sltCreator")->SelectedID(), 1); // the current user
    QVERIFY(qAbs(d.get<vela::OrvoDate>("datToday")->Value().daysTo(QDate::currentDate())) <= 1);
    for (const char *s : TabOrder)
        if (auto *selector = qobject_cast<vela::OrvoSelector *>(d.get(s)))
            QVERIFY2(selector->itemCount() > 0, s);

    // Start-up runs once per load: again only after the user closed the form; with no setting
    // row the installation directory is empty and the form still opens.
    d.host.View(1);
    QCOMPARE(d.takeTrace().count(InstallSql), 0);
    d.form().close();
    QVERIFY(!FormMain::isLoaded());
    db.exec(QStringLiteral("DELETE FROM tblOrvoSetting"));
    d.host.ClearShow();
    QCOMPARE(d.takeTrace().count(InstallSql), 1);
    QCOMPARE(d.form().InstallDirectory, QString());
    QVERIFY(d.form().isVisible());

    // Texts are right aligned; empty dates show a Persian hint only while they can be typed into.
    for (QLineEdit *e : d.form().findChildren<QLineEdit *>())
        QVERIFY2(
            (e->alignment() & Qt::AlignHorizontal_Mask) == (Qt::AlignRight | Qt::AlignAbsolute),
            qPrintable(fieldOf(e)));
    QCOMPARE(d.get<QPlainTextEdit>("txtDescription")->document()->defaultTextOption().alignment(),
        Qt::AlignRight | Qt::AlignAbsolute);
    // Empty dates: no hint while disabled, a Persian one while they can be typed into.
    auto *date = d.get<vela::OrvoDate>("datDocumentDate");
    QCOMPARE(date->editor()->placeholderText(), QString());
    d.click("cmdNew");
    QCOMPARE(date->editor()->placeholderText(), QStringLiteral("روز/ماه/سال"));
}

void TestFormMain::modesAndTransitions()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    const QString name
        = db.scalar(QStringLiteral("SELECT Name FROM tblAssetEstablishment WHERE ID=1")).toString();
    d.host.ClearShow();
    checkMode(d, 3, Caption);
    d.host.View(1);
    checkMode(d, 0, Caption + QStringLiteral(" (مشاهده)"));
    d.click("cmdEdit");
    checkMode(d, 1, Caption + QStringLiteral(" (اصلاح)"));
    QVERIFY(d.takeTrace().contains(QStringLiteral("CALL spOrvoHasPermission(1, 102214802)")));

    // Cancel answered no keeps the edits; yes reloads the stored record in view mode.
    d.type("txtName", QStringLiteral(" تغییر"));
    messages.queue({0});
    d.click("cmdCancel");
    QCOMPARE(messages.last().title, QStringLiteral("انصراف از ثبت"));
    QCOMPARE(messages.last().text, QStringLiteral("آيا مطمئن هستيد؟"));
    QCOMPARE(d.text("txtName"), name + QStringLiteral(" تغییر"));
    messages.queue({1});
    d.click("cmdCancel");
    checkMode(d, 0, Caption + QStringLiteral(" (مشاهده)"));
    QCOMPARE(d.text("txtName"), name);

    // New from edit drops the edits unasked; the creator is the current user.
    d.click("cmdEdit");
    d.type("txtLabelNo", QStringLiteral("77"));
    d.click("cmdNew");
    checkMode(d, 2, Caption + QStringLiteral(" (جديد)"));
    QVERIFY(inputsEmpty(d));
    QCOMPARE(d.get<vela::OrvoSelector>("sltCreator")->SelectedID(), 1);
    QCOMPARE(messages.count(), 2);
    d.takeTrace();
    d.click("cmdEdit"); // disabled: starts nothing
    QVERIFY(d.takeTrace().isEmpty());
    d.type("txtName", QStringLiteral("میز"));
    d.click("cmdCancel"); // answered yes
    checkMode(d, 3, Caption);
    QVERIFY(inputsEmpty(d));
    QCOMPARE(
        db.scalar(QStringLiteral("SELECT Name FROM tblAssetEstablishment WHERE ID=1")).toString(),
        name);

    // The close box asks as Cancel does in edit and new mode.
    messages.clear();
    d.host.View(1);
    d.click("cmdEdit");
    d.type("txtName", QStringLiteral(" تغییر"));
    const QString edited = d.text("txtName");
    // No keeps the form open with the edits; yes closes it.
    messages.queue({0});
    QVERIFY(!d.form().close());
    QCOMPARE(messages.last().text, QStringLiteral("آيا مطمئن هستيد؟"));
    QVERIFY(FormMain::isLoaded() && d.form().isVisible());
    QCOMPARE(d.form().FormMode, int(FormMain::ModeEdit));
    QCOMPARE(d.text("txtName"), edited);
    messages.queue({1});
    QVERIFY(d.form().close());
    QVERIFY(!FormMain::isLoaded());
    // New mode asks too; view and empty mode close unasked.
    d.host.ClearShow();
    d.click("cmdNew");
    messages.queue({0});
    QVERIFY(!d.form().close());
    QCOMPARE(messages.count(), 3);
    d.host.View(1);
    QVERIFY(d.form().close());
    d.host.ClearShow();
    QVERIFY(d.form().close());
    QCOMPARE(messages.count(), 3);
}

void TestFormMain::refusalsAndMissingRecord()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db, vela::SuiteDatabase::DemoViewerUserID);
    d.host.View(1);
    for (const char *command : {"cmdEdit", "cmdNew"}) {
        d.click(command);
        QCOMPARE(messages.last().title, QStringLiteral("خطا"));
        QCOMPARE(messages.last().text, NotAllowed);
        checkMode(d, 0, Caption + QStringLiteral(" (مشاهده)"));
        QCOMPARE(d.text("txtID"), QStringLiteral("1"));
    }
    // A record that is not there: reported once, view mode with empty inputs; edit then asks
    // for record -1 and ends in edit mode, empty.
    d.host.View(9999);
    QCOMPARE(messages.count(), 3);
    QCOMPARE(messages.last().text, QStringLiteral("ركورد مورد نظر يافت نشد."));
    QCOMPARE(d.form().FormMode, int(FormMain::ModeView));
    QVERIFY(inputsEmpty(d));
    d.host.setUserID(1);
    d.host.View(9999);
    d.takeTrace();
    d.click("cmdEdit");
    QVERIFY(
        d.takeTrace().contains(QStringLiteral("select * from tblAssetEstablishment Where ID=-1")));
    QCOMPARE(d.form().FormMode, int(FormMain::ModeEdit));
    QVERIFY(inputsEmpty(d));
}

void TestFormMain::everyColumn()
{
    TestDatabase db;
    MessageRecorder messages;
    // A fraction, a quote, and a record whose every optional column is NULL.
    db.exec(QStringLiteral(
        "UPDATE tblAssetEstablishment SET AbortCost='98765432109876.25', Name='O''Brien' WHERE ID=2;"
        "INSERT INTO tblAssetEstablishment (ID, CreatorID, LabelNo, Name, UtilizationDate, "
        "FarsiUtilizationDate, TypeID, Cost, AccumulatedCost, AbortCost, StatusTypeID) "
        "VALUES (900, 2, '900900', 'میز', '2020-03-20', '1399/01/01', 1, 10, 0, 0, 1)"));
    FormDriver d(db);
    for (int id : {1, 2, 3, 900}) {
        d.host.View(id);
        for (const char *c : TabOrder) {
            if (QLatin1String(c).startsWith(QLatin1String("cmd")))
                break; // the inputs come first
            // The stored value's text, as the fixture reads it on either engine.
            QVariant stored
                = db.scalar(QStringLiteral("SELECT %1 FROM tblAssetEstablishment WHERE ID=%2")
                                .arg(columnOf(c))
                                .arg(id));
            if (stored.isValid())
                stored = stored.toString();
            QVERIFY2(shown(d.get(c)) == stored, qPrintable(columnOf(c) + QString::number(id)));
        }
    }
    QCOMPARE(d.get<vela::OrvoSelector>("sltGroup")->SelectedID(), -1);
    QVERIFY(d.form().currentPicture().isNull()); // record 900 has no attachment
    QVERIFY(
        d.takeTrace().contains(QStringLiteral("select * from tblAssetEstablishment Where ID=900")));
    // Without its date of first use the record still loads, the date empty.
    db.exec(QStringLiteral("UPDATE tblAssetEstablishment SET UtilizationDate=NULL WHERE ID=900"));
    d.host.View(900);
    QVERIFY(d.get<vela::OrvoDate>("datUtilizationDate")->IsEmpty());
    QCOMPARE(d.text("txtName"), QStringLiteral("میز"));
    QCOMPARE(messages.count(), 0);
}

void TestFormMain::tabAndEnter()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    d.host.View(1);
    QVERIFY(QTest::qWaitForWindowActive(&d.form()));
    d.click("cmdEdit");
    QCOMPARE(focused(), QStringLiteral("txtLabelNo"));
    d.click("cmdNew");
    QCOMPARE(focused(), QStringLiteral("txtLabelNo"));

    // Tab visits every enabled control once, in the reading order, and comes back round.
    QCOMPARE(walk(Qt::Key_Tab), enabledInOrder(d, QStringLiteral("txtLabelNo")));

    // Enter moves on through the single-line fields, selectors and dates included, up to the
    // description, where it starts a new line; Tab leaves the description, typing no tab.
    d.get("txtLabelNo")->setFocus();
    const QStringList fields = enabledInOrder(d, QStringLiteral("txtLabelNo"));
    QCOMPARE(walk(Qt::Key_Return), fields.mid(0, fields.indexOf(u"txtDescription"_qs) + 1));
    auto *description = d.get<QPlainTextEdit>("txtDescription");
    QTest::keyClicks(description, QStringLiteral("b"));
    QTest::keyClick(description, Qt::Key_Tab);
    QCOMPARE(description->toPlainText(), QStringLiteral("\nb"));
    QCOMPARE(focused(), QStringLiteral("cmdSave"));

    // Enter on a selector whose list of matches is open chooses from the list and stays.
    auto *type = d.get<vela::OrvoSelector>("sltType");
    QLineEdit *typeEditor = type->comboBox()->lineEdit();
    typeEditor->setFocus();
    formdriver::type(typeEditor, type->comboBox()->itemText(1).left(3));
    QWidget *popup = QApplication::activePopupWidget();
    QVERIFY(popup);
    QTest::keyClick(popup, Qt::Key_Return);
    QVERIFY(!type->IsEmpty());
    QCOMPARE(focused(), QStringLiteral("sltType"));
    QCOMPARE(messages.count(), 0);
}

void TestFormMain::typedDates()
{
    TestDatabase db;
    MessageRecorder messages;
    FormDriver d(db);
    d.host.View(1);
    QVERIFY(QTest::qWaitForWindowActive(&d.form()));
    d.click("cmdEdit");
    auto *created = d.get<vela::OrvoDate>("datCreateDate");
    auto *used = d.get<vela::OrvoDate>("datUtilizationDate");
    const QVariant storedUse
        = db.scalar(QStringLiteral("SELECT UtilizationDate FROM tblAssetEstablishment WHERE ID=1"));

    // Leaving the box with Tab: refused with a message naming the field; the focus comes back.
    created->setFocus();
    created->editor()->clear();
    QTest::keyClicks(created->editor(), QStringLiteral("1402/13/40"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(messages.count(), 1);
    QCOMPARE(messages.last().title, TitleInvalid);
    QVERIFY2(messages.last().text.contains(QStringLiteral("«تاريخ ايجاد»"))
            && messages.last().text.contains(QStringLiteral("1402/13/40")),
        qPrintable(messages.last().text));
    QCOMPARE(focused(), QStringLiteral("datCreateDate"));
    // Enter refuses it too and stays.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(messages.count(), 2);
    QCOMPARE(focused(), QStringLiteral("datCreateDate"));

    // Saving refuses it before anything else, also before a missing required value, and
    // writes nothing.
    d.get<QLineEdit>("txtLabelNo")->clear();
    d.form().cmdSave_Click();
    QCOMPARE(messages.count(), 3);
    QVERIFY(messages.last().text.contains(QStringLiteral("«تاريخ ايجاد»")));
    QCOMPARE(focused(), QStringLiteral("datCreateDate"));
    d.get<QLineEdit>("txtLabelNo")->setText(QStringLiteral("P-1"));

    // A required date typed wrong is named as wrong, not as missing.
    created->editor()->clear();
    used->editor()->setText(QStringLiteral("1403/12/31"));
    d.takeTrace();
    d.form().cmdSave_Click();
    QCOMPARE(messages.count(), 4);
    QVERIFY2(messages.last().text.contains(QStringLiteral("«تاريخ بهره برداي»")),
        qPrintable(messages.last().text));
    QVERIFY(!d.takeTrace().join(u'\n').contains(QLatin1String("Update")));
    QCOMPARE(
        db.scalar(QStringLiteral("SELECT UtilizationDate FROM tblAssetEstablishment WHERE ID=1")),
        storedUse);

    // Corrected, and typed without leaving the box, the dates are saved.
    used->editor()->setText(QStringLiteral("۱۴۰۳/۱۲/۳۰"));
    created->editor()->setText(QStringLiteral("1400/1/1"));
    d.form().cmdSave_Click();
    QCOMPARE(messages.count(), 4);
    QCOMPARE(db.rows(QStringLiteral("SELECT UtilizationDate, CreateDate, FarsiCreateDate FROM "
                                    "tblAssetEstablishment WHERE ID=1"))
                 .value(0),
        (QVariantList {QStringLiteral("2025-03-20"), QStringLiteral("2021-03-21"),
            QStringLiteral("1400/01/01")}));
}

void TestFormMain::longTexts()
{
    TestDatabase db;
    MessageRecorder messages;
    // One line of 300,000 characters and a title longer than a text box takes from the user.
    QString line;
    while (line.size() < 300000)
        line += QStringLiteral("شرح بلند دارایی، model X-200 ");
    line = line.trimmed() + QStringLiteral("\nدوم");
    const QString title = QString(40000, QLatin1Char('t'));
    db.exec(
        QStringLiteral("UPDATE tblAssetEstablishment SET Description='%1', Name='%2' WHERE ID=1")
            .arg(line, title));
    FormDriver d(db);
    d.host.View(1);
    QVERIFY(QTest::qWaitForWindowActive(&d.form()));
    auto *description = d.get<QPlainTextEdit>("txtDescription");
    // Held as paragraphs of at most 1000 characters, the only ones that are laid out.
    QVERIFY(description->document()->blockCount() > 300);
    for (QTextBlock b = description->document()->begin(); b.isValid(); b = b.next())
        QVERIFY(b.length() <= 1001);
    QCOMPARE(d.form().txtDescription->toPlainText(), line);
    QCOMPARE(d.text("txtName"), title); // a stored value is shown in full

    // Editing around a soft break: Backspace removes the character before it, Enter makes a
    // real line break; a selection across it copies no line break.
    d.click("cmdEdit");
    const QTextBlock second = description->document()->findBlockByNumber(1);
    const int at = second.position() - 1; // where the break stands in the text
    description->setTextCursor(QTextCursor(second));
    QTest::keyClick(description, Qt::Key_Backspace);
    QString want = line;
    want.remove(at - 1, 1);
    QCOMPARE(d.form().txtDescription->toPlainText(), want);
    QTextCursor c = description->textCursor(); // before the break
    c.movePosition(QTextCursor::PreviousCharacter, QTextCursor::MoveAnchor, 2);
    c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 4);
    description->setTextCursor(c);
    description->copy();
    QCOMPARE(QApplication::clipboard()->text(), want.mid(at - 3, 3));
    description->setTextCursor(QTextCursor(description->document()->findBlockByNumber(1)));
    QTest::keyClick(description, Qt::Key_Return);
    want.insert(at - 1, u'\n');
    QCOMPARE(d.form().txtDescription->toPlainText(), want);

    // A long pasted line is broken up the same way and kept whole.
    description->moveCursor(QTextCursor::End);
    paste(description, line.left(250000));
    want += line.left(250000);
    QCOMPARE(d.form().txtDescription->toPlainText(), want);

    // A text box refuses a paste or a key beyond its limit whole and says so; the stored title
    // can still be shortened.
    auto *name = d.get<QLineEdit>("txtName");
    paste(name, QStringLiteral("x"));
    QTRY_COMPARE(messages.count(), 1);
    QCOMPARE(messages.last().title, TitleInvalid);
    QVERIFY2(messages.last().text.contains(QStringLiteral("«عنوان دارايي»"))
            && messages.last().text.contains(QStringLiteral("4000")),
        qPrintable(messages.last().text));
    QCOMPARE(name->text(), title);
    QTest::keyClick(name, Qt::Key_Backspace);
    QCOMPARE(name->text().size(), 39999);
    auto *code = d.get<QLineEdit>("txtCode");
    code->clear();
    paste(code, QString(3999, QLatin1Char('c')));
    paste(code, QStringLiteral("cc"));
    QTRY_COMPARE(messages.count(), 2);
    QVERIFY(messages.last().text.contains(QStringLiteral("«کد کالا»")));
    QCOMPARE(code->text(), QString(3999, QLatin1Char('c')));
    QTest::keyClicks(code, QStringLiteral("de"));
    QTRY_COMPARE(messages.count(), 3);
    QCOMPARE(code->text(), QString(3999, QLatin1Char('c')) + QLatin1Char('d'));

    d.form().cmdSave_Click();
    QCOMPARE(messages.count(), 3);
    QCOMPARE(
        db
            .rows(QStringLiteral(
                "SELECT Description, length(Name), length(Code) FROM tblAssetEstablishment WHERE ID=1"))
            .value(0),
        (QVariantList {want, 39999, 4000}));
}

void TestFormMain::designAndResize()
{
    if (vela::twipsPerPixel() != 15)
        QSKIP("the cases are whole pixels at 96 DPI");
    TestDatabase db;
    FormDriver d(db);
    d.host.View(1);
    FormMain &f = d.form();
    QCOMPARE(f.size(), QSize(829, 398)); // 12435 x 5970 twips
    QCOMPARE(vela::twipsGeometry(f.txtID), QRectF(6945, 510, 1140, 285));
    QCOMPARE(inForm(f, f.picProduct), QRectF(9450, 435, 2850, 4335));
    // Labels right of their inputs, their captions fit, and no visible controls overlap (the
    // design's neighbouring buttons share one pixel).
    const QList<QWidget *> all = f.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *w : all) {
        if (auto *l = qobject_cast<QLabel *>(w);
            l && w->objectName().startsWith(QLatin1String("lbl")))
            QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->width(),
                qPrintable(w->objectName()));
        for (QWidget *o : all)
            if (o != w && w->isVisible() && o->isVisible()
                && !w->objectName().startsWith(QLatin1String("frame"))
                && !o->objectName().startsWith(QLatin1String("frame")))
                QVERIFY2(w->geometry().intersected(o->geometry()).width() <= 1,
                    qPrintable(w->objectName() + u' ' + o->objectName()));
    }
    QVERIFY(f.findChild<QLabel *>(QStringLiteral("lblName"))->x() > f.txtName->geometry().right());

    const double W = f.windowWidthTwips(), H = f.windowHeightTwips(); // 12555 x 6375
    resizeAndCheck(f, W + 900, H, 900, 0); // cmdNew 800 right, each bar button 100 wider
    resizeAndCheck(f, W + 900, H + 450, 0, 450);
    resizeAndCheck(f, 6000, H + 450, 0, 0); // exactly 6000: nothing moves, nothing is stored
    resizeAndCheck(f, W + 300, 6000, 0, 0);
    resizeAndCheck(
        f, W + 300, 6015, -600, 6015 - (H + 450)); // the whole change since the last layout
    QCOMPARE(f.designedHeight, 6015);
    resizeAndCheck(f, W, H, -300, H - 6015);
    // 4500 narrower: txtID (1140) cannot lose 1500 and keeps its width; back again it is wider.
    resizeAndCheck(f, W - 4500, H, -4500, 0, QStringLiteral("txtID"));
    resizeAndCheck(f, W, H, 4500, 0);
    QCOMPARE(vela::twipsGeometry(f.txtID), QRectF(6945, 510, 1140 + 1500, 285));
}

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
