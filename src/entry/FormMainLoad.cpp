// Loading one stored record into the entry form's controls.
#include "EntryTexts.h"
#include "FormMain.h"
#include "shared/Session.h"
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
    Recordset &rs = session().dataEnvironment.rssqlAccountManager();
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

    // Every column into its input, in the description's order. The Persian twins of the dates
    // are not read: a date box derives its Persian text from the calendar date.
    for (const record::Column &c : record::asset().columns) {
        const QString column = c.name.toString();
        const QString text = rs.FieldText(column);
        QWidget *w = input(c);
        switch (c.kind) {
        case record::Kind::Number:
        case record::Kind::Text:
            if (auto *e = qobject_cast<QLineEdit *>(w))
                e->setText(text);
            else
                static_cast<DescriptionEdit *>(w)->setText(text);
            break;
        case record::Kind::Lookup:
            static_cast<OrvoSelector *>(w)->setSelectedID(lookupFromColumn(text));
            break;
        case record::Kind::Money:
            static_cast<OrvoCurrency *>(w)->setText(text);
            break;
        case record::Kind::DatePair:
            // A date read always takes a stored NULL as no date; one read only when not NULL
            // leaves the box as the caller cleared it. The form never saves a record without
            // its date of first use.
            if (c.load == record::Load::Always ? !rs.FieldIsNull(column) : !text.isEmpty())
                static_cast<OrvoDate *>(w)->setValue(dateFromColumn(text));
            break;
        }
    }

    rs.Close();
    ShowAttachment(currentRecordID(), 1);
}

} // namespace vela
