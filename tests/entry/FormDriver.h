#pragma once
// Test helper: opens the entry form through the host control on a test database and works it
// through its controls as a user would (found by objectName, clicked, typed into), and reads the
// statement trace.
#include "common/TestDatabase.h"
#include "entry/FormMain.h"
#include "host/velaAssetEst.h"
#include "suite/OrvoControls.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

struct FormDriver {
    // Opens the form on `db` as `userId`; `id` > 0 shows that record.
    FormDriver(TestDatabase &db, qint32 userId = vela::SuiteDatabase::DemoAdminUserID)
    {
        host = std::make_unique<velaAssetEst>();
        host->setUserID(userId);
        host->setPositionID(1);
        host->setOLEConnectionString(db.connectionString);
        tracePath = traceDir.filePath(QStringLiteral("trace.sql"));
        qputenv("VELA_SQL_TRACE", QFile::encodeName(tracePath));
    }
    ~FormDriver()
    {
        qunsetenv("VELA_SQL_TRACE");
        vela::FormMain::unload();
    }

    void clearShow() { host->ClearShow(); }
    void view(qint32 id) { host->View(id); }

    vela::FormMain &form() { return vela::FormMain::instance(); }

    template <class T = QWidget> T *control(const char *name)
    {
        T *w = form().findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QPushButton *button(const char *name) { return control<QPushButton>(name); }
    void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    QLineEdit *edit(const char *name) { return control<QLineEdit>(name); }
    vela::OrvoSelector *selector(const char *name) { return control<vela::OrvoSelector>(name); }
    vela::OrvoDate *date(const char *name) { return control<vela::OrvoDate>(name); }
    vela::OrvoCurrency *amount(const char *name) { return control<vela::OrvoCurrency>(name); }
    QString caption() { return form().windowTitle(); }

    // Types text as key presses; unlike QTest::keyClicks it takes any character, Persian too.
    static void type(QWidget *w, const QString &text)
    {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    // The statements run since the last call, one per line.
    QStringList takeTrace()
    {
        QFile f(tracePath);
        QStringList lines;
        if (f.open(QIODevice::ReadOnly))
            lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        f.close();
        QFile::remove(tracePath);
        return lines;
    }

    std::unique_ptr<velaAssetEst> host;
    QTemporaryDir traceDir;
    QString tracePath;
};
