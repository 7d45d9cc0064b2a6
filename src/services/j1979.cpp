#include "services/j1979.h"

#include "common/bits.h"
#include "common/pidtable.h"
#include "common/regional.h"
#include "link/link.h"
#include "services/pidvalues.h"

namespace obd {

namespace {

QString Request(Link& link, const QString& command) {
    link.SendCommand(command);
    return link.ReceiveReply();
}

// Data byte n (from 0) of a positive reply: characters 5 + 2n and 6 + 2n,
// fixed positions after the four-character head.
quint8 DataByte(const QString& reply, int n) {
    return quint8(HexToInt(reply.mid(4 + 2 * n, 2)));
}

// The answer that echoes head ("410C"), from its head on: the cleaned reply
// has lost its line breaks, so a stale or foreign answer before it ("410D00")
// is skipped by looking for the head on a byte boundary. Empty when no answer
// echoes the request.
QString AnswerTo(const QString& reply, const QString& head) {
    for (qsizetype at = reply.indexOf(head); at >= 0; at = reply.indexOf(head, at + 1))
        if (at % 2 == 0)
            return reply.mid(at);
    return {};
}

QString TextOrError(const char* text) {
    return text ? QString::fromUtf8(text) : ReplyError;
}

constexpr std::array<const char*, 16> DtcPrefixes{
    "P0", "P1", "P2", "P3", "C0", "C1", "C2", "C3", "B0", "B1", "B2", "B3", "U0", "U1", "U2", "U3",
};

constexpr int DtcFrameLength = 14;

// The decoded readiness bits of service 01 PID 01: data byte (A = 0), bit, field.
struct MonitorFlag {
    quint8 byte;
    quint8 bit;
    bool TMonitorStatus::*field;
};

constexpr std::array<MonitorFlag, 14> MonitorFlags{{
    {1, 0, &TMonitorStatus::MisfireSupported},
    {1, 1, &TMonitorStatus::FuelSystemSupported},
    {1, 2, &TMonitorStatus::ComponentsSupported},
    {1, 4, &TMonitorStatus::MisfireIncomplete},
    {1, 5, &TMonitorStatus::FuelSystemIncomplete},
    {1, 6, &TMonitorStatus::ComponentsIncomplete},
    {2, 0, &TMonitorStatus::CatalystSupported},
    {2, 2, &TMonitorStatus::EvapSystemSupported},
    {2, 5, &TMonitorStatus::OxygenSensorSupported},
    {2, 6, &TMonitorStatus::OxygenSensorHeaterSupported},
    {3, 0, &TMonitorStatus::CatalystIncomplete},
    {3, 2, &TMonitorStatus::EvapSystemIncomplete},
    {3, 5, &TMonitorStatus::OxygenSensorIncomplete},
    {3, 6, &TMonitorStatus::OxygenSensorHeaterIncomplete},
}};

} // namespace

void DecodeSupportedPids(const QString& reply, TSupportedPids& flags) {
    const QString answer = AnswerTo(reply, QStringLiteral("4100"));
    if (answer.isEmpty())
        return;
    const QString data = answer.mid(4);
    for (int i = 0; i < 4; ++i) {
        const qint32 byte = HexToInt(data.mid(2 * i, 2));
        for (int bit = 7; bit >= 0; --bit)
            flags[size_t(i * 8 + 7 - bit)] = TestBit(byte, quint8(bit));
    }
}

TMonitorStatus DecodeMonitorStatus(const QString& reply) {
    TMonitorStatus status;
    if (!reply.startsWith(QLatin1String("4101")))
        return status;
    // All four bytes are converted before any field is written.
    const std::array<quint8, 4> bytes{DataByte(reply, 0), DataByte(reply, 1), DataByte(reply, 2),
                                      DataByte(reply, 3)};
    status.MilOn = TestBit(bytes[0], 7);
    status.DtcCount = bytes[0] & 0x7F;
    for (const MonitorFlag& flag : MonitorFlags)
        status.*flag.field = TestBit(bytes[flag.byte], flag.bit);
    return status;
}

SensorReading DecodeSensorReading(int pid, const QString& reply, QChar decimalSeparator) {
    const auto text = [](QString t) { return SensorReading{std::move(t), std::nullopt, 0}; };
    const PidInfo* info = FindPid(pid);
    if (!info || info->decoder == PidDecoder::None)
        return text(ReplyError);
    const QString head = QStringLiteral("41%1").arg(pid, 2, 16, QLatin1Char('0')).toUpper();
    const QString answer = AnswerTo(reply, head);
    if (answer.isEmpty())
        return text(ReplyError);
    const int a = DataByte(answer, 0);
    const int b = UsesByteB(info->decoder) ? DataByte(answer, 1) : 0;

    switch (info->decoder) {
    case PidDecoder::None:
        return text(ReplyError);
    case PidDecoder::MilState:
        return text(TestBit(a, 7) ? QStringLiteral("AN") : QStringLiteral("AUS"));
    case PidDecoder::FuelSystem:
        // No bit set is no error: the freeze frame's text for the same byte.
        if (a == 0)
            return text(
                DecodePidValues(*FindPidSpec(pid), std::array<std::uint8_t, 2>{}).front().text);
        return text(TextOrError(HighestBitText(FuelSystemTexts, quint8(a))));
    case PidDecoder::SecondaryAir:
        return text(TextOrError(HighestBitText(SecondaryAirTexts, quint8(a))));
    case PidDecoder::OxygenSensors:
        return text(TextOrError(HighestBitText(OxygenSensorTexts, quint8(a))));
    case PidDecoder::ObdType:
        return text(TextOrError(ValueTextOf(ObdTypeTexts, a)));
    case PidDecoder::Percent:
    case PidDecoder::Celsius:
    case PidDecoder::FuelTrim:
    case PidDecoder::FuelPressure:
    case PidDecoder::Byte:
    case PidDecoder::Rpm:
    case PidDecoder::Advance:
    case PidDecoder::AirFlow:
    case PidDecoder::OxygenVolts:
        break;
    }
    // The numbers come from the first value of the full PID table, which
    // holds the same formulas.
    const std::array<std::uint8_t, 2> bytes{std::uint8_t(a), std::uint8_t(b)};
    const PidField& field = FindPidSpec(pid)->fields[0];
    const double number = NumberOf(field, bytes);
    return {info->form == NumberForm::Integer ? IntegerForm(static_cast<long long>(number))
                                              : DecimalForm(number, decimalSeparator),
            number, field.decimals};
}

QString DtcPrefix(const QString& digit) {
    if (digit.size() != 1)
        return QStringLiteral("0");
    const char16_t u = digit[0].unicode();
    int value = -1;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value < 0 ? QStringLiteral("0") : QLatin1String(DtcPrefixes[size_t(value)]);
}

void SplitDtcFrame(const QString& frame, std::array<TTroubleCodeEntry, 3>& entries) {
    for (int slot = 0; slot < 3; ++slot) {
        const QString digits = frame.mid(2 + 4 * slot, 4);
        // Raises the conversion error for a pair that is not hexadecimal,
        // which would otherwise be listed as a code ("P0ZZZ").
        HexToInt(digits);
        const QString prefix = DtcPrefix(digits.left(1));
        if (prefix != QLatin1String("0"))
            entries[size_t(slot)].Code = prefix + digits.mid(1);
    }
}

QStringList DecodeTroubleCodes(const QString& reply) {
    QStringList codes;
    if (!reply.startsWith(QLatin1String("43")))
        return codes;
    const qsizetype frames = reply.size() / DtcFrameLength;
    for (qsizetype k = 0; k < frames; ++k) {
        std::array<TTroubleCodeEntry, 3> entries;
        SplitDtcFrame(reply.mid(k * DtcFrameLength, DtcFrameLength), entries);
        for (const TTroubleCodeEntry& entry : entries)
            if (!entry.Code.isEmpty() && entry.Code != QLatin1String("P0000"))
                codes.append(entry.Code);
    }
    return codes;
}

bool DecodeClearConfirmation(const QString& reply) {
    return reply == QLatin1String("44");
}

bool CheckEcuLink(Link& link) {
    for (int attempt = 0; attempt < 2; ++attempt)
        if (Request(link, QStringLiteral("0100")).contains(QLatin1String("41")))
            return true;
    return false;
}

void ReadSupportedPids(Link& link, TSupportedPids& flags) {
    DecodeSupportedPids(Request(link, QStringLiteral("0100")), flags);
}

bool ReadMonitorStatus(Link& link, TMonitorStatus& status) {
    const QString reply = Request(link, QStringLiteral("0101"));
    status = DecodeMonitorStatus(reply);
    return reply.startsWith(QLatin1String("4101"));
}

void ReadSensorData(Link& link, const TSupportedPids& supported, const QString& service,
                    const QString& pid, QString& value) {
    value = ReplyError;
    const qint32 serviceNumber = HexToInt(service);
    const qint32 pidNumber = HexToInt(pid);
    if (serviceNumber != 1)
        return;
    value = ReadSensorReading(link, supported, pidNumber).text;
}

SensorReading ReadSensorReading(Link& link, const TSupportedPids& supported, int pid) {
    // PIDs outside the 32 flags count as unsupported rather than reading past them.
    if (pid < 1 || pid > int(supported.size()) || !supported[size_t(pid - 1)])
        return {NotAvailable, std::nullopt, 0};
    if (FindPid(pid)->decoder == PidDecoder::None)
        return {ReplyError, std::nullopt, 0};
    const QString command = QStringLiteral("01%1").arg(pid, 2, 16, QLatin1Char('0')).toUpper();
    return DecodeSensorReading(pid, Request(link, command), DecimalSeparator());
}

QStringList ReadTroubleCodes(Link& link) {
    QStringList codes;
    ReadTroubleCodes(link, codes);
    return codes;
}

bool ReadTroubleCodes(Link& link, QStringList& codes) {
    const QString reply = Request(link, QStringLiteral("03"));
    codes = DecodeTroubleCodes(reply);
    return reply.startsWith(QLatin1String("43"));
}

bool ClearTroubleCodes(Link& link) {
    return DecodeClearConfirmation(Request(link, QStringLiteral("04")));
}

} // namespace obd
