// Search benchmark: presses cmdSearch with every filter empty on a database of generated records
// and reports the time until the grid is complete and drawn, the memory it took, the time the
// engine's own shell needs for the same statement (sqlite3, or psql with the statement as the
// PostgreSQL backend adapts it), and the cost of scrolling the whole grid.
//
//     bench_search <database file>
//     bench_search "Provider=PostgreSQL;Host=...;Port=...;Database=...;User ID=..."
//
// Memory is the peak resident size during the search (VmHWM, reset just before it) minus the
// resident size of the idle program with the form shown.
#include "demo/SuiteDatabase.h"
#include "search/FormSearch.h"
#include "search/ResultsGrid.h"
#include "shared/ConnectionString.h"
#include "shared/PgBackend.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"
#include "suite/comMSG.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <vector>

namespace {

long statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

bool resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

double cpuSeconds(int who)
{
    rusage u {};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Timing {
    double wall = 0, cpu = 0;
};

// The engine's shell and how it is started on the database; the statement comes on its input.
struct Shell {
    QString program;
    QStringList arguments;
    bool postgres = false;
};

Shell shellFor(const QString &db)
{
    if (!db.startsWith(QLatin1String("Provider="), Qt::CaseInsensitive))
        return {QStringLiteral("sqlite3"), {db}, false};
    // psql on the libpq keywords the backend itself connects with; rows unaligned, as plain as
    // the sqlite3 shell's.
    QString conninfo;
    for (const auto &[key, value] :
        vela::PgBackend::connectionParameters(vela::ConnectionString::parse(db))) {
        QString v = QString::fromUtf8(value);
        v.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('\''), QLatin1String("\\'"));
        conninfo += QString::fromLatin1(key) + QStringLiteral("='") + v + QStringLiteral("' ");
    }
    return {QStringLiteral("psql"),
        {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"),
            QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-d"),
            conninfo.trimmed()},
        true};
}

// The shell on the same statement text, its output thrown away.
Timing shellRun(const Shell &shell, const QString &statementFile)
{
    QProcess p;
    p.setStandardInputFile(statementFile);
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    const double cpu0 = cpuSeconds(RUSAGE_CHILDREN);
    t.start();
    p.start(shell.program, shell.arguments);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(shell.program),
            p.readAllStandardError().constData());
        std::exit(1);
    }
    return Timing {t.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_CHILDREN) - cpu0};
}

struct Report {
    int rows = 0;
    Timing search, shell;
    long idleKb = 0, peakKb = 0;
    bool peakReset = false;
    size_t tableBytes = 0;
    double scrollTotalMs = 0, scrollMaxMs = 0;
    int scrollSteps = 0;
    QString total;
};

void measure(vela::FormSearch &form, const QString &db, Report &r)
{
    QCoreApplication::processEvents();
    const Shell shell = shellFor(db);
    QString sql = form.SearchStatement();
    if (shell.postgres)
        sql = vela::adaptTsqlForPostgres(sql, QStringLiteral("NULL")).sql;
    QTemporaryFile stmt;
    stmt.open();
    stmt.write(sql.toUtf8() + ";\n");
    stmt.flush();
    shellRun(shell, stmt.fileName()); // warms the caches for both sides

    r.idleKb = statusKb("VmRSS:");
    r.peakReset = resetPeak();
    QElapsedTimer t;
    const double cpu0 = cpuSeconds(RUSAGE_SELF);
    t.start();
    form.cmdSearch->click();
    form.flxSearch->viewport()->repaint();
    r.search = Timing {t.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_SELF) - cpu0};
    r.peakKb = statusKb("VmHWM:");
    r.rows = form.flxSearch->Rows() - 2;
    r.tableBytes = form.flxSearch->memoryUsage();
    r.total = form.flxSearch->TextMatrix(form.flxSearch->Rows() - 1, 12);

    // Best of three, wall and processor time each.
    r.shell = shellRun(shell, stmt.fileName());
    for (int i = 0; i < 2; ++i) {
        const Timing s = shellRun(shell, stmt.fileName());
        r.shell.wall = std::min(r.shell.wall, s.wall);
        r.shell.cpu = std::min(r.shell.cpu, s.cpu);
    }

    QScrollBar *bar = form.flxSearch->verticalScrollBar();
    r.scrollSteps = 200;
    for (int i = 1; i <= r.scrollSteps; ++i) {
        QElapsedTimer s;
        s.start();
        bar->setValue(int(qint64(bar->maximum()) * i / r.scrollSteps));
        form.flxSearch->viewport()->repaint();
        const double ms = s.nsecsElapsed() / 1e6;
        r.scrollTotalMs += ms;
        r.scrollMaxMs = std::max(r.scrollMaxMs, ms);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <database file | connection string>\n", argv[0]);
        return 2;
    }
    const QString db = QString::fromLocal8Bit(argv[1]);
    vela::CurrentUserID = vela::SuiteDatabase::DemoAdminUserID;
    vela::CurrentConnectionString = db.startsWith(QLatin1String("Provider="), Qt::CaseInsensitive)
        ? db
        : vela::SuiteDatabase::sqliteConnectionString(db);
    vela::ResetDataEnvironment();

    // A message box would wait for a person: print it instead and count the run as failed.
    bool messaged = false;
    vela::comMSG::setResponder([&](const vela::MessageRecord &box) {
        std::fprintf(stderr, "message %s: %s\n", qPrintable(box.title), qPrintable(box.text));
        messaged = true;
        return 0;
    });

    Report r;
    bool ran = false;
    vela::FormSearch &form = vela::FormSearch::instance();
    QTimer::singleShot(0, &form, [&] {
        measure(form, db, r);
        ran = true;
        form.cmdExit->click();
    });
    form.ShowNGetID();
    if (!ran || messaged) {
        std::fprintf(stderr, "the search did not complete\n");
        return 1;
    }

    const double ratio = r.search.wall / r.shell.wall;
    const double peakMb = (r.peakKb - r.idleKb) / 1024.0;
    std::printf("records                 %d\n", r.rows);
    std::printf(
        "search until drawn      %.3f s wall, %.3f s processor\n", r.search.wall, r.search.cpu);
    std::printf("%-7s shell (best/3)  %.3f s wall, %.3f s processor\n",
        qPrintable(shellFor(db).program), r.shell.wall, r.shell.cpu);
    std::printf("ratio                   %.2f wall, %.2f processor  (goal <= 1.50)\n", ratio,
        r.search.cpu / r.shell.cpu);
    std::printf("idle resident           %.1f MB\n", r.idleKb / 1024.0);
    std::printf("peak above idle         %.1f MB  (goal <= 300)%s\n", peakMb,
        r.peakReset ? "" : "  [peak not resettable: whole-run peak]");
    std::printf("grid cells held         %.1f MB\n", r.tableBytes / 1048576.0);
    std::printf("total of column 12      %s\n", qPrintable(r.total));
    std::printf("scroll %d steps         %.1f ms total, %.2f ms per step, %.2f ms slowest\n",
        r.scrollSteps, r.scrollTotalMs, r.scrollTotalMs / r.scrollSteps, r.scrollMaxMs);
    return 0;
}
