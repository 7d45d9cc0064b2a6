#include "session/vehiclebus.h"

#include "link/link.h"
#include "services/elm323reply.h"

namespace obd {

ParsedReply Elm323Bus::Ask(Link& link, const QString& request) const {
    link.SendCommand(request);
    return Elm323Messages(link.ReceiveReply());
}

} // namespace obd
