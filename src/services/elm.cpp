#include "services/elm.h"

#include "link/comport.h"
#include "link/link.h"

namespace obd {

const std::array<ChipCommand, 6> ChipCommands{{
    {"ATZ", "ELM", false},
    {"ATI", "ELM", true},
    {"ATE0", "OK", false},
    {"ATE1", "OK", false},
    {"ATL0", "OK", false},
    {"ATL1", "OK", false},
}};

namespace {

// A closed port sends nothing; the demo responder needs no port.
QString Run(Link& link, ChipCommandId which) {
    if (!link.LineOpen())
        return ReplyError;
    const ChipCommand& command = ChipCommands[which];
    link.SendCommand(QLatin1String(command.command));
    return ChipCommandResult(command, link.ReceiveReply());
}

} // namespace

QString ChipCommandResult(const ChipCommand& command, const QString& reply) {
    if (!reply.contains(QLatin1String(command.key), Qt::CaseSensitive))
        return ReplyError;
    return command.replyIsResult ? reply : QStringLiteral("OK");
}

QString ElmReset(Link& link) {
    return Run(link, ChipReset);
}

QString ElmIdentify(Link& link) {
    return Run(link, ChipIdentify);
}

QString ElmSetEcho(Link& link, bool on) {
    return Run(link, on ? ChipEchoOn : ChipEchoOff);
}

QString ElmSetLinefeeds(Link& link, bool on) {
    return Run(link, on ? ChipLinefeedsOn : ChipLinefeedsOff);
}

} // namespace obd
