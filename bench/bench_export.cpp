// Export benchmark: fills the search grid with every generated record (cmdSearch, empty filters),
// then writes it to a delimited text file and to an .xlsx workbook, as the search form's buttons
// do, with their progress dialogs. Reports, in the same run:
//   - the text export against the sqlite3 shell writing the same statement with -csv to a file;
//   - the workbook's cells per second;
//   - each export's peak resident memory above what the program holds with the grid filled.
//
//     bench_export <database file> [output folder = the database's folder]
#include "BenchMeasure.h"
#include "demo/SuiteDatabase.h"
#include "search/FormSearch.h"
#include "search/GridExport.h"
#include "search/ResultsGrid.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"
#include "suite/comMSG.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

using namespace bench;

struct Measured {
    Timing time;
    double peakMb = 0; // above the resident size before the export
    qint64 bytes = 0;
};

// Runs `work` with the peak resident size reset just before it.
template<class F> Measured measure(const QString &output, F work)
{
    const long before = statusKb("VmRSS:");
    resetPeak();
    QElapsedTimer t;
    const double cpu0 = cpuSeconds(RUSAGE_SELF);
    t.start();
    work();
    Measured m;
    m.time = Timing {t.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_SELF) - cpu0};
    m.peakMb = (statusKb("VmHWM:") - before) / 1024.0;
    m.bytes = QFileInfo(output).size();
    return m;
}

// The sqlite3 shell writing the statement's rows as CSV (with a header line) into a file.
Timing shellCsv(const QString &db, const QString &statementFile, const QString &output)
{
    QProcess p;
    p.setStandardInputFile(statementFile);
    p.setStandardOutputFile(output);
    QElapsedTimer t;
    const double cpu0 = cpuSeconds(RUSAGE_CHILDREN);
    t.start();
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-csv"), QStringLiteral("-header"), db});
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "sqlite3 failed: %s\n", p.readAllStandardError().constData());
        std::exit(1);
    }
    return Timing {t.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_CHILDREN) - cpu0};
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <database file> [output folder]\n", argv[0]);
        return 2;
    }
    const QString db = QString::fromLocal8Bit(argv[1]);
    const QDir out(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QFileInfo(db).absolutePath());
    const QString textPath = out.filePath(QStringLiteral("bench-export.txt"));
    const QString csvPath = out.filePath(QStringLiteral("bench-export.csv"));
    const QString bookPath = out.filePath(QStringLiteral("bench-export.xlsx"));
    vela::CurrentUserID = vela::SuiteDatabase::DemoAdminUserID;
    vela::CurrentConnectionString = vela::SuiteDatabase::sqliteConnectionString(db);
    vela::ResetDataEnvironment();

    bool messaged = false;
    vela::comMSG::setResponder([&](const vela::MessageRecord &box) {
        std::fprintf(stderr, "message %s: %s\n", qPrintable(box.title), qPrintable(box.text));
        messaged = true;
        return 0;
    });

    int rows = 0, cols = 0;
    double gridMb = 0, residentMb = 0;
    Measured text, book;
    Timing shell;
    bool ran = false, textDone = false, bookDone = false;
    vela::FormSearch &form = vela::FormSearch::instance();
    QTimer::singleShot(0, &form, [&] {
        form.cmdSearch->click();
        vela::ResultsGrid &grid = *form.flxSearch;
        rows = grid.Rows();
        cols = grid.Cols();
        gridMb = grid.memoryUsage() / 1048576.0;
        residentMb = statusKb("VmRSS:") / 1024.0;

        QTemporaryFile stmt;
        stmt.open();
        stmt.write(form.SearchStatement().toUtf8() + ";\n");
        stmt.flush();
        // Best of three, wall and processor time each; the first run also warms the file cache.
        shell = shellCsv(db, stmt.fileName(), csvPath);
        for (int i = 0; i < 2; ++i) {
            const Timing s = shellCsv(db, stmt.fileName(), csvPath);
            shell.wall = std::min(shell.wall, s.wall);
            shell.cpu = std::min(shell.cpu, s.cpu);
        }

        vela::TextExportOptions o;
        o.fileName = textPath;
        o.delimiter = QStringLiteral(",");
        o.addHeaders = true;
        text = measure(textPath, [&] {
            vela::ExportProgress progress(&form, QStringLiteral("text"), rows);
            textDone = vela::writeGridText(grid, o, &progress);
        });
        book = measure(bookPath, [&] {
            vela::ExportProgress progress(&form, QStringLiteral("workbook"), rows);
            bookDone = vela::writeGridWorkbook(grid, bookPath, &progress);
        });
        ran = true;
        form.cmdExit->click();
    });
    form.ShowNGetID();
    if (!ran || messaged || !textDone || !bookDone) {
        std::fprintf(stderr, "the exports did not complete\n");
        return 1;
    }

    const double cells = double(rows) * cols;
    std::printf(
        "grid                    %d rows x %d columns (%.1f M cells)\n", rows, cols, cells / 1e6);
    std::printf(
        "grid cells held         %.1f MB; resident with the grid %.1f MB\n", gridMb, residentMb);
    std::printf("sqlite3 -csv to a file  %.3f s wall, %.3f s processor (best of 3), %.1f MB\n",
        shell.wall, shell.cpu, QFileInfo(csvPath).size() / 1048576.0);
    std::printf("text export             %.3f s wall, %.3f s processor, %.1f MB UTF-16\n",
        text.time.wall, text.time.cpu, text.bytes / 1048576.0);
    std::printf("ratio                   %.2f wall, %.2f processor  (goal <= 0.50)\n",
        text.time.wall / shell.wall, text.time.cpu / shell.cpu);
    std::printf("text peak above grid    %.1f MB  (goal <= 100)\n", text.peakMb);
    std::printf("workbook export         %.3f s wall, %.3f s processor, %.1f MB\n", book.time.wall,
        book.time.cpu, book.bytes / 1048576.0);
    std::printf("cells per second        %.2f M wall, %.2f M processor  (goal >= 1.00)\n",
        cells / book.time.wall / 1e6, cells / book.time.cpu / 1e6);
    std::printf("workbook peak above grid %.1f MB  (goal <= 100)\n", book.peakMb);
    QFile::remove(textPath);
    QFile::remove(csvPath);
    QFile::remove(bookPath);
    return 0;
}
