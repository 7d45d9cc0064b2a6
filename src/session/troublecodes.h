// The trouble-code actions: reading the monitor status and the stored codes,
// and clearing them in the vehicle. The line work runs off the calling
// thread, whose events go on meanwhile; results are reported by signals.
#pragma once

#include "common/obdtypes.h"
#include "services/ecuanswers.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace obd {

class Link;
class VehicleBus;

class TroubleCodes : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The polling worker must not run. Reads the monitor status, then the
    // stored codes; what could not be read is reported as unreadable, and
    // once more together in readFailed.
    void Read(Link& link);
    // The polling worker must not run. Reads the pending codes (service 07)
    // and, on CAN, the permanent codes (service 0A).
    void ReadPending(const VehicleBus& bus, Link& link);
    // The polling worker must not run. Asks the vehicle to clear its codes.
    void Clear(Link& link);

signals:
    void monitorStatusRead(const TMonitorStatus& status);
    void monitorStatusUnreadable();
    // The stored codes, sorted alphabetically regardless of case.
    void codesRead(const QStringList& codes);
    void codesUnreadable();
    // The pending and the permanent codes, each sorted; a list the vehicle
    // did not give (no answer, or no CAN for permanent codes) is none.
    void pendingRead(const std::optional<QList<UnitTroubleCode>>& pending,
                     const std::optional<QList<UnitTroubleCode>>& permanent);
    // After a read with an unreadable part: the text for the user.
    void readFailed(const QString& message);
    // The vehicle confirmed the clear.
    void cleared();
    // The vehicle refused the clear or did not answer it.
    void clearRefused();
};

} // namespace obd
