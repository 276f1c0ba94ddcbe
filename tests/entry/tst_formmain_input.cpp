// Keyboard and input on the entry form: the tab order and Enter, the refusal of typed dates that
// are not dates, the text boxes' alignment and hints, and texts longer than a box or a line.
#include "entry/FormDriver.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QTextBlock>

namespace {

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

} // namespace

class TestFormMainInput : public QObject {
    Q_OBJECT
private slots:
    void tabAndEnter();
    void typedDates();
    void alignmentAndHints();
    void longTexts();
};

void TestFormMainInput::tabAndEnter()
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

    // The focus chain holds the controls in the reading order, whatever their state.
    QStringList chain;
    for (QWidget *w = d.get("txtID")->nextInFocusChain(); w != d.get("txtID");
         w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && !fieldOf(w).isEmpty()
            && (chain.isEmpty() || chain.last() != fieldOf(w)))
            chain << fieldOf(w);
    QCOMPARE(
        QStringList(u"txtID"_qs) + chain, QStringList(std::begin(TabOrder), std::end(TabOrder)));

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
    for (QChar ch : type->comboBox()->itemText(1).left(3))
        QTest::sendKeyEvent(QTest::Click, typeEditor, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    QWidget *popup = QApplication::activePopupWidget();
    QVERIFY(popup);
    QTest::keyClick(popup, Qt::Key_Return);
    QVERIFY(!type->IsEmpty());
    QCOMPARE(focused(), QStringLiteral("sltType"));
    QCOMPARE(messages.count(), 0);
}

void TestFormMainInput::typedDates()
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

void TestFormMainInput::alignmentAndHints()
{
    TestDatabase db;
    FormDriver d(db);
    d.host.ClearShow();
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

void TestFormMainInput::longTexts()
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

QTEST_MAIN(TestFormMainInput)
#include "tst_formmain_input.moc"
