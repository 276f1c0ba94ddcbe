#pragma once
// Reading a whole file that the user named or a record points at, without letting the file hold
// the window: a pipe, a device or a network share that stopped answering. Used by the attachment
// viewer, the attachment editor and the report engine's pictures.
#include <QByteArray>
#include <QString>

namespace vela::fileread {

// How long a read is waited for before it is given up, and the largest file read into memory.
constexpr int ReadTimeLimitMs = 5000;
constexpr qint64 LargestShownFile = qint64(256) * 1024 * 1024;

enum class ReadOutcome {
    Read,
    Unreadable, // missing, no right to read it, a failing disk
    NotAFile, // a folder, a pipe, a device
    TooLarge,
    NoAnswer, // still not read when the time was up
};

// Reads the whole file on a thread of its own and waits for it at most ReadTimeLimitMs, drawing
// the windows meanwhile (the user's input waits until the read is over). Only a regular file is
// read. `out` is set only when the outcome is Read.
ReadOutcome readFile(const QString &path, QByteArray &out);

} // namespace vela::fileread
