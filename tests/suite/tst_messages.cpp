#include "common/Failure.h"
#include "common/MessageRecorder.h"
#include "common/WhenModal.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/ComponentRegistry.h"
#include "suite/comMSG.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>
#include <dlfcn.h>
#include <functional>

using namespace vela;

namespace {

const QString Title = QStringLiteral("حذف");
const QString Text = QStringLiteral("آيا از حذف اين رکورد اطمينان داريد؟");

} // namespace

// A stand-in registered under the message box's name: it has only some of the members, one of
// them fails, and it gives no answer.
class PartialBox : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString FormTitle READ title WRITE setTitle)
    Q_PROPERTY(QString FormMessage READ title WRITE setMessage)
    Q_PROPERTY(quint32 BtmBackColor READ color WRITE setBtmBack)
public:
    static inline QStringList calls;
    QString title() const { return {}; }
    quint32 color() const { return 0; }
    void setTitle(const QString &t) { calls << t; }
    void setMessage(const QString &) { throw VelaError(QStringLiteral("broken")); }
    void setBtmBack(quint32 c) { calls << QString::number(c); }
    Q_INVOKABLE void ClearShow() { calls << QStringLiteral("ClearShow"); }
};

class TestMessages : public QObject {
    Q_OBJECT
private slots:
    void boxesAndAnswers();
    void unregisteredOrPartialComponent();
    void realDialog();
    void registryCreatesByName();
    void pluginFailuresNameTheFile();
};

// The box each procedure fills, the answers a question maps to, and the failures of a command
// told to the user.
void TestMessages::boxesAndAnswers()
{
    MessageRecorder messages;
    ShowMessage(Title, Text);
    const MessageRecord &box = messages.boxes[0];
    QVERIFY(box.title == Title && box.text == Text && box.type == comMSG::TypeMessage);
    QVERIFY(box.formBackColor == 14411760u && box.btmBackColor == 13490407u
        && box.frameBackColor == 15791353u);
    ShowInformation(Title, Text);
    QCOMPARE(messages.last().type, int(comMSG::TypeInformation));
    QCOMPARE(AskYesNo(Title, Text), qint16(6)); // the recorder's default answer: yes
    QCOMPARE(messages.last().type, 1);
    messages.queue({0, 1, 2}); // the last is neither yes nor no
    for (qint16 want : {7, 6, 0})
        QCOMPARE(AskYesNo(Title, Text), want);

    messages.clear();
    QVERIFY(RunCommand(Title, [] {}));
    QCOMPARE(messages.count(), 0);
    const std::function<void()> failing[] = {
        [] { throw VelaError(Text); },
        [] { throw std::runtime_error("engine said no"); },
        [] { throw 42; },
    };
    for (const auto &body : failing)
        QVERIFY(!RunCommand(Title, body));
    QCOMPARE(messages.count(), 3);
    for (const MessageRecord &b : messages.boxes)
        QVERIFY(b.title == Title && b.type == comMSG::TypeMessage);
    QCOMPARE(messages.boxes[0].text, Text);
    // Text that is not the component's own comes below a Persian sentence, never alone.
    const QStringList lines = messages.boxes[1].text.split(QLatin1Char('\n'));
    QVERIFY(lines.size() == 2 && lines[1].contains(QStringLiteral("engine said no")));
    QCOMPARE(lines[0], messages.boxes[2].text);
    QVERIFY(lines[0].contains(QStringLiteral("مدیر سیستم")));
}

void TestMessages::unregisteredOrPartialComponent()
{
    MessageRecorder messages;
    ComponentRegistry &r = ComponentRegistry::instance();
    const QString progId = QString::fromLatin1(comMSG::ProgId);
    r.unregister(QStringLiteral("COMMESSAGE.comMSG"));
    const qint16 unregistered = AskYesNo(Title, Text);
    ShowMessage(Title, Text);
    r.registerFactory(progId, [] { return std::make_unique<PartialBox>(); });
    PartialBox::calls.clear();
    const qint16 partial = AskYesNo(Title, Text);
    r.registerFactory(
        progId, []() -> std::unique_ptr<QObject> { throw VelaError(QStringLiteral("broken")); });
    const qint16 broken = AskYesNo(Title, Text);
    r.registerFactory(progId, [] { return std::make_unique<comMSG>(); });

    QCOMPARE(unregistered, qint16(0));
    QCOMPARE(messages.count(), 0);
    // Missing and failing members are skipped, the rest still set in order and the box shown.
    QCOMPARE(PartialBox::calls,
        QStringList({Title, QStringLiteral("13490407"), QStringLiteral("ClearShow")}));
    QCOMPARE(partial, qint16(7)); // no readable answer counts as no
    QCOMPARE(broken, qint16(7)); // installed but failing to create its box: no answer, so no
}

void TestMessages::realDialog()
{
    const struct {
        int type;
        const char *press; // the button the user moves to first; nullptr: the focus stays
        int key;
        int result;
    } cases[] = {
        // A stray Enter answers no; yes takes a move to its button.
        {1, nullptr, Qt::Key_Return, 0},
        {1, "cmdYes", Qt::Key_Return, 1},
        {1, "cmdYes", Qt::Key_Escape, 0},
        {0, nullptr, Qt::Key_Return, 0},
        {2, nullptr, Qt::Key_Return, 0},
    };
    for (const auto &c : cases) {
        comMSG box;
        box.setFormTitle(Title);
        box.setFormMessage(Text);
        box.setFormType(qint16(c.type));
        box.setFormBackColor(14411760);
        box.setBtmBackColor(13490407);
        box.setFrameBackColor(15791353);
        QStringList seen;
        const bool shown = whenModal<QDialog>([&] { box.ClearShow(); },
            [&](QDialog &dlg) {
                auto color = [&dlg](const char *name) {
                    QWidget *w = *name ? dlg.findChild<QWidget *>(QLatin1String(name)) : &dlg;
                    return w->palette().color(QPalette::Window).name();
                };
                seen << dlg.windowTitle()
                     << dlg.findChild<QLabel *>(QStringLiteral("lblMessage"))->text() << color("")
                     << color("stripButtons") << color("frameMessage")
                     << (dlg.layoutDirection() == Qt::RightToLeft ? "rtl" : "ltr");
                for (QPushButton *b : dlg.findChildren<QPushButton *>())
                    seen << b->text();
                // The icon of the type, told apart from the other two.
                const QImage icon
                    = dlg.findChild<QLabel *>(QStringLiteral("imgIcon"))->pixmap().toImage();
                for (auto p : {QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxQuestion,
                         QStyle::SP_MessageBoxInformation})
                    seen << QString::number(
                        dlg.style()->standardIcon(p, nullptr, &dlg).pixmap(icon.size()).toImage()
                        == icon);
                QWidget *target = dlg.focusWidget();
                if (c.press) {
                    target = dlg.findChild<QPushButton *>(QLatin1String(c.press));
                    target->setFocus();
                }
                QTest::keyClick(target, Qt::Key(c.key));
            });
        QVERIFY(shown);
        QCOMPARE(box.Resualt(), c.result);
        // Colours have red in the lowest byte: 14411760 is #f0e7db.
        QStringList want = {Title, Text, "#f0e7db", "#e7d8cd", "#f9f4f0", "rtl"};
        want << (c.type == 1 ? QStringList({"بله", "خير"}) : QStringList("تاييد"));
        for (int type : {0, 1, 2})
            want << QString::number(type == c.type);
        QCOMPARE(seen, want);
    }
}

void TestMessages::registryCreatesByName()
{
    ComponentRegistry &r = ComponentRegistry::instance();
    QVERIFY(r.createAs<comMSG>(QStringLiteral("COMMESSAGE.COMMSG")));
    const VelaError unknown = failureOf([&] { r.create(QStringLiteral("comNothing.Here")); });
    QCOMPARE(unknown.number(), int(ErrNotRegistered));
    QVERIFY(unknown.description().contains(QStringLiteral("comNothing.Here")));
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
}

void TestMessages::pluginFailuresNameTheFile()
{
    auto failure = [](const QString &path) {
        return failureOf([&] { ComponentRegistry::instance().registerPlugin(path); }).description();
    };
    // A missing file, a file that is no shared object, and a real library without the entry
    // point (Qt's core library).
    QTemporaryDir dir;
    const QString notElf = dir.filePath(QStringLiteral("libtext.so"));
    QFile f(notElf);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("not a shared object") > 0);
    f.close();
    Dl_info info {};
    QVERIFY(dladdr(reinterpret_cast<void *>(&qVersion), &info) && info.dli_fname);
    const QString library = QFile::decodeName(info.dli_fname);
    for (const QString &path : {dir.filePath(QStringLiteral("libmissing.so")), notElf, library})
        QVERIFY2(failure(path).contains(path), qPrintable(failure(path)));
    QVERIFY(failure(library).contains(QStringLiteral("vela_register_components")));
}

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
