#pragma once
// The month grid that OrvoDate pops up: a Persian month, weeks starting on Saturday, today and the
// chosen day marked; a click on a day picks it.
#include <QDate>
#include <QFrame>
#include <QVector>

class QLabel;
class QToolButton;

namespace vela {

class PersianCalendar : public QFrame {
    Q_OBJECT
public:
    explicit PersianCalendar(QWidget *parent = nullptr);

    void setSelectedDate(const QDate &d); // also shows its month
    QDate selectedDate() const { return m_selected; }
    void setToday(const QDate &d); // the day marked as today
    QDate today() const { return m_today; }

    void showMonth(int jy, int jm);
    int shownYear() const { return m_year; }
    int shownMonth() const { return m_month; }
    QString title() const; // "اردیبهشت ۱۳۹۶"

    // The button of a day of the shown month; null for a day the month does not have.
    QToolButton *dayButton(int day) const;
    // Weekday column of a day of the shown month: 0 Saturday ... 6 Friday.
    int columnOfDay(int day) const;

    void nextMonth();
    void previousMonth();
    void nextYear();
    void previousYear();

signals:
    void datePicked(const QDate &d);

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    void refresh();
    int m_year = 0, m_month = 0;
    int m_firstCell = 0; // grid cell of day 1
    QDate m_selected, m_today;
    QLabel *m_title;
    QVector<QToolButton *> m_cells; // 6 weeks of 7 days
};

} // namespace vela
