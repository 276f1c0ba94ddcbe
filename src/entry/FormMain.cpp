// The entry form: its controls and their design geometry, start-up, the four modes, the new,
// edit, cancel and search commands, and the layout that follows the window's size.
#include "FormMain.h"
#include "EntryTexts.h"
#include "FormMainPrint.h"
#include "extras/AccountDocLink.h"
#include "extras/FormOtherProperty.h"
#include "search/FormSearch.h"
#include "shared/Session.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"
#include "suite/SuiteFont.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QResizeEvent>

namespace vela {

namespace {

FormMain *g_form = nullptr;

// The text of a button, or of a field's label (from the record's description).
QString captionOf(const char *control)
{
    for (const record::Column &c : record::asset().columns)
        if (qstrcmp(c.label, control) == 0)
            return c.caption.toString();
    for (const texts::Caption &c : texts::Captions)
        if (qstrcmp(c.control, control) == 0)
            return c.text.toString();
    return QString();
}

// Geometry in twips: left, top, width, height.
struct Box {
    double left, top, width, height;
};

constexpr double BarHeight = 345;
constexpr double InputHeight = 285;
constexpr double LabelHeight = 195;
constexpr double LabelDrop = (InputHeight - LabelHeight) / 2; // labels centred on their inputs
constexpr double LeftInputLeft = 180, LeftLabelLeft = 2445;
constexpr double MiddleInputLeft = 5940, MiddleLabelLeft = 8160;
constexpr double InputWidth = 2145;
// Labels grow away from their inputs up to the next column (the title box of the middle column,
// and the picture).
constexpr double LeftLabelWidth = 1530, MiddleLabelWidth = 1275;

// Button captions are laid out from their own text: Persian captions right to left (the dots
// trailing on the left), the symbol captions (">", "<", "+/-") as typed. Qt otherwise
// takes the direction partly from the application, so a host that turns its whole application
// right to left would get trailing dots on the wrong side.
class CaptionStyle : public QProxyStyle {
public:
    void drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &pal,
        bool enabled, const QString &text, QPalette::ColorRole textRole) const override
    {
        const Qt::LayoutDirection old = painter->layoutDirection();
        painter->setLayoutDirection(Qt::LeftToRight);
        QProxyStyle::drawItemText(painter, rect, flags, pal, enabled, text, textRole);
        painter->setLayoutDirection(old);
    }
};

} // namespace

// ---------------------------------------------------------------- instance

FormMain &FormMain::instance(Session *session)
{
    if (g_form && session)
        g_form->m_session = session;
    if (!g_form) {
        static bool cleanupRegistered = false;
        if (!cleanupRegistered) {
            // The form must go before the application object it lives in.
            qAddPostRoutine(&FormMain::unload);
            cleanupRegistered = true;
        }
        auto *form = new FormMain(session ? session : &Session::current());
        try {
            form->startUp();
        } catch (...) {
            delete form;
            throw;
        }
        g_form = form;
    }
    return *g_form;
}

bool FormMain::isLoaded()
{
    return g_form != nullptr;
}

void FormMain::unload()
{
    FormMain *form = g_form;
    g_form = nullptr;
    delete form;
}

FormMain::FormMain(Session *session) : QWidget(nullptr, Qt::Window), m_session(session)
{
    setObjectName(QStringLiteral("FormMain"));
    applySuiteLook(this);
    QFont f = font();
    f.setPointSizeF(8.25); // the suite's forms are drawn in 8.25-point Tahoma
    setFont(f);
    setWindowTitle(texts::FormCaption.toString());
    buildControls();
    resize(twipsToPixels(DesignClientWidth), twipsToPixels(DesignClientHeight));
}

void FormMain::closeEvent(QCloseEvent *e)
{
    // Input that is not saved is never dropped unasked: in edit and new mode the close box asks
    // what cmdCancel asks, and anything but yes keeps the form open.
    if ((FormMode == ModeEdit || FormMode == ModeNew)
        && AskYesNo(texts::CancelTitle.toString(), texts::AreYouSure.toString()) != 6) {
        e->ignore();
        return;
    }
    // Closing unloads the form: the next host call loads and starts it up again.
    e->accept();
    if (g_form == this) {
        g_form = nullptr;
        deleteLater();
    }
}

// ---------------------------------------------------------------- controls

void FormMain::buildControls()
{
    auto button = [this](OrvoButton *&b, const char *name) {
        b = new OrvoButton(captionOf(name), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    auto label = [this](const char *name) {
        auto *l = new QLabel(captionOf(name), this);
        l->setObjectName(QLatin1String(name));
        // The caption ends with its colon at the input: the text hugs the label's left edge.
        l->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignVCenter);
        return l;
    };
    auto lineEdit = [this](QLineEdit *&e, const char *name) {
        e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        return e;
    };
    auto selector = [this](OrvoSelector *&s, const char *name) {
        s = new OrvoSelector(this);
        s->setObjectName(QLatin1String(name));
        return s;
    };
    auto date = [this](OrvoDate *&d, const char *name) {
        d = new OrvoDate(this);
        d->setObjectName(QLatin1String(name));
        return d;
    };
    auto currency = [this](OrvoCurrency *&c, const char *name) {
        c = new OrvoCurrency(this);
        c->setObjectName(QLatin1String(name));
        return c;
    };

    // Shapes first, so that everything else is drawn over them; they take no clicks.
    frameMain = new QFrame(this);
    frameMain->setObjectName(QStringLiteral("frameMain"));
    frameMain->setFrameShape(QFrame::Box);
    frameMain->setFrameShadow(QFrame::Plain);
    frameImportant = new QFrame(this);
    frameImportant->setObjectName(QStringLiteral("frameImportant"));
    frameImportant->setFrameShape(QFrame::Box);
    frameImportant->setFrameShadow(QFrame::Plain);
    for (QFrame *shape : {frameMain, frameImportant}) {
        shape->setAttribute(Qt::WA_TransparentForMouseEvents);
        shape->setForegroundRole(QPalette::Mid);
    }
    frameImportant->setAutoFillBackground(true);
    frameImportant->setBackgroundRole(QPalette::AlternateBase);
    placeTwips(frameMain, 75, 390, 12300, 5535);
    placeTwips(frameImportant, 150, 3345, 9180, 1425);

    // Command bar, left to right.
    struct BarButton {
        OrvoButton *&button;
        const char *name;
        double left, width;
    };
    const BarButton bar[] = {
        {cmdDocGen, "cmdDocGen", 0, 1650},
        {cmdViewAccountDoc, "cmdViewAccountDoc", 1650, 1635},
        {cmdPreview, "cmdPreview", 3300, 1320},
        {cmdCancel, "cmdCancel", 4620, 1245},
        {cmdSearch, "cmdSearch", 5865, 1305},
        {cmdDelete, "cmdDelete", 7155, 1320},
        {cmdSave, "cmdSave", 8475, 1320},
        {cmdEdit, "cmdEdit", 9795, 1320},
        {cmdNew, "cmdNew", 11115, 1320},
    };
    for (const BarButton &b : bar) {
        placeTwips(button(b.button, b.name), b.left, 0, b.width, BarHeight);
        m_commandBar.append(b.button);
    }
    // The suite's accounting module generates documents; this form has no action for the button
    // and says so rather than leave a press unexplained.
    cmdDocGen->setToolTip(QStringLiteral(
        "سند حسابداری در سامانه حسابداری دوباره تولید می‌شود؛ این دکمه در فرم استقرار کاری انجام "
        "نمی‌دهد."));

    // Left field column.
    selector(sltCreator, "sltCreator");
    currency(txtCost, "txtCost");
    currency(txtAccumulatedCost, "txtAccumulatedCost");
    currency(txtAbortCost, "txtAbortCost");
    currency(txtOfficeMaxCost, "txtOfficeMaxCost");
    selector(sltStatusType, "sltStatusType");
    lineEdit(txtDocumentNo, "txtDocumentNo");
    date(datDocumentDate, "datDocumentDate");
    date(datReevaluationDate, "datReevaluationDate");
    selector(sltResponsible, "sltResponsible");
    selector(sltCostCenter, "sltCostCenter");
    selector(sltBranch, "sltBranch");
    struct Row {
        QWidget *input;
        double top;
        const char *label;
    };
    const Row left[] = {
        {sltCreator, 420, "lblCreatorID"},
        {txtCost, 720, "lblCost"},
        {txtAccumulatedCost, 1035, "lblAccumulatedCost"},
        {txtAbortCost, 1350, "lblAbortCost"},
        {txtOfficeMaxCost, 1665, "lblOfficeValueMax"},
        {sltStatusType, 1980, "lblStatusType"},
        {txtDocumentNo, 2310, "lblDocumentNo"},
        {datDocumentDate, 2670, "lblDocumentDate"},
        {datReevaluationDate, 3000, "lblReEvaluationDate"},
        {sltResponsible, 3585, "lblResponsible"},
        {sltCostCenter, 3885, "lblCostCenter"},
        {sltBranch, 4185, "lblBranch"},
    };
    for (const Row &r : left) {
        QLabel *l = label(r.label);
        placeTwips(r.input, LeftInputLeft, r.top, InputWidth, InputHeight);
        placeTwips(l, LeftLabelLeft, r.top + LabelDrop, LeftLabelWidth, LabelHeight);
        m_leftColumn.append({r.input, l});
    }

    // Middle field column.
    lineEdit(txtID, "txtID");
    lineEdit(txtLabelNo, "txtLabelNo");
    lineEdit(txtOldLabelNo, "txtOldLabelNo");
    lineEdit(txtCode, "txtCode");
    lineEdit(txtName, "txtName");
    date(datUtilizationDate, "datUtilizationDate");
    date(datCreateDate, "datCreateDate");
    selector(sltType, "sltType");
    selector(sltGroup, "sltGroup");
    selector(sltLocation, "sltLocation");
    lineEdit(txtOrganizationLocation, "txtOrganizationLocation");
    selector(sltAccountable, "sltAccountable");
    const Row middle[] = {
        {txtID, 510, "lblID"},
        {txtLabelNo, 840, "lblLabelNo"},
        {txtOldLabelNo, 1185, "lblOldLabelNo"},
        {txtCode, 1530, "lblCode"},
        {txtName, 1875, "lblName"},
        {datUtilizationDate, 2220, "lblUtilizationDate"},
        {datCreateDate, 2565, "lblCreateDate"},
        {sltType, 2910, "lblType"},
        {sltGroup, 3420, "lblGroup"},
        {sltLocation, 3750, "lblLocation"},
        {txtOrganizationLocation, 4065, "lblOrganizationLocation"},
        {sltAccountable, 4395, "lblAccounable"},
    };
    for (const Row &r : middle) {
        QLabel *l = label(r.label);
        if (r.input == txtID)
            placeTwips(r.input, 6945, r.top, 1140, InputHeight);
        else if (r.input == txtName)
            placeTwips(r.input, 4005, r.top, 4080, InputHeight);
        else
            placeTwips(r.input, MiddleInputLeft, r.top, InputWidth, InputHeight);
        placeTwips(l, MiddleLabelLeft, r.top + LabelDrop, MiddleLabelWidth, LabelHeight);
        m_middleColumn.append({r.input, l});
    }

    // Description, more information, picture and its buttons.
    txtDescription = new DescriptionEdit(this);
    txtDescription->setObjectName(QStringLiteral("txtDescription"));
    placeTwips(txtDescription, 150, 4815, 7920, 630);
    lblDescription = label("lblDescription");
    placeTwips(lblDescription, 8175, 4875, MiddleLabelWidth, LabelHeight);

    placeTwips(button(cmdMoreInfo, "cmdMoreInfo"), 165, 5460, 2205, 405);

    // The attachment viewer: the picture and its four buttons.
    attachmentViewer = new AttachmentViewer(this, [this] { return ToNumber(textOf(txtID)); });
    attachmentViewer->setSession(m_session);
    picProduct = attachmentViewer->picProduct;
    cmdLeft = attachmentViewer->cmdLeft;
    cmdRefreshPicture = attachmentViewer->cmdRefreshPicture;
    cmdRight = attachmentViewer->cmdRight;
    cmdEditPicture = attachmentViewer->cmdEditPicture;

    // Today's date, kept for the action log; outside the visible area and never shown.
    date(datToday, "datToday");
    placeTwips(datToday, -120, 0, 1215, InputHeight);
    datToday->hide();

    bindRecordInputs();
    setUpInput();

    // Created after the buttons, so that it is destroyed after them.
    auto *captions = new CaptionStyle;
    captions->setParent(this);
    for (OrvoButton *b : findChildren<OrvoButton *>())
        b->setStyle(captions);

    connect(cmdNew, &QPushButton::clicked, this, &FormMain::cmdNew_Click);
    connect(cmdEdit, &QPushButton::clicked, this, &FormMain::cmdEdit_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FormMain::cmdCancel_Click);
    connect(cmdSearch, &QPushButton::clicked, this, &FormMain::cmdSearch_Click);
    connect(cmdSave, &QPushButton::clicked, this, &FormMain::cmdSave_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &FormMain::cmdDelete_Click);
    connect(cmdMoreInfo, &QPushButton::clicked, this, &FormMain::cmdMoreInfo_Click);
    connect(cmdPreview, &QPushButton::clicked, this, &FormMain::cmdPreview_Click);
    connect(cmdViewAccountDoc, &QPushButton::clicked, this, &FormMain::cmdViewAccountDoc_Click);
}

// ---------------------------------------------------------------- start-up

void FormMain::startUp()
{
    // Installation directory. The data environment was just rebuilt by the host call, so the
    // recordset is opened without first closing it.
    Recordset &rs = session().dataEnvironment.rssqlCommon();
    rs.Open(texts::InstallDirectorySql.toString());
    if (rs.RecordCount() != 0)
        InstallDirectory = rs.FieldText(QStringLiteral("InstallDirectory"));
    else
        InstallDirectory.clear();
    rs.Close();

    // Selectors: connection string, then the major and the minor view.
    for (const record::Column &c : record::asset().columns) {
        if (c.kind != record::Kind::Lookup)
            continue;
        auto *selector = static_cast<OrvoSelector *>(input(c));
        selector->setConnectionString(session().connectionString);
        selector->setMajorView(c.majorView.toString());
        selector->setMinorView(c.minorView.toString());
    }

    datToday->setValue(ServerDate());

    designedWidth = qRound(windowWidthTwips());
    designedHeight = qRound(windowHeightTwips());

    ShowEmpty();
}

// ---------------------------------------------------------------- public methods

bool FormMain::ClearShow()
{
    ShowEmpty();
    showForm();
    return false;
}

bool FormMain::View(qint32 &inPropertyID)
{
    ShowRecord(inPropertyID);
    showForm();
    return false;
}

void FormMain::showForm()
{
    show();
    raise();
    activateWindow();
}

// ---------------------------------------------------------------- modes

void FormMain::DisableComponents()
{
    QString caption = texts::FormCaption.toString();
    switch (FormMode) {
    case ModeView:
        caption += texts::SuffixView;
        break;
    case ModeEdit:
        caption += texts::SuffixEdit;
        break;
    case ModeNew:
        caption += texts::SuffixNew;
        break;
    default:
        break;
    }
    setWindowTitle(caption);

    const int m = FormMode;
    const bool view = m == ModeView, edit = m == ModeEdit, fresh = m == ModeNew,
               empty = m == ModeEmpty;
    cmdNew->setEnabled(view || edit || empty);
    cmdEdit->setEnabled(view);
    cmdDelete->setEnabled(view);
    cmdSave->setEnabled(edit || fresh);
    cmdCancel->setEnabled(edit || fresh);
    cmdSearch->setEnabled(true);
    cmdMoreInfo->setEnabled(view || edit);
    // The record's inputs take input in edit and new mode; the key and the creator never do.
    const bool input = edit || fresh;
    for (const record::Column &c : record::asset().columns)
        m_inputs[size_t(&c - record::asset().columns.data())]->setEnabled(c.editable && input);
}

void FormMain::ShowEmpty()
{
    FormMode = ModeEmpty;
    DisableComponents();
    ClearFields();
}

void FormMain::StartNew()
{
    FormMode = ModeNew;
    DisableComponents();
    ClearFields();
    txtLabelNo->setFocus(Qt::OtherFocusReason);
}

void FormMain::ShowRecord(qint32 id)
{
    if (id <= 0) {
        ShowEmpty();
        return;
    }
    openRecord(id, ModeView);
}

void FormMain::EditRecord(qint32 id)
{
    openRecord(id, ModeEdit);
}

// The record is read before anything on screen changes: a read that fails (a locked or lost
// database) leaves the form as it was, its mode, caption, buttons and values, unsaved input
// included. Then as always: the inputs cleared, the mode set, the record put into the controls,
// the controls enabled for the mode. A row that cannot be shown (a stored value that does not
// convert) leaves the mode's empty form rather than half a record.
void FormMain::openRecord(qint32 id, int mode)
{
    Recordset &rs = readRecord(id);
    ClearFields();
    FormMode = mode;
    try {
        fillFields(rs);
    } catch (...) {
        rs.Close();
        ClearFields();
        DisableComponents();
        throw;
    }
    DisableComponents();
    txtLabelNo->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------- commands

QString FormMain::textOf(QLineEdit *e) const
{
    return e ? e->text() : QString();
}

qint32 FormMain::currentRecordID() const
{
    return ToInt32(ToNumber(textOf(txtID)));
}

void FormMain::cmdNew_Click()
{
    RunCommand(texts::TitleError.toString(), [this] {
        if (HasPermission(roles::New))
            StartNew();
        else
            ShowMessage(texts::TitleError.toString(), texts::NotAllowed.toString());
    });
}

void FormMain::cmdEdit_Click()
{
    RunCommand(texts::TitleError.toString(), [this] {
        if (HasPermission(roles::Edit))
            EditRecord(currentRecordID());
        else
            ShowMessage(texts::TitleError.toString(), texts::NotAllowed.toString());
    });
}

void FormMain::cmdCancel_Click()
{
    RunCommand(texts::TitleError.toString(), [this] {
        if (AskYesNo(texts::CancelTitle.toString(), texts::AreYouSure.toString()) != 6)
            return;
        if (FormMode == ModeNew)
            ShowEmpty();
        else
            ShowRecord(currentRecordID());
    });
}

void FormMain::cmdSearch_Click()
{
    RunCommand(texts::TitleError.toString(), [this] {
        const qint32 id = FormSearch::instance(m_session).ShowNGetID();
        if (id > 0)
            ShowRecord(id);
    });
}

void FormMain::cmdMoreInfo_Click()
{
    RunCommand(texts::TitleError.toString(),
        [this] { FormOtherProperty::ShowForEntryForm(FormMode, currentRecordID(), this); });
}

void FormMain::cmdPreview_Click()
{
    PreviewCommand(*this);
}

void FormMain::cmdViewAccountDoc_Click()
{
    RunCommand(texts::TitleError.toString(),
        [this] { ViewAccountDocument(textOf(txtID), InstallDirectory); });
}

// ---------------------------------------------------------------- layout

double FormMain::windowWidthTwips() const
{
    return pixelsToTwips(width()) + FrameWidthTwips;
}

double FormMain::windowHeightTwips() const
{
    return pixelsToTwips(height()) + FrameHeightTwips;
}

void FormMain::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    applyLayout(windowWidthTwips(), windowHeightTwips());
}

// Every control takes a share of the change since the last applied layout: the command bar
// ninths of the width, the two field columns and the picture thirds, the description box, the
// frame and the picture all of the extra height.
void FormMain::applyLayout(double W, double H)
{
    if (W <= MinimumLayoutSize || H <= MinimumLayoutSize)
        return;
    const double dW = W - designedWidth;
    const double dH = H - designedHeight;

    for (int k = 0; k < m_commandBar.size(); ++k)
        ShiftControl(m_commandBar[k], dW / 9, k * dW / 9, 0, 0);
    for (const auto &p : m_leftColumn) {
        ShiftControl(p.first, dW / 3, 0, 0, 0);
        ShiftControl(p.second, 0, dW / 3, 0, 0);
    }
    for (const auto &p : m_middleColumn) {
        ShiftControl(p.first, dW / 3, dW / 3, 0, 0);
        ShiftControl(p.second, 0, 2 * dW / 3, 0, 0);
    }
    ShiftControl(txtDescription, 2 * dW / 3, 0, dH, 0);
    ShiftControl(lblDescription, 0, 2 * dW / 3, 0, 0);
    ShiftControl(frameMain, dW, 0, dH, 0);
    ShiftControl(frameImportant, 2 * dW / 3, 0, 0, 0);
    ShiftControl(cmdMoreInfo, 0, 0, 0, dH);
    // The viewer: the picture widens by a third and the buttons by a twelfth each.
    ShiftControl(attachmentViewer, dW / 3, 2 * dW / 3, dH, 0);
    attachmentViewer->applyLayout();

    designedWidth = qRound(W);
    designedHeight = qRound(H);
}

} // namespace vela
