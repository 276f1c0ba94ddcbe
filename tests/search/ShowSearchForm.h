#pragma once
// Test helper of the search tests: opens the chooser as a caller does and runs `body` on it while
// it waits; leaves it with cmdExit if the body did not end it. Returns what ShowNGetID returned.
#include "common/WhenModal.h"
#include "search/FormSearch.h"

#include <QtTest>

inline qint32 showSearchForm(const std::function<void(vela::FormSearch &)> &body)
{
    qint32 id = 0;
    const bool shown
        = whenModal<vela::FormSearch>([&] { id = vela::FormSearch::instance().ShowNGetID(); },
            [&](vela::FormSearch &form) {
                QPointer<vela::FormSearch> f(&form);
                body(form);
                if (f && f->isVisible())
                    f->cmdExit_Click();
            });
    if (!shown)
        QTest::qFail("the search form did not open", __FILE__, __LINE__);
    return id;
}
