// The commands to the interface chip itself: reset, identify, echo and line
// feeds. Each is one exchange; the answer becomes "OK" (or the identification)
// when it holds the key text, and "Fehler" otherwise.
#pragma once

#include <QString>
#include <array>

namespace obd {

class Link;

QString ElmReset(Link& link);
QString ElmIdentify(Link& link);
QString ElmSetEcho(Link& link, bool on);
QString ElmSetLinefeeds(Link& link, bool on);

// How a chip command's reply is judged.
struct ChipCommand {
    const char* command;
    const char* key;    // must appear in the reply, same case
    bool replyIsResult; // identify hands back the whole reply, the others "OK"
};

enum ChipCommandId {
    ChipReset,
    ChipIdentify,
    ChipEchoOff,
    ChipEchoOn,
    ChipLinefeedsOff,
    ChipLinefeedsOn
};
extern const std::array<ChipCommand, 6> ChipCommands; // indexed by ChipCommandId

// The result of one chip command for its cleaned reply.
QString ChipCommandResult(const ChipCommand& command, const QString& reply);

} // namespace obd
