// Reading what the vehicle keeps besides its live values: the vehicle
// information of service 09, the freeze frame of service 02, the O2 sensors'
// live values and their stored test results. Each is blocking line work
// through a VehicleBus (run it off the GUI thread); what the vehicle does not
// announce in its supported-ID bitmaps is never asked.
#pragma once

#include "services/oxygensensors.h"
#include "services/pidvalues.h"
#include "session/vehiclebus.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace obd {

// Asks 09 00; asks 09 02 when the bitmap announces it, or once when no unit
// answered 09 00. None when the vehicle gave no VIN.
std::optional<QString> ReadVin(const VehicleBus& bus, Link& link);

struct UnitVehicleInfo {
    QString unit; // "7E8"; empty when the sender is not known
    QStringList calibrationIds;
    QStringList calibrationNumbers;
    QString ecuName;
};

struct VehicleInformation {
    std::optional<QString> vin;
    QList<UnitVehicleInfo> units; // the units that answered 09 00, in answer order
};

// 09 00, then 09 02, 04, 06 and 0A where announced.
VehicleInformation ReadVehicleInformation(const VehicleBus& bus, Link& link);

// One row of a page that shows PID values: the values, or the error that
// kept this row from being read (a too-short answer).
struct PidRow {
    int pid = 0;
    QString name;
    std::vector<PidValue> values;
    QString error;
};

// One service 01 PID, read once from the preferred unit's answer.
PidRow ReadLivePid(const VehicleBus& bus, Link& link, const PidSpec& spec);

// The battery voltage in volts: the adapter's own measurement at the
// diagnostic socket where it has one (an ELM327-style chip's ATRV:
// adapterMeasures), else the control module voltage (PID 42) where the
// vehicle announces it; none when neither gives a number.
std::optional<double> ReadBatteryVoltage(const VehicleBus& bus, Link& link, bool adapterMeasures);

struct FreezeFrame {
    // The code that stored it; none when the vehicle holds no frame or it
    // could not be read.
    std::optional<QString> code;
    QList<PidRow> rows;
    // Why the frame could not be read; "" when the vehicle answered.
    QString failure;
};

// Frame 0 (requests "02 PID 00"): the bitmap of PID 00 and the further ones
// as far as each announces the next, PID 02, then every announced PID the
// PID table knows.
FreezeFrame ReadFreezeFrame(const VehicleBus& bus, Link& link);

// The service 01 PIDs the vehicle supports: 01 00 and the further bitmaps
// as far as each announces the next.
PidSupport ReadSupportedPidRanges(const VehicleBus& bus, Link& link);
// The same, going on from the 01 00 bitmap already read (first), so that 01 00
// is not asked again. stop, asked before each request, ends the walk early;
// the bitmaps read until then count.
PidSupport ReadFurtherPidRanges(const VehicleBus& bus, Link& link, std::uint32_t first,
                                const std::function<bool()>& stop);

// The distances the vehicle reports, in whole km: the odometer (PID A6) and
// the distance since the codes were cleared (PID 31). Each is asked only when
// supported announces it; none where not announced, unanswered or too short.
struct Distances {
    std::optional<qint32> odometerKm;
    std::optional<qint32> sinceClearKm;
};
Distances ReadDistances(const VehicleBus& bus, Link& link, const PidSupport& supported);

struct O2Reading {
    O2Sensor sensor;
    QList<PidRow> rows; // narrow band, wide band (voltage), wide band (current) as supported
};

// The sensors of PID 13 (or 1D) with one read of each one's supported live PIDs.
QList<O2Reading> ReadO2Sensors(const VehicleBus& bus, Link& link, const PidSupport& supported);

struct O2SensorTests {
    O2Sensor sensor;
    QList<O2TestResult> results;
    QString error; // a result that could not be read
};

// The stored O2 test results: service 06 monitors on CAN, service 05 tests
// otherwise, each only where its bitmap announces it.
QList<O2SensorTests> ReadO2Tests(const VehicleBus& bus, Link& link, const PidSupport& supported);

} // namespace obd
