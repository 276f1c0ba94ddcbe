#pragma once
// The options of the text export: the delimiter, the file (chosen through the save dialog, with
// the overwrite question), the header row, money without separators and the closing line break.
//
//     FormSendToTextFile form(parent); // a fresh form for every export
//     if (form.getTextFileName(name, delimiter, addNewLine, addHeaders, removeMoneySep))
//         ...
#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace vela {

class OrvoButton;

class FormSendToTextFile : public QDialog {
    Q_OBJECT
public:
    // Design size of the client area, twips.
    static constexpr int DesignWidth = 6960;
    static constexpr int DesignHeight = 3600;

    explicit FormSendToTextFile(QWidget *parent = nullptr);

    // Shows the form modally and hands back the options; true when the user confirmed with a
    // file name. The form then returns to its initial contents.
    bool getTextFileName(QString &outFileName, QString &outDelimiter, bool &addNewLine,
        bool &AddHeaders, bool &removeMoneySep);

    // ---- form fields
    bool Confirmed = false;
    QString FileName; // the accepted name, the one txtSaveFileName shows

    // ---- controls (objectName = member name)
    QLabel *lblExcell_1, *lblExcell_2;
    QLineEdit *txtDelimiter, *txtSaveFileName;
    OrvoButton *cmdSave, *cmdOk, *cmdCancel;
    QCheckBox *chkHeader, *chkRemoveMoney, *chkNewLine;

public slots:
    void cmdSave_Click();
    void cmdOk_Click();
    void cmdCancel_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setInitialContents();
};

} // namespace vela
