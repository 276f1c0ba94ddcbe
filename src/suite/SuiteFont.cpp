#include "SuiteFont.h"
#include <QPalette>

#include <QApplication>
#include <QWidget>
#include <mutex>

namespace vela {

QStringList suiteFontFamilies()
{
    return {QStringLiteral("Tahoma"), QStringLiteral("Noto Sans Arabic"),
        QStringLiteral("Noto Naskh Arabic"), QStringLiteral("Vazirmatn"),
        QStringLiteral("DejaVu Sans")};
}

QFont suiteFont()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Also covers fonts built from the bare family name elsewhere (style sheets, rich text).
        QStringList standIns = suiteFontFamilies();
        standIns.removeFirst();
        QFont::insertSubstitutions(QStringLiteral("Tahoma"), standIns);
    });
    QFont f = QApplication::font();
    f.setFamilies(suiteFontFamilies());
    return f;
}

void applySuiteLook(QWidget *w)
{
    w->setFont(suiteFont());
    w->setLayoutDirection(Qt::RightToLeft);
    // A record in view mode is read through disabled controls all day: their text stays dark
    // enough to read, on a background that still tells them from editable ones.
    QPalette p = w->palette();
    const QColor text(0x30, 0x30, 0x30);
    p.setColor(QPalette::Disabled, QPalette::Text, text);
    p.setColor(QPalette::Disabled, QPalette::WindowText, text);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::Base, QColor(0xF2, 0xF0, 0xEC));
    w->setPalette(p);
}

} // namespace vela
