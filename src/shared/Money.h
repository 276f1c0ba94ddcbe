#pragma once
// Fixed-point money with four decimals in a 64-bit integer: the range of the classic currency
// type (±922,337,203,685,477.5807). Amounts never pass through binary floating point on their
// way from an amount box to SQL text.
#include <QString>
#include <QtGlobal>
#include <optional>

namespace vela {

class Money {
public:
    static constexpr qint64 Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromRaw(qint64 raw)
    {
        Money m;
        m.m_raw = raw;
        return m;
    }

    // Reads a plain decimal ("-1234.5", "12", ".5"); ASCII, Persian and Arabic-Indic digits,
    // "." or the Persian decimal separator. More than four decimals round half to even.
    // Empty, malformed or out-of-range text gives nullopt.
    static std::optional<Money> parse(QStringView text);
    // The same for text of single bytes, such as a database's ASCII decimal (ASCII digits only).
    static std::optional<Money> parse(QLatin1String text);
    // The amount a double stands for: its shortest round-trip decimal text rounded to four
    // decimals, so 333333333333.3333 stored as a double reads back as exactly that. Not finite
    // or outside the currency range gives nullopt.
    static std::optional<Money> tryFromDouble(double value);
    // As tryFromDouble; throws VelaError(ErrOverflow) instead of giving nullopt.
    static Money fromDouble(double value);

    qint64 raw() const { return m_raw; }
    double toDouble() const { return double(m_raw) / double(Scale); }
    // Shortest plain decimal text: 1234567, 1234.5, -0.0001 (no grouping, no exponent).
    QString toString() const { return scaledText(m_raw); }
    // The same text for any count of ten-thousandths, also beyond the money range (totals).
    static QString scaledText(__int128 raw);

    // VelaError(ErrOverflow) with the message users see for an amount beyond the money range.
    [[noreturn]] static void throwOverflow();

    // Throws VelaError(ErrOverflow) on overflow.
    Money operator+(Money other) const;
    bool operator==(const Money &) const = default;

private:
    qint64 m_raw = 0;
};

} // namespace vela
