// Temporary files of the attachment viewer, the attachment editor and printing; see TempFiles.h.
#include "TempFiles.h"
#include "VelaError.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vela {

namespace tempfiles {

bool isPlainExtension(const QString &extension)
{
    // Anchored at the very end: "$" alone would also let a final line break through.
    static const QRegularExpression plain(
        QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9]{1,10}")));
    return plain.match(extension).hasMatch();
}

QString randomTempName()
{
    static const char alphabet[] = "0123456789abcdefghijklmnopqrstuv";
    QString name = QStringLiteral("rad");
    QRandomGenerator *rng = QRandomGenerator::system();
    for (int i = 0; i < 10; ++i)
        name += QLatin1Char(alphabet[rng->bounded(32)]);
    return name + QStringLiteral(".tmp");
}

bool pathExists(const QString &path)
{
    // lstat: a link counts as a file even when what it points to is gone.
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 || errno != ENOENT;
}

bool writeNewFile(const QString &path, const QByteArray &data)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd
        = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST || errno == ELOOP)
            return false;
        throw VelaError(QStringLiteral("فایل موقت «%1» ساخته نشد: %2")
                            .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            ::unlink(native.constData());
            throw VelaError(QStringLiteral("فایل موقت «%1» نوشته نشد: %2")
                                .arg(path, QString::fromLocal8Bit(std::strerror(err))));
        }
        p += n;
        left -= n;
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(native.constData());
        throw VelaError(QStringLiteral("فایل موقت «%1» نوشته نشد: %2")
                            .arg(path, QString::fromLocal8Bit(std::strerror(err))));
    }
    return true;
}

void OwnFiles::add(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::lstat(native.constData(), &st) == 0 && S_ISREG(st.st_mode))
        m_files.push_back({native, quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec)});
}

void OwnFiles::removeAll()
{
    for (const File &f : m_files) {
        struct stat st;
        if (::lstat(f.path.constData(), &st) == 0 && S_ISREG(st.st_mode)
            && quint64(st.st_dev) == f.device && quint64(st.st_ino) == f.inode
            && qint64(st.st_size) == f.size && qint64(st.st_mtim.tv_sec) == f.modifiedSeconds
            && qint64(st.st_mtim.tv_nsec) == f.modifiedNanoseconds)
            ::unlink(f.path.constData());
    }
    m_files.clear();
}

} // namespace tempfiles

} // namespace vela
