#include "PersianCalendar.h"
#include "SuiteFont.h"
#include "shared/Jalali.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace vela {

namespace {

constexpr int Columns = 7, Weeks = 6;

QToolButton *navButton(QWidget *parent, const char *name, const QString &text, const QString &tip)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    return b;
}

} // namespace

PersianCalendar::PersianCalendar(QWidget *parent) : QFrame(parent, Qt::Popup)
{
    applySuiteLook(this);
    setFrameShape(QFrame::StyledPanel);
    setAttribute(Qt::WA_WindowPropagation);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(4);

    // Right to left: earlier months at the right, later ones at the left.
    auto *header = new QHBoxLayout;
    QToolButton *prevYear
        = navButton(this, "cmdPreviousYear", QStringLiteral("»"), QStringLiteral("سال قبل"));
    QToolButton *prevMonth
        = navButton(this, "cmdPreviousMonth", QStringLiteral("›"), QStringLiteral("ماه قبل"));
    QToolButton *nextMonthButton
        = navButton(this, "cmdNextMonth", QStringLiteral("‹"), QStringLiteral("ماه بعد"));
    QToolButton *nextYearButton
        = navButton(this, "cmdNextYear", QStringLiteral("«"), QStringLiteral("سال بعد"));
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("lblMonth"));
    m_title->setAlignment(Qt::AlignCenter);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    header->addWidget(prevYear);
    header->addWidget(prevMonth);
    header->addWidget(m_title, 1);
    header->addWidget(nextMonthButton);
    header->addWidget(nextYearButton);
    outer->addLayout(header);
    connect(prevYear, &QToolButton::clicked, this, &PersianCalendar::previousYear);
    connect(prevMonth, &QToolButton::clicked, this, &PersianCalendar::previousMonth);
    connect(nextMonthButton, &QToolButton::clicked, this, &PersianCalendar::nextMonth);
    connect(nextYearButton, &QToolButton::clicked, this, &PersianCalendar::nextYear);

    auto *grid = new QGridLayout;
    grid->setSpacing(1);
    static const char *const weekdays[Columns] = {"ش", "ی", "د", "س", "چ", "پ", "ج"};
    for (int c = 0; c < Columns; ++c) {
        auto *l = new QLabel(QString::fromUtf8(weekdays[c]), this);
        l->setAlignment(Qt::AlignCenter);
        if (c == Columns - 1) // Friday, the weekend
            l->setStyleSheet(QStringLiteral("color: #b00000;"));
        grid->addWidget(l, 0, c);
    }
    m_cells.reserve(Columns * Weeks);
    for (int i = 0; i < Columns * Weeks; ++i) {
        auto *b = new QToolButton(this);
        b->setAutoRaise(true);
        b->setCheckable(true);
        b->setMinimumSize(30, 24);
        grid->addWidget(b, 1 + i / Columns, i % Columns);
        connect(b, &QToolButton::clicked, this, [this, i] {
            const int day = i - m_firstCell + 1;
            const QDate d = jalali::toGregorian(m_year, m_month, day);
            if (d.isValid()) {
                m_selected = d;
                refresh();
                emit datePicked(d);
            }
        });
        m_cells.append(b);
    }
    outer->addLayout(grid);

    m_today = QDate::currentDate();
    setSelectedDate(QDate());
}

void PersianCalendar::setSelectedDate(const QDate &d)
{
    m_selected = d;
    const jalali::JDate j = jalali::fromGregorian(d.isValid() ? d : m_today);
    showMonth(j.year, j.month);
}

void PersianCalendar::setToday(const QDate &d)
{
    m_today = d;
    refresh();
}

void PersianCalendar::showMonth(int jy, int jm)
{
    while (jm < 1) {
        jm += 12;
        --jy;
    }
    while (jm > 12) {
        jm -= 12;
        ++jy;
    }
    if (jalali::daysInMonth(jy, jm) == 0)
        return; // outside the calendar's years
    m_year = jy;
    m_month = jm;
    refresh();
}

QString PersianCalendar::title() const
{
    return jalali::monthName(m_month) + QLatin1Char(' ')
        + jalali::toPersianDigits(QString::number(m_year));
}

int PersianCalendar::columnOfDay(int day) const
{
    return (m_firstCell + day - 1) % Columns;
}

QToolButton *PersianCalendar::dayButton(int day) const
{
    if (day < 1 || day > jalali::daysInMonth(m_year, m_month))
        return nullptr;
    return m_cells.value(m_firstCell + day - 1);
}

void PersianCalendar::nextMonth()
{
    showMonth(m_year, m_month + 1);
}
void PersianCalendar::previousMonth()
{
    showMonth(m_year, m_month - 1);
}
void PersianCalendar::nextYear()
{
    showMonth(m_year + 1, m_month);
}
void PersianCalendar::previousYear()
{
    showMonth(m_year - 1, m_month);
}

void PersianCalendar::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QFrame::keyPressEvent(e);
}

void PersianCalendar::refresh()
{
    if (m_year == 0)
        return;
    m_title->setText(title());
    const QDate first = jalali::toGregorian(m_year, m_month, 1);
    m_firstCell = first.dayOfWeek() % 7 + 1; // Monday 1 ... Sunday 7 to Saturday-first
    m_firstCell %= Columns;
    const int days = jalali::daysInMonth(m_year, m_month);
    const jalali::JDate today = jalali::fromGregorian(m_today);
    const jalali::JDate selected = jalali::fromGregorian(m_selected);
    for (int i = 0; i < m_cells.size(); ++i) {
        QToolButton *b = m_cells[i];
        const int day = i - m_firstCell + 1;
        const bool inMonth = day >= 1 && day <= days;
        b->setVisible(inMonth || i < Columns * 5); // a sixth week only when the month needs it
        b->setEnabled(inMonth);
        b->setText(inMonth ? jalali::toPersianDigits(QString::number(day)) : QString());
        const bool isToday = inMonth && today == jalali::JDate {m_year, m_month, day};
        const bool isSelected = inMonth && selected == jalali::JDate {m_year, m_month, day};
        b->setChecked(isSelected);
        b->setProperty("today", isToday);
        QFont f = b->font();
        f.setBold(isToday);
        b->setFont(f);
        b->setStyleSheet(isToday
                ? QStringLiteral("QToolButton { border: 1px solid #2a6fdb; color: #2a6fdb; }")
                : QString());
    }
}

} // namespace vela
