// Creating and filling the suite database on a PostgreSQL server, through the component's own
// PostgreSQL backend (the statements are native PostgreSQL text, not T-SQL). The scripts come
// from the demo library's resources: every script of :/db/postgresql and those of :/db/sqlite
// that have no PostgreSQL script of the same name, in the order of their names.
#include "SuiteDatabase.h"
#include "SuiteDatabaseInternal.h"
#include "shared/ConnectionString.h"
#include "shared/PgBackend.h"
#include "shared/Sqlite.h"
#include "shared/VelaError.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QStandardPaths>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <memory>

namespace vela::SuiteDatabase {

namespace {

// name -> resource path; the PostgreSQL script of a name replaces the SQLite one.
QMap<QString, QString> postgresScripts()
{
    QMap<QString, QString> scripts;
    for (const char *folder : {":/db/sqlite", ":/db/postgresql"}) {
        const QDir dir(QString::fromLatin1(folder));
        for (const QString &name : dir.entryList({QStringLiteral("*.sql")}, QDir::Files))
            scripts.insert(name, dir.filePath(name));
    }
    return scripts;
}

std::unique_ptr<PgBackend> connectTo(const QString &connectionString)
{
    return std::make_unique<PgBackend>(ConnectionString::parse(connectionString));
}

PGconn *handle(PgBackend &db)
{
    return static_cast<PGconn *>(db.nativeHandle());
}

void run(PgBackend &db, const QByteArray &sql, const QString &what)
{
    ResultTable none;
    try {
        db.executeNative(sql, none);
    } catch (const VelaError &e) {
        throw VelaError(what + QStringLiteral(": ") + e.detail(), ErrDatabase);
    }
}

// Runs `body` in one transaction on `db`: all of it or nothing.
template<class F> void inTransaction(PgBackend &db, F body)
{
    run(db, "BEGIN", QStringLiteral("BEGIN"));
    try {
        body();
        run(db, "COMMIT", QStringLiteral("COMMIT"));
    } catch (...) {
        PQclear(PQexec(handle(db), "ROLLBACK"));
        throw;
    }
}

QString assetName(PgBackend &db, qint32 id)
{
    ResultTable t;
    db.executeNative(
        "SELECT Name FROM tblAssetEstablishment WHERE ID = " + QByteArray::number(id), t);
    return t.rowCount() > 0 ? t.text(0, 0) : QString();
}

void insertDemoPictures(PgBackend &db, const QString &folder)
{
    const QByteArray today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
    for (const DemoAttachment &a :
        demoAttachments([&db](qint32 id) { return assetName(db, id); }, folder)) {
        const QByteArray formType = QByteArray::number(a.formTypeId),
                         formId = QByteArray::number(a.formId),
                         row = QByteArray::number(a.rowNumber), title = a.title.toUtf8(),
                         external = a.mediaPath.isEmpty() ? "0" : "1", media = a.mediaPath.toUtf8();
        // The picture travels as a binary parameter: its bytes as they are.
        const char *values[]
            = {formType.constData(), formId.constData(), row.constData(), title.constData(),
                external.constData(), a.mediaPath.isEmpty() ? nullptr : media.constData(),
                a.png.isEmpty() ? nullptr : a.png.constData(), today.constData()};
        const int lengths[] = {0, 0, 0, 0, 0, 0, int(a.png.size()), 0};
        const int formats[] = {0, 0, 0, 0, 0, 0, 1, 0};
        PGresult *r = PQexecParams(handle(db),
            "INSERT INTO tblOrvoFormAttachment (FormTypeID, FormID, RowNumber, Title, isExternal, "
            "MediaPath, FileExtension, FileData, CreateDate, UserID) "
            "VALUES ($1::integer, $2::integer, $3::integer, $4, $5::integer, $6, 'png', "
            "$7::bytea, $8::date, 1)",
            8, nullptr, values, lengths, formats, 0);
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        const QString error = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
        PQclear(r);
        if (!ok)
            throw VelaError(QStringLiteral("demo pictures: ") + error, ErrDatabase);
    }
}

} // namespace

void createPostgres(const QString &connectionString, bool withDemoData, const QString &mediaFolder)
{
    const std::unique_ptr<PgBackend> db = connectTo(connectionString);
    ResultTable tables;
    db->executeNative(
        "SELECT count(*) FROM pg_catalog.pg_tables WHERE schemaname = current_schema()", tables);
    if (tables.rowCount() != 1 || tables.integer(0, 0) != 0)
        throw VelaError(QStringLiteral("پایگاه داده خالی نیست: جدول های مجموعه فقط در پایگاه "
                                       "داده ای خالی ساخته می شوند."),
            ErrDatabase);
    const QMap<QString, QString> scripts = postgresScripts();
    if (scripts.isEmpty())
        throw VelaError(
            QStringLiteral("اسکریپت های پایگاه داده در کتابخانه یافت نشد."), ErrDatabase);
    QString folder = mediaFolder;
    if (folder.isEmpty()) {
        const QString database = ConnectionString::parse(connectionString)
                                     .value(QStringLiteral("Database"), QStringLiteral("suite"));
        folder = QFileInfo(defaultDemoPath()).absolutePath() + QLatin1Char('/') + database
            + QStringLiteral("_media");
    }
    inTransaction(*db, [&] {
        for (auto it = scripts.cbegin(); it != scripts.cend(); ++it) {
            if (isDemoScript(it.key()) && !withDemoData)
                continue;
            QFile file(it.value());
            if (!file.open(QIODevice::ReadOnly))
                throw VelaError(
                    QStringLiteral("%1: %2").arg(it.key(), file.errorString()), ErrDatabase);
            run(*db, file.readAll(), it.key());
        }
        if (withDemoData)
            insertDemoPictures(*db, folder);
    });
}

void runPostgresScript(const QString &connectionString, const QString &sql)
{
    const std::unique_ptr<PgBackend> db = connectTo(connectionString);
    inTransaction(*db, [&] { run(*db, sql.toUtf8(), QStringLiteral("script")); });
}

void copyAssetsToPostgres(const QString &sqlitePath, const QString &connectionString)
{
    const std::unique_ptr<PgBackend> db = connectTo(connectionString);
    ResultTable top;
    db->executeNative("SELECT coalesce(max(ID), 0) FROM tblAssetEstablishment", top);
    const qint64 after = top.integer(0, 0);

    sqlite::Database src(sqlitePath, SQLITE_OPEN_READONLY, sqlitePath);
    sqlite::Statement st(src, "SELECT * FROM tblAssetEstablishment WHERE ID > ?1 ORDER BY ID");
    st.bind(1, after);
    const int cols = st.columnCount();
    QByteArray columns;
    for (int c = 0; c < cols; ++c)
        columns += (c ? "," : "") + QByteArray(sqlite3_column_name(st.handle(), c));

    // COPY in its text form: tab between columns, \N for NULL, backslash escapes in values.
    inTransaction(*db, [&] {
        PGconn *conn = handle(*db);
        PGresult *r = PQexec(conn, "COPY tblAssetEstablishment (" + columns + ") FROM STDIN");
        const bool ready = PQresultStatus(r) == PGRES_COPY_IN;
        PQclear(r);
        if (!ready)
            throw VelaError(QString::fromUtf8(PQerrorMessage(conn)), ErrDatabase);
        QByteArray buffer;
        auto flush = [&] {
            if (PQputCopyData(conn, buffer.constData(), int(buffer.size())) != 1)
                throw VelaError(QString::fromUtf8(PQerrorMessage(conn)), ErrDatabase);
            buffer.clear();
        };
        while (st.step()) {
            for (int c = 0; c < cols; ++c) {
                if (c)
                    buffer += '\t';
                if (st.isNull(c)) {
                    buffer += "\\N";
                    continue;
                }
                // The cell's own UTF-8 bytes, without a round trip through QString.
                const char *v = reinterpret_cast<const char *>(sqlite3_column_text(st.handle(), c));
                for (const char *p = v; *p; ++p) {
                    if (*p == '\\' || *p == '\t' || *p == '\n' || *p == '\r') {
                        buffer += '\\';
                        buffer += *p == '\t' ? 't' : *p == '\n' ? 'n' : *p == '\r' ? 'r' : '\\';
                    } else {
                        buffer += *p;
                    }
                }
            }
            buffer += '\n';
            if (buffer.size() > (1 << 20))
                flush();
        }
        flush();
        if (PQputCopyEnd(conn, nullptr) != 1)
            throw VelaError(QString::fromUtf8(PQerrorMessage(conn)), ErrDatabase);
        r = PQgetResult(conn);
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        const QString error = QString::fromUtf8(PQresultErrorMessage(r));
        PQclear(r);
        while ((r = PQgetResult(conn)))
            PQclear(r);
        if (!ok)
            throw VelaError(QStringLiteral("copying assets: ") + error, ErrDatabase);
    });
    run(*db, "ANALYZE tblAssetEstablishment", QStringLiteral("ANALYZE"));
}

} // namespace vela::SuiteDatabase
