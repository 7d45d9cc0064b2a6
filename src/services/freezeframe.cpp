#include "services/freezeframe.h"

#include "common/errors.h"
#include "services/ecuanswers.h"

#include <span>

namespace obd {

namespace {

std::span<const std::uint8_t> Bytes(const QByteArray& data) {
    return {reinterpret_cast<const std::uint8_t*>(data.constData()), size_t(data.size())};
}

} // namespace

std::optional<QByteArray> FreezeFrameDataOf(const QList<EcuMessage>& messages,
                                            ProtocolFamily family, int pid) {
    const EcuMessage* chosen = PreferredAnswer(messages, family, [pid](const EcuMessage& m) {
        return m.data.size() >= 3 && quint8(m.data[0]) == 0x42 && quint8(m.data[1]) == pid &&
               m.data[2] == '\0';
    });
    if (!chosen)
        return std::nullopt;
    return chosen->data.mid(3);
}

std::optional<QString> FreezeFrameCodeOf(const QByteArray& data) {
    const PidSpec* spec = FindPidSpec(0x02);
    const std::vector<PidValue> values = FreezeFrameValues(*spec, data);
    if (data[0] == '\0' && data[1] == '\0')
        return std::nullopt;
    return values.front().text;
}

std::vector<PidValue> FreezeFrameValues(const PidSpec& spec, const QByteArray& data) {
    return DecodePidValues(spec, Bytes(data));
}

} // namespace obd
