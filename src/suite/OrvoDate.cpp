#include "OrvoControls.h"
#include "PersianCalendar.h"
#include "SuiteFont.h"
#include "shared/Jalali.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QToolButton>

namespace vela {

OrvoDate::OrvoDate(QWidget *parent) : QWidget(parent)
{
    applySuiteLook(this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("editor"));
    m_edit->setPlaceholderText(hint());
    m_edit->installEventFilter(this);
    // Digits of any of the three sets and the separators; whether the date exists is decided
    // when the editing ends.
    m_edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9۰-۹٠-٩]{0,4}([/-][0-9۰-۹٠-٩]{0,2}){0,2}")), m_edit));
    m_normalPalette = m_edit->palette();
    // Digits keep their own direction (a leading minus stays in front) but sit at the right
    // like every other field.
    m_edit->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);

    m_button = new QToolButton(this);
    m_button->setObjectName(QStringLiteral("cmdCalendar"));
    m_button->setText(QStringLiteral("▾"));
    m_button->setToolTip(QStringLiteral("تقویم"));
    m_button->setFocusPolicy(Qt::NoFocus);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_button);
    setFocusProxy(m_edit);

    connect(m_edit, &QLineEdit::editingFinished, this, &OrvoDate::commitText);
    connect(m_button, &QToolButton::clicked, this, &OrvoDate::showCalendar);
}

QString OrvoDate::hint()
{
    // Read right to left like the date itself is laid out: the day at the right, the year at the
    // left.
    return QStringLiteral("روز/ماه/سال");
}

void OrvoDate::setValue(const QDate &d)
{
    const QString text = jalali::formatDate(d);
    const QDate v = text.isEmpty() ? QDate() : d;
    markInvalid(false);
    m_edit->setText(text);
    storeValue(v);
}

QString OrvoDate::PersianDate() const
{
    return jalali::formatDate(m_value);
}

void OrvoDate::storeValue(const QDate &d)
{
    if (d == m_value)
        return;
    m_value = d;
    emit valueChanged(d);
}

void OrvoDate::markInvalid(bool invalid)
{
    m_invalid = invalid;
    if (invalid) {
        QPalette p = m_normalPalette;
        p.setColor(QPalette::Base, QColor(255, 200, 200));
        m_edit->setPalette(p);
        m_edit->setToolTip(QStringLiteral("تاریخ نامعتبر است"));
    } else {
        m_edit->setPalette(m_normalPalette);
        m_edit->setToolTip(QString());
    }
}

void OrvoDate::commitText()
{
    const QString text = m_edit->text().trimmed();
    if (text.isEmpty()) {
        markInvalid(false);
        storeValue(QDate());
        return;
    }
    const QDate d = jalali::parse(text);
    if (!d.isValid()) {
        // The text stays for the user to correct; the value is not kept.
        markInvalid(true);
        storeValue(QDate());
        return;
    }
    markInvalid(false);
    m_edit->setText(jalali::formatDate(d));
    storeValue(d);
}

bool OrvoDate::commit()
{
    commitText();
    return !m_invalid;
}

bool OrvoDate::eventFilter(QObject *o, QEvent *e)
{
    // Seen before the editor's own handling, which then takes the text as well (harmlessly, the
    // same way).
    if (o == m_edit && e->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(e)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
            && m_edit->isEnabled() && !m_edit->isReadOnly() && !commit())
            emit inputRefused();
    }
    return QWidget::eventFilter(o, e);
}

void OrvoDate::changeEvent(QEvent *e)
{
    // A disabled control shows a value or nothing, never the typing hint.
    if (e->type() == QEvent::EnabledChange)
        m_edit->setPlaceholderText(isEnabled() ? hint() : QString());
    QWidget::changeEvent(e);
}

void OrvoDate::showCalendar()
{
    if (!isEnabled())
        return;
    if (!m_popup) {
        m_popup = new PersianCalendar(this);
        m_popup->setObjectName(QStringLiteral("calendar"));
        connect(m_popup, &PersianCalendar::datePicked, this, [this](const QDate &d) {
            m_popup->close();
            setValue(d);
            m_edit->setFocus();
        });
    }
    m_popup->setToday(QDate::currentDate());
    m_popup->setSelectedDate(m_value);
    m_popup->adjustSize();
    // Under the control, right edges aligned, kept on the screen.
    QPoint pos = mapToGlobal(QPoint(width() - m_popup->width(), height()));
    if (const QScreen *screen = this->screen()) {
        const QRect avail = screen->availableGeometry();
        pos.setX(
            qBound(avail.left(), pos.x(), qMax(avail.left(), avail.right() - m_popup->width())));
        if (pos.y() + m_popup->height() > avail.bottom())
            pos.setY(mapToGlobal(QPoint(0, 0)).y() - m_popup->height());
    }
    m_popup->move(pos);
    m_popup->show();
}

} // namespace vela
