// Service 09 (vehicle information) over the messages of one or more control
// units: which info types a unit offers, the data of one info type in the CAN
// layout (a count byte before the data) and the K-line layout (a counter
// before every four bytes), and the VIN, calibration IDs, calibration
// verification numbers and ECU name read from it. Pure functions.
#pragma once

#include "services/pidvalues.h"
#include "services/protocol.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace obd {

// The info types this module reads.
enum InfoType : int {
    InfoSupported = 0x00,
    InfoVin = 0x02,
    InfoCalibrationIds = 0x04,
    InfoCalibrationNumbers = 0x06,
    InfoEcuName = 0x0A
};

struct UnitInfo {
    int sender = UnknownSender;
    QByteArray data; // without service byte, info type and count or counters
};

// The data every unit answered for infoType, in answer order. CAN: 49, the
// info type, a count byte (none for the bitmaps 00, 20, ...), the data; a
// K-line message carries 49, the info type, its counter and four bytes, and
// a unit's messages are joined in counter order.
QList<UnitInfo> InfoDataOf(const QList<EcuMessage>& messages, ProtocolFamily family, int infoType);

// The union of the info types the units announce in their 09 00 bitmaps
// (bit p for info type p); none when no unit answered 49 00. A bitmap
// shorter than four bytes raises ConversionError.
std::optional<PidSupport> InfoTypesOf(const QList<EcuMessage>& messages, ProtocolFamily family);

// Bytes as text: leading and trailing zero bytes (padding) are dropped,
// every other byte outside printable ASCII shows as "?".
QString InfoText(const QByteArray& bytes);

// The VIN of the engine unit's answer (the first answer when the engine
// gave none); none when no unit answered 49 02.
std::optional<QString> VinOf(const QList<EcuMessage>& messages, ProtocolFamily family);

// The calibration IDs in one unit's data: 16 bytes each.
QStringList CalibrationIdsIn(const QByteArray& data);
// The calibration verification numbers in one unit's data: four bytes each,
// shown as eight hex digits.
QStringList CalibrationNumbersIn(const QByteArray& data);

} // namespace obd
