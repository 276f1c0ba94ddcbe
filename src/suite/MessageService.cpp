// ShowMessage and AskYesNo: the shared procedures that show the suite's message component. The
// component is reached by name and its members by name, so that a replacement registered under
// "comMessage.comMSG" works too; a member it lacks or that fails is skipped, and the box is still
// shown.
#include "ComponentRegistry.h"
#include "comMSG.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

#include <QMetaObject>
#include <QVariant>
#include <QtDebug>
#include <memory>

namespace vela {

namespace {

constexpr quint32 FormBack = 14411760;
constexpr quint32 BtmBack = 13490407;
constexpr quint32 FrameBack = 15791353;

// A new box, or nullptr. `notInstalled` tells the component missing (nothing to ask) from a
// component that failed to create its box (an answer that cannot be read: no).
std::unique_ptr<QObject> createBox(bool &notInstalled)
{
    notInstalled = false;
    try {
        return ComponentRegistry::instance().create(QString::fromLatin1(comMSG::ProgId));
    } catch (const VelaError &e) {
        notInstalled = e.number() == ErrNotRegistered;
        if (!notInstalled)
            logCurrentFailure("message component");
    } catch (...) {
        logCurrentFailure("message component");
    }
    return nullptr;
}

void setMember(QObject *box, const char *name, const QVariant &value)
{
    try {
        box->setProperty(name, value);
    } catch (...) {
        logCurrentFailure(name); // the rest of the box is filled all the same
    }
}

// Fills the box in the order the suite always did and shows it.
void showBox(QObject *box, const QString &title, const QString &text, qint16 type)
{
    setMember(box, "FormTitle", title);
    setMember(box, "FormMessage", text);
    setMember(box, "FormType", QVariant::fromValue<qint16>(type));
    setMember(box, "FormBackColor", QVariant::fromValue<quint32>(FormBack));
    setMember(box, "BtmBackColor", QVariant::fromValue<quint32>(BtmBack));
    setMember(box, "FrameBackColor", QVariant::fromValue<quint32>(FrameBack));
    try {
        QMetaObject::invokeMethod(box, "ClearShow", Qt::DirectConnection);
    } catch (...) {
        logCurrentFailure(
            "ClearShow"); // a replacement that fails while showing: nothing more to show
    }
}

} // namespace

void ShowMessage(const QString &title, const QString &text) noexcept
{
    bool notInstalled = false;
    std::unique_ptr<QObject> box = createBox(notInstalled);
    if (box)
        showBox(box.get(), title, text, comMSG::TypeMessage);
}

void ShowInformation(const QString &title, const QString &text) noexcept
{
    bool notInstalled = false;
    std::unique_ptr<QObject> box = createBox(notInstalled);
    if (box)
        showBox(box.get(), title, text, comMSG::TypeInformation);
}

qint16 AskYesNo(const QString &title, const QString &text) noexcept
{
    bool notInstalled = false;
    std::unique_ptr<QObject> box = createBox(notInstalled);
    if (!box)
        return notInstalled ? 0 : 7;
    showBox(box.get(), title, text, comMSG::TypeQuestion);
    QVariant answer;
    try {
        answer = box->property("Resualt");
    } catch (...) {
        logCurrentFailure("Resualt"); // an answer that cannot be read stays invalid: no
    }
    bool ok = false;
    const int result = answer.toInt(&ok);
    if (!answer.isValid() || !ok)
        return 7; // an answer that cannot be read counts as no
    if (result == 1)
        return 6;
    if (result == 0)
        return 7;
    return 0;
}

} // namespace vela
