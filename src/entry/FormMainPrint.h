#pragma once
// Printing the entry form's record through the form's report templates: the print button, the
// printing routine, and the same printing straight into a PDF file for hosts and scripts.
#include <QString>

namespace vela {

class FormMain;

// The entry form's print button: the print permission, then PrintRecord with the button
// disabled until it returns, whatever happens. Failures are shown; nothing leaves it.
void PreviewCommand(FormMain &form);

// Lets the user choose a template in FormPrint, finds its file (as stored, else under the
// form's InstallDirectory) and has the report engine show the form's record through it.
void PrintRecord(FormMain &form);

// Writes record `id` printed through the form's template `templateName` (its title, its stored
// file path or that path's file name) to the PDF file `pdfFile`, showing no window. Needs the
// print permission. Throws VelaError on every failure.
void PrintRecordToPdf(qint32 id, const QString &templateName, const QString &pdfFile);

} // namespace vela
