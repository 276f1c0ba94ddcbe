#include "OrvoControls.h"
#include "SuiteFont.h"
#include "shared/Jalali.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QValidator>

namespace vela {

namespace {

bool isGrouping(QChar c)
{
    return c == u'/' || c == u',' || c == QChar(0x066C);
}

// Accepts an amount: an optional leading minus, digits of any of the three sets and one decimal
// separator. While the user edits, typed grouping characters are dropped; the grouped text the
// control shows when not being edited passes as it is.
class AmountValidator : public QValidator {
public:
    AmountValidator(const bool &editing, QObject *parent) : QValidator(parent), m_editing(editing)
    {
    }

    State validate(QString &input, int &pos) const override
    {
        if (m_editing) {
            for (int i = int(input.size()) - 1; i >= 0; --i) {
                if (isGrouping(input[i])) {
                    input.remove(i, 1);
                    if (i < pos)
                        --pos;
                }
            }
        }
        static const QRegularExpression editing(
            QStringLiteral("^-?[0-9۰-۹٠-٩]*([.٫][0-9۰-۹٠-٩]*)?$"));
        static const QRegularExpression shown(
            QStringLiteral("^-?[0-9۰-۹٠-٩/,٬]*([.٫][0-9۰-۹٠-٩]*)?$"));
        return (m_editing ? editing : shown).match(input).hasMatch() ? Acceptable : Invalid;
    }

private:
    const bool &m_editing;
};

} // namespace

OrvoCurrency::OrvoCurrency(QWidget *parent) : QWidget(parent)
{
    applySuiteLook(this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("editor"));
    m_edit->setValidator(new AmountValidator(m_editing, m_edit));
    m_edit->installEventFilter(this);
    // Digits keep their own direction (a leading minus stays in front) but sit at the right
    // like every other field.
    m_edit->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit);
    setFocusProxy(m_edit);
    connect(m_edit, &QLineEdit::textEdited, this,
        [this](const QString &text) { storeText(normalize(text)); });
}

QString OrvoCurrency::normalize(const QString &text)
{
    QString out = jalali::toAsciiDigits(text);
    out.replace(QChar(0x066B), QLatin1Char('.'));
    QString result;
    result.reserve(out.size());
    for (QChar c : out) {
        if (isGrouping(c) || c.isSpace() || c == QChar(0x200E) || c == QChar(0x200F))
            continue;
        result.append(c);
    }
    return result;
}

QString OrvoCurrency::grouped(const QString &text)
{
    const QString t = normalize(text);
    static const QRegularExpression amount(QStringLiteral("^(-?)(\\d*)(\\.\\d*)?$"));
    const QRegularExpressionMatch m = amount.match(t);
    if (!m.hasMatch() || m.captured(2).isEmpty())
        return t;
    return m.captured(1) + GroupDigits(m.captured(2)) + m.captured(3);
}

void OrvoCurrency::setText(const QString &t)
{
    storeText(normalize(t));
    showText(m_editing);
}

void OrvoCurrency::storeText(const QString &normalized)
{
    if (normalized == m_text)
        return;
    m_text = normalized;
    emit textChanged(m_text);
}

void OrvoCurrency::showText(bool editing)
{
    const QString shown = editing ? m_text : grouped(m_text);
    if (m_edit->text() != shown)
        m_edit->setText(shown);
}

Money OrvoCurrency::Value() const
{
    QString t = m_text;
    if (t.endsWith(QLatin1Char('.')))
        t.chop(1);
    static const QRegularExpression syntax(QStringLiteral("^-?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (t.isEmpty())
        throw VelaError(QStringLiteral("مبلغ وارد نشده است"), ErrTypeMismatch);
    if (!syntax.match(t).hasMatch())
        throw VelaError(QStringLiteral("مبلغ نامعتبر است"), ErrTypeMismatch);
    // Well-formed text that does not read is outside the currency range.
    const std::optional<Money> m = Money::parse(t);
    if (!m)
        Money::throwOverflow();
    return *m;
}

bool OrvoCurrency::eventFilter(QObject *o, QEvent *e)
{
    if (o == m_edit) {
        if (e->type() == QEvent::FocusIn && m_edit->isEnabled() && !m_edit->isReadOnly()) {
            m_editing = true;
            showText(true);
        } else if (e->type() == QEvent::FocusOut) {
            m_editing = false;
            showText(false);
        }
    }
    return QWidget::eventFilter(o, e);
}

void OrvoCurrency::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange && !isEnabled() && m_editing) {
        m_editing = false;
        showText(false);
    }
    QWidget::changeEvent(e);
}

OrvoButton::OrvoButton(const QString &caption, QWidget *parent) : QPushButton(caption, parent)
{
    applySuiteLook(this);
}

} // namespace vela
