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
// What happened when a statement changed no row, and what the user can do.
const QString kStaleEdit = QStringLiteral(
    "رکورد شماره %1 در این فاصله (به دست کاربر دیگری) حذف شده است و تغییرات شما ثبت نشد. "
    "مقادیری که وارد کرده‌اید روی صفحه مانده است.\nآیا آن‌ها را به عنوان رکورد جدید ثبت می‌کنید؟");
const QString kNewRowMissing
    = QStringLiteral("رکوردی که درج شد برای نوشتن بقیه مقادیر پیدا نشد و چیزی ثبت نشد. دوباره "
                     "امتحان کنید و اگر تکرار شد به مدیر سیستم خبر دهید.");
const QString kSavedNotShown
    = QStringLiteral("رکورد با شماره %1 ثبت شد، ولی دوباره خوانده و نمایش داده نشد. برای دیدن "
                     "آن، چند لحظه بعد آن را جستجو کنید.");
const QString kAlreadyDeleted
    = QStringLiteral("رکورد شماره %1 پیش از این (به دست کاربر دیگری) حذف شده است؛ چیزی حذف نشد.");

constexpr qint32 RoleNew = 102214801;
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

void closeIfOpen(Recordset &rs)
{
    if (rs.State() == Recordset::adStateOpen)
        rs.Close();
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
    RunCommand(kTitleSaveFailed, [this] { saveRecord(); });
}

void FormMain::saveRecord()
{
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
            r.control->setFocus(Qt::OtherFocusReason);
            return;
        }
    }

    const int mode = FormMode;
    const QString description = txtDescription->toPlainText();

    // Every column of the row, written after the insert for a new record and alone for a
    // stored one. It is put together before anything is written: an amount the money type
    // cannot hold (in any of the four amount boxes, the ceiling included, which the insert
    // does not carry) then stops the save before the database is touched.
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
        + kSetCostCenterID + lookupOrNull(sltCostCenter) + kSetBranchID + lookupOrNull(sltBranch)
        + kSetDescription + textOrNull(description);

    Recordset &rs = DtEn().rssqlAccountManager();
    const QString idBefore = txtID->text();
    bool updated = false;
    // One save is one transaction: the insert, its identity, the update and the log entries
    // (the log procedure runs on the same connection) are stored together or not at all. A
    // failure of any of them leaves no half-written row and no log entry, and the form as it
    // was (the identifier the insert was given is taken back with it), so the next Save does
    // the whole work once. The transaction ends before any question or message is shown.
    try {
        TransactionScope transaction(DtEn());
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
        updated = rs.RecordsAffected() > 0;
        rs.Close();
        // A row just inserted that the update does not find (an identity the engine did not
        // give) is a failure: nothing of it is kept.
        if (!updated && mode == ModeNew)
            throw VelaError(kNewRowMissing, ErrDatabase);

        if (updated) {
            if (mode == ModeEdit) {
                const QVariant id = ToNumber(txtID->text());
                writeFormAction(
                    EventModified, ToInt32(id), kLogPrefix + NumberText(id) + kLogModified);
            }
            transaction.commit();
        }
    } catch (...) {
        closeIfOpen(rs);
        txtID->setText(idBefore);
        throw;
    }

    if (!updated) {
        // The stored record is gone (another user deleted it since it was loaded): nothing was
        // written or logged. The values stay on screen, and the user may keep them as a new
        // record, saved as any new record is.
        const QString question = kStaleEdit.arg(NumberText(ToNumber(txtID->text())));
        if (AskYesNo(kTitleSaveFailed, question) != AnswerYes)
            return;
        if (!HasPermission(RoleNew)) {
            ShowMessage(kTitleError, kNotPermitted);
            return;
        }
        FormMode = ModeNew;
        DisableComponents();
        txtID->clear();
        saveRecord();
        return;
    }

    const qint32 savedId = ToInt32(ToNumber(txtID->text()));
    try {
        ShowRecord(savedId);
    } catch (...) {
        // Stored, but not read back (the database locked or gone at that moment). The form
        // keeps what was saved, read-only under its identifier, so that no later Save inserts
        // it again or writes it over another record.
        const QString why = currentFailureText();
        txtID->setText(QString::number(savedId));
        FormMode = ModeView;
        DisableComponents();
        ShowMessage(kTitleError, kSavedNotShown.arg(savedId) + QLatin1Char('\n') + why);
        return;
    }
    cmdNew->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------- delete

void FormMain::cmdDelete_Click()
{
    RunCommand(kTitleError, [this] { deleteRecord(); });
}

void FormMain::deleteRecord()
{
    if (!HasPermission(RoleDelete)) {
        ShowMessage(kTitleError, kNotPermitted);
        return;
    }
    if (AskYesNo(kTitleDelete, kAreYouSure) != AnswerYes)
        return;

    const QVariant id = ToNumber(txtID->text());
    const QString idText = NumberText(id);
    Recordset &rs = DtEn().rssqlAccountManager();
    bool deleted = false;
    // The record and its attachment rows go together or not at all. Without a transaction a
    // failure of the second delete (a busy or full database, a lost connection) would leave
    // attachment rows of a record that no longer exists; nothing refers to them by key, no
    // screen reaches them again, and the identifier is never handed out again to adopt them.
    // A record that is not there any more (another user deleted it) deletes nothing here.
    try {
        TransactionScope transaction(DtEn());
        RunQuery(rs, kDeleteRecord + idText);
        deleted = rs.RecordsAffected() > 0;
        if (deleted) {
            RunQuery(rs, kDeleteAttachments + QString::number(FormTypeID) + kAndFormID + idText);
            transaction.commit();
        }
    } catch (const VelaError &e) {
        closeIfOpen(rs);
        // Only the database's refusal for rows that depend on the record is this form's
        // dependency; a lock, a full disk or a read-only file say what they are.
        if (e.kind() == FailureKind::ForeignKey)
            throw VelaError(kDependency, e.number());
        throw;
    } catch (...) {
        closeIfOpen(rs);
        throw;
    }
    closeIfOpen(rs);

    if (!deleted) {
        ShowMessage(kTitleError, kAlreadyDeleted.arg(idText));
        ShowEmpty();
        return;
    }
    // The log entry is written after the commit, so it records only a deletion that happened;
    // a failing log entry does not undo or hide it.
    try {
        writeFormAction(EventDeleted, ToInt32(id), kLogPrefix + NumberText(id) + kLogDeleted);
    } catch (...) {
    }
    ShowEmpty();
}

} // namespace vela
