// Saving and deleting the record on the entry form (cmdSave, cmdDelete) and the form-action log
// entry both of them write.
//
// Statements are T-SQL text built by concatenation, as everywhere in the component: identifiers
// and amounts as bare decimal numbers, texts and dates between single quotes with every quote
// inside doubled (SqlText), empty values as NULL. Nothing a user types can therefore end a
// literal early; percent signs, backslashes and any other character are data inside a literal.
#include "entry/FormMain.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"

#include <QDateTime>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTime>
#include <exception>

namespace vela {

namespace {

// ---- texts shown to the user and pieces of the statements
const QString kNotPermitted = QStringLiteral("شما به انجام اين عمليات مجاز نيستيد.");
const QString kTitleError = QStringLiteral("خطا");
const QString kTitleInvalid = QStringLiteral("اشکال");
const QString kNoCreator = QStringLiteral("ايجاد کننده مشخص نشده است!");
const QString kNoLabelNo = QStringLiteral("شماره پلاک مشخص نشده است!");
const QString kNoName = QStringLiteral("عنوان مشخص نشده است!");
const QString kNoUtilizationDate = QStringLiteral("تاريخ بهره برداري مشخص نشده است!");
const QString kNoType = QStringLiteral("نوع مشخص نشده است!");
const QString kNoCost = QStringLiteral("قيمت تمام شده مشخص نشده است!");
const QString kNoAccumulatedCost = QStringLiteral("استهلاک انباشته مشخص نشده است!");
const QString kNoAbortCost = QStringLiteral("ارزش اسقاط مشخص نشده است!");
const QString kNoStatusType = QStringLiteral("وضعيت دارايي مشخص نشده است!");
const QString kInsertInto = QStringLiteral("insert into tblAssetEstablishment ");
const QString kInsertColumns = QStringLiteral(
    "(CreatorID,LabelNo,Name,UtilizationDate,FarsiUtilizationDate,TypeID,Cost,AccumulatedCost,AbortCost,StatusTypeID)");
const QString kInsertValues = QStringLiteral(" values (");
const QString kCommaQuote = QStringLiteral(", '");
const QString kQuoteCommaQuote = QStringLiteral("','");
const QString kQuoteCommaSpaceQuote = QStringLiteral("', '");
const QString kQuote = QStringLiteral("'");
const QString kComma = QStringLiteral(",");
const QString kClose = QStringLiteral(")");
const QString kIdentityQuery = QStringLiteral("Select SCOPE_IDENTITY() as newID");
const QString kLogPrefix = QStringLiteral("فرم استقرار به ش.ر. ”");
const QString kLogCreated = QStringLiteral("“ ايجاد شد.");
const QString kUpdate = QStringLiteral("Update tblAssetEstablishment");
const QString kWhereID = QStringLiteral(" Where ID=");
const QString kSetCreatorID = QStringLiteral(" Set CreatorID=");
const QString kSetLabelNo = QStringLiteral(",LabelNo=");
const QString kSetOldLabelNo = QStringLiteral(",OldLabelNo=");
const QString kSetCode = QStringLiteral(",Code=");
const QString kSetName = QStringLiteral(",Name=");
const QString kSetUtilizationDate = QStringLiteral(",UtilizationDate=");
const QString kSetFarsiUtilizationDate = QStringLiteral(",FarsiUtilizationDate=");
const QString kSetCreateDate = QStringLiteral(",CreateDate=");
const QString kSetFarsiCreateDate = QStringLiteral(",FarsiCreateDate=");
const QString kSetTypeID = QStringLiteral(",TypeID=");
const QString kSetCost = QStringLiteral(",Cost=");
const QString kSetAccumulatedCost = QStringLiteral(",AccumulatedCost=");
const QString kSetAbortCost = QStringLiteral(",AbortCost=");
const QString kSetOfficeMaxCost = QStringLiteral(",OfficeMaxCost=");
const QString kSetStatusTypeID = QStringLiteral(",StatusTypeID=");
const QString kSetDocumentNo = QStringLiteral(",DocumentNo=");
const QString kSetDocumentDate = QStringLiteral(",DocumentDate=");
const QString kSetFarsiDocumentDate = QStringLiteral(",FarsiDocumentDate=");
const QString kSetReevaluationDate = QStringLiteral(",ReevaluationDate=");
const QString kSetFarsiReevaluationDate = QStringLiteral(",FarsiReevaluationDate=");
const QString kSetGroupID = QStringLiteral(",GroupID=");
const QString kSetLocationID = QStringLiteral(",LocationID=");
const QString kSetOrganizationLocation = QStringLiteral(",OrganizationLocation=");
const QString kSetAccountableID = QStringLiteral(",AccountableID=");
const QString kSetResponsibleID = QStringLiteral(",ResponsibleID=");
const QString kSetCostCenterID = QStringLiteral(",CostCenterID=");
const QString kSetBranchID = QStringLiteral(",BranchID=");
const QString kSetDescription = QStringLiteral(",Description=");
const QString kNull = QStringLiteral("NULL");
const QString kLogModified = QStringLiteral("“ اصلاح شد.");
const QString kTitleSaveFailed = QStringLiteral("خطا در ثبت");
const QString kAreYouSure = QStringLiteral("آيا مطمئن هستيد؟");
const QString kTitleDelete = QStringLiteral("حذف");
const QString kDeleteRecord = QStringLiteral("Delete tblAssetEstablishment Where ID=");
const QString kDeleteAttachments
    = QStringLiteral("Delete tblOrvoFormAttachment Where FormTypeID = ");
const QString kAndFormID = QStringLiteral(" and FormID = ");
const QString kLogDeleted = QStringLiteral("“ حذف شد.");
const QString kDependency = QStringLiteral("به اين فرم استقرار وابستگي وجود دارد.");

// A failure that carries no description of its own.

constexpr qint32 RoleSave = 102214805;
constexpr qint32 RoleDelete = 102214803;
constexpr qint32 EventCreated = 102214801;
constexpr qint32 EventModified = 102214804;
constexpr qint32 EventDeleted = 102214803;
constexpr qint16 AnswerYes = 6;

// Leading and trailing blanks (U+0020 only) removed. Tabs and line breaks are the user's data:
// a description may well end with a line break on purpose.
QString trimBlanks(const QString &text)
{
    qsizetype start = 0, end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return (start == 0 && end == text.size()) ? text : text.mid(start, end - start);
}

void trim(QLineEdit *e)
{
    const QString t = trimBlanks(e->text());
    if (t != e->text())
        e->setText(t);
}

void trim(DescriptionEdit *e)
{
    const QString text = e->toPlainText();
    const QString t = trimBlanks(text);
    if (t != text)
        e->setPlainText(t);
}

void trim(OrvoCurrency *c)
{
    const QString t = trimBlanks(c->Text());
    if (t != c->Text())
        c->setText(t);
}

QString quoted(const QString &text)
{
    return kQuote + SqlText(text) + kQuote;
}

QString lookupOrNull(const OrvoSelector *s)
{
    return s->IsEmpty() ? kNull : QString::number(s->SelectedID());
}

QString textOrNull(const QString &text)
{
    return text.isEmpty() ? kNull : quoted(text);
}

QString dateOrNull(const OrvoDate *d)
{
    return d->IsEmpty() ? kNull : quoted(SqlDateText(d->Value()));
}

QString persianDateOrNull(const OrvoDate *d)
{
    return d->IsEmpty() ? kNull : quoted(d->PersianDate());
}

// Value() throws VelaError(ErrOverflow) for an amount outside the money range.
QString amountOrNull(const OrvoCurrency *c)
{
    return c->Text().isEmpty() ? kNull : c->Value().toString();
}

int minutesSinceMidnight()
{
    const QTime now = QTime::currentTime();
    return now.hour() * 60 + now.minute();
}

// Giving the focus may fail (a disabled control refuses it quietly); that is never a failure of
// the command.
void focusQuietly(QWidget *w)
{
    try {
        if (w)
            w->setFocus(Qt::OtherFocusReason);
    } catch (...) {
    }
}

void closeIfOpen(Recordset &rs)
{
    if (rs.State() == Recordset::adStateOpen)
        rs.Close();
}

// The one failure handler of the save: the statements that already ran stay done; the form
// keeps its mode and every value on screen.
void reportSaveFailure(const QString &description)
{
    try {
        closeIfOpen(DtEn().rssqlAccountManager());
        ShowMessage(kTitleSaveFailed, description);
    } catch (...) {
    }
}

} // namespace

// ---------------------------------------------------------------- form-action log

void FormMain::writeFormAction(qint32 eventId, qint32 id, const QString &description)
{
    const QDate today = datToday->Value();
    DtEn().spOrvoInsertFormAction(eventId, QString::number(id), FormTypeID, description,
        CurrentUserID, today.isValid() ? QDateTime(today, QTime(0, 0)) : QDateTime(),
        datToday->PersianDate(), minutesSinceMidnight());
}

// ---------------------------------------------------------------- save

void FormMain::cmdSave_Click()
{
    try {
        // Blanks around typed texts are never stored; this stays even when the save is refused.
        trim(txtLabelNo);
        trim(txtOldLabelNo);
        trim(txtCode);
        trim(txtName);
        trim(txtCost);
        trim(txtAccumulatedCost);
        trim(txtAbortCost);
        trim(txtOfficeMaxCost);
        trim(txtDocumentNo);
        trim(txtOrganizationLocation);
        trim(txtDescription);

        if (!HasPermission(RoleSave)) {
            ShowMessage(kTitleError, kNotPermitted);
            return;
        }
        if (!CheckTypedDates())
            return;

        // Only the first missing value is reported.
        struct Required {
            bool missing;
            const QString &message;
            QWidget *control;
        };
        const Required required[] = {
            {sltCreator->IsEmpty(), kNoCreator, sltCreator},
            {txtLabelNo->text().isEmpty(), kNoLabelNo, txtLabelNo},
            {txtName->text().isEmpty(), kNoName, txtName},
            {datUtilizationDate->IsEmpty(), kNoUtilizationDate, datUtilizationDate},
            {sltType->IsEmpty(), kNoType, sltType},
            {txtCost->Text().isEmpty(), kNoCost, txtCost},
            {txtAccumulatedCost->Text().isEmpty(), kNoAccumulatedCost, txtAccumulatedCost},
            {txtAbortCost->Text().isEmpty(), kNoAbortCost, txtAbortCost},
            {sltStatusType->IsEmpty(), kNoStatusType, sltStatusType},
        };
        for (const Required &r : required) {
            if (r.missing) {
                ShowMessage(kTitleInvalid, r.message);
                focusQuietly(r.control);
                return;
            }
        }

        const int mode = FormMode;
        const QString description = txtDescription->toPlainText();

        // Every column of the row, written after the insert for a new record and alone for a
        // stored one. It is put together before anything is written: an amount the money type
        // cannot hold (in any of the four amount boxes, the ceiling included, which the insert
        // does not carry) then stops the save with nothing half written, so a corrected second
        // save of a new record cannot insert it twice.
        const QString setColumns = kSetCreatorID + lookupOrNull(sltCreator) + kSetLabelNo
            + textOrNull(txtLabelNo->text()) + kSetOldLabelNo + textOrNull(txtOldLabelNo->text())
            + kSetCode + textOrNull(txtCode->text()) + kSetName + textOrNull(txtName->text())
            + kSetUtilizationDate + dateOrNull(datUtilizationDate) + kSetFarsiUtilizationDate
            + persianDateOrNull(datUtilizationDate) + kSetCreateDate + dateOrNull(datCreateDate)
            + kSetFarsiCreateDate + persianDateOrNull(datCreateDate) + kSetTypeID
            + lookupOrNull(sltType) + kSetCost + amountOrNull(txtCost) + kSetAccumulatedCost
            + amountOrNull(txtAccumulatedCost) + kSetAbortCost + amountOrNull(txtAbortCost)
            + kSetOfficeMaxCost + amountOrNull(txtOfficeMaxCost) + kSetStatusTypeID
            + lookupOrNull(sltStatusType) + kSetDocumentNo + textOrNull(txtDocumentNo->text())
            + kSetDocumentDate + dateOrNull(datDocumentDate) + kSetFarsiDocumentDate
            + persianDateOrNull(datDocumentDate) + kSetReevaluationDate
            + dateOrNull(datReevaluationDate) + kSetFarsiReevaluationDate
            + persianDateOrNull(datReevaluationDate) + kSetGroupID + lookupOrNull(sltGroup)
            + kSetLocationID + lookupOrNull(sltLocation) + kSetOrganizationLocation
            + textOrNull(txtOrganizationLocation->text()) + kSetAccountableID
            + lookupOrNull(sltAccountable) + kSetResponsibleID + lookupOrNull(sltResponsible)
            + kSetCostCenterID + lookupOrNull(sltCostCenter) + kSetBranchID
            + lookupOrNull(sltBranch) + kSetDescription + textOrNull(description);

        Recordset &rs = DtEn().rssqlAccountManager();

        if (mode == ModeNew) {
            // The required columns create the row; the database gives it its identifier.
            const QString insert = kInsertInto + kInsertColumns + kInsertValues
                + QString::number(sltCreator->SelectedID()) + kCommaQuote
                + SqlText(txtLabelNo->text()) + kQuoteCommaQuote + SqlText(txtName->text())
                + kQuoteCommaSpaceQuote + SqlDateText(datUtilizationDate->Value())
                + kQuoteCommaQuote + SqlText(datUtilizationDate->PersianDate()) + kQuote + kComma
                + QString::number(sltType->SelectedID()) + kComma + txtCost->Value().toString()
                + kComma + txtAccumulatedCost->Value().toString() + kComma
                + txtAbortCost->Value().toString() + kComma
                + QString::number(sltStatusType->SelectedID()) + kClose;
            RunQuery(rs, insert);
            // Right after the insert and on the same connection (DtEn's one cn; nothing runs in
            // between), so the identity is the one this insert generated.
            RunQuery(rs, kIdentityQuery);
            if (rs.RecordCount() > 0)
                txtID->setText(NumberText(ToNumber(rs.FieldText(QStringLiteral("newID")))));
            const QVariant newId = ToNumber(txtID->text());
            writeFormAction(
                EventCreated, ToInt32(newId), kLogPrefix + NumberText(newId) + kLogCreated);
            rs.Close();
        }

        RunQuery(rs, kUpdate + setColumns + kWhereID + NumberText(ToNumber(txtID->text())));
        rs.Close();

        if (mode == ModeEdit) {
            const QVariant id = ToNumber(txtID->text());
            writeFormAction(EventModified, ToInt32(id), kLogPrefix + NumberText(id) + kLogModified);
        }

        ShowRecord(ToInt32(ToNumber(txtID->text())));
        focusQuietly(cmdNew);
    } catch (...) {
        reportSaveFailure(currentFailureText());
    }
}

// ---------------------------------------------------------------- delete

void FormMain::cmdDelete_Click()
{
    QVariant id; // ToNumber of txtID, taken once the user has confirmed
    try {
        if (!HasPermission(RoleDelete)) {
            ShowMessage(kTitleError, kNotPermitted);
            return;
        }
        if (AskYesNo(kTitleDelete, kAreYouSure) != AnswerYes)
            return;

        id = ToNumber(txtID->text());
        const QString idText = NumberText(id);
        Recordset &rs = DtEn().rssqlAccountManager();
        // The record and its attachment rows go together or not at all. Without a transaction a
        // failure of the second delete (a busy or full database, a lost connection) would leave
        // attachment rows of a record that no longer exists; nothing refers to them by key, no
        // screen reaches them again, and the identifier is never handed out again to adopt them.
        // A refusal of the first delete (a dependant row) changes nothing either way; the
        // rollback then only ends the open transaction. The log entry is written after the
        // commit, so it records only a deletion that happened.
        TransactionScope transaction(DtEn());
        RunQuery(rs, kDeleteRecord + idText);
        RunQuery(rs, kDeleteAttachments + QString::number(FormTypeID) + kAndFormID + idText);
        transaction.commit();
    } catch (...) {
        // Typically the database refusing the delete because other rows refer to the record.
        try {
            ShowMessage(kTitleError, kDependency);
            closeIfOpen(DtEn().rssqlAccountManager());
        } catch (...) {
        }
        return;
    }

    // A failing log entry does not undo or hide the deletion.
    try {
        writeFormAction(EventDeleted, ToInt32(id), kLogPrefix + NumberText(id) + kLogDeleted);
    } catch (...) {
    }

    try {
        ShowEmpty();
        DtEn().rssqlAccountManager().Close();
    } catch (...) {
        // The record is gone; a failure to clear the screen has nothing to report about it.
    }
}

} // namespace vela
