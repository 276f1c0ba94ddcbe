#pragma once
// The extra properties dialog: the properties that the category of a record's asset group
// defines, one per picker slot, with the values stored for the record; opened editable, OK
// replaces the stored values with what the user entered.
//
//     qint32 id = 42;
//     bool canEdit = true;
//     vela::FormOtherProperty::ShowProperties(id, canEdit); // true when OK stored the values
#include <QDialog>
#include <QVector>

class QLabel;
class QLineEdit;

namespace vela {

class OrvoButton;
class OrvoSelector;
class velaPropertyPicker;

class FormOtherProperty : public QDialog {
    Q_OBJECT
public:
    static constexpr int SlotCount = 8; // the whole capacity: a category shows at most eight
    // The client area as designed, twips; a notice of properties not shown adds a row.
    static constexpr double DesignClientWidth = 5880;
    static constexpr double DesignClientHeight = 4860;
    static constexpr double NoticeHeight = 720; // three lines at least

    // Shows the dialog modally for record inID (over `owner`) and returns true when the user
    // stored the values with cmdOk. A failure while reading the record propagates.
    static bool ShowProperties(qint32 &inID, bool &inCanEdit, QWidget *owner = nullptr);
    // The entry form's cmdMoreInfo: view mode (0) read-only, edit mode (1) editable, new and
    // empty mode nothing.
    static void ShowForEntryForm(int formMode, qint32 id, QWidget *owner);

    ~FormOtherProperty() override;

    // ---- controls (objectName = member name; the slots are sltProperty0 .. sltProperty7)
    QLineEdit *txtName;
    OrvoSelector *sltCategory, *sltType;
    QLabel *lblName, *lblCategory, *lblType, *lblHeading, *lblNotShown;
    velaPropertyPicker *sltProperty[SlotCount];
    OrvoButton *cmdOk, *cmdCancel;

    // ---- state while open
    qint32 RecordID = 0;
    bool Result = false;
    // Property types the category defines beyond the eight slots, in the order they came.
    QVector<qint32> NotShownTypes;

public slots:
    void cmdOk_Click();
    void cmdCancel_Click();

private:
    explicit FormOtherProperty(QWidget *parent);
    void Form_Load();
    void fill(qint32 id, bool canEdit); // everything ShowProperties does before showing
    void store(); // the store step in one transaction; throws on failure
};

} // namespace vela
