// How the polling worker forms its service 01 requests on the adapter in use.
// An ELM327 from v1.3 on (or an STN chip) is told how many answers to expect
// (the count digit), so it returns as soon as they came, and on CAN takes up
// to six PIDs per request; its replies are read by the protocol layer. Every
// other chip gets one PID per request, as the ELM323 always did.
#pragma once

#include "common/sensortable.h"
#include "services/adapterrequests.h"
#include "services/protocol.h"

#include <QList>
#include <QString>
#include <optional>
#include <span>

namespace obd {

class Link;

struct RequestForm {
    bool fast = false; // count digit and protocol-layer reading
    ProtocolFamily family = ProtocolFamily::Can11;
    bool headers = false;   // the adapter shows the senders
    int units = 1;          // control units that answered 0100
    int pidsPerRequest = 1; // 6 on CAN
};

// Whether the identification (ATI) names a chip with the count digit: ELM327
// v1.3 or later, or an STN chip.
bool HasFastRequests(const QString& identification);

// Switches adaptive timing on and learns the number of units that answer
// 0100, and the header setting and the protocol unless the connection
// sequence found them (known). Plain form when any of it fails.
RequestForm PrepareFastRequests(Link& link, const std::optional<BusFraming>& known = std::nullopt);

// The request for pids in form: "01", the PIDs, then the count digit.
QString PidRequest(std::span<const int> pids, const RequestForm& form);

// Sends the request for pids and returns per PID the readings of its values
// (SensorReadingsOf): a PID missing from the answer reads "N/A", a reply that
// says nothing "Fehler". When the adapter refuses the form ("?", or NO DATA to
// several PIDs), the form falls back (one PID per request, then no count
// digit) and the request is repeated.
QList<QList<SensorReading>> ReadPids(Link& link, RequestForm& form, std::span<const int> pids);

// The readings of pid's values, asked alone: through the framing of an
// ELM327-style adapter, or else in the ELM323's text dialogue, where PIDs 01
// to 20 read as ReadSensorReading reads them (supported: the 01 00 flags).
QList<SensorReading> ReadPidAlone(Link& link, const std::optional<BusFraming>& framing,
                                  const TSupportedPids& supported, int pid);

} // namespace obd
