#pragma once
// The one failure type of the component: a description the user can read and an optional number
// (the numbers follow the classic run-time error codes where one applies: 6 overflow, 13 type
// mismatch, 429 component not registered).
//
// A failure the database reports also carries its kind. Each backend sorts its engine's result
// codes into these kinds in one place (SQLite its extended result codes, a server backend its
// SQLSTATEs), and the user reads one Persian sentence per kind that says what happened and what
// to do, with the engine's own text on a line of its own below it for whoever looks into it.
#include <QByteArray>
#include <QString>
#include <exception>

namespace vela {

enum ErrorNumber {
    ErrOverflow = 6,
    ErrTypeMismatch = 13,
    ErrNotRegistered = 429,
    ErrDatabase = 3000,
    ErrConnection = 3001,
};

enum class FailureKind {
    None, // not a database failure, or one without a kind: the description stands alone
    Busy, // locked by another user or program for the moment (SQLite BUSY, LOCKED)
    DiskFull, // no room left for the database (FULL)
    ReadOnly, // the database may not be written (READONLY)
    Damaged, // a damaged file, or one that is not a database (CORRUPT, NOTADB)
    Unreachable, // the database cannot be opened or reached (CANTOPEN, PERM)
    DiskIo, // reading or writing the file failed (IOERR)
    ForeignKey, // other rows refer to this one, or a row referred to is missing
    Duplicate, // a value that must be unique is taken already
    Refused, // any other rule of the database: NOT NULL, CHECK, a trigger's refusal
    Structure, // a table or column missing, or a statement the database cannot read
    Resources, // out of memory, or a value larger than the database takes
    Other, // anything else the engine reports
};

class VelaError : public std::exception {
public:
    explicit VelaError(QString description, int number = 0)
        : m_description(std::move(description)), m_number(number), m_what(m_description.toUtf8())
    {
    }
    // A failure the database reported: `lead` (may be empty) says what could not be done, the
    // kind's sentence what happened and what to do, `engineText` follows as the detail line.
    VelaError(FailureKind kind, const QString &engineText, const QString &lead = QString(),
        int number = ErrDatabase);

    const QString &description() const noexcept { return m_description; }
    int number() const noexcept { return m_number; }
    FailureKind kind() const noexcept { return m_kind; }
    // The engine's own text of a database failure; empty for other failures.
    const QString &detail() const noexcept { return m_detail; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    int m_number;
    FailureKind m_kind = FailureKind::None;
    QString m_detail;
    QByteArray m_what;
};

// The sentence a user reads for a kind of database failure: what happened and what to do.
QString failureSentence(FailureKind kind);

// A technical text (an engine's message) as the second line of a Persian message: marked as a
// detail and kept left to right inside the right-to-left text.
QString detailLine(const QString &technicalText);

// Called inside a catch block: the description of the failure being handled (a VelaError's own
// text; for anything else a Persian sentence, with the exception's own text as a detail line).
QString currentFailureText();

// Called inside a catch block where a failure is deliberately not shown to the user (the command
// goes on without the step, or there is no box to show it in): writes `step` and the failure's
// text to the log, so that it is never lost silently.
void logCurrentFailure(const char *step);

} // namespace vela
