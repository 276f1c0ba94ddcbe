#pragma once
// What the benchmarks measure of their own process: memory from /proc and processor time.
#include <QByteArray>
#include <QFile>

#include <sys/resource.h>

namespace bench {

// A "Vm…:" line of /proc/self/status in kB, -1 when it cannot be read.
inline long statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

// Starts a new peak of the resident size (VmHWM) from the current one.
inline bool resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

// Processor seconds of RUSAGE_SELF or RUSAGE_CHILDREN, user and system.
inline double cpuSeconds(int who)
{
    rusage u {};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Timing {
    double wall = 0, cpu = 0;
};

} // namespace bench
