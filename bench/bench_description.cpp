// Long description benchmark: a record whose description is one line of 600 KB and of 5 MB is
// opened in the entry form, opened for editing, and saved with a changed title (which reloads it);
// each step is timed until the form has drawn itself.
//
//     bench_description
//
// The database is the demo one, made in a temporary folder.
#include "demo/SuiteDatabase.h"
#include "entry/FormMain.h"
#include "host/velaAssetEst.h"
#include "suite/OrvoControls.h"
#include "suite/comMSG.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>

namespace {

constexpr qint32 Record = 50;

// One line of mixed Persian, Latin and digits, as a pasted report would be.
QString oneLine(qsizetype bytes)
{
    const QString unit = QStringLiteral("شرح دارایی شماره 1024 در انبار مرکزی، model X-200; ");
    const qsizetype unitBytes = unit.toUtf8().size();
    QString s;
    s.reserve(bytes / unitBytes * unit.size() + unit.size());
    for (qsizetype n = 0; n < bytes; n += unitBytes)
        s += unit;
    s.chop(1); // no trailing blank, which the save would trim
    return s;
}

void setDescription(const QString &db, const QString &text)
{
    sqlite3 *h = nullptr;
    sqlite3_open(QFile::encodeName(db).constData(), &h);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(
        h, "UPDATE tblAssetEstablishment SET Description=?1 WHERE ID=?2", -1, &st, nullptr);
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(st, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(st, 2, Record);
    if (sqlite3_step(st) != SQLITE_DONE)
        std::fprintf(stderr, "update failed: %s\n", sqlite3_errmsg(h));
    sqlite3_finalize(st);
    sqlite3_close(h);
}

QString storedDescription(const QString &db)
{
    sqlite3 *h = nullptr;
    sqlite3_open(QFile::encodeName(db).constData(), &h);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(
        h, "SELECT Description FROM tblAssetEstablishment WHERE ID=?1", -1, &st, nullptr);
    sqlite3_bind_int(st, 1, Record);
    QString out;
    if (sqlite3_step(st) == SQLITE_ROW)
        out = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)),
            sqlite3_column_bytes(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(h);
    return out;
}

// Runs a step and waits until everything it caused has been drawn.
template<class Step> double timed(Step step)
{
    QElapsedTimer t;
    t.start();
    step();
    QApplication::processEvents();
    vela::FormMain::instance().repaint();
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("bench.sqlite"));
    vela::SuiteDatabase::createSqlite(db, true);

    bool messaged = false;
    vela::comMSG::setResponder([&](const vela::MessageRecord &box) {
        std::fprintf(stderr, "message %s: %s\n", qPrintable(box.title), qPrintable(box.text));
        messaged = true;
        return 0;
    });

    velaAssetEst host;
    host.setUserID(vela::SuiteDatabase::DemoAdminUserID);
    host.setOLEConnectionString(vela::SuiteDatabase::sqliteConnectionString(db));
    host.ClearShow();
    QApplication::processEvents();

    std::printf("description            open     edit     save\n");
    for (const qsizetype bytes : {qsizetype(600) * 1024, qsizetype(5) * 1024 * 1024}) {
        const QString text = oneLine(bytes);
        setDescription(db, text);
        vela::FormMain &form = vela::FormMain::instance();
        const double open = timed([&] { host.View(Record); });
        const double edit = timed([&] { form.cmdEdit->click(); });
        form.txtName->setText(form.txtName->text() + QStringLiteral(" ب"));
        const double save = timed([&] { form.cmdSave->click(); });
        const bool exact = storedDescription(db) == text;
        std::printf("%5lld KB one line   %6.2f s %6.2f s %6.2f s   %s\n",
            static_cast<long long>(bytes / 1024), open, edit, save,
            exact ? "stored exactly" : "STORED TEXT DIFFERS");
        if (!exact || messaged)
            return 1;
    }
    return 0;
}
