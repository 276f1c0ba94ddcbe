// What both exports share: the file that replaces the chosen one only when it is complete, the
// Persian texts of file failures, and the progress dialog.
#include "ExportFile.h"

#include "ExportTexts.h"
#include "GridExport.h"
#include "shared/TempFiles.h"
#include "shared/VelaError.h"
#include "suite/SuiteFont.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vela {

QString shownPath(const QString &path)
{
    return QChar(0x200E) + path + QChar(0x200E);
}

// ---------------------------------------------------------------- the replacing file

constexpr off_t FlushEvery = off_t(16) << 20;

QString ReplacingFile::failureText(const QString &target, int err)
{
    QString cause;
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        cause = texts::CauseNoFolder.toString();
        break;
    case EACCES:
    case EPERM:
        cause = texts::CauseNoPermission.toString();
        break;
    case EROFS:
        cause = texts::CauseReadOnly.toString();
        break;
    case ENOSPC:
    case EDQUOT:
        cause = texts::CauseDiskFull.toString();
        break;
    case EFBIG:
        cause = texts::CauseTooLarge.toString();
        break;
    case EISDIR:
        cause = texts::CauseIsFolder.toString();
        break;
    case ENAMETOOLONG:
        cause = texts::CauseNameTooLong.toString();
        break;
    case EIO:
        cause = texts::CauseDiskError.toString();
        break;
    default:
        cause = texts::CauseSystem.toString().arg(QString::fromLocal8Bit(std::strerror(err)));
    }
    return texts::FileNotSaved.toString().arg(shownPath(target), cause);
}

ReplacingFile::ReplacingFile(const QString &target)
    : m_target(target), m_nativeTarget(QFile::encodeName(target))
{
    // A hidden name in the same folder, so that the rename at the end stays on one file system;
    // created exclusively, never through a link, with the mode any new file of the user gets.
    const QFileInfo info(target);
    const QByteArray stem
        = QFile::encodeName(info.path()) + "/." + QFile::encodeName(info.fileName()).left(200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_nativeTemp = stem + '.' + QFile::encodeName(tempfiles::randomTempName());
        m_fd = ::open(
            m_nativeTemp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_fd >= 0 || (errno != EEXIST && errno != ELOOP))
            break;
    }
    if (m_fd < 0)
        throw VelaError(failureText(target, errno));
}

ReplacingFile::~ReplacingFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_done)
        ::unlink(m_nativeTemp.constData());
}

void ReplacingFile::fail(int err)
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    ::unlink(m_nativeTemp.constData());
    m_done = true;
    throw VelaError(failureText(m_target, err));
}

void ReplacingFile::write(const void *data, size_t bytes)
{
    const char *p = static_cast<const char *>(data);
    while (bytes > 0) {
        const ssize_t n = ::write(m_fd, p, bytes);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        p += n;
        bytes -= size_t(n);
        m_written += n;
    }
    // The disk starts on what is written while the export goes on, so the flush at the end
    // waits for the last part only.
    if (m_written - m_flushed >= FlushEvery) {
        ::sync_file_range(m_fd, m_flushed, m_written - m_flushed, SYNC_FILE_RANGE_WRITE);
        m_flushed = m_written;
    }
}

void ReplacingFile::release()
{
    if (m_fd >= 0 && ::close(m_fd) != 0) {
        m_fd = -1;
        fail(errno);
    }
    m_fd = -1;
}

void ReplacingFile::commit()
{
    // The data reaches the disk before the name does: after a crash the chosen name holds the
    // old file or the whole new one, never a part.
    if (m_fd < 0) {
        m_fd = ::open(m_nativeTemp.constData(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            fail(errno);
    }
    if (!qEnvironmentVariableIsSet("NOSYNC") && ::fsync(m_fd) != 0 && errno != EINVAL)
        fail(errno);
    if (::close(m_fd) != 0) {
        m_fd = -1;
        fail(errno);
    }
    m_fd = -1;
    if (::rename(m_nativeTemp.constData(), m_nativeTarget.constData()) != 0)
        fail(errno);
    m_done = true;
}

// ---------------------------------------------------------------- progress

namespace {

int g_showDelay = 500;
constexpr qint64 UpdateEveryMs = 100; // the dialog is redrawn at most ten times a second
constexpr qint64 LookEveryRows = 512; // the clock is read once in so many rows

qint64 nowMs()
{
    return QDeadlineTimer::current().deadline();
}

} // namespace

void ExportProgress::setShowDelay(int ms)
{
    g_showDelay = qMax(0, ms);
}

ExportProgress::ExportProgress(QWidget *parent, const QString &label, qint64 total)
    : m_parent(parent), m_label(label), m_total(qMax<qint64>(1, total)), m_started(nowMs())
{
}

ExportProgress::~ExportProgress() = default;

void ExportProgress::setLabel(const QString &label)
{
    m_label = label;
    if (m_dialog) {
        m_dialog->setLabelText(label);
        QCoreApplication::processEvents();
    }
}

bool ExportProgress::advance(qint64 done)
{
    if (done < m_nextLook || m_cancelled)
        return !m_cancelled;
    m_nextLook = done + LookEveryRows;
    const qint64 now = nowMs();
    if (!m_dialog && now - m_started < g_showDelay)
        return true;
    if (m_dialog && now - m_lastUpdate < UpdateEveryMs)
        return true;
    m_lastUpdate = now;
    update(done);
    return !m_cancelled;
}

void ExportProgress::update(qint64 done)
{
    if (!m_dialog) {
        m_dialog = std::make_unique<QProgressDialog>(m_label, texts::CancelCaption.toString(), 0,
            1000, m_parent, Qt::Dialog | Qt::WindowTitleHint);
        m_dialog->setObjectName(QStringLiteral("exportProgress"));
        applySuiteLook(m_dialog.get());
        if (m_parent)
            m_dialog->setWindowTitle(m_parent->windowTitle());
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoReset(false);
        m_dialog->setAutoClose(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setMinimumWidth(360);
        m_dialog->show();
    }
    if (done < 0) {
        m_dialog->setRange(0, 0); // a busy indicator
    } else {
        // A modal progress dialog handles the pending events (the cancel button) in setValue.
        m_dialog->setValue(int(qMin<qint64>(1000, done * 1000 / m_total)));
    }
    QCoreApplication::processEvents();
    m_cancelled = m_dialog->wasCanceled();
}

bool ExportProgress::waitUntil(const std::function<bool()> &finished)
{
    QEventLoop loop;
    QTimer look;
    look.setInterval(int(UpdateEveryMs));
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (finished()) {
            loop.quit();
            return;
        }
        if (m_dialog || nowMs() - m_started >= g_showDelay)
            update(-1);
    });
    look.start();
    if (!finished())
        loop.exec();
    return !m_cancelled;
}

} // namespace vela
