// Printing the entry form's record: the print button, the printing routine and the same
// printing straight into a PDF file for hosts and scripts.
#include "FormMainPrint.h"
#include "EntryTexts.h"
#include "FormMain.h"
#include "printing/FormPrint.h"
#include "printing/PrintTexts.h"
#include "shared/Roles.h"
#include "shared/TempFiles.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/ComponentRegistry.h"
#include "suite/OrvoControls.h"
#include "suite/ReportEngine.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>

namespace vela {

namespace {

// The number of a failure that carries none of its own (the classic "internal error").
constexpr int InternalError = 51;

// A template file is used where a regular file (or a link to one) stands.
bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

// The stored path as it is when a file stands there, else under the install directory, which is
// a prefix: the suite's base paths end in their separator.
QString completeTemplatePath(const FormMain &form, const QString &stored)
{
    return fileExists(stored) ? stored : form.InstallDirectory + stored;
}

struct EngineOutcome {
    int number = 0;
    QString description;
};

EngineOutcome showReport(ReportEngine &engine)
{
    try {
        engine.ShowReport(QVariant::fromValue(qint16(1)));
        return {};
    } catch (const VelaError &e) {
        return {e.number() != 0 ? e.number() : InternalError, e.description()};
    } catch (...) {
        return {InternalError, currentFailureText()};
    }
}

// A private copy of the template in the temporary folder, named as the attachment viewer names
// its files but ending in ".rpt". It is created new: a name that is taken is never written
// through, another one is drawn instead.
QString copyTemplate(FormMain &form, const QString &source, tempfiles::OwnFiles &copies)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw VelaError(QStringLiteral("قالب گزارش «%1» برای ساختن رونوشت خوانده نشد: %2")
                            .arg(source, in.errorString()));
    const QByteArray bytes = in.readAll();
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString path;
        if (form.NewTempFilePath(path).isEmpty())
            throw VelaError(
                QStringLiteral("پوشه فایل‌های موقت در دسترس نیست."));
        // The generated name ends in a three-letter extension, which becomes "rpt".
        path = path.left(path.size() - 3) + texts::TemplateCopyExtension.toString();
        if (tempfiles::writeNewFile(path, bytes)) {
            copies.add(path);
            return path;
        }
    }
    throw VelaError(QStringLiteral("فایل موقت تازه‌ای ساخته نشد."));
}

// Hands the template to the report engine and renders it; a template the engine cannot use where
// it lies is rendered from a private copy. Failures before the rendering propagate; those of the
// rendering come back as the outcome. The engine is released, the pointer restored and the copy
// removed before it returns.
EngineOutcome runReport(
    FormMain &form, const QString &templatePath, const QString &id, const QString &pdfFile)
{
    tempfiles::OwnFiles copies;
    WaitCursor wait;
    std::unique_ptr<ReportEngine> engine = ComponentRegistry::instance().createAs<ReportEngine>(
        QString::fromLatin1(ReportEngine::ProgId));
    if (!engine)
        throw VelaError(QStringLiteral("جزء «%1» ثبت شده موتور گزارش نیست.")
                            .arg(QLatin1String(ReportEngine::ProgId)),
            ErrTypeMismatch);
    if (!pdfFile.isEmpty())
        engine->setOutputFile(pdfFile);
    engine->setReportFileName(templatePath);
    engine->setConnectionString(CurrentConnectionString);
    engine->Connect(CurrentConnectionString);
    engine->SetFormula(1, texts::FormulaStart.toString() + id);

    EngineOutcome outcome = showReport(*engine);
    if (outcome.number == report::ErrTemplateInUse) {
        const QString copy = copyTemplate(form, engine->ReportFileName(), copies);
        engine->setReportFileName(copy);
        engine->Connect(CurrentConnectionString);
        // The user asked for the report: the copy is rendered.
        outcome = showReport(*engine);
    }
    return outcome;
}

} // namespace

void PreviewCommand(FormMain &form)
{
    RunCommand(texts::TitleError.toString(), [&form] {
        if (!HasPermission(roles::Preview)) {
            ShowMessage(texts::TitleError.toString(), texts::NotAllowed.toString());
            return;
        }
        const QPointer<OrvoButton> button = form.cmdPreview;
        button->setEnabled(false);
        const auto enable = qScopeGuard([button] {
            if (button)
                button->setEnabled(true);
        });
        PrintRecord(form);
    });
}

void PrintRecord(FormMain &form)
{
    FormPrint &chooser = FormPrint::instance();
    chooser.DocumnetID = FormMain::FormTypeID;
    if (LoadReportTemplates(&chooser)) {
        // Closing the chooser without choosing prints nothing, rather than the template chosen
        // the time before.
        chooser.ReportFileName.clear();
        chooser.exec();
    }
    if (chooser.ReportFileName.isEmpty())
        return;
    chooser.ReportFileName = completeTemplatePath(form, chooser.ReportFileName);
    if (!fileExists(chooser.ReportFileName)) {
        ShowMessage(texts::TitleInvalid.toString(),
            texts::MissingTemplateStart.toString() + chooser.ReportFileName
                + texts::MissingTemplateEnd.toString());
        return;
    }
    // The record's number as written in txtID, 0 for an empty form.
    const QString idText = form.txtID->text();
    const QString id
        = idText.trimmed().isEmpty() ? QStringLiteral("0") : NumberText(ToNumber(idText));
    const EngineOutcome outcome = runReport(form, chooser.ReportFileName, id, QString());
    if (outcome.number != 0)
        ShowMessage(texts::EngineErrorTitleStart.toString() + QString::number(outcome.number),
            outcome.description);
}

void PrintRecordToPdf(qint32 id, const QString &templateName, const QString &pdfFile)
{
    if (pdfFile.trimmed().isEmpty())
        throw VelaError(QStringLiteral("نام فایل PDF گزارش داده نشده است."));
    if (!HasPermission(roles::Preview))
        throw VelaError(texts::HostRefusalStart.toString() + QString::number(roles::Preview)
            + texts::HostRefusalEnd.toString());
    FormMain &form = FormMain::instance(); // its start-up reads the install directory

    Recordset &record = DtEn().rssqlCommon();
    RunQuery(record, texts::LoadSql.toString() + QString::number(id));
    const bool recordFound = record.RecordCount() > 0;
    record.Close();
    if (!recordFound)
        throw VelaError(QStringLiteral("رکورد استقرار شماره %1 یافت نشد.").arg(id));

    // The template: by title (as the list shows it, Yeh and Kaf in either form), by the path
    // stored for it, or by that path's file name.
    Recordset &rs = DtEn().rssqlReportTemplates();
    RunQuery(rs, texts::TemplatesOfFormSql.toString() + QString::number(FormMain::FormTypeID));
    QStringList titles, matches;
    for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext()) {
        const QString title = rs.FieldText(QStringLiteral("Title"));
        const QString path = rs.FieldText(QStringLiteral("FilePath"));
        titles << title;
        if (foldForLookup(title) == foldForLookup(templateName) || path == templateName
            || (!path.isEmpty() && QFileInfo(path).fileName() == templateName))
            matches << path;
    }
    rs.Close();
    if (matches.isEmpty())
        throw VelaError(QStringLiteral(
            "قالب گزارش «%1» برای فرم استقرار تعریف نشده است. قالب‌ها: %2")
                            .arg(templateName, titles.join(QStringLiteral("، "))));
    if (matches.size() > 1)
        throw VelaError(QStringLiteral(
            "نام «%1» بر بیش از یک قالب گزارش می‌خورد؛ عنوان کامل یا مسیر فایل قالب را بدهید.")
                            .arg(templateName));
    if (matches.first().trimmed().isEmpty())
        throw VelaError(QStringLiteral("برای قالب «%1» فایلی ثبت نشده است.").arg(templateName));

    const QString path = completeTemplatePath(form, matches.first());
    if (!fileExists(path))
        throw VelaError(
            texts::MissingTemplateStart.toString() + path + texts::MissingTemplateEnd.toString());
    const EngineOutcome outcome = runReport(form, path, QString::number(id), pdfFile);
    if (outcome.number != 0)
        throw VelaError(outcome.description, outcome.number);
}

} // namespace vela
