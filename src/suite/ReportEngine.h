#pragma once
// The suite's report engine "ReportEngine": renders one record through a report template (see
// ReportTemplate.h) right to left, with Persian shaping, into a print preview window from which
// the user prints or saves a PDF. Created by name through the ComponentRegistry; a caller sets
// ReportFileName and ConnectionString, calls Connect, SetFormula(1, "fmlID = <id>") and
// ShowReport(1). Every failure is a VelaError whose number is one of report::ErrorNumber.
//
// The engine keeps the printer a template was last printed on in the template itself (its header's
// Printer line), so that a label template goes back to the label printer next time. A template
// the engine could not rewrite where it lies cannot be used there: ShowReport raises 20544
// (ErrTemplateInUse) when the file or its folder may not be written (no right to write, a file
// marked read-only, a read-only file system) or when another print holds the template (the engine
// holds an exclusive lock on the file while it renders). The caller then works on a private copy.
#include "suite/ReportTemplate.h"

#include <QHash>
#include <QObject>
#include <QPageLayout>
#include <QString>
#include <QTextDocument>
#include <QVariant>
#include <functional>
#include <memory>

class QPagedPaintDevice;

namespace vela {

class DataEnvironment;

// One rendered report: the laid-out document and its page. Prints on any paged device.
class ReportDocument {
public:
    ReportDocument();
    ~ReportDocument();
    ReportDocument(const ReportDocument &) = delete;
    ReportDocument &operator=(const ReportDocument &) = delete;

    QTextDocument &document() { return m_document; }
    QString title; // the template's title, else its file name
    QString templatePath; // the file it was made from
    QPageLayout pageLayout;

    // Lays the document out on the device's page and paints every page. Throws
    // VelaError(ErrOutput) when the device cannot be painted on.
    void print(QPagedPaintDevice *device);
    // Writes the report to a PDF file at `path`. Throws VelaError(ErrOutput) on failure.
    void writePdf(const QString &path);

private:
    QTextDocument m_document;
    std::unique_ptr<QObject> m_objects; // draws barcodes and empty picture frames
    friend class ReportEngine;
};

class ReportEngine : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ConnectionString READ ConnectionString WRITE setConnectionString)
    Q_PROPERTY(QString ReportFileName READ ReportFileName WRITE setReportFileName)
public:
    static constexpr const char *ProgId = "ReportEngine";

    explicit ReportEngine(QObject *parent = nullptr);
    ~ReportEngine() override;

    virtual QString ConnectionString() const { return m_connectionString; }
    virtual void setConnectionString(const QString &text) { m_connectionString = text; }
    // Opens the engine's own connection on the given text (else ConnectionString); the forms'
    // data environment is never touched. Throws VelaError on failure.
    Q_INVOKABLE virtual void Connect(const QVariant &connection);
    // Renders the report of ReportFileName for the record the formulas select. `destination` 1
    // (or anything else) is the preview window, or the PDF file set by setOutputFile.
    Q_INVOKABLE virtual void ShowReport(const QVariant &destination);
    // Formula `index` as "name = value"; the template's queries use {name}. The result is empty.
    Q_INVOKABLE virtual QVariant SetFormula(int index, const QString &formula);
    virtual QString ReportFileName() const { return m_reportFileName; }
    virtual void setReportFileName(const QString &path) { m_reportFileName = path; }

    // When set, ShowReport writes the report to this PDF file instead of showing the preview.
    void setOutputFile(const QString &path) { m_outputFile = path; }
    QString outputFile() const { return m_outputFile; }

    // Tests and hosts without a screen: while set, ShowReport hands its finished report to the
    // hook instead of showing the preview window (an output file still takes precedence).
    using PreviewHook = std::function<void(ReportDocument &)>;
    static void setPreviewHook(PreviewHook hook);

protected:
    // The preview window; returns the printer the user printed on (empty when closed without
    // printing, or printed to a file).
    virtual QString preview(ReportDocument &report, const QString &lastPrinter);

private:
    void render(const report::Template &tmpl, ReportDocument &out);
    QString m_connectionString;
    QString m_reportFileName;
    QString m_outputFile;
    QHash<int, QPair<QString, QString>> m_formulas; // index -> (name, value)
    std::unique_ptr<DataEnvironment> m_env;
};

} // namespace vela
