#pragma once
// The suite's property value picker: one extra property of an asset. It shows the name of its
// property type and an editor that fits the type as the database keeps it in
// tblAssetPropertyType.ValueKind: free text ('text'), a number ('number'), a Persian date
// through OrvoDate ('date', kept as "yyyy/MM/dd"), or one of the allowed values listed in
// tblAssetPropertyTypeChoice ('choice'). The value is always text.
//
// A stored value that does not fit its type (a date that does not exist, a value no longer in the
// list) is shown as it is and kept as it is until the user changes it: opening and storing never
// loses what the database held.
#include <QString>
#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

namespace vela {

class OrvoDate;

class velaPropertyPicker : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qint32 PropertyTypeID READ PropertyTypeID WRITE setPropertyTypeID)
    Q_PROPERTY(QString Value READ Value WRITE setValue)
    Q_PROPERTY(QString ConnectionString READ ConnectionString WRITE setConnectionString)
public:
    enum class Kind {
        Text,
        Number,
        Date,
        Choice
    };

    explicit velaPropertyPicker(QWidget *parent = nullptr);

    QString ConnectionString() const { return m_connectionString; }
    void setConnectionString(const QString &cs) { m_connectionString = cs; }

    // 0 until a type is given. Writing reads the type's name, kind and allowed values through
    // the picker's own connection (throws VelaError when they cannot be read) and empties the
    // value; 0 or less leaves the picker without a type.
    qint32 PropertyTypeID() const { return m_typeId; }
    void setPropertyTypeID(qint32 id);

    QString Value() const;
    void setValue(const QString &value);
    // True when there is nothing to store: blank text, no number, no date, nothing chosen.
    Q_INVOKABLE bool IsEmpty() const;

    QString typeName() const { return m_typeName; }
    Kind kind() const { return m_kind; }
    QWidget *editor() const { return m_editor; }
    QStringList choices() const { return m_choices; }

    // Takes what the user typed (a date box's text) as leaving the editor does. False, with a
    // Persian sentence naming the property in `problem`, when it cannot be stored as it stands.
    bool checkInput(QString &problem);

private:
    void buildEditor();
    QLabel *m_name;
    QWidget *m_editor = nullptr; // a QLineEdit, OrvoDate or QComboBox, by kind
    QLineEdit *m_line = nullptr;
    OrvoDate *m_date = nullptr;
    QComboBox *m_combo = nullptr;
    QString m_connectionString;
    qint32 m_typeId = 0;
    QString m_typeName;
    Kind m_kind = Kind::Text;
    QStringList m_choices;
    // A stored date text that is not a date: kept while the date box still shows it.
    QString m_unreadableDate;
    QString m_givenValue; // the value last written, which checkInput lets pass as it is
};

} // namespace vela
