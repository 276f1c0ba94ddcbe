// The Persian sentences of database failures and the form of a failure's text.
#include "VelaError.h"

#include <QtDebug>

#include <new>

namespace vela {

QString failureSentence(FailureKind kind)
{
    switch (kind) {
    case FailureKind::Busy:
        return QStringLiteral("پایگاه داده در این لحظه در دست کاربر یا برنامه دیگری است. چند "
                              "لحظه صبر کنید و دوباره امتحان کنید.");
    case FailureKind::DiskFull:
        return QStringLiteral("فضای دیسک پایگاه داده پر است. فضای دیسک را آزاد کنید (یا از مدیر "
                              "سیستم بخواهید) و دوباره امتحان کنید.");
    case FailureKind::ReadOnly:
        return QStringLiteral(
            "پایگاه داده فقط خواندنی است و تغییری در آن نوشته نمی‌شود. از مدیر "
            "سیستم بخواهید اجازه نوشتن در آن را بدهد.");
    case FailureKind::Damaged:
        return QStringLiteral(
            "فایل پایگاه داده آسیب دیده است یا پایگاه داده نیست. به مدیر سیستم خبر دهید.");
    case FailureKind::Unreachable:
        return QStringLiteral(
            "پایگاه داده باز نمی‌شود: فایل یا سرور آن در دسترس نیست یا اجازه "
            "دسترسی به آن نیست. به مدیر سیستم خبر دهید.");
    case FailureKind::DiskIo:
        return QStringLiteral("خواندن یا نوشتن فایل پایگاه داده ناموفق بود (خطای دیسک یا شبکه). "
                              "دوباره امتحان کنید و اگر تکرار شد به مدیر سیستم خبر دهید.");
    case FailureKind::ForeignKey:
        return QStringLiteral("اطلاعات دیگری به این رکورد وابسته است یا مقداری که انتخاب شده "
                              "دیگر در پایگاه داده نیست. مقادیر را بررسی کنید و دوباره امتحان "
                              "کنید.");
    case FailureKind::Duplicate:
        return QStringLiteral("مقداری که باید یکتا باشد پیش از این در پایگاه داده ثبت شده است. "
                              "مقدار را تغییر دهید و دوباره امتحان کنید.");
    case FailureKind::Refused:
        return QStringLiteral("پایگاه داده این تغییر را طبق قواعد خود نپذیرفت. مقادیر را بررسی "
                              "کنید و اگر درست است به مدیر سیستم خبر دهید.");
    case FailureKind::Structure:
        return QStringLiteral("پایگاه داده دستور را اجرا نکرد: جدول یا ستونی که لازم است در آن "
                              "نیست یا متن دستور را نپذیرفت. به مدیر سیستم خبر دهید.");
    case FailureKind::Resources:
        return QStringLiteral(
            "حافظه کافی نیست یا داده بزرگتر از حد مجاز پایگاه داده است. "
            "متن‌های بلند را کوتاه‌تر کنید یا برنامه‌های دیگر را ببندید و "
            "دوباره امتحان کنید.");
    case FailureKind::None:
    case FailureKind::Other:
        break;
    }
    return QStringLiteral("پایگاه داده کار خواسته شده را انجام نداد. دوباره امتحان کنید و اگر "
                          "تکرار شد به مدیر سیستم خبر دهید.");
}

QString detailLine(const QString &technicalText)
{
    // The marks keep an English text's punctuation where it belongs inside right-to-left lines.
    const QChar ltr(0x200E);
    return QStringLiteral("جزئیات: ") + ltr + technicalText + ltr;
}

VelaError::VelaError(FailureKind kind, const QString &engineText, const QString &lead, int number)
    : m_description((lead.isEmpty() ? QString() : lead + QLatin1Char(' ')) + failureSentence(kind)
        + QLatin1Char('\n') + detailLine(engineText)),
      m_number(number),
      m_kind(kind),
      m_detail(engineText),
      m_what(m_description.toUtf8())
{
}

QString currentFailureText()
{
    const QString unexpected = QStringLiteral(
        "خطای پیش بینی نشده. دوباره امتحان کنید و اگر تکرار شد به مدیر سیستم خبر دهید.");
    try {
        throw;
    } catch (const VelaError &e) {
        return e.description();
    } catch (const std::bad_alloc &) {
        return failureSentence(FailureKind::Resources);
    } catch (const std::exception &e) {
        return unexpected + QLatin1Char('\n') + detailLine(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return unexpected;
    }
}

void logCurrentFailure(const char *step)
{
    qWarning("%s: %s", step, qUtf8Printable(currentFailureText()));
}

} // namespace vela
