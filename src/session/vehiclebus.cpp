#include "session/vehiclebus.h"

#include "link/link.h"
#include "services/elm323reply.h"

namespace obd {

ParsedReply Elm323Bus::Ask(Link& link, const QString& request) const {
    // These requests are optional reads (vehicle information, pending codes,
    // freeze frame, test results): a car without them answers with the chip's
    // NODATA, which the caller reports in its own words instead of the chip's
    // error box. The cleaning is the exchange's own.
    link.SendCommand(request);
    QString reply = link.ReceiveRawReply();
    if (reply != ReplyError)
        reply = CleanReplyText(reply.replace(QLatin1Char('\r'), QLatin1Char(' '))
                                   .replace(QLatin1Char('\n'), QLatin1Char(' ')));
    return Elm323Messages(reply);
}

ParsedReply Elm327Bus::Ask(Link& link, const QString& request) const {
    return RequestMessages(link, request, m_framing);
}

} // namespace obd
