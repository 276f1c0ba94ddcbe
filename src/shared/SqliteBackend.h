#pragma once
// The embedded backend: a SQLite database file reached through the sqlite3 C API, so that a
// million-row result is read straight into a ResultTable without per-cell QVariants.
#include "DataEnvironment.h"
#include "Sqlite.h"

#include <memory>
#include <vector>

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
    // Reads the statement in parts when the table is large enough and the machine has more than
    // one processor thread: each part on a read-only connection of its own, on a thread of its
    // own, all parts reading the same state of the database. The table's keys are cut into many
    // small ranges, chosen from the keys the table really holds; each part starts at a range of
    // its own and takes the free ranges next to what it has read, so that it reads one
    // contiguous key range, and a part on a faster core simply reads more of them. The parts
    // are joined in key order. Smaller tables, a key that is not the table's integer primary
    // key, and a connection inside a transaction (whose changes other connections cannot see)
    // are read in one part.
    void executePartitioned(const PartitionedStatement &statement, ResultTable &out) override;
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

    // How a partitioned statement is split: at most maxParts parts (0: one per processor thread,
    // at most MaxParts) of at least minRowsPerPart rows each, as the table's size estimates
    // them. Benchmarks and tests change it; the defaults suit the search.
    struct Partitioning {
        int maxParts = 0;
        int minRowsPerPart = DefaultMinRowsPerPart;
    };
    static constexpr int MaxParts = 8;
    // Below some tens of thousands of rows a part saves less than its connection, its range
    // seek and its thread cost (measured with the search benchmark).
    static constexpr int DefaultMinRowsPerPart = 20000;
    void setPartitioning(Partitioning p) { m_partitioning = p; }
    // The parts the last partitioned statement was read in (1: one read).
    int lastPartCount() const { return m_lastPartCount; }

private:
    // How a statement is read: in `parts` parts over the key ranges that begin at `bounds`
    // (the first keys of the ranges after the first, ascending); one part reads it whole.
    struct PartPlan {
        int parts = 1;
        std::vector<qint64> bounds;
    };
    PartPlan planParts(const PartitionedStatement &statement);
    // One attempt; false when another connection committed while the parts' reads began.
    bool readInParts(const PartitionedStatement &statement, const PartPlan &plan, ResultTable &out);
    qint64 dataVersion();

    std::unique_ptr<sqlite::Database> m_db;
    // Read-only connections of the parts, opened when first needed and kept for the next read.
    std::vector<std::unique_ptr<sqlite::Database>> m_readers;
    qint64 m_recordsAffected = 0;
    QString m_path;
    Partitioning m_partitioning;
    int m_lastPartCount = 0;
    double m_estimatedRows = 0; // the table's rows, as the last planParts estimated them
};

// LIKE with % and _, ASCII case-insensitive, ي=ی, ك=ک and 5=۵=٥; `escape` 0 for none. UTF-8 in.
bool persianLikeMatch(const char *pattern, const char *text, unsigned escape);

} // namespace vela
