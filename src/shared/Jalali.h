#pragma once
// Persian (solar Hijri) calendar conversion by Borkowski's algorithm, exact against the official
// Iranian calendar over the years this suite handles (1206-1498 AP and beyond).
#include <QDate>
#include <QString>

namespace vela::jalali {

struct JDate {
    int year = 0, month = 0, day = 0;
    bool operator==(const JDate &) const = default;
};

bool isLeapYear(int jy);
int daysInMonth(int jy, int jm);
bool isValid(int jy, int jm, int jd);
JDate fromGregorian(const QDate &d);
QDate toGregorian(int jy, int jm, int jd); // invalid QDate for an impossible date
// The days handled: 0001/01/01 to the last day of 3177. Conversion, formatting and parsing all
// accept exactly these, so every date that parses can be shown again.
QDate firstDate();
QDate lastDate();
QString format(const JDate &d); // "1396/02/23"
QString formatDate(const QDate &d); // Persian text of a calendar date; empty for an invalid one
// Reads "yyyy/M/d" (also with "-"), ASCII, Persian or Arabic-Indic digits; invalid QDate for
// text that is not an existing Persian date.
QDate parse(const QString &text);
QString monthName(int jm); // فروردین ...
QString toAsciiDigits(const QString &text); // Persian and Arabic-Indic digits to ASCII
QString toPersianDigits(const QString &text); // ASCII digits to Persian

} // namespace vela::jalali
