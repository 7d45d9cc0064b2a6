// The simulated vehicle's answers beyond the demo responder's table: further
// service 01 ranges, the freeze frame (02), the O2 sensors' test results (05
// without CAN, 06 on CAN) and the vehicle information (09), as data. Both
// chip personalities answer from it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace elmsim {

// The engine unit's messages (service byte first) to request; can chooses
// the CAN layouts (09 with a count byte, 06 instead of 05). Empty when the
// vehicle does not answer it.
QList<QByteArray> EngineMessages(const QString& request, bool can);

} // namespace elmsim
