// Service 02 (freeze frame data) over the messages of one or more control
// units: the answer of one PID of freeze frame 0, its supported-PID bitmaps,
// the trouble code that stored the frame and the frame's values, decoded
// with the service 01 PID table. Pure functions.
#pragma once

#include "services/pidvalues.h"
#include "services/protocol.h"

#include <QByteArray>
#include <QList>
#include <optional>
#include <vector>

namespace obd {

// The data bytes of pid in frame 0 (after 42, the PID and the frame number)
// from the engine unit's answer, or the first answer when the engine unit
// gave none; none when no unit answered that PID of frame 0.
std::optional<QByteArray> FreezeFrameDataOf(const QList<EcuMessage>& messages,
                                            ProtocolFamily family, int pid);

// The trouble code that stored the frame ("P0133"); none for 00 00, which
// means the vehicle holds no frame. Fewer than two bytes raise ConversionError.
std::optional<QString> FreezeFrameCodeOf(const QByteArray& data);

// The values of pid from its frame data; see DecodePidValues.
std::vector<PidValue> FreezeFrameValues(const PidSpec& spec, const QByteArray& data);

} // namespace obd
