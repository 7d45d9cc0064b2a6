#include "services/adapterrequests.h"

#include "common/pidtable.h"
#include "common/regional.h"
#include "link/comport.h"
#include "link/link.h"
#include "services/adaptermessages.h"
#include "services/ecuanswers.h"

namespace obd {

namespace {

const QString NoReplyText = QStringLiteral("Der Adapter hat nicht geantwortet.");

} // namespace

QString AdapterQuery(Link& link, const QString& command) {
    if (!link.LineOpen())
        return ReplyError;
    link.SendCommand(command);
    const QString raw = link.ReceiveRawReply();
    if (raw == ReplyError)
        return raw;
    return QString(raw)
        .replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '))
        .simplified();
}

QString AdapterSetting(Link& link, const QString& command) {
    const QString reply = AdapterQuery(link, command);
    if (reply == QLatin1String("?"))
        return NotSupportedText;
    return reply.endsWith(QLatin1String("OK")) ? QStringLiteral("OK") : ReplyError;
}

QString RequestRaw(Link& link, const QString& request, int waitMs) {
    link.SendCommand(request);
    return link.ReceiveRawReply(waitMs);
}

ParsedReply MessagesOf(const QString& raw, const BusFraming& framing) {
    if (raw == ReplyError)
        return {{}, NoReplyText};
    return ParseReply(raw, framing.family, framing.headers);
}

ParsedReply RequestMessages(Link& link, const QString& request, const BusFraming& framing) {
    return MessagesOf(RequestRaw(link, request), framing);
}

std::optional<TMonitorStatus> RequestMonitorStatus(Link& link, const BusFraming& framing,
                                                   QString& fault) {
    const ParsedReply reply = RequestMessages(link, QStringLiteral("0101"), framing);
    fault = reply.fault;
    return fault.isEmpty() ? MonitorStatusOf(reply.messages) : std::nullopt;
}

QString RequestSensorValue(Link& link, const BusFraming& framing, const TSupportedPids& supported,
                           int pid) {
    if (pid < 1 || pid > int(supported.size()) || !supported[size_t(pid - 1)])
        return NotAvailable;
    if (FindPid(pid)->decoder == PidDecoder::None)
        return ReplyError;
    return RequestSensorReadings(link, framing, pid).first().text;
}

QList<SensorReading> RequestSensorReadings(Link& link, const BusFraming& framing, int pid) {
    const QString raw =
        RequestRaw(link, QStringLiteral("01%1").arg(pid, 2, 16, QLatin1Char('0')).toUpper());
    if (raw != ReplyError && !AdapterMessageText(raw).isEmpty())
        return SensorTexts(pid, NotAvailable);
    const ParsedReply reply = MessagesOf(raw, framing);
    if (!reply.fault.isEmpty())
        return SensorTexts(pid, ReplyError);
    return SensorReadingsOf(reply.messages, framing.family, pid, DecimalSeparator());
}

std::optional<BusFraming> ActiveFraming(const Link& link, const std::optional<BusFraming>& found) {
    if (link.DemoMode.load())
        return std::nullopt;
    return found;
}

} // namespace obd
