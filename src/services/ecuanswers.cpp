#include "services/ecuanswers.h"

#include "common/bits.h"
#include "common/errors.h"
#include "link/link.h"
#include "services/j1979.h"
#include "services/pidvalues.h"

#include <QSet>
#include <algorithm>

namespace obd {

namespace {

// The cleaned-reply form the single-unit decoders read: "410C1AF8".
QString HexText(const QByteArray& data) {
    return QString::fromLatin1(data.toHex().toUpper());
}

bool Answers(const EcuMessage& m, quint8 service) {
    return !m.data.isEmpty() && quint8(m.data[0]) == service;
}

bool AnswersPid(const EcuMessage& m, int pid) {
    return Answers(m, 0x41) && m.data.size() >= 2 && quint8(m.data[1]) == pid;
}

// Monitor status data bytes A to D of one unit; raises ConversionError when
// fewer than four came.
std::array<quint8, 4> MonitorBytes(const EcuMessage& m) {
    const QString hex = HexText(m.data);
    std::array<quint8, 4> bytes{};
    for (int i = 0; i < 4; ++i)
        bytes[size_t(i)] = quint8(HexToInt(hex.mid(4 + 2 * i, 2)));
    return bytes;
}

// One code from its four hex digits ("0133" -> "P0133"); digits that are
// missing or not hex raise ConversionError.
QString CodeText(const QString& digits) {
    if (digits.size() != 4)
        throw ConversionError(QStringLiteral("'$%1' ist kein gültiger Integerwert").arg(digits));
    HexToInt(digits);
    return DtcPrefix(digits.left(1)) + digits.mid(1);
}

// The refusal codes of a negative response (7F service code) in words.
struct Refusal {
    quint8 code;
    const char* text; // UTF-8
};

constexpr Refusal Refusals[] = {
    {0x10, "allgemeine Ablehnung"},
    {0x11, "Dienst nicht unterstützt"},
    {0x12, "Unterfunktion nicht unterstützt"},
    {0x13, "Anfrage hat falsche Länge oder falsches Format"},
    {0x21, "Steuergerät beschäftigt, Anfrage wiederholen"},
    {0x22, "Bedingungen nicht erfüllt – läuft der Motor?"},
    {0x24, "Anfrage in falscher Reihenfolge"},
    {0x31, "Anfrage außerhalb des zulässigen Bereichs"},
    {0x33, "Zugriff verweigert (Sicherheitszugang nötig)"},
    {0x78, "Antwort folgt"},
};

// "Response pending": the unit's final answer follows.
constexpr quint8 ResponsePending = 0x78;

const QString RefusedText = QStringLiteral("Das Steuergerät lehnt ab: %1 (7F %2 %3).");
const QString NoValidAnswer = QStringLiteral("keine gültige Antwort des Fahrzeugs auf %1.");

// The refusal code of a negative response to service; none for any other message.
std::optional<quint8> RefusalOf(const EcuMessage& m, quint8 service) {
    if (m.data.size() != 3 || quint8(m.data[0]) != 0x7F || quint8(m.data[1]) != service)
        return std::nullopt;
    return quint8(m.data[2]);
}

QString Hex2(quint8 byte) {
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

// The control units whose address ISO 15765-4 fixes.
struct NamedUnit {
    const char* address;
    const char* name;
};

constexpr NamedUnit NamedUnits[] = {
    {"7E8", "Motor"},
    {"7E9", "Getriebe"},
};

} // namespace

int EngineSender(ProtocolFamily family) {
    return family == ProtocolFamily::Can11 ? 0x7E8 : 0x10;
}

const EcuMessage* PreferredAnswer(const QList<EcuMessage>& messages, ProtocolFamily family,
                                  const std::function<bool(const EcuMessage&)>& fits) {
    const EcuMessage* chosen = nullptr;
    for (const EcuMessage& m : messages) {
        if (!fits(m))
            continue;
        if (!chosen || (m.sender == EngineSender(family) && chosen->sender != m.sender))
            chosen = &m;
    }
    return chosen;
}

bool SupportedPidsOf(const QList<EcuMessage>& messages, TSupportedPids& flags) {
    std::optional<TSupportedPids> all;
    for (const EcuMessage& m : messages) {
        if (!AnswersPid(m, 0x00))
            continue;
        TSupportedPids unit{};
        DecodeSupportedPids(HexText(m.data), unit);
        if (!all)
            all = unit;
        else
            std::transform(all->begin(), all->end(), unit.begin(), all->begin(),
                           [](bool a, bool b) { return a || b; });
    }
    if (all)
        flags = *all;
    return all.has_value();
}

std::optional<TMonitorStatus> MonitorStatusOf(const QList<EcuMessage>& messages) {
    std::optional<std::array<quint8, 4>> merged;
    int count = 0;
    for (const EcuMessage& m : messages) {
        if (!AnswersPid(m, 0x01))
            continue;
        const std::array<quint8, 4> bytes = MonitorBytes(m);
        count += bytes[0] & 0x7F;
        if (!merged)
            merged = bytes;
        else
            for (size_t i = 0; i < 4; ++i)
                (*merged)[i] |= bytes[i];
    }
    if (!merged)
        return std::nullopt;
    (*merged)[0] = quint8(((*merged)[0] & 0x80) | std::min(count, 0x7F));
    QString reply = QStringLiteral("4101");
    for (const quint8 byte : *merged)
        reply += QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    return DecodeMonitorStatus(reply);
}

int SensorValueCount(int pid) {
    if (FindPid(pid))
        return 1;
    const PidSpec* spec = FindPidSpec(pid);
    return spec ? int(FieldsOf(*spec).size()) : 0;
}

QList<SensorReading> SensorTexts(int pid, const QString& text) {
    return QList<SensorReading>(SensorValueCount(pid), SensorReading{text, std::nullopt, 0});
}

QList<SensorReading> SensorReadingsOf(const QList<EcuMessage>& messages, ProtocolFamily family,
                                      int pid, QChar decimalSeparator) {
    const EcuMessage* chosen = PreferredAnswer(
        messages, family, [pid](const EcuMessage& m) { return AnswersPid(m, pid); });
    if (!chosen)
        return SensorTexts(pid, ReplyError);
    try {
        if (FindPid(pid))
            return {DecodeSensorReading(pid, HexText(chosen->data), decimalSeparator)};
        const PidSpec* spec = FindPidSpec(pid);
        if (!spec)
            return {};
        const QByteArray data = chosen->data.mid(2);
        QList<SensorReading> readings;
        for (const PidValue& v :
             DecodePidValues(*spec, {reinterpret_cast<const std::uint8_t*>(data.constData()),
                                     size_t(data.size())})) {
            if (v.number)
                readings.append({DecimalForm(*v.number, decimalSeparator), v.number, v.decimals});
            else
                readings.append({v.text, std::nullopt, 0});
        }
        return readings;
    } catch (const ConversionError&) {
        return SensorTexts(pid, ReplyError);
    }
}

QMap<int, EcuMessage> PidAnswersOf(const QList<EcuMessage>& messages, ProtocolFamily family) {
    QMap<int, EcuMessage> answers;
    for (const EcuMessage& m : messages) {
        if (!Answers(m, 0x41))
            continue;
        qsizetype at = 1;
        while (at < m.data.size()) {
            const int pid = quint8(m.data[at]);
            // The bitmap PIDs (00, 20, ...) have no record and four bytes.
            const PidSpec* spec = FindPidSpec(pid);
            const qsizetype length = spec ? spec->bytes : (pid % 0x20 == 0 ? 4 : -1);
            // Past a PID of unknown length the rest cannot be split; a PID
            // cut short keeps what came, for its decoder to refuse.
            const qsizetype end =
                length < 0 ? m.data.size() : std::min(at + 1 + length, m.data.size());
            const auto known = answers.constFind(pid);
            if (known == answers.cend() ||
                (m.sender == EngineSender(family) && known->sender != m.sender))
                answers.insert(pid, EcuMessage{m.sender, '\x41' + m.data.mid(at, end - at)});
            at = end;
        }
    }
    return answers;
}

std::optional<QList<UnitTroubleCode>> TroubleCodesOf(const QList<EcuMessage>& messages,
                                                     ProtocolFamily family, int service) {
    const quint8 answer = quint8(0x40 + service);
    QList<const EcuMessage*> answers;
    QSet<int> senders;
    for (const EcuMessage& m : messages) {
        if (Answers(m, answer)) {
            answers.append(&m);
            senders.insert(m.sender);
        }
    }
    if (answers.isEmpty())
        return std::nullopt;
    QList<UnitTroubleCode> codes;
    for (const EcuMessage* m : answers) {
        const QString unit = senders.size() > 1 ? SenderName(m->sender, family) : QString();
        const QString hex = HexText(m->data);
        if (family == ProtocolFamily::KLine) {
            // Half a code at the end raises ConversionError.
            for (qsizetype at = 2; at < hex.size(); at += 4)
                if (hex.mid(at, 4) != QLatin1String("0000"))
                    codes.append({CodeText(hex.mid(at, 4)), unit});
        } else {
            // A missing count byte or missing code bytes raise ConversionError.
            const int count = HexToInt(hex.mid(2, 2));
            for (int k = 0; k < count; ++k)
                codes.append({CodeText(hex.mid(4 + 4 * k, 4)), unit});
        }
    }
    return codes;
}

QString NegativeResponseText(quint8 code) {
    for (const Refusal& r : Refusals)
        if (r.code == code)
            return QString::fromUtf8(r.text);
    return QStringLiteral("Ablehnungscode %1").arg(Hex2(code));
}

QString WhyUnanswered(const ParsedReply& reply, const QString& request) {
    if (!reply.fault.isEmpty())
        return reply.fault;
    const quint8 service = quint8(request.left(2).toUInt(nullptr, 16));
    for (const EcuMessage& m : reply.messages)
        if (const std::optional<quint8> code = RefusalOf(m, service);
            code && *code != ResponsePending)
            return RefusedText.arg(NegativeResponseText(*code), Hex2(service), Hex2(*code));
    return NoValidAnswer.arg(request);
}

ClearOutcome ClearOutcomeOf(const ParsedReply& reply) {
    bool confirmed = false;
    for (const EcuMessage& m : reply.messages) {
        if (m.data == QByteArray("\x44", 1))
            confirmed = true;
        else if (RefusalOf(m, 0x04) == ResponsePending)
            continue;
        else
            return {false, WhyUnanswered(reply, QStringLiteral("04"))};
    }
    if (!confirmed)
        return {false, WhyUnanswered(reply, QStringLiteral("04"))};
    return {true, {}};
}

QString UnitLabel(const QString& unit) {
    for (const NamedUnit& u : NamedUnits)
        if (unit == QLatin1String(u.address))
            return QString::fromUtf8(u.name);
    return unit;
}

QString CodeWithUnit(const QString& code, const QString& unit) {
    return unit.isEmpty() ? code : QStringLiteral("%1 (%2)").arg(code, UnitLabel(unit));
}

} // namespace obd
