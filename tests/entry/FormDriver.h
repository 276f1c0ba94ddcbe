#pragma once
// Test helper: opens the entry form through the host control on a test database, works it
// through its controls (found by objectName) and reads the statement trace.
#include "common/MessageRecorder.h"
#include "common/TestDatabase.h"
#include "entry/FormMain.h"
#include "host/velaAssetEst.h"
#include "suite/OrvoControls.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

struct FormDriver {
    explicit FormDriver(TestDatabase &db, qint32 userId = vela::SuiteDatabase::DemoAdminUserID)
    {
        host.setUserID(userId);
        host.setOLEConnectionString(db.connectionString);
        qputenv("VELA_SQL_TRACE", QFile::encodeName(tracePath));
    }
    ~FormDriver()
    {
        qunsetenv("VELA_SQL_TRACE");
        vela::FormMain::unload();
    }
    vela::FormMain &form() { return vela::FormMain::instance(); }
    template<class T = QWidget> T *get(const char *name)
    {
        T *w = form().findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    void click(const char *name, int times = 1)
    {
        while (times-- > 0)
            QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton);
    }
    QString text(const char *name) { return get<QLineEdit>(name)->text(); }
    // Key presses of any character (QTest::keyClicks takes Latin-1 only).
    void type(const char *name, const QString &s)
    {
        for (QChar c : s)
            QTest::sendKeyEvent(
                QTest::Click, get(name), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QStringList takeTrace() // the statements since the last call
    {
        QFile f(tracePath);
        const QStringList lines = f.open(QIODevice::ReadOnly)
            ? QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts)
            : QStringList();
        QFile::remove(tracePath);
        return lines;
    }

    velaAssetEst host;
    QTemporaryDir dir;
    QString tracePath = dir.filePath(QStringLiteral("trace.sql"));
};
