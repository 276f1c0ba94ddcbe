#include "common/Failure.h"
#include "shared/Jalali.h"
#include "shared/VelaError.h"
#include "suite/OrvoControls.h"
#include "suite/PersianCalendar.h"

#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>
#include <sqlite3.h>

using namespace vela;
using Items = QVector<QPair<qint32, QString>>;

namespace {

const Items Groups
    = {{10, QStringLiteral("ساختمان و تاسيسات")}, {20, QStringLiteral("اثاثه اداری")},
        {30, QStringLiteral("ميز چوبي")} /* Arabic Yeh, as old data has it */,
        {40, QStringLiteral("وسايط نقليه")}, {50, QStringLiteral("Computer 2024")}};

QLineEdit *editorOf(OrvoSelector *s)
{
    return s->comboBox()->lineEdit();
}
template<class Control> QLineEdit *editorOf(Control *c)
{
    return c->editor();
}

// A form with the control under test and another field to move the focus to.
template<class Control> struct Form {
    QWidget window;
    Control *control = new Control;
    QLineEdit *other = new QLineEdit;
    Form()
    {
        auto *l = new QVBoxLayout(&window);
        l->addWidget(control);
        l->addWidget(other);
        window.show();
    }
    QLineEdit *editor() const { return editorOf(control); }
    void leave()
    {
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
    }
    // Replaces the editor's text by typing (any script), then leaves the control.
    void type(const QString &text, bool thenLeave = true)
    {
        editor()->setFocus();
        editor()->selectAll();
        QTest::keyClick(editor(), Qt::Key_Delete);
        for (QChar c : text)
            QTest::sendKeyEvent(
                QTest::Click, editor(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        if (thenLeave)
            leave();
    }
    // Enter goes where a user's key would: to the completer's popup while it is open.
    void enter()
    {
        QWidget *popup = QApplication::activePopupWidget();
        QTest::keyClick(popup ? popup : editor(), Qt::Key_Return);
    }
};

QColor base(QLineEdit *e)
{
    return e->palette().color(QPalette::Base);
}

} // namespace

class TestOrvoControls : public QObject {
    Q_OBJECT
private slots:
    void selectorChoosesByID();
    void selectorTyping();
    void selectorLoadsFromItsOwnConnection();
    void dateTypingAndCalendar();
    void currencyTypingAndValue();
};

void TestOrvoControls::dateTypingAndCalendar()
{
    Form<OrvoDate> f;
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    const QColor normal = base(f.editor());
    const struct {
        const char *typed;
        QDate want;
    } cases[] = {
        {"۱۳۹۶/۲/۲۳", QDate(2017, 5, 13)},
        {"1402/13/40", {}},
        {"1354-1-1", QDate(1975, 3, 21)},
        {"abc", {}},
    };
    QSignalSpy refused(f.control, &OrvoDate::inputRefused);
    for (const auto &c : cases) {
        f.control->setValue(QDate(2000, 1, 1));
        const QString typed = QString::fromUtf8(c.typed);
        f.type(typed);
        QCOMPARE(f.control->Value(), c.want);
        if (c.want.isValid()) { // shown again in ASCII digits
            QCOMPARE(f.editor()->text(), jalali::formatDate(c.want));
            QCOMPARE(base(f.editor()), normal);
        } else if (typed == QLatin1String("abc")) { // letters cannot be typed: empty, not refused
            QVERIFY(f.editor()->text().isEmpty() && !f.control->hasInvalidInput());
        } else { // refused visibly; the text stays for correcting
            QVERIFY(f.control->IsEmpty() && f.control->hasInvalidInput());
            QCOMPARE(f.editor()->text(), typed);
            QVERIFY(base(f.editor()) != normal);
            QCOMPARE(f.editor()->toolTip(), QStringLiteral("تاریخ نامعتبر است"));
        }
    }
    // Leaving the box with a refused text says so each time; the window losing the focus to
    // another one does not.
    QCOMPARE(refused.size(), 1);
    f.type(QStringLiteral("1402/13/40"), false);
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(f.editor(), &away);
    QVERIFY(f.control->hasInvalidInput());
    QCOMPARE(refused.size(), 1);
    OrvoDate &d = *f.control;
    QSignalSpy changed(&d, &OrvoDate::valueChanged);
    d.setValue(QDate(2017, 5, 13));
    d.setValue(QDate(2017, 5, 13)); // same value: one signal
    QCOMPARE(d.PersianDate(), QStringLiteral("1396/02/23"));
    d.setValue(QDate(100, 1, 1)); // before the Persian calendar's first year
    QVERIFY(d.IsEmpty() && d.editor()->text().isEmpty() && d.PersianDate().isEmpty());
    QCOMPARE(changed.size(), 2);

    // The calendar opens on the value's month and sets the day clicked.
    d.setValue(QDate(2017, 5, 13)); // 1396/02/23
    QTest::mouseClick(f.control->calendarButton(), Qt::LeftButton);
    PersianCalendar *cal = f.control->calendar();
    QTRY_VERIFY(cal && cal->isVisible());
    QCOMPARE(cal->title(), QStringLiteral("اردیبهشت ۱۳۹۶"));
    QVERIFY(cal->dayButton(23)->isChecked() && !cal->dayButton(22)->isChecked());
    QCOMPARE(cal->dayButton(23)->text(), QStringLiteral("۲۳"));
    // 1 Ordibehesht 1396 was a Friday: the last column of a Saturday-first week.
    QVERIFY(cal->columnOfDay(1) == 6 && cal->columnOfDay(2) == 0);
    cal->setToday(QDate(2017, 5, 1)); // 1396/02/11
    QVERIFY(cal->dayButton(11)->property("today").toBool()
        && !cal->dayButton(12)->property("today").toBool());
    cal->showMonth(1396, 12);
    cal->nextMonth();
    QCOMPARE(cal->title(), QStringLiteral("فروردین ۱۳۹۷"));
    cal->showMonth(1396, 2);

    QTest::mouseClick(cal->dayButton(10), Qt::LeftButton);
    QCOMPARE(f.control->Value(), QDate(2017, 4, 30));
    QCOMPARE(f.editor()->text(), QStringLiteral("1396/02/10"));
    QTRY_VERIFY(!cal->isVisible());
}

void TestOrvoControls::currencyTypingAndValue()
{
    Form<OrvoCurrency> f;
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    QLineEdit *e = f.editor();
    const struct {
        const char *typed, *text, *shown;
    } cases[] = {
        {"12a3b", "123", "123"},
        {"1-2.3.4", "12.34", "12.34"},
        {"۱,۲۳۴/۵۶۷٫۵", "1234567.5", "1/234/567.5"}, // grouping typed is dropped
        {"-٤٥٠٠", "-4500", "-4/500"},
        {".5", ".5", ".5"},
    };
    for (const auto &c : cases) {
        f.type(QString::fromUtf8(c.typed));
        QCOMPARE(f.control->Text(), QString::fromLatin1(c.text));
        QCOMPARE(e->text(), QString::fromLatin1(c.shown)); // grouped while not focused
    }
    e->setFocus();
    QTRY_COMPARE(e->text(), QStringLiteral(".5")); // raw again while edited
    f.type(QStringLiteral("1234567"), false);
    QCOMPARE(e->text(), QStringLiteral("1234567"));

    OrvoCurrency &c = *f.control;
    c.setText(QStringLiteral("1/234/567.5"));
    QCOMPARE(c.Text(), QStringLiteral("1234567.5"));
    QCOMPARE(c.Value(), Money::fromRaw(12345675000LL));
    c.setEnabled(false);
    QCOMPARE(e->text(), QStringLiteral("1/234/567.5"));
    // Beyond the range is an overflow the user is told of; text that is no amount a mismatch.
    for (const char *text : {"922337203685477.5808", "12x", ""}) {
        c.setText(QString::fromLatin1(text));
        const VelaError error = failureOf([&] { c.Value(); });
        QCOMPARE(error.number(), int(*text == '9' ? ErrOverflow : ErrTypeMismatch));
        if (*text == '9')
            QCOMPARE(error.description(), QStringLiteral("مبلغ خارج از محدوده مجاز است."));
    }
    QVERIFY(c.Text().isEmpty() && e->text().isEmpty());
}

void TestOrvoControls::selectorChoosesByID()
{
    OrvoSelector s;
    QSignalSpy changed(&s, &OrvoSelector::selectionChanged);
    s.setItems(Groups);
    s.setSelectedID(30);
    QCOMPARE(s.comboBox()->lineEdit()->text(), Groups[2].second);
    s.setSelectedID(99); // not in the list
    QVERIFY(s.SelectedID() == -1 && s.IsEmpty() && s.comboBox()->lineEdit()->text().isEmpty());
    s.setSelectedID(20);
    s.Clear();
    QVERIFY(s.IsEmpty() && s.comboBox()->lineEdit()->text().isEmpty());
    QCOMPARE(changed.size(), 4); // 30, -1, 20, -1

    // A new list keeps the choice while it holds it.
    s.setSelectedID(10);
    s.setItems({Groups[0], Groups[3]});
    QCOMPARE(s.comboBox()->lineEdit()->text(), Groups[0].second);
    QCOMPARE(changed.size(), 5);
    s.setItems({Groups[3]});
    QVERIFY(s.IsEmpty());

    // Disabled, it still shows the choice.
    s.setEnabledState(false);
    s.setSelectedID(40);
    QVERIFY(!s.comboBox()->isEnabled());
    QCOMPARE(s.comboBox()->lineEdit()->text(), Groups[3].second);
}

void TestOrvoControls::selectorTyping()
{
    Form<OrvoSelector> f;
    f.control->setItems(Groups);
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    QCOMPARE(f.control->comboBox()->completer()->filterMode(), Qt::MatchContains);

    // Part of a name and Enter chooses it.
    const struct {
        const char *typed;
        int id;
    } picks[] = {
        {"نقل", 40}, // the middle of a name
        {"۲۰۲", 50}, // digits in any script
        {"چوبی", 30}, // Persian Yeh typed, Arabic Yeh stored
        {"COMP", 50}, // case does not matter
    };
    for (const auto &p : picks) {
        f.type(QString::fromUtf8(p.typed), false);
        f.enter();
        QCOMPARE(f.control->SelectedID(), p.id);
        QCOMPARE(f.editor()->text(), f.control->selectedName());
    }
    // Text that matches nothing, then leaving: nothing chosen. So also for emptied text.
    f.type(QStringLiteral("ناموجود"));
    QVERIFY(f.control->IsEmpty() && f.editor()->text().isEmpty());
    f.control->setSelectedID(10);
    f.type(QString());
    QVERIFY(f.control->IsEmpty());
}

void TestOrvoControls::selectorLoadsFromItsOwnConnection()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("groups.sqlite"));
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    const int rc = sqlite3_exec(db,
        "CREATE TABLE tblGroup(ID INTEGER PRIMARY KEY, Name TEXT, Active INTEGER);"
        "INSERT INTO tblGroup VALUES(1, 'اثاثه اداری', 1), (2, 'ماشين آلات', 1), (3, 'قدیمی', 0);"
        "CREATE VIEW vwGroup AS SELECT ID, Name FROM tblGroup WHERE Active = 1;"
        "CREATE VIEW vwGroupAll AS SELECT ID, Name FROM tblGroup;"
        "CREATE VIEW vwOdd AS SELECT ID AS Code FROM tblGroup;",
        nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);

    OrvoSelector s;
    s.setMajorView(QStringLiteral("vwGroup")); // no connection yet: nothing loaded
    QCOMPARE(s.itemCount(), 0);
    s.setConnectionString(QStringLiteral("Provider=SQLite;Data Source=") + path);
    s.setMajorView(QStringLiteral("vwGroup"));
    s.setMinorView(QStringLiteral("vwGroupMinor"));
    QCOMPARE(s.itemCount(), 2);
    s.setSelectedID(2);
    QCOMPARE(s.selectedName(), QStringLiteral("ماشين آلات"));
    s.setSelectedID(3); // filtered out by the view, and the minor view does not exist
    QVERIFY(s.IsEmpty());
    // A row only the minor view holds is still shown, so a record keeps its value.
    s.setMinorView(QStringLiteral("vwGroupAll"));
    s.setSelectedID(3);
    QCOMPARE(s.SelectedID(), 3);
    QCOMPARE(s.selectedName(), QStringLiteral("قدیمی"));
    s.setSelectedID(99);
    QVERIFY(s.IsEmpty());
    s.setMinorView(QStringLiteral("vwGroupMinor"));

    // Only an identifier goes into the statement.
    for (const char *bad : {"vwGroup; DROP TABLE tblGroup", "vwGroup where 1=1", "[vwGroup]"})
        QVERIFY_THROWS_EXCEPTION(VelaError, s.setMajorView(QString::fromLatin1(bad)));
    QCOMPARE(s.itemCount(), 3);
    QCOMPARE(s.MajorView(), QStringLiteral("vwGroup"));
    QVERIFY_THROWS_EXCEPTION(VelaError, s.setMajorView(QStringLiteral("vwMissing")));
    QVERIFY_THROWS_EXCEPTION(VelaError, s.setMajorView(QStringLiteral("vwOdd")));
}

QTEST_MAIN(TestOrvoControls)
#include "tst_orvocontrols.moc"
