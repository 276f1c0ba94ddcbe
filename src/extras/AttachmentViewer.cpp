// The attachment viewer. External attachments are read so that no file can hold the window (a
// pipe, a device, a network share that stopped answering).
#include "AttachmentViewer.h"
#include "ExtrasTexts.h"
#include "shared/FileRead.h"
#include "shared/Roles.h"
#include "shared/Session.h"
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
#include <QResizeEvent>

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

using namespace fileread;

namespace {

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

// ---------------------------------------------------------------- the viewer

AttachmentViewer::AttachmentViewer(QWidget *parent, std::function<QVariant()> recordId)
    : QWidget(parent), m_recordId(std::move(recordId))
{
    setObjectName(QStringLiteral("AttachmentViewer"));
    // Its own geometry in the form, twips: from cmdLeft's left edge to cmdEditPicture's right
    // one, from the picture's top to the buttons' bottom.
    constexpr double Left = 9435, Top = 435, ButtonTop = 4830 - Top;
    m_width = 12315 - Left;
    m_height = 5220 - Top;

    picProduct = new QLabel(this);
    picProduct->setObjectName(QStringLiteral("picProduct"));
    picProduct->setScaledContents(true); // stretched to fill, aspect ratio not kept
    picProduct->setFrameShape(QFrame::Box);
    picProduct->setForegroundRole(QPalette::Mid);
    placeTwips(picProduct, 9450 - Left, 0, 2850, 4335);

    auto button
        = [this](OrvoButton *&b, const char *name, QStringView caption, double left, double width) {
              b = new OrvoButton(caption.toString(), this);
              b->setObjectName(QLatin1String(name));
              b->setAutoDefault(false);
              placeTwips(b, left - Left, ButtonTop, width, 390);
          };
    button(cmdLeft, "cmdLeft", texts::PreviousCaption, 9435, 600);
    button(cmdRefreshPicture, "cmdRefreshPicture", texts::FirstRowCaption, 10035, 945);
    button(cmdRight, "cmdRight", texts::NextCaption, 10965, 630);
    button(cmdEditPicture, "cmdEditPicture", texts::EditorCaption, 11580, 735);
    placeTwips(this, Left, Top, m_width, m_height);

    connect(cmdLeft, &QPushButton::clicked, this, &AttachmentViewer::cmdLeft_Click);
    connect(cmdRight, &QPushButton::clicked, this, &AttachmentViewer::cmdRight_Click);
    connect(
        cmdRefreshPicture, &QPushButton::clicked, this, &AttachmentViewer::cmdRefreshPicture_Click);
    connect(cmdEditPicture, &QPushButton::clicked, this, &AttachmentViewer::cmdEditPicture_Click);
}

// The picture takes the whole change of size; the buttons a quarter of the change of width each,
// the one at place k from the left moving right by k quarters, and all of the change of height
// downwards.
void AttachmentViewer::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    applyLayout();
}

void AttachmentViewer::applyLayout()
{
    const QRectF r = twipsGeometry(this);
    const double dW = r.width() - m_width, dH = r.height() - m_height;
    if (dW == 0 && dH == 0)
        return;
    ShiftControl(picProduct, dW, 0, dH, 0);
    const OrvoButton *const buttons[] = {cmdLeft, cmdRefreshPicture, cmdRight, cmdEditPicture};
    for (int k = 0; k < 4; ++k)
        ShiftControl(const_cast<OrvoButton *>(buttons[k]), dW / 4, k * dW / 4, 0, dH);
    m_width = r.width();
    m_height = r.height();
}

void AttachmentViewer::clearPicture()
{
    m_picture = QPixmap();
    picProduct->clear();
}

const Session &AttachmentViewer::session() const
{
    return m_session ? *m_session : Session::current();
}

qint32 AttachmentViewer::currentRecordID() const
{
    return ToInt32(m_recordId());
}

QString AttachmentViewer::NewTempFilePath(QString &outPath)
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

QString AttachmentViewer::LoadAttachmentFile(qint32 formTypeId, qint32 formId, qint16 rowNumber)
{
    Recordset &rs = session().dataEnvironment.rssqlAccountManager();
    RunQuery(rs,
        texts::AttachmentSql.toString() + QString::number(formTypeId) + texts::AndFormID.toString()
            + QString::number(formId) + texts::AndRowNumber.toString()
            + QString::number(rowNumber));
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

void AttachmentViewer::ShowAttachment(qint32 formId, qint16 rowNumber)
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
            logCurrentFailure("attachment"); // nothing to show: the screen stays as it is
            return;
        }
        if (path.isEmpty())
            return;
        clearPicture();
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
    if (!refusal.isEmpty())
        ShowMessage(texts::TitleProblem.toString(), refusal);
}

// ---------------------------------------------------------------- buttons

qint32 AttachmentViewer::currentRowNumber() const
{
    const qint32 n = ToInt32(ToNumber(cmdRefreshPicture->Caption()));
    if (n < -32768 || n > 32767)
        throw VelaError(
            QStringLiteral("سرریز: شماره ردیف پیوست بزرگتر از حد مجاز است."), ErrOverflow);
    return n;
}

void AttachmentViewer::cmdRight_Click()
{
    RunCommand(texts::TitleError.toString(), [this] {
        const qint32 n = currentRowNumber();
        if (n < 32767) // the last 16-bit row number has no next one
            ShowAttachment(currentRecordID(), qint16(n + 1));
    });
}

void AttachmentViewer::cmdLeft_Click()
{
    RunCommand(texts::TitleError.toString(), [this] {
        const qint32 n = currentRowNumber();
        if (n - 1 > 0)
            ShowAttachment(currentRecordID(), qint16(n - 1));
    });
}

void AttachmentViewer::cmdRefreshPicture_Click()
{
    RunCommand(texts::TitleError.toString(),
        [this] { ShowAttachment(currentRecordID(), qint16(currentRowNumber())); });
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

void AttachmentViewer::cmdEditPicture_Click()
{
    RunCommand(texts::TitleError.toString(), [this] {
        const QVariant id = m_recordId();
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
        setMember(editor.get(), "OLEConnectionString", session().connectionString);
        setMember(editor.get(), "ConnectionString", session().connectionString);
        setMember(editor.get(), "UserID", session().userID);
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
