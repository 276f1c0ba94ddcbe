#include "common/MessageRecorder.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/ComponentRegistry.h"
#include "suite/comMSG.h"

#include <QApplication>
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

// Runs `check` on the modal dialog as soon as it is shown.
void onModalDialog(std::function<void(QDialog *)> check)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, check] {
        if (auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            check(dlg);
        }
    });
    timer->start();
}

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
    void showMessageRecordsTheBox();
    void askYesNoMapsTheAnswer();
    void unregisteredOrPartialComponent();
    void commandFailuresReachTheUser();
    void realDialog();
    void registryCreatesByName();
    void pluginFailuresNameTheFile();
};

void TestMessages::showMessageRecordsTheBox()
{
    MessageRecorder messages;
    messages.queue({0});
    ShowMessage(Title, Text);
    QCOMPARE(messages.count(), 1);
    const MessageRecord &box = messages.boxes[0];
    QVERIFY(box.title == Title && box.text == Text && box.type == 0);
    QVERIFY(box.formBackColor == 14411760u && box.btmBackColor == 13490407u
        && box.frameBackColor == 15791353u);
    QCOMPARE(messages.pendingAnswers(), 1); // a plain message takes no answer
    ShowInformation(Title, Text);
    QCOMPARE(messages.last().type, int(comMSG::TypeInformation));
    QCOMPARE(messages.pendingAnswers(), 1);
}

void TestMessages::askYesNoMapsTheAnswer()
{
    MessageRecorder outer;
    {
        MessageRecorder messages;
        QCOMPARE(AskYesNo(Title, Text), qint16(6)); // default answer yes
        QCOMPARE(messages.last().type, 1);
        messages.queue({0, 1, 2});
        QCOMPARE(AskYesNo(Title, Text), qint16(7));
        QCOMPARE(AskYesNo(Title, Text), qint16(6));
        QCOMPARE(AskYesNo(Title, Text), qint16(0)); // neither yes nor no
        messages.answer(0);
        QCOMPARE(AskYesNo(Title, Text), qint16(7));
        QCOMPARE(messages.count(), 5);
    }
    // The inner recorder put the outer one back.
    QCOMPARE(AskYesNo(Title, Text), qint16(6));
    QCOMPARE(outer.count(), 1);
}

void TestMessages::unregisteredOrPartialComponent()
{
    MessageRecorder messages;
    ComponentRegistry &r = ComponentRegistry::instance();
    r.unregister(QStringLiteral("COMMESSAGE.comMSG"));
    const qint16 unregistered = AskYesNo(Title, Text);
    ShowMessage(Title, Text);

    r.registerFactory(
        QString::fromLatin1(comMSG::ProgId), [] { return std::make_unique<PartialBox>(); });
    PartialBox::calls.clear();
    const qint16 partial = AskYesNo(Title, Text);
    r.registerFactory(QString::fromLatin1(comMSG::ProgId),
        []() -> std::unique_ptr<QObject> { throw VelaError(QStringLiteral("broken")); });
    const qint16 broken = AskYesNo(Title, Text);
    r.registerFactory(
        QString::fromLatin1(comMSG::ProgId), [] { return std::make_unique<comMSG>(); });

    QCOMPARE(unregistered, qint16(0));
    QCOMPARE(messages.count(), 0);
    // Missing and failing members are skipped, the rest still set in order and the box shown.
    QCOMPARE(PartialBox::calls,
        QStringList({Title, QStringLiteral("13490407"), QStringLiteral("ClearShow")}));
    QCOMPARE(partial, qint16(7)); // no readable answer counts as no
    QCOMPARE(broken, qint16(7)); // installed but failing to create its box: no answer, so no
}

void TestMessages::commandFailuresReachTheUser()
{
    MessageRecorder messages;
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
    for (const MessageRecord &box : messages.boxes)
        QVERIFY(box.title == Title && box.type == comMSG::TypeMessage);
    QCOMPARE(messages.boxes[0].text, Text);
    // Text that is not the component's own comes below a Persian sentence, never alone.
    const QStringList lines = messages.boxes[1].text.split(QLatin1Char('\n'));
    QVERIFY(lines.size() == 2 && lines[1].contains(QStringLiteral("engine said no")));
    QCOMPARE(lines[0], messages.boxes[2].text);
    QVERIFY(lines[0].contains(QStringLiteral("مدیر سیستم")));
}

void TestMessages::realDialog()
{
    const QString yesNo[] = {QStringLiteral("بله"), QStringLiteral("خير")};
    const struct {
        int type;
        const char *press; // the button the user moves to first; nullptr: the focus stays
        int key;
        int result;
        QStringList buttons;
        QStyle::StandardPixmap icon;
    } cases[] = {
        // A stray Enter answers no; yes takes a move to its button.
        {1, nullptr, Qt::Key_Return, 0, {yesNo[0], yesNo[1]}, QStyle::SP_MessageBoxQuestion},
        {1, "cmdYes", Qt::Key_Return, 1, {yesNo[0], yesNo[1]}, QStyle::SP_MessageBoxQuestion},
        {1, "cmdYes", Qt::Key_Escape, 0, {yesNo[0], yesNo[1]}, QStyle::SP_MessageBoxQuestion},
        {0, nullptr, Qt::Key_Return, 0, {QStringLiteral("تاييد")}, QStyle::SP_MessageBoxCritical},
        {2, nullptr, Qt::Key_Return, 0, {QStringLiteral("تاييد")},
            QStyle::SP_MessageBoxInformation},
    };
    for (const auto &c : cases) {
        comMSG box;
        box.setFormTitle(Title);
        box.setFormMessage(Text);
        box.setFormType(qint16(c.type));
        box.setFormBackColor(14411760);
        box.setBtmBackColor(13490407);
        box.setFrameBackColor(15791353);
        QStringList seen, buttons;
        bool iconShown = false;
        onModalDialog([&](QDialog *dlg) {
            auto color = [dlg](const char *name) {
                QWidget *w = *name ? dlg->findChild<QWidget *>(QLatin1String(name)) : dlg;
                return w->palette().color(QPalette::Window).name();
            };
            seen << dlg->windowTitle()
                 << dlg->findChild<QLabel *>(QStringLiteral("lblMessage"))->text() << color("")
                 << color("stripButtons") << color("frameMessage")
                 << (dlg->layoutDirection() == Qt::RightToLeft ? "rtl" : "ltr");
            for (QPushButton *b : dlg->findChildren<QPushButton *>())
                buttons << b->text();
            const QImage shown
                = dlg->findChild<QLabel *>(QStringLiteral("imgIcon"))->pixmap().toImage();
            auto image = [&](QStyle::StandardPixmap p) {
                return dlg->style()->standardIcon(p, nullptr, dlg).pixmap(shown.size()).toImage();
            };
            const QImage error = image(QStyle::SP_MessageBoxCritical),
                         question = image(QStyle::SP_MessageBoxQuestion),
                         information = image(QStyle::SP_MessageBoxInformation);
            iconShown = shown == image(c.icon) && error != question && error != information
                && question != information;
            QWidget *target = dlg->focusWidget();
            if (c.press) {
                target = dlg->findChild<QPushButton *>(QLatin1String(c.press));
                target->setFocus();
            }
            QTest::keyClick(target, Qt::Key(c.key));
        });
        box.ClearShow();
        QCOMPARE(box.Resualt(), c.result);
        QCOMPARE(buttons, c.buttons);
        QVERIFY(iconShown);
        // Colours have red in the lowest byte: 14411760 is #f0e7db.
        QCOMPARE(seen,
            QStringList({Title, Text, QStringLiteral("#f0e7db"), QStringLiteral("#e7d8cd"),
                QStringLiteral("#f9f4f0"), QStringLiteral("rtl")}));
    }
}

void TestMessages::registryCreatesByName()
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
    QVERIFY_THROWS_EXCEPTION(VelaError, r.create(QStringLiteral("Test.Widget")));
    QVERIFY(r.isRegistered(QString::fromLatin1(comMSG::ProgId)));
}

void TestMessages::pluginFailuresNameTheFile()
{
    auto failure = [](const QString &path) -> QString {
        try {
            ComponentRegistry::instance().registerPlugin(path);
        } catch (const VelaError &e) {
            return e.description();
        }
        return QStringLiteral("loaded");
    };
    // A missing file, a file that is no shared object, and a real library without the entry
    // point (Qt's core library).
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("libmissing.so"));
    const QString notElf = dir.filePath(QStringLiteral("libtext.so"));
    QFile f(notElf);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("not a shared object") > 0);
    f.close();
    Dl_info info {};
    QVERIFY(dladdr(reinterpret_cast<void *>(&qVersion), &info) && info.dli_fname);
    const QString library = QFile::decodeName(info.dli_fname);
    for (const QString &path : {missing, notElf, library})
        QVERIFY2(failure(path).contains(path), qPrintable(failure(path)));
    QVERIFY(failure(library).contains(QStringLiteral("vela_register_components")));
}

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
