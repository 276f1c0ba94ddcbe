#pragma once
// The suite's attachment editor: the files attached to one record of a form, in
// tblOrvoFormAttachment, listed with thumbnails in a right-to-left window where the user adds
// files (kept in the database, or linked as external files by their path), replaces, removes
// and reorders them. Nothing is written until OK; OK writes every change in one transaction, so
// the record's attachments are either all as the window shows them or all as they were. Row
// numbers are kept from 1 without gaps, in the order shown.
#include "shared/DataEnvironment.h"

#include <QDialog>
#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QVariant>
#include <functional>

class QCheckBox;
class QIcon;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace vela {

// The component the entry form creates by name and drives through its members.
class AttachmentEditor : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ConnectionString READ ConnectionString WRITE setConnectionString)
    Q_PROPERTY(qint32 FormTypeID READ FormTypeID WRITE setFormTypeID)
    Q_PROPERTY(qint32 UserID READ UserID WRITE setUserID)
    Q_PROPERTY(QVariant FormID READ FormID WRITE setFormID)
    Q_PROPERTY(QString OLEConnectionString READ OLEConnectionString WRITE setOLEConnectionString)
public:
    static constexpr const char *ProgId = "AttachmentEditor";

    explicit AttachmentEditor(QObject *parent = nullptr);

    QString ConnectionString() const { return m_connectionString; }
    void setConnectionString(const QString &v) { m_connectionString = v; }
    qint32 FormTypeID() const { return m_formTypeId; }
    void setFormTypeID(qint32 v) { m_formTypeId = v; }
    qint32 UserID() const { return m_userId; }
    void setUserID(qint32 v) { m_userId = v; }
    QVariant FormID() const { return m_formId; }
    void setFormID(const QVariant &v) { m_formId = v; }
    QString OLEConnectionString() const { return m_oleConnectionString; }
    void setOLEConnectionString(const QString &v) { m_oleConnectionString = v; }

    // Shows the editor for the record and returns when it is closed. A failure is shown to the
    // user; nothing is thrown to the caller.
    Q_INVOKABLE void ShowAttachments();

private:
    QString m_connectionString, m_oleConnectionString;
    qint32 m_formTypeId = 0, m_userId = -1;
    QVariant m_formId;
};

// The editor's window.
class AttachmentEditorDialog : public QDialog {
    Q_OBJECT
public:
    // The largest file kept in the database; larger ones can be linked as external files.
    static constexpr qint64 LargestStoredFile = qint64(10) * 1024 * 1024;

    // Reads the record's attachments; throws VelaError when they cannot be read.
    AttachmentEditorDialog(const QString &connectionString, qint32 formTypeId, qint32 formId,
        qint32 userId, QWidget *parent = nullptr);
    ~AttachmentEditorDialog() override;

    // ---- the user's commands (the buttons), public for keyboard shortcuts and tests
    void addFiles(); // asks for files; each is stored or linked as chkExternal says
    void replaceSelected(); // asks for one file, put in place of the selected attachment
    void removeSelected();
    void moveSelected(int delta); // -1 up, +1 down
    // Writes every change in one transaction. False, with a message, when it failed; the
    // database is then as it was and the window keeps the user's changes.
    bool apply();
    bool hasChanges() const { return m_changed; }

    // Test seam for the file chooser: gets the window title and whether several files may be
    // chosen, returns the chosen paths (none for cancel). nullptr restores the real chooser.
    using FileChooser = std::function<QStringList(const QString &title, bool many)>;
    static void setFileChooser(FileChooser chooser);

    QListWidget *lstAttachments;
    QCheckBox *chkExternal;
    QPushButton *cmdAdd, *cmdReplace, *cmdRemove, *cmdUp, *cmdDown, *cmdOk, *cmdCancel;
    QLabel *lblLimit;

protected:
    void reject() override; // Escape, the close box and cmdCancel ask before dropping changes

private:
    struct Entry {
        qint32 originalRow = 0; // its RowNumber as read; 0 for a file added in this window
        bool replaced = false; // a new file in place of the original one
        bool external = false;
        QString mediaPath; // external: the file's path
        QString extension; // without the dot; empty for none
        QString title; // the file's name
        QByteArray data; // stored files added or replaced here (read ones are not kept)
        qint64 size = -1; // bytes; -1 when not known
        QPixmap thumbnail;
    };
    void load();
    // Reads the file the user chose into an entry; false, with the reason in `problem`, when it
    // cannot be taken.
    bool takeFile(const QString &path, bool external, Entry &entry, QString &problem);
    QStringList chooseFiles(const QString &title, bool many);
    QListWidgetItem *addItem(Entry entry, int row = -1);
    void refreshTexts(); // numbers and descriptions of every item, button states
    Entry &entryOf(QListWidgetItem *item);
    QIcon iconOf(const Entry &entry) const; // the thumbnail, or a file icon
    bool needsWriting() const;
    void markChanged();
    qint32 selectedRow() const;
    void writeChanges(); // the statements of apply(); throws on failure

    DataEnvironment m_env;
    qint32 m_formTypeId, m_formId, m_userId;
    QHash<int, Entry> m_entries; // by the key each list item keeps
    int m_nextKey = 1;
    QVector<qint32> m_removedRows; // original row numbers removed in this window
    QVector<qint32> m_originalRows; // every row number read
    bool m_changed = false;
};

} // namespace vela
