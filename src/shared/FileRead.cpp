// Reading a whole file without letting it hold the window; see FileRead.h.
#include "FileRead.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace vela {

using namespace fileread;

namespace {

// Opening never waits (O_NONBLOCK: a pipe without a writer opens at once), and only a regular
// file is read; a pipe or a device is refused before any read.
ReadOutcome readNow(const QByteArray &path, QByteArray &out)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return ReadOutcome::Unreadable;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer {fd};
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return ReadOutcome::Unreadable;
    if (!S_ISREG(st.st_mode))
        return ReadOutcome::NotAFile;
    if (st.st_size > LargestShownFile)
        return ReadOutcome::TooLarge;
    QByteArray data;
    data.reserve(qsizetype(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ReadOutcome::Unreadable;
        }
        if (data.size() + n > LargestShownFile) // grew while being read
            return ReadOutcome::TooLarge;
        data.append(buffer, n);
    }
    out = std::move(data);
    return ReadOutcome::Read;
}

} // namespace

// Reads the whole file on a thread of its own and waits for it at most ReadTimeLimitMs, drawing
// the window meanwhile (the user's input waits until the read is over). Even a non-blocking open
// can hang on a network share that stopped answering; the thread is then left to finish on its
// own and the window goes on.
ReadOutcome fileread::readFile(const QString &path, QByteArray &out)
{
    struct Job {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        ReadOutcome outcome = ReadOutcome::Unreadable;
        QByteArray data;
    };
    auto job = std::make_shared<Job>();
    try {
        std::thread([job, native = QFile::encodeName(path)] {
            QByteArray data;
            const ReadOutcome outcome = readNow(native, data);
            const std::lock_guard<std::mutex> lock(job->mutex);
            job->data = std::move(data);
            job->outcome = outcome;
            job->done = true;
            job->finished.notify_all();
        }).detach();
    } catch (const std::system_error &) {
        return readNow(QFile::encodeName(path), out); // no thread to be had: read it here
    }
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(job->mutex);
            if (job->finished.wait_for(
                    lock, std::chrono::milliseconds(20), [&job] { return job->done; })) {
                out = std::move(job->data);
                return job->outcome;
            }
        }
        if (waited.elapsed() >= ReadTimeLimitMs)
            return ReadOutcome::NoAnswer;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    }
}

} // namespace vela
