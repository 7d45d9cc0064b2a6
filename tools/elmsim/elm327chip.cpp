#include "elm327chip.h"

#include "vehicle.h"

#include <QStringList>
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace elmsim {

namespace {

constexpr std::string_view Identification = "ELM327 v1.5";

// One control unit of the vehicle: its trouble codes (two bytes each) and the
// service 01 answers it gives besides the engine's.
struct Unit {
    std::span<const std::uint16_t> stored, pending, permanent;
    std::string_view status, statusCleared; // 01 01 before and after a clear
};

// Engine: P0133 P0300 U0123 P0420 U1106 stored (a multi-frame answer on
// CAN), P0171 pending, P0420 permanent.
constexpr std::uint16_t EngineStored[] = {0x0133, 0x0300, 0xC123, 0x0420, 0xD106};
constexpr std::uint16_t EnginePending[] = {0x0171};
constexpr std::uint16_t EnginePermanent[] = {0x0420};
// Second unit (hybrid control): P0A80 stored.
constexpr std::uint16_t HybridStored[] = {0x0A80};

constexpr std::array<Unit, 2> Units{{
    {EngineStored, EnginePending, EnginePermanent, "41 01 85 07 65 00", "41 01 00 07 65 00"},
    {HybridStored, {}, {}, "41 01 81 00 00 00", "41 01 00 00 00 00"},
}};

// The second unit's own service 01 answers (the engine's come from the
// ELM323 simulator's vehicle).
struct PidAnswer {
    std::string_view request, reply;
};
constexpr PidAnswer HybridAnswers[] = {
    {"0100", "41 00 88 18 00 00"},
    {"0105", "41 05 5A"},
    {"010C", "41 0C 0B B8"},
    {"010D", "41 0D 00"},
};

struct ProtocolName {
    char number;
    std::string_view name;
};
constexpr ProtocolName ProtocolNames[] = {
    {'1', "SAE J1850 PWM"},
    {'2', "SAE J1850 VPW"},
    {'3', "ISO 9141-2"},
    {'4', "ISO 14230-4 (KWP 5BAUD)"},
    {'5', "ISO 14230-4 (KWP FAST)"},
    {'6', "ISO 15765-4 (CAN 11/500)"},
    {'7', "ISO 15765-4 (CAN 29/500)"},
    {'8', "ISO 15765-4 (CAN 11/250)"},
    {'9', "ISO 15765-4 (CAN 29/250)"},
    {'A', "SAE J1939 (CAN 29/250)"},
};

QString text(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

QString protocolName(char number) {
    for (const ProtocolName& p : ProtocolNames)
        if (p.number == number)
            return text(p.name);
    return QStringLiteral("AUTO");
}

bool isHex(const QString& s) {
    for (const QChar c : s)
        if (!QStringLiteral("0123456789ABCDEF").contains(c))
            return false;
    return !s.isEmpty();
}

bool isKLine(char protocol) {
    return protocol >= '1' && protocol <= '5';
}

// Bytes of a reply written as hex with blanks; empty for any other text.
QByteArray hexBytes(const QString& reply) {
    const QString compact = QString(reply).remove(QLatin1Char(' '));
    return compact.size() % 2 == 0 && isHex(compact) ? QByteArray::fromHex(compact.toLatin1())
                                                     : QByteArray();
}

// Service byte, count on CAN, two bytes per code; K-line: three codes per
// message, unused ones 00 00.
QList<QByteArray> codeMessages(quint8 answer, std::span<const std::uint16_t> codes, bool can) {
    auto pair = [](std::uint16_t code) {
        return QByteArray(1, char(code >> 8)) + char(code & 0xFF);
    };
    if (can) {
        QByteArray m(1, char(answer));
        m += char(codes.size());
        for (const std::uint16_t code : codes)
            m += pair(code);
        return {m};
    }
    QList<QByteArray> frames;
    for (size_t at = 0; at == 0 || at < codes.size(); at += 3) {
        QByteArray m(1, char(answer));
        for (size_t k = at; k < at + 3; ++k)
            m += k < codes.size() ? pair(codes[k]) : QByteArray(2, '\0');
        frames.append(m);
    }
    return frames;
}

} // namespace

Elm327Chip::Elm327Chip(Elm327Options options) : m_options(std::move(options)) {
    reset();
}

void Elm327Chip::reset() {
    m_echo = m_lineFeeds = m_spaces = true;
    m_headers = m_options.headersStored;
    m_connected = false;
}

bool Elm327Chip::isCan() const {
    return !isKLine(m_options.protocol);
}

QString Elm327Chip::atReply(const QString& command) {
    const QString ok = QStringLiteral("OK");
    if (command == QLatin1String("Z")) {
        reset();
        return text(Identification);
    }
    if (command == QLatin1String("I"))
        return text(Identification);
    if (command == QLatin1String("@1"))
        return QStringLiteral("OBDII to RS232 Interpreter");
    if (command == QLatin1String("D")) {
        m_headers = m_options.headersStored;
        m_spaces = true;
        return ok;
    }
    if (command == QLatin1String("RV"))
        return QStringLiteral("12.6V");
    if (command == QLatin1String("DPN"))
        return m_setting == '0'
                   ? (m_connected ? QStringLiteral("A") + m_options.protocol : QStringLiteral("0"))
                   : QString(QLatin1Char(m_setting));
    if (command == QLatin1String("DP"))
        return m_setting == '0' ? (m_connected ? "AUTO, " + protocolName(m_options.protocol)
                                               : QStringLiteral("AUTO"))
                                : protocolName(m_setting);
    // Switches: E echo, L line feeds, H headers, S spaces, AT adaptive timing.
    static const QStringList switches{"E0", "E1", "L0",  "L1",  "H0", "H1",
                                      "S0", "S1", "AT0", "AT1", "AT2"};
    if (switches.contains(command)) {
        const bool on = command.back() != QLatin1Char('0');
        switch (command[0].unicode()) {
        case u'E':
            m_echo = on;
            break;
        case u'L':
            m_lineFeeds = on;
            break;
        case u'H':
            m_headers = on;
            break;
        case u'S':
            m_spaces = on;
            break;
        }
        return ok;
    }
    // SPn, SPAn, TPn, TPAn: a fixed protocol or the search; 0 searches.
    if ((command.startsWith(QLatin1String("SP")) || command.startsWith(QLatin1String("TP"))) &&
        command.size() >= 3) {
        const QString number = command.mid(command[2] == QLatin1Char('A') ? 3 : 2);
        if (number.size() == 1 && protocolName(number[0].toLatin1()) != QLatin1String("AUTO")) {
            m_setting = command[2] == QLatin1Char('A') ? '0' : number[0].toLatin1();
        } else if (number == QLatin1String("0")) {
            m_setting = '0';
        } else {
            return QStringLiteral("?");
        }
        m_connected = false;
        return ok;
    }
    return QStringLiteral("?");
}

QList<QByteArray> Elm327Chip::unitAnswer(int unit, const QString& request) const {
    const Unit& u = Units[size_t(unit)];
    const bool can = isCan();
    if (request == QLatin1String("0101"))
        return {hexBytes(text(m_cleared ? u.statusCleared : u.status))};
    if (request.startsWith(QLatin1String("01")) && request.size() == 4) {
        const QByteArray data = pidAnswer(unit, request);
        return data.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{data};
    }
    // On CAN up to six PIDs in one request: one message with the answer of
    // every PID the unit has, each as PID byte and data, after one 41.
    if (request.startsWith(QLatin1String("01")) && can && request.size() <= 14) {
        QByteArray joined;
        for (qsizetype at = 2; at < request.size(); at += 2) {
            const QByteArray one = pidAnswer(unit, QStringLiteral("01") + request.mid(at, 2));
            joined += one.mid(1);
        }
        return joined.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{'\x41' + joined};
    }
    if (request == QLatin1String("03"))
        return codeMessages(0x43, m_cleared ? std::span<const std::uint16_t>{} : u.stored, can);
    if (request == QLatin1String("07"))
        return codeMessages(0x47, m_cleared ? std::span<const std::uint16_t>{} : u.pending, can);
    if (request == QLatin1String("0A") && can)
        return codeMessages(0x4A, u.permanent, can);
    if (request == QLatin1String("04"))
        return {QByteArray(1, '\x44')};
    if (unit == 0)
        return EngineMessages(request, can);
    return {};
}

QByteArray Elm327Chip::pidAnswer(int unit, const QString& request) const {
    if (unit == 0 && m_options.driveScale > 0) {
        const std::chrono::duration<double> running = std::chrono::steady_clock::now() - m_started;
        if (const QByteArray driven = DrivenAnswer(request, running.count() * m_options.driveScale);
            !driven.isEmpty())
            return driven;
    }
    if (unit == 0)
        return hexBytes(VehicleAnswer(request));
    for (const PidAnswer& a : HybridAnswers)
        if (request == text(a.request))
            return hexBytes(text(a.reply));
    return {};
}

QList<std::pair<int, QList<QByteArray>>> Elm327Chip::unitAnswers(const QString& request,
                                                                 int count) {
    QList<std::pair<int, QList<QByteArray>>> answers;
    for (int unit = 0; unit < m_options.units && (count == 0 || answers.size() < count); ++unit) {
        const QList<QByteArray> messages = unitAnswer(unit, request);
        if (!messages.isEmpty())
            answers.append({unit, messages});
    }
    if (request == QLatin1String("04") && !answers.isEmpty())
        m_cleared = true;
    return answers;
}

QString Elm327Chip::bytes(const QByteArray& data) const {
    QString out;
    for (const char b : data) {
        out += QStringLiteral("%1").arg(quint8(b), 2, 16, QLatin1Char('0')).toUpper();
        if (m_spaces)
            out += QLatin1Char(' ');
    }
    return out;
}

QStringList Elm327Chip::lines(int unit, const QByteArray& data) const {
    const char protocol = m_options.protocol;
    if (!isCan()) {
        if (!m_headers)
            return {bytes(data)};
        const char sender = char(0x10 + 8 * unit);
        QByteArray frame = protocol == '3' ? QByteArray("\x48\x6B", 2)
                                           : QByteArray(1, char(0x80 | data.size())) + '\xF1';
        frame += sender;
        frame += data;
        quint8 sum = 0;
        for (const char b : frame)
            sum = quint8(sum + quint8(b));
        return {bytes(frame + char(sum))};
    }
    const QString id = protocol == '6'
                           ? QStringLiteral("%1").arg(0x7E8 + unit, 3, 16).toUpper() +
                                 (m_spaces ? QStringLiteral(" ") : QString())
                           : bytes(QByteArray("\x18\xDA\xF1", 3) + char(0x10 + 8 * unit));
    const qsizetype length = data.size();
    if (length <= 7)
        return {m_headers ? id + bytes(char(length) + data) : bytes(data)};
    // ISO-TP: a first frame with the length and six bytes, then consecutive
    // frames of seven numbered 1 to F, 0, 1, ...
    QStringList out;
    if (m_headers) {
        out << id + bytes(QByteArray(1, char(0x10 | length >> 8)) + char(length & 0xFF) +
                          data.left(6));
        for (qsizetype at = 6, n = 1; at < length; at += 7, ++n)
            out << id + bytes(char(0x20 | (n & 0x0F)) + data.mid(at, 7));
        return out;
    }
    out << QStringLiteral("%1").arg(length, 3, 16, QLatin1Char('0')).toUpper();
    for (qsizetype at = 0, n = 0; at < length; at += n == 0 ? 6 : 7, ++n)
        out << QStringLiteral("%1:").arg(n & 0x0F, 1, 16).toUpper() +
                   (m_spaces ? QStringLiteral(" ") : QString()) +
                   bytes(data.mid(at, n == 0 ? 6 : 7));
    return out;
}

Answer Elm327Chip::request(const QString& command, const QByteArray& echo) {
    const QByteArray end = lineEnd();
    const QByteArray close = end + end + (m_options.chip.prompt ? ">" : "");
    // A last digit past the byte pairs says how many units to wait for.
    const bool counted = command.size() % 2 != 0;
    const QString request = counted ? command.left(command.size() - 1) : command;
    const int count = counted ? command.right(1).toInt(nullptr, 16) : 0;

    Answer out;
    QByteArray head = echo;
    int delay = 0;
    if (!m_connected) {
        const bool reachable =
            !m_options.ignitionOff && (m_setting == '0' || m_setting == m_options.protocol);
        if (m_setting == '0') {
            out.append({0, head + "SEARCHING..." + end});
            head.clear();
            delay = m_options.searchMs;
            if (!reachable) {
                out.append({delay, end + "UNABLE TO CONNECT" + close});
                return out;
            }
        } else if (isKLine(m_setting)) {
            out.append({0, head + "BUS INIT: "});
            head.clear();
            delay = m_options.searchMs;
            if (!reachable) {
                out.append({delay, "...ERROR" + close});
                return out;
            }
            head = "...OK" + end;
        } else if (!reachable) {
            out.append({0, head + "CAN ERROR" + close});
            return out;
        }
        m_connected = true;
    }

    QStringList body;
    const auto given = m_options.chip.replies.constFind(command);
    if (given != m_options.chip.replies.cend()) {
        body << *given;
    } else if (!m_options.chip.errorWord.isEmpty()) {
        body << m_options.chip.errorWord;
    } else if (m_options.singlePid && request.startsWith(QLatin1String("01")) &&
               request.size() > 4) {
        body << QStringLiteral("?");
    } else {
        const auto answers = unitAnswers(request, count);
        for (const auto& [unit, messages] : answers)
            for (const QByteArray& message : messages)
                body << lines(unit, message);
        if (body.isEmpty())
            body << QStringLiteral("NO DATA");
        // The units take their time; then the adapter waits for more unless
        // the count it was given has come.
        delay += m_options.ecuMs;
        if (count == 0 || answers.size() < count)
            delay += m_options.adapterWaitMs;
    }
    out.append({delay, head + body.join(QString::fromLatin1(end)).toLatin1() + close});
    return out;
}

Answer Elm327Chip::answer(const QByteArray& line) {
    const QString command = QString::fromLatin1(line).remove(QLatin1Char(' ')).toUpper();
    if (command.isEmpty())
        return {{0, m_options.chip.prompt ? QByteArray(">") : QByteArray()}};
    const QByteArray echo = m_echo ? line + lineEnd() : QByteArray();
    if (command.startsWith(QLatin1String("AT"))) {
        const QString reply = atReply(command.mid(2));
        return {{0, echo + reply.toLatin1() + lineEnd() + lineEnd() +
                        (m_options.chip.prompt ? ">" : "")}};
    }
    if (!isHex(command) || command.size() < 2)
        return {{0, echo + "?" + lineEnd() + lineEnd() + (m_options.chip.prompt ? ">" : "")}};
    return request(command, echo);
}

} // namespace elmsim
