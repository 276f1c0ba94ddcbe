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
    const QString cmake = QStandardPaths::findExecutable(u"cmake"_qs);
    const QString build = QDir(QCoreApplication::applicationDirPath() + u"/.."_qs).canonicalPath();
    QFile cache(build + u"/CMakeCache.txt"_qs);
    if (cmake.isEmpty() || !cache.open(QIODevice::ReadOnly))
        QSKIP("needs cmake and the build tree");
    QTemporaryDir work;
    const QString prefix = work.filePath(u"prefix"_qs);
    QVERIFY(run(cmake, {u"--install"_qs, build, u"--prefix"_qs, prefix}));
    // Only the two public headers and the header of their export macro are installed.
    QCOMPARE(QDir(prefix + u"/include/VelaAssetEstablishment/host"_qs).entryList(QDir::Files),
        QStringList({u"velaAssetEst.h"_qs, u"velaAssetEstC.h"_qs, u"velaAssetEstExport.h"_qs}));
    QStringList configure {u"-S"_qs, qEnvironmentVariable("VELA_SOURCE_DIR") + u"/examples/host"_qs,
        u"-B"_qs, work.filePath(u"b"_qs), u"-DCMAKE_PREFIX_PATH="_qs + prefix};
    if (cache.readAll().contains(
            "VELA_SANITIZE:BOOL=ON")) // an instrumented library needs instrumented hosts
        for (const char *v : {"CXX_FLAGS", "C_FLAGS", "EXE_LINKER_FLAGS"})
            configure << u"-DCMAKE_%1=-fsanitize=address,undefined"_qs.arg(QLatin1String(v));
    QVERIFY(run(cmake, configure));
    QVERIFY(run(cmake, {u"--build"_qs, work.filePath(u"b"_qs)}));
    TestDatabase db;
    QVERIFY(run(work.filePath(u"b/host_check"_qs), {db.connectionString}));
}

QTEST_MAIN(TestPackage)
#include "tst_package.moc"
