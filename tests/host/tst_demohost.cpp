// The demo host program vela-asset, run as a user runs it: the demo database on first start,
// the record on screen, settings kept between starts, and a bad connection reported instead of
// a crash.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestDemoHost : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void firstStartAndSettings();

private:
    int run(const QStringList &args, QString *output = nullptr)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(m_program, args);
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return -100;
        }
        if (output)
            *output = QString::fromLocal8Bit(p.readAll());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -200;
    }
    QString setting(const QString &key)
    {
        QSettings s(m_home.filePath(QStringLiteral("config/Vela/vela-asset.conf")), QSettings::IniFormat);
        return s.value(QStringLiteral("velaAssetEst/") + key).toString();
    }

    QTemporaryDir m_home;
    QString m_program;
};

void TestDemoHost::initTestCase()
{
    m_program = QCoreApplication::applicationDirPath() + QStringLiteral("/../app/vela-asset");
    if (!QFileInfo(m_program).isExecutable())
        QSKIP("vela-asset is not built");
    QVERIFY(m_home.isValid());
}

void TestDemoHost::firstStartAndSettings()
{
    // First start: the demo database is made and record 1 shown.
    const QString shot = m_home.filePath(QStringLiteral("view.png"));
    QCOMPARE(run({QStringLiteral("--view"), QStringLiteral("1"), QStringLiteral("--screenshot"), shot}), 0);
    QCOMPARE(QImage(shot).size(), QSize(829, 398)); // the entry form at its design size
    QVERIFY(!QDir(m_home.filePath(QStringLiteral("data"))).entryList({QStringLiteral("*")}, QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    const QString demo = setting(QStringLiteral("OLEConnectionString"));
    QVERIFY(demo.startsWith(QLatin1String("Provider=SQLite")));
    QCOMPARE(setting(QStringLiteral("UserID")), QStringLiteral("1"));
    QCOMPARE(setting(QStringLiteral("PositionID")), QString()); // the default is not written

    // A database that is not there: reported in a box, the program carries on and ends normally.
    const QString bad = m_home.filePath(QStringLiteral("bad.png"));
    QCOMPARE(run({QStringLiteral("--connection"), QStringLiteral("Provider=SQLite;Data Source=/nonexistent/suite.sqlite"),
                  QStringLiteral("--position"), QStringLiteral("4"), QStringLiteral("--screenshot"), bad}), 0);
    QVERIFY(QFileInfo::exists(bad));
    QVERIFY(QImage(bad).size() != QSize(829, 398)); // no entry form: the host window
    QCOMPARE(setting(QStringLiteral("PositionID")), QStringLiteral("4"));

    // The saved connection is used again until --demo goes back to the demo database.
    QCOMPARE(run({QStringLiteral("--screenshot"), bad}), 0);
    QVERIFY(QImage(bad).size() != QSize(829, 398));
    QCOMPARE(run({QStringLiteral("--demo"), QStringLiteral("--screenshot"), shot}), 0);
    QCOMPARE(QImage(shot).size(), QSize(829, 398));
    QCOMPARE(setting(QStringLiteral("OLEConnectionString")), demo);
    QCOMPARE(setting(QStringLiteral("PositionID")), QString());

    QString out;
    QCOMPARE(run({QStringLiteral("--user"), QStringLiteral("abc")}, &out), 2);
    QVERIFY(out.contains(QLatin1String("--user")));
}

QTEST_MAIN(TestDemoHost)
#include "tst_demohost.moc"
