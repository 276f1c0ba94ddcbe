// The entry form's geometry: the designed positions, and how a resize of the window shares the
// change of width and height among the controls.
#include "common/TestDatabase.h"
#include "entry/FormDriver.h"
#include "shared/modMain.h"

#include <QLabel>

using vela::FormMain;
using vela::twipsGeometry;

namespace {

using Geometry = QHash<QString, QRectF>;

Geometry snapshot(FormMain &f)
{
    Geometry g;
    for (QWidget *w : f.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (!w->objectName().isEmpty())
            g.insert(w->objectName(), twipsGeometry(w));
    return g;
}

const char *const Bar[] = {"cmdDocGen", "cmdViewAccountDoc", "cmdPreview", "cmdCancel", "cmdSearch",
                           "cmdDelete", "cmdSave", "cmdEdit", "cmdNew"};
const char *const LeftInputs[] = {"sltCreator", "txtCost", "txtAccumulatedCost", "txtAbortCost",
                                  "txtOfficeMaxCost", "sltStatusType", "txtDocumentNo", "datDocumentDate",
                                  "datReevaluationDate", "sltResponsible", "sltCostCenter", "sltBranch"};
const char *const LeftLabels[] = {"lblCreatorID", "lblCost", "lblAccumulatedCost", "lblAbortCost",
                                  "lblOfficeValueMax", "lblStatusType", "lblDocumentNo", "lblDocumentDate",
                                  "lblReEvaluationDate", "lblResponsible", "lblCostCenter", "lblBranch"};
const char *const MiddleInputs[] = {"txtID", "txtLabelNo", "txtOldLabelNo", "txtCode", "txtName",
                                    "datUtilizationDate", "datCreateDate", "sltType", "sltGroup",
                                    "sltLocation", "txtOrganizationLocation", "sltAccountable"};
const char *const MiddleLabels[] = {"lblID", "lblLabelNo", "lblOldLabelNo", "lblCode", "lblName",
                                    "lblUtilizationDate", "lblCreateDate", "lblType", "lblGroup",
                                    "lblLocation", "lblOrganizationLocation", "lblAccounable"};
const char *const PictureButtons[] = {"cmdLeft", "cmdRefreshPicture", "cmdRight", "cmdEditPicture"};

// Expected change of one control: increments of left, top, width, height.
struct Delta {
    double left = 0, top = 0, width = 0, height = 0;
};

QHash<QString, Delta> shares(double dW, double dH)
{
    QHash<QString, Delta> d;
    for (int k = 0; k < 9; ++k)
        d[QLatin1String(Bar[k])] = {k * dW / 9, 0, dW / 9, 0};
    for (int i = 0; i < 12; ++i) {
        d[QLatin1String(LeftInputs[i])] = {0, 0, dW / 3, 0};
        d[QLatin1String(LeftLabels[i])] = {dW / 3, 0, 0, 0};
        d[QLatin1String(MiddleInputs[i])] = {dW / 3, 0, dW / 3, 0};
        d[QLatin1String(MiddleLabels[i])] = {2 * dW / 3, 0, 0, 0};
    }
    d[QStringLiteral("txtDescription")] = {0, 0, 2 * dW / 3, dH};
    d[QStringLiteral("lblDescription")] = {2 * dW / 3, 0, 0, 0};
    d[QStringLiteral("frameMain")] = {0, 0, dW, dH};
    d[QStringLiteral("frameImportant")] = {0, 0, 2 * dW / 3, 0};
    d[QStringLiteral("cmdMoreInfo")] = {0, dH, 0, 0};
    d[QStringLiteral("picProduct")] = {2 * dW / 3, 0, dW / 3, dH};
    for (int k = 0; k < 4; ++k)
        d[QLatin1String(PictureButtons[k])] = {2 * dW / 3 + k * dW / 12, dH, dW / 12, 0};
    return d;
}

// Every control moved by its share and nothing else moved; `refused` names controls whose width
// change is expected to be refused.
void checkShares(const Geometry &before, const Geometry &after, double dW, double dH,
                 const QStringList &refused = {})
{
    const QHash<QString, Delta> expected = shares(dW, dH);
    QCOMPARE(after.size(), before.size());
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const Delta e = expected.value(it.key());
        const QRectF a = after.value(it.key()), b = it.value();
        const double width = refused.contains(it.key()) ? 0 : e.width;
        const bool ok = qAbs(a.left() - (b.left() + e.left)) < 0.01 && qAbs(a.top() - (b.top() + e.top)) < 0.01
                        && qAbs(a.width() - (b.width() + width)) < 0.01 && qAbs(a.height() - (b.height() + e.height)) < 0.01;
        if (!ok)
            QFAIL(qPrintable(QStringLiteral("%1: (%2, %3, %4, %5) expected (%6, %7, %8, %9)")
                                 .arg(it.key()).arg(a.left()).arg(a.top()).arg(a.width()).arg(a.height())
                                 .arg(b.left() + e.left).arg(b.top() + e.top).arg(b.width() + width).arg(b.height() + e.height)));
    }
}

// Sets the window (frame included, in twips) to the given size.
void resizeWindow(FormMain &f, double widthTwips, double heightTwips)
{
    f.resize(vela::twipsToPixels(widthTwips - FormMain::FrameWidthTwips),
             vela::twipsToPixels(heightTwips - FormMain::FrameHeightTwips));
    QTRY_COMPARE(f.windowWidthTwips(), widthTwips);
    QTRY_COMPARE(f.windowHeightTwips(), heightTwips);
}

} // namespace

class TestFormMainLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void designGeometry();
    void widerAndTaller();
    void threshold();
    void refusedWidth();
};

void TestFormMainLayout::initTestCase()
{
    // The cases below are whole pixels at 15 twips per pixel.
    if (vela::twipsPerPixel() != 15)
        QSKIP("needs a 96 DPI screen");
}

void TestFormMainLayout::designGeometry()
{
    TestDatabase db;
    FormDriver d(db);
    d.clearShow();
    FormMain &f = d.form();
    QCOMPARE(f.width(), 829); // 12435 x 5970 twips
    QCOMPARE(f.height(), 398);
    QCOMPARE(f.designedWidth, 12435 + 120);
    QCOMPARE(f.designedHeight, 5970 + 405);
    QCOMPARE(f.layoutDirection(), Qt::RightToLeft);
    QVERIFY(f.font().families().contains(QStringLiteral("Tahoma")));

    const Geometry g = snapshot(f);
    QCOMPARE(g.value("cmdNew"), QRectF(11115, 0, 1320, 345));
    QCOMPARE(g.value("cmdDocGen"), QRectF(0, 0, 1650, 345));
    QCOMPARE(g.value("txtID"), QRectF(6945, 510, 1140, 285));
    QCOMPARE(g.value("txtName"), QRectF(4005, 1875, 4080, 285));
    QCOMPARE(g.value("picProduct"), QRectF(9450, 435, 2850, 4335));
    QCOMPARE(g.value("cmdEditPicture"), QRectF(11580, 4830, 735, 390));
    QCOMPARE(g.value("txtDescription"), QRectF(150, 4815, 7920, 630));
    QCOMPARE(g.value("frameMain"), QRectF(75, 390, 12300, 5535));

    // Every caption: labels stand right of their inputs, within the window, and no two visible
    // controls overlap (the shapes behind them aside; neighbouring buttons of the design touch).
    for (int i = 0; i < 12; ++i) {
        for (const auto &[input, label] : {std::pair{LeftInputs[i], LeftLabels[i]}, std::pair{MiddleInputs[i], MiddleLabels[i]}}) {
            const QRect in = f.findChild<QWidget *>(QLatin1String(input))->geometry();
            auto *l = f.findChild<QLabel *>(QLatin1String(label));
            QVERIFY2(l->geometry().left() > in.right(), label);
            QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->width(), label);
            QVERIFY2(l->text().endsWith(QLatin1Char(':')), label);
        }
    }
    QList<QWidget *> visible;
    for (QWidget *w : f.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (w->isVisible() && !w->objectName().startsWith(QLatin1String("frame")))
            visible << w;
    for (int i = 0; i < visible.size(); ++i)
        for (int j = i + 1; j < visible.size(); ++j) {
            const QRect overlap = visible[i]->geometry().intersected(visible[j]->geometry());
            QVERIFY2(overlap.isEmpty() || overlap.width() <= 1,
                     qPrintable(visible[i]->objectName() + QStringLiteral(" / ") + visible[j]->objectName()));
        }
}

void TestFormMainLayout::widerAndTaller()
{
    TestDatabase db;
    FormDriver d(db);
    d.view(1);
    FormMain &f = d.form();
    const double W = f.windowWidthTwips(), H = f.windowHeightTwips();

    Geometry before = snapshot(f);
    resizeWindow(f, W + 900, H);
    Geometry after = snapshot(f);
    checkShares(before, after, 900, 0);
    QCOMPARE(after.value("cmdNew").left() - before.value("cmdNew").left(), 800.0);
    QCOMPARE(f.designedWidth, qRound(W + 900));

    before = after;
    resizeWindow(f, W + 900, H + 450);
    after = snapshot(f);
    checkShares(before, after, 0, 450);

    // Back to the design size: the design geometry again.
    resizeWindow(f, W, H);
    FormMain::unload();
    d.clearShow();
    const Geometry design = snapshot(d.form());
    resizeWindow(d.form(), W + 900, H + 450);
    resizeWindow(d.form(), W, H);
    checkShares(design, snapshot(d.form()), 0, 0);
}

void TestFormMainLayout::threshold()
{
    TestDatabase db;
    FormDriver d(db);
    d.clearShow();
    FormMain &f = d.form();
    const double W = f.windowWidthTwips(), H = f.windowHeightTwips();
    const Geometry design = snapshot(f);

    // Exactly 6000 wide, or exactly 6000 high: nothing moves, the designed size stays.
    resizeWindow(f, 6000, H + 600);
    checkShares(design, snapshot(f), 0, 0);
    QCOMPARE(f.designedWidth, qRound(W));
    resizeWindow(f, W + 300, 6000);
    checkShares(design, snapshot(f), 0, 0);
    QCOMPARE(f.designedHeight, qRound(H));

    // One pixel more in both: the whole change since the last applied layout at once.
    resizeWindow(f, W + 300, 6015);
    checkShares(design, snapshot(f), 300, 6015 - H);
    QCOMPARE(f.designedWidth, qRound(W + 300));
    QCOMPARE(f.designedHeight, 6015);
}

void TestFormMainLayout::refusedWidth()
{
    TestDatabase db;
    FormDriver d(db);
    d.clearShow();
    FormMain &f = d.form();
    const double W = f.windowWidthTwips(), H = f.windowHeightTwips();
    const Geometry design = snapshot(f);

    // 4500 narrower: txtID (1140 wide) cannot lose 1500 and keeps its width; the rest follows.
    resizeWindow(f, W - 4500, H);
    checkShares(design, snapshot(f), -4500, 0, {QStringLiteral("txtID")});
    QCOMPARE(twipsGeometry(f.txtID).width(), 1140.0);

    // Back again: txtID is now wider than designed by the refused amount.
    resizeWindow(f, W, H);
    QCOMPARE(twipsGeometry(f.txtID), QRectF(6945, 510, 1140 + 1500, 285));
    QCOMPARE(twipsGeometry(f.txtLabelNo), design.value("txtLabelNo"));
}

QTEST_MAIN(TestFormMainLayout)
#include "tst_formmain_layout.moc"
