// The installed package as a host sees it: `cmake --install` into a fresh prefix, then the
// example host, which knows only find_package(VelaAssetEstablishment) and the installed headers,
// is built and run against a test database.
#include "common/TestDatabase.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

class TestPackage : public QObject {
    Q_OBJECT
private slots:
    void installAndUse();
};

static bool run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels); // a failure tells its own story
    p.start(program, args);
    return p.waitForFinished(300000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void TestPackage::installAndUse()
{
    const QString cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
    const QString build
        = QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).canonicalPath();
    QFile cache(build + QStringLiteral("/CMakeCache.txt"));
    if (cmake.isEmpty() || !cache.open(QIODevice::ReadOnly))
        QSKIP("needs cmake and the build tree");
    QTemporaryDir work;
    const QString prefix = work.filePath(QStringLiteral("prefix"));
    QVERIFY(run(cmake, {QStringLiteral("--install"), build, QStringLiteral("--prefix"), prefix}));
    // Only the two public headers and the header of their export macro are installed.
    QCOMPARE(QDir(prefix + QStringLiteral("/include/VelaAssetEstablishment/host"))
                 .entryList(QDir::Files),
        QStringList({QStringLiteral("velaAssetEst.h"), QStringLiteral("velaAssetEstC.h"),
            QStringLiteral("velaAssetEstExport.h")}));
    QStringList configure {QStringLiteral("-S"),
        qEnvironmentVariable("VELA_SOURCE_DIR") + QStringLiteral("/examples/host"),
        QStringLiteral("-B"), work.filePath(QStringLiteral("b")),
        QStringLiteral("-DCMAKE_PREFIX_PATH=") + prefix};
    if (cache.readAll().contains(
            "VELA_SANITIZE:BOOL=ON")) // an instrumented library needs instrumented hosts
        for (const char *v : {"CXX_FLAGS", "C_FLAGS", "EXE_LINKER_FLAGS"})
            configure
                << QStringLiteral("-DCMAKE_%1=-fsanitize=address,undefined").arg(QLatin1String(v));
    QVERIFY(run(cmake, configure));
    QVERIFY(run(cmake, {QStringLiteral("--build"), work.filePath(QStringLiteral("b"))}));
    TestDatabase db;
    QVERIFY(run(work.filePath(QStringLiteral("b/host_check")), {db.connectionString}));
}

QTEST_MAIN(TestPackage)
#include "tst_package.moc"
