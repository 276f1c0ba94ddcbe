// Fills a fresh suite database with generated asset records for the search benchmark.
//
//     bench_generate <database file> [records = 1000000] [seed = 1] [connection string]
//
// The file gets the suite's schema, views and demo lookups, then the records; an existing file
// is kept as it is. With a connection string of Provider=PostgreSQL the suite and the demo data
// are built in that (empty) database and the file's generated records copied into it.
#include "demo/SuiteDatabase.h"
#include "shared/VelaError.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    // The demo pictures want a GUI application for their captions; no screen is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(
            stderr, "usage: %s <database file> [records] [seed] [connection string]\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int count = argc > 2 ? QByteArray(argv[2]).toInt() : 1000000;
    const quint32 seed = argc > 3 ? QByteArray(argv[3]).toUInt() : 1;
    try {
        QElapsedTimer timer;
        timer.start();
        if (!QFileInfo::exists(path)) {
            vela::SuiteDatabase::createSqlite(path, true);
            vela::SuiteDatabase::generateAssets(path, count, seed);
            std::printf(
                "generated %d records in %s (%.1f s)\n", count, argv[1], timer.elapsed() / 1000.0);
        }
        if (argc > 4) {
            timer.restart();
            const QString server = QString::fromLocal8Bit(argv[4]);
            vela::SuiteDatabase::createPostgres(server, true);
            vela::SuiteDatabase::copyAssetsToPostgres(path, server);
            std::printf("copied them to the server (%.1f s)\n", timer.elapsed() / 1000.0);
        }
    } catch (const vela::VelaError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
