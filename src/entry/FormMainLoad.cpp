// Loading one stored record into the entry form's controls.
#include "EntryTexts.h"
#include "FormMain.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"

#include <QDateTime>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace vela {

namespace {

// A date column as the engines return it: "yyyy-MM-dd", possibly followed by a time.
QDate dateFromColumn(const QString &text)
{
    const QString t = text.trimmed();
    QDate d = QDate::fromString(t.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid())
        d = QDateTime::fromString(t, Qt::ISODate).date();
    if (!d.isValid())
        throw VelaError(QStringLiteral("تاریخ «%1» قابل خواندن نیست.").arg(text), ErrTypeMismatch);
    return d;
}

qint32 lookupFromColumn(const QString &text)
{
    return ToInt32(ToNumber(text));
}

} // namespace

void FormMain::LoadRecord(qint32 id)
{
    fillFields(readRecord(id));
}

Recordset &FormMain::readRecord(qint32 id)
{
    Recordset &rs = DtEn().rssqlAccountManager();
    RunQuery(rs, texts::LoadSql.toString() + QString::number(id));
    return rs;
}

void FormMain::fillFields(Recordset &rs)
{
    if (rs.RecordCount() < 1) {
        // None of these steps fails (the attachment viewer keeps its own failures), so the
        // viewer always runs, for what txtID holds (the cleared form's empty text).
        ShowMessage(texts::TitleError.toString(), texts::NotFound.toString());
        rs.Close();
        ShowAttachment(currentRecordID(), 1);
        return;
    }

    auto text = [&rs](const char *column) { return rs.FieldText(QLatin1String(column)); };

    txtID->setText(text("ID"));
    sltCreator->setSelectedID(lookupFromColumn(text("CreatorID")));
    txtLabelNo->setText(text("LabelNo"));
    txtOldLabelNo->setText(text("OldLabelNo"));
    txtCode->setText(text("Code"));
    txtName->setText(text("Name"));
    // The form never saves a record without its date of first use; a stored NULL stays empty.
    if (!rs.FieldIsNull(QStringLiteral("UtilizationDate")))
        datUtilizationDate->setValue(dateFromColumn(text("UtilizationDate")));
    if (!text("CreateDate").isEmpty())
        datCreateDate->setValue(dateFromColumn(text("CreateDate")));
    sltType->setSelectedID(lookupFromColumn(text("TypeID")));
    txtCost->setText(text("Cost"));
    txtAccumulatedCost->setText(text("AccumulatedCost"));
    txtAbortCost->setText(text("AbortCost"));
    txtOfficeMaxCost->setText(text("OfficeMaxCost"));
    sltStatusType->setSelectedID(lookupFromColumn(text("StatusTypeID")));
    txtDocumentNo->setText(text("DocumentNo"));
    if (!text("DocumentDate").isEmpty())
        datDocumentDate->setValue(dateFromColumn(text("DocumentDate")));
    if (!text("ReevaluationDate").isEmpty())
        datReevaluationDate->setValue(dateFromColumn(text("ReevaluationDate")));
    sltGroup->setSelectedID(lookupFromColumn(text("GroupID")));
    sltLocation->setSelectedID(lookupFromColumn(text("LocationID")));
    txtOrganizationLocation->setText(text("OrganizationLocation"));
    sltAccountable->setSelectedID(lookupFromColumn(text("AccountableID")));
    sltResponsible->setSelectedID(lookupFromColumn(text("ResponsibleID")));
    sltCostCenter->setSelectedID(lookupFromColumn(text("CostCenterID")));
    sltBranch->setSelectedID(lookupFromColumn(text("BranchID")));
    txtDescription->setText(text("Description"));

    rs.Close();
    ShowAttachment(currentRecordID(), 1);
}

} // namespace vela
