#include "TestDatabase.h"

#include "shared/Sqlite.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"

#include <QtTest>
#include <sqlite3.h>

namespace {

[[noreturn]] void fail(const QString &what, const QString &sql)
{
    const QString msg = what + QStringLiteral("\n  in: ") + sql;
    qWarning().noquote() << msg;
    throw vela::VelaError(msg, vela::ErrDatabase);
}

} // namespace

TestDatabase::TestDatabase(bool demo)
{
    if (!m_dir.isValid())
        fail(QStringLiteral("no temporary folder: ") + m_dir.errorString(), QString());
    path = m_dir.filePath(QStringLiteral("suite.sqlite"));
    vela::SuiteDatabase::createSqlite(path, demo);
    connectionString = vela::SuiteDatabase::sqliteConnectionString(path);
}

TestDatabase::~TestDatabase()
{
    if (!m_current)
        return;
    try {
        if (vela::CurrentConnectionString == connectionString) {
            vela::CurrentConnectionString.clear();
            vela::ResetDataEnvironment();
        }
    } catch (const std::exception &e) {
        qWarning() << "TestDatabase: detaching the data environment failed:" << e.what();
    }
}

void TestDatabase::exec(const QString &sql)
{
    try {
        vela::SuiteDatabase::runSqliteScript(path, sql);
    } catch (const vela::VelaError &e) {
        fail(e.description(), sql);
    }
}

QList<QVariantList> TestDatabase::rows(const QString &sql)
{
    QList<QVariantList> out;
    try {
        // A connection for one call, with foreign keys on like the component's.
        vela::sqlite::Database db(path, SQLITE_OPEN_READWRITE, QString());
        db.exec("PRAGMA foreign_keys=ON");
        const QByteArray text = sql.toUtf8();
        vela::sqlite::Statement st(db, text.constData());
        while (st.step()) {
            QVariantList row;
            for (int i = 0; i < st.columnCount(); ++i)
                row << st.value(i);
            out << row;
        }
    } catch (const vela::VelaError &e) {
        fail(e.description(), sql);
    }
    return out;
}

QVariant TestDatabase::scalar(const QString &sql)
{
    const QList<QVariantList> r = rows(sql);
    return r.isEmpty() || r.first().isEmpty() ? QVariant() : r.first().first();
}

void TestDatabase::useAsCurrent(qint32 userId)
{
    vela::CurrentUserID = userId;
    vela::CurrentConnectionString = connectionString;
    vela::ResetDataEnvironment();
    m_current = true;
}
