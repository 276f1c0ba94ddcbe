// The entry form's geometry: the design positions, and how a resize shares the change of the
// window's width and height among the controls.
#include "entry/FormDriver.h"
#include "shared/modMain.h"

#include <QLabel>

using vela::FormMain;
using Geometry = QHash<QString, QRectF>;

namespace {
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
    const char *bar[] = {"cmdDocGen", "cmdViewAccountDoc", "cmdPreview", "cmdCancel", "cmdSearch",
        "cmdDelete", "cmdSave", "cmdEdit", "cmdNew"};
    for (int k = 0; k < 9; ++k)
        s[bar[k]] = {k * dW / 9, 0, dW / 9, 0};
    for (const char *in : {"sltCreator", "txtCost", "txtAccumulatedCost", "txtAbortCost",
             "txtOfficeMaxCost", "sltStatusType", "txtDocumentNo", "datDocumentDate",
             "datReevaluationDate", "sltResponsible", "sltCostCenter", "sltBranch"})
        s[in] = {0, 0, dW / 3, 0};
    for (const char *lbl : {"lblCreatorID", "lblCost", "lblAccumulatedCost", "lblAbortCost",
             "lblOfficeValueMax", "lblStatusType", "lblDocumentNo", "lblDocumentDate",
             "lblReEvaluationDate", "lblResponsible", "lblCostCenter", "lblBranch"})
        s[lbl] = {dW / 3, 0, 0, 0};
    for (const char *in : {"txtID", "txtLabelNo", "txtOldLabelNo", "txtCode", "txtName",
             "datUtilizationDate", "datCreateDate", "sltType", "sltGroup", "sltLocation",
             "txtOrganizationLocation", "sltAccountable"})
        s[in] = {dW / 3, 0, dW / 3, 0};
    for (const char *lbl : {"lblID", "lblLabelNo", "lblOldLabelNo", "lblCode", "lblName",
             "lblUtilizationDate", "lblCreateDate", "lblType", "lblGroup", "lblLocation",
             "lblOrganizationLocation", "lblAccounable", "lblDescription"})
        s[lbl] = {2 * dW / 3, 0, 0, 0};
    s["txtDescription"] = {0, 0, 2 * dW / 3, dH};
    s["frameMain"] = {0, 0, dW, dH};
    s["frameImportant"] = {0, 0, 2 * dW / 3, 0};
    s["cmdMoreInfo"] = {0, dH, 0, 0};
    s["picProduct"] = {2 * dW / 3, 0, dW / 3, dH};
    const char *pictureButtons[] = {"cmdLeft", "cmdRefreshPicture", "cmdRight", "cmdEditPicture"};
    for (int k = 0; k < 4; ++k)
        s[pictureButtons[k]] = {2 * dW / 3 + k * dW / 12, dH, dW / 12, 0};
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

class TestFormMainLayout : public QObject {
    Q_OBJECT
private slots:
    void designAndResize();
};

void TestFormMainLayout::designAndResize()
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

QTEST_MAIN(TestFormMainLayout)
#include "tst_formmain_layout.moc"
