#include "link/link.h"
#include "link/simports.h"

#include <QSerialPortInfo>
#include <algorithm>

namespace obd {

namespace {

// "/dev/ttyUSB10" sorts after "/dev/ttyUSB9": the name without its trailing
// number first, then the number.
struct DeviceKey {
    QString stem;
    int number;
};

DeviceKey deviceKey(const QString& path) {
    qsizetype end = path.size();
    while (end > 0 && path[end - 1].isDigit())
        --end;
    return {path.left(end), end < path.size() ? path.mid(end).toInt() : -1};
}

} // namespace

void ListComPorts(QStringList& list) {
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices << info.systemLocation();
    std::sort(devices.begin(), devices.end(), [](const QString& a, const QString& b) {
        const DeviceKey ka = deviceKey(a);
        const DeviceKey kb = deviceKey(b);
        return ka.stem != kb.stem ? ka.stem < kb.stem : ka.number < kb.number;
    });
    list << devices << SimulatorPorts();
}

} // namespace obd
