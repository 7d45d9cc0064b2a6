// Requests over an ELM327-style adapter: its own commands, optional ones
// included, and the vehicle's requests read as messages per control unit by
// the way the connection found the adapter laying out the answers.
#pragma once

#include "common/obdtypes.h"
#include "common/sensortable.h"
#include "services/protocol.h"

#include <QList>
#include <QString>
#include <optional>

namespace obd {

class Link;

// How the adapter lays out the vehicle's answers.
struct BusFraming {
    ProtocolFamily family = ProtocolFamily::Can11;
    bool headers = false;
    bool operator==(const BusFraming&) const = default;
};

// The longest silence within the first request after a reset: the adapter
// searches for the vehicle's protocol before it answers.
inline constexpr int ProtocolSearchWaitMs = 15000;

// The result of an optional adapter command the adapter does not know ("?").
inline const QString NotSupportedText = QStringLiteral("nicht unterstützt");

// Why a request has no messages when the adapter sent no reply.
inline const QString NoReplyText = QStringLiteral("Der Adapter hat nicht geantwortet.");

// Sends an adapter command; its reply with line breaks as blanks, trimmed.
// ReplyError when no reply came; a closed port sends nothing.
QString AdapterQuery(Link& link, const QString& command);
// An adapter setting: "OK", NotSupportedText when the adapter answered "?",
// ReplyError otherwise.
QString AdapterSetting(Link& link, const QString& command);

// Sends a vehicle request and returns the reply as the adapter sent it.
QString RequestRaw(Link& link, const QString& request, int waitMs = 0);
// The messages of a reply; no reply at all is a fault too.
ParsedReply MessagesOf(const QString& raw, const BusFraming& framing);
ParsedReply RequestMessages(Link& link, const QString& request, const BusFraming& framing);

// The monitor status over every answering unit; none when it could not be
// read, fault then holding the adapter's message or why the reply could not
// be read (empty when the reply held no answer to 01 01).
std::optional<TMonitorStatus> RequestMonitorStatus(Link& link, const BusFraming& framing,
                                                   QString& fault);

// The shown value of service 01 PID pid (1 to 32): "N/A" when the PID is not
// supported or the adapter answered with one of its messages, "Fehler" for a
// PID without a decoder and for a missing or unreadable answer.
QString RequestSensorValue(Link& link, const BusFraming& framing, const TSupportedPids& supported,
                           int pid);

// Every value of service 01 PID pid (see SensorReadingsOf), asked alone: "N/A"
// for each when the adapter answered with one of its messages, "Fehler" for
// each when the answer is missing or cannot be read.
QList<SensorReading> RequestSensorReadings(Link& link, const BusFraming& framing, int pid);

// The framing the workflows read by: none (the ELM323's text dialogue) in
// demo mode, whose responder speaks that dialogue, and when none was found.
std::optional<BusFraming> ActiveFraming(const Link& link, const std::optional<BusFraming>& found);

} // namespace obd
