#pragma once
// Test helper of the search tests: opens the chooser as a caller does and runs `body` on it while
// it waits; leaves it with cmdExit if the body did not end it. Returns what ShowNGetID returned.
#include "search/FormSearch.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <functional>

inline qint32 showSearchForm(const std::function<void(vela::FormSearch &)> &body)
{
    QTimer::singleShot(0, qApp, [body] {
        QPointer<vela::FormSearch> f
            = qobject_cast<vela::FormSearch *>(QApplication::activeModalWidget());
        QVERIFY(f);
        body(*f);
        if (f && f->isVisible())
            f->cmdExit_Click();
    });
    return vela::FormSearch::instance().ShowNGetID();
}
