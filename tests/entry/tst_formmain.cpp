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
const QString Caption = u"استقرار"_qs;
const QString InstallSql
    = u"Select Isnull(BasePath,'') as InstallDirectory from vwOrvoBasePath Where ID=1 "_qs;
const QString TitleInvalid = u"اشکال"_qs;
const QString Sure = u"آيا مطمئن هستيد؟"_qs;

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

// The named control of the form that a widget (by default the focus widget) belongs to.
QString fieldOf(QWidget *w = QApplication::focusWidget())
{
    for (; w; w = w->parentWidget())
        for (const char *name : TabOrder)
            if (w->objectName() == QLatin1String(name))
                return w->objectName();
    return QString();
}

// The controls Tab or Enter visits from the one that has the focus, until it comes back or
// stays.
QStringList walk(Qt::Key key)
{
    QStringList seen {fieldOf()};
    for (int most = 60; most > 0; --most) {
        QTest::keyClick(QApplication::focusWidget(), key);
        if (fieldOf() == seen.first() || fieldOf() == seen.last())
            break;
        seen << fieldOf();
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

// The mode, its caption and which controls it enables.
void checkMode(FormDriver &d, int mode)
{
    static const QString suffix[] = {u" (مشاهده)"_qs, u" (اصلاح)"_qs, u" (جديد)"_qs, QString()};
    QCOMPARE(d.form().FormMode, mode);
    QCOMPARE(d.form().windowTitle(), Caption + suffix[mode]);
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
    for (QWidget *w : f.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        for (QWidget *v : w == f.attachmentViewer
                ? w->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)
                : QList<QWidget *> {w})
            g.insert(v->objectName(), inForm(f, v));
    return g;
}

// Expected increments (left, top, width, height) of each control for a change dW x dH.
Geometry shares(double dW, double dH)
{
    Geometry s;
    // The tab order reads right to left: the first twelve inputs are the right column, the next
    // twelve the middle one; the bar and the picture buttons run right to left as well.
    for (int k = 0; k < 24; ++k)
        s[TabOrder[k]] = {k < 12 ? dW / 3 : 0, 0, dW / 3, 0};
    for (int k = 0; k < 9; ++k)
        s[TabOrder[33 - k]] = {k * dW / 9, 0, dW / 9, 0};
    for (int k = 0; k < 4; ++k)
        s[TabOrder[38 - k]] = {2 * dW / 3 + k * dW / 12, dH, dW / 12, 0};
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
    return s; // anything else (datToday) does not move
}

// Resizes the window (frame included, twips) and checks every control against its share of the
// change; `refused` is a control whose width change is expected to be refused.
void resizeAndCheck(
    FormMain &f, double W, double H, double dW, double dH, const QString &refused = {})
{
    const Geometry before = snapshot(f), s = shares(dW, dH);
    f.resize(vela::twipsToPixels(W - FormMain::FrameWidthTwips),
        vela::twipsToPixels(H - FormMain::FrameHeightTwips));
    QTRY_COMPARE(f.windowWidthTwips(), W);
    QTRY_COMPARE(f.windowHeightTwips(), H);
    const Geometry after = snapshot(f);
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const QRectF b = it.value(), a = after.value(it.key()), e = s.value(it.key());
        const QRectF off(a.left() - b.left() - e.left(), a.top() - b.top() - e.top(),
            a.width() - b.width() - (it.key() == refused ? 0 : e.width()),
            a.height() - b.height() - e.height());
        QVERIFY2(qAbs(off.x()) + qAbs(off.y()) + qAbs(off.width()) + qAbs(off.height()) < 0.01,
            qPrintable(it.key()));
    }
}
} // namespace

class TestFormMain : public QObject {
    Q_OBJECT
private slots:
    void startUpModesAndRefusals();
    void everyColumn();
    void keyboardDatesAndLongTexts();
    void designAndResize();
};

void TestFormMain::startUpModesAndRefusals()
{
    TestDatabase db;
    MessageRecorder messages;
    db.exec(u"UPDATE tblOrvoSetting SET BasePath='/opt/orvo/'"_qs);
    const QString name
        = db.scalar(u"SELECT Name FROM tblAssetEstablishment WHERE ID=1"_qs).toString();
    FormDriver d(db);
    d.host.ClearShow();
    QCOMPARE(d.form().InstallDirectory, u"/opt/orvo/"_qs);
    checkMode(d, 3);
    QCOMPARE(d.get<vela::OrvoSelector>("sltCreator")->SelectedID(), 1); // the current user
    QVERIFY(qAbs(d.get<vela::OrvoDate>("datToday")->Value().daysTo(QDate::currentDate())) <= 1);
    // Texts are right aligned; empty dates show a Persian hint only while they can be typed into.
    for (QLineEdit *e : d.form().findChildren<QLineEdit *>())
        QVERIFY2(
            (e->alignment() & Qt::AlignHorizontal_Mask) == (Qt::AlignRight | Qt::AlignAbsolute),
            qPrintable(fieldOf(e)));
    QCOMPARE(d.get<QPlainTextEdit>("txtDescription")->document()->defaultTextOption().alignment(),
        Qt::AlignRight | Qt::AlignAbsolute);
    auto *date = d.get<vela::OrvoDate>("datDocumentDate");
    QCOMPARE(date->editor()->placeholderText(), QString());

    // Start-up runs once per load, not for a record shown in the open form.
    d.host.View(1);
    checkMode(d, 0);
    QCOMPARE(d.takeTrace().count(InstallSql), 1);
    d.click("cmdEdit");
    checkMode(d, 1);

    // Cancel answered no keeps the edits; yes reloads the stored record in view mode.
    d.type("txtName", u" تغییر"_qs);
    messages.queue({0});
    d.click("cmdCancel");
    QCOMPARE(lastBox(messages), box(u"انصراف از ثبت"_qs, Sure));
    QCOMPARE(d.text("txtName"), name + u" تغییر"_qs);
    messages.queue({1});
    d.click("cmdCancel");
    checkMode(d, 0);
    QCOMPARE(d.text("txtName"), name);

    // New from edit drops the edits unasked; the creator is the current user.
    d.click("cmdEdit");
    d.type("txtLabelNo", u"77"_qs);
    d.click("cmdNew");
    checkMode(d, 2);
    QVERIFY(inputsEmpty(d));
    QCOMPARE(date->editor()->placeholderText(), u"روز/ماه/سال"_qs);
    QCOMPARE(d.get<vela::OrvoSelector>("sltCreator")->SelectedID(), 1);
    QCOMPARE(messages.count(), 2);
    d.takeTrace();
    d.click("cmdEdit"); // disabled: starts nothing
    QVERIFY(d.takeTrace().isEmpty());
    d.type("txtName", u"میز"_qs);
    d.click("cmdCancel"); // answered yes
    checkMode(d, 3);
    QVERIFY(inputsEmpty(d));
    QCOMPARE(db.scalar(u"SELECT Name FROM tblAssetEstablishment WHERE ID=1"_qs).toString(), name);

    // The close box asks as Cancel does in edit and new mode: no keeps the form open with the
    // edits, yes closes it; view and empty mode close unasked.
    messages.clear();
    d.host.View(1);
    d.click("cmdEdit");
    d.type("txtName", u" تغییر"_qs);
    messages.queue({0});
    QVERIFY(!d.form().close());
    QCOMPARE(messages.last().text, Sure);
    QVERIFY(FormMain::isLoaded() && d.form().isVisible());
    QCOMPARE(d.form().FormMode, int(FormMain::ModeEdit));
    QCOMPARE(d.text("txtName"), name + u" تغییر"_qs);
    messages.queue({1});
    QVERIFY(d.form().close());
    QVERIFY(!FormMain::isLoaded());
    // With no setting row the installation directory is empty and the form still opens.
    db.exec(u"DELETE FROM tblOrvoSetting"_qs);
    d.host.ClearShow();
    QCOMPARE(d.takeTrace().count(InstallSql), 1);
    QVERIFY(d.form().isVisible() && d.form().InstallDirectory.isEmpty());
    d.click("cmdNew");
    messages.queue({0});
    QVERIFY(!d.form().close());
    QCOMPARE(messages.count(), 3);
    d.host.View(1);
    QVERIFY(d.form().close());
    d.host.ClearShow();
    QVERIFY(d.form().close());
    QCOMPARE(messages.count(), 3);

    // A user without the rights is refused Edit and New and stays on the record.
    d.host.setUserID(vela::SuiteDatabase::DemoViewerUserID);
    d.host.View(1);
    for (const char *command : {"cmdEdit", "cmdNew"}) {
        d.click(command);
        QCOMPARE(lastBox(messages), box(u"خطا"_qs, u"شما به انجام اين عمليات مجاز نيستيد."_qs));
        checkMode(d, 0);
        QCOMPARE(d.text("txtID"), u"1"_qs);
    }
    // A record that is not there: reported once, view mode with empty inputs; edit then asks
    // for record -1 and ends in edit mode, empty.
    d.host.View(9999);
    QCOMPARE(messages.count(), 6);
    QCOMPARE(messages.last().text, u"ركورد مورد نظر يافت نشد."_qs);
    QCOMPARE(d.form().FormMode, int(FormMain::ModeView));
    QVERIFY(inputsEmpty(d));
    d.host.setUserID(1);
    d.host.View(9999);
    d.takeTrace();
    d.click("cmdEdit");
    QVERIFY(d.takeTrace().contains(u"select * from tblAssetEstablishment Where ID=-1"_qs));
    QCOMPARE(d.form().FormMode, int(FormMain::ModeEdit));
    QVERIFY(inputsEmpty(d));
}

void TestFormMain::everyColumn()
{
    TestDatabase db;
    MessageRecorder messages;
    // A fraction, a quote, and a record whose every optional column is NULL.
    db.exec(
        u"UPDATE tblAssetEstablishment SET AbortCost='98765432109876.25', Name='O''Brien' WHERE ID=2;"
        "INSERT INTO tblAssetEstablishment (ID, CreatorID, LabelNo, Name, UtilizationDate, "
        "FarsiUtilizationDate, TypeID, Cost, AccumulatedCost, AbortCost, StatusTypeID) "
        "VALUES (900, 2, '900900', 'میز', '2020-03-20', '1399/01/01', 1, 10, 0, 0, 1)"_qs);
    FormDriver d(db);
    for (int id : {1, 2, 3, 900}) {
        d.host.View(id);
        for (const char *c : TabOrder) {
            if (QLatin1String(c).startsWith(QLatin1String("cmd")))
                break; // the inputs come first
            // The column: the name without its prefix, "ID" added to a selector's; the stored
            // value's text, as the fixture reads it on either engine.
            const QString column = QString::fromLatin1(c + 3) + (c[0] == 's' ? "ID" : "");
            QVariant stored = db.scalar(
                u"SELECT %1 FROM tblAssetEstablishment WHERE ID=%2"_qs.arg(column).arg(id));
            if (stored.isValid())
                stored = stored.toString();
            QVERIFY2(shown(d.get(c)) == stored, qPrintable(column + QString::number(id)));
        }
    }
    QVERIFY(d.form().currentPicture().isNull()); // record 900 has no attachment
    // Without its date of first use the record still loads, the date empty.
    db.exec(u"UPDATE tblAssetEstablishment SET UtilizationDate=NULL WHERE ID=900"_qs);
    d.host.View(900);
    QVERIFY(d.get<vela::OrvoDate>("datUtilizationDate")->IsEmpty());
    QCOMPARE(d.text("txtName"), u"میز"_qs);
    QCOMPARE(messages.count(), 0);
}

void TestFormMain::keyboardDatesAndLongTexts()
{
    TestDatabase db;
    MessageRecorder messages;
    // One line of 300,000 characters and a title longer than a text box takes from the user.
    QString line;
    while (line.size() < 300000)
        line += u"شرح بلند دارایی، model X-200 "_qs;
    line = line.trimmed() + u"\nدوم"_qs;
    const QString title = QString(40000, QLatin1Char('t'));
    db.exec(u"UPDATE tblAssetEstablishment SET Description='%1', Name='%2' WHERE ID=2"_qs.arg(
        line, title));
    FormDriver d(db);
    d.host.View(1);
    QVERIFY(QTest::qWaitForWindowActive(&d.form()));
    // A date typed wrong: leaving it with Tab or Enter is refused with a message naming the
    // field and the text, and the focus stays.
    d.click("cmdEdit");
    auto *created = d.get<vela::OrvoDate>("datCreateDate");
    auto *used = d.get<vela::OrvoDate>("datUtilizationDate");
    const QVariant storedUse
        = db.scalar(u"SELECT UtilizationDate FROM tblAssetEstablishment WHERE ID=1"_qs);
    created->setFocus();
    created->editor()->clear();
    QTest::keyClicks(created->editor(), u"1402/13/40"_qs);
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Return}) {
        QTest::keyClick(QApplication::focusWidget(), key);
        QTRY_COMPARE(messages.count(), key == Qt::Key_Tab ? 1 : 2);
        QCOMPARE(messages.last().title, TitleInvalid);
        QCOMPARE(lacks(messages, {u"«تاريخ ايجاد»"_qs, u"1402/13/40"_qs}), QString());
        QCOMPARE(fieldOf(), u"datCreateDate"_qs);
    }
    // Saving refuses it before anything else, also before a missing required value; a required
    // date typed wrong is named as wrong, not as missing. Nothing is written.
    d.get<QLineEdit>("txtLabelNo")->clear();
    d.form().cmdSave_Click();
    QCOMPARE(messages.count(), 3);
    QCOMPARE(lacks(messages, {u"«تاريخ ايجاد»"_qs}), QString());
    QCOMPARE(fieldOf(), u"datCreateDate"_qs);
    d.get<QLineEdit>("txtLabelNo")->setText(u"P-1"_qs);
    created->editor()->clear();
    used->editor()->setText(u"1403/12/31"_qs);
    d.takeTrace();
    d.form().cmdSave_Click();
    QCOMPARE(messages.count(), 4);
    QCOMPARE(lacks(messages, {u"«تاريخ بهره برداي»"_qs}), QString());
    QVERIFY(!d.takeTrace().join(u'\n').contains(QLatin1String("Update")));
    QCOMPARE(
        db.scalar(u"SELECT UtilizationDate FROM tblAssetEstablishment WHERE ID=1"_qs), storedUse);
    // Corrected, and typed without leaving the box, the dates are saved.
    used->editor()->setText(u"۱۴۰۳/۱۲/۳۰"_qs);
    created->editor()->setText(u"1400/1/1"_qs);
    d.form().cmdSave_Click();
    QCOMPARE(messages.count(), 4);
    QCOMPARE(db.rows(u"SELECT UtilizationDate, CreateDate, FarsiCreateDate FROM "
                     "tblAssetEstablishment WHERE ID=1"_qs)
                 .value(0),
        (QVariantList {u"2025-03-20"_qs, u"2021-03-21"_qs, u"1400/01/01"_qs}));

    // Edit and New put the focus on the first input.
    messages.clear();
    d.click("cmdEdit");
    QCOMPARE(fieldOf(), u"txtLabelNo"_qs);
    d.click("cmdNew");
    QCOMPARE(fieldOf(), u"txtLabelNo"_qs);

    // Tab visits every enabled control once, in the reading order, and comes back round.
    QCOMPARE(walk(Qt::Key_Tab), enabledInOrder(d, u"txtLabelNo"_qs));
    // Enter moves on through the single-line fields, selectors and dates included, up to the
    // description, where it starts a new line; Tab leaves the description, typing no tab.
    d.get("txtLabelNo")->setFocus();
    const QStringList fields = enabledInOrder(d, u"txtLabelNo"_qs);
    QCOMPARE(walk(Qt::Key_Return), fields.mid(0, fields.indexOf(u"txtDescription"_qs) + 1));
    auto *description = d.get<QPlainTextEdit>("txtDescription");
    QTest::keyClicks(description, u"b"_qs);
    QTest::keyClick(description, Qt::Key_Tab);
    QCOMPARE(description->toPlainText(), u"\nb"_qs);
    QCOMPARE(fieldOf(), u"cmdSave"_qs);
    // Enter on a selector whose list of matches is open chooses from the list and stays.
    auto *type = d.get<vela::OrvoSelector>("sltType");
    type->comboBox()->lineEdit()->setFocus();
    formdriver::type(type->comboBox()->lineEdit(), type->comboBox()->itemText(1).left(3));
    QVERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);
    QVERIFY(!type->IsEmpty());
    QCOMPARE(fieldOf(), u"sltType"_qs);
    QCOMPARE(messages.count(), 0);

    // The long texts: the description is held as paragraphs of at most 1000 characters, the
    // only ones that are laid out; a stored title is shown in full.
    messages.clear();
    d.host.View(2);
    QVERIFY(description->document()->blockCount() > 300);
    for (QTextBlock b = description->document()->begin(); b.isValid(); b = b.next())
        QVERIFY(b.length() <= 1001);
    QCOMPARE(d.form().txtDescription->toPlainText(), line);
    QCOMPARE(d.text("txtName"), title);
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
    paste(name, u"x"_qs);
    QTRY_COMPARE(messages.count(), 1);
    QCOMPARE(messages.last().title, TitleInvalid);
    QCOMPARE(lacks(messages, {u"«عنوان دارايي»"_qs, u"4000"_qs}), QString());
    QCOMPARE(name->text(), title);
    QTest::keyClick(name, Qt::Key_Backspace);
    QCOMPARE(name->text().size(), 39999);
    auto *code = d.get<QLineEdit>("txtCode");
    code->clear();
    paste(code, QString(3999, QLatin1Char('c')));
    paste(code, u"cc"_qs);
    QTRY_COMPARE(messages.count(), 2);
    QCOMPARE(lacks(messages, {u"«کد کالا»"_qs}), QString());
    QCOMPARE(code->text(), QString(3999, QLatin1Char('c')));
    QTest::keyClicks(code, u"de"_qs);
    QTRY_COMPARE(messages.count(), 3);
    QCOMPARE(code->text(), QString(3999, QLatin1Char('c')) + QLatin1Char('d'));
    d.form().cmdSave_Click();
    QCOMPARE(messages.count(), 3);
    QCOMPARE(db.rows(u"SELECT Description, length(Name), length(Code) FROM tblAssetEstablishment "
                     "WHERE ID=2"_qs)
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

    const double W = f.windowWidthTwips(), H = f.windowHeightTwips();
    resizeAndCheck(f, W + 900, H, 900, 0);
    resizeAndCheck(f, W + 900, H + 450, 0, 450);
    resizeAndCheck(f, 6000, H + 450, 0, 0); // exactly 6000: nothing moves, nothing is stored
    resizeAndCheck(f, W + 300, 6000, 0, 0);
    resizeAndCheck(
        f, W + 300, 6015, -600, 6015 - (H + 450)); // the whole change since the last layout
    resizeAndCheck(f, W, H, -300, H - 6015);
    // 4500 narrower: txtID cannot lose a third of that and keeps its width; back again it gains
    // the whole third and is wider than before.
    resizeAndCheck(f, W - 4500, H, -4500, 0, u"txtID"_qs);
    resizeAndCheck(f, W, H, 4500, 0);
}

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
