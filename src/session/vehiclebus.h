// How the session asks the vehicle: one request, and back the messages of
// the control units that answered (or the fault instead of them), together
// with the protocol family that says how to read them. The chip dialect in
// use decides how its replies become messages.
#pragma once

#include "services/adapterrequests.h"
#include "services/protocol.h"

#include <QString>

namespace obd {

class Link;

class VehicleBus {
public:
    virtual ~VehicleBus() = default;
    virtual ProtocolFamily Family() const = 0;
    // One exchange on link.
    virtual ParsedReply Ask(Link& link, const QString& request) const = 0;
};

// The ELM323: a K-line chip without headers.
class Elm323Bus : public VehicleBus {
public:
    ProtocolFamily Family() const override { return ProtocolFamily::KLine; }
    ParsedReply Ask(Link& link, const QString& request) const override;
};

// An ELM327-style adapter: its raw replies read by the protocol layer in the
// framing the connection sequence found.
class Elm327Bus : public VehicleBus {
public:
    void SetFraming(const BusFraming& framing) { m_framing = framing; }
    ProtocolFamily Family() const override { return m_framing.family; }
    ParsedReply Ask(Link& link, const QString& request) const override;

private:
    BusFraming m_framing;
};

} // namespace obd
