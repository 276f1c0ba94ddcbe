// Saving and deleting the record on the entry form (cmdSave, cmdDelete) and the form-action log
// entry both of them write.
//
// Statements are T-SQL text built by concatenation, as everywhere in the component: identifiers
// and amounts as bare decimal numbers, texts and dates between single quotes with every quote
// inside doubled (SqlText), empty values as NULL. Nothing a user types can therefore end a
// literal early; percent signs, backslashes and any other character are data inside a literal.
// The insert and the update are derived from the record's description (shared/AssetRecord).
#include "EntryTexts.h"
#include "entry/FormMain.h"
#include "shared/Roles.h"
#include "shared/Session.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"

#include <QDateTime>
#include <QLineEdit>
#include <QTime>

namespace vela {

namespace {

constexpr qint16 AnswerYes = 6;

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

QString logText(const QVariant &id, QStringView suffix)
{
    return texts::LogPrefix.toString() + NumberText(id) + suffix.toString();
}

} // namespace

// ---------------------------------------------------------------- form-action log

void FormMain::writeFormAction(qint32 eventId, qint32 id, const QString &description)
{
    const QDate today = datToday->Value();
    session().dataEnvironment.spOrvoInsertFormAction(eventId, QString::number(id), FormTypeID,
        description, session().userID,
        today.isValid() ? QDateTime(today, QTime(0, 0)) : QDateTime(), datToday->PersianDate(),
        minutesSinceMidnight());
}

// ---------------------------------------------------------------- save

void FormMain::cmdSave_Click()
{
    RunCommand(texts::TitleSaveFailed.toString(), [this] { saveRecord(); });
}

void FormMain::saveRecord()
{
    // Blanks around typed texts are never stored; this stays even when the save is refused.
    trimInputs();

    if (!HasPermission(roles::Save)) {
        ShowMessage(texts::TitleError.toString(), texts::NotAllowed.toString());
        return;
    }
    if (!CheckTypedDates() || !checkRequired())
        return;

    const int mode = FormMode;
    // Every column's value, taken before anything is written: an amount the money type cannot
    // hold (in any of the four amount boxes, the ceiling included, which the insert does not
    // carry) then stops the save before the database is touched.
    const record::Values values = inputValues();

    Recordset &rs = session().dataEnvironment.rssqlAccountManager();
    const QString idBefore = txtID->text();
    bool updated = false;
    // One save is one transaction: the insert, its identity, the update and the log entries
    // (the log procedure runs on the same connection) are stored together or not at all. A
    // failure of any of them leaves no half-written row and no log entry, and the form as it
    // was (the identifier the insert was given is taken back with it), so the next Save does
    // the whole work once. The transaction ends before any question or message is shown.
    try {
        TransactionScope transaction(session().dataEnvironment);
        if (mode == ModeNew) {
            // The required columns create the row; the database gives it its identifier.
            const QString insert = record::insertStatement(record::asset(), values);
            RunQuery(rs, insert);
            // Right after the insert and on the same connection (DtEn's one cn; nothing runs in
            // between), so the identity is the one this insert generated.
            RunQuery(rs, texts::IdentityQuery.toString());
            if (rs.RecordCount() > 0)
                txtID->setText(NumberText(ToNumber(rs.FieldText(QStringLiteral("newID")))));
            const QVariant newId = ToNumber(txtID->text());
            writeFormAction(events::Created, ToInt32(newId), logText(newId, texts::LogCreated));
            rs.Close();
        }

        RunQuery(rs,
            record::updateStatement(record::asset(), values, NumberText(ToNumber(txtID->text()))));
        updated = rs.RecordsAffected() > 0;
        rs.Close();
        // A row just inserted that the update does not find (an identity the engine did not
        // give) is a failure: nothing of it is kept.
        if (!updated && mode == ModeNew)
            throw VelaError(texts::NewRowMissing.toString(), ErrDatabase);

        if (updated) {
            if (mode == ModeEdit) {
                const QVariant id = ToNumber(txtID->text());
                writeFormAction(events::Modified, ToInt32(id), logText(id, texts::LogModified));
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
        const QString question
            = texts::StaleEdit.toString().arg(NumberText(ToNumber(txtID->text())));
        if (AskYesNo(texts::TitleSaveFailed.toString(), question) != AnswerYes)
            return;
        if (!HasPermission(roles::New)) {
            ShowMessage(texts::TitleError.toString(), texts::NotAllowed.toString());
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
        ShowMessage(texts::TitleError.toString(),
            texts::SavedNotShown.toString().arg(savedId) + QLatin1Char('\n') + why);
        return;
    }
    cmdNew->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------- delete

void FormMain::cmdDelete_Click()
{
    RunCommand(texts::TitleError.toString(), [this] { deleteRecord(); });
}

void FormMain::deleteRecord()
{
    if (!HasPermission(roles::Delete)) {
        ShowMessage(texts::TitleError.toString(), texts::NotAllowed.toString());
        return;
    }
    if (AskYesNo(texts::TitleDelete.toString(), texts::AreYouSure.toString()) != AnswerYes)
        return;

    const QVariant id = ToNumber(txtID->text());
    const QString idText = NumberText(id);
    Recordset &rs = session().dataEnvironment.rssqlAccountManager();
    bool deleted = false;
    // The record and its attachment rows go together or not at all. Without a transaction a
    // failure of the second delete (a busy or full database, a lost connection) would leave
    // attachment rows of a record that no longer exists; nothing refers to them by key, no
    // screen reaches them again, and the identifier is never handed out again to adopt them.
    // A record that is not there any more (another user deleted it) deletes nothing here.
    try {
        TransactionScope transaction(session().dataEnvironment);
        RunQuery(rs, texts::DeleteRecordSql.toString() + idText);
        deleted = rs.RecordsAffected() > 0;
        if (deleted) {
            RunQuery(rs,
                texts::DeleteAttachmentsSql.toString() + QString::number(FormTypeID)
                    + texts::AndFormID.toString() + idText);
            transaction.commit();
        }
    } catch (const VelaError &e) {
        closeIfOpen(rs);
        // Only the database's refusal for rows that depend on the record is this form's
        // dependency; a lock, a full disk or a read-only file say what they are.
        if (e.kind() == FailureKind::ForeignKey)
            throw VelaError(texts::Dependency.toString(), e.number());
        throw;
    } catch (...) {
        closeIfOpen(rs);
        throw;
    }
    closeIfOpen(rs);

    if (!deleted) {
        ShowMessage(texts::TitleError.toString(), texts::AlreadyDeleted.toString().arg(idText));
        ShowEmpty();
        return;
    }
    // The log entry is written after the commit, so it records only a deletion that happened.
    try {
        writeFormAction(events::Deleted, ToInt32(id), logText(id, texts::LogDeleted));
    } catch (...) {
        // A failing log entry does not undo or hide the deletion: the form empties all the same.
        logCurrentFailure("log entry of a deletion");
    }
    ShowEmpty();
}

} // namespace vela
