#pragma once

#include <QString>

namespace orvix {

// The server's answer to a login: the password check, the PC admission and, once admitted,
// the session values in reply fields 3 to 13.
struct LoginReply {
    enum class Outcome {
        WrongPassword, // field 1 is not "1"
        Pending,       // field 2 "0": the member has not agreed on the phone yet
        Refused,       // field 2 "2": the member refused PC use
        Admitted,      // anything else
    };

    Outcome outcome = Outcome::WrongPassword;
    QString memberNumber;       // field 3
    QString deviceId;           // field 4
    QString photoMarker;        // field 5: "0" when the member has no photo
    QString storeNumber;        // field 6
    QString latestVersionCode;  // field 7
    QString latestVersionName;  // field 8
    QString serverAddress;      // field 9
    QString imageServerAddress; // field 10
    QString reservedField11;
    QString reservedField12;
    QString minimumVersionCode; // field 13

    // Reads a reply text; missing fields read as empty.
    static LoginReply parse(const QString& text);
};

} // namespace orvix
