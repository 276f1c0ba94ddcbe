#include "ConnectionString.h"
#include "VelaError.h"

namespace vela {

ConnectionString ConnectionString::parse(const QString &text)
{
    ConnectionString cs;
    const int n = int(text.size());
    int i = 0;
    auto skipBlanks = [&] {
        while (i < n && text[i].isSpace())
            ++i;
    };
    while (i < n) {
        skipBlanks();
        if (i < n && text[i] == QLatin1Char(';')) {
            ++i;
            continue;
        }
        if (i >= n)
            break;
        const int keyStart = i;
        while (i < n && text[i] != QLatin1Char('=') && text[i] != QLatin1Char(';'))
            ++i;
        const QString key = text.mid(keyStart, i - keyStart).trimmed();
        if (i >= n || text[i] != QLatin1Char('='))
            throw VelaError(
                QStringLiteral("رشته اتصال نادرست است: «%1» مقدار ندارد.").arg(key), ErrConnection);
        if (key.isEmpty())
            throw VelaError(
                QStringLiteral("رشته اتصال نادرست است: نام کلید خالی است."), ErrConnection);
        ++i; // '='
        skipBlanks();
        QString value;
        if (i < n && (text[i] == QLatin1Char('"') || text[i] == QLatin1Char('\''))) {
            const QChar quote = text[i++];
            bool closed = false;
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) { // doubled quote
                        value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += text[i++];
            }
            if (!closed)
                throw VelaError(
                    QStringLiteral("رشته اتصال نادرست است: نقل قول مقدار «%1» بسته نشده است.")
                        .arg(key),
                    ErrConnection);
            skipBlanks();
            if (i < n && text[i] != QLatin1Char(';'))
                throw VelaError(
                    QStringLiteral("رشته اتصال نادرست است: پس از مقدار «%1» نویسه اضافه آمده است.")
                        .arg(key),
                    ErrConnection);
        } else {
            const int valueStart = i;
            while (i < n && text[i] != QLatin1Char(';'))
                ++i;
            value = text.mid(valueStart, i - valueStart).trimmed();
        }
        cs.m_values.insert(key.toLower(), value);
    }
    return cs;
}

} // namespace vela
