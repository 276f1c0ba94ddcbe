#pragma once
// Test helper: runs `body` on a modal window of type T as soon as it is the active modal window,
// while `open` (a click that shows it with exec()) waits for it. The window is looked for again
// and again rather than once: a window that processes events while it is being built (reading a
// file, for one) would otherwise be looked for before it is there. Returns whether it came up.
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <functional>

template<class T>
bool whenModal(const std::function<void()> &open, const std::function<void(T &)> &body)
{
    bool shown = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QPointer<T> w = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!w || !w->isVisible())
            return;
        poll.stop();
        shown = true;
        body(*w);
    });
    poll.start();
    open();
    poll.stop();
    return shown;
}
