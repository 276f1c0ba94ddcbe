// The entry form's attachment viewer: one attachment of the record at a time in picProduct,
// stepped through with the buttons under it. Stored attachments are written to new temporary
// files first, which go when the form does; external ones are shown from their own path, read so
// that no file can hold the window (a pipe, a device, a network share that stopped answering).
#include "FileRead.h"
#include "TempFiles.h"
#include "entry/EntryTexts.h"
#include "entry/FormMain.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/ComponentRegistry.h"
#include "suite/OrvoControls.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace vela {

// ---------------------------------------------------------------- temporary files

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

namespace {

using namespace fileread;

// What the user is told about a file that is not shown; empty for the silent cases (nothing
// there, or no right to read it).
QString refusalText(ReadOutcome outcome, const QString &path)
{
    switch (outcome) {
    case ReadOutcome::NotAFile:
        return QStringLiteral(
            "پیوست «%1» فایل نیست (پوشه، لوله یا دستگاه است) و نمایش داده "
            "نمی‌شود. مسیر پیوست را در ویرایشگر پیوست‌ها اصلاح کنید.")
            .arg(path);
    case ReadOutcome::TooLarge:
        return QStringLiteral(
            "فایل پیوست «%1» بزرگ‌تر از %2 مگابایت است و نمایش داده نمی‌شود.")
            .arg(path)
            .arg(LargestShownFile / (1024 * 1024));
    case ReadOutcome::NoAnswer:
        return QStringLiteral("فایل پیوست «%1» پس از %2 ثانیه هنوز خوانده نشده است؛ شاید پوشه "
                              "اشتراکی شبکه در دسترس نیست. اتصال شبکه را بررسی کنید و سپس دکمه "
                              "شماره پیوست را برای خواندن دوباره بزنید.")
            .arg(path)
            .arg(ReadTimeLimitMs / 1000);
    default:
        return QString();
    }
}

} // namespace

QString FormMain::NewTempFilePath(QString &outPath)
{
    // tempPath() is empty when the folder named by TMPDIR does not exist.
    const QString path = QDir::tempPath();
    QString folder = path;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    tempFolder = folder;
    if (path.isEmpty() || !QFileInfo(folder).isDir())
        return QString();
    // A name that is taken is cleared away and another one drawn; a bound keeps a folder full
    // of undeletable names from holding the form forever.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        outPath = folder + tempfiles::randomTempName();
        if (!tempfiles::pathExists(outPath))
            return outPath;
        // Removing a name needs no write right on the file itself, also when it is read-only;
        // a link is removed as a link, never followed (changing its mode would change what it
        // points to).
        ::unlink(QFile::encodeName(outPath).constData());
    }
    return QString();
}

// ---------------------------------------------------------------- loading one attachment

QString FormMain::LoadAttachmentFile(qint32 formTypeId, qint32 formId, qint16 rowNumber)
{
    Recordset &rs = DtEn().rssqlAccountManager();
    RunQuery(rs,
        texts::AttachmentSql1.toString() + QString::number(formTypeId)
            + texts::AttachmentSql2.toString() + QString::number(formId)
            + texts::AttachmentSql3.toString() + QString::number(rowNumber));
    struct Closer {
        Recordset &rs;
        ~Closer()
        {
            if (rs.State() == Recordset::adStateOpen)
                rs.Close();
        }
    } closer {rs};

    if (rs.RecordCount() < 1)
        return QString();

    if (!rs.FieldIsNull(QStringLiteral("isExternal"))
        && rs.Field(QStringLiteral("isExternal")).toBool())
        return rs.FieldText(QStringLiteral("MediaPath"));

    // A stored attachment. An extension that is not a plain one (a path, "..", odd characters)
    // could move the file out of the temporary folder, so it counts as none.
    QString extension;
    if (!rs.FieldIsNull(QStringLiteral("FileExtension"))) {
        extension = rs.FieldText(QStringLiteral("FileExtension"));
        if (!tempfiles::isPlainExtension(extension))
            extension.clear();
    }
    const QByteArray data = rs.FieldIsNull(QStringLiteral("FileData"))
        ? QByteArray()
        : rs.Field(QStringLiteral("FileData")).toByteArray();

    // The file is created exclusively; should another file take the name between the check and
    // the creation, a new name is drawn.
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString path;
        if (NewTempFilePath(path).isEmpty())
            throw VelaError(
                QStringLiteral("پوشه فایل‌های موقت در دسترس نیست."));
        if (!extension.isEmpty()) {
            const QFileInfo info(path);
            QString base = info.fileName();
            const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
            if (dot >= 0)
                base.truncate(dot);
            path = info.path() + QLatin1Char('/') + base + QLatin1Char('.') + extension;
        }
        if (tempfiles::writeNewFile(path, data)) {
            m_ownTempFiles.add(path);
            return path;
        }
    }
    throw VelaError(QStringLiteral("فایل موقت تازه‌ای ساخته نشد."));
}

void FormMain::ShowAttachment(qint32 formId, qint16 rowNumber)
{
    // A failure here changes nothing on the screen. Only a file that cannot be shown for a reason
    // the user can act on (not a file, too large, not answering) is reported.
    QString refusal;
    {
        WaitCursor wait;
        QString path;
        try {
            path = LoadAttachmentFile(FormTypeID, formId, rowNumber);
        } catch (...) {
            path.clear();
        }
        if (path.isEmpty())
            return;
        m_picture = QPixmap();
        picProduct->clear();
        QByteArray bytes;
        const ReadOutcome outcome = readFile(path, bytes);
        QPixmap picture;
        // The content decides the format; the extension only helps formats without a signature.
        if (outcome == ReadOutcome::Read
            && (picture.loadFromData(bytes)
                || picture.loadFromData(bytes, QFileInfo(path).suffix().toLatin1().constData()))) {
            m_picture = picture;
            picProduct->setPixmap(picture);
        }
        cmdRefreshPicture->setCaption(QString::number(rowNumber));
        refusal = refusalText(outcome, path);
    }
    if (!refusal.isEmpty()) {
        try {
            ShowMessage(texts::TitleProblem.toString(), refusal);
        } catch (...) {
        }
    }
}

QPixmap FormMain::currentPicture() const
{
    return m_picture;
}

// ---------------------------------------------------------------- buttons

qint32 FormMain::currentRowNumber() const
{
    const qint32 n = ToInt32(ToNumber(cmdRefreshPicture->Caption()));
    if (n < -32768 || n > 32767)
        throw VelaError(
            QStringLiteral("سرریز: شماره ردیف پیوست بزرگتر از حد مجاز است."), ErrOverflow);
    return n;
}

void FormMain::cmdRight_Click()
{
    guarded([this] {
        const qint32 n = currentRowNumber();
        if (n < 32767) // the last 16-bit row number has no next one
            ShowAttachment(currentRecordID(), qint16(n + 1));
    });
}

void FormMain::cmdLeft_Click()
{
    guarded([this] {
        const qint32 n = currentRowNumber();
        if (n - 1 > 0)
            ShowAttachment(currentRecordID(), qint16(n - 1));
    });
}

void FormMain::cmdRefreshPicture_Click()
{
    guarded([this] { ShowAttachment(currentRecordID(), qint16(currentRowNumber())); });
}

namespace {

// The editor is reached by member name, as the suite's components always were; a member it
// lacks is a failure of the call.
void setMember(QObject *o, const char *name, const QVariant &value)
{
    if (o->metaObject()->indexOfProperty(name) < 0 || !o->setProperty(name, value))
        throw VelaError(
            QStringLiteral("عضو «%1» در ویرایشگر پیوست‌ها نیست.")
                .arg(QLatin1String(name)),
            438);
}

} // namespace

void FormMain::cmdEditPicture_Click()
{
    guarded([this] {
        const QVariant id = ToNumber(txtID->text());
        if (id.toDouble() <= 0) {
            ShowMessage(texts::TitleProblem.toString(), texts::NoRecordForEditor.toString());
            return;
        }
        std::unique_ptr<QObject> editor;
        try {
            editor = ComponentRegistry::instance().create(QStringLiteral("AttachmentEditor"));
        } catch (const VelaError &e) {
            if (e.number() == ErrNotRegistered)
                return; // the suite has no attachment editor installed
            throw;
        }
        setMember(editor.get(), "OLEConnectionString", CurrentConnectionString);
        setMember(editor.get(), "ConnectionString", CurrentConnectionString);
        setMember(editor.get(), "UserID", CurrentUserID);
        setMember(editor.get(), "FormTypeID", FormTypeID);
        setMember(editor.get(), "FormID", id);
        if (!QMetaObject::invokeMethod(editor.get(), "ShowAttachments", Qt::DirectConnection))
            throw VelaError(
                QStringLiteral(
                    "عضو «ShowAttachments» در ویرایشگر پیوست‌ها نیست."),
                438);
    });
}

} // namespace vela
