#pragma once
// The attachment viewer of the entry form: one attachment of a record at a time in picProduct,
// stepped through with the four buttons under it (cmdLeft, cmdRefreshPicture holding the row
// number, cmdRight, cmdEditPicture opening the suite's attachment editor). Stored attachments
// are written to new temporary files first, which go when the viewer does; external ones are
// shown from their own path.
//
// The viewer is laid out in twips like the form that holds it: the picture fills it above the
// button row, and when the viewer is resized the picture takes the whole change while the four
// buttons share the change of width and move down with the change of height.
#include "shared/TempFiles.h"

#include <QPixmap>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>

class QLabel;

namespace vela {

class OrvoButton;
struct Session;

class AttachmentViewer : public QWidget {
    Q_OBJECT
public:
    // `recordId` gives the identifier of the record shown (as ToNumber reads its text box).
    AttachmentViewer(QWidget *parent, std::function<QVariant()> recordId);

    // The connection and the user the attachment editor is given.
    void setSession(const Session *session) { m_session = session; }

    // Shows attachment `rowNumber` of record `formId`; a row that is not there changes nothing.
    void ShowAttachment(qint32 formId, qint16 rowNumber);
    // A local file holding the attachment, or empty text when there is none.
    QString LoadAttachmentFile(qint32 formTypeId, qint32 formId, qint16 rowNumber);
    // A path in the system's temporary folder at which no file exists (also in outPath).
    QString NewTempFilePath(QString &outPath);
    void clearPicture();
    // Lays the picture and the buttons out for the viewer's size in twips; the form calls it
    // whenever it has moved or resized the viewer (a change below a pixel raises no resize).
    void applyLayout();

    QPixmap currentPicture() const { return m_picture; } // null when none is shown
    QString tempFolder; // the temporary folder with a trailing separator, as last used

    // ---- controls (objectName = member name), left to right under the picture
    QLabel *picProduct;
    OrvoButton *cmdLeft, *cmdRefreshPicture, *cmdRight, *cmdEditPicture;

public slots:
    void cmdLeft_Click();
    void cmdRight_Click();
    void cmdRefreshPicture_Click();
    void cmdEditPicture_Click();

protected:
    void resizeEvent(QResizeEvent *e) override;

private:
    const Session &session() const;
    qint32 currentRecordID() const;
    qint32 currentRowNumber() const; // the caption of cmdRefreshPicture, as a 16-bit number

    std::function<QVariant()> m_recordId;
    const Session *m_session = nullptr;
    QPixmap m_picture;
    double m_width, m_height; // twips, at the last layout
    tempfiles::OwnFiles m_ownTempFiles;
};

} // namespace vela
