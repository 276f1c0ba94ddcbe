// Fills a fresh suite database with generated asset records for the search benchmark.
//
//     bench_generate <database file> [records = 1000000] [seed = 1]
//
// The file must not exist yet; it gets the suite's schema, views and demo lookups, then the
// records.
#include "demo/SuiteDatabase.h"
#include "shared/VelaError.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    // The demo pictures want a GUI application for their captions; no screen is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <database file> [records] [seed]\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int count = argc > 2 ? QByteArray(argv[2]).toInt() : 1000000;
    const quint32 seed = argc > 3 ? QByteArray(argv[3]).toUInt() : 1;
    try {
        QElapsedTimer timer;
        timer.start();
        vela::SuiteDatabase::createSqlite(path, true);
        vela::SuiteDatabase::generateAssets(path, count, seed);
        std::printf(
            "generated %d records in %s (%.1f s)\n", count, argv[1], timer.elapsed() / 1000.0);
    } catch (const vela::VelaError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
