#pragma once
// The one failure type of the component: a description the user can read and an optional number
// (the numbers follow the classic run-time error codes where one applies: 6 overflow, 13 type
// mismatch, 429 component not registered).
#include <QByteArray>
#include <QString>
#include <exception>

namespace vela {

class VelaError : public std::exception {
public:
    explicit VelaError(QString description, int number = 0)
        : m_description(std::move(description)), m_number(number), m_what(m_description.toUtf8())
    {
    }
    const QString &description() const noexcept { return m_description; }
    int number() const noexcept { return m_number; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    int m_number;
    QByteArray m_what;
};

// Called inside a catch block: the description of the failure being handled (a VelaError's own
// text, another exception's message, or a general text for anything else).
inline QString currentFailureText()
{
    try {
        throw;
    } catch (const VelaError &e) {
        return e.description();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("خطای پیش بینی نشده");
    }
}

enum ErrorNumber {
    ErrOverflow = 6,
    ErrTypeMismatch = 13,
    ErrNotRegistered = 429,
    ErrDatabase = 3000,
    ErrConnection = 3001,
};

} // namespace vela
