// Persian calendar arithmetic after Kazimierz Borkowski: the years in which the 33-year leap
// cycle is interrupted ("breaks") give the leap years and the Gregorian day of Nowruz; the
// Gregorian side goes through Julian day numbers from QDate.
#include "Jalali.h"

#include <QRegularExpression>
#include <iterator>

namespace vela::jalali {

namespace {

constexpr int Breaks[] = {-61, 9, 38, 199, 426, 686, 756, 818, 1111, 1181, 1210, 1635, 2060, 2097,
    2192, 2262, 2324, 2394, 2456, 3178};
constexpr int FirstYear = 1; // years before 1 AP are not dates this suite handles
constexpr int LastYear = 3177; // the break table ends with 3178

struct YearInfo {
    int leap = 0; // 0 for a leap year, else years since the last leap year
    int gy = 0; // Gregorian year in which the Persian year begins
    int march = 0; // day of March of 1 Farvardin
};

bool inRange(int jy)
{
    return jy >= FirstYear && jy <= LastYear;
}

// Integer division and remainder truncate towards zero in C++, as the algorithm expects.
YearInfo jalCal(int jy)
{
    const int count = int(std::size(Breaks));
    const int gy = jy + 621;
    int leapJ = -14;
    int jp = Breaks[0];
    int jump = 0;
    for (int i = 1; i < count; ++i) {
        const int jm = Breaks[i];
        jump = jm - jp;
        if (jy < jm)
            break;
        leapJ += jump / 33 * 8 + (jump % 33) / 4;
        jp = jm;
    }
    int n = jy - jp;
    leapJ += n / 33 * 8 + (n % 33 + 3) / 4;
    if (jump % 33 == 4 && jump - n == 4)
        ++leapJ;
    const int leapG = gy / 4 - (gy / 100 + 1) * 3 / 4 - 150;
    YearInfo r;
    r.gy = gy;
    r.march = 20 + leapJ - leapG;
    if (jump - n < 6)
        n = n - jump + (jump + 4) / 33 * 33;
    r.leap = ((n + 1) % 33 - 1) % 4;
    if (r.leap == -1)
        r.leap = 4;
    return r;
}

qint64 nowruzJulianDay(const YearInfo &r)
{
    return QDate(r.gy, 3, r.march).toJulianDay();
}

} // namespace

bool isLeapYear(int jy)
{
    return inRange(jy) && jalCal(jy).leap == 0;
}

int daysInMonth(int jy, int jm)
{
    if (!inRange(jy) || jm < 1 || jm > 12)
        return 0;
    if (jm <= 6)
        return 31;
    if (jm <= 11)
        return 30;
    return isLeapYear(jy) ? 30 : 29;
}

bool isValid(int jy, int jm, int jd)
{
    return jd >= 1 && jd <= daysInMonth(jy, jm);
}

JDate fromGregorian(const QDate &d)
{
    if (!d.isValid())
        return {};
    const qint64 day = d.toJulianDay();
    // The Persian year that begins in the date's Gregorian year, or the one before it when the
    // date falls before that year's Nowruz. The year after the last one has no Nowruz of its own
    // here; its first months are counted from the last year's start, and fall outside it.
    int jy = d.year() - 621;
    if (jy > LastYear || (inRange(jy) && day < nowruzJulianDay(jalCal(jy))))
        --jy;
    if (!inRange(jy))
        return {};
    qint64 k = day - nowruzJulianDay(jalCal(jy));
    JDate j;
    if (k <= 185) {
        j = {jy, int(1 + k / 31), int(k % 31 + 1)};
    } else {
        k -= 186;
        j = {jy, int(7 + k / 30), int(k % 30 + 1)};
    }
    return isValid(j.year, j.month, j.day) ? j : JDate {};
}

QDate toGregorian(int jy, int jm, int jd)
{
    if (!isValid(jy, jm, jd))
        return {};
    const YearInfo r = jalCal(jy);
    const qint64 dayOfYear = (jm - 1) * 31 - jm / 7 * (jm - 7) + jd - 1;
    return QDate::fromJulianDay(nowruzJulianDay(r) + dayOfYear);
}

QDate firstDate()
{
    return toGregorian(FirstYear, 1, 1);
}

QDate lastDate()
{
    return toGregorian(LastYear, 12, daysInMonth(LastYear, 12));
}

QString format(const JDate &d)
{
    return QStringLiteral("%1/%2/%3")
        .arg(d.year, 4, 10, QLatin1Char('0'))
        .arg(d.month, 2, 10, QLatin1Char('0'))
        .arg(d.day, 2, 10, QLatin1Char('0'));
}

QString formatDate(const QDate &d)
{
    const JDate j = fromGregorian(d);
    return j.year == 0 ? QString() : format(j);
}

QString toAsciiDigits(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= 0x06F0 && u <= 0x06F9) // Persian
            c = QChar(u'0' + (u - 0x06F0));
        else if (u >= 0x0660 && u <= 0x0669) // Arabic-Indic
            c = QChar(u'0' + (u - 0x0660));
    }
    return out;
}

QString toPersianDigits(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c >= u'0' && c <= u'9')
            c = QChar(0x06F0 + (c.unicode() - u'0'));
    }
    return out;
}

QDate parse(const QString &text)
{
    QString t = toAsciiDigits(text);
    // Bidi marks come along when a date is pasted from right-to-left text.
    t.remove(QChar(0x200E)).remove(QChar(0x200F)).remove(QChar(0x061C));
    t = t.trimmed();
    static const QRegularExpression re(QRegularExpression::anchoredPattern(
        QStringLiteral("([0-9]{4})([/-])([0-9]{1,2})\\2([0-9]{1,2})")));
    const QRegularExpressionMatch m = re.match(t);
    if (!m.hasMatch())
        return {};
    return toGregorian(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
}

QString monthName(int jm)
{
    static const char *const names[] = {
        "فروردین",
        "اردیبهشت",
        "خرداد",
        "تیر",
        "مرداد",
        "شهریور",
        "مهر",
        "آبان",
        "آذر",
        "دی",
        "بهمن",
        "اسفند",
    };
    if (jm < 1 || jm > 12)
        return {};
    return QString::fromUtf8(names[jm - 1]);
}

} // namespace vela::jalali
