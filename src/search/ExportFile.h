#pragma once
// The file both exports write: a temporary file beside the chosen name, renamed to it once it is
// complete. Until then nothing under the chosen name changes, and a failure, a cancelled export
// or an unexpected end removes the temporary file again.
#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace vela {

class ReplacingFile {
public:
    // Creates the temporary file (exclusively, in the target's folder). Throws VelaError.
    explicit ReplacingFile(const QString &target);
    ~ReplacingFile(); // removes the temporary file unless committed
    ReplacingFile(const ReplacingFile &) = delete;
    ReplacingFile &operator=(const ReplacingFile &) = delete;

    const QString &target() const { return m_target; }
    const QByteArray &nativeTempPath() const { return m_nativeTemp; }

    void write(const void *data, size_t bytes); // throws VelaError
    // For a writer that opens the temporary file by its name: closes this object's descriptor.
    void release();
    // Puts the data on the disk and renames the temporary file to the target, replacing what
    // was there. Throws VelaError (the temporary file is removed then).
    void commit();

    // The Persian failure text naming the target and the cause `err` (an errno value).
    static QString failureText(const QString &target, int err);
    [[noreturn]] void fail(int err);

private:
    QString m_target;
    QByteArray m_nativeTarget, m_nativeTemp;
    int m_fd = -1;
    off_t m_written = 0, m_flushed = 0; // bytes written, and handed to the disk so far
    bool m_done = false;
};

// A path inside Persian text, kept in its own left-to-right order.
QString shownPath(const QString &path);

} // namespace vela
