#pragma once
// Test helper: opens the entry form through the host control on a test database, works it
// through its controls (found by objectName) and reads the statement trace. The free functions
// work any form's controls the way a user does: key by key, Enter to end a date, a selector's
// name typed and taken, a grid row double-clicked.
#include "common/MessageRecorder.h"
#include "common/TestDatabase.h"
#include "common/WhenModal.h"
#include "entry/FormMain.h"
#include "host/velaAssetEst.h"
#include "search/FormSearch.h"
#include "search/ResultsGrid.h"
#include "suite/OrvoControls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>
#include <functional>

namespace formdriver {

template<class T = QWidget> T *find(QObject *root, const char *name)
{
    T *w = root->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

// Key presses of any character into a text box, an amount or a date (QTest::keyClicks takes
// Latin-1 only); a date is ended with Enter, as a user leaves it.
inline void type(QWidget *control, const QString &text)
{
    QWidget *w = control;
    if (auto *c = qobject_cast<vela::OrvoCurrency *>(control))
        w = c->editor();
    else if (auto *d = qobject_cast<vela::OrvoDate *>(control))
        w = d->editor();
    for (qsizetype i = 0, n; i < text.size(); i += n) {
        n = text[i].isHighSurrogate() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
    }
    if (qobject_cast<vela::OrvoDate *>(control))
        QTest::keyClick(w, Qt::Key_Return);
}

// Types the name of the selector's list row `row` and takes it with Enter; returns the choice.
inline qint32 choose(vela::OrvoSelector *selector, int row = 0)
{
    QComboBox *combo = selector->comboBox();
    type(combo->lineEdit(), combo->itemText(row));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    return selector->SelectedID();
}

inline void click(QObject *root, const char *name)
{
    QTest::mouseClick(find<QPushButton>(root, name), Qt::LeftButton);
}

inline void doubleClickRow(vela::ResultsGrid *g, int row)
{
    const QRect r = g->visualRect(g->model()->index(row - g->FixedRows(), 0));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, r.center());
}

} // namespace formdriver

// The last message box as "title|text", so that both compare in one step, and what it should be.
inline QString lastBox(const MessageRecorder &m)
{
    return m.last().title + u'|' + m.last().text;
}
inline QString box(const QString &title, const QString &text)
{
    return title + u'|' + text;
}
// The first of `parts` the last message box's text lacks, with that text; empty when it has all.
inline QString lacks(const MessageRecorder &m, const QStringList &parts)
{
    for (const QString &p : parts)
        if (!m.last().text.contains(p))
            return p + " not in " + m.last().text;
    return {};
}

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
        return formdriver::find<T>(&form(), name);
    }
    void click(const char *name, int times = 1)
    {
        while (times-- > 0)
            formdriver::click(&form(), name);
    }
    QString text(const char *name) { return get<QLineEdit>(name)->text(); }
    void type(const char *name, const QString &s) { formdriver::type(get(name), s); }
    qint32 choose(const char *name, int row = 0)
    {
        return formdriver::choose(get<vela::OrvoSelector>(name), row);
    }
    // Types a new record's required values: the amounts into the cost, the accumulated cost
    // and the scrap value, the type and status of the selectors' list row `row`.
    void fillRequired(const QString &label, const QString &name = u"Name"_qs,
        const QStringList &amounts = {u"1500000"_qs, u"0"_qs, u"-12.25"_qs}, int row = 0)
    {
        type("txtLabelNo", label);
        type("txtName", name);
        type("datUtilizationDate", u"1402/05/10"_qs);
        const char *money[] = {"txtCost", "txtAccumulatedCost", "txtAbortCost"};
        for (int i = 0; i < 3; ++i)
            type(money[i], amounts.value(i));
        choose("sltType", row);
        choose("sltStatusType", row);
    }
    // Opens the search form with the search button and works it with `use` once it shows.
    void search(const std::function<void(vela::FormSearch &)> &use)
    {
        QVERIFY(whenModal<vela::FormSearch>([this] { click("cmdSearch"); }, use));
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
    QString tracePath = dir.filePath(u"trace.sql"_qs);
};
