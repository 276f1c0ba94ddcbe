#include "SuiteFont.h"

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
}

} // namespace vela
