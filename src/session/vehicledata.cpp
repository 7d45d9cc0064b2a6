#include "session/vehicledata.h"

#include "common/errors.h"
#include "services/adapterrequests.h"
#include "services/ecuanswers.h"
#include "services/freezeframe.h"
#include "services/vehicleinfo.h"

#include <cmath>
#include <span>

namespace obd {

namespace {

QString Hex2(int value) {
    return QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

std::span<const std::uint8_t> Bytes(const QByteArray& data) {
    return {reinterpret_cast<const std::uint8_t*>(data.constData()), size_t(data.size())};
}

// A service 02 request names the frame after the PID: frame 0.
QString FrameOf(int service) {
    return service == 2 ? QStringLiteral("00") : QString();
}

// Walks the bitmaps of service 01 or 02 (frame 0) after the ones known, from
// range 00 on, as far as each announces the next, unless stop says otherwise
// before a request; the bitmaps of every unit that answered count.
PidSupport WalkRanges(const VehicleBus& bus, Link& link, int service,
                      std::vector<std::uint32_t> bitmaps = {},
                      const std::function<bool()>& stop = {}, QString* firstFailure = nullptr) {
    const qsizetype head = service == 2 ? 3 : 2; // 02 answers carry the frame number
    while (const std::optional<int> range = NextSupportRange(bitmaps)) {
        if (stop && stop())
            break;
        const QString request = Hex2(service) + Hex2(*range) + FrameOf(service);
        const ParsedReply reply = bus.Ask(link, request);
        std::optional<std::uint32_t> word;
        for (const EcuMessage& m : reply.messages) {
            if (m.data.size() < head || quint8(m.data[0]) != 0x40 + service ||
                quint8(m.data[1]) != *range || (head == 3 && m.data[2] != '\0'))
                continue;
            word = word.value_or(0) | SupportBitmap(Bytes(m.data.mid(head)));
        }
        if (!word) {
            if (firstFailure && bitmaps.empty())
                *firstFailure = WhyUnanswered(reply, request);
            break;
        }
        bitmaps.push_back(*word);
    }
    return SupportedPidUnion(bitmaps);
}

// A row of values decoded from the data, or the error of data too short.
PidRow RowOf(const PidSpec& spec, const std::optional<QByteArray>& data) {
    PidRow row{spec.pid, QString::fromUtf8(spec.name), {}, {}};
    if (!data) {
        row.error = QStringLiteral("keine Antwort");
        return row;
    }
    try {
        row.values = DecodePidValues(spec, Bytes(*data));
    } catch (const ConversionError&) {
        row.error = QStringLiteral("Antwort zu kurz");
    }
    return row;
}

// The data of service 01 pid from the preferred unit's answer.
std::optional<QByteArray> LiveData(const VehicleBus& bus, Link& link, int pid) {
    const ParsedReply reply = bus.Ask(link, QStringLiteral("01") + Hex2(pid));
    const EcuMessage* m = PreferredAnswer(reply.messages, bus.Family(), [pid](const EcuMessage& e) {
        return e.data.size() >= 2 && quint8(e.data[0]) == 0x41 && quint8(e.data[1]) == pid;
    });
    if (!m)
        return std::nullopt;
    return m->data.mid(2);
}

QList<O2Sensor> PresentSensors(const VehicleBus& bus, Link& link, const PidSupport& supported) {
    for (const int pid : {0x13, 0x1D}) {
        if (!supported[size_t(pid)])
            continue;
        const std::optional<QByteArray> data = LiveData(bus, link, pid);
        if (data && !data->isEmpty())
            return O2SensorsOf(pid, quint8(data->at(0)));
    }
    return {};
}

bool IsCan(ProtocolFamily family) {
    return family != ProtocolFamily::KLine;
}

} // namespace

std::optional<QString> ReadVin(const VehicleBus& bus, Link& link) {
    const ParsedReply support = bus.Ask(link, QStringLiteral("0900"));
    const std::optional<PidSupport> types = InfoTypesOf(support.messages, bus.Family());
    if (types && !(*types)[InfoVin])
        return std::nullopt;
    return VinOf(bus.Ask(link, QStringLiteral("0902")).messages, bus.Family());
}

VehicleInformation ReadVehicleInformation(const VehicleBus& bus, Link& link) {
    VehicleInformation info;
    const ParsedReply support = bus.Ask(link, QStringLiteral("0900"));
    const ProtocolFamily family = bus.Family();
    const std::optional<PidSupport> types = InfoTypesOf(support.messages, family);
    for (const UnitInfo& unit : InfoDataOf(support.messages, family, InfoSupported))
        info.units.append({SenderName(unit.sender, family), {}, {}, {}});
    if (!types || (*types)[InfoVin])
        info.vin = VinOf(bus.Ask(link, QStringLiteral("0902")).messages, family);
    if (!types)
        return info;
    const auto unitOf = [&](int sender) -> UnitVehicleInfo& {
        const QString name = SenderName(sender, family);
        for (UnitVehicleInfo& u : info.units)
            if (u.unit == name)
                return u;
        info.units.append({name, {}, {}, {}});
        return info.units.back();
    };
    for (const int type : {InfoCalibrationIds, InfoCalibrationNumbers, InfoEcuName}) {
        if (!(*types)[size_t(type)])
            continue;
        const ParsedReply reply = bus.Ask(link, QStringLiteral("09") + Hex2(type));
        for (const UnitInfo& unit : InfoDataOf(reply.messages, family, type)) {
            UnitVehicleInfo& u = unitOf(unit.sender);
            if (type == InfoCalibrationIds)
                u.calibrationIds = CalibrationIdsIn(unit.data);
            else if (type == InfoCalibrationNumbers)
                u.calibrationNumbers = CalibrationNumbersIn(unit.data);
            else
                u.ecuName = InfoText(unit.data);
        }
    }
    return info;
}

PidSupport ReadSupportedPidRanges(const VehicleBus& bus, Link& link) {
    return WalkRanges(bus, link, 1);
}

PidSupport ReadFurtherPidRanges(const VehicleBus& bus, Link& link, std::uint32_t first,
                                const std::function<bool()>& stop) {
    return WalkRanges(bus, link, 1, {first}, stop);
}

PidRow ReadLivePid(const VehicleBus& bus, Link& link, const PidSpec& spec) {
    return RowOf(spec, LiveData(bus, link, spec.pid));
}

std::optional<double> ReadBatteryVoltage(const VehicleBus& bus, Link& link, bool adapterMeasures) {
    if (adapterMeasures) {
        // "12.6V"; a chip without the command answers "?".
        QString reply = AdapterQuery(link, QStringLiteral("ATRV"));
        if (reply.endsWith(QLatin1Char('V')))
            reply.chop(1);
        bool ok = false;
        const double volts = reply.trimmed().toDouble(&ok);
        if (ok)
            return volts;
    }
    constexpr int ModuleVoltage = 0x42;
    if (!ReadSupportedPidRanges(bus, link)[ModuleVoltage])
        return std::nullopt;
    const PidRow row = ReadLivePid(bus, link, *FindPidSpec(ModuleVoltage));
    if (row.values.empty())
        return std::nullopt;
    return row.values.front().number;
}

Distances ReadDistances(const VehicleBus& bus, Link& link, const PidSupport& supported) {
    const auto kilometres = [&](int pid) -> std::optional<qint32> {
        if (!supported[size_t(pid)])
            return std::nullopt;
        const PidRow row = ReadLivePid(bus, link, *FindPidSpec(pid));
        if (!row.error.isEmpty() || row.values.empty() || !row.values.front().number)
            return std::nullopt;
        return qint32(std::lround(*row.values.front().number));
    };
    Distances distances;
    distances.sinceClearKm = kilometres(0x31);
    distances.odometerKm = kilometres(0xA6);
    return distances;
}

FreezeFrame ReadFreezeFrame(const VehicleBus& bus, Link& link) {
    FreezeFrame frame;
    const PidSupport supported = WalkRanges(bus, link, 2, {}, {}, &frame.failure);
    if (!supported[0x02])
        return frame;
    const QString codeRequest = QStringLiteral("020200");
    const ParsedReply codeReply = bus.Ask(link, codeRequest);
    const std::optional<QByteArray> code =
        FreezeFrameDataOf(codeReply.messages, bus.Family(), 0x02);
    if (!code) {
        frame.failure = WhyUnanswered(codeReply, codeRequest);
        return frame;
    }
    if (!(frame.code = FreezeFrameCodeOf(*code)))
        return frame;
    for (int pid = 0x03; pid < int(supported.size()); ++pid) {
        const PidSpec* spec = FindPidSpec(pid);
        if (!supported[size_t(pid)] || !spec)
            continue;
        const ParsedReply reply = bus.Ask(link, QStringLiteral("02") + Hex2(pid) + FrameOf(2));
        frame.rows.append(RowOf(*spec, FreezeFrameDataOf(reply.messages, bus.Family(), pid)));
    }
    return frame;
}

QList<O2Reading> ReadO2Sensors(const VehicleBus& bus, Link& link, const PidSupport& supported) {
    QList<O2Reading> readings;
    for (const O2Sensor& sensor : PresentSensors(bus, link, supported)) {
        O2Reading reading{sensor, {}};
        for (const int pid :
             {sensor.narrowPid(), sensor.widePidVoltage(), sensor.widePidCurrent()}) {
            if (supported[size_t(pid)])
                reading.rows.append(ReadLivePid(bus, link, *FindPidSpec(pid)));
        }
        readings.append(reading);
    }
    return readings;
}

QList<O2SensorTests> ReadO2Tests(const VehicleBus& bus, Link& link, const PidSupport& supported) {
    const QList<O2Sensor> sensors = PresentSensors(bus, link, supported);
    QList<O2SensorTests> all;
    if (sensors.isEmpty())
        return all;
    const ProtocolFamily family = bus.Family();
    const int service = IsCan(family) ? 6 : 5;
    const std::optional<PidSupport> ids =
        TestSupportOf(bus.Ask(link, Hex2(service) + QStringLiteral("00")).messages, service);
    if (!ids)
        return all;
    for (const O2Sensor& sensor : sensors) {
        O2SensorTests tests{sensor, {}, {}};
        try {
            if (service == 6) {
                if ((*ids)[size_t(sensor.monitorId())]) {
                    const ParsedReply r =
                        bus.Ask(link, QStringLiteral("06") + Hex2(sensor.monitorId()));
                    tests.results = MonitorResultsOf(r.messages, family, sensor.monitorId())
                                        .value_or(QList<O2TestResult>{});
                }
            } else {
                for (int tid = 1; tid <= O2TestIdCount; ++tid) {
                    if (!(*ids)[size_t(tid)])
                        continue;
                    const ParsedReply r =
                        bus.Ask(link, QStringLiteral("05") + Hex2(tid) + Hex2(sensor.testNumber()));
                    if (const std::optional<O2TestResult> result =
                            O2TestResultOf(r.messages, family, tid, sensor.testNumber()))
                        tests.results.append(*result);
                }
            }
        } catch (const ConversionError&) {
            tests.error = QStringLiteral("Antwort zu kurz");
        }
        if (!tests.results.isEmpty() || !tests.error.isEmpty())
            all.append(tests);
    }
    return all;
}

} // namespace obd
