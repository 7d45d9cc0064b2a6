#include "services/elm323reply.h"

namespace obd {

namespace {

constexpr qsizetype KLineMessageBytes = 7;

} // namespace

ParsedReply Elm323Messages(const QString& cleanedReply) {
    const QByteArray bytes = QByteArray::fromHex(cleanedReply.toLatin1());
    const bool hex = cleanedReply.size() % 2 == 0 &&
                     bytes.toHex().toUpper() == cleanedReply.toLatin1().toUpper();
    if (!cleanedReply.startsWith(QLatin1Char('4')) || !hex)
        return {{}, cleanedReply};
    bool split = bytes.size() > KLineMessageBytes && bytes.size() % KLineMessageBytes == 0;
    for (qsizetype at = 0; split && at < bytes.size(); at += KLineMessageBytes)
        split = bytes[at] == bytes[0];
    if (!split)
        return {{EcuMessage{UnknownSender, bytes}}, {}};
    ParsedReply parsed;
    for (qsizetype at = 0; at < bytes.size(); at += KLineMessageBytes)
        parsed.messages.append({UnknownSender, bytes.mid(at, KLineMessageBytes)});
    return parsed;
}

} // namespace obd
