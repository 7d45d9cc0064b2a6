// The trouble-code actions: reading the monitor status and the stored codes,
// and clearing them in the vehicle. The line work runs off the calling
// thread, whose events go on meanwhile; results are reported by signals.
#pragma once

#include "common/obdtypes.h"
#include "common/reading.h"
#include "services/adapterrequests.h"
#include "services/ecuanswers.h"
#include "session/vehicledata.h"

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

namespace obd {

class Link;
class VehicleBus;

// The codes of one service as read: each with its control unit, sorted by
// code (regardless of case), then by unit.
using CodeListReading = Reading<QList<UnitTroubleCode>>;

class TroubleCodes : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The polling worker must not run. Reads the monitor status, then the
    // stored codes; what could not be read is reported as unreadable, and
    // once more together in readFailed. framing: how an ELM327-style
    // adapter lays out the answers (ActiveFraming decides); none for the
    // ELM323.
    void Read(Link& link, const std::optional<BusFraming>& framing = std::nullopt);
    // The polling worker must not run. Reads the pending codes (service 07)
    // and, on CAN, the permanent codes (service 0A); what could not be read
    // is said in readFailed too.
    void ReadPending(const VehicleBus& bus, Link& link);
    // The polling worker must not run. Reads the odometer and the distance
    // since the codes were cleared where the vehicle's bitmaps announce them.
    // supported: the service 01 PIDs the vehicle announced; walked first and
    // kept there when none.
    void ReadDistances(const VehicleBus& bus, Link& link, std::optional<PidSupport>& supported);
    // The polling worker must not run. Asks the vehicle to clear its codes.
    void Clear(Link& link, const std::optional<BusFraming>& framing = std::nullopt);

signals:
    void monitorStatusRead(const TMonitorStatus& status);
    void monitorStatusUnreadable();
    // The stored codes; a unit is given when several control units answered.
    void codesRead(const QList<UnitTroubleCode>& codes);
    void codesUnreadable();
    // The pending and the permanent codes; the permanent ones are not read
    // on K-line, which has none.
    void pendingRead(const CodeListReading& pending, const CodeListReading& permanent);
    void distancesRead(const Distances& distances);
    // After a read with an unreadable part: the text for the user.
    void readFailed(const QString& message);
    // The vehicle confirmed the clear.
    void cleared();
    // The vehicle refused the clear or did not answer it; cause: why, for the user.
    void clearRefused(const QString& cause);
};

} // namespace obd
