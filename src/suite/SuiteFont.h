#pragma once
// The suite's font and direction: the forms were designed in Tahoma, right to left. Where Tahoma
// is not installed, faces that carry Persian glyphs stand in for it.
#include <QFont>
#include <QStringList>

class QWidget;

namespace vela {

QStringList suiteFontFamilies(); // "Tahoma" first, then the stand-ins
QFont suiteFont(); // the application's size in the suite's families
void applySuiteLook(QWidget *w); // suite font and right-to-left layout

} // namespace vela
