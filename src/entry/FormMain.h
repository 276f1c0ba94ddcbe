#pragma once
// The asset establishment entry form: one record at a time in four modes (view, edit, new,
// empty), its commands, start-up, loading, saving, deleting, attachment viewer and layout.
#include <QDate>
#include <QDialog>
#include <QString>
#include <QVector>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QFrame;

namespace vela {

class OrvoSelector;
class OrvoDate;
class OrvoCurrency;
class OrvoButton;

class FormMain : public QWidget {
    Q_OBJECT
public:
    enum Mode { ModeView = 0, ModeEdit = 1, ModeNew = 2, ModeEmpty = 3 };
    static constexpr qint32 FormTypeID = 1022148;

    // The one shared instance, created (and started up) on first use; recreated after the user
    // closed it. Start-up failures propagate to the caller.
    static FormMain &instance();
    static bool isLoaded();
    static void unload(); // tests

    // ---- public methods
    bool ClearShow();
    bool View(qint32 &inPropertyID);
    void DisableComponents();

    // ---- routines
    void ShowEmpty();
    void StartNew();
    void ShowRecord(qint32 id);
    void EditRecord(qint32 id);
    void ClearFields();
    void LoadRecord(qint32 id);

    // ---- attachment viewer
    void ShowAttachment(qint32 formId, qint16 rowNumber);
    QString LoadAttachmentFile(qint32 formTypeId, qint32 formId, qint16 rowNumber);
    QString NewTempFilePath(QString &outPath);

    // ---- state
    int FormMode = ModeEmpty;
    QString InstallDirectory;
    qint32 designedWidth = 0, designedHeight = 0; // twips
    QString tempFolder; // the temporary folder with a trailing separator, as last used

    // ---- controls (objectName = member name)
    OrvoButton *cmdDocGen, *cmdViewAccountDoc, *cmdPreview, *cmdCancel, *cmdSearch, *cmdDelete,
        *cmdSave, *cmdEdit, *cmdNew, *cmdMoreInfo;
    OrvoButton *cmdLeft, *cmdRefreshPicture, *cmdRight, *cmdEditPicture;
    QLineEdit *txtID, *txtLabelNo, *txtOldLabelNo, *txtCode, *txtName, *txtDocumentNo,
        *txtOrganizationLocation;
    QPlainTextEdit *txtDescription;
    OrvoSelector *sltCreator, *sltType, *sltStatusType, *sltGroup, *sltLocation, *sltAccountable,
        *sltResponsible, *sltCostCenter, *sltBranch;
    OrvoDate *datUtilizationDate, *datCreateDate, *datDocumentDate, *datReevaluationDate, *datToday;
    OrvoCurrency *txtCost, *txtAccumulatedCost, *txtAbortCost, *txtOfficeMaxCost;
    QLabel *picProduct;
    QFrame *frameMain, *frameImportant;

    // The picture shown in picProduct (null when none), for tests and the layout.
    QPixmap currentPicture() const;

public slots:
    void cmdNew_Click();
    void cmdEdit_Click();
    void cmdCancel_Click();
    void cmdSearch_Click();
    void cmdSave_Click();
    void cmdDelete_Click();
    void cmdMoreInfo_Click();
    void cmdPreview_Click();
    void cmdViewAccountDoc_Click();
    void cmdLeft_Click();
    void cmdRight_Click();
    void cmdRefreshPicture_Click();
    void cmdEditPicture_Click();

protected:
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    explicit FormMain(QWidget *parent = nullptr);
    void buildControls();
    void startUp();
    void showForm();
    void applyLayout(double W, double H);
    void writeFormAction(qint32 eventId, qint32 id, const QString &description);
    QString textOf(QLineEdit *e) const;
    QPixmap m_picture;
};

} // namespace vela
