#pragma once
// OLE DB style connection text: "Key=Value;Key2='quoted; value';...". Keys are case-insensitive,
// values may be quoted with ' or " (a doubled quote inside stands for one).
#include <QMap>
#include <QString>

namespace vela {

class ConnectionString {
public:
    // Throws VelaError(ErrConnection) naming the problem when the text is malformed
    // (a pair without "=", an unterminated quote, an empty key).
    static ConnectionString parse(const QString &text);

    bool contains(const QString &key) const { return m_values.contains(key.toLower()); }
    QString value(const QString &key, const QString &defaultValue = {}) const
    {
        return m_values.value(key.toLower(), defaultValue);
    }
    QString provider() const { return value(QStringLiteral("Provider")); }
    const QMap<QString, QString> &values() const { return m_values; }

private:
    QMap<QString, QString> m_values; // lower-case key -> value
};

} // namespace vela
