#include "velaAssetEst.h"
#include "entry/EntryTexts.h"
#include "entry/FormMain.h"
#include "entry/FormMainPrint.h"
#include "shared/Roles.h"
#include "shared/Session.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

VelaPropertyBag::~VelaPropertyBag() = default;

namespace {

const QString KeyUserID = QStringLiteral("UserID");
const QString KeyPositionID = QStringLiteral("PositionID");
const QString KeyConnectionString = QStringLiteral("OLEConnectionString");
const QString KeyEmployeeID = QStringLiteral("EmployeeID");

qint32 readInt(VelaPropertyBag &bag, const QString &key)
{
    bool ok = false;
    const qint32 v = bag.ReadProperty(key, qint32(-1)).toInt(&ok);
    return ok ? v : -1;
}

} // namespace

velaAssetEst::velaAssetEst(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("velaAssetEst"));
}

velaAssetEst::~velaAssetEst() = default;

void velaAssetEst::setUserID(qint32 value)
{
    m_userID = value;
    emit PropertyChanged(KeyUserID);
}

void velaAssetEst::setPositionID(qint32 value)
{
    m_positionID = value;
    emit PropertyChanged(KeyPositionID);
}

void velaAssetEst::setOLEConnectionString(const QString &value)
{
    m_connectionString = value;
    emit PropertyChanged(KeyConnectionString);
}

void velaAssetEst::InitProperties()
{
    m_employeeID = -1;
    m_userID = -1;
    m_positionID = -1;
    m_connectionString.clear();
}

void velaAssetEst::ReadProperties(VelaPropertyBag &bag)
{
    m_userID = readInt(bag, KeyUserID);
    m_positionID = readInt(bag, KeyPositionID);
    m_connectionString = bag.ReadProperty(KeyConnectionString, QString()).toString();
    m_employeeID = readInt(bag, KeyEmployeeID);
}

void velaAssetEst::WriteProperties(VelaPropertyBag &bag) const
{
    bag.WriteProperty(KeyUserID, m_userID, qint32(-1));
    bag.WriteProperty(KeyPositionID, m_positionID, qint32(-1));
    bag.WriteProperty(KeyConnectionString, m_connectionString, QString());
    bag.WriteProperty(KeyEmployeeID, m_employeeID, qint32(-1));
}

// The control's properties become the current values of the call, and the data environment is
// rebuilt on its connection string; the forms work on this session.
void velaAssetEst::publishCurrentValues() const
{
    vela::CurrentEmployeeID = m_employeeID;
    vela::Session::current().publish(m_userID, m_positionID, m_connectionString);
}

// No failure handler: a database that cannot be reached ends the call with its failure.
bool velaAssetEst::openForm(qint32 id, bool onRecord)
{
    publishCurrentValues();
    vela::Session &session = vela::Session::current();
    if (!vela::HasPermission(vela::roles::OpenForm)) {
        vela::ShowMessage(vela::texts::TitleError.toString(),
            vela::texts::HostRefusalStart.toString() + QString::number(vela::roles::OpenForm)
                + vela::texts::HostRefusalEnd.toString());
        return false;
    }
    vela::FormMain &form = vela::FormMain::instance(&session);
    if (onRecord) {
        qint32 copy = id;
        form.View(copy);
    } else {
        form.ClearShow();
    }
    return false;
}

bool velaAssetEst::ClearShow()
{
    return openForm(0, false);
}

bool velaAssetEst::View(qint32 inID)
{
    return openForm(inID, true);
}

void velaAssetEst::PrintToPdf(qint32 inID, const QString &inTemplate, const QString &inPdfFile)
{
    publishCurrentValues();
    // No window is shown, so a refusal is the call's failure rather than a message.
    if (!vela::HasPermission(111))
        throw vela::VelaError(vela::texts::HostRefusalStart.toString() + QStringLiteral("111")
            + vela::texts::HostRefusalEnd.toString());
    vela::PrintRecordToPdf(inID, inTemplate, inPdfFile);
}

void velaAssetEst::paintEvent(QPaintEvent *)
{
    // Container units of a Qt host are pixels.
    resize(100, 100);
    setVisible(false);
}
