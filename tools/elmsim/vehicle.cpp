#include "vehicle.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string_view>

namespace elmsim {

namespace {

enum class Bus { Any, KLine, Can };

struct Answer {
    std::string_view request;
    Bus bus;
    std::string_view reply; // hex bytes with blanks
};

// Service 01: the ranges 20 to C0 (each announcing the next, C0 the last)
// and the PIDs they announce, each short enough for one K-line message:
// among them the monitors of this drive cycle (41), the module voltage (42),
// the transmission's gear (A4), the odometer (A6) and the fuel level inputs (C3). Service 07: P0171
// and P0420 pending (the ELM327 personality answers 07 per unit itself). Service 02: frame 0 stored
// by P0133, its bitmap from the demo table (02 to 07, 0C, 0D). Service 05: tests 01, 02, 05 and 06
// of sensors B1S1 and B1S2 (06 of B1S2 out of its limits). Service 06: the O2 monitors of B1S1 and
// B1S2 (B1S2's test 07 out of its limits).
constexpr Answer Answers[] = {
    {"0120", Bus::Any, "41 20 80 02 A0 01"},
    {"0121", Bus::Any, "41 21 00 2A"},
    {"012F", Bus::Any, "41 2F 80"},
    {"0131", Bus::Any, "41 31 04 D2"},
    {"0133", Bus::Any, "41 33 63"},
    {"0140", Bus::Any, "41 40 C4 00 80 01"},
    {"0141", Bus::Any, "41 41 00 07 E5 24"},
    {"0142", Bus::Any, "41 42 37 14"},
    {"0146", Bus::Any, "41 46 41"},
    {"0151", Bus::Any, "41 51 01"},
    {"0160", Bus::Any, "41 60 E8 00 00 01"},
    {"0161", Bus::Any, "41 61 8C"},
    {"0162", Bus::Any, "41 62 96"},
    {"0163", Bus::Any, "41 63 01 5E"},
    {"0165", Bus::Any, "41 65 0F 02"},
    {"0180", Bus::Any, "41 80 00 04 00 0D"},
    {"018E", Bus::Any, "41 8E 87"},
    {"019D", Bus::Any, "41 9D 00 6E 00 78"},
    {"019E", Bus::Any, "41 9E 00 FA"},
    {"01A0", Bus::Any, "41 A0 14 80 00 01"},
    {"01A4", Bus::Any, "41 A4 01 30 05 78"},
    {"01A6", Bus::Any, "41 A6 00 01 E2 40"},
    {"01A9", Bus::Any, "41 A9 01 00"},
    {"01C0", Bus::Any, "41 C0 20 00 00 00"},
    {"01C3", Bus::Any, "41 C3 8C 00"},
    {"07", Bus::Any, "47 01 71 04 20 00 00"},
    {"020000", Bus::Any, "42 00 00 7E 18 00 00"},
    {"020200", Bus::Any, "42 02 00 01 33"},
    {"020300", Bus::Any, "42 03 00 02 00"},
    {"020400", Bus::Any, "42 04 00 99"},
    {"020500", Bus::Any, "42 05 00 5A"},
    {"020600", Bus::Any, "42 06 00 8A"},
    {"020700", Bus::Any, "42 07 00 7C"},
    {"020C00", Bus::Any, "42 0C 00 1A F8"},
    {"020D00", Bus::Any, "42 0D 00 32"},
    {"0500", Bus::KLine, "45 00 CC 00 00 00"},
    {"050101", Bus::KLine, "45 01 01 5A"},
    {"050201", Bus::KLine, "45 02 01 5A"},
    {"050501", Bus::KLine, "45 05 01 1E 0A 32"},
    {"050601", Bus::KLine, "45 06 01 28 0A 32"},
    {"050102", Bus::KLine, "45 01 02 5A"},
    {"050202", Bus::KLine, "45 02 02 5A"},
    {"050502", Bus::KLine, "45 05 02 20 0A 32"},
    {"050602", Bus::KLine, "45 06 02 40 0A 32"},
    {"0600", Bus::Can, "46 00 C0 00 00 00"},
    {"0601", Bus::Can, "46 01 01 0A 0E 10 0B B8 13 88 01 05 10 00 64 00 00 00 96"},
    {"0602", Bus::Can, "46 02 07 0A 03 20 00 00 02 BC"},
};

// Service 09: info type and its data; CAN sends 49, the type, a count and
// the data, K-line 49, the type, a counter and four bytes per message, the
// data padded with zero bytes in front to whole messages.
struct Info {
    int type;
    int count;
    std::string_view data;
};

constexpr Info Infos[] = {
    {0x02, 1, "1D4GP00R55B123456"},
    {0x04, 1, std::string_view("TRV-ECU-0815\0\0\0\0", 16)},
    {0x06, 1, "\x1A\x2B\x3C\x4D"},
    {0x0A, 1, std::string_view("ECM\0-EngineControl\0\0", 20)},
};

// 02, 04, 06 and 0A.
constexpr std::string_view InfoBitmap("\x54\x40\x00\x00", 4);

QByteArray bytes(std::string_view s) {
    return {s.data(), qsizetype(s.size())};
}

QList<QByteArray> infoMessages(int type, int count, const QByteArray& data, bool can) {
    const QByteArray head = QByteArray(1, '\x49') + char(type);
    if (can)
        return {head + (type == 0 ? QByteArray() : QByteArray(1, char(count))) + data};
    const QByteArray padded = QByteArray((4 - data.size() % 4) % 4, '\0') + data;
    QList<QByteArray> messages;
    for (qsizetype at = 0, n = 1; at < padded.size(); at += 4, ++n)
        messages.append(head + char(n) + padded.mid(at, 4));
    return messages;
}

// The phases of the driving cycle: from its start second, what the values
// are at its end (speed in km/h, throttle and load in %); in between they
// move along a smooth step.
struct Phase {
    double start;
    double speed, throttle, load;
};
constexpr Phase Phases[] = {
    {0, 0, 12, 20},    // idle
    {10, 100, 60, 75}, // accelerate
    {22, 100, 25, 35}, // cruise
    {45, 0, 0, 12},    // brake to a stop
    {58, 0, 12, 20},   // idle again
};
// Speed at which each gear ends, km/h; the engine turns 800/min at a stop.
constexpr double GearTops[] = {20, 40, 65, 90, 1e9};
constexpr double IdleRpm = 800;

double smoothStep(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

// Engine speed for a vehicle speed: rises in each gear and drops at the shift.
double engineSpeed(double speed) {
    double low = 0;
    for (const double top : GearTops) {
        if (speed <= top) {
            const double ratio = (speed - low) / std::min(top - low, 40.0);
            return IdleRpm + std::min(1.0, ratio) * 2600 + low * 8;
        }
        low = top;
    }
    return IdleRpm;
}

} // namespace

DriveState DriveAt(double seconds) {
    const double t = std::fmod(std::max(seconds, 0.0), DriveCycleSeconds);
    // The phase t is in and the one before it: the values move from the
    // previous phase's end to this one's over the phase's first seconds.
    std::size_t i = 0;
    while (i + 1 < std::size(Phases) && t >= Phases[i + 1].start)
        ++i;
    const Phase& from = Phases[i == 0 ? std::size(Phases) - 1 : i - 1];
    const Phase& to = Phases[i];
    const double length =
        (i + 1 < std::size(Phases) ? Phases[i + 1].start : DriveCycleSeconds) - to.start;
    const double k = smoothStep((t - to.start) / std::min(length, 10.0));
    const auto mix = [k](double a, double b) { return a + (b - a) * k; };
    DriveState s{};
    s.speed = mix(from.speed, to.speed);
    s.throttle = mix(from.throttle, to.throttle);
    s.load = mix(from.load, to.load);
    s.rpm = engineSpeed(s.speed) + s.throttle * 4;
    // Warm-up from 20 °C towards 90 °C over the first minutes of running.
    s.coolant = 90 - 70 * std::exp(-std::max(seconds, 0.0) / 120);
    s.intakeAir = 35 - s.speed / 10;
    s.manifoldKpa = 30 + s.load * 0.7;
    return s;
}

QByteArray DrivenAnswer(const QString& request, double seconds) {
    const DriveState s = DriveAt(seconds);
    const auto byte = [](double v) { return char(std::clamp<long>(std::lround(v), 0, 255)); };
    const auto percent = [&byte](double v) { return byte(v * 255 / 100); };
    const long rpm = std::lround(s.rpm * 4);
    struct Driven {
        const char* request;
        QByteArray data;
    };
    const Driven driven[] = {
        {"0104", QByteArray(1, percent(s.load))},
        {"0105", QByteArray(1, byte(s.coolant + 40))},
        {"010B", QByteArray(1, byte(s.manifoldKpa))},
        {"010C", QByteArray(1, char(rpm >> 8)) + char(rpm & 0xFF)},
        {"010D", QByteArray(1, byte(s.speed))},
        {"010F", QByteArray(1, byte(s.intakeAir + 40))},
        {"0111", QByteArray(1, percent(s.throttle))},
    };
    for (const Driven& d : driven)
        if (request == QLatin1String(d.request))
            return QByteArray("\x41") + char(request.mid(2).toInt(nullptr, 16)) + d.data;
    return {};
}

QList<QByteArray> EngineMessages(const QString& request, bool can) {
    const Bus bus = can ? Bus::Can : Bus::KLine;
    for (const Answer& a : Answers)
        if (request == QLatin1String(a.request.data(), qsizetype(a.request.size())) &&
            (a.bus == Bus::Any || a.bus == bus))
            return {QByteArray::fromHex(bytes(a.reply))};
    if (request == QLatin1String("0900"))
        return infoMessages(0, 1, bytes(InfoBitmap), can);
    for (const Info& info : Infos)
        if (request == QStringLiteral("09%1").arg(info.type, 2, 16, QLatin1Char('0')).toUpper())
            return infoMessages(info.type, info.count, bytes(info.data), can);
    return {};
}

} // namespace elmsim
