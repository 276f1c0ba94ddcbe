#pragma once
// The suite's input controls: lookup selector, Persian date, money amount and push button.
// Each keeps the member names the forms call.
#include "shared/Money.h"
#include <QDate>
#include <QHash>
#include <QPalette>
#include <QPushButton>
#include <QString>
#include <QVariant>
#include <QVector>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QToolButton;

namespace vela {

class SelectorModel;
class PersianCalendar;

// Text as the lookups compare it: case folded, Arabic Yeh and Kaf as their Persian forms,
// Persian and Arabic-Indic digits as ASCII.
QString foldForLookup(const QString &text);

// Lookup of one row of a database view with columns ID and Name. The list comes from MajorView
// through the control's own connection; the user types part of a name or picks from the list.
class OrvoSelector : public QWidget {
    Q_OBJECT
public:
    explicit OrvoSelector(QWidget *parent = nullptr);

    void setConnectionString(const QString &cs);
    QString ConnectionString() const { return m_connectionString; }
    void setMajorView(const QString &view); // loads the list; throws VelaError on failure
    QString MajorView() const { return m_majorView; }
    void setMinorView(const QString &view);
    QString MinorView() const { return m_minorView; }

    qint32 SelectedID() const; // -1 when nothing is chosen
    void setSelectedID(qint32 id); // an ID not in the list leaves the control empty
    bool IsEmpty() const { return SelectedID() == -1; }
    void Clear() { setSelectedID(-1); }
    void setEnabledState(bool on) { setEnabled(on); }
    QString selectedName() const;
    int itemCount() const;

    // Rows loaded by tests without a database.
    void setItems(const QVector<QPair<qint32, QString>> &items);
    QComboBox *comboBox() const { return m_combo; }

signals:
    void selectionChanged(qint32 id);

private:
    bool fetchFromMinorView(qint32 id);
    void rebuild();
    void commitEditText(); // the typed text chooses an item, or nothing
    QComboBox *m_combo;
    SelectorModel *m_model;
    QHash<qint32, int> m_rowOfId;
    QVector<QString> m_folded; // foldForLookup of each name
    QString m_connectionString, m_majorView, m_minorView;
    QVector<QPair<qint32, QString>> m_items;
    qint32 m_selected = -1;
};

// Date entry in the Persian calendar: the user types yyyy/MM/dd (any digits) or picks from a
// calendar popup; an impossible date is refused visibly and not kept.
class OrvoDate : public QWidget {
    Q_OBJECT
public:
    explicit OrvoDate(QWidget *parent = nullptr);
    // The hint an empty, enabled control shows: year, month and day in the order a date appears.
    static QString hint();

    QDate Value() const { return m_value; } // invalid QDate when empty
    void setValue(const QDate &d); // an invalid date empties the control
    QString PersianDate() const; // "1396/02/23"; empty when empty
    bool IsEmpty() const { return !m_value.isValid(); }
    void Clear() { setValue(QDate()); }
    QLineEdit *editor() const { return m_edit; }
    QToolButton *calendarButton() const { return m_button; }
    PersianCalendar *calendar() const { return m_popup; } // null until first opened
    bool hasInvalidInput() const { return m_invalid; } // the last typed text was refused
    // Takes the typed text now, as leaving the control does: a date is kept, an impossible one
    // refused. True unless the text was refused.
    bool commit();

signals:
    void valueChanged(const QDate &d);
    // The user left the control (Tab, a click elsewhere) while its text was refused. Not raised
    // when the window merely loses the focus to another one or to the calendar.
    void inputRefused();

protected:
    bool eventFilter(QObject *o, QEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void commitText();
    void showCalendar();
    void storeValue(const QDate &d);
    void markInvalid(bool invalid);
    QLineEdit *m_edit;
    QToolButton *m_button;
    PersianCalendar *m_popup = nullptr;
    QPalette m_normalPalette;
    QDate m_value;
    bool m_invalid = false;
};

// Money amount: only an amount can be typed; shown grouped with "/" while not being edited.
class OrvoCurrency : public QWidget {
    Q_OBJECT
public:
    explicit OrvoCurrency(QWidget *parent = nullptr);

    QString Text() const { return m_text; } // the amount as typed, ASCII digits, no grouping
    void setText(const QString &t); // empty text empties it; grouping "/" and "," ignored
    // The amount as a number; throws VelaError(ErrOverflow) when outside the currency range,
    // VelaError(ErrTypeMismatch) when empty.
    Money Value() const;
    QLineEdit *editor() const { return m_edit; }

    // The text without grouping, digits ASCII, the decimal separator ".".
    static QString normalize(const QString &text);
    // The amount as shown while not being edited: integer digits grouped by vela::GroupDigits.
    static QString grouped(const QString &text);

signals:
    void textChanged(const QString &text);

protected:
    bool eventFilter(QObject *o, QEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void showText(bool editing);
    void storeText(const QString &normalized);
    QLineEdit *m_edit;
    QString m_text;
    bool m_editing = false;
};

// Push button with a caption (the attachment viewer keeps a number in one).
class OrvoButton : public QPushButton {
    Q_OBJECT
public:
    explicit OrvoButton(const QString &caption = {}, QWidget *parent = nullptr);
    QString Caption() const { return text(); }
    void setCaption(const QString &c) { setText(c); }
};

} // namespace vela
