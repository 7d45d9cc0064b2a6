#include "session/vehiclebus.h"

#include "link/link.h"
#include "services/adaptermessages.h"
#include "services/elm323reply.h"

#include <QRegularExpression>

namespace obd {

ParsedReply Elm323Bus::Ask(Link& link, const QString& request) const {
    // A chip error word (a car without the read answers NODATA) is reported
    // by the caller in its own words instead of the chip's error box.
    link.SendCommand(request);
    const QString raw = link.ReceiveRawReply();
    if (raw == ReplyError)
        return {{}, NoReplyText};
    // Each line is read on its own, so that a refusal and the answer after it
    // ("7F 04 78", then "44") stay two messages; the cleaning is the exchange's own.
    ParsedReply all;
    static const QRegularExpression lineBreak(QStringLiteral("[\r\n]+"));
    for (const QString& line : raw.split(lineBreak, Qt::SkipEmptyParts)) {
        const QString cleaned = CleanReplyText(line);
        if (cleaned.isEmpty())
            continue;
        // A control unit's refusal ("7F 04 22") is a message too.
        const QByteArray compact = QString(cleaned).remove(QLatin1Char(' ')).toLatin1().toUpper();
        const QByteArray refusal = QByteArray::fromHex(compact);
        if (refusal.size() == 3 && quint8(refusal[0]) == 0x7F &&
            refusal.toHex().toUpper() == compact) {
            all.messages.append({UnknownSender, refusal});
            continue;
        }
        ParsedReply parsed = Elm323Messages(cleaned);
        if (!parsed.fault.isEmpty())
            return {{},
                    IsChipErrorWord(cleaned) || !AdapterMessageText(cleaned).isEmpty()
                        ? QStringLiteral("Der Adapter meldet „%1“.").arg(cleaned)
                        : QStringLiteral("Die Antwort ist nicht lesbar: „%1“.").arg(cleaned)};
        all.messages += parsed.messages;
    }
    return all;
}

Reading<TMonitorStatus> AskMonitorStatus(const VehicleBus& bus, Link& link) {
    return AskDecoded<TMonitorStatus>(bus, link, QStringLiteral("0101"), &MonitorStatusOf);
}

ParsedReply Elm327Bus::Ask(Link& link, const QString& request) const {
    return RequestMessages(link, request, m_framing);
}

} // namespace obd
