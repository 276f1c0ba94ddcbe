// The record's inputs on the entry form, worked through the record's one description: clearing,
// trimming, the required values and the values the statements carry. Each input is found by its
// column's control name; how a value travels follows the column's kind.
#include "EntryTexts.h"
#include "FormMain.h"
#include "shared/Session.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"

#include <QLineEdit>

namespace vela {

using record::Column;
using record::Kind;

namespace {

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

// A text input: a single-line box or the description box.
QString inputText(const QWidget *w)
{
    if (auto *e = qobject_cast<const QLineEdit *>(w))
        return e->text();
    return static_cast<const DescriptionEdit *>(w)->text();
}

} // namespace

void FormMain::bindRecordInputs()
{
    m_inputs.clear();
    for (const Column &c : record::asset().columns) {
        QWidget *w = findChild<QWidget *>(QLatin1String(c.control), Qt::FindDirectChildrenOnly);
        if (!w)
            qFatal("FormMain: no input %s for column %s", c.control, qPrintable(c.name.toString()));
        m_inputs.push_back(w);
    }
}

QWidget *FormMain::input(const Column &c) const
{
    return m_inputs[size_t(&c - record::asset().columns.data())];
}

std::vector<OrvoDate *> FormMain::dateInputs() const
{
    std::vector<OrvoDate *> dates;
    for (const Column &c : record::asset().columns)
        if (c.kind == Kind::DatePair)
            dates.push_back(static_cast<OrvoDate *>(input(c)));
    return dates;
}

bool FormMain::isEmpty(const Column &c) const
{
    QWidget *w = input(c);
    switch (c.kind) {
    case Kind::Lookup:
        return static_cast<OrvoSelector *>(w)->IsEmpty();
    case Kind::DatePair:
        return static_cast<OrvoDate *>(w)->IsEmpty();
    case Kind::Money:
        return static_cast<OrvoCurrency *>(w)->Text().isEmpty();
    case Kind::Number:
    case Kind::Text:
        break;
    }
    return inputText(w).isEmpty();
}

void FormMain::ClearFields()
{
    for (const Column &c : record::asset().columns) {
        QWidget *w = input(c);
        switch (c.kind) {
        case Kind::Number:
            static_cast<QLineEdit *>(w)->clear();
            // The attachment viewer shows nothing of the record that was there.
            attachmentViewer->clearPicture();
            break;
        case Kind::Text:
            if (auto *e = qobject_cast<QLineEdit *>(w))
                e->clear();
            else
                static_cast<DescriptionEdit *>(w)->clear();
            break;
        case Kind::Lookup:
            if (c.currentUser)
                static_cast<OrvoSelector *>(w)->setSelectedID(session().userID);
            else
                static_cast<OrvoSelector *>(w)->Clear();
            break;
        case Kind::Money:
            static_cast<OrvoCurrency *>(w)->setText(QString());
            break;
        case Kind::DatePair:
            static_cast<OrvoDate *>(w)->Clear();
            break;
        }
    }
}

void FormMain::trimInputs()
{
    for (const Column &c : record::asset().columns) {
        QWidget *w = input(c);
        if (c.kind == Kind::Money) {
            auto *amount = static_cast<OrvoCurrency *>(w);
            const QString t = trimBlanks(amount->Text());
            if (t != amount->Text())
                amount->setText(t);
        } else if (c.kind == Kind::Text) {
            const QString text = inputText(w);
            const QString t = trimBlanks(text);
            if (t == text)
                continue;
            if (auto *e = qobject_cast<QLineEdit *>(w))
                e->setText(t);
            else
                static_cast<DescriptionEdit *>(w)->setPlainText(t);
        }
    }
}

bool FormMain::checkRequired()
{
    // Only the first missing value is reported.
    for (const Column &c : record::asset().columns) {
        if (c.required() && isEmpty(c)) {
            ShowMessage(texts::TitleInvalid.toString(), c.missing.toString());
            input(c)->setFocus(Qt::OtherFocusReason);
            return false;
        }
    }
    return true;
}

record::Values FormMain::inputValues() const
{
    record::Values values;
    for (const Column &c : record::asset().columns) {
        record::Value v;
        v.empty = isEmpty(c);
        QWidget *w = input(c);
        if (!v.empty) {
            switch (c.kind) {
            case Kind::Number:
                v.text = NumberText(ToNumber(inputText(w)));
                break;
            case Kind::Text:
                v.text = inputText(w);
                break;
            case Kind::Lookup:
                v.text = QString::number(static_cast<OrvoSelector *>(w)->SelectedID());
                break;
            case Kind::Money:
                // Throws VelaError(ErrOverflow) for an amount outside the money range.
                v.text = static_cast<OrvoCurrency *>(w)->Value().toString();
                break;
            case Kind::DatePair:
                v.text = SqlDateText(static_cast<OrvoDate *>(w)->Value());
                v.twin = static_cast<OrvoDate *>(w)->PersianDate();
                break;
            }
        }
        values.push_back(std::move(v));
    }
    return values;
}

} // namespace vela
