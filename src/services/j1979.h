// SAE J1979 requests (services 01, 03, 04) and their decoders. The decoders
// are pure functions of the cleaned reply text; the requests send one command,
// take its reply and hand it to them.
#pragma once

#include "common/obdtypes.h"
#include "common/pidtable.h"
#include "common/sensortable.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <array>

namespace obd {

class Link;

// True when either of at most two "0100" requests is answered with "41".
bool CheckEcuLink(Link& link);
// Writes all 32 flags from the 01 00 bitmap after the first "4100" on a byte
// boundary; a reply without it leaves them.
void ReadSupportedPids(Link& link, TSupportedPids& flags);
// True when the reply is the status of service 01 PID 01. On a conversion
// failure the record keeps what it held.
bool ReadMonitorStatus(Link& link, TMonitorStatus& status);
// value becomes a number, a state text, "N/A" or "Fehler".
void ReadSensorData(Link& link, const TSupportedPids& supported, const QString& service,
                    const QString& pid, QString& value);
// The same request for service 01 PID pid, with the number kept whole.
SensorReading ReadSensorReading(Link& link, const TSupportedPids& supported, int pid);
QStringList ReadTroubleCodes(Link& link);
// True when the reply is a service 03 answer; codes then holds its codes.
bool ReadTroubleCodes(Link& link, QStringList& codes);
bool ClearTroubleCodes(Link& link);

// Decoders. Bad hexadecimal data where bytes are expected raises ConversionError.
void DecodeSupportedPids(const QString& reply, TSupportedPids& flags);
TMonitorStatus DecodeMonitorStatus(const QString& reply);
// The value of a PID (1 to 32) from the data bytes after the first reply head
// "41"+pid on a byte boundary: its text, and for a number its full value and
// display precision. The text is "Fehler" without that head, for a PID without
// a decoder and for a state without a text.
SensorReading DecodeSensorReading(int pid, const QString& reply, QChar decimalSeparator);
QStringList DecodeTroubleCodes(const QString& reply);
bool DecodeClearConfirmation(const QString& reply);

// One 14-character service 03 frame into three codes (empty when a slot's
// first digit has no prefix). A slot that is not hexadecimal raises
// ConversionError.
void SplitDtcFrame(const QString& frame, std::array<TTroubleCodeEntry, 3>& entries);
// System letter and digit for the first hexadecimal digit of a code (upper
// case only), "0" for any other text.
QString DtcPrefix(const QString& digit);

} // namespace obd
