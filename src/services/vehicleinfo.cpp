#include "services/vehicleinfo.h"

#include "common/errors.h"
#include "services/ecuanswers.h"

#include <QMap>
#include <span>

namespace obd {

namespace {

constexpr quint8 InfoAnswer = 0x49;

bool IsBitmap(int infoType) {
    return infoType % 0x20 == 0;
}

QStringList Chunks(const QByteArray& data, qsizetype size, QString (*text)(const QByteArray&)) {
    QStringList out;
    for (qsizetype at = 0; at + size <= data.size(); at += size)
        out << text(data.mid(at, size));
    return out;
}

} // namespace

QList<UnitInfo> InfoDataOf(const QList<EcuMessage>& messages, ProtocolFamily family, int infoType) {
    QList<UnitInfo> units;
    // K-line: per sender, the four-byte pieces by their counter.
    QList<std::pair<int, QMap<int, QByteArray>>> pieces;
    for (const EcuMessage& m : messages) {
        if (m.data.size() < 2 || quint8(m.data[0]) != InfoAnswer || quint8(m.data[1]) != infoType)
            continue;
        if (family != ProtocolFamily::KLine) {
            const qsizetype skip = IsBitmap(infoType) ? 2 : 3;
            units.append({m.sender, m.data.mid(skip)});
            continue;
        }
        if (m.data.size() < 3)
            continue;
        auto it = std::find_if(pieces.begin(), pieces.end(),
                               [&](const auto& p) { return p.first == m.sender; });
        if (it == pieces.end())
            it = pieces.insert(pieces.end(), {m.sender, {}});
        it->second.insert(quint8(m.data[2]), m.data.mid(3));
    }
    for (const auto& [sender, parts] : pieces) {
        QByteArray joined;
        for (const QByteArray& part : parts)
            joined += part;
        units.append({sender, joined});
    }
    return units;
}

std::optional<PidSupport> InfoTypesOf(const QList<EcuMessage>& messages, ProtocolFamily family) {
    std::optional<PidSupport> all;
    for (const UnitInfo& unit : InfoDataOf(messages, family, InfoSupported)) {
        const QByteArray& d = unit.data;
        const std::uint32_t bitmap = SupportBitmap(
            std::span(reinterpret_cast<const std::uint8_t*>(d.constData()), size_t(d.size())));
        const std::uint32_t words[] = {bitmap};
        all = all.value_or(PidSupport{}) | SupportedPidUnion(words);
    }
    return all;
}

QString InfoText(const QByteArray& bytes) {
    qsizetype begin = 0, end = bytes.size();
    while (begin < end && bytes[begin] == '\0')
        ++begin;
    while (end > begin && bytes[end - 1] == '\0')
        --end;
    QString text;
    for (qsizetype k = begin; k < end; ++k) {
        const quint8 b = quint8(bytes[k]);
        // Padding inside a field (an ECU name's short acronym) is no character.
        if (b != 0)
            text += b >= 0x20 && b < 0x7F ? QChar(b) : QLatin1Char('?');
    }
    return text;
}

std::optional<QString> VinOf(const QList<EcuMessage>& messages, ProtocolFamily family) {
    const QList<UnitInfo> units = InfoDataOf(messages, family, InfoVin);
    if (units.isEmpty())
        return std::nullopt;
    const UnitInfo* chosen = &units.front();
    for (const UnitInfo& u : units)
        if (u.sender == EngineSender(family))
            chosen = &u;
    return InfoText(chosen->data);
}

QStringList CalibrationIdsIn(const QByteArray& data) {
    return Chunks(data, 16, &InfoText);
}

QStringList CalibrationNumbersIn(const QByteArray& data) {
    return Chunks(data, 4,
                  [](const QByteArray& b) { return QString::fromLatin1(b.toHex().toUpper()); });
}

} // namespace obd
