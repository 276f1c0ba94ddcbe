#pragma once
// Test helper: the VelaError an action throws, or one numbered 0 that says "no failure" when it
// throws none, so that a test checks a failure's kind, number and texts with plain comparisons.
#include "shared/VelaError.h"

#include <functional>

inline vela::VelaError failureOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const vela::VelaError &e) {
        return e;
    }
    return vela::VelaError(QStringLiteral("no failure"));
}
