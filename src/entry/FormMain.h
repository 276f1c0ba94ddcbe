#pragma once
// The asset establishment entry form: one record at a time in four modes (view, edit, new,
// empty), its commands, start-up, loading, saving, deleting, attachment viewer and layout.
#include "entry/DescriptionEdit.h"
#include "extras/AttachmentViewer.h"
#include "shared/AssetRecord.h"
#include "shared/Roles.h"

#include <QDate>
#include <QDialog>
#include <QPair>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QVector>
#include <QWidget>
#include <exception>
#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QFrame;

namespace vela {

class OrvoSelector;
class OrvoDate;
class OrvoCurrency;
class OrvoButton;
class Recordset;
struct Session;

class FormMain : public QWidget {
    Q_OBJECT
public:
    enum Mode {
        ModeView = 0,
        ModeEdit = 1,
        ModeNew = 2,
        ModeEmpty = 3
    };
    static constexpr qint32 FormTypeID = vela::FormTypeID;

    // The one shared instance, created (and started up) on first use; recreated after the user
    // closed it. Start-up failures propagate to the caller. The session of the host call (the
    // current one when none is given) gives it, its selectors, the search form and the
    // attachment viewer the user, the connection string and the data environment.
    static FormMain &instance(Session *session = nullptr);
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
    // Reads one record and puts it into the controls (FormMainLoad.cpp); a record that is not
    // there is reported. The mode and the command buttons are the caller's.
    void LoadRecord(qint32 id);

    // ---- attachment viewer (extras/AttachmentViewer), which owns picProduct and its buttons
    void ShowAttachment(qint32 formId, qint16 rowNumber)
    {
        attachmentViewer->ShowAttachment(formId, rowNumber);
    }
    QString LoadAttachmentFile(qint32 formTypeId, qint32 formId, qint16 rowNumber)
    {
        return attachmentViewer->LoadAttachmentFile(formTypeId, formId, rowNumber);
    }
    QString NewTempFilePath(QString &outPath) { return attachmentViewer->NewTempFilePath(outPath); }

    // ---- state
    int FormMode = ModeEmpty;
    QString InstallDirectory;
    qint32 designedWidth = 0, designedHeight = 0; // twips

    // ---- controls (objectName = member name)
    OrvoButton *cmdDocGen, *cmdViewAccountDoc, *cmdPreview, *cmdCancel, *cmdSearch, *cmdDelete,
        *cmdSave, *cmdEdit, *cmdNew, *cmdMoreInfo;
    OrvoButton *cmdLeft, *cmdRefreshPicture, *cmdRight, *cmdEditPicture; // the viewer's
    QLineEdit *txtID, *txtLabelNo, *txtOldLabelNo, *txtCode, *txtName, *txtDocumentNo,
        *txtOrganizationLocation;
    DescriptionEdit *txtDescription;
    OrvoSelector *sltCreator, *sltType, *sltStatusType, *sltGroup, *sltLocation, *sltAccountable,
        *sltResponsible, *sltCostCenter, *sltBranch;
    OrvoDate *datUtilizationDate, *datCreateDate, *datDocumentDate, *datReevaluationDate, *datToday;
    OrvoCurrency *txtCost, *txtAccumulatedCost, *txtAbortCost, *txtOfficeMaxCost;
    QLabel *picProduct; // the viewer's
    AttachmentViewer *attachmentViewer;
    QFrame *frameMain, *frameImportant;

    QLabel *lblDescription;

    // The picture shown in picProduct (null when none), for tests and the layout.
    QPixmap currentPicture() const { return attachmentViewer->currentPicture(); }

    // The size rules of the layout are stated for the whole window, frame included, as the
    // suite's forms always measured it. The frame is not the platform's (it differs between
    // window managers and is absent off screen); the form adds the classic sizable frame of
    // 8 x 27 pixels at 96 DPI to its client area instead.
    static constexpr double FrameWidthTwips = 120;
    static constexpr double FrameHeightTwips = 405;
    static constexpr double DesignClientWidth = 12435; // twips
    static constexpr double DesignClientHeight = 5970; // twips
    static constexpr double MinimumLayoutSize = 6000; // twips; at or below it nothing moves
    double windowWidthTwips() const;
    double windowHeightTwips() const;

    // The most characters a single-line text box takes from the user. A longer text is refused
    // whole, with a message; a longer stored value is still shown and kept in full.
    static constexpr int TextBoxLimit = 4000;

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

protected:
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    explicit FormMain(Session *session);
    const Session &session() const { return *m_session; }
    void buildControls();
    void startUp();
    void showForm();
    void applyLayout(double W, double H);
    void writeFormAction(qint32 eventId, qint32 id, const QString &description);
    void saveRecord(); // cmdSave's body; throws on failure
    void deleteRecord(); // cmdDelete's body; throws on failure
    // ShowRecord and EditRecord: the record is read before anything on screen changes.
    void openRecord(qint32 id, int mode);
    Recordset &readRecord(qint32 id); // runs the load statement on rssqlAccountManager
    void fillFields(Recordset &rs); // the rest of LoadRecord on the statement's result
    QString textOf(QLineEdit *e) const;

    // ---- the record's inputs, worked through its description (FormMainRecord.cpp)
    void bindRecordInputs(); // m_inputs from the description's control names
    QWidget *input(const record::Column &c) const;
    std::vector<OrvoDate *> dateInputs() const; // of the date pairs, in column order
    bool isEmpty(const record::Column &c) const; // nothing typed, chosen or dated
    void trimInputs(); // blanks around typed texts and amounts removed
    // The first required input that is empty is reported, and gets the focus. False then.
    bool checkRequired();
    // Every column's value as the statements carry it. Throws VelaError for an amount beyond
    // the money type, before anything is written.
    record::Values inputValues() const;
    qint32 currentRecordID() const; // txtID through ToNumber, as a 32-bit integer

    // ---- keyboard and input (FormMainInput.cpp)
    void setUpInput(); // tab order, alignment, limits, refusals; the end of buildControls
    // Takes the text typed into each date box; a text that is not a date is refused with a
    // message naming its field, which gets the focus. False when one was refused.
    bool CheckTypedDates();
    void refuseTypedDate(OrvoDate *date);
    QString fieldCaption(const QWidget *input) const; // its label's text without the colon
    QWidget *singleLineFieldOf(QWidget *w) const; // the field input w belongs to, or null
    QPointer<OrvoDate> m_dateToRefuse; // left with a refused text; told once events are done

    Session *m_session;
    std::vector<QWidget *> m_inputs; // one per column of the record's description
    // Layout groups: the command bar left to right, the field columns as (input, label) pairs
    // from top to bottom.
    QVector<QWidget *> m_commandBar;
    QVector<QPair<QWidget *, QLabel *>> m_leftColumn, m_middleColumn;
};

} // namespace vela
