// The C entry points: a handle owns the control (through a guarded pointer, since a host window
// may delete it first) and the texts handed back to C.
#include "velaAssetEstC.h"
#include "shared/VelaError.h"
#include "velaAssetEst.h"

#include <QApplication>
#include <QByteArray>
#include <QPointer>
#include <exception>

struct VelaAssetEstHandle {
    QPointer<velaAssetEst> control;
    QByteArray connectionString;
    QByteArray lastError;
};

namespace {

int failWith(VelaAssetEstHandle *h, const QByteArray &text)
{
    if (h)
        h->lastError = text;
    return -1;
}

template<class F> int call(VelaAssetEstHandle *h, F &&f)
{
    if (!h || !h->control)
        return failWith(h, "velaAssetEst: the control no longer exists");
    h->lastError.clear();
    try {
        f(*h->control);
        return 0;
    } catch (const vela::VelaError &e) {
        return failWith(h, e.description().toUtf8());
    } catch (const std::exception &e) {
        return failWith(h, e.what());
    } catch (...) {
        return failWith(h, "velaAssetEst: unknown failure");
    }
}

} // namespace

extern "C" {

VelaAssetEstHandle *velaAssetEst_create(void *parentWidget)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return nullptr;
    try {
        auto *h = new VelaAssetEstHandle;
        h->control = new velaAssetEst(static_cast<QWidget *>(parentWidget));
        return h;
    } catch (...) {
        vela::logCurrentFailure("velaAssetEst_create"); // no handle to carry the text
        return nullptr;
    }
}

void velaAssetEst_destroy(VelaAssetEstHandle *h)
{
    if (!h)
        return;
    delete h->control.data();
    delete h;
}

void *velaAssetEst_widget(VelaAssetEstHandle *h)
{
    return h ? static_cast<QWidget *>(h->control.data()) : nullptr;
}

int32_t velaAssetEst_userID(const VelaAssetEstHandle *h)
{
    return h && h->control ? h->control->UserID() : -1;
}

void velaAssetEst_setUserID(VelaAssetEstHandle *h, int32_t value)
{
    call(h, [value](velaAssetEst &c) { c.setUserID(value); });
}

int32_t velaAssetEst_positionID(const VelaAssetEstHandle *h)
{
    return h && h->control ? h->control->PositionID() : -1;
}

void velaAssetEst_setPositionID(VelaAssetEstHandle *h, int32_t value)
{
    call(h, [value](velaAssetEst &c) { c.setPositionID(value); });
}

const char *velaAssetEst_connectionString(VelaAssetEstHandle *h)
{
    if (!h)
        return "";
    h->connectionString = h->control ? h->control->OLEConnectionString().toUtf8() : QByteArray();
    return h->connectionString.constData();
}

void velaAssetEst_setConnectionString(VelaAssetEstHandle *h, const char *utf8)
{
    const QString text = utf8 ? QString::fromUtf8(utf8) : QString();
    call(h, [&text](velaAssetEst &c) { c.setOLEConnectionString(text); });
}

int velaAssetEst_clearShow(VelaAssetEstHandle *h)
{
    return call(h, [](velaAssetEst &c) { c.ClearShow(); });
}

int velaAssetEst_view(VelaAssetEstHandle *h, int32_t id)
{
    return call(h, [id](velaAssetEst &c) { c.View(id); });
}

int velaAssetEst_printToPdf(
    VelaAssetEstHandle *h, int32_t id, const char *templateName, const char *pdfPath)
{
    const QString name = templateName ? QString::fromUtf8(templateName) : QString();
    const QString pdf = pdfPath ? QString::fromUtf8(pdfPath) : QString();
    return call(h, [&](velaAssetEst &c) { c.PrintToPdf(id, name, pdf); });
}

const char *velaAssetEst_lastError(VelaAssetEstHandle *h)
{
    return h ? h->lastError.constData() : "velaAssetEst: no handle";
}

const VelaAssetEstApi *velaAssetEst_api(void)
{
    static const VelaAssetEstApi api = {
        VELA_ASSET_EST_API_VERSION,
        velaAssetEst_create,
        velaAssetEst_destroy,
        velaAssetEst_widget,
        velaAssetEst_userID,
        velaAssetEst_setUserID,
        velaAssetEst_positionID,
        velaAssetEst_setPositionID,
        velaAssetEst_connectionString,
        velaAssetEst_setConnectionString,
        velaAssetEst_clearShow,
        velaAssetEst_view,
        velaAssetEst_lastError,
        velaAssetEst_printToPdf,
    };
    return &api;
}

} // extern "C"
