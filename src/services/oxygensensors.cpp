#include "services/oxygensensors.h"

#include "common/bits.h"
#include "services/ecuanswers.h"

#include <span>

namespace obd {

namespace {

struct TestSpec {
    std::uint8_t tid;
    const char* name;
    const char* unit;
    double scale;
    std::uint8_t decimals;
    bool limits;
};

// Service 05: the standard O2 sensor tests.
constexpr std::array<TestSpec, O2TestIdCount> O2Tests{{
    {0x01, "Rich to lean sensor threshold voltage", "V", 0.005, 3, false},
    {0x02, "Lean to rich sensor threshold voltage", "V", 0.005, 3, false},
    {0x03, "Low sensor voltage for switch time calculation", "V", 0.005, 3, false},
    {0x04, "High sensor voltage for switch time calculation", "V", 0.005, 3, false},
    {0x05, "Rich to lean sensor switch time", "s", 0.004, 3, true},
    {0x06, "Lean to rich sensor switch time", "s", 0.004, 3, true},
    {0x07, "Minimum sensor voltage for test cycle", "V", 0.005, 3, true},
    {0x08, "Maximum sensor voltage for test cycle", "V", 0.005, 3, true},
    {0x09, "Time between sensor transitions", "s", 0.04, 2, true},
}};

// Service 06: unit and scaling of a test's numbers.
struct Scaling {
    std::uint8_t id;
    const char* unit;
    double scale;
    std::uint8_t decimals;
};

constexpr Scaling Scalings[] = {
    {0x01, "", 1, 0},     {0x0A, "mV", 0.122, 1}, {0x0B, "V", 0.001, 3},
    {0x0C, "V", 0.01, 2}, {0x10, "ms", 1, 0},     {0x11, "s", 0.1, 1},
    {0x12, "s", 1, 0},    {0x14, "Ω", 1, 0},      {0x24, "", 1, 0},
};

quint8 ByteAt(const QByteArray& data, qsizetype at) {
    if (at >= data.size())
        RaiseConversionError(QString());
    return quint8(data[at]);
}

int WordAt(const QByteArray& data, qsizetype at) {
    return ByteAt(data, at) << 8 | ByteAt(data, at + 1);
}

bool Starts(const EcuMessage& m, std::initializer_list<int> head) {
    if (m.data.size() < qsizetype(head.size()))
        return false;
    qsizetype k = 0;
    for (const int b : head)
        if (quint8(m.data[k++]) != b)
            return false;
    return true;
}

} // namespace

QList<O2Sensor> O2SensorsOf(int locationPid, std::uint8_t present) {
    const int perBank = locationPid == 0x1D ? 2 : 4;
    QList<O2Sensor> sensors;
    for (int bit = 0; bit < 8; ++bit)
        if ((present >> bit & 1) != 0)
            sensors.append({bit, QStringLiteral("Bank %1 - Sensor %2")
                                     .arg(bit / perBank + 1)
                                     .arg(bit % perBank + 1)});
    return sensors;
}

std::optional<O2TestResult> O2TestResultOf(const QList<EcuMessage>& messages, ProtocolFamily family,
                                           int tid, int sensor) {
    const EcuMessage* m = PreferredAnswer(messages, family, [&](const EcuMessage& e) {
        return Starts(e, {0x45, tid, sensor});
    });
    if (!m || tid < 1 || tid > O2TestIdCount)
        return std::nullopt;
    const TestSpec& spec = O2Tests[size_t(tid - 1)];
    O2TestResult r{QString::fromUtf8(spec.name),
                   QString::fromUtf8(spec.unit),
                   spec.decimals,
                   ByteAt(m->data, 3) * spec.scale,
                   std::nullopt,
                   std::nullopt};
    if (spec.limits && m->data.size() >= 6) {
        r.minimum = ByteAt(m->data, 4) * spec.scale;
        r.maximum = ByteAt(m->data, 5) * spec.scale;
    }
    return r;
}

std::optional<QList<O2TestResult>> MonitorResultsOf(const QList<EcuMessage>& messages,
                                                    ProtocolFamily family, int mid) {
    const EcuMessage* m = PreferredAnswer(messages, family, [&](const EcuMessage& e) {
        return Starts(e, {0x46, mid});
    });
    if (!m)
        return std::nullopt;
    QList<O2TestResult> results;
    for (qsizetype at = 1; at < m->data.size(); at += 9) {
        if (ByteAt(m->data, at) != mid)
            continue;
        const int tid = ByteAt(m->data, at + 1);
        const int scalingId = ByteAt(m->data, at + 2);
        Scaling scaling{std::uint8_t(scalingId), "", 1, 0};
        for (const Scaling& s : Scalings)
            if (s.id == scalingId)
                scaling = s;
        const auto number = [&](qsizetype offset) {
            return WordAt(m->data, at + offset) * scaling.scale;
        };
        results.append({QStringLiteral("Test %1").arg(
                            QString::number(tid, 16).toUpper().rightJustified(2, QLatin1Char('0'))),
                        QString::fromUtf8(scaling.unit), scaling.decimals, number(3), number(5),
                        number(7)});
    }
    return results;
}

std::optional<PidSupport> TestSupportOf(const QList<EcuMessage>& messages, int service) {
    std::optional<PidSupport> all;
    for (const EcuMessage& m : messages) {
        if (!Starts(m, {0x40 + service, 0x00}))
            continue;
        const QByteArray d = m.data.mid(2);
        const std::uint32_t words[] = {SupportBitmap(
            std::span(reinterpret_cast<const std::uint8_t*>(d.constData()), size_t(d.size())))};
        all = all.value_or(PidSupport{}) | SupportedPidUnion(words);
    }
    return all;
}

} // namespace obd
