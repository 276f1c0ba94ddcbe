// The installed library as a host sees it: `cmake --install` into a fresh prefix, then a host
// program that knows only find_package(VelaAssetEstablishment) and the installed headers is
// configured, built and run against a test database.
#include "common/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestPackage : public QObject {
    Q_OBJECT
private slots:
    void installAndUse();

private:
    static bool run(const QString &program, const QStringList &args, QString *output = nullptr)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        const bool finished = p.waitForFinished(300000);
        const QString out = QString::fromLocal8Bit(p.readAll());
        if (output)
            *output = out;
        if (!finished || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            qWarning().noquote() << program << args.join(QLatin1Char(' ')) << "\n" << out;
            return false;
        }
        return true;
    }
};

void TestPackage::installAndUse()
{
    const QString cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
    const QString source = qEnvironmentVariable("VELA_SOURCE_DIR");
    // The test program lives in <build>/tests.
    const QString build = QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).canonicalPath();
    if (cmake.isEmpty() || source.isEmpty() || !QFile::exists(build + QStringLiteral("/CMakeCache.txt")))
        QSKIP("needs cmake and the build tree");

    QFile cache(build + QStringLiteral("/CMakeCache.txt"));
    QVERIFY(cache.open(QIODevice::ReadOnly));
    const bool sanitized = cache.readAll().contains("VELA_SANITIZE:BOOL=ON");

    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString prefix = work.filePath(QStringLiteral("prefix"));
    QVERIFY(run(cmake, {QStringLiteral("--install"), build, QStringLiteral("--prefix"), prefix}));
    QVERIFY(QFile::exists(prefix + QStringLiteral("/include/VelaAssetEstablishment/host/velaAssetEst.h")));
    // Nothing but the two public headers is installed.
    QCOMPARE(QDir(prefix + QStringLiteral("/include/VelaAssetEstablishment/host")).entryList(QDir::Files).size(), 2);

    QStringList configure{QStringLiteral("-S"), source + QStringLiteral("/tests/host/package"),
                          QStringLiteral("-B"), work.filePath(QStringLiteral("b")),
                          QStringLiteral("-DCMAKE_PREFIX_PATH=") + prefix, QStringLiteral("-DCMAKE_BUILD_TYPE=Release")};
    if (!QStandardPaths::findExecutable(QStringLiteral("ninja")).isEmpty())
        configure << QStringLiteral("-G") << QStringLiteral("Ninja");
    if (sanitized)
        configure << QStringLiteral("-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined")
                  << QStringLiteral("-DCMAKE_C_FLAGS=-fsanitize=address,undefined")
                  << QStringLiteral("-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined");
    QVERIFY(run(cmake, configure));
    QVERIFY(run(cmake, {QStringLiteral("--build"), work.filePath(QStringLiteral("b"))}));

    TestDatabase db;
    QString output;
    QVERIFY(run(work.filePath(QStringLiteral("b/host_check")), {db.connectionString}, &output));
    QVERIFY2(output.contains(QLatin1String("opened")), qPrintable(output));
}

QTEST_MAIN(TestPackage)
#include "tst_package.moc"
