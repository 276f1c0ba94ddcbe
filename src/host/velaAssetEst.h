#pragma once
// velaAssetEst: the control a host program of the suite places on one of its windows to open the
// asset establishment ("استقرار") entry form. The host gives it the signed-in user, the user's
// organisational position and the suite database's connection string, then calls ClearShow() or
// View(id). The control itself stays small and hidden; the user works in the entry form.
//
//     #include <host/velaAssetEst.h>
//     auto *asset = new velaAssetEst(window);
//     asset->setUserID(7);
//     asset->setPositionID(3);
//     asset->setOLEConnectionString("Provider=SQLite;Data Source=/srv/suite.sqlite");
//     try { asset->View(42); } catch (const std::exception &e) { /* e.what() is UTF-8 */ }
//
// ClearShow() and View() throw std::exception (vela::VelaError) when the database cannot be
// reached or the permission query fails; a user without role 111 gets a message instead, and the
// call returns normally. Both always return false.
#include "velaAssetEstExport.h"

#include <QString>
#include <QVariant>
#include <QWidget>
#include <QtGlobal>

// The host's store of a control's saved properties. A value equal to its default is not written
// (and a value stored earlier under the key is dropped), so a store holds only what differs.
class VELA_ASSET_EST_EXPORT VelaPropertyBag {
public:
    virtual ~VelaPropertyBag();
    // The stored value, or `defaultValue` when the key is not stored.
    virtual QVariant ReadProperty(const QString &name, const QVariant &defaultValue) = 0;
    virtual void WriteProperty(
        const QString &name, const QVariant &value, const QVariant &defaultValue)
        = 0;
};

class VELA_ASSET_EST_EXPORT velaAssetEst : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qint32 UserID READ UserID WRITE setUserID)
    Q_PROPERTY(qint32 PositionID READ PositionID WRITE setPositionID)
    Q_PROPERTY(QString OLEConnectionString READ OLEConnectionString WRITE setOLEConnectionString)
public:
    // Programmatic identifier, for hosts that create components by name.
    static constexpr const char *ProgId = "velaAssetEstablishment.velaAssetEst";

    explicit velaAssetEst(QWidget *parent = nullptr);
    ~velaAssetEst() override;

    // Opens the entry form empty.
    Q_INVOKABLE bool ClearShow();
    // Opens the entry form on record inID, read-only; 0 or less opens it empty.
    Q_INVOKABLE bool View(qint32 inID);
    // Prints record inID through the form's report template inTemplate (its title, or the file
    // name of its template) into the PDF file inPdfFile, showing no window; works on the offscreen
    // platform. Throws std::exception (vela::VelaError) on every failure, a user without the right
    // to open the form (role 111) or to print (role 102214809) included.
    Q_INVOKABLE void PrintToPdf(qint32 inID, const QString &inTemplate, const QString &inPdfFile);

    qint32 UserID() const { return m_userID; }
    void setUserID(qint32 value);
    qint32 PositionID() const { return m_positionID; }
    void setPositionID(qint32 value);
    QString OLEConnectionString() const { return m_connectionString; }
    void setOLEConnectionString(const QString &value);

    // Saved properties, keys "UserID", "PositionID", "OLEConnectionString" and "EmployeeID".
    void InitProperties(); // every property back to its default
    void ReadProperties(VelaPropertyBag &bag);
    void WriteProperties(VelaPropertyBag &bag) const;

signals:
    // A property was written (its name), so that a host saves the control's properties.
    void PropertyChanged(const QString &name);
    // Declared for hosts of the suite; this control raises neither.
    void CreateNewRelationship(qint32 FormTypeID, qint32 FormID);
    void ShowRelationships(qint32 FormTypeID, qint32 FormID);

protected:
    // On every repaint the control shrinks to 100 x 100 and hides: it has nothing to show.
    void paintEvent(QPaintEvent *e) override;

private:
    void publishCurrentValues() const;
    bool openForm(qint32 id, bool onRecord);

    qint32 m_employeeID = -1;
    qint32 m_userID = -1;
    qint32 m_positionID = -1;
    QString m_connectionString;
};
