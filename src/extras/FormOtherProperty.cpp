// The extra properties dialog. Its statements run through the data environment on the recordsets
// rssqlBufferQuery (reading) and rsspGoodTracePropertyDepInsert (storing); the pickers read
// their property types through connections of their own.
#include "FormOtherProperty.h"
#include "OtherPropertyTexts.h"
#include "shared/Texts.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"
#include "suite/SuiteFont.h"
#include "suite/velaPropertyPicker.h"

#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStringList>

namespace vela {

namespace t = texts;

namespace {

constexpr double InputHeight = 285;
constexpr double LabelHeight = 195;
constexpr double LabelDrop = (InputHeight - LabelHeight) / 2;
constexpr double LabelLeft = 4935, LabelWidth = 870; // right of the inputs above the slots
constexpr double SlotTops[FormOtherProperty::SlotCount]
    = {1185, 1575, 1965, 2340, 2745, 3135, 3525, 3900};
constexpr double SlotLeft = 1290, SlotWidth = 4290, SlotHeight = 315;
constexpr double ButtonTop = 4395, ButtonHeight = 375;

} // namespace

FormOtherProperty::FormOtherProperty(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormOtherProperty"));
    applySuiteLook(this);
    QFont f = font();
    f.setPointSizeF(8.25);
    setFont(f);
    setWindowTitle(t::PropertiesCaption.toString());

    auto label = [this](QLabel *&l, const char *name, QStringView text) {
        l = new QLabel(text.toString(), this);
        l->setObjectName(QLatin1String(name));
        // The caption ends with its colon at the input: the text hugs the label's left edge.
        l->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignVCenter);
        return l;
    };
    auto selector = [this](OrvoSelector *&s, const char *name) {
        s = new OrvoSelector(this);
        s->setObjectName(QLatin1String(name));
        return s;
    };
    auto button = [this](OrvoButton *&b, const char *name, QStringView caption) {
        b = new OrvoButton(caption.toString(), this);
        b->setObjectName(QLatin1String(name));
        return b;
    };

    txtName = new QLineEdit(this);
    txtName->setObjectName(QStringLiteral("txtName"));
    txtName->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
    placeTwips(txtName, 45, 45, 4845, InputHeight);
    placeTwips(label(lblName, "lblName", t::PropertiesLabelName), LabelLeft, 45 + LabelDrop,
        LabelWidth, LabelHeight);
    placeTwips(selector(sltCategory, "sltCategory"), 1140, 360, 3750, InputHeight);
    placeTwips(label(lblCategory, "lblCategory", t::PropertiesLabelCategory), LabelLeft,
        360 + LabelDrop, LabelWidth, LabelHeight);
    placeTwips(selector(sltType, "sltType"), 1140, 660, 3750, InputHeight);
    placeTwips(label(lblType, "lblType", t::PropertiesLabelType), LabelLeft, 660 + LabelDrop,
        LabelWidth, LabelHeight);

    label(lblHeading, "lblHeading", t::PropertiesHeading);
    lblHeading->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
    placeTwips(lblHeading, SlotLeft, 975, SlotWidth, LabelHeight);

    for (int i = 0; i < SlotCount; ++i) {
        sltProperty[i] = new velaPropertyPicker(this);
        sltProperty[i]->setObjectName(QStringLiteral("sltProperty%1").arg(i));
        placeTwips(sltProperty[i], SlotLeft, SlotTops[i], SlotWidth, SlotHeight);
    }

    placeTwips(button(cmdOk, "cmdOk", t::PropertiesOk), 1155, ButtonTop, 1035, ButtonHeight);
    placeTwips(
        button(cmdCancel, "cmdCancel", t::PropertiesCancel), 90, ButtonTop, 1035, ButtonHeight);

    lblNotShown = new QLabel(this);
    lblNotShown->setObjectName(QStringLiteral("lblNotShown"));
    lblNotShown->setWordWrap(true);
    lblNotShown->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignTop);
    lblNotShown->setForegroundRole(QPalette::Link);
    placeTwips(lblNotShown, 90, DesignClientHeight - 15, DesignClientWidth - 180, NoticeHeight);
    lblNotShown->hide();

    // Reading order: the slots from the top, then OK and Cancel.
    QWidget *previous = txtName;
    for (QWidget *w : std::initializer_list<QWidget *> {sltCategory, sltType}) {
        setTabOrder(previous, w);
        previous = w;
    }
    for (velaPropertyPicker *p : sltProperty) {
        setTabOrder(previous, p);
        previous = p;
    }
    setTabOrder(previous, cmdOk);
    setTabOrder(cmdOk, cmdCancel);

    connect(cmdOk, &QPushButton::clicked, this, &FormOtherProperty::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FormOtherProperty::cmdCancel_Click);

    const QSize client(twipsToPixels(DesignClientWidth), twipsToPixels(DesignClientHeight));
    setFixedSize(client);
}

FormOtherProperty::~FormOtherProperty() = default;

// ---------------------------------------------------------------- opening

void FormOtherProperty::ShowForEntryForm(int formMode, qint32 id, QWidget *owner)
{
    bool canEdit = false;
    switch (formMode) {
    case 0: // view
        canEdit = false;
        break;
    case 1: // edit
        canEdit = true;
        break;
    default: // new and empty: there is no stored record to describe
        return;
    }
    ShowProperties(id, canEdit, owner);
}

bool FormOtherProperty::ShowProperties(qint32 &inID, bool &inCanEdit, QWidget *owner)
{
    // A fresh dialog for every call, gone when the call returns (unless its owner took it along).
    QPointer<FormOtherProperty> dialog
        = new FormOtherProperty(owner ? owner : QApplication::activeWindow());
    struct Unload {
        QPointer<FormOtherProperty> &dialog;
        ~Unload() { delete dialog.data(); }
    } unload {dialog};
    {
        WaitCursor wait;
        dialog->Form_Load();
        dialog->fill(inID, inCanEdit);
    }
    dialog->exec();
    return dialog && dialog->Result;
}

void FormOtherProperty::Form_Load()
{
    txtName->setEnabled(false);
    sltType->setConnectionString(CurrentConnectionString);
    sltType->setMajorView(QStringLiteral("vwAssetEstablishmentTypeMajor"));
    sltType->setMinorView(QStringLiteral("vwAssetEstablishmentTypeMinor"));
    sltType->setEnabled(false);
    sltCategory->setConnectionString(CurrentConnectionString);
    sltCategory->setMajorView(QStringLiteral("vwAssetCategoryMajor"));
    sltCategory->setMinorView(QStringLiteral("vwAssetCategoryMinor"));
    sltCategory->setEnabled(false);
    for (velaPropertyPicker *p : sltProperty)
        p->setConnectionString(CurrentConnectionString);
}

void FormOtherProperty::fill(qint32 id, bool canEdit)
{
    RecordID = id;
    cmdOk->setEnabled(canEdit);
    cmdOk->setVisible(canEdit);
    Result = false;
    const QString idText = QString::number(id);

    Recordset &rs = DtEn().rssqlBufferQuery();
    struct Closer {
        Recordset &rs;
        ~Closer()
        {
            if (rs.State() == Recordset::adStateOpen)
                rs.Close();
        }
    } closer {rs};

    RunQuery(rs, t::PropertiesRecordSql.toString() + idText);
    if (rs.RecordCount() > 0) {
        txtName->setText(rs.FieldText(QStringLiteral("Name")));
        txtName->setCursorPosition(0);
        sltCategory->setSelectedID(ToInt32(ToNumber(rs.FieldText(QStringLiteral("CategoryID")))));
        sltType->setSelectedID(ToInt32(ToNumber(rs.FieldText(QStringLiteral("TypeID")))));
    }
    rs.Close();

    for (velaPropertyPicker *p : sltProperty)
        p->setVisible(false);

    // The definitions in the order the database returns them; the first eight get the slots.
    RunQuery(rs,
        t::PropertiesDefinitionsSql1.toString() + idText + t::PropertiesDefinitionsSql2.toString());
    int last = -1;
    NotShownTypes.clear();
    for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext()) {
        const qint32 type = ToInt32(ToNumber(rs.FieldText(QStringLiteral("PropertyTypeID"))));
        if (last + 1 >= SlotCount) {
            NotShownTypes.append(type);
            continue;
        }
        ++last;
        sltProperty[last]->setPropertyTypeID(type);
        sltProperty[last]->setVisible(true);
    }
    rs.Close();

    for (int i = last; i >= 0; --i) {
        RunQuery(rs,
            t::PropertiesValueSql1.toString() + idText + t::PropertiesValueSql2.toString()
                + QString::number(sltProperty[i]->PropertyTypeID()));
        if (rs.RecordCount() > 0)
            sltProperty[i]->setValue(rs.FieldText(QStringLiteral("Value")));
        rs.Close();
    }

    // Read-only unless opened for editing.
    for (velaPropertyPicker *p : sltProperty)
        p->setEnabled(canEdit);

    if (!NotShownTypes.isEmpty()) {
        // The properties not shown are named, so the user knows what to look for elsewhere.
        QStringList ids;
        for (qint32 type : std::as_const(NotShownTypes))
            ids << QString::number(type);
        RunQuery(rs,
            QStringLiteral("select ID, Name from tblAssetPropertyType Where ID in (")
                + ids.join(QLatin1Char(',')) + QLatin1Char(')'));
        QHash<qint32, QString> names;
        for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext())
            names.insert(ToInt32(ToNumber(rs.FieldText(QStringLiteral("ID")))),
                rs.FieldText(QStringLiteral("Name")));
        rs.Close();
        QStringList shownNames;
        for (qint32 type : std::as_const(NotShownTypes))
            shownNames << names.value(type, QString::number(type));
        QString notice = QStringLiteral(
            "این طبقه %1 ویژگی دارد و تنها هشت ویژگی نخست در این "
            "پنجره جا دارد؛ این %2 ویژگی نمایش داده نمی‌شود: %3.")
                             .arg(last + 1 + NotShownTypes.size())
                             .arg(NotShownTypes.size())
                             .arg(shownNames.join(QStringLiteral("، ")));
        if (canEdit)
            notice += QStringLiteral(
                " مقدار ثبت شده آن‌ها با «تاييد» تغییر نمی‌کند.");
        lblNotShown->setText(notice);
        // Room for the whole notice, however long the names are.
        const double height = qMax(
            NoticeHeight, pixelsToTwips(lblNotShown->heightForWidth(lblNotShown->width()) + 2));
        placeTwips(lblNotShown, 90, DesignClientHeight - 15, DesignClientWidth - 180, height);
        lblNotShown->show();
        setFixedSize(twipsToPixels(DesignClientWidth), twipsToPixels(DesignClientHeight + height));
    }
}

// ---------------------------------------------------------------- commands

void FormOtherProperty::cmdOk_Click()
{
    // What cannot be stored as typed (a date that does not exist) is said first, at its slot.
    for (velaPropertyPicker *p : sltProperty) {
        QString problem;
        if (p->isVisible() && !p->checkInput(problem)) {
            ShowMessage(t::TitleInvalid.toString(), problem);
            p->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    const bool stored = RunCommand(QStringLiteral("خطا در ثبت"), [this] {
        try {
            WaitCursor wait;
            store();
        } catch (...) {
            throw VelaError(
                QStringLiteral(
                    "اطلاعات تکمیلی ثبت نشد و مقدارهای پیشین این دارایی دست نخورده "
                    "ماند. مقدارهایی که وارد کرده‌اید در پنجره مانده است؛ پس از رفع "
                    "مشکل دوباره «تاييد» را بزنید.")
                + QLatin1Char('\n') + currentFailureText());
        }
    });
    if (!stored)
        return; // the dialog stays open with the user's values
    Result = true;
    accept();
}

void FormOtherProperty::cmdCancel_Click()
{
    Result = false;
    reject();
}

// The record's values are replaced in one transaction: a failing insert leaves the values it had.
//
// The delete is the dialog's own statement, which removes every stored value of the record, also
// those of property types the category no longer defines. A category may define more than the
// eight slots can show; the values of the ones not shown were never on screen, so the user cannot
// have meant to clear them. For such a category the same delete is narrowed by
// "and PropertyTypeID not in (...)" listing the types not shown, which keeps their rows and still
// removes everything else; with eight or fewer definitions the statement is run exactly as always.
void FormOtherProperty::store()
{
    DataEnvironment &env = DtEn();
    Recordset &rs = env.rsspGoodTracePropertyDepInsert();
    const QString idText = QString::number(RecordID);
    TransactionScope transaction(env);

    QString remove = t::PropertiesDeleteSql.toString() + idText;
    if (!NotShownTypes.isEmpty()) {
        QStringList kept;
        for (qint32 type : std::as_const(NotShownTypes))
            kept << QString::number(type);
        remove += QStringLiteral(" and PropertyTypeID not in (") + kept.join(QLatin1Char(','))
            + QLatin1Char(')');
    }
    RunQuery(rs, remove);

    for (velaPropertyPicker *p : sltProperty) {
        if (p->PropertyTypeID() <= 0 || p->IsEmpty())
            continue;
        RunQuery(rs,
            t::PropertiesInsertSql1.toString() + t::PropertiesInsertSql2.toString() + idText
                + QLatin1Char(',') + QString::number(p->PropertyTypeID()) + QStringLiteral(",'")
                + SqlText(p->Value()) + QStringLiteral("')"));
    }
    if (rs.State() == Recordset::adStateOpen)
        rs.Close();
    transaction.commit();
}

} // namespace vela
