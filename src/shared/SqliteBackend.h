#pragma once
// The embedded backend: a SQLite database file reached through the sqlite3 C API, so that a
// million-row result is read straight into a ResultTable without per-cell QVariants.
#include "DataEnvironment.h"
#include "Sqlite.h"

#include <memory>

struct sqlite3;

namespace vela {

class SqliteBackend : public Backend {
public:
    // Opens an existing database file; throws VelaError naming the file when it is missing or
    // cannot be opened (with the kind of the refusal: locked, damaged, ...).
    explicit SqliteBackend(const QString &path);
    ~SqliteBackend() override;

    QString name() const override { return QStringLiteral("SQLite"); }
    void execute(const QString &tsql, ResultTable &out) override;
    qint32 hasPermission(qint32 userId, qint32 formPermissionId) override;
    qint32 insertFormAction(qint32 eventId, const QString &formCode, qint32 formTypeId,
        const QString &description, qint32 userId, const QDateTime &eventDate,
        const QString &farsiEventDate, qint32 eventTime) override;
    qint64 recordsAffected() const override { return m_recordsAffected; }
    void *nativeHandle() override { return m_db->handle(); }

    // Runs already adapted SQLite text (all statements of it), keeping the rows of the last
    // statement that returns columns.
    void executeNative(const QString &sql, ResultTable &out);

    // Registers getdate(), scope_identity() and the like() that treats Arabic and Persian
    // forms of ي/ی and ك/ک as the same letter, and ASCII, Persian and Arabic-Indic digits as the
    // same digit, on any SQLite handle.
    static void registerFunctions(sqlite3 *db);

private:
    std::unique_ptr<sqlite::Database> m_db;
    qint64 m_recordsAffected = 0;
    QString m_path;
};

// LIKE with % and _, ASCII case-insensitive, ي=ی, ك=ک and 5=۵=٥; `escape` 0 for none. UTF-8 in.
bool persianLikeMatch(const char *pattern, const char *text, unsigned escape);

} // namespace vela
