// The report engine: a template file read under lock, its queries run on the engine's own
// connection, the record's values put into the template's body, and the result laid out as a
// rich-text document on the printer's or the PDF file's page.
#include "ReportEngine.h"
#include "shared/DataEnvironment.h"
#include "shared/FileRead.h"
#include "shared/Jalali.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/Barcode.h"
#include "suite/OrvoControls.h"
#include "suite/SuiteFont.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextObjectInterface>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vela {

using namespace report;

namespace {

ReportEngine::PreviewHook &previewHook()
{
    static ReportEngine::PreviewHook hook;
    return hook;
}

QString systemText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// The template file, opened for reading and writing and locked for as long as the engine works
// on it; see ReportEngine.h for why a template it may not write cannot be used.
class TemplateFile {
public:
    explicit TemplateFile(const QString &path) : m_path(path)
    {
        if (path.trimmed().isEmpty())
            throw VelaError(
                QStringLiteral("نام فایل قالب گزارش داده نشده است."), ErrTemplateUnreadable);
        m_fd = ::open(
            QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0) {
            const int err = errno;
            if (err == EACCES || err == EPERM || err == EROFS || err == ETXTBSY)
                throw inUse(QStringLiteral("اجازه نوشتن در آن نیست (%1)").arg(systemText(err)));
            if (err == ENOENT)
                throw VelaError(QStringLiteral("فایل قالب گزارش «%1» وجود ندارد.").arg(path),
                    ErrTemplateUnreadable);
            throw VelaError(
                QStringLiteral("فایل قالب گزارش «%1» باز نشد: %2").arg(path, systemText(err)),
                ErrTemplateUnreadable);
        }
        struct stat st;
        if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))
            throw VelaError(
                QStringLiteral("«%1» فایل قالب گزارش نیست.").arg(path), ErrTemplateUnreadable);
        // A file marked read-only is kept so by its owner, whoever may write it anyway (root).
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            throw inUse(QStringLiteral("فایل فقط‌خواندنی است"));
        if (st.st_size > LargestTemplate)
            throw VelaError(
                QStringLiteral(
                    "فایل قالب گزارش «%1» بزرگ‌تر از %2 مگابایت است.")
                    .arg(path)
                    .arg(LargestTemplate / (1024 * 1024)),
                ErrTemplateUnreadable);
        if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK)
                throw inUse(QStringLiteral(
                    "چاپ دیگری همین حالا آن را به کار می‌برد"));
            throw VelaError(
                QStringLiteral("فایل قالب گزارش «%1» قفل نشد: %2").arg(path, systemText(errno)),
                ErrTemplateUnreadable);
        }
        // The printer is recorded through a new file put in place of the old one.
        const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
        if (::access(folder.constData(), W_OK) != 0)
            throw inUse(QStringLiteral("اجازه نوشتن در پوشه آن نیست"));
        m_mode = st.st_mode & 07777;
    }
    ~TemplateFile()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    TemplateFile(const TemplateFile &) = delete;
    TemplateFile &operator=(const TemplateFile &) = delete;

    QString text() const
    {
        QByteArray bytes;
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n == 0)
                break;
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                throw VelaError(QStringLiteral("فایل قالب گزارش «%1» خوانده نشد: %2")
                                    .arg(m_path, systemText(errno)),
                    ErrTemplateUnreadable);
            }
            bytes.append(buffer, n);
            if (bytes.size() > LargestTemplate)
                throw VelaError(
                    QStringLiteral("فایل قالب گزارش «%1» بیش از اندازه بزرگ است.").arg(m_path),
                    ErrTemplateUnreadable);
        }
        return QString::fromUtf8(bytes);
    }

    // Puts `text` in place of the file as a whole: a failure leaves the old file as it was.
    bool rewrite(const QString &text) const
    {
        QSaveFile out(m_path);
        if (!out.open(QIODevice::WriteOnly))
            return false;
        const QByteArray bytes = text.toUtf8();
        if (out.write(bytes) != bytes.size() || !out.commit())
            return false;
        ::chmod(QFile::encodeName(m_path).constData(), m_mode);
        return true;
    }

private:
    static constexpr qint64 LargestTemplate = qint64(4) * 1024 * 1024;

    VelaError inUse(const QString &reason) const
    {
        return VelaError(
            QStringLiteral(
                "قالب گزارش «%1» در جای خود به کار نمی‌رود: %2.")
                .arg(m_path, reason),
            ErrTemplateInUse);
    }

    QString m_path;
    int m_fd = -1;
    mode_t m_mode = 0644;
};

// Draws what stands in a report in place of an image: a barcode as vectors, or nothing at all (a
// picture the record does not have, so that its frame stays empty). Each such object also has an
// image resource of its name, which gives it the size an <img> of that name would have.
class ReportObjects : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    static constexpr int Type = QTextFormat::UserObject + 0x5652; // "VR"
    QHash<QString, barcode::Symbol> symbols; // by image name; a null symbol draws nothing

    QSizeF intrinsicSize(QTextDocument *doc, int pos, const QTextFormat &format) override
    {
        QTextObjectInterface *images
            = doc->documentLayout()->handlerForObject(QTextFormat::ImageObject);
        if (images)
            return images->intrinsicSize(doc, pos, format);
        return QSizeF(format.doubleProperty(QTextFormat::ImageWidth),
            format.doubleProperty(QTextFormat::ImageHeight));
    }
    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *, int,
        const QTextFormat &format) override
    {
        barcode::paint(*painter, rect, symbols.value(format.toImageFormat().name()));
    }
};

// A 1 x 1 transparent picture: the size source of an object that draws nothing.
QImage blankImage()
{
    QImage image(1, 1, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QString htmlText(const QString &text)
{
    QString html = text.toHtmlEscaped();
    html.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
    html.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    html.replace(QLatin1Char('\r'), QLatin1String("<br>"));
    return html;
}

QString applyFormat(const QString &text, const QString &format)
{
    if (format == QLatin1String("amount"))
        return text.isEmpty() ? text : OrvoCurrency::grouped(text);
    if (format == QLatin1String("digits"))
        return jalali::toPersianDigits(text);
    if (format.startsWith(QLatin1String("max:"))) {
        const qsizetype most = QStringView(format).mid(4).trimmed().toInt();
        if (text.size() <= most)
            return text;
        // Cut between characters as a reader sees them, never inside a surrogate pair.
        qsizetype end = most - 1;
        if (end > 0 && text.at(end - 1).isHighSurrogate())
            --end;
        return text.left(end).trimmed() + QChar(0x2026);
    }
    if (format == QLatin1String("date")) {
        static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})"));
        const QRegularExpressionMatch m = iso.match(text);
        return m.hasMatch()
            ? m.captured(1) + QLatin1Char('/') + m.captured(2) + QLatin1Char('/') + m.captured(3)
            : text;
    }
    return text;
}

// Runs one query of the template; a database failure names the template and the query's line.
void runTemplateQuery(const Template &tmpl, Recordset &rs, const QString &sql, int line,
    const QHash<QString, QString> &formulas)
{
    const QString statement = tmpl.bindFormulas(sql, line, formulas);
    try {
        RunQuery(rs, statement);
    } catch (const VelaError &e) {
        tmpl.fail(line,
            QStringLiteral("پرس‌وجوی قالب اجرا نشد: %1").arg(e.description()),
            ErrQuery);
    }
}

// The first row of the picture query as a picture; a null image when there is none, or it is
// not a picture, or its file cannot be read in time (the attachment viewer's guarded read).
QImage firstPicture(Recordset &rs)
{
    if (rs.RecordCount() < 1)
        return QImage();
    const ResultTable &t = rs.table();
    auto column = [&t](const char *name) { return t.columnIndex(QLatin1String(name)); };
    const int external = column("isExternal"), media = column("MediaPath"),
              data = column("FileData");
    QByteArray bytes;
    if (external >= 0 && !t.isNull(0, external) && t.value(0, external).toBool()) {
        if (media < 0 || t.isNull(0, media)
            || fileread::readFile(t.text(0, media), bytes) != fileread::ReadOutcome::Read)
            return QImage();
    } else if (data >= 0 && !t.isNull(0, data)) {
        bytes = t.value(0, data).toByteArray();
    }
    QImage image;
    image.loadFromData(bytes);
    return image;
}

} // namespace

// ---------------------------------------------------------------- the rendered report

ReportDocument::ReportDocument() = default;
ReportDocument::~ReportDocument() = default;

void ReportDocument::print(QPagedPaintDevice *device)
{
    QPainter painter;
    if (!device || !painter.begin(device))
        throw VelaError(QStringLiteral("چاپگر یا فایل گزارش آماده نوشتن نیست."), ErrOutput);
    // Laid out on the device itself: its page in its own pixels, fonts measured at its
    // resolution; sizes written in pixels in the template are CSS pixels, 1/96 inch.
    const QRect page = device->pageLayout().paintRectPixels(device->logicalDpiY());
    m_document.documentLayout()->setPaintDevice(device);
    m_document.setPageSize(page.size());
    const int pages = m_document.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !device->newPage()) {
            painter.end();
            throw VelaError(
                QStringLiteral("صفحه تازه‌ای برای گزارش باز نشد."),
                ErrOutput);
        }
        painter.save();
        painter.translate(0, -i * page.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, i * page.height(), page.width(), page.height());
        context.palette.setColor(QPalette::Text, Qt::black); // paper is white in any theme
        painter.setClipRect(context.clip);
        m_document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    painter.end();
}

void ReportDocument::writePdf(const QString &path)
{
    // Written beside the file and put in its place at the end: a failure leaves no half PDF.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw VelaError(
            QStringLiteral("فایل PDF «%1» ساخته نشد: %2").arg(path, file.errorString()), ErrOutput);
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("vela-asset"));
        writer.setPageLayout(pageLayout);
        print(&writer);
    }
    if (!file.commit())
        throw VelaError(
            QStringLiteral("فایل PDF «%1» نوشته نشد: %2").arg(path, file.errorString()), ErrOutput);
}

// ---------------------------------------------------------------- the engine

ReportEngine::ReportEngine(QObject *parent) : QObject(parent)
{
}

ReportEngine::~ReportEngine() = default;

void ReportEngine::setPreviewHook(PreviewHook hook)
{
    previewHook() = std::move(hook);
}

void ReportEngine::Connect(const QVariant &connection)
{
    QString text = connection.toString();
    if (text.isEmpty())
        text = m_connectionString;
    if (text.isEmpty())
        throw VelaError(
            QStringLiteral(
                "رشته اتصال گزارش خالی است؛ گزارش به پایگاه داده‌ای وصل نیست."),
            ErrNotConnected);
    auto env = std::make_unique<DataEnvironment>();
    env->cn().setConnectionString(text);
    env->cn().open();
    m_env = std::move(env);
}

QVariant ReportEngine::SetFormula(int index, const QString &formula)
{
    static const QRegularExpression form(QStringLiteral("^\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*=(.*)$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = form.match(formula);
    if (!m.hasMatch())
        throw VelaError(QStringLiteral("فرمول «%1» به شکل «نام = مقدار» نیست.").arg(formula),
            ErrTemplateSyntax);
    m_formulas.insert(index, {m.captured(1), m.captured(2).trimmed()});
    return QVariant();
}

void ReportEngine::ShowReport(const QVariant &destination)
{
    Q_UNUSED(destination); // 1, the preview window: the only destination there is
    if (!m_env)
        throw VelaError(QStringLiteral("گزارش پیش از اتصال به پایگاه داده (Connect) خواسته شد."),
            ErrNotConnected);
    const TemplateFile file(m_reportFileName);
    const QString text = file.text();
    const Template tmpl = Template::parse(m_reportFileName, text);
    ReportDocument report;
    render(tmpl, report);
    if (!m_outputFile.isEmpty()) {
        report.writePdf(m_outputFile);
        return;
    }
    if (previewHook()) {
        previewHook()(report);
        return;
    }
    const QString printer = preview(report, tmpl.printer);
    // Remembering the printer is a convenience: the report is printed whether it is kept or not.
    if (!printer.isEmpty() && printer != tmpl.printer)
        file.rewrite(withPrinter(text, printer));
}

void ReportEngine::render(const Template &tmpl, ReportDocument &out)
{
    QHash<QString, QString> formulas;
    QList<int> indexes = m_formulas.keys();
    std::sort(indexes.begin(), indexes.end());
    for (int i : indexes)
        formulas.insert(m_formulas.value(i).first, m_formulas.value(i).second);

    Recordset &record = m_env->recordset(QStringLiteral("rsReport"));
    Recordset &pictures = m_env->recordset(QStringLiteral("rsReportPicture"));
    struct Closer {
        Recordset &a, &b;
        ~Closer()
        {
            a.Close();
            b.Close();
        }
    } closer {record, pictures};

    runTemplateQuery(tmpl, record, tmpl.query, tmpl.queryLine, formulas);
    const ResultTable &table = record.table();
    for (const Field &f : tmpl.fields)
        if (f.name.compare(PictureField, Qt::CaseInsensitive) != 0 && table.columnIndex(f.name) < 0)
            tmpl.fail(f.line,
                QStringLiteral(
                    "ستون «%1» در نتیجه پرس‌وجوی قالب نیست.")
                    .arg(f.name),
                ErrUnknownField);
    QImage picture;
    if (!tmpl.pictureQuery.isEmpty()) {
        runTemplateQuery(tmpl, pictures, tmpl.pictureQuery, tmpl.pictureLine, formulas);
        picture = firstPicture(pictures);
    }
    const bool hasRow = record.RecordCount() > 0;

    auto objects = std::make_unique<ReportObjects>();
    QHash<QString, QImage> images;
    const QString pictureName = QStringLiteral("vela-report:picture");
    if (picture.isNull())
        objects->symbols.insert(pictureName, barcode::Symbol());
    images.insert(pictureName, picture.isNull() ? blankImage() : picture);

    int serial = 0;
    const QString html = tmpl.expand([&](const Field &f) -> QString {
        if (f.name.compare(PictureField, Qt::CaseInsensitive) == 0)
            return pictureName;
        const int col = table.columnIndex(f.name);
        QString text = hasRow && !table.isNull(0, col) ? table.text(0, col) : QString();
        for (const QString &format : f.formats) {
            if (format == QLatin1String("qr") || format == QLatin1String("code128")) {
                const barcode::Symbol symbol = barcode::encode(
                    format == QLatin1String("qr") ? barcode::Kind::Qr : barcode::Kind::Code128,
                    text);
                const QString name = QStringLiteral("vela-report:code%1").arg(++serial);
                objects->symbols.insert(name, symbol);
                images.insert(name, symbol.isNull() ? blankImage() : barcode::image(symbol, 1));
                return name;
            }
            text = applyFormat(text, format);
        }
        return htmlText(text);
    });

    QTextDocument &doc = out.m_document;
    doc.setUseDesignMetrics(true);
    doc.setDocumentMargin(0);
    QFont font = suiteFont();
    font.setPointSizeF(tmpl.fontSize);
    doc.setDefaultFont(font);
    QTextOption option = doc.defaultTextOption();
    option.setTextDirection(Qt::RightToLeft);
    doc.setDefaultTextOption(option);
    doc.setHtml(html);
    for (auto it = images.cbegin(); it != images.cend(); ++it)
        doc.addResource(QTextDocument::ImageResource, QUrl(it.key()), it.value());

    // Barcodes and empty picture frames: their <img> become objects that ReportObjects draws.
    struct Span {
        int position, length;
        QTextImageFormat format;
    };
    QList<Span> spans;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat() && objects->symbols.contains(format.toImageFormat().name()))
                spans.append({fragment.position(), fragment.length(), format.toImageFormat()});
        }
    for (Span &span : spans) {
        QTextCursor cursor(&doc);
        cursor.setPosition(span.position);
        cursor.setPosition(span.position + span.length, QTextCursor::KeepAnchor);
        span.format.setObjectType(ReportObjects::Type);
        cursor.setCharFormat(span.format);
    }
    doc.documentLayout()->registerHandler(ReportObjects::Type, objects.get());
    out.m_objects = std::move(objects);
    out.title = tmpl.title.isEmpty() ? QFileInfo(tmpl.fileName).completeBaseName() : tmpl.title;
    out.templatePath = tmpl.fileName;
    out.pageLayout = tmpl.pageLayout;
}

QString ReportEngine::preview(ReportDocument &report, const QString &lastPrinter)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(report.title);
    if (!lastPrinter.isEmpty() && !QPrinterInfo::printerInfo(lastPrinter).isNull())
        printer.setPrinterName(lastPrinter);
    printer.setPageLayout(report.pageLayout);

    QPrintPreviewDialog dialog(&printer, QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    applySuiteLook(&dialog);
    dialog.setWindowTitle(report.title);
    std::exception_ptr failure;
    connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *target) {
        try {
            report.print(target);
        } catch (...) {
            failure = std::current_exception();
            QMetaObject::invokeMethod(&dialog, &QDialog::reject, Qt::QueuedConnection);
        }
    });
    dialog.resize(900, 700);
    const int result = dialog.exec();
    if (failure)
        std::rethrow_exception(failure);
    if (result == QDialog::Accepted && printer.outputFormat() == QPrinter::NativeFormat)
        return printer.printerName();
    return QString();
}

} // namespace vela

#include "ReportEngine.moc"
