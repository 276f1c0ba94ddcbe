#include "velaPropertyPicker.h"
#include "OrvoControls.h"
#include "SuiteFont.h"
#include "shared/DataEnvironment.h"
#include "shared/Jalali.h"
#include "shared/VelaError.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace vela {

namespace {

// A number as the user may type it: a sign, digits of any of the three sets, one decimal point.
const QRegularExpression &numberPattern()
{
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("-?[0-9۰-۹٠-٩]*([.٫][0-9۰-۹٠-٩]*)?")));
    return pattern;
}

// The number as it is stored: ASCII digits and ".".
QString normalizedNumber(const QString &text)
{
    QString s = jalali::toAsciiDigits(text.trimmed());
    s.replace(QChar(0x066B), QLatin1Char('.'));
    if (s.endsWith(QLatin1Char('.')) && s.size() > 1 && s[s.size() - 2].isDigit())
        s.chop(1); // "12." is 12
    return s;
}

velaPropertyPicker::Kind kindOf(const QString &valueKind)
{
    const QString k = valueKind.trimmed().toLower();
    if (k == QLatin1String("number"))
        return velaPropertyPicker::Kind::Number;
    if (k == QLatin1String("date"))
        return velaPropertyPicker::Kind::Date;
    if (k == QLatin1String("choice"))
        return velaPropertyPicker::Kind::Choice;
    return velaPropertyPicker::Kind::Text;
}

} // namespace

velaPropertyPicker::velaPropertyPicker(QWidget *parent) : QWidget(parent)
{
    applySuiteLook(this);
    m_name = new QLabel(this);
    m_name->setObjectName(QStringLiteral("lblName"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_name, 2); // first: on the right
    buildEditor();
}

void velaPropertyPicker::setPropertyTypeID(qint32 id)
{
    QString name;
    Kind kind = Kind::Text;
    QStringList choices;
    if (id > 0 && !m_connectionString.trimmed().isEmpty()) {
        // The picker's own connection, as the suite's controls open one of their own.
        DataEnvironment env;
        env.cn().setConnectionString(m_connectionString);
        ResultTable type;
        env.execute(QStringLiteral("select Name, ValueKind from tblAssetPropertyType Where ID=")
                + QString::number(id),
            type);
        if (type.rowCount() > 0) {
            name = type.text(0, type.columnIndex(QStringLiteral("Name")));
            kind = kindOf(type.text(0, type.columnIndex(QStringLiteral("ValueKind"))));
        } else {
            name = QStringLiteral("ویژگی %1 (تعریف نشده)").arg(id);
        }
        if (kind == Kind::Choice) {
            ResultTable values;
            env.execute(QStringLiteral("select Value from tblAssetPropertyTypeChoice Where "
                                       "PropertyTypeID=")
                    + QString::number(id) + QStringLiteral(" order by SortOrder, ID"),
                values);
            for (int r = 0; r < values.rowCount(); ++r)
                if (!values.isNull(r, 0))
                    choices << values.text(r, 0);
        }
    }
    m_typeId = id;
    m_typeName = name;
    m_kind = kind;
    m_choices = choices;
    m_name->setText(name.isEmpty() ? QString() : name + QLatin1Char(':'));
    m_name->setToolTip(name);
    buildEditor();
}

void velaPropertyPicker::buildEditor()
{
    const bool hadFocus = m_editor && m_editor->hasFocus();
    delete m_editor;
    m_editor = nullptr;
    m_line = nullptr;
    m_date = nullptr;
    m_combo = nullptr;
    m_unreadableDate.clear();
    m_givenValue.clear();
    switch (m_kind) {
    case Kind::Text:
    case Kind::Number:
        m_editor = m_line = new QLineEdit(this);
        m_line->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
        if (m_kind == Kind::Number)
            m_line->setValidator(new QRegularExpressionValidator(numberPattern(), m_line));
        break;
    case Kind::Date:
        m_editor = m_date = new OrvoDate(this);
        break;
    case Kind::Choice:
        m_editor = m_combo = new QComboBox(this);
        m_combo->addItem(QString()); // nothing chosen
        m_combo->addItems(m_choices);
        break;
    }
    m_editor->setObjectName(QStringLiteral("editor"));
    static_cast<QHBoxLayout *>(layout())->addWidget(m_editor, 3);
    setFocusProxy(m_editor);
    if (hadFocus)
        m_editor->setFocus();
}

QString velaPropertyPicker::Value() const
{
    switch (m_kind) {
    case Kind::Text:
        return m_line->text();
    case Kind::Number:
        return normalizedNumber(m_line->text());
    case Kind::Date:
        if (!m_date->IsEmpty())
            return m_date->PersianDate();
        return !m_unreadableDate.isEmpty() && m_date->editor()->text() == m_unreadableDate
            ? m_unreadableDate
            : QString();
    case Kind::Choice:
        return m_combo->currentText();
    }
    return QString();
}

void velaPropertyPicker::setValue(const QString &value)
{
    m_givenValue = value;
    switch (m_kind) {
    case Kind::Text:
    case Kind::Number:
        m_line->setText(value);
        m_line->setCursorPosition(0);
        break;
    case Kind::Date: {
        const QDate d = jalali::parse(value);
        m_date->setValue(d);
        m_unreadableDate.clear();
        if (!d.isValid() && !value.trimmed().isEmpty()) {
            m_unreadableDate = value;
            m_date->editor()->setText(value);
        }
        break;
    }
    case Kind::Choice: {
        int index = value.isEmpty() ? 0 : m_combo->findText(value, Qt::MatchExactly);
        if (index < 0) {
            // No longer one of the allowed values: listed, so that it is kept until changed.
            m_combo->addItem(value);
            index = m_combo->count() - 1;
        }
        m_combo->setCurrentIndex(index);
        break;
    }
    }
}

bool velaPropertyPicker::IsEmpty() const
{
    return Value().trimmed().isEmpty();
}

bool velaPropertyPicker::checkInput(QString &problem)
{
    problem.clear();
    if (m_kind == Kind::Date && !m_date->commit() && m_date->editor()->text() != m_unreadableDate) {
        problem = QStringLiteral("«%1» در «%2» تاریخ درستی نیست. تاریخ را به صورت سال/ماه/روز "
                                 "بنویسید (مانند 1402/07/15) یا آن را پاک کنید.")
                      .arg(m_date->editor()->text(), m_typeName);
        return false;
    }
    // The box takes only what can begin a number; what is left must be one ("-" or "." alone is
    // not), unless it is the stored value untouched.
    static const QRegularExpression number(
        QRegularExpression::anchoredPattern(QStringLiteral("-?([0-9]+(\\.[0-9]+)?|\\.[0-9]+)")));
    if (m_kind == Kind::Number && !IsEmpty() && Value() != m_givenValue
        && !number.match(Value()).hasMatch()) {
        problem = QStringLiteral("«%1» در «%2» عدد نیست. عدد را بنویسید یا آن را پاک کنید.")
                      .arg(m_line->text(), m_typeName);
        return false;
    }
    return true;
}

} // namespace vela
