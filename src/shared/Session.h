#pragma once
// What one host call hands the component's forms: the signed-in user, the user's position, the
// connection string and the data environment built on it. The host control writes the current
// values and rebuilds the data environment at the start of every call (publish), then opens the
// entry form with the session; the entry form passes it on to its selectors, the search form and
// the attachment viewer, and every statement runs on session.dataEnvironment's connection.
//
// The session refers to the component-wide current values (CurrentUserID, CurrentPositionID,
// CurrentConnectionString and DtEn of modMain), so the shared procedures that read them
// (HasPermission, ServerDate) and the forms always agree.
#include <QString>

namespace vela {

class DataEnvironment;

struct Session {
    qint32 &userID;
    qint32 &positionID;
    QString &connectionString;
    DataEnvironment &dataEnvironment;

    // The component's one session.
    static Session &current();
    // Sets the current values and rebuilds the data environment on the connection string.
    void publish(qint32 user, qint32 position, const QString &connection);
};

} // namespace vela
