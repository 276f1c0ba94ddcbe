#pragma once
// Test helper: the error `body` throws, so that a test reads its number and text without a
// try block of its own. A body that throws none gives number -1 and the text "(no error)",
// which no expected error carries; any other exception goes on to the test framework.
#include "shared/VelaError.h"

#include <functional>

inline vela::VelaError thrown(const std::function<void()> &body)
{
    try {
        body();
    } catch (const vela::VelaError &e) {
        return e;
    }
    return vela::VelaError(QStringLiteral("(no error)"), -1);
}
