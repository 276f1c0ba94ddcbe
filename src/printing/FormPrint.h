#pragma once
// The template chooser FormPrint: a small modal window with the form's report templates in a
// drop-down list. Choosing one (cmdPrint, or the small cmdOk next to the list) puts the path of
// its file into ReportFileName and closes the window.
#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;

namespace vela {

class OrvoButton;

class FormPrint : public QDialog {
    Q_OBJECT
    // LoadReportTemplates reaches the form by name: this property and the list cmbReport.
    Q_PROPERTY(qint32 DocumnetID MEMBER DocumnetID)
public:
    // One instance for the whole run; its fields keep their values between uses.
    static FormPrint &instance();
    static void unload(); // tests

    qint32 DocumnetID = 0; // the form type whose templates the list shows (spelled so)
    QString ReportFileName; // the chosen template's file path

    QLabel *lblReport, *lblDescription;
    QComboBox *cmbReport;
    QLineEdit *txtDescription; // for the user's own note; printing does not read it
    OrvoButton *cmdPrint, *cmdOk;

public slots:
    void cmdPrint_Click();
    void cmdOk_Click();

private:
    FormPrint();
};

// Fills the list cmbReport of `form` with the report templates of the form type in its
// DocumnetID property (each item a template's Title with its ID as data) and selects the first.
// Both are reached by name. False, with the list left as it was, when the form type has none.
// Throws VelaError on a database failure or when the form lacks one of the two.
bool LoadReportTemplates(QWidget *form);

} // namespace vela
