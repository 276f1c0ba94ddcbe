// Search benchmark: presses cmdSearch with every filter empty on a database of generated records
// and reports the time until the grid is complete (totals and colours) and drawn, read in parts
// as the search chooses and read in one part; the memory it took; the time the sqlite3 shell
// needs for the same statement and the time of stepping it through the C API on one thread with
// nothing else done; and the cost of scrolling the whole grid. On a PostgreSQL server the search
// is one read (the embedded engine's reading in parts does not apply), measured against psql
// running the statement as the PostgreSQL backend adapts it.
//
//     bench_search <database file> [runs = 3]
//     bench_search "Provider=PostgreSQL;Host=...;Port=...;Database=...;User ID=..." [runs = 3]
//
// Each search is run `runs` times, on SQLite alternating the two ways of reading; the best and the
// median run are shown. Memory is the peak resident size during a search (VmHWM, reset just before
// it) minus the resident size of the idle program with the form shown and the grid empty.
#include "BenchMeasure.h"
#include "demo/SuiteDatabase.h"
#include "search/FormSearch.h"
#include "search/ResultsGrid.h"
#include "shared/ConnectionString.h"
#include "shared/DataEnvironment.h"
#include "shared/PgBackend.h"
#include "shared/Sqlite.h"
#include "shared/SqliteBackend.h"
#include "shared/TsqlAdapter.h"
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
#include <sqlite3.h>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

using namespace bench;

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

// The statement stepped to its end on one connection and one thread, nothing read from the rows.
Timing stepRun(const QString &db, const QString &sql)
{
    vela::sqlite::Database conn(db, SQLITE_OPEN_READONLY, QStringLiteral("bench"));
    vela::SqliteBackend::registerFunctions(conn.handle());
    const QByteArray text = vela::adaptTsqlForSqlite(sql).toUtf8();
    QElapsedTimer t;
    const double cpu0 = cpuSeconds(RUSAGE_THREAD);
    t.start();
    vela::sqlite::Statement st(conn, text.constData());
    while (st.step()) { }
    return Timing {t.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_THREAD) - cpu0};
}

Timing best(const std::vector<Timing> &runs)
{
    Timing b = runs.front();
    for (const Timing &r : runs) {
        b.wall = std::min(b.wall, r.wall);
        b.cpu = std::min(b.cpu, r.cpu);
    }
    return b;
}

double medianWall(std::vector<Timing> runs)
{
    std::sort(
        runs.begin(), runs.end(), [](const Timing &a, const Timing &b) { return a.wall < b.wall; });
    return runs[runs.size() / 2].wall;
}

struct SearchRuns {
    std::vector<Timing> timings;
    long peakAboveIdleKb = 0; // the largest of the runs
    int parts = 0;
};

struct Report {
    int rows = 0;
    SearchRuns partitioned, onePart;
    Timing shell, step;
    std::vector<Timing> shellTimes;
    long idleKb = 0;
    bool peakReset = false;
    size_t tableBytes = 0;
    double scrollTotalMs = 0, scrollMaxMs = 0;
    int scrollSteps = 0;
    QString total;
};

// One search; `backend` is null on a server, where the search is one read.
void searchOnce(
    vela::FormSearch &form, vela::SqliteBackend *backend, int maxParts, SearchRuns &runs, Report &r)
{
    if (backend)
        backend->setPartitioning(vela::SqliteBackend::Partitioning {maxParts});
    // The previous result goes first, so that each run starts from the same idle program.
    form.cmdNewsearch->click();
    QCoreApplication::processEvents();
    const long idleKb = statusKb("VmRSS:");
    r.peakReset = resetPeak();
    QElapsedTimer t;
    const double cpu0 = cpuSeconds(RUSAGE_SELF);
    t.start();
    form.cmdSearch->click();
    form.flxSearch->viewport()->repaint();
    runs.timings.push_back(Timing {t.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_SELF) - cpu0});
    runs.peakAboveIdleKb = std::max(runs.peakAboveIdleKb, statusKb("VmHWM:") - idleKb);
    runs.parts = backend ? backend->lastPartCount() : 1;
    r.idleKb = idleKb;
}

void measure(vela::FormSearch &form, const QString &db, int runs, Report &r)
{
    QCoreApplication::processEvents();
    const Shell shell = shellFor(db);
    const QString sql = form.SearchStatement();
    QTemporaryFile stmt;
    stmt.open();
    stmt.write((shell.postgres ? vela::adaptTsqlForPostgres(sql, QStringLiteral("NULL")).sql : sql)
                   .toUtf8()
        + ";\n");
    stmt.flush();
    shellRun(shell, stmt.fileName()); // warms the caches for both sides

    auto *backend = dynamic_cast<vela::SqliteBackend *>(&vela::DtEn().cn().backend());
    if (!backend && !shell.postgres) {
        std::fprintf(stderr, "not a SQLite database\n");
        std::exit(1);
    }
    // The shell and the one-thread step run between the searches, so that a machine whose speed
    // drifts during the run weighs on both sides alike.
    std::vector<Timing> step;
    for (int i = 0; i < std::max(3, runs); ++i) {
        if (i < runs) {
            searchOnce(form, backend, 0, r.partitioned, r);
            if (backend)
                searchOnce(form, backend, 1, r.onePart, r);
        }
        r.shellTimes.push_back(shellRun(shell, stmt.fileName()));
        if (backend)
            step.push_back(stepRun(db, sql));
    }
    // The grid as the search leaves it is scrolled and reported.
    searchOnce(form, backend, 0, r.partitioned, r);
    if (backend)
        backend->setPartitioning({});
    r.rows = form.flxSearch->Rows() - 2;
    r.tableBytes = form.flxSearch->memoryUsage();
    r.total = form.flxSearch->TextMatrix(form.flxSearch->Rows() - 1, 12);

    r.shell = best(r.shellTimes);
    if (backend)
        r.step = best(step);

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
        std::fprintf(stderr, "usage: %s <database file | connection string> [runs]\n", argv[0]);
        return 2;
    }
    const QString db = QString::fromLocal8Bit(argv[1]);
    vela::CurrentUserID = vela::SuiteDatabase::DemoAdminUserID;
    const bool server = db.startsWith(QLatin1String("Provider="), Qt::CaseInsensitive);
    vela::CurrentConnectionString = server ? db : vela::SuiteDatabase::sqliteConnectionString(db);
    vela::ResetDataEnvironment();

    // A message box would wait for a person: print it instead and count the run as failed.
    bool messaged = false;
    vela::comMSG::setResponder([&](const vela::MessageRecord &box) {
        std::fprintf(stderr, "message %s: %s\n", qPrintable(box.title), qPrintable(box.text));
        messaged = true;
        return 0;
    });

    const int runs = argc > 2 ? std::max(1, QByteArray(argv[2]).toInt()) : 3;
    Report r;
    bool ran = false;
    vela::FormSearch &form = vela::FormSearch::instance();
    QTimer::singleShot(0, &form, [&] {
        measure(form, db, runs, r);
        ran = true;
        form.cmdExit->click();
    });
    form.ShowNGetID();
    if (!ran || messaged) {
        std::fprintf(stderr, "the search did not complete\n");
        return 1;
    }

    const Timing p = best(r.partitioned.timings);
    std::printf("records                 %d\n", r.rows);
    if (server) {
        std::printf("search until drawn      best %.3f s wall (median %.3f), %.3f s processor\n",
            p.wall, medianWall(r.partitioned.timings), p.cpu);
        std::printf("psql                    best %.3f s wall (median %.3f), %.3f s processor\n",
            r.shell.wall, medianWall(r.shellTimes), r.shell.cpu);
        std::printf("ratio to psql           %.2f best, %.2f median  (goal <= 1.50)\n",
            p.wall / r.shell.wall, medianWall(r.partitioned.timings) / medianWall(r.shellTimes));
    } else {
        const Timing o = best(r.onePart.timings);
        std::printf("processor threads       %u\n", std::thread::hardware_concurrency());
        std::printf("search in %d parts       best %.3f s wall (median %.3f), %.3f s processor\n",
            r.partitioned.parts, p.wall, medianWall(r.partitioned.timings), p.cpu);
        std::printf("search in one part      best %.3f s wall (median %.3f), %.3f s processor\n",
            o.wall, medianWall(r.onePart.timings), o.cpu);
        std::printf("sqlite3 shell           best %.3f s wall (median %.3f), %.3f s processor\n",
            r.shell.wall, medianWall(r.shellTimes), r.shell.cpu);
        std::printf(
            "C API step, one thread  %.3f s wall, %.3f s processor\n", r.step.wall, r.step.cpu);
        std::printf("ratio to shell          %.2f best, %.2f median  (goal <= 0.50)\n",
            p.wall / r.shell.wall, medianWall(r.partitioned.timings) / medianWall(r.shellTimes));
        std::printf("ratio to C API step     %.2f wall\n", p.wall / r.step.wall);
        std::printf("parts / one part        %.2f best, %.2f median  (goal <= 1.00)\n",
            p.wall / o.wall, medianWall(r.partitioned.timings) / medianWall(r.onePart.timings));
    }
    std::printf("idle resident           %.1f MB\n", r.idleKb / 1024.0);
    if (server)
        std::printf("peak above idle         %.1f MB  (goal <= 300)%s\n",
            r.partitioned.peakAboveIdleKb / 1024.0,
            r.peakReset ? "" : "  [peak not resettable: whole-run peak]");
    else
        std::printf(
            "peak above idle         %.1f MB in parts, %.1f MB in one part  (goal <= 300)%s\n",
            r.partitioned.peakAboveIdleKb / 1024.0, r.onePart.peakAboveIdleKb / 1024.0,
            r.peakReset ? "" : "  [peak not resettable: whole-run peak]");
    std::printf("grid cells held         %.1f MB\n", r.tableBytes / 1048576.0);
    std::printf("total of column 12      %s\n", qPrintable(r.total));
    std::printf("scroll %d steps         %.1f ms total, %.2f ms per step, %.2f ms slowest\n",
        r.scrollSteps, r.scrollTotalMs, r.scrollTotalMs / r.scrollSteps, r.scrollMaxMs);
    return 0;
}
