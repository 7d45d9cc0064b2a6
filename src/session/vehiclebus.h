// How the session asks the vehicle: one request, and back the messages of
// the control units that answered (or the fault instead of them), together
// with the protocol family that says how to read them. The chip dialect in
// use decides how its replies become messages.
#pragma once

#include "common/errors.h"
#include "common/reading.h"
#include "services/adapterrequests.h"
#include "services/ecuanswers.h"
#include "services/protocol.h"

#include <QList>
#include <QString>
#include <optional>

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

// One request through bus and its answer decoded: decode gives the value
// from the units' messages, or none when no unit answered with it (it may
// raise ConversionError for a damaged answer). The reading says why there is
// no value: the adapter's message, no reply, a control unit's refusal, a
// reply without an answer, or a damaged answer.
template <class T, class Decode>
Reading<T> AskDecoded(const VehicleBus& bus, Link& link, const QString& request, Decode decode) {
    const ParsedReply reply = bus.Ask(link, request);
    if (reply.fault.isEmpty()) {
        try {
            if (std::optional<T> value = decode(reply.messages))
                return Reading<T>::Of(std::move(*value));
        } catch (const ConversionError&) {
            return Reading<T>::Failed(
                QStringLiteral("die Antwort auf %1 ist unvollständig oder beschädigt.")
                    .arg(request));
        }
    }
    return Reading<T>::Failed(WhyUnanswered(reply, request));
}

// The monitor status (01 01) over every answering unit.
Reading<TMonitorStatus> AskMonitorStatus(const VehicleBus& bus, Link& link);

} // namespace obd
