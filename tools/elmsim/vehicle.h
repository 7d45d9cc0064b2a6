// The simulated vehicle's answers beyond the demo responder's table: further
// service 01 ranges, the freeze frame (02), the O2 sensors' test results (05
// without CAN, 06 on CAN) and the vehicle information (09), as data. Both
// chip personalities answer from it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace elmsim {

// The engine's live values on a driving cycle that repeats every
// DriveCycleSeconds: idle, accelerate through the gears, cruise, brake to a
// stop; every value changes smoothly. The engine warms up over the first
// minutes.
inline constexpr double DriveCycleSeconds = 60.0;
struct DriveState {
    double rpm;         // 1/min
    double speed;       // km/h
    double load;        // %
    double throttle;    // %
    double coolant;     // °C
    double intakeAir;   // °C
    double manifoldKpa; // kPa
};
DriveState DriveAt(double seconds);

// The engine unit's answer (41, PID, data) to a service 01 request for a value
// the driving cycle moves ("010C"); empty for any other request.
QByteArray DrivenAnswer(const QString& request, double seconds);

// The engine unit's messages (service byte first) to request; can chooses
// the CAN layouts (09 with a count byte, 06 instead of 05). Empty when the
// vehicle does not answer it.
QList<QByteArray> EngineMessages(const QString& request, bool can);

} // namespace elmsim
