#include "elmchip.h"

#include "link/demoreply.h"
#include "vehicle.h"

#include <QStringList>
#include <cctype>
#include <string_view>

namespace elmsim {

namespace {

constexpr std::string_view Identification = "ELM323 v1.1";
constexpr std::string_view Ok = "OK";
constexpr std::string_view Unknown = "?";
constexpr std::string_view NoData = "NODATA";

// The vehicle answers every PID it flags as supported: the demo table leaves
// the manifold pressure (0B) unanswered, which a real engine control unit
// would report (33 kPa, an engine at idle).
struct ExtraAnswer {
    std::string_view request, reply;
};
constexpr ExtraAnswer ExtraAnswers[] = {{"010B", "41 0B 21"}};

enum class Effect { Reset, Identify, EchoOff, EchoOn, LineFeedsOff, LineFeedsOn };

struct AtCommand {
    std::string_view name; // after "AT", upper case
    Effect effect;
};

constexpr AtCommand AtCommands[] = {
    {"Z", Effect::Reset},   {"I", Effect::Identify},      {"E0", Effect::EchoOff},
    {"E1", Effect::EchoOn}, {"L0", Effect::LineFeedsOff}, {"L1", Effect::LineFeedsOn},
};

QString text(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

bool isRequest(const QString& command) {
    if (command.isEmpty() || command.size() % 2 != 0)
        return false;
    for (const QChar c : command) {
        if (!std::isxdigit(c.unicode() < 128 ? c.toLatin1() : 'x'))
            return false;
    }
    return true;
}

} // namespace

QString ElmChip::atReply(const QString& command) {
    for (const AtCommand& at : AtCommands) {
        if (command != text(at.name))
            continue;
        switch (at.effect) {
        case Effect::Reset:
            m_echo = m_lineFeeds = true;
            return text(Identification);
        case Effect::Identify:
            return text(Identification);
        case Effect::EchoOff:
        case Effect::EchoOn:
            m_echo = at.effect == Effect::EchoOn;
            return text(Ok);
        case Effect::LineFeedsOff:
        case Effect::LineFeedsOn:
            m_lineFeeds = at.effect == Effect::LineFeedsOn;
            return text(Ok);
        }
    }
    return text(Unknown);
}

QString ElmChip::vehicleReply(const QString& request) const {
    const auto given = m_options.replies.constFind(request);
    if (given != m_options.replies.cend())
        return *given;
    if (!m_options.errorWord.isEmpty())
        return m_options.errorWord;
    return VehicleAnswer(request);
}

QString VehicleAnswer(const QString& request) {
    // One line per message, blanks between the bytes.
    QStringList lines;
    for (const QByteArray& message : EngineMessages(request, false))
        lines << QString::fromLatin1(message.toHex(' ').toUpper());
    if (!lines.isEmpty())
        return lines.join(QLatin1Char('\r'));
    for (const ExtraAnswer& a : ExtraAnswers)
        if (request == text(a.request))
            return text(a.reply);
    const QString demo = obd::DemoTableReply(request);
    return demo == text(obd::DemoUnknownReply) ? text(NoData) : demo;
}

QByteArray ElmChip::answer(const QByteArray& line) {
    const QString command = QString::fromLatin1(line).remove(QLatin1Char(' ')).toUpper();
    QByteArray out;
    if (!command.isEmpty()) {
        if (m_echo)
            out += line + lineEnd();
        QString reply;
        if (command.startsWith(QLatin1String("AT")))
            reply = atReply(command.mid(2));
        else if (isRequest(command))
            reply = vehicleReply(command);
        else
            reply = text(Unknown);
        out += reply.toLatin1().replace("\r", lineEnd()) + lineEnd() + lineEnd();
    }
    if (m_options.prompt)
        out += '>';
    return out;
}

} // namespace elmsim
