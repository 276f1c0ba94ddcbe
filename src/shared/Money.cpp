#include "Money.h"
#include "VelaError.h"
#include <QLocale>
#include <cmath>
#include <limits>

namespace vela {

namespace {

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= 0x06F0 && u <= 0x06F9) // Persian digits
        return u - 0x06F0;
    if (u >= 0x0660 && u <= 0x0669) // Arabic-Indic digits
        return u - 0x0660;
    return -1;
}

template<class View> std::optional<Money> parseDecimal(View input)
{
    const View text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    int i = 0;
    bool negative = false;
    if (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')) {
        negative = text[0] == QLatin1Char('-');
        ++i;
    }
    // Magnitude in units of 1/10000, accumulated as unsigned 128-bit-safe steps.
    unsigned __int128 whole = 0;
    int fracDigits = 0;
    unsigned __int128 frac = 0; // first four decimals
    int roundDigit = -1; // the fifth decimal
    bool stickyAfter = false; // any nonzero digit after the fifth
    bool sawDigit = false, sawPoint = false;
    for (; i < text.size(); ++i) {
        const QChar c(text[i]);
        if (c == QLatin1Char('.') || c == QChar(0x066B)) {
            if (sawPoint)
                return std::nullopt;
            sawPoint = true;
            continue;
        }
        const int d = digitValue(c);
        if (d < 0)
            return std::nullopt;
        sawDigit = true;
        if (!sawPoint) {
            whole = whole * 10 + unsigned(d);
            if (whole > (unsigned __int128)std::numeric_limits<qint64>::max())
                return std::nullopt;
        } else if (fracDigits < 4) {
            frac = frac * 10 + unsigned(d);
            ++fracDigits;
        } else if (roundDigit < 0) {
            roundDigit = d;
        } else if (d != 0) {
            stickyAfter = true;
        }
    }
    if (!sawDigit)
        return std::nullopt;
    while (fracDigits < 4) {
        frac *= 10;
        ++fracDigits;
    }
    unsigned __int128 raw = whole * Money::Scale + frac;
    // Round half to even on the fifth decimal.
    if (roundDigit > 5 || (roundDigit == 5 && (stickyAfter || (raw & 1))))
        ++raw;
    const unsigned __int128 limit = negative
        ? (unsigned __int128)std::numeric_limits<qint64>::max() + 1
        : (unsigned __int128)std::numeric_limits<qint64>::max();
    if (raw > limit)
        return std::nullopt;
    return Money::fromRaw(negative ? qint64(-(__int128)raw) : qint64(raw));
}

} // namespace

std::optional<Money> Money::parse(QStringView text)
{
    return parseDecimal(text);
}

std::optional<Money> Money::parse(QLatin1String text)
{
    return parseDecimal(text);
}

std::optional<Money> Money::tryFromDouble(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // Fixed notation: the exponent form is not a plain decimal.
    return parse(QString::number(value, 'f', QLocale::FloatingPointShortest));
}

Money Money::fromDouble(double value)
{
    const std::optional<Money> m = tryFromDouble(value);
    if (!m)
        throwOverflow();
    return *m;
}

void Money::throwOverflow()
{
    throw VelaError(QStringLiteral("مبلغ خارج از محدوده مجاز است."), ErrOverflow);
}

QString Money::scaledText(__int128 raw)
{
    const bool negative = raw < 0;
    unsigned __int128 mag
        = negative ? -static_cast<unsigned __int128>(raw) : static_cast<unsigned __int128>(raw);
    const unsigned frac = unsigned(mag % Scale);
    mag /= Scale;
    QString s;
    do {
        s.prepend(QLatin1Char(char('0' + int(mag % 10))));
        mag /= 10;
    } while (mag);
    if (frac) {
        QString f = QString::number(frac).rightJustified(4, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0')))
            f.chop(1);
        s += QLatin1Char('.') + f;
    }
    return negative ? QLatin1Char('-') + s : s;
}

Money Money::operator+(Money other) const
{
    qint64 r;
    if (__builtin_add_overflow(m_raw, other.m_raw, &r))
        throwOverflow();
    return fromRaw(r);
}

} // namespace vela
