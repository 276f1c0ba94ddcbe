#pragma once
// Colours as the suite stores them: 32-bit values with red in the lowest byte, then green and
// blue (the high byte unused).
#include <QColor>

namespace vela {

inline QColor oleColor(quint32 ole)
{
    return QColor(int(ole & 0xFF), int((ole >> 8) & 0xFF), int((ole >> 16) & 0xFF));
}

} // namespace vela
