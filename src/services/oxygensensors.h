// The O2 sensors of a vehicle: where they sit (service 01 PID 13 or 1D), the
// live PIDs of each, and their stored test results: service 05 on vehicles
// without CAN, service 06 monitor results on CAN. Tables and pure decoders.
#pragma once

#include "services/pidvalues.h"
#include "services/protocol.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace obd {

struct O2Sensor {
    int index;    // 0 to 7: the bit of PID 13 or 1D
    QString name; // "Bank 1 - Sensor 2"
    // The live PIDs: narrow band (voltage, short-term trim), wide band
    // (equivalence ratio with voltage, and with current).
    int narrowPid() const { return 0x14 + index; }
    int widePidVoltage() const { return 0x24 + index; }
    int widePidCurrent() const { return 0x34 + index; }
    // The sensor's number in service 05 requests (its bit) and its O2 monitor
    // in service 06 (01 to 08).
    int testNumber() const { return 1 << index; }
    int monitorId() const { return 0x01 + index; }
};

// The sensors present from the byte of PID 13 (four sensors on each of two
// banks) or PID 1D (two sensors on each of four banks).
QList<O2Sensor> O2SensorsOf(int locationPid, std::uint8_t present);

// One stored test: its value and, where the test has them, its limits.
struct O2TestResult {
    QString test;
    QString unit;
    int decimals = 0;
    double value = 0;
    std::optional<double> minimum;
    std::optional<double> maximum;
    // Within the limits (a test without limits passes).
    bool passed() const {
        return (!minimum || value >= *minimum) && (!maximum || value <= *maximum);
    }
};

// The service 05 test results the table knows (test IDs 01 to 09).
inline constexpr int O2TestIdCount = 9;

// The result of service 05 test tid for the sensor with test number sensor:
// 45, tid, sensor, value, then minimum and maximum where the test has limits.
// None when no unit answered it; a value byte missing raises ConversionError.
std::optional<O2TestResult> O2TestResultOf(const QList<EcuMessage>& messages, ProtocolFamily family,
                                           int tid, int sensor);

// The results of service 06 monitor mid: 46, then nine bytes per test (the
// monitor ID, test ID, unit and scaling ID, then value, minimum and maximum
// of two bytes each).
// None when no unit answered it; an incomplete record raises ConversionError.
std::optional<QList<O2TestResult>> MonitorResultsOf(const QList<EcuMessage>& messages,
                                                    ProtocolFamily family, int mid);

// Supported test IDs (service 05, request 05 00) or monitor IDs (service 06,
// request 06 00): the union of the answers' bitmaps, bit p for ID p; none
// when no unit answered.
std::optional<PidSupport> TestSupportOf(const QList<EcuMessage>& messages, int service);

} // namespace obd
