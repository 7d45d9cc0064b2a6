// The messages in a reply of the ELM323: the exchange hands its reply over
// cleaned (line breaks gone, a positive answer without blanks), so K-line
// messages are recovered by their fixed size: an answer of whole seven-byte
// messages that each begin with the same service byte is that many messages
// (trouble codes, vehicle information), anything else is one message.
#pragma once

#include "services/protocol.h"

namespace obd {

// A reply that is not a positive answer (NODATA, an error word, "Fehler")
// gives no messages and the reply as the fault.
ParsedReply Elm323Messages(const QString& cleanedReply);

} // namespace obd
