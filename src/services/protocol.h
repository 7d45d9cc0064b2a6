// The protocol layer of ELM327-style adapters: the reply text of one request
// becomes the messages of the control units that answered (sender and data
// bytes), for CAN (11- and 29-bit identifiers, ISO-TP frames reassembled) and
// for K-line/J1850, with headers shown or not.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace obd {

enum class ProtocolFamily : std::uint8_t {
    Can11, // ISO 15765-4, 11-bit identifiers: header "7E8"
    Can29, // ISO 15765-4, 29-bit identifiers: header "18 DA F1 10"
    KLine, // ISO 9141-2, ISO 14230-4 and SAE J1850: header "48 6B 10", checksum at the end
};

// The family of a protocol number as ATDPN reports it ("6", "A6"); none for
// J1939, for 0 and for anything else.
std::optional<ProtocolFamily> ProtocolFamilyOf(const QString& protocolNumber);

// With headers off the sender cannot be told.
inline constexpr int UnknownSender = -1;

struct EcuMessage {
    int sender = UnknownSender; // 7E8 on 11-bit CAN, the last header byte (10) otherwise
    QByteArray data;            // service byte first; no header, length, checksum or pad bytes
    bool operator==(const EcuMessage&) const = default;
};

struct ParsedReply {
    QList<EcuMessage> messages;
    // Empty when the reply was read; otherwise the user's text for the
    // adapter's message or for a reply that cannot be read. Then messages
    // is empty: nothing of such a reply counts as data.
    QString fault;
};

// Reads the adapter's reply to one request: the text it sent before the
// prompt, lines separated by CR (LF too), blank lines allowed, bytes with or
// without blanks between them. The echo must be off (the request's echo would
// read as data). "SEARCHING..." and "BUS INIT: ...OK" are progress notes and
// are skipped. family and headers say how the lines are laid out:
// - CAN, headers off: one line per single-frame message; a multi-frame
//   message is its length (three hex digits) on a line of its own followed by
//   the lines "0:", "1:", ... whose bytes are joined and cut at that length.
// - CAN, headers on: the identifier, then the frame with its ISO-TP byte:
//   single frame (0L), first frame (1LLL) and consecutive frames (2N) per
//   sender; bytes past the declared length are padding.
// - K-line/J1850: one message per line; with headers on, three header bytes
//   (the third is the sender) and a checksum byte at the end.
ParsedReply ParseReply(const QString& reply, ProtocolFamily family, bool headers);

// The sender as a unit name: "7E8" on 11-bit CAN, "10" otherwise; empty for
// an unknown sender.
QString SenderName(int sender, ProtocolFamily family);

} // namespace obd
